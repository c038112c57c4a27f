#pragma once

#include <array>
#include <cstdint>

#include "model/host_system_limits.h"

namespace trv {

// The option groups whose members and number field follow the host system.
enum LimitsField {
  lfControllerAddress,  // —, "&DIP switches", "&Soft Address"
  lfBoardZonalInput,    // —, "Network Zone", "Local Zone"; number field: the panel
  lfFirstZone,          // no members
  lfLastZone,           // no members
  lfEventPanel,         // —, "Any Panel", "Specific Panel"
  lfEventLoop,          // "Non Loop Event", "Any Loop", "Specific Loop"
  lfEventLocalZone,     // —, "Any Zone", "Specific Zone"
  lfEventNetworkZone,   // —, "Any Zone", "Specific Zone"
  lfEventAddress,       // "Non Device Event", "Any Address", "Specific Address"
  lfEventReference,     // —, "Any Reference", "Specific Reference"
};

// Availability of a group member in a limits entry.
inline constexpr std::uint8_t kMemberNotAvailable = 0;
inline constexpr std::uint8_t kMemberAvailable = 1;
inline constexpr std::uint8_t kMemberUnchanged = 255;  // also every position without a member

inline constexpr int kLimitsEntryPositions = 3;

struct LimitsEntry {
  std::array<std::uint8_t, kLimitsEntryPositions> Members{};
  int CheckedPosition = 0;  // a position without a member checks none
  FieldLimits Limits{};

  bool operator==(const LimitsEntry&) const = default;
};

struct LimitsContext {
  int SystemIndex = kSystemKP6000;
  bool NetworkZoneMode = false;  // the "Network" zone type; the local zone type otherwise
  LimitsVariant Variant{};
};

// Throws std::out_of_range for a system index outside 0..2.
LimitsEntry LimitsEntryOf(LimitsField field, const LimitsContext& context);

}  // namespace trv
