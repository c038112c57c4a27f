#include "model/rule_text.h"

#include <gtest/gtest.h>

#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/zone_range.h"

namespace trv {
namespace {

constexpr std::int32_t kFireAndFault = 0b11 | 0b11 << 8;

RuleRecord Rule(std::int32_t kind) {
  RuleRecord rule;
  rule.Kind = kind;
  return rule;
}

RuleText Row(std::initializer_list<const char*> cells) {
  RuleText row;
  std::size_t column = 0;
  for (const char* cell : cells) row[column++] = cell;
  return row;
}

TEST(RuleTextTest, BoardRuleShowsItsZonesAndOutputsUsed) {
  RuleRecord rule = Rule(rkBoard);
  rule.Panel = 0;
  rule.Zone = 1;
  rule.Events = kBoardEventFire;
  rule.Modifier = 2;
  const RuleTextContext context;
  EXPECT_EQ(RenderRule(rule, context),
            Row({"Board", "  0", "n/a", "(1..64)", "n/a", "n/a", "Fire", "Board 2", "(1..64)"}));

  rule.Panel = kNetworkZonePanel;
  rule.Zone = 250;
  rule.Events = kBoardEventFireAndFaultTestDisable;
  const RuleText paired = RenderRule(rule, context);  // capped at the last-zone maximum 255
  EXPECT_EQ(paired[1], "Network zone");
  EXPECT_EQ(paired[3], "(250..255)");
  EXPECT_EQ(paired[6], "Fire & Fault/Test/Disable");
  EXPECT_EQ(paired[8], "(1..12)");

  rule.Events = 7;  // not a board choice
  const RuleText unknown = RenderRule(rule, context);
  EXPECT_EQ(unknown[3], " 250");
  EXPECT_EQ(unknown[6], "");

  RuleTextContext slimline;
  slimline.ModelIndex = 4;
  slimline.LastZoneMax = 4096;
  rule.Zone = 4090;
  rule.Events = kBoardEventFire;
  EXPECT_EQ(RenderRule(rule, slimline)[3], "(4090..4096)");
}

TEST(RuleTextTest, ZonalRuleShowsARangeOrOneZone) {
  RuleRecord rule = Rule(rkZonal);
  rule.Panel = 1;
  rule.Zone = ZoneRange{4097, 4100}.Packed();
  rule.Events = kZonalEventZoneInTest;
  rule.Output = 0x820A;  // steady LED, index 10
  const RuleTextContext context;
  EXPECT_EQ(RenderRule(rule, context),
            Row({"Zonal", "  1", "n/a", "(4097..4100)", "n/a", "n/a", "Zone in Test",
                 "T. Board 1, Bank 1, Output 11", "LED  11 (steady)"}));

  rule.Zone = ZoneRange{5, 5}.Packed();
  rule.Events = 9;
  rule.Output = 0x8005;  // flashing LED
  const RuleText single = RenderRule(rule, context);
  EXPECT_EQ(single[3], "   5");
  EXPECT_EQ(single[6], "");
  EXPECT_EQ(single[8], "LED   6");
}

TEST(RuleTextTest, OutputLocationFollowsTheBoardKindAndBankField) {
  RuleRecord rule = Rule(rkZonal);
  rule.Output = 0x8A00 | 63;  // relay link: board 1, bank 2, output 32
  RuleTextContext context;
  EXPECT_EQ(RenderRule(rule, context)[7], "T. Board 1, Bank 2, Output 32");
  EXPECT_EQ(RenderRule(rule, context)[8], "Relay  64");

  context.ModelIndex = 4;
  context.TerminationBankHasRange = false;
  rule.Output = 0x8000 | 20;
  EXPECT_EQ(RenderRule(rule, context)[7], "Board 2, Output 5");

  context = RuleTextContext{};
  rule.Output = 0xCA00 | 20;
  EXPECT_EQ(RenderRule(rule, context)[7], "D. Board 3, Output 5");
  EXPECT_EQ(RenderRule(rule, context)[8], "Relay  21");
  rule.Output = 0x9000;  // not below 0x9000: a driver word
  EXPECT_EQ(RenderRule(rule, context)[7], "D. Board 1, Output 1");
}

TEST(RuleTextTest, EventLocalRuleShowsEverySentinel) {
  RuleRecord rule = Rule(rkEventLocal);
  rule.Panel = 1;
  rule.Loop = 2;
  rule.Zone = 5;
  rule.Address = 17;
  rule.DeviceType = 3;
  rule.Events = kFireAndFault | 0b01 << 18;  // Day checked while disabled does not count
  rule.Output = 0x820A;
  const RuleTextContext context;
  EXPECT_EQ(RenderRule(rule, context),
            Row({"Event (Local)", "  1", "2", "   5", " 17", "Sensor", "Fire, Fault",
                 "T. Board 1, Bank 1, Output 11", "LED  11 (steady)"}));

  rule.Panel = kAnyPanel;
  rule.Loop = kAnyLoop;
  rule.Zone = kAnyZone;
  rule.Address = kAnyAddress;
  rule.Modifier = 1;
  const RuleText any = RenderRule(rule, context);
  EXPECT_EQ(any[1], "Any panel");
  EXPECT_EQ(any[2], "Any loop");
  EXPECT_EQ(any[3], "Any zone");
  EXPECT_EQ(any[4], "Any address");
  EXPECT_EQ(any[5], "Optical");  // KPxK sensor 3
  EXPECT_EQ(any[8], "LED  11 (steady) (off)");

  rule.Loop = kNonLoop;
  rule.Address = kNonDevice;
  rule.DeviceType = kDeviceTypeNotApplicable;
  EXPECT_EQ(RenderRule(rule, context)[2], "Non loop");
  EXPECT_EQ(RenderRule(rule, context)[4], "Non device");
  EXPECT_EQ(RenderRule(rule, context)[5], "n/a");

  rule.Loop = 2048;
  rule.Address = kAddressNotApplicable;
  rule.DeviceType = 257;
  EXPECT_EQ(RenderRule(rule, context)[2], "Virtual");
  EXPECT_EQ(RenderRule(rule, context)[4], "n/a");
  EXPECT_EQ(RenderRule(rule, context)[5], "Sprinkler");  // KPxK module 1
  RuleTextContext kp10;
  kp10.SystemIndex = 0;
  EXPECT_EQ(RenderRule(rule, kp10)[5], "Monitor (Short Circuit protected)");
  rule.Address = 3;
  EXPECT_EQ(RenderRule(rule, context)[5], "Module");
}

TEST(RuleTextTest, EventCaptionsComeFromTheEditor) {
  RuleRecord rule = Rule(rkEventGeneral);
  rule.Events = kFireAndFault;
  RuleTextContext context;
  context.EventCaptionTexts[0] = "Feuer";
  EXPECT_EQ(RenderRule(rule, context)[6], "Feuer, Fault");
}

TEST(RuleTextTest, NetworkAndGeneralRulesShowOnlyTheirFields) {
  RuleRecord network = Rule(rkEventNetwork);
  network.Panel = 3;
  network.Loop = 1024;
  network.Zone = 4097;
  network.Address = kAnyReference;
  network.DeviceType = -4;
  network.Output = 0xCA00;
  EXPECT_EQ(RenderRule(network, RuleTextContext{}),
            Row({"Event (Network)", "n/a", "n/a", "4097", "Any reference", "n/a", "",
                 "D. Board 1, Output 1", "Relay   1"}));
  network.Address = 5;
  EXPECT_EQ(RenderRule(network, RuleTextContext{})[4], "  5");

  RuleRecord general = Rule(rkEventGeneral);
  general.Panel = 3;
  general.Loop = 2;
  general.Zone = 5;
  general.Address = 17;
  general.Output = 0x8000;
  EXPECT_EQ(RenderRule(general, RuleTextContext{}),
            Row({"Event (General)", "  3", "n/a", "n/a", "n/a", "n/a", "",
                 "T. Board 1, Bank 1, Output 1", "LED   1"}));
}

TEST(RuleTextTest, ClearedAbsentAndUnknownKindsAreInvalidAcross) {
  for (const std::int32_t kind : {-2, -1, 5, 1000, -7}) {
    const RuleText row = RenderRule(Rule(kind), RuleTextContext{});
    for (const std::string& cell : row) EXPECT_EQ(cell, "Invalid") << kind;
  }
}

TEST(RuleTextTest, ContextFollowsTheSettings) {
  ControllerSettings settings;
  RuleTextContext context = RuleTextContextOf(settings);
  EXPECT_EQ(context.SystemIndex, 2);
  EXPECT_TRUE(context.TerminationBankHasRange);
  EXPECT_EQ(context.LastZoneMax, 255);
  settings.SystemIndex = 0;
  EXPECT_EQ(RuleTextContextOf(settings).LastZoneMax, 16);
  settings.ModelIndex = 4;
  settings.ZoneMode = kZoneModeNetwork;
  context = RuleTextContextOf(settings);
  EXPECT_FALSE(context.TerminationBankHasRange);
  EXPECT_EQ(context.LastZoneMax, 4096);
}

TEST(RuleTextTest, RenderAllFillsTheRuleTextSheetFromTheRuleData) {
  Configuration configuration("/nonexistent/trv-program", "/nonexistent/trv-data");
  RuleRecord zonal = Rule(rkZonal);
  zonal.Zone = ZoneRange{3, 3}.Packed();
  zonal.Output = 0x8000;
  configuration.StoreRule(1, zonal);
  configuration.StoreRule(2, Rule(rkCleared));
  configuration.StoreRule(3, zonal);  // beyond the count: not rendered
  configuration.RuleCount = 2;
  RenderAllRules(configuration, RuleTextContextOf(configuration.ControllerSettings));
  const Workbook& book = configuration.MimicBook;
  EXPECT_EQ(book.Text(kRuleTextSheet, 1, 1), "Zonal");
  EXPECT_EQ(book.Text(kRuleTextSheet, 1, 4), "   3");
  EXPECT_EQ(book.Text(kRuleTextSheet, 1, 9), "LED   1");
  for (int column = 1; column <= 9; ++column) {
    EXPECT_EQ(book.Text(kRuleTextSheet, 2, column), "Invalid");
  }
  EXPECT_EQ(book.LastRow(kRuleTextSheet), 2);
}

}  // namespace
}  // namespace trv
