#pragma once

#include <QPrinter>
#include <functional>
#include <string>

namespace trv {

class Configuration;

// File Print and File Printer Setup. The printer chosen in either dialog stays for the next
// report.
class TPrintCommands {
 public:
  // Shows a dialog on the printer; false when the user cancelled.
  using PrinterDialog = std::function<bool(QPrinter& printer)>;
  // The unit name as the settings page shows it, committed or not.
  using UnitNameSource = std::function<std::string()>;

  TPrintCommands(const Configuration& configuration, PrinterDialog printDialog,
                 PrinterDialog printerSetupDialog, UnitNameSource unitName);

  // The print dialog, then the report; nothing when the dialog is cancelled.
  void MenuFilePrintClick();
  void MenuFilePrintSetupClick();

 private:
  const Configuration& FConfiguration;
  PrinterDialog FPrintDialog;
  PrinterDialog FPrinterSetupDialog;
  UnitNameSource FUnitName;
  QPrinter FPrinter{QPrinter::HighResolution};
};

}  // namespace trv
