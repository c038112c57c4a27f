#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace trv {

// The kind of a rule, as stored in RuleRecord::Kind.
enum RuleKind : std::int32_t {
  rkCleared = -2,  // removed by Reset; the row stays and may be reused
  rkInvalid = -1,  // invalid or absent
  rkBoard = 0,
  rkEventLocal = 1,
  rkEventNetwork = 2,
  rkZonal = 3,
  rkEventGeneral = 4,
};

// Only kinds 0..4 describe a rule; any other value shows as "Invalid" and is never loaded.
constexpr bool IsRuleKind(std::int32_t kind) {
  return kind >= rkBoard && kind <= rkEventGeneral;
}

// Panel: any panel (event rules) or a network zone input (board and zonal rules).
inline constexpr std::int32_t kAnyPanel = -1;
inline constexpr std::int32_t kNetworkZonePanel = -1;

// Loop: any loop, a non-loop event, and the virtual loop (every value from 1024 up).
inline constexpr std::int32_t kAnyLoop = -1;
inline constexpr std::int32_t kNonLoop = -2;
inline constexpr std::int32_t kVirtualLoop = 1024;
constexpr bool IsVirtualLoop(std::int32_t loop) {
  return loop >= kVirtualLoop;
}

// Zone of event rules.
inline constexpr std::int32_t kAnyZone = -1;

// Address: any address (or any network reference), a non-device event, and not applicable
// (the address choices were hidden when the rule was set).
inline constexpr std::int32_t kAnyAddress = -1;
inline constexpr std::int32_t kAnyReference = -1;
inline constexpr std::int32_t kNonDevice = -2;
inline constexpr std::int32_t kAddressNotApplicable = -4;

// DeviceType: not applicable (the device type choice was hidden); -3 loads as not applicable.
inline constexpr std::int32_t kDeviceTypeNotApplicable = -4;
inline constexpr std::int32_t kDeviceTypeHidden = -3;
constexpr bool IsDeviceTypeApplicable(std::int32_t deviceType) {
  return deviceType != kDeviceTypeNotApplicable && deviceType != kDeviceTypeHidden;
}

// Events of board rules: the board event choice.
inline constexpr std::int32_t kBoardEventFire = 0;
inline constexpr std::int32_t kBoardEventFireAndFaultTestDisable = 1;

// Events of zonal rules: the zonal event choice.
inline constexpr std::int32_t kZonalEventFire = 0;
inline constexpr std::int32_t kZonalEventFaultTestDisable = 1;
inline constexpr std::int32_t kZonalEventFault = 2;
inline constexpr std::int32_t kZonalEventZoneInTest = 3;
inline constexpr std::int32_t kZonalEventDisable = 4;

// One rule: the nine numbers of a row of the rule data sheet, in column order.
struct RuleRecord {
  std::int32_t Kind = rkInvalid;
  std::int32_t Panel = 0;
  std::int32_t Loop = 0;
  std::int32_t Zone = 0;  // event rules: zone; zonal: ZoneRange; board: first zone
  std::int32_t Address = 0;
  std::int32_t DeviceType = 0;
  std::int32_t Events = 0;    // board or zonal event choice; event rules: EventSelection
  std::int32_t Modifier = 0;  // event rules: 1 for "Turn Off"; board rules: board number
  std::int32_t Output = 0;    // OutputWord

  bool operator==(const RuleRecord&) const = default;
};

inline constexpr std::size_t kRuleRecordFieldCount = 9;

// The fields in column order (column c of the rule data sheet is element c - 1).
inline constexpr std::array<std::int32_t RuleRecord::*, kRuleRecordFieldCount> kRuleRecordFields{
    &RuleRecord::Kind,   &RuleRecord::Panel,    &RuleRecord::Loop,
    &RuleRecord::Zone,   &RuleRecord::Address,  &RuleRecord::DeviceType,
    &RuleRecord::Events, &RuleRecord::Modifier, &RuleRecord::Output};

}  // namespace trv
