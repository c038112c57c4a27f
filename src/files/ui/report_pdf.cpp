#include "files/ui/report_pdf.h"

#include <QPageSize>
#include <QPdfWriter>

#include "files/printed_report.h"
#include "files/replacing_write.h"
#include "files/ui/locale_report_clock.h"
#include "files/ui/painter_canvas.h"

namespace trv {

void WriteReportPdf(const Configuration& configuration, const std::string& unitName,
                    const std::filesystem::path& file, ReportPaper paper) {
  WriteReplacing(file, [&](const std::filesystem::path& sibling) {
    QPdfWriter writer(QString::fromStdString(sibling.string()));
    writer.setResolution(kReportResolution);
    writer.setPageSize(QPageSize(paper == ReportPaper::Letter ? QPageSize::Letter : QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    TPainterCanvas canvas(writer, [&writer](const QString& title) { writer.setTitle(title); });
    PrintReport(canvas, configuration, unitName, LocaleReportClock());
  });
}

}  // namespace trv
