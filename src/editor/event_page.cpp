// The Device/Event Rule page of the editor state: which panel, loop, zone, device or network zone
// an event rule listens to, and which of its events it takes.

#include "editor/event_page.h"

#include <stdexcept>
#include <string>

#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "model/controller_settings.h"
#include "model/host_system_limits.h"
#include "model/required_system.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

using namespace event_choice;

// Boxes that the page never shows; the availability table may still enable them.
constexpr int kHiddenEvents[] = {event_index::kEnabled,    event_index::kNight,
                                 event_index::kDeviceTest, event_index::kDelaysActive,
                                 event_index::kSilence,    event_index::kReset};

// Pairs of events of which at most one is checked.
int ExcludedEvent(int event) {
  switch (event) {
    case event_index::kEnabled:
      return event_index::kDisabled;
    case event_index::kDisabled:
      return event_index::kEnabled;
    case event_index::kDay:
      return event_index::kNight;
    case event_index::kNight:
      return event_index::kDay;
    default:
      return -1;
  }
}

// The choice a rule field stands for: any, a specific value, or another sentinel's member.
int PositionOfValue(std::int32_t value, std::int32_t anyValue) {
  return value == anyValue ? kAny : kSpecific;
}

std::int32_t ValueOfChoice(const EventChoice& choice, std::int32_t anyValue) {
  return choice.Checked(kAny) ? anyValue : choice.Field.Value();
}

// Checks the member for a loaded value: the field takes a specific value, and goes to its minimum
// otherwise.
void LoadChoice(EventChoice& choice, int position, std::int32_t value) {
  choice.Field.SetValue(position == kSpecific ? value : choice.Field.Min());
  choice.Check(position);
}

}  // namespace

void EventChoice::Check(int position) {
  Group.Check(position);
  FollowSpecific();
}

bool EventChoice::Click(int position, bool checked) {
  const bool result = Group.Click(position, checked);
  FollowSpecific();
  return result;
}

void EventChoice::SetVisible(bool visible) {
  Group.SetAllVisible(visible);
  Field.SetVisible(visible);
}

EventPageState::EventPageState(const ControllerSettings& settings) : FSettings(settings) {
  for (const int event : kHiddenEvents) Events[static_cast<std::size_t>(event)].Visible = false;
  RefillDeviceTypes();
}

int EventPageState::System() const {
  return FSettings.SystemIndex;
}

DeviceListChoice EventPageState::ListChoice() const {
  return {.ModelIndex = FSettings.ModelIndex,
          .SystemIndex = System(),
          .Module = Module,
          .VirtualLoop = Tab == etLocal && VirtualLoop()};  // no virtual loops on the network
}

// "General Event" takes part in the panel choice: it unchecks both panel boxes, they leave it as
// it is, and it stays checked while neither of them is.
void EventPageState::EventGeneralClick(bool checked) {
  const bool panelChosen = Panel.Group.CheckedPosition().has_value();
  General.Checked = checked || !panelChosen;
  if (checked) {
    Panel.Group.UncheckAll();
    Panel.FollowSpecific();
  }
  PanelRefresh();
}

void EventPageState::PanelClick(int position, bool checked) {
  Panel.Click(position, checked);
  PanelRefresh();
}

void EventPageState::LoopClick(int position, bool checked) {
  Loop.Click(position, checked);
  LoopRefresh();
}

void EventPageState::AddressClick(int position, bool checked) {
  Address.Click(position, checked);
  AddressRefresh();
}

void EventPageState::LocalZoneClick(int position, bool checked) {
  LocalZone.Click(position, checked);
  RefreshEvents();
}

void EventPageState::NetworkZoneClick(int position, bool checked) {
  NetworkZone.Click(position, checked);
  NetworkZoneRefresh();
}

void EventPageState::ReferenceClick(int position, bool checked) {
  Reference.Click(position, checked);
  ShowDevicePanel();
  RefreshEvents();
}

void EventPageState::PanelRefresh() {
  const bool specificPanel = Panel.Checked(kSpecific);
  Loop.Group.SetEnabled(kAny, !General.Checked);
  Loop.Group.SetEnabled(kSpecific, specificPanel);
  Loop.Group.SetEnabled(kVirtual, specificPanel);
  if (Panel.Checked(kAny)) {
    Address.Group.SetEnabled(kSpecific, false);
    if (Loop.Checked(kSpecific) || VirtualLoop()) Loop.Check(kAny);
  }
  LoopRefresh();
  ShowLocalChoices();
  RefreshEvents();
}

// "General Event" leaves only the panel; "Virtual" is there only on a system with virtual loops.
void EventPageState::ShowLocalChoices() {
  const bool shown = !General.Checked;
  LocalZone.SetVisible(shown);
  Loop.SetVisible(shown);
  Loop.Group.SetVisible(kVirtual, shown && System() == kSystemKP6000);
}

void EventPageState::LoopRefresh() {
  Address.Group.SetEnabled(kNone, !VirtualLoop());
  Address.Group.SetEnabled(kAny, !NonLoop());
  Address.Group.SetEnabled(kSpecific, !NonLoop() && !Loop.Checked(kAny));
  if (Loop.Checked(kAny) && Address.Checked(kSpecific)) {
    Address.Check(kAny);
  } else if (VirtualLoop() && Address.Checked(kNone)) {
    Address.Check(kAny);
  }
  if (!Loop.Checked(kAny)) SetAddressLimit();
  if (NonLoop() || General.Checked) {
    Address.Check(kAny);
    Address.SetVisible(false);
    LocalZone.Check(kAny);
    ShowDevicePanel();
  } else {
    Address.SetVisible(true);
    SetAddressLimit();
    AddressRefresh();
  }
  EnableSpecificLocalZone();
  RefillDeviceTypes();
  RefreshEvents();
}

void EventPageState::AddressRefresh() {
  if (!Address.Checked(kAny)) LocalZone.Check(kAny);
  EnableSpecificLocalZone();
  ShowDevicePanel();
  RefreshEvents();
}

void EventPageState::EnableSpecificLocalZone() {
  LocalZone.Group.SetEnabled(kSpecific, Address.Checked(kAny) && !NonLoop());
}

void EventPageState::NetworkZoneRefresh() {
  if (NetworkZone.Checked(kAny)) {
    Reference.Check(kAny);
    Reference.Group.SetEnabled(kSpecific, false);
  } else {
    Reference.Group.SetEnabled(kSpecific, true);
  }
  ShowDevicePanel();
  RefreshEvents();
}

void EventPageState::SetAddressLimit() {
  Address.Field.SetMax(EventAddressMax(VirtualLoop(), Module));
}

// The panel shows on the network tab always, with its list while any reference is chosen. On the
// local tab it goes with the address choices and a device event, with its list for any address:
// a specific device has its own type.
void EventPageState::ShowDevicePanel() {
  const OptionMember& anyAddress = Address.Group.Member(kAny);
  const bool local = Tab == etLocal;
  DevicePanelVisible = !local || (anyAddress.Visible && !Address.Checked(kNone));
  DeviceTypeEnabled = local ? anyAddress.Checked && anyAddress.Enabled && anyAddress.Visible
                            : Reference.Checked(kAny);
  if (!DeviceTypeEnabled) DeviceType.Index = 0;
}

void EventPageState::RefillDeviceTypes() {
  DeviceType.Items = ShownDeviceTypeList(ListChoice()).Names;
  DeviceType.Index = 0;
}

void EventPageState::DeviceTypeComboBoxDropDown() {
  const int chosen = DeviceType.Index;
  RefillDeviceTypes();
  if (static_cast<std::size_t>(chosen) < DeviceType.Items.size()) DeviceType.Index = chosen;
}

void EventPageState::DeviceRadioButtonClick(bool module) {
  Module = module;
  RefillDeviceTypes();
  SetAddressLimit();
  RefreshEvents();
}

void EventPageState::DeviceTypeComboBoxChange(int index) {
  DeviceType.Index = index;
  RefreshEvents();
}

void EventPageState::SwitchTab(EventTab tab) {
  Tab = tab;
  ShowDevicePanel();
  RefillDeviceTypes();
  RefreshEvents();
}

void EventPageState::RefreshForSystem() {
  ShowLocalChoices();
  Module = false;
  RefillDeviceTypes();
  SetAddressLimit();
  RefreshEvents();
}

std::optional<EventAvailability> EventPageState::Availability() const {
  return LookUpEventAvailability(EventCriteriaOfRule(CaptureSource({}), System()));
}

// No row for the choices: nothing can be chosen and no rule can be set.
void EventPageState::RefreshEvents() {
  const std::optional<EventAvailability> availability = Availability();
  SetRuleEnabled = availability.has_value();
  for (int event = 0; event < kEventCount; ++event) {
    CheckState& box = Events[static_cast<std::size_t>(event)];
    box.Checked = false;
    box.Enabled = availability && availability->Allowed[static_cast<std::size_t>(event)];
  }
  CheckDefaultEventIfNoneSelected();
}

void EventPageState::EventClick(int event, bool checked) {
  Events.at(static_cast<std::size_t>(event)).Checked = checked;
  const int excluded = ExcludedEvent(event);
  if (checked && excluded >= 0) Events[static_cast<std::size_t>(excluded)].Checked = false;
  CheckDefaultEventIfNoneSelected();
}

// One event stays selected: the default one when no enabled box is checked.
void EventPageState::CheckDefaultEventIfNoneSelected() {
  for (const CheckState& box : Events) {
    if (box.Checked && box.Enabled) return;
  }
  const std::optional<EventAvailability> availability = Availability();
  if (!availability) return;
  CheckState& fallback = Events[static_cast<std::size_t>(availability->DefaultEvent)];
  if (fallback.Enabled) fallback.Checked = true;
}

EventChoice& EventPageState::ChoiceOf(LimitsField field) {
  switch (field) {
    case lfEventPanel:
      return Panel;
    case lfEventLoop:
      return Loop;
    case lfEventLocalZone:
      return LocalZone;
    case lfEventNetworkZone:
      return NetworkZone;
    case lfEventAddress:
      return Address;
    case lfEventReference:
      return Reference;
    default:
      throw std::invalid_argument("limits field " + std::to_string(field) +
                                  " has no field on the event page");
  }
}

void EventPageState::ApplyLimits(LimitsField field, const LimitsEntry& entry, bool runHandler) {
  EventChoice& choice = ChoiceOf(field);
  const std::optional<int> checked = choice.Group.ApplyLimits(entry);
  // An entry that checks no member leaves the group with its "Any" member, never with none.
  if (!choice.Group.CheckedPosition()) choice.Group.Check(kAny);
  choice.FollowSpecific();
  choice.Field.SetLimits(entry.Limits);
  if (field == lfEventAddress) SetAddressLimit();
  if (runHandler && checked) RunHandler(field, *checked);
}

void EventPageState::RunHandler(LimitsField field, int position) {
  switch (field) {
    case lfEventPanel:
      return PanelClick(position, true);
    case lfEventLoop:
      return LoopClick(position, true);
    case lfEventLocalZone:
      return LocalZoneClick(position, true);
    case lfEventNetworkZone:
      return NetworkZoneClick(position, true);
    case lfEventAddress:
      return AddressClick(position, true);
    case lfEventReference:
      return ReferenceClick(position, true);
    default:
      return;
  }
}

void EventPageState::RunCheckedHandlers() {
  for (const LimitsField field : {lfEventPanel, lfEventLoop, lfEventAddress, lfEventNetworkZone,
                                  lfEventLocalZone, lfEventReference}) {
    const std::optional<int> checked = ChoiceOf(field).Group.CheckedPosition();
    if (checked) RunHandler(field, *checked);
  }
}

RuleKind EventPageState::KindToSet() const {
  if (Tab == etNetwork) return rkEventNetwork;
  return General.Checked ? rkEventGeneral : rkEventLocal;
}

RuleRecord EventPageState::CaptureSource(RuleRecord rule) const {
  rule.Kind = KindToSet();
  rule.DeviceType = DevicePanelVisible ? DeviceTypeFromListPosition(ListChoice(), DeviceType.Index)
                                       : kDeviceTypeNotApplicable;
  if (Tab == etNetwork) {
    rule.Zone = ValueOfChoice(NetworkZone, kAnyZone);
    rule.Address = ValueOfChoice(Reference, kAnyReference);
    return rule;
  }
  rule.Panel = ValueOfChoice(Panel, kAnyPanel);
  rule.Zone = ValueOfChoice(LocalZone, kAnyZone);
  rule.Loop = NonLoop() ? kNonLoop : VirtualLoop() ? kVirtualLoop : ValueOfChoice(Loop, kAnyLoop);
  rule.Address = !Address.Field.Visible() ? kAddressNotApplicable
                 : Address.Checked(kNone) ? kNonDevice
                                          : ValueOfChoice(Address, kAnyAddress);
  return rule;
}

std::int32_t EventPageState::CaptureEvents() const {
  EventSelection selection;
  for (int event = 0; event < kEventCount; ++event) {
    const CheckState& box = Events[static_cast<std::size_t>(event)];
    selection.Set(event, box.Checked, box.Enabled);
  }
  return selection.Value();
}

void EventPageState::LoadSource(const RuleRecord& rule) {
  // The device kind first: the address range of a virtual loop depends on it.
  Module = IsDeviceTypeApplicable(rule.DeviceType) && IsModuleType(rule.DeviceType);
  if (rule.Kind == rkEventNetwork) {
    LoadNetworkSource(rule);
  } else {
    LoadLocalSource(rule);
  }
  LoadDeviceType(rule.DeviceType);
}

// "General Event" is set, not clicked: a click could not uncheck it while no panel box is checked.
// The zone goes last: the loop and address refreshes may take "Any Zone" back.
void EventPageState::LoadLocalSource(const RuleRecord& rule) {
  Tab = etLocal;
  General.Checked = rule.Kind == rkEventGeneral;
  LoadChoice(Panel, PositionOfValue(rule.Panel, kAnyPanel), rule.Panel);
  PanelRefresh();
  const int loop = rule.Loop == kNonLoop      ? kNone
                   : IsVirtualLoop(rule.Loop) ? kVirtual
                                              : PositionOfValue(rule.Loop, kAnyLoop);
  LoadChoice(Loop, loop, rule.Loop);
  LoopRefresh();
  LoadAddress(rule.Address);
  LoadChoice(LocalZone, PositionOfValue(rule.Zone, kAnyZone), rule.Zone);
  RefreshEvents();
}

void EventPageState::LoadAddress(std::int32_t address) {
  Address.SetVisible(address != kAddressNotApplicable);
  if (address == kAddressNotApplicable) return;
  LoadChoice(Address, address == kNonDevice ? kNone : PositionOfValue(address, kAnyAddress),
             address);
  AddressRefresh();
}

void EventPageState::LoadNetworkSource(const RuleRecord& rule) {
  Tab = etNetwork;
  LoadChoice(NetworkZone, PositionOfValue(rule.Zone, kAnyZone), rule.Zone);
  NetworkZoneRefresh();
  LoadChoice(Reference, PositionOfValue(rule.Address, kAnyReference), rule.Address);
  ShowDevicePanel();
  RefreshEvents();
}

void EventPageState::LoadDeviceType(std::int32_t deviceType) {
  if (!IsDeviceTypeApplicable(deviceType)) {
    DevicePanelVisible = false;
    return;
  }
  ShowDevicePanel();
  DevicePanelVisible = true;
  DeviceRadioButtonClick(IsModuleType(deviceType));
  DeviceType.Index = ListPositionOfDeviceType(ListChoice(), deviceType);
}

void EventPageState::LoadEvents(EventSelection events) {
  for (int event = 0; event < kEventCount; ++event) {
    CheckState& box = Events[static_cast<std::size_t>(event)];
    box.Enabled = events.IsEnabled(event);
    box.Checked = events.IsChecked(event);
  }
}

// The page's tab also chooses the board and zonal pages' zone type, where it is still free.
void TEditorState::EventPageChange(EventTab tab) {
  Event.SwitchTab(tab);
  const int source = tab == etLocal ? InputSourceState::kLocalZone : InputSourceState::kNetworkZone;
  if (Input.Source.Member(source).Enabled) InputSourceClick(source, true);
}

RuleRecord TEditorState::CaptureEventRule(RuleRecord rule) const {
  rule = Event.CaptureSource(rule);
  rule.Events = Event.CaptureEvents();
  rule.Output = CaptureOutput().Value();
  rule.Modifier = Output.TurnOff.Checked ? 1 : 0;
  return rule;
}

void TEditorState::LoadEventRule(const RuleRecord& rule) {
  Event.LoadSource(rule);
  Event.LoadEvents(EventSelection(rule.Events));
  LoadOutput(OutputWord(rule.Output));
  Output.TurnOff.Checked = rule.Modifier != 0;
}

bool TEditorState::ConfirmInvertRule() {
  return FRuleList.Queries().Message(ActiveText(string_id::kCreateInvertRule),
                                     ActiveText(string_id::kWarning), MessageButtons::YesNo,
                                     MessageIcon::Warning) == MessageAnswer::Yes;
}

// A rule whose choices offer no events is never written, whatever the button showed.
void TEditorState::EventSetRuleButtonClick() {
  if (!Event.SetRuleEnabled || !FRuleList.ChooseTargetRow()) return;
  if (Output.TurnOff.Checked && !ConfirmInvertRule()) return;
  const RuleRecord rule = CaptureEventRule(FConfiguration.WorkingRule);
  WriteWorkingRule(rule, RequiredSystemOfStoredRule(rule, Model(), System()));
  Output.TurnOff.Checked = false;
  Input.Source.SetEnabled(
      rule.Kind == rkEventNetwork ? InputSourceState::kLocalZone : InputSourceState::kNetworkZone,
      false);
}

}  // namespace trv
