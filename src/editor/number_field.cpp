#include "editor/number_field.h"

#include <algorithm>

namespace trv {

namespace {

std::int32_t CounterValue(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

}  // namespace

void NumberField::SetMin(std::int32_t min) {
  FMin = CounterValue(min);
  FMax = std::max(FMax, FMin);
  KeepValueInRange();
}

void NumberField::SetMax(std::int32_t max) {
  FMax = CounterValue(max);
  FMin = std::min(FMin, FMax);
  KeepValueInRange();
}

void NumberField::SetValue(std::int32_t value) {
  FValue = CounterValue(value);
  KeepValueInRange();
}

void NumberField::SetLimits(const FieldLimits& limits) {
  SetMin(limits.Min);
  SetMax(limits.Max);
  SetValue(limits.Default);
}

void NumberField::KeepValueInRange() {
  FValue = std::clamp(FValue, FMin, FMax);
}

}  // namespace trv
