#include "editor/comparison_rows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace trv {
namespace {

using ::testing::ElementsAre;

RuleText Text(const std::string& first, const std::string& output) {
  RuleText text;
  text[0] = first;
  text[7] = output;
  return text;
}

TEST(ComparisonRowsTest, SettingsThenRulesEachSideWithItsNumber) {
  ConfigurationDifferences differences;
  differences.Settings = {{"UnitName", "West", "East"}};
  differences.Rules = {
      {RuleChange::Changed, 4, 3, Text("Zonal", "LED 1"), Text("Zonal", "LED 2"), {}},
      {RuleChange::OnlyInB, 0, 6, {}, Text("Board", "Relay 3"), {}},
      {RuleChange::Moved, 2, 5, Text("Zonal", "LED 4"), Text("Zonal", "LED 4"), {}},
  };
  EXPECT_THAT(
      ComparisonRows(differences),
      ElementsAre(
          ComparisonRow{ComparisonMark::Heading, "Settings", ""},
          ComparisonRow{ComparisonMark::Setting, "UnitName: West", "UnitName: East"},
          ComparisonRow{ComparisonMark::Heading, "Rules", ""},
          ComparisonRow{ComparisonMark::Changed, "rule 4: Zonal / LED 1", "rule 3: Zonal / LED 2"},
          ComparisonRow{ComparisonMark::OnlyInB, "", "rule 6: Board / Relay 3"},
          ComparisonRow{ComparisonMark::Moved, "rule 2: Zonal / LED 4", "rule 5: Zonal / LED 4"}));
  EXPECT_EQ(ComparisonSummary(differences, {"this configuration", "the file"}),
            "differences: 1 setting, 3 rules (1 changed, 1 only in the file, 1 moved)");
}

// What the rule text leaves out is all that tells the two sides apart.
TEST(ComparisonRowsTest, RulesThatReadTheSameShowTheirFieldsThatDiffer) {
  ConfigurationDifferences differences;
  differences.Rules = {{RuleChange::Changed,
                        1,
                        1,
                        Text("Zonal", "LED 1"),
                        Text("Zonal", "LED 1"),
                        {{"Modifier", "0", "2"}}}};
  EXPECT_THAT(
      ComparisonRows(differences),
      ElementsAre(ComparisonRow{ComparisonMark::Heading, "Rules", ""},
                  ComparisonRow{ComparisonMark::Changed, "rule 1: Zonal / LED 1 (Modifier 0)",
                                "rule 1: Zonal / LED 1 (Modifier 2)"}));
  EXPECT_EQ(ComparisonSummary({}, {"A", "B"}), "no differences");
}

}  // namespace
}  // namespace trv
