#include "files/printed_report.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <ctime>
#include <numeric>
#include <stdexcept>
#include <string_view>

#include "model/configuration.h"
#include "model/rule_text.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {

namespace {

constexpr std::string_view kReportFontName = "Arial Narrow";
constexpr ReportFont kTitleFont{.Name = kReportFontName, .Points = 24, .Bold = true};
constexpr ReportFont kHeadingFont{.Name = kReportFontName, .Points = 12, .Bold = true};
constexpr ReportFont kRuleFont{.Name = kReportFontName, .Points = 10, .Bold = false};
// Columns hidden in the grid are this narrow or narrower.
constexpr int kHiddenColumnWidth = 500;
constexpr double kMillimetresPerInch = 25.4;
constexpr int kColumnCount = static_cast<int>(kRuleTextColumns);

using ColumnPositions = std::array<int, kRuleTextColumns>;
using ColumnWidths = std::array<int, kRuleTextColumns>;

// Half an inch in dots, of a page side of this many dots and millimetres.
int HalfInch(int dots, double millimetres) {
  return static_cast<int>(dots / (millimetres / kMillimetresPerInch) * 0.5);
}

ColumnWidths RuleTextColumnWidths(const Workbook& book) {
  const std::map<int, int>& widths = book.ColumnWidths(kRuleTextSheet);
  ColumnWidths result;
  for (int column = 1; column <= kColumnCount; ++column) {
    const auto width = widths.find(column);
    result[column - 1] = width == widths.end() ? kDefaultColumnWidth : width->second;
  }
  return result;
}

std::string ColumnHeading(const Workbook& book, int column) {
  const std::map<int, std::string>& headings = book.ColumnHeadings(kRuleTextSheet);
  const auto heading = headings.find(column);
  return heading == headings.end() ? std::string() : heading->second;
}

bool Visible(int width) {
  return width > kHiddenColumnWidth;
}

struct PageGeometry {
  int Width = 0;
  int Height = 0;
  int MarginX = 0;
  int MarginY = 0;
  ColumnPositions ColumnX{};
};

// The printer reports its physical size held in portrait: a landscape page's width is the
// vertical size.
PageGeometry MarginsOf(const ReportCanvas& canvas) {
  const PhysicalPageSize size = canvas.PhysicalSize();
  const bool landscape = canvas.Orientation() == PageOrientation::Landscape;
  PageGeometry page{.Width = canvas.PageWidth(), .Height = canvas.PageHeight()};
  page.MarginX = HalfInch(page.Width, landscape ? size.Vertical : size.Horizontal);
  page.MarginY = HalfInch(page.Height, landscape ? size.Horizontal : size.Vertical);
  return page;
}

// The rule number has a tenth of the printable width; the columns share the rest in proportion
// to their widths in the grid, hidden ones included.
ColumnPositions ColumnPositionsOf(const PageGeometry& page, const ColumnWidths& widths) {
  const std::int64_t total = std::accumulate(widths.begin(), widths.end(), std::int64_t{0});
  const int numberSpace = (page.Width - 2 * page.MarginX) / 10;
  const int first = page.MarginX + numberSpace / 2;
  const std::int64_t available = page.Width - 2 * page.MarginX - first;
  ColumnPositions x{};
  x[0] = first;
  for (int i = 1; i < kColumnCount; ++i) {
    const std::int64_t step = total == 0 ? 0 : widths[i - 1] * available / total;
    x[i] = x[i - 1] + static_cast<int>(step);
  }
  return x;
}

class ReportWriter {
 public:
  ReportWriter(ReportCanvas& canvas, const Configuration& configuration,
               const std::string& unitName, const ReportClock& clock)
      : FCanvas(canvas),
        FBook(configuration.MimicBook),
        FRuleCount(std::min(configuration.RuleCount, kMaxRows)),
        FWidths(RuleTextColumnWidths(FBook)),
        FUnitName(unitName),
        FClock(clock) {}

  void Print() {
    const std::string& title = ActiveText(string_id::kMimicRules);
    FCanvas.SetOrientation(PageOrientation::Landscape);
    FCanvas.SetTitle(title);
    FCanvas.BeginDoc();
    FPage = MarginsOf(FCanvas);
    FPage.ColumnX = ColumnPositionsOf(FPage, FWidths);
    FY = FPage.MarginY;
    PrintTitle(title);
    while (FNextRow <= FRuleCount) {
      const std::int32_t firstRow = FNextRow;
      PrintHeadingLine();
      PrintRuleLines();
      PrintFooter();
      if (FNextRow > FRuleCount) break;
      // A page that starts at the top and holds no rule would repeat for ever.
      if (FNextRow == firstRow && FCanvas.PageNumber() > 1) {
        throw std::runtime_error("The page is too small for a line of the rule table");
      }
      FCanvas.NewPage();
      FY = FPage.MarginY;
    }
    FCanvas.EndDoc();
  }

 private:
  int LineHeight() const { return FCanvas.Extent("A").Height; }

  int CentredX(std::string_view text) const {
    return FPage.Width / 2 - FCanvas.Extent(text).Width / 2;
  }

  void PrintTitle(const std::string& title) {
    FCanvas.SetFont(kTitleFont);
    FCanvas.TextOut(CentredX(title), FY, title);
    FY += LineHeight() * 5 / 4;
  }

  void PrintHeadingLine() {
    FCanvas.SetFont(kHeadingFont);
    for (int column = 1; column <= kColumnCount; ++column) {
      if (!Visible(FWidths[column - 1])) continue;
      FCanvas.TextOut(FPage.ColumnX[column - 1], FY, ColumnHeading(FBook, column));
    }
    FY += LineHeight() * 5 / 4;
  }

  void PrintRuleLines() {
    FCanvas.SetFont(kRuleFont);
    const int height = LineHeight();
    const int bottom = FPage.Height - FPage.MarginY - height;
    for (; FY < bottom && FNextRow <= FRuleCount; ++FNextRow, FY += height) {
      FCanvas.TextOut(FPage.MarginX, FY, FormatText("%4d", FNextRow));
      for (int column = 1; column <= kColumnCount; ++column) {
        if (!Visible(FWidths[column - 1])) continue;
        FCanvas.TextOut(FPage.ColumnX[column - 1], FY,
                        FBook.Text(kRuleTextSheet, FNextRow, column));
      }
    }
  }

  // In the rule lines' font.
  void PrintFooter() {
    const int y = FPage.Height - FPage.MarginY;
    FCanvas.TextOut(FPage.MarginX, y,
                    ActiveText(string_id::kCompanyName) + " " +
                        ActiveText(string_id::kProductTitle) + " - " + FUnitName);
    const std::string page =
        ActiveText(string_id::kPage) + " " + std::to_string(FCanvas.PageNumber());
    FCanvas.TextOut(CentredX(page), y, page);
    const std::string time = FormatPrintTime(FClock.Now(), FClock.ShortMonthNames);
    FCanvas.TextOut(FPage.Width - FPage.MarginX - FCanvas.Extent(time).Width, y, time);
  }

  ReportCanvas& FCanvas;
  const Workbook& FBook;
  const std::int32_t FRuleCount;
  const ColumnWidths FWidths;
  const std::string& FUnitName;
  const ReportClock& FClock;
  PageGeometry FPage;
  int FY = 0;
  std::int32_t FNextRow = 1;
};

}  // namespace

std::string FormatPrintTime(const PrintTime& time, const MonthNames& shortMonthNames) {
  const std::string& month = shortMonthNames.at(static_cast<std::size_t>(time.Month - 1));
  const int hour = time.Hour % 12 == 0 ? 12 : time.Hour % 12;
  return FormatText("%d/%s/%04d %d:%02d %s", time.Day, month, time.Year, hour, time.Minute,
                    time.Hour < 12 ? "am" : "pm");
}

PrintTime LocalPrintTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {.Year = local.tm_year + 1900,
          .Month = local.tm_mon + 1,
          .Day = local.tm_mday,
          .Hour = local.tm_hour,
          .Minute = local.tm_min};
}

void PrintReport(ReportCanvas& canvas, const Configuration& configuration,
                 const std::string& unitName, const ReportClock& clock) {
  ReportWriter(canvas, configuration, unitName, clock).Print();
}

}  // namespace trv
