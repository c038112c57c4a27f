// Runs trvcfg diff and export on rule data files and images made here.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/relay_links.h"
#include "model/rule_text.h"
#include "model/zone_range.h"
#include "trvcfg_program.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using CsvRecords = std::vector<std::vector<std::string>>;

// RFC 4180 read strictly: every record ends with CRLF, a field is either plain (no comma, quote,
// CR or LF) or quoted with its quotes doubled. Anything else throws.
CsvRecords ParseCsv(const std::string& text) {
  CsvRecords records(1, std::vector<std::string>(1));
  std::size_t i = 0;
  while (i < text.size()) {
    std::string& field = records.back().back();
    if (text[i] == '"' && field.empty()) {
      for (++i;; ++i) {
        if (i >= text.size()) throw std::runtime_error("unterminated quoted field");
        if (text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"')) break;
        if (text[i] == '"') ++i;
        field += text[i];
      }
      ++i;
      if (i < text.size() && text[i] != ',' && text[i] != '\r') {
        throw std::runtime_error("text after a quoted field");
      }
    } else if (text[i] == ',') {
      records.back().emplace_back();
      ++i;
    } else if (text.compare(i, 2, "\r\n") == 0) {
      i += 2;
      if (i < text.size()) records.emplace_back(1);
    } else if (text[i] == '"' || text[i] == '\r' || text[i] == '\n') {
      throw std::runtime_error("quote, CR or LF in a plain field");
    } else {
      field += text[i++];
    }
  }
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) {
    throw std::runtime_error("the last record does not end with CRLF");
  }
  return records;
}

RuleRecord Zonal(std::int32_t first, std::int32_t last, std::int32_t output) {
  return {.Kind = rkZonal,
          .Panel = 0,
          .Zone = ZoneRange{first, last}.Packed(),
          .Events = kZonalEventFire,
          .Output = output};
}

class TrvcfgCompareTest : public TrvcfgProgramTest {
 protected:
  TrvcfgCompareTest() : TrvcfgProgramTest("trvcfg-compare") {}

  Configuration Holding(const std::string& unitName, const std::vector<RuleRecord>& rules) const {
    Configuration configuration(FDirectory, FDirectory);
    configuration.ControllerSettings.UnitName = unitName;
    for (const RuleRecord& rule : rules) configuration.StoreRule(++configuration.RuleCount, rule);
    return configuration;
  }
};

TEST_F(TrvcfgCompareTest, DiffListsWhatDiffersAndEndsWithStatus1) {
  const std::string a =
      Save(Holding("West", {Zonal(1, 1, 0x8201), Zonal(2, 2, 0x8202), Zonal(3, 3, 0x8203),
                            Zonal(4, 5, 0x8204), Zonal(6, 6, 0x8206)}),
           "a.trv");
  const std::string b =
      Save(Holding("East", {Zonal(1, 1, 0x8201), Zonal(3, 3, 0x8203), Zonal(4, 6, 0x8204),
                            Zonal(6, 6, 0x8206), Zonal(2, 2, 0x8202), Zonal(9, 9, 0x8A09)}),
           "b.trv");
  const ProgramRun run = Trvcfg({"diff", a, b});
  EXPECT_EQ(run.Status, 1) << run.Err;
  EXPECT_THAT(
      Lines(run.Out),
      ElementsAre(
          "UnitName: West | East",
          "rule 2 | 5 moved: Zonal / 0 / 2 / Fire / T. Board 1, Bank 1, Output 3 / LED 3 "
          "(steady)",
          "rule 4 | 3: Zonal / 0 / ( 4.. 5) / Fire / T. Board 1, Bank 1, Output 5 / LED 5 "
          "(steady) | Zonal / 0 / ( 4.. 6) / Fire / T. Board 1, Bank 1, Output 5 / LED 5 "
          "(steady)",
          "rule 6 only in B: Zonal / 0 / 9 / Fire / T. Board 1, Bank 1, Output 10 / Relay 10",
          "differences: 1 setting, 3 rules (1 changed, 1 only in B, 1 moved)"));
}

// What an image cannot carry: a cleared rule, a field a board rule does not use, a relay link that
// no output uses.
TEST_F(TrvcfgCompareTest, AnImageAgainstItsOwnRuleFileIsEqual) {
  Configuration site =
      Holding("Site", {RuleRecord{.Kind = rkBoard, .Zone = 1, .Modifier = 1, .Output = 0x8123},
                       RuleRecord{.Kind = rkCleared}, Zonal(4, 9, 0x8A04)});
  site.ControllerSettings.RelayLinks[RelayLinkIndex(1, 1, 3)] = 1;
  const std::string file = Save(site, "site.trv");
  ASSERT_EQ(Trvcfg({"encode", file, "-o", Path("site.bin")}).Status, 0);
  ASSERT_EQ(Trvcfg({"encode", file, "-o", Path("site.hex")}).Status, 0);

  for (const auto& [a, b] : {std::pair{file, Path("site.bin")}, std::pair{Path("site.hex"), file},
                             std::pair{Path("site.bin"), Path("site.hex")}}) {
    const ProgramRun run = Trvcfg({"diff", a, b});
    EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
    EXPECT_EQ(run.Out, "no differences\n");
  }
  site.StoreRule(3, Zonal(4, 9, 0x8A05));
  const ProgramRun changed = Trvcfg({"diff", Save(site, "changed.trv"), Path("site.hex")});
  EXPECT_EQ(changed.Status, 1);
  EXPECT_THAT(changed.Out, HasSubstr("rule 3 | 2: Zonal / 0 / ( 4.. 9) / Fire / T. Board 1, Bank "
                                     "1, Output 6 / Relay 6 | "));
}

TEST_F(TrvcfgCompareTest, DiffFailuresEndWithStatus2) {
  const std::string file = Save(Holding("Site", {Zonal(1, 1, 0x8201)}), "site.trv");
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"diff"}, {"diff", file}, {"diff", file, file, file}, {"diff", file, Path("a.txt")}}) {
    const ProgramRun run = Trvcfg(words);
    EXPECT_EQ(run.Status, 2) << ::testing::PrintToString(words);
    EXPECT_THAT(run.Err, HasSubstr("usage:"));
  }
  const ProgramRun missing = Trvcfg({"diff", file, Path("missing.trv")});
  EXPECT_EQ(missing.Status, 2);
  EXPECT_THAT(missing.Err, HasSubstr("missing.trv"));
  EXPECT_EQ(missing.Out, "");

  std::ofstream(Path("blank.bin"), std::ios::binary) << std::string(65280, '\xFF');
  const ProgramRun blank = Trvcfg({"diff", Path("blank.bin"), file});
  EXPECT_EQ(blank.Status, 2);
  EXPECT_THAT(blank.Err, HasSubstr("No configuration data present"));
}

TEST_F(TrvcfgCompareTest, ExportWritesTheGridAsCsv) {
  const Configuration site = Holding("Site", {Zonal(10, 12, 0x8A05), RuleRecord{.Kind = rkCleared},
                                              RuleRecord{.Kind = rkEventGeneral,
                                                         .Panel = -1,
                                                         .Events = 0b1111,
                                                         .Modifier = 1,
                                                         .Output = 0xCA09}});
  const std::string csv = Path("rules.csv");
  const ProgramRun run = Trvcfg({"export", Save(site, "site.trv"), "-o", csv});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string bytes = ReadAll(csv);
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const CsvRecords records = ParseCsv(bytes.substr(3));

  CsvRecords expected{
      {"", "Rule", "Panel", "Loop", "Zone", "Address", "Device", "Event", "Output", "Channel"}};
  const RuleTextContext context = RuleTextContextOf(site.ControllerSettings);
  for (std::int32_t n = 1; n <= site.RuleCount; ++n) {
    const RuleText cells = RenderRule(site.StoredRule(n), context);
    expected.push_back({std::to_string(n)});
    expected.back().insert(expected.back().end(), cells.begin(), cells.end());
  }
  EXPECT_EQ(records, expected);
  EXPECT_EQ(records[1][8], "T. Board 1, Bank 1, Output 6");
  EXPECT_EQ(records[3][7], "Fire, PreAlarm");
  EXPECT_FALSE(std::filesystem::exists(csv + ".partial"));
}

TEST_F(TrvcfgCompareTest, ExportRefusesOtherOutputsAndLeavesNoCutOffFile) {
  const std::string file = Save(Holding("Site", {Zonal(1, 1, 0x8201)}), "site.trv");
  EXPECT_EQ(Trvcfg({"export", file, "-o", Path("rules.txt")}).Status, 2);
  EXPECT_EQ(Trvcfg({"export", file}).Status, 2);
  EXPECT_EQ(Trvcfg({"export", file, "-o", Path("no-such-dir/rules.csv")}).Status, 1);
  EXPECT_EQ(Trvcfg({"export", Path("missing.trv"), "-o", Path("rules.csv")}).Status, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("rules.txt")));
  EXPECT_FALSE(std::filesystem::exists(Path("rules.csv")));
}

}  // namespace
}  // namespace trv
