#pragma once

#include <array>
#include <optional>

#include "model/event_selection.h"

namespace trv {

// Kept out of this header: its rule sentinels share names with the criteria values.
struct RuleRecord;

// Values of the criteria; kAnyCriterion where the state has no value for one (the network tab's
// panel, loop and non-device criteria), which only rows that accept any value match.
namespace event_criteria {
inline constexpr int kAnyCriterion = 255;
inline constexpr int kSystemKP10 = 0;
inline constexpr int kSystemKPxK = 2;
inline constexpr int kAnyPanel = 1;  // "Any Panel" checked, or the system is KP10
inline constexpr int kSpecificPanel = 2;
inline constexpr int kNonLoop = 0;
inline constexpr int kOtherLoop = 1;
inline constexpr int kVirtualLoop = 3;
inline constexpr int kNonDeviceChecked = 0;  // "Non Device Event" shown and checked
inline constexpr int kDeviceEvent = 1;
inline constexpr int kSensor = 0;
inline constexpr int kModule = 1;
inline constexpr int kNoDeviceKind = 255;  // the device-type panel is hidden
inline constexpr int kLocalPage = 0;
inline constexpr int kGeneralPage = 1;  // local tab with "General Event"
inline constexpr int kNetworkPage = 2;
inline constexpr int kUntyped = 1;
inline constexpr int kTyped = 2;  // the device-type panel is shown and "Virtual" is not checked
}  // namespace event_criteria

// The state of the event rule page, or of a rule being decoded, as the availability table sees it.
struct EventCriteria {
  int SystemClass = event_criteria::kSystemKPxK;
  int PanelClass = event_criteria::kAnyPanel;
  int LoopClass = event_criteria::kOtherLoop;
  int NonDevice = event_criteria::kDeviceEvent;
  int DeviceKind = event_criteria::kSensor;
  int Page = event_criteria::kLocalPage;
  int Typed = event_criteria::kUntyped;
  // For typed rows: the chosen type's position in the family's sensor or module short list.
  int DeviceTypePosition = 0;
};

// Which of the sixteen events may be chosen, and which one is chosen by default.
struct EventAvailability {
  int DefaultEvent = 0;
  std::array<bool, kEventCount> Allowed{};
  bool operator==(const EventAvailability&) const = default;
};

// The state of the event page that the event rule (kinds 1, 2 and 4) was set from, as far as the
// rule tells it.
EventCriteria EventCriteriaOfRule(const RuleRecord& rule, int systemIndex);

// The first row of the criteria table (1..21) that the state matches.
std::optional<int> MatchingCriteriaRow(const EventCriteria& criteria);

// The availability of the first matching row; nullopt when no row matches, or a typed row
// matches a position that its type list does not have.
std::optional<EventAvailability> LookUpEventAvailability(const EventCriteria& criteria);

}  // namespace trv
