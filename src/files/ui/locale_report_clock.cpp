#include "files/ui/locale_report_clock.h"

#include <cstddef>

namespace trv {

ReportClock LocaleReportClock(const QLocale& locale) {
  MonthNames months;
  for (std::size_t month = 0; month < months.size(); ++month) {
    months[month] =
        locale.monthName(static_cast<int>(month) + 1, QLocale::ShortFormat).toStdString();
  }
  return {.ShortMonthNames = months, .Now = LocalPrintTime};
}

}  // namespace trv
