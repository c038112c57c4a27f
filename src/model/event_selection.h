#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace trv {

struct EventCheckBox {
  std::string_view Name;
  std::string_view Caption;
};

inline constexpr int kEventCount = 16;

// The event check boxes of the event rule page, in the order of their bits.
inline constexpr std::array<EventCheckBox, kEventCount> kEventCheckBoxes{{
    {"EventFireCheckBox", "Fire"},
    {"EventPreAlarmCheckBox", "PreAlarm"},
    {"EventNonFireCheckBox", "Non-Fire/Aux"},
    {"EventInTestCheckBox", "Test"},
    {"EventFaultCheckBox", "Fault"},
    {"EventDeviceTestCheckBox", "(Device Test)"},
    {"EventEnabledCheckBox", "Re-enabled"},
    {"EventDisabledCheckBox", "Disabled"},
    {"EventCommsFailCheckBox", "Comms Fail"},
    {"EventDayCheckBox", "Day"},
    {"EventNightCheckBox", "Night"},
    {"EventDelaysActiveCheckBox", "Delays Active"},
    {"EventEvacuateCheckBox", "Evacuate"},
    {"EventSilenceCheckBox", "Silence"},
    {"EventResetCheckBox", "Reset"},
    {"EventPowerOKCheckBox", "Power OK"},
}};

// Event indices in the order of kEventCheckBoxes.
namespace event_index {
enum Event : int {
  kFire,
  kPreAlarm,
  kNonFire,
  kInTest,
  kFault,
  kDeviceTest,
  kEnabled,
  kDisabled,
  kCommsFail,
  kDay,
  kNight,
  kDelaysActive,
  kEvacuate,
  kSilence,
  kReset,
  kPowerOK,
};
}  // namespace event_index

// The Events field of event rules: for event i, bit 2i = checked and bit 2i+1 = enabled when the
// rule was set. A box checked while disabled does not count.
class EventSelection {
 public:
  EventSelection() = default;
  explicit EventSelection(std::int32_t events) : FBits(static_cast<std::uint32_t>(events)) {}

  std::int32_t Value() const { return static_cast<std::int32_t>(FBits); }

  // Events outside 0..15 read as neither checked nor enabled and cannot be set.
  void Set(int event, bool checked, bool enabled);
  bool IsChecked(int event) const;
  bool IsEnabled(int event) const;
  bool IsSelected(int event) const { return IsChecked(event) && IsEnabled(event); }

  bool operator==(const EventSelection&) const = default;

 private:
  std::uint32_t FBits = 0;
};

}  // namespace trv
