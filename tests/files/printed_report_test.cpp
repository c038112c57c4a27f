#include "files/printed_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/rule_text.h"
#include "model/rule_workbook.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

using ::testing::Contains;
using ::testing::Field;
using ::testing::Not;

struct DrawnText {
  int Page = 0;
  int X = 0;
  int Y = 0;
  std::string Text;
  int Points = 0;
  bool Bold = false;
};

// An A4 printer at 300 dots an inch whose text is 2 dots wide a point a character and 5 dots
// high a point. It may refuse landscape.
class RecordingCanvas : public ReportCanvas {
 public:
  static constexpr int kShortSide = 2480;
  static constexpr int kLongSide = 3508;

  explicit RecordingCanvas(bool refusesLandscape = false) : FRefusesLandscape(refusesLandscape) {}

  void SetOrientation(PageOrientation orientation) override {
    if (!FRefusesLandscape) FOrientation = orientation;
  }
  PageOrientation Orientation() const override { return FOrientation; }
  void SetTitle(std::string_view title) override { Title = title; }
  void BeginDoc() override { FPage = 1; }
  void NewPage() override { ++FPage; }
  void EndDoc() override { Ended = true; }
  int PageNumber() const override { return FPage; }
  int PageWidth() const override { return Landscape() ? kLongSide : kShortSide; }
  int PageHeight() const override { return Landscape() ? kShortSide : kLongSide; }
  PhysicalPageSize PhysicalSize() const override { return {210, 297}; }
  void SetFont(const ReportFont& font) override {
    EXPECT_EQ(font.Name, "Arial Narrow");
    FFont = font;
  }
  TextExtent Extent(std::string_view text) const override {
    return {static_cast<int>(text.size()) * FFont.Points * 2, FFont.Points * 5};
  }
  void TextOut(int x, int y, std::string_view text) override {
    Drawn.push_back({FPage, x, y, std::string(text), FFont.Points, FFont.Bold});
  }

  const DrawnText& Find(const std::string& text) const {
    const auto found = std::find_if(Drawn.begin(), Drawn.end(),
                                    [&](const DrawnText& drawn) { return drawn.Text == text; });
    if (found == Drawn.end()) throw std::out_of_range("not drawn: " + text);
    return *found;
  }
  std::vector<DrawnText> OnPage(int page) const {
    std::vector<DrawnText> texts;
    std::copy_if(Drawn.begin(), Drawn.end(), std::back_inserter(texts),
                 [&](const DrawnText& drawn) { return drawn.Page == page; });
    return texts;
  }

  std::string Title;
  bool Ended = false;
  std::vector<DrawnText> Drawn;

 private:
  bool Landscape() const { return FOrientation == PageOrientation::Landscape; }

  bool FRefusesLandscape;
  PageOrientation FOrientation = PageOrientation::Portrait;
  ReportFont FFont;
  int FPage = 0;
};

// Landscape: margins 150 (x) and 149 (y); the title 120 dots high, the heading line 60, rule lines
// 50, so that the first page holds 39 rules and the others 42.
constexpr int kMarginX = 150;
constexpr int kMarginY = 149;
constexpr int kFirstColumnX = 310;
constexpr int kFirstPageRules = 39;
constexpr int kFooterY = RecordingCanvas::kShortSide - kMarginY;

class PrintedReportTest : public ::testing::Test {
 protected:
  PrintedReportTest() { FConfiguration.ControllerSettings.UnitName = "Committed"; }

  // Rules whose cells read "r<row>c<column>".
  void AddRules(int count) {
    FConfiguration.RuleCount = count;
    SetUpRuleTextSheet(FConfiguration.MimicBook, count);
    for (int row = 1; row <= count; ++row) {
      for (int column = 1; column <= static_cast<int>(kRuleTextColumns); ++column) {
        std::string cell = "r";
        cell.append(std::to_string(row)).append("c").append(std::to_string(column));
        FConfiguration.MimicBook.SetText(kRuleTextSheet, row, column, cell);
      }
    }
  }

  void Print(const std::string& unitName = "Unit") {
    PrintReport(FCanvas, FConfiguration, unitName, FClock);
  }

  Configuration FConfiguration{"/nonexistent/trv-report", "/nonexistent/trv-report"};
  RecordingCanvas FCanvas;
  int FMinute = 0;
  ReportClock FClock{.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug",
                                         "Sep", "Oct", "Nov", "Dec"},
                     .Now = [this] {
                       return PrintTime{
                           .Year = 2024, .Month = 2, .Day = 3, .Hour = 13, .Minute = FMinute++};
                     }};
};

TEST_F(PrintedReportTest, FirstPageHasTheCentredTitleTheHeadingsAndTheRulesInLandscape) {
  AddRules(2);
  Print();
  EXPECT_EQ(FCanvas.Title, "Mimic Rules");
  EXPECT_TRUE(FCanvas.Ended);
  const DrawnText& title = FCanvas.Find("Mimic Rules");
  EXPECT_EQ(title.X, RecordingCanvas::kLongSide / 2 - 11 * 48 / 2);
  EXPECT_EQ(title.Y, kMarginY);
  EXPECT_TRUE(title.Bold);
  EXPECT_EQ(title.Points, 24);
  const DrawnText& heading = FCanvas.Find("Rule");
  EXPECT_EQ(heading.X, kFirstColumnX);
  EXPECT_EQ(heading.Y, kMarginY + 150);
  EXPECT_TRUE(heading.Bold);
  EXPECT_EQ(heading.Points, 12);
  // Nine columns of equal width share 2898 dots.
  EXPECT_EQ(FCanvas.Find("Channel").X, kFirstColumnX + 8 * 322);
  const DrawnText& first = FCanvas.Find("   1");
  EXPECT_EQ(first.X, kMarginX);
  EXPECT_EQ(first.Y, kMarginY + 150 + 75);
  EXPECT_FALSE(first.Bold);
  EXPECT_EQ(FCanvas.Find("r2c9").Y, first.Y + 50);
  EXPECT_EQ(FCanvas.Find("r2c9").X, kFirstColumnX + 8 * 322);
  EXPECT_EQ(FCanvas.Drawn.size(), 1u + 9u + 2u * 10u + 3u);
}

TEST_F(PrintedReportTest, RuleNumbersAreFourWide) {
  AddRules(7);
  Print();
  EXPECT_EQ(FCanvas.Find("   7").X, kMarginX);
}

TEST_F(PrintedReportTest, LaterPagesStartWithTheHeadingAtTheMarginWithoutTitle) {
  AddRules(kFirstPageRules + 1);
  Print();
  ASSERT_EQ(FCanvas.PageNumber(), 2);
  EXPECT_THAT(FCanvas.OnPage(1), Contains(Field(&DrawnText::Text, "Page 1")));
  const std::vector<DrawnText> second = FCanvas.OnPage(2);
  EXPECT_THAT(second, Not(Contains(Field(&DrawnText::Text, "Mimic Rules"))));
  EXPECT_EQ(second.front().Text, "Rule");
  EXPECT_EQ(second.front().Y, kMarginY);
  const DrawnText& rule = FCanvas.Find("  40");
  EXPECT_EQ(rule.Page, 2);
  EXPECT_EQ(rule.Y, kMarginY + 75);
  const DrawnText& page = FCanvas.Find("Page 2");
  EXPECT_EQ(page.Page, 2);
  EXPECT_EQ(page.Y, kFooterY);
  EXPECT_EQ(page.X, RecordingCanvas::kLongSide / 2 - 6 * 20 / 2);
  // The time is read for each page.
  EXPECT_EQ(FCanvas.Find("3/Feb/2024 1:01 pm").Page, 2);
}

TEST_F(PrintedReportTest, RuleLinesStopAboveTheFooter) {
  AddRules(kFirstPageRules);
  Print();
  EXPECT_EQ(FCanvas.PageNumber(), 1);
  const DrawnText& last = FCanvas.Find("  39");
  EXPECT_LT(last.Y, kFooterY - 50);
  EXPECT_GE(last.Y + 50, kFooterY - 50);
}

TEST_F(PrintedReportTest, NarrowColumnsAreLeftOutButKeepTheirSpace) {
  AddRules(1);
  FConfiguration.MimicBook.SetColumnWidth(3, 500);
  FConfiguration.MimicBook.SetColumnWidth(4, 501);
  Print();
  EXPECT_THAT(FCanvas.Drawn, Not(Contains(Field(&DrawnText::Text, "Loop"))));
  EXPECT_THAT(FCanvas.Drawn, Not(Contains(Field(&DrawnText::Text, "r1c3"))));
  // 2898 dots shared by 7 x 3150, 500 and 501.
  const int step = 3150 * 2898 / 23051;
  EXPECT_EQ(FCanvas.Find("Zone").X, kFirstColumnX + 2 * step + 500 * 2898 / 23051);
  EXPECT_EQ(FCanvas.Find("r1c4").X, FCanvas.Find("Zone").X);
  EXPECT_EQ(FCanvas.Find("Address").X, FCanvas.Find("Zone").X + 501 * 2898 / 23051);
}

TEST_F(PrintedReportTest, EveryColumnHiddenLeavesTheRuleNumbers) {
  AddRules(1);
  FConfiguration.MimicBook.SetColumnWidths(1, 9, 0);
  Print();
  EXPECT_EQ(FCanvas.OnPage(1).size(), 1u + 1u + 3u);
  EXPECT_EQ(FCanvas.Find("   1").X, kMarginX);
}

TEST_F(PrintedReportTest, FooterNamesTheUnitGivenWithPageAndTime) {
  AddRules(1);
  Print("Typed, not committed");
  const DrawnText& left = FCanvas.Find("KORVANEX TRV Configuration Tool - Typed, not committed");
  EXPECT_EQ(left.X, kMarginX);
  EXPECT_EQ(left.Y, kFooterY);
  EXPECT_EQ(left.Points, 10);
  const std::string time = "3/Feb/2024 1:00 pm";
  const DrawnText& right = FCanvas.Find(time);
  EXPECT_EQ(right.X, RecordingCanvas::kLongSide - kMarginX - static_cast<int>(time.size()) * 20);
  EXPECT_EQ(right.Y, kFooterY);
}

TEST_F(PrintedReportTest, FooterTextsComeFromTheStringTable) {
  AddRules(1);
  nlohmann::json strings = {{std::to_string(string_id::kPage), "Seite"},
                            {std::to_string(string_id::kCompanyName), "Maker"}};
  ReplaceActiveStrings(strings);
  Print();
  ResetActiveStrings();
  EXPECT_EQ(FCanvas.Find("Seite 1").Y, kFooterY);
  EXPECT_EQ(FCanvas.Find("Maker TRV Configuration Tool - Unit").X, kMarginX);
}

TEST_F(PrintedReportTest, PortraitPrinterKeepsHalfInchMargins) {
  RecordingCanvas portrait(true);
  AddRules(1);
  PrintReport(portrait, FConfiguration, "Unit", FClock);
  const DrawnText& title = portrait.Find("Mimic Rules");
  EXPECT_EQ(title.Y, 150);  // 3508 dots over 297 mm
  EXPECT_EQ(title.X, RecordingCanvas::kShortSide / 2 - 11 * 48 / 2);
  EXPECT_EQ(portrait.Find("   1").X, 149);  // 2480 dots over 210 mm
  EXPECT_EQ(portrait.Find("Page 1").Y, RecordingCanvas::kLongSide - 150);
}

TEST_F(PrintedReportTest, NoRulesPrintTheTitleAlone) {
  Print();
  ASSERT_EQ(FCanvas.Drawn.size(), 1u);
  EXPECT_EQ(FCanvas.Drawn.front().Text, "Mimic Rules");
  EXPECT_TRUE(FCanvas.Ended);
}

// A page too small for one rule line under the heading.
class TinyCanvas : public RecordingCanvas {
 public:
  int PageHeight() const override { return 120; }
};

TEST_F(PrintedReportTest, PageWithoutRoomForARuleIsAnErrorNotEndlessPages) {
  TinyCanvas tiny;
  AddRules(1);
  EXPECT_THROW(PrintReport(tiny, FConfiguration, "Unit", FClock), std::runtime_error);
  EXPECT_EQ(tiny.PageNumber(), 2);
}

TEST(PrintTimeTest, TwelveHourClockWithoutLeadingZeros) {
  const MonthNames months{"jan", "feb", "mar", "apr", "mai", "jun",
                          "jul", "aug", "sep", "okt", "nov", "dez"};
  EXPECT_EQ(FormatPrintTime({.Year = 2025, .Month = 10, .Day = 9, .Hour = 0, .Minute = 5}, months),
            "9/okt/2025 12:05 am");
  EXPECT_EQ(FormatPrintTime({.Year = 2025, .Month = 5, .Day = 31, .Hour = 12, .Minute = 0}, months),
            "31/mai/2025 12:00 pm");
  EXPECT_EQ(FormatPrintTime({.Year = 999, .Month = 12, .Day = 1, .Hour = 23, .Minute = 59}, months),
            "1/dez/0999 11:59 pm");
  EXPECT_EQ(FormatPrintTime({.Year = 2025, .Month = 1, .Day = 1, .Hour = 11, .Minute = 30}, months),
            "1/jan/2025 11:30 am");
}

}  // namespace
}  // namespace trv
