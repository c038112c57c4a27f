#pragma once

#include <cstdint>

#include "model/host_system_limits.h"

namespace trv {

// The state of one number field of the editor pages: the counter of a spin control. Bounds and
// value keep their low 16 bits, read as a signed number; the value stays within the bounds, and
// a bound set across the other one brings it along.
class NumberField {
 public:
  std::int32_t Min() const { return FMin; }
  std::int32_t Max() const { return FMax; }
  std::int32_t Value() const { return FValue; }
  bool Enabled() const { return FEnabled; }
  bool Visible() const { return FVisible; }

  void SetMin(std::int32_t min);
  void SetMax(std::int32_t max);
  void SetValue(std::int32_t value);
  // Min, max and value (the default) of a limits entry.
  void SetLimits(const FieldLimits& limits);
  void SetEnabled(bool enabled) { FEnabled = enabled; }
  void SetVisible(bool visible) { FVisible = visible; }

  bool operator==(const NumberField&) const = default;

 private:
  void KeepValueInRange();

  std::int32_t FMin = 0;
  std::int32_t FMax = 100;
  std::int32_t FValue = 0;
  bool FEnabled = true;
  bool FVisible = true;
};

}  // namespace trv
