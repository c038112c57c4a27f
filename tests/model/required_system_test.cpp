#include "model/required_system.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/zone_range.h"

namespace trv {
namespace {

constexpr int kOtherModel = 0;
constexpr int kModel4 = kSlimlineModelIndex;

RuleRecord BoardRule(std::int32_t panel, std::int32_t firstZone, std::int32_t boardEvent) {
  return {.Kind = rkBoard, .Panel = panel, .Zone = firstZone, .Events = boardEvent, .Modifier = 1};
}

RuleRecord ZonalRule(std::int32_t panel, std::int32_t first, std::int32_t last) {
  return {.Kind = rkZonal, .Panel = panel, .Zone = ZoneRange{first, last}.Packed()};
}

RuleRecord EventRule(std::int32_t kind, std::int32_t panel, std::int32_t loop,
                     std::int32_t zone = kAnyZone) {
  return {.Kind = kind, .Panel = panel, .Loop = loop, .Zone = zone, .Address = kAnyAddress};
}

int StoredOnKP6000(const RuleRecord& rule, int modelIndex = kOtherModel) {
  return RequiredSystemOfStoredRules(std::vector{rule}, modelIndex, kSystemKP6000);
}

TEST(RequiredSystemAtSetTime, PerKind) {
  EXPECT_EQ(RequiredSystemOfBoardRule(true, 0, 1), kSystemKP6000);
  EXPECT_EQ(RequiredSystemOfBoardRule(false, 1, 16), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfBoardRule(false, 0, 33), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfBoardRule(false, 0, 32), kSystemKP10);
  EXPECT_EQ(RequiredSystemOfBoardRule(false, 0, 200), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfZonalRule(true, 0, 1), kSystemKP6000);
  EXPECT_EQ(RequiredSystemOfZonalRule(false, 0, 81), kSystemKP6000);
  EXPECT_EQ(RequiredSystemOfZonalRule(false, 0, 80), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfZonalRule(false, 2, 1), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfZonalRule(false, 0, 32), kSystemKP10);
  EXPECT_EQ(RequiredSystemOfEventNetworkRule(), kSystemKP6000);
  EXPECT_EQ(RequiredSystemOfEventLocalRule(1, 1), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfEventLocalRule(0, 2), kSystemKP4000);
  EXPECT_EQ(RequiredSystemOfEventLocalRule(0, 1), kSystemKP10);
}

TEST(RequiredSystemAtSetTime, NeverGoesDown) {
  int required = kSystemKP10;
  required = RaisedRequiredSystem(required, RequiredSystemOfEventNetworkRule());
  EXPECT_EQ(required, kSystemKP6000);
  required = RaisedRequiredSystem(required, RequiredSystemOfEventLocalRule(3, 1));
  EXPECT_EQ(required, kSystemKP6000);
}

// The first zone of a board rule is a plain zone, not a ZoneRange (read as one it is one too
// high), and the last zone comes from the span.
TEST(RequiredSystemOfStoredRules, BoardRuleZonesComeFromFirstZoneAndSpan) {
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 80, kBoardEventFire)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 16, kBoardEventFireAndFaultTestDisable), kModel4),
            kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 1, kBoardEventFireAndFaultTestDisable)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 2, kBoardEventFireAndFaultTestDisable)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 1, kBoardEventFire)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 17, kBoardEventFire), kModel4), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, 18, kBoardEventFire), kModel4), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(BoardRule(3, 1, kBoardEventFireAndFaultTestDisable)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(BoardRule(kNetworkZonePanel, 1, kBoardEventFire)), kSystemKP6000);
  EXPECT_EQ(StoredOnKP6000(BoardRule(0, INT32_MAX, kBoardEventFire)), kSystemKP4000);
}

// On KP10 the last-zone field stops at zone 16, so a board rule there needs nothing more.
TEST(RequiredSystemOfStoredRules, BoardRuleLastZoneIsCappedAtTheZoneMaximum) {
  const std::vector rules{BoardRule(0, 1, kBoardEventFire)};
  EXPECT_EQ(RequiredSystemOfStoredRules(rules, kOtherModel, kSystemKP10), kSystemKP10);
  EXPECT_EQ(RequiredSystemOfStoredRules(rules, kOtherModel, kSystemKP4000), kSystemKP4000);
}

TEST(RequiredSystemOfStoredRules, ZonalRuleUsesItsRange) {
  EXPECT_EQ(StoredOnKP6000(ZonalRule(0, 1, 32)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(ZonalRule(0, 1, 33)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(ZonalRule(0, 80, 80)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(ZonalRule(0, 1, 81)), kSystemKP6000);
  EXPECT_EQ(StoredOnKP6000(ZonalRule(0, 81, 1)), kSystemKP6000);
  EXPECT_EQ(StoredOnKP6000(ZonalRule(5, 1, 1)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(ZonalRule(kNetworkZonePanel, 1, 1)), kSystemKP6000);
}

// Any zone (-1) read as a ZoneRange would be zone 65536; an event rule's zone needs nothing.
TEST(RequiredSystemOfStoredRules, EventRulesNeedTheirPanelAndLoop) {
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, 0, 1, kAnyZone)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, 0, 1, 200)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, kAnyPanel, kAnyLoop)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, 0, kNonLoop)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, 1, 1)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, 0, 2)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventLocal, 0, 2048)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventGeneral, 0, 5)), kSystemKP10);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventGeneral, 2, 1)), kSystemKP4000);
  EXPECT_EQ(StoredOnKP6000(EventRule(rkEventNetwork, 0, 0)), kSystemKP6000);
}

TEST(RequiredSystemOfStoredRules, OtherKindsNeedNothing) {
  RuleRecord rule = EventRule(rkCleared, 99, 99, 99999);
  EXPECT_EQ(StoredOnKP6000(rule), kSystemKP10);
  rule.Kind = rkInvalid;
  EXPECT_EQ(StoredOnKP6000(rule), kSystemKP10);
  rule.Kind = 5;
  EXPECT_EQ(StoredOnKP6000(rule), kSystemKP10);
  EXPECT_EQ(RequiredSystemOfStoredRules({}, kOtherModel, kSystemKP6000), kSystemKP10);
}

TEST(RequiredSystemOfStoredRules, IsTheHighestOfAllRules) {
  std::vector<RuleRecord> rules(20000, EventRule(rkEventLocal, 0, 1));
  EXPECT_EQ(RequiredSystemOfStoredRules(rules, kOtherModel, kSystemKP6000), kSystemKP10);
  rules[12345] = ZonalRule(0, 1, 40);
  EXPECT_EQ(RequiredSystemOfStoredRules(rules, kOtherModel, kSystemKP6000), kSystemKP4000);
  rules.back() = EventRule(rkEventNetwork, 0, 0);
  EXPECT_EQ(RequiredSystemOfStoredRules(rules, kOtherModel, kSystemKP6000), kSystemKP6000);
  EXPECT_THROW(RequiredSystemOfStoredRules(rules, kOtherModel, 3), std::out_of_range);
}

}  // namespace
}  // namespace trv
