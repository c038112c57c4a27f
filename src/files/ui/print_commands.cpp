#include "files/ui/print_commands.h"

#include <utility>

#include "files/printed_report.h"
#include "files/ui/locale_report_clock.h"
#include "files/ui/painter_canvas.h"

namespace trv {

TPrintCommands::TPrintCommands(const Configuration& configuration, PrinterDialog printDialog,
                               PrinterDialog printerSetupDialog, UnitNameSource unitName)
    : FConfiguration(configuration),
      FPrintDialog(std::move(printDialog)),
      FPrinterSetupDialog(std::move(printerSetupDialog)),
      FUnitName(std::move(unitName)) {
  // The report keeps its own half-inch margins from the paper's edges.
  FPrinter.setFullPage(true);
}

void TPrintCommands::MenuFilePrintClick() {
  if (!FPrintDialog(FPrinter)) return;
  TPainterCanvas canvas(FPrinter, [this](const QString& title) { FPrinter.setDocName(title); });
  PrintReport(canvas, FConfiguration, FUnitName(), LocaleReportClock());
}

void TPrintCommands::MenuFilePrintSetupClick() {
  FPrinterSetupDialog(FPrinter);
}

}  // namespace trv
