#pragma once

#include <array>
#include <functional>
#include <string>

#include "files/report_canvas.h"

namespace trv {

class Configuration;

struct PrintTime {
  int Year = 2000;
  int Month = 1;  // 1..12
  int Day = 1;
  int Hour = 0;  // 0..23
  int Minute = 0;
};

using MonthNames = std::array<std::string, 12>;

// Where the footer's date and time come from: the locale's abbreviated month names, January
// first, and the clock, read anew for each page.
struct ReportClock {
  MonthNames ShortMonthNames;
  std::function<PrintTime()> Now;
};

// "d/mmm/yyyy h:nn am/pm": day and hour without a leading zero, the hour on the 12-hour clock.
std::string FormatPrintTime(const PrintTime& time, const MonthNames& shortMonthNames);

// The system's local time to the minute.
PrintTime LocalPrintTime();

// Prints the rule table as the grid shows it, from the rule text sheet with its headings and
// column widths: the title on the first page, on every page the heading line, as many rule lines
// as fit and the footer with the unit name given (what the settings page shows, committed or
// not), the page number and the time. Begins and ends the document. Throws std::runtime_error
// when the page cannot hold a single rule line.
void PrintReport(ReportCanvas& canvas, const Configuration& configuration,
                 const std::string& unitName, const ReportClock& clock);

}  // namespace trv
