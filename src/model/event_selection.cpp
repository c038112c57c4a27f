#include "model/event_selection.h"

namespace trv {
namespace {

bool IsEvent(int event) {
  return event >= 0 && event < kEventCount;
}

std::uint32_t CheckedBit(int event) {
  return 1u << (2 * event);
}
std::uint32_t EnabledBit(int event) {
  return 1u << (2 * event + 1);
}

void Assign(std::uint32_t& bits, std::uint32_t bit, bool value) {
  bits = value ? bits | bit : bits & ~bit;
}

}  // namespace

void EventSelection::Set(int event, bool checked, bool enabled) {
  if (!IsEvent(event)) return;
  Assign(FBits, CheckedBit(event), checked);
  Assign(FBits, EnabledBit(event), enabled);
}

bool EventSelection::IsChecked(int event) const {
  return IsEvent(event) && (FBits & CheckedBit(event)) != 0;
}

bool EventSelection::IsEnabled(int event) const {
  return IsEvent(event) && (FBits & EnabledBit(event)) != 0;
}

}  // namespace trv
