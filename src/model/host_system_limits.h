#pragma once

#include <cstdint>

namespace trv {

// SystemIndex values: the host panel systems in the order of the system combo box.
inline constexpr int kSystemKP10 = 0;
inline constexpr int kSystemKP4000 = 1;
inline constexpr int kSystemKP6000 = 2;
inline constexpr int kSystemCount = 3;

// Range and default of one numeric field of the editor.
struct FieldLimits {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
  std::int32_t Default = 0;
  bool operator==(const FieldLimits&) const = default;
};

// The settings that change the limits of a host system.
struct LimitsVariant {
  int ModelIndex = 0;
  bool NetworkFitted = false;  // KPNet: both panel fields 1..125, controller address 0..125
  bool VdsChecked = false;     // network reference 1..32 with VdS, 1..99 without
};

// Ranges of the editor's numeric fields for one host system and variant.
struct HostSystemLimits {
  FieldLimits BoardZonalPanel{};
  FieldLimits LocalZone{};    // board, zonal and event local zones in local zone mode
  FieldLimits NetworkZone{};  // the same zones in network zone mode
  FieldLimits EventPanel{};
  FieldLimits EventLoop{};
  FieldLimits EventNetworkZone{};
  FieldLimits EventAddress{};
  FieldLimits EventReference{};  // 0..0 where the network reference is not offered
  FieldLimits ControllerAddress{};
  bool VdsAllowed = false;
  bool NetworkAllowed = false;  // KPNet, never for model 4
  bool NetworkZonePage = false;

  bool operator==(const HostSystemLimits&) const = default;
};

// Throws std::out_of_range for a system index outside 0..2.
HostSystemLimits HostSystemLimitsOf(int systemIndex, const LimitsVariant& variant);

// Zones driven by one board rule: one per output for "Fire" (64, model 4: 16), half as many
// for "Fire & Fault/Test/Disable" (two outputs per zone).
std::int32_t BoardRuleSpan(int modelIndex, std::int32_t boardEvent);

// First zone + span - 1, capped at the maximum of the last-zone field.
std::int32_t BoardRuleLastZone(std::int32_t firstZone, std::int32_t span, std::int32_t lastZoneMax);

// The first zone of a board rule on the Board page: capped so that the whole board fits.
FieldLimits BoardRuleFirstZoneLimits(const FieldLimits& zoneLimits, std::int32_t span);

// Maximum of the event address: 64 for a virtual-loop sensor, 512 for a virtual-loop module,
// otherwise 99.
std::int32_t EventAddressMax(bool virtualLoop, bool module);

// Maxima of the output fields (every minimum is 1).
struct OutputLimits {
  std::int32_t TerminationBoardMax = 0;
  std::int32_t TerminationBankMax = 0;
  std::int32_t TerminationOutputMax = 0;
  std::int32_t DriverBoardMax = 0;
  std::int32_t DriverBankMax = 0;
  std::int32_t DriverOutputMax = 0;
  bool operator==(const OutputLimits&) const = default;
};

OutputLimits OutputLimitsOf(int modelIndex);

}  // namespace trv
