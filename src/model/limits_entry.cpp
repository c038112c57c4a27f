#include "model/limits_entry.h"

#include <stdexcept>
#include <string>

namespace trv {
namespace {

constexpr std::uint8_t N = kMemberNotAvailable;
constexpr std::uint8_t A = kMemberAvailable;
constexpr std::uint8_t U = kMemberUnchanged;

// Members and checked position of an entry; the range comes from the host system limits.
struct EntryShape {
  std::array<std::uint8_t, kLimitsEntryPositions> Members;
  int CheckedPosition;
};

// Members left as they are; also the shape of the zone fields, which have no members.
constexpr EntryShape kUnchanged{{U, U, U}, 0};

using ShapesBySystem = std::array<EntryShape, kSystemCount>;

// Every shape is KP10, KP4000, KP6000.
constexpr ShapesBySystem kControllerAddressShapes{{{{U, A, A}, 1}, {{U, A, A}, 1}, {{U, A, A}, 1}}};
constexpr ShapesBySystem kBoardZonalInputShapes{{{{U, N, A}, 2}, {{U, N, A}, 2}, {{U, A, A}, 2}}};
constexpr ShapesBySystem kZoneShapes{{kUnchanged, kUnchanged, kUnchanged}};
constexpr ShapesBySystem kEventPanelShapes{{{{U, N, A}, 2}, {{U, A, A}, 1}, {{U, A, A}, 1}}};
constexpr ShapesBySystem kEventLoopShapes{{{{A, A, A}, 1}, {{A, A, A}, 1}, {{A, A, N}, 1}}};
constexpr ShapesBySystem kEventLocalZoneLocalShapes{
    {{{U, A, A}, 0}, {{U, A, A}, 0}, {{U, A, N}, 0}}};
constexpr ShapesBySystem kEventLocalZoneNetworkShapes{{kUnchanged, kUnchanged, {{U, A, A}, 0}}};
constexpr ShapesBySystem kEventNetworkZoneShapes{{kUnchanged, kUnchanged, {{U, A, A}, 1}}};
constexpr ShapesBySystem kEventAddressShapes{{{{A, A, A}, 1}, {{A, A, A}, 1}, {{A, A, N}, 1}}};
constexpr ShapesBySystem kEventReferenceShapes{{kUnchanged, kUnchanged, {{U, A, N}, 1}}};

struct FieldEntries {
  const ShapesBySystem& Shapes;
  FieldLimits Limits;
};

FieldEntries EntriesOf(LimitsField field, const HostSystemLimits& limits, bool networkZoneMode) {
  const FieldLimits& zones = networkZoneMode ? limits.NetworkZone : limits.LocalZone;
  switch (field) {
    case lfControllerAddress:
      return {kControllerAddressShapes, limits.ControllerAddress};
    case lfBoardZonalInput:
      return {kBoardZonalInputShapes, limits.BoardZonalPanel};
    case lfFirstZone:
    case lfLastZone:
      return {kZoneShapes, zones};
    case lfEventPanel:
      return {kEventPanelShapes, limits.EventPanel};
    case lfEventLoop:
      return {kEventLoopShapes, limits.EventLoop};
    case lfEventLocalZone:
      return {networkZoneMode ? kEventLocalZoneNetworkShapes : kEventLocalZoneLocalShapes, zones};
    case lfEventNetworkZone:
      return {kEventNetworkZoneShapes, limits.EventNetworkZone};
    case lfEventAddress:
      return {kEventAddressShapes, limits.EventAddress};
    case lfEventReference:
      return {kEventReferenceShapes, limits.EventReference};
  }
  throw std::out_of_range("limits field " + std::to_string(field) + " is unknown");
}

}  // namespace

LimitsEntry LimitsEntryOf(LimitsField field, const LimitsContext& context) {
  const HostSystemLimits limits = HostSystemLimitsOf(context.SystemIndex, context.Variant);
  const FieldEntries entries = EntriesOf(field, limits, context.NetworkZoneMode);
  const EntryShape& shape = entries.Shapes[static_cast<std::size_t>(context.SystemIndex)];
  return {shape.Members, shape.CheckedPosition, entries.Limits};
}

}  // namespace trv
