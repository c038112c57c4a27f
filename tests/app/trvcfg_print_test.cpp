// trvcfg print through the real program: the PDF's text read back with pdftotext.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/rule_text.h"
#include "pdf_text.h"
#include "sample_rules.h"
#include "trvcfg_program.h"

namespace trv {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;

// Without blanks: a text that runs into the next column reads on without one.
std::string Squeezed(const std::string& text) {
  std::istringstream words(text);
  std::string squeezed;
  for (std::string word; words >> word;) squeezed += word;
  return squeezed;
}

class TrvcfgPrintTest : public TrvcfgProgramTest {
 protected:
  TrvcfgPrintTest() : TrvcfgProgramTest("trvcfg-print-test") {}

  Configuration Site(int rules) const {
    Configuration site(FDirectory, FDirectory);
    site.ControllerSettings.UnitName = "North Wing";
    for (int n = 1; n <= rules; ++n) site.StoreRule(++site.RuleCount, test::SampleRule(n));
    return site;
  }

  // The line the rule table has for rule n: its number and its nine cells.
  static std::string RuleLine(const Configuration& site, int n) {
    std::string line = std::to_string(n);
    for (const std::string& cell :
         RenderRule(site.StoredRule(n), RuleTextContextOf(site.ControllerSettings))) {
      line += cell;
    }
    return Squeezed(line);
  }
};

TEST_F(TrvcfgPrintTest, ReportHoldsTheTitleEveryRuleAndEveryPageNumber) {
  const Configuration site = Site(120);
  Save(site, "Site.trv");
  const ProgramRun run = Trvcfg({"print", "Site.trv", "-o", "Site.pdf"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::vector<std::string> pages = test::PdfPages(Path("Site.pdf"), {"-layout"});
  ASSERT_EQ(pages.size(), 3u);
  std::vector<std::string> lines;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    EXPECT_THAT(pages[page], HasSubstr("Page " + std::to_string(page + 1)));
    EXPECT_THAT(Squeezed(pages[page]), HasSubstr("KORVANEXTRVConfigurationTool-NorthWing"));
    EXPECT_EQ(pages[page].find("Mimic Rules") != std::string::npos, page == 0);
    for (const std::string& line : Lines(pages[page])) lines.push_back(Squeezed(line));
  }
  for (int n = 1; n <= site.RuleCount; ++n) {
    EXPECT_THAT(lines, ::testing::Contains(RuleLine(site, n))) << "rule " << n;
  }
}

TEST_F(TrvcfgPrintTest, LetterPaperAndNoDisplayNeeded) {
  Save(Site(3), "Site.trv");
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  unsetenv("DISPLAY");
  const ProgramRun run = Trvcfg({"print", "Site.trv", "-o", "Site.pdf", "--paper", "letter"});
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string pdf = ReadAll(Path("Site.pdf"));
  const std::size_t box = pdf.find("/MediaBox");
  ASSERT_NE(box, std::string::npos);
  // 11 by 8.5 inches in points, landscape.
  EXPECT_THAT(pdf.substr(box, 40), ContainsRegex(R"(^/MediaBox \[0 0 792(\.0*)? 612(\.0*)?\])"));
}

TEST_F(TrvcfgPrintTest, UnknownPaperIsBadUsageAndNothingIsWritten) {
  Save(Site(3), "Site.trv");
  const ProgramRun run = Trvcfg({"print", "Site.trv", "-o", "Site.pdf", "--paper", "legal"});
  EXPECT_EQ(run.Status, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("Site.pdf")));
}

}  // namespace
}  // namespace trv
