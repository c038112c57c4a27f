#include "files/rule_table_export.h"

#include <gtest/gtest.h>

#include <string>

#include "model/configuration.h"
#include "model/event_selection.h"
#include "model/zone_range.h"

namespace trv {
namespace {

const std::string kHead =
    "\xEF\xBB\xBF,Rule,Panel,Loop,Zone,Address,Device,Event,Output,Channel\r\n";

class RuleTableExportTest : public ::testing::Test {
 protected:
  Configuration FConfiguration{"/nonexistent/trv-export", "/nonexistent/trv-export"};
  RuleTextContext FContext = RuleTextContextOf(FConfiguration.ControllerSettings);
};

TEST_F(RuleTableExportTest, NoRulesGiveTheHeadingsAlone) {
  EXPECT_EQ(ExportRuleTable(FConfiguration, FContext), kHead);
}

TEST_F(RuleTableExportTest, RowsAsTheGridShowsThemQuotedWhereTheyMustBe) {
  FConfiguration.StoreRule(1, {.Kind = rkZonal,
                               .Panel = 0,
                               .Zone = ZoneRange{10, 12}.Packed(),
                               .Events = kZonalEventFault,
                               .Output = 0x8A05});
  FConfiguration.StoreRule(2, {.Kind = rkCleared});
  FConfiguration.StoreRule(3, {.Kind = rkEventLocal,
                               .Panel = 1,
                               .Loop = 2,
                               .Zone = 5,
                               .Address = 17,
                               .DeviceType = 3,
                               .Events = 0b11 | 0b11 << 8,
                               .Modifier = 0,
                               .Output = 0x820A});
  FConfiguration.RuleCount = 3;
  FContext.EventCaptionTexts[event_index::kFire] = "Fire \"A\"";
  FContext.EventCaptionTexts[event_index::kFault] = "Fault\r\nline";
  EXPECT_EQ(ExportRuleTable(FConfiguration, FContext),
            kHead +
                "1,Zonal,  0,n/a,(  10..  12),n/a,n/a,Fault,\"T. Board 1, Bank 1, Output 6\","
                "Relay   6\r\n"
                "2,Invalid,Invalid,Invalid,Invalid,Invalid,Invalid,Invalid,Invalid,Invalid\r\n"
                "3,Event (Local),  1,2,   5, 17,Sensor,\"Fire \"\"A\"\", Fault\r\nline\","
                "\"T. Board 1, Bank 1, Output 11\",LED  11 (steady)\r\n");
}

}  // namespace
}  // namespace trv
