#pragma once

#include <QLocale>

#include "files/printed_report.h"

namespace trv {

// The system's clock with the locale's abbreviated month names.
ReportClock LocaleReportClock(const QLocale& locale = QLocale());

}  // namespace trv
