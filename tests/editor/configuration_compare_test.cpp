#include "editor/configuration_compare.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/configuration.h"
#include "model/relay_links.h"
#include "model/zone_range.h"
#include "transfer/encode_image.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;

constexpr RuleRecord kLocal{.Kind = rkEventLocal,
                            .Panel = 1,
                            .Loop = 2,
                            .Zone = 5,
                            .Address = 17,
                            .DeviceType = 3,
                            .Events = 0b11 | 0b11 << 8,  // Fire and Fault
                            .Modifier = 0,
                            .Output = 0x820A};

RuleRecord Zonal(std::int32_t first, std::int32_t last, std::int32_t output = 0x8200) {
  return {.Kind = rkZonal,
          .Panel = 0,
          .Zone = ZoneRange{first, last}.Packed(),
          .Events = kZonalEventFire,
          .Output = output};
}

Configuration Holding(const std::vector<RuleRecord>& rules) {
  Configuration configuration("/nonexistent/trv-compare", "/nonexistent/trv-compare");
  for (const RuleRecord& rule : rules) configuration.StoreRule(++configuration.RuleCount, rule);
  return configuration;
}

// Zonal rules 1..count, each for its own zone.
std::vector<RuleRecord> ZonalRules(int count) {
  std::vector<RuleRecord> rules;
  for (int n = 1; n <= count; ++n) rules.push_back(Zonal(n, n, 0x8200 + n));
  return rules;
}

RuleText TextOf(const RuleRecord& rule) {
  return RenderRule(rule, RuleTextContextOf(ControllerSettings{}));
}

auto Is(RuleChange change, std::int32_t numberA, std::int32_t numberB) {
  return AllOf(Field(&RuleDifference::Change, change), Field(&RuleDifference::NumberA, numberA),
               Field(&RuleDifference::NumberB, numberB));
}

TEST(CompareConfigurationsTest, EqualConfigurationsHaveNoDifference) {
  EXPECT_TRUE(CompareConfigurations(Holding(ZonalRules(5)), Holding(ZonalRules(5))).Empty());
  EXPECT_TRUE(CompareConfigurations(Holding({}), Holding({})).Empty());
}

TEST(CompareConfigurationsTest, SettingsThatDifferWithBothValues) {
  Configuration a = Holding({});
  Configuration b = Holding({});
  b.ControllerSettings.UnitName = "East";
  b.ControllerSettings.SystemIndex = 1;
  b.ControllerSettings.RelayLinks[RelayLinkIndex(1, 0, 2)] = 1;
  b.ControllerSettings.RcuRelayLinks[RcuRelayLinkIndex(9, 15)] = 1;
  EXPECT_THAT(
      CompareConfigurations(a, b).Settings,
      ElementsAre(
          FieldDifference{"SystemIndex", "KP6000", "KP4000"},
          FieldDifference{"UnitName", a.ControllerSettings.UnitName, "East"},
          FieldDifference{"RelayLinks[board 2, bank 1, outputs 17..24]", "not fitted", "fitted"},
          FieldDifference{"RcuRelayLinks[board 10, output 16]", "not fitted", "fitted"}));
}

TEST(CompareConfigurationsTest, ChangedRuleShowsBothTextsAndFields) {
  std::vector<RuleRecord> rules = ZonalRules(6);
  rules[3] = Zonal(4, 6, 0x8204);
  const ConfigurationDifferences differences =
      CompareConfigurations(Holding(ZonalRules(6)), Holding(rules));
  ASSERT_THAT(differences.Rules, ElementsAre(Is(RuleChange::Changed, 4, 4)));
  const RuleDifference& rule = differences.Rules.front();
  EXPECT_EQ(rule.TextA, TextOf(Zonal(4, 4, 0x8204)));
  EXPECT_EQ(rule.TextB[3], "(   4..   6)");
  EXPECT_THAT(rule.Fields,
              ElementsAre(FieldDifference{"Zone", std::to_string(ZoneRange{4, 4}.Packed()),
                                          std::to_string(ZoneRange{4, 6}.Packed())}));
  EXPECT_THAT(differences.Settings, IsEmpty());
}

TEST(CompareConfigurationsTest, InsertedDeletedAndMovedRulesAreOneDifferenceEach) {
  const std::vector<RuleRecord> a = ZonalRules(10);
  std::vector<RuleRecord> inserted = a;
  inserted.insert(inserted.begin() + 2, Zonal(50, 60));
  std::vector<RuleRecord> deleted = a;
  deleted.erase(deleted.begin() + 6);
  std::vector<RuleRecord> moved = a;
  moved.erase(moved.begin() + 1);
  moved.insert(moved.begin() + 7, a[1]);

  EXPECT_THAT(CompareConfigurations(Holding(a), Holding(inserted)).Rules,
              ElementsAre(Is(RuleChange::OnlyInB, 0, 3)));
  EXPECT_THAT(CompareConfigurations(Holding(a), Holding(deleted)).Rules,
              ElementsAre(Is(RuleChange::OnlyInA, 7, 0)));
  const ConfigurationDifferences move = CompareConfigurations(Holding(a), Holding(moved));
  ASSERT_THAT(move.Rules, ElementsAre(Is(RuleChange::Moved, 2, 8)));
  EXPECT_EQ(move.Rules.front().TextA, TextOf(a[1]));
  EXPECT_EQ(move.Rules.front().TextB, TextOf(a[1]));
}

TEST(CompareConfigurationsTest, ChangesAfterAnInsertionKeepTheirOwnNumbers) {
  const std::vector<RuleRecord> a = ZonalRules(8);
  std::vector<RuleRecord> b = a;
  b[5] = Zonal(6, 7, 0x8206);
  b.insert(b.begin(), Zonal(99, 99));
  b.push_back(Zonal(98, 98));
  EXPECT_THAT(CompareConfigurations(Holding(a), Holding(b)).Rules,
              ElementsAre(Is(RuleChange::OnlyInB, 0, 1), Is(RuleChange::Changed, 6, 7),
                          Is(RuleChange::OnlyInB, 0, 10)));
}

TEST(CompareConfigurationsTest, OnlyWhatARuleOfItsKindUsesCounts) {
  RuleRecord board{.Kind = rkBoard, .Panel = 0, .Zone = 1, .Events = 0, .Modifier = 1};
  RuleRecord boardLeftovers = board;
  boardLeftovers.Output = 0x8123;  // kept from the rule the editor held before
  boardLeftovers.Address = 40;
  RuleRecord localDisabledDay = kLocal;
  localDisabledDay.Events |= 1 << 18;  // "Day" checked while disabled
  EXPECT_TRUE(
      CompareConfigurations(Holding({board, kLocal}), Holding({boardLeftovers, localDisabledDay}))
          .Empty());

  // Same text, another device: the field says what differs.
  RuleRecord otherSensor = kLocal;
  otherSensor.DeviceType = 4;
  const ConfigurationDifferences differences =
      CompareConfigurations(Holding({board, kLocal}), Holding({board, otherSensor}));
  ASSERT_THAT(differences.Rules, ElementsAre(Is(RuleChange::Changed, 2, 2)));
  EXPECT_EQ(differences.Rules.front().TextA, differences.Rules.front().TextB);
  EXPECT_THAT(differences.Rules.front().Fields,
              ElementsAre(FieldDifference{"DeviceType", "3", "4"}));
}

// A configuration with what an image cannot carry: a cleared rule, leftovers in fields a kind
// does not use, a driver output's relay and steady bits, an unused relay link.
Configuration WithLosses() {
  RuleRecord cleared{.Kind = rkCleared};
  RuleRecord board{
      .Kind = rkBoard, .Panel = 0, .Zone = 1, .Events = 0, .Modifier = 1, .Output = 0x8123};
  RuleRecord driven = Zonal(3, 9, 0xCA05);
  RuleRecord local = kLocal;
  local.Modifier = 1;
  Configuration configuration = Holding({board, cleared, driven, local});
  configuration.ControllerSettings.UnitName = "East";
  configuration.ControllerSettings.BoardsInstalled = 2;
  configuration.ControllerSettings.RelayLinks[RelayLinkIndex(1, 1, 3)] = 1;
  return configuration;
}

Configuration ReadBack(const Configuration& sent) {
  Configuration unit("/nonexistent/trv-compare", "/nonexistent/trv-compare");
  DecodeImageInto(unit, EncodeImage(sent, ImageStamps{}));
  return unit;
}

TEST(CompareConfigurationsTest, AnImageAgainstItsOwnRuleFileHasNoDifference) {
  const Configuration sent = WithLosses();
  const Configuration unit = ReadBack(sent);
  ASSERT_FALSE(CompareConfigurations(sent, unit).Empty());  // the losses, taken as differences
  EXPECT_TRUE(CompareConfigurations(sent, unit, ImageSide::B).Empty());
  EXPECT_TRUE(CompareConfigurations(unit, sent, ImageSide::A).Empty());
}

TEST(CompareConfigurationsTest, AnImageStillShowsWhatChangedOnTheUnit) {
  const Configuration sent = WithLosses();
  Configuration changed = WithLosses();
  changed.StoreRule(3, Zonal(3, 10, 0xCA05));
  changed.ControllerSettings.BuzzerMode = 2;
  const ConfigurationDifferences differences =
      CompareConfigurations(sent, ReadBack(changed), ImageSide::B);
  EXPECT_THAT(differences.Settings, ElementsAre(FieldDifference{"BuzzerMode", "1", "2"}));
  // Each side numbers its own rules: the image holds no cleared rule.
  ASSERT_THAT(differences.Rules, ElementsAre(Is(RuleChange::Changed, 3, 2)));
  EXPECT_EQ(differences.Rules.front().TextA, TextOf(Zonal(3, 9, 0xCA05)));
}

TEST(CompareConfigurationsTest, LongListsWithFewDifferencesAreMatchedRuleByRule) {
  const std::vector<RuleRecord> a = ZonalRules(5000);
  std::vector<RuleRecord> b = a;
  for (int n = 100; n < 5000; n += 100) b[static_cast<std::size_t>(n)] = Zonal(n, n + 1);
  b.insert(b.begin() + 2500, Zonal(1, 2));
  EXPECT_EQ(CompareConfigurations(Holding(a), Holding(b)).Rules.size(), 50u);
}

TEST(CompareConfigurationsTest, ListsTooDifferentToMatchAreComparedByRuleNumber) {
  std::vector<RuleRecord> a = ZonalRules(1500);
  std::vector<RuleRecord> b;
  for (int n = 1; n <= 1500; ++n) b.push_back(Zonal(n, n, 0x8000));
  b[700] = a[700];  // the same rule at the same place
  b.push_back(Zonal(1, 1));
  const ConfigurationDifferences differences = CompareConfigurations(Holding(a), Holding(b));
  ASSERT_EQ(differences.Rules.size(), 1500u);
  EXPECT_THAT(differences.Rules[699], Is(RuleChange::Changed, 700, 700));
  EXPECT_THAT(differences.Rules[700], Is(RuleChange::Changed, 702, 702));
  EXPECT_THAT(differences.Rules.back(), Is(RuleChange::OnlyInB, 0, 1501));
}

}  // namespace
}  // namespace trv
