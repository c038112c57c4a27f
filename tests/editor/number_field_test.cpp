#include "editor/number_field.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

struct FieldCase {
  const char* Name;
  void (*Change)(NumberField&);
  std::int32_t Min, Max, Value;
};

NumberField FieldOf(std::int32_t min, std::int32_t max, std::int32_t value) {
  NumberField field;
  field.SetLimits({min, max, value});
  return field;
}

TEST(NumberFieldTest, BoundsAndValueFollowTheCounter) {
  const FieldCase cases[] = {
      {"value above max", [](NumberField& f) { f.SetValue(300); }, 1, 255, 255},
      {"value below min", [](NumberField& f) { f.SetValue(-4); }, 1, 255, 1},
      {"min raised past the value", [](NumberField& f) { f.SetMin(50); }, 50, 255, 50},
      {"max lowered under the value", [](NumberField& f) { f.SetMax(8); }, 1, 8, 8},
      {"min across max brings max", [](NumberField& f) { f.SetMin(300); }, 300, 300, 300},
      {"max across min brings min", [](NumberField& f) { f.SetMax(-2); }, -2, -2, -2},
      {"low 16 bits, signed", [](NumberField& f) { f.SetMax(70000); }, 1, 4464, 10},
      {"low 16 bits of min", [](NumberField& f) { f.SetMin(0x18000); }, -32768, 255, 10},
      {"limits entry",
       [](NumberField& f) {
         f.SetLimits({1, 16, 1});
       },
       1, 16, 1},
      {"entry's default outside",
       [](NumberField& f) {
         f.SetLimits({0, 125, 200});
       },
       0, 125, 125},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.Name);
    NumberField field = FieldOf(1, 255, 10);
    c.Change(field);
    EXPECT_EQ(field.Min(), c.Min);
    EXPECT_EQ(field.Max(), c.Max);
    EXPECT_EQ(field.Value(), c.Value);
  }
}

TEST(NumberFieldTest, StartsAsANewSpinControlAndKeepsEnablingApart) {
  NumberField field;
  EXPECT_EQ(field, FieldOf(0, 100, 0));
  EXPECT_TRUE(field.Enabled());
  EXPECT_TRUE(field.Visible());
  field.SetEnabled(false);
  field.SetVisible(false);
  field.SetValue(7);
  EXPECT_EQ(field.Value(), 7);
  EXPECT_FALSE(field.Enabled());
  EXPECT_FALSE(field.Visible());
}

}  // namespace
}  // namespace trv
