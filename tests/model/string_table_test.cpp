#include "model/string_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "model/string_ids.h"

namespace trv {
namespace {

using nlohmann::json;

// A language module's key for an id.
std::string Key(int id) {
  return std::to_string(id);
}

// An id of the range that names no text of the system.
constexpr int kIdWithoutText = string_id::kChannelSuffix + 1;
// The flash error code of a failed synchronisation.
constexpr int kSyncFailedCode = 2;

// Every id that a message, caption, label or heading of the system names.
const std::set<int> kNamedIds = {
    65000, 65001, 65002, 65003, 65004, 65005, 65100, 65101, 65102, 65110, 65111, 65112,
    65113, 65114, 65115, 65116, 65117, 65118, 65130, 65131, 65132, 65133, 65134, 65150,
    65151, 65152, 65153, 65154, 65155, 65156, 65157, 65158, 65203, 65205, 65207, 65210,
    65215, 65216, 65219, 65225, 65226, 65227, 65228, 65229, 65240, 65241, 65242, 65244,
    65245, 65246, 65247, 65248, 65261, 65262, 65263, 65264, 65265, 65266, 65267, 65268,
    65269, 65270, 65271, 65273, 65275, 65381, 65382, 65383, 65393, 65410, 65411, 65412,
    65420, 65421, 65422, 65423, 65424, 65425, 65426, 65427, 65428, 65429, 65430, 65431,
    65432, 65433, 65434, 65435, 65436, 65437, 65438, 65439, 65440};

TEST(StringTable, HasATextForExactlyTheNamedIds) {
  const StringTable& table = StringTable::BuiltIn();
  for (int id = StringTable::kFirstId; id <= StringTable::kLastId; ++id) {
    EXPECT_EQ(!table.Text(id).empty(), kNamedIds.contains(id)) << id;
  }
  EXPECT_EQ(table.Text(StringTable::kFirstId - 1), "");
  EXPECT_EQ(table.Text(StringTable::kLastId + 1), "");
  EXPECT_EQ(table.Text(-1), "");
  EXPECT_EQ(table.Text(std::numeric_limits<int>::min()), "");
}

TEST(StringTable, KeepsBlanksLineBreaksAndConversionsExactly) {
  const StringTable& table = StringTable::BuiltIn();
  EXPECT_EQ(table.Text(string_id::kTerminationOutputLocation), "T. Board %d, Bank %d, Output %d");
  EXPECT_EQ(table.Text(string_id::kLedChannel), "LED %3d");
  EXPECT_EQ(table.Text(string_id::kChannelSuffix), " (%s)");
  EXPECT_EQ(table.Text(string_id::kCompanyName), "KORVANEX");
  EXPECT_EQ(table.Text(string_id::kProductTitle), "TRV Configuration Tool");
  EXPECT_EQ(table.Text(string_id::kOlderVersionFile),
            "The selected rule data file (%s)\ncannot be opened because it was saved using an "
            "older version of this program");
  EXPECT_EQ(table.Text(string_id::kNoRuleInformation),
            "The selected rule data file (%s)\ndoes not contain any rule information.");
  EXPECT_EQ(table.Text(string_id::kCreateInvertRule),
            "Do you wish to create an Event invert rule ?");
  EXPECT_EQ(table.Text(string_id::kSaveChangesQuestion),
            "The configuration has been updated but not saved yet.\nDo you want to save your "
            "changes?");
  EXPECT_EQ(table.Text(string_id::kDeleteBackup), "Delete Backup: ");
  EXPECT_EQ(table.Text(string_id::kEmptyUnitName),
            "Cannot have zero length string, reverting to \"%s\"");
  EXPECT_EQ(table.Text(string_id::kFlashErrorFirst + kSyncFailedCode),
            "Failed to synchronise comms - Restart CPU");
  EXPECT_EQ(table.Text(string_id::kFlashErrorUnknown), "Unknown exception");
  EXPECT_EQ(table.Text(string_id::kNoConfigurationData), "No configuration data present");
  EXPECT_EQ(table.Text(string_id::kStageProgramming), "Programming New Data");
  EXPECT_EQ(table.Text(string_id::kStageReading), "Reading Current Data");
  EXPECT_EQ(table.Text(string_id::kStageComplete), "Transfer Complete");
}

TEST(StringTable, HeadingsAndKindNamesRunInColumnAndKindOrder) {
  const StringTable& table = StringTable::BuiltIn();
  const char* headings[] = {"Rule",   "Panel", "Loop",   "Zone",   "Address",
                            "Device", "Event", "Output", "Channel"};
  for (int column = 0; column < 9; ++column) {
    EXPECT_EQ(table.Text(string_id::kRuleHeading + column), headings[column]);
  }
  const char* kinds[] = {"Board", "Event (Local)", "Event (Network)", "Zonal", "Event (General)"};
  for (int kind = 0; kind < 5; ++kind) {
    EXPECT_EQ(table.Text(string_id::kBoardKindName + kind), kinds[kind]);
  }
}

TEST(TextConversions, ReadsTheFormsInUseAndRefusesAnyOther) {
  using enum ConversionKind;
  using Kinds = std::vector<ConversionKind>;
  EXPECT_EQ(TextConversions("plain"), Kinds{});
  EXPECT_EQ(TextConversions("100%% sure"), Kinds{});
  EXPECT_EQ(TextConversions("%4.d|%3d|%02d|%ld|%hd|(%4ld..%4ld)"),
            (Kinds{Integer, Integer, Integer, Integer, Integer, Integer, Integer}));
  EXPECT_EQ(TextConversions("%s %d"), (Kinds{Text, Integer}));
  EXPECT_EQ(TextConversions("%10s"), Kinds{Text});
  for (const char* bad : {"%", "50%", "%x", "%n", "%5$d", "%*d", "%-4d", "% d", "%lld", "%.3s",
                          "%05s", "%ls", "%100d", "%.100d", "%c"}) {
    EXPECT_EQ(TextConversions(bad), std::nullopt) << bad;
  }
}

TEST(FormatText, FillsWidthPrecisionAndZeroPaddingAsPrintfDoes) {
  EXPECT_EQ(FormatText("%4.d", 0), "    ");
  EXPECT_EQ(FormatText("%4.d", 37), "  37");
  EXPECT_EQ(FormatText("LED %3d", 5), "LED   5");
  EXPECT_EQ(FormatText("%3d", -12345), "-12345");
  EXPECT_EQ(FormatText("%02d%02d", 0, 7), "0007");
  EXPECT_EQ(FormatText("%04d", -3), "-003");
  EXPECT_EQ(FormatText("%05.3d", 7), "  007");
  EXPECT_EQ(FormatText("%hd", 70000), "4464");
  EXPECT_EQ(FormatText("%hd", -32768), "-32768");
  EXPECT_EQ(FormatText("(%4ld..%4ld)", 1, 64), "(   1..  64)");
  EXPECT_EQ(FormatText("%d", std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(FormatText("%s %d", "Board", 3), "Board 3");
  EXPECT_EQ(FormatText("[%6s]", std::string("ab")), "[    ab]");
  EXPECT_EQ(FormatText("100%%"), "100%");
}

TEST(FormatText, NeverReadsArgumentsOrBadConversionsAsAFormat) {
  EXPECT_EQ(FormatText(" (%s)", "%d%n%s"), " (%d%n%s)");
  EXPECT_EQ(FormatText("Rule %d of %d", 1), "Rule 1 of %d");
  EXPECT_EQ(FormatText("Rule %d", "one"), "Rule %d");
  EXPECT_EQ(FormatText("%s", 5), "%s");
  EXPECT_EQ(FormatText("%n%x%", 1, 2), "%n%x%");
  EXPECT_EQ(FormatText("%d %x %d", 1, 2), "1 %x 2");
  EXPECT_EQ(FormatText("%99999d", 1), "%99999d");
}

class StringReplacementTest : public ::testing::Test {
 protected:
  StringReplacement Replace(const json& strings) { return table.Replace(strings); }
  StringRefusal OnlyRefusal(const json& strings) {
    const StringReplacement result = Replace(strings);
    EXPECT_EQ(result.Accepted, 0);
    EXPECT_EQ(result.Refused.size(), 1u);
    return result.Refused.empty() ? StringRefusal::NotAnObject : result.Refused[0].Reason;
  }

  StringTable table;
};

TEST_F(StringReplacementTest, TakesTextsAndFormatsWithTheSameConversions) {
  const StringReplacement result =
      Replace({{Key(string_id::kWarning), "Warnung"},
               {Key(string_id::kDeleteRuleQuestion), "Regel %d wirklich l\u00f6schen?"},
               {Key(string_id::kLedChannel), "DEL %4d"},
               {Key(string_id::kChannelSuffix), " [%s] 100%%"},
               {Key(kIdWithoutText), "no built-in text yet"},
               {Key(string_id::kRule), "Regel"}});
  EXPECT_EQ(result.Accepted, 6);
  EXPECT_TRUE(result.Refused.empty());
  EXPECT_EQ(table.Text(string_id::kWarning), "Warnung");
  EXPECT_EQ(table.Text(string_id::kDeleteRuleQuestion), "Regel %d wirklich l\u00f6schen?");
  EXPECT_EQ(table.Text(string_id::kLedChannel), "DEL %4d");
  EXPECT_EQ(table.Text(kIdWithoutText), "no built-in text yet");
  EXPECT_EQ(StringTable::BuiltIn().Text(string_id::kWarning), "Warning");
}

TEST_F(StringReplacementTest, RefusesFormatsWhoseConversionsDiffer) {
  for (const char* text : {"Regel", "Regel %d %d", "Regel %s", "Regel %x", "Regel %", ""}) {
    EXPECT_EQ(OnlyRefusal({{Key(string_id::kDeleteRuleQuestion), text}}),
              StringRefusal::ConversionsDiffer)
        << text;
  }
  EXPECT_EQ(OnlyRefusal({{Key(string_id::kTerminationOutputLocation), "T %d, %d"}}),
            StringRefusal::ConversionsDiffer);
  EXPECT_EQ(OnlyRefusal({{Key(string_id::kChannelSuffix), " (%d)"}}),
            StringRefusal::ConversionsDiffer);
  EXPECT_EQ(OnlyRefusal({{Key(string_id::kOlderVersionFile), "%s %s"}}),
            StringRefusal::ConversionsDiffer);
  EXPECT_EQ(table.Text(string_id::kDeleteRuleQuestion),
            "Are you sure you want to delete Rule %d ?");
}

TEST_F(StringReplacementTest, RefusesKeysThatAreNoIdOfTheRange) {
  EXPECT_EQ(OnlyRefusal({{Key(StringTable::kFirstId - 1), "x"}}), StringRefusal::IdOutOfRange);
  EXPECT_EQ(OnlyRefusal({{Key(StringTable::kLastId + 1), "x"}}), StringRefusal::IdOutOfRange);
  const std::string first = Key(StringTable::kFirstId);
  for (const std::string& key :
       std::vector<std::string>{"", "abc", first + "x", " " + first, "-" + first, "+" + first,
                                "6.5e4", "99999999999999999999999"}) {
    EXPECT_EQ(OnlyRefusal({{key, "x"}}), StringRefusal::NotAnId) << key;
  }
}

TEST_F(StringReplacementTest, RefusesValuesThatAreNoSoundText) {
  EXPECT_EQ(OnlyRefusal({{Key(string_id::kWarning), 5}}), StringRefusal::NotText);
  EXPECT_EQ(OnlyRefusal({{Key(string_id::kWarning), nullptr}}), StringRefusal::NotText);
  EXPECT_EQ(OnlyRefusal({{Key(string_id::kWarning), json::array({"Warnung"})}}),
            StringRefusal::NotText);
  EXPECT_EQ(
      OnlyRefusal({{Key(string_id::kWarning), std::string(StringTable::kMaxTextBytes + 1, 'x')}}),
      StringRefusal::TooLong);
  for (const std::string& bad : std::vector<std::string>{
           "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
           "\xF8\x88\x80\x80\x80", "ok\xFF", std::string("nul\0inside", 10), "\x80"}) {
    EXPECT_EQ(OnlyRefusal({{Key(string_id::kWarning), bad}}), StringRefusal::InvalidText);
  }
  EXPECT_EQ(table.Text(string_id::kWarning), "Warning");
}

TEST_F(StringReplacementTest, TakesLongestAndMultiByteTexts) {
  const std::string longest(StringTable::kMaxTextBytes, 'x');
  const std::string multiByte = "Pr\u00fcfung \u2713 \U0001F600 \xEF\xBF\xBF";
  EXPECT_EQ(Replace({{Key(string_id::kError), longest}, {Key(string_id::kInformation), multiByte}})
                .Accepted,
            2);
  EXPECT_EQ(table.Text(string_id::kError), longest);
  EXPECT_EQ(table.Text(string_id::kInformation), multiByte);
}

TEST_F(StringReplacementTest, ReportsEveryRefusalAndTakesTheRest) {
  const StringReplacement result = Replace({{Key(string_id::kWarning), "Warnung"},
                                            {"70000", "x"},
                                            {Key(string_id::kDeleteRuleQuestion), "%s"},
                                            {Key(string_id::kError), 1}});
  EXPECT_EQ(result.Accepted, 1);
  EXPECT_EQ(result.Refused,
            (std::vector<RefusedString>{
                {Key(string_id::kError), StringRefusal::NotText},
                {Key(string_id::kDeleteRuleQuestion), StringRefusal::ConversionsDiffer},
                {"70000", StringRefusal::IdOutOfRange}}));
}

TEST_F(StringReplacementTest, AcceptsNoStringsAndRefusesAStringsValueThatIsNoObject) {
  EXPECT_EQ(Replace(json()).Accepted, 0);
  EXPECT_TRUE(Replace(json()).Refused.empty());
  EXPECT_EQ(Replace(json::array({Key(string_id::kWarning), "x"})).Refused,
            (std::vector<RefusedString>{{"strings", StringRefusal::NotAnObject}}));
}

class ActiveStringsTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetActiveStrings(); }
};

TEST_F(ActiveStringsTest, ReadsReplacementsUntilReset) {
  EXPECT_EQ(ActiveText(string_id::kWarning), "Warning");
  EXPECT_EQ(ReplaceActiveStrings({{Key(string_id::kWarning), "Warnung"}}).Accepted, 1);
  EXPECT_EQ(ActiveText(string_id::kWarning), "Warnung");
  EXPECT_EQ(ActiveStrings().Text(string_id::kWarning), "Warnung");
  ResetActiveStrings();
  EXPECT_EQ(ActiveText(string_id::kWarning), "Warning");
}

}  // namespace
}  // namespace trv
