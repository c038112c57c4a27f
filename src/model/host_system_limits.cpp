#include "model/host_system_limits.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "model/output_word.h"
#include "model/rule_record.h"

namespace trv {
namespace {

constexpr FieldLimits kNoPanel{0, 0, 0};
constexpr FieldLimits kPanels{0, 7, 0};
constexpr FieldLimits kNetworkedPanels{1, 125, 1};
constexpr FieldLimits kNetworkZones{1, 8192, 1};
constexpr std::int32_t kSlimlineNetworkZoneMax = 4096;
constexpr FieldLimits kNotOffered{0, 0, 0};
constexpr FieldLimits kAddresses{1, 99, 1};
constexpr FieldLimits kVdsReferences{1, 32, 1};
constexpr std::int32_t kReferenceMaxWithoutVds = 99;
constexpr FieldLimits kControllerAddresses{0, 31, 0};
constexpr std::int32_t kNetworkedControllerAddressMax = 125;

// The limits of each system with no variant applied.
constexpr std::array<HostSystemLimits, kSystemCount> kBaseLimits{{
    {.BoardZonalPanel = kNoPanel,
     .LocalZone = {1, 16, 1},
     .NetworkZone = kNetworkZones,
     .EventPanel = kNoPanel,
     .EventLoop = {1, 1, 1},
     .EventNetworkZone = kNotOffered,
     .EventAddress = kAddresses,
     .EventReference = kNotOffered,
     .ControllerAddress = kControllerAddresses},
    {.BoardZonalPanel = kPanels,
     .LocalZone = {1, 80, 1},
     .NetworkZone = kNetworkZones,
     .EventPanel = kPanels,
     .EventLoop = {1, 8, 1},
     .EventNetworkZone = kNotOffered,
     .EventAddress = kAddresses,
     .EventReference = kNotOffered,
     .ControllerAddress = kControllerAddresses},
    {.BoardZonalPanel = kPanels,
     .LocalZone = {1, 255, 1},
     .NetworkZone = kNetworkZones,
     .EventPanel = kPanels,
     .EventLoop = {1, 8, 1},
     .EventNetworkZone = kNetworkZones,
     .EventAddress = kAddresses,
     .EventReference = kVdsReferences,
     .ControllerAddress = kControllerAddresses,
     .VdsAllowed = true,
     .NetworkAllowed = true,
     .NetworkZonePage = true},
}};

const HostSystemLimits& BaseLimitsOf(int systemIndex) {
  if (systemIndex < 0 || systemIndex >= kSystemCount) {
    throw std::out_of_range("host system index " + std::to_string(systemIndex) +
                            " is not one of 0..2");
  }
  return kBaseLimits[static_cast<std::size_t>(systemIndex)];
}

void CapNetworkZones(FieldLimits& limits) {
  if (limits.Max > kSlimlineNetworkZoneMax) limits.Max = kSlimlineNetworkZoneMax;
}

void ApplySlimlineModel(HostSystemLimits& limits) {
  CapNetworkZones(limits.NetworkZone);
  CapNetworkZones(limits.EventNetworkZone);
  limits.NetworkAllowed = false;
}

void ApplyNetworkFitted(HostSystemLimits& limits) {
  limits.BoardZonalPanel = kNetworkedPanels;
  limits.EventPanel = kNetworkedPanels;
  limits.ControllerAddress.Max = kNetworkedControllerAddressMax;
}

}  // namespace

HostSystemLimits HostSystemLimitsOf(int systemIndex, const LimitsVariant& variant) {
  HostSystemLimits limits = BaseLimitsOf(systemIndex);
  if (IsSlimlineModel(variant.ModelIndex)) ApplySlimlineModel(limits);
  if (variant.NetworkFitted) ApplyNetworkFitted(limits);
  if (!variant.VdsChecked && limits.EventReference != kNotOffered) {
    limits.EventReference.Max = kReferenceMaxWithoutVds;
  }
  return limits;
}

std::int32_t BoardRuleSpan(int modelIndex, std::int32_t boardEvent) {
  const std::int32_t outputs = OutputsPerBoard(obTermination, modelIndex);
  return boardEvent == kBoardEventFireAndFaultTestDisable ? outputs / 2 : outputs;
}

std::int32_t BoardRuleLastZone(std::int32_t firstZone, std::int32_t span,
                               std::int32_t lastZoneMax) {
  // Widened: a first zone read from a file may be anything.
  const std::int64_t last = std::int64_t{firstZone} + span - 1;
  return static_cast<std::int32_t>(std::min<std::int64_t>(last, lastZoneMax));
}

FieldLimits BoardRuleFirstZoneLimits(const FieldLimits& zoneLimits, std::int32_t span) {
  FieldLimits limits = zoneLimits;
  limits.Min = std::max(limits.Min, 1);
  limits.Max = std::max(limits.Max - span + 1, 1);
  limits.Default = std::clamp(limits.Default, limits.Min, std::max(limits.Min, limits.Max));
  return limits;
}

std::int32_t EventAddressMax(bool virtualLoop, bool module) {
  constexpr std::int32_t kVirtualSensorAddressMax = 64;
  constexpr std::int32_t kVirtualModuleAddressMax = 512;
  if (!virtualLoop) return kAddresses.Max;
  return module ? kVirtualModuleAddressMax : kVirtualSensorAddressMax;
}

OutputLimits OutputLimitsOf(int modelIndex) {
  if (IsSlimlineModel(modelIndex)) return {10, 1, 16, 10, 1, 16};
  return {8, 2, 32, 8, 1, 8};
}

}  // namespace trv
