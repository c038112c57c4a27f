#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "editor/control_states.h"
#include "editor/number_field.h"
#include "editor/option_group.h"
#include "model/device_types.h"
#include "model/event_availability.h"
#include "model/event_selection.h"
#include "model/limits_entry.h"
#include "model/rule_record.h"

namespace trv {

struct ControllerSettings;

// The tabs of the event page's EventPageControl.
enum EventTab { etLocal, etNetwork };

// Positions of the members of the event page's option groups, as the limits entries number them.
namespace event_choice {
inline constexpr int kNone = 0;  // "Non Loop Event", "Non Device Event"
inline constexpr int kAny = 1;
inline constexpr int kSpecific = 2;
inline constexpr int kVirtual = 3;  // the loop group's "Virtual"
}  // namespace event_choice

// An option group of the event page and its number field, which is enabled (white) exactly when
// the "Specific" member is checked.
struct EventChoice {
  OptionGroup Group;
  NumberField Field;

  bool Checked(int position) const { return Group.Checked(position); }
  // Checks the member, as a handler or a loaded rule does.
  void Check(int position);
  // The user's click; true when the member ends up checked.
  bool Click(int position, bool checked);
  // Hides or shows every member and the field.
  void SetVisible(bool visible);
  void FollowSpecific() { Field.SetEnabled(Group.Checked(event_choice::kSpecific)); }
};

// The Device/Event Rule page: the local and network tabs with their option groups, the device
// type panel that sits on the active tab, the sixteen event boxes and Set Rule. The page picks
// the events it offers from the event availability table, as the decoder does for a rule read
// back, so the two always agree.
class EventPageState {
 public:
  explicit EventPageState(const ControllerSettings& settings);

  // The option group clicks, each followed by its group's refresh.
  void EventGeneralClick(bool checked);
  void EventAnyPanelClick(bool checked) { PanelClick(event_choice::kAny, checked); }
  void EventSpecificPanelClick(bool checked) { PanelClick(event_choice::kSpecific, checked); }
  void EventNonLoopClick(bool checked) { LoopClick(event_choice::kNone, checked); }
  void EventAnyLoopClick(bool checked) { LoopClick(event_choice::kAny, checked); }
  void EventSpecificLoopClick(bool checked) { LoopClick(event_choice::kSpecific, checked); }
  void EventVirtualLoopClick(bool checked) { LoopClick(event_choice::kVirtual, checked); }
  void EventNonDeviceClick(bool checked) { AddressClick(event_choice::kNone, checked); }
  void EventAnyAddressClick(bool checked) { AddressClick(event_choice::kAny, checked); }
  void EventSpecificAddressClick(bool checked) { AddressClick(event_choice::kSpecific, checked); }
  void EventAnyLocalZoneClick(bool checked) { LocalZoneClick(event_choice::kAny, checked); }
  void EventSpecificLocalZoneClick(bool checked) {
    LocalZoneClick(event_choice::kSpecific, checked);
  }
  void EventAnyNetworkZoneClick(bool checked) { NetworkZoneClick(event_choice::kAny, checked); }
  void EventSpecificNetworkZoneClick(bool checked) {
    NetworkZoneClick(event_choice::kSpecific, checked);
  }
  void EventAnyReferenceClick(bool checked) { ReferenceClick(event_choice::kAny, checked); }
  void EventSpecificReferenceClick(bool checked) {
    ReferenceClick(event_choice::kSpecific, checked);
  }
  // Any of the sixteen event boxes, by its place in the event selection.
  void EventClick(int event, bool checked);
  // "Sensor" (false) or "Module" (true).
  void DeviceRadioButtonClick(bool module);
  // The list is refilled; the chosen type stays when the list still has it.
  void DeviceTypeComboBoxDropDown();
  void DeviceTypeComboBoxChange(int index);

  // The tab shown, with the first device type and the events it offers.
  void SwitchTab(EventTab tab);
  // After the host system limits: "Virtual" only where there are virtual loops, "Sensor" with the
  // first device type, and the events.
  void RefreshForSystem();

  // A limits entry onto the group and number field of an event field; see TEditorState.
  void ApplyLimits(LimitsField field, const LimitsEntry& entry, bool runHandler);
  // The handlers of the checked members of every group, as on a first visit.
  void RunCheckedHandlers();
  EventChoice& ChoiceOf(LimitsField field);

  // The rule kind that Set Rule writes: by tab and "General Event".
  RuleKind KindToSet() const;
  // Kind and input source of the rule the page describes; the other fields are kept.
  RuleRecord CaptureSource(RuleRecord rule) const;
  std::int32_t CaptureEvents() const;
  // An event rule's input source and events into the page, whose tab becomes the rule's.
  void LoadSource(const RuleRecord& rule);
  void LoadEvents(EventSelection events);

  EventTab Tab = etLocal;
  bool NetworkTabVisible = true;
  CheckState General;
  EventChoice Panel{{{event_choice::kAny, event_choice::kSpecific}, event_choice::kAny}, {}};
  EventChoice LocalZone{{{event_choice::kAny, event_choice::kSpecific}, event_choice::kAny}, {}};
  EventChoice Loop{
      {{event_choice::kNone, event_choice::kAny, event_choice::kSpecific, event_choice::kVirtual},
       event_choice::kAny},
      {}};
  EventChoice Address{
      {{event_choice::kNone, event_choice::kAny, event_choice::kSpecific}, event_choice::kAny}, {}};
  EventChoice NetworkZone{{{event_choice::kAny, event_choice::kSpecific}, event_choice::kAny}, {}};
  EventChoice Reference{{{event_choice::kAny, event_choice::kSpecific}, event_choice::kAny}, {}};
  bool DevicePanelVisible = true;  // DeviceTypePanel, on the active tab
  bool Module = false;             // "Module" checked, else "Sensor"
  ChoiceState DeviceType;
  bool DeviceTypeEnabled = true;
  std::array<CheckState, kEventCount> Events{};
  bool SetRuleEnabled = true;

 private:
  int System() const;
  DeviceListChoice ListChoice() const;
  bool VirtualLoop() const { return Loop.Checked(event_choice::kVirtual); }
  bool NonLoop() const { return Loop.Checked(event_choice::kNone); }
  std::optional<EventAvailability> Availability() const;

  void PanelClick(int position, bool checked);
  void LoopClick(int position, bool checked);
  void AddressClick(int position, bool checked);
  void LocalZoneClick(int position, bool checked);
  void NetworkZoneClick(int position, bool checked);
  void ReferenceClick(int position, bool checked);
  void RunHandler(LimitsField field, int position);

  void PanelRefresh();
  void LoopRefresh();
  void AddressRefresh();
  void NetworkZoneRefresh();
  void ShowLocalChoices();
  void EnableSpecificLocalZone();
  void SetAddressLimit();
  void ShowDevicePanel();
  void RefillDeviceTypes();
  void RefreshEvents();
  void CheckDefaultEventIfNoneSelected();

  void LoadLocalSource(const RuleRecord& rule);
  void LoadNetworkSource(const RuleRecord& rule);
  void LoadAddress(std::int32_t address);
  void LoadDeviceType(std::int32_t deviceType);

  const ControllerSettings& FSettings;
};

}  // namespace trv
