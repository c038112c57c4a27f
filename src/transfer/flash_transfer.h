#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/file_chooser.h"
#include "flash/binary_image.h"
#include "flash/flash_types.h"
#include "flash/m16c_flash.h"
#include "transfer/configuration_image.h"
#include "transfer/send_backup.h"
#include "transfer/transfer_runner.h"

namespace trv {

// What a transfer takes from the options dialog: the selected port and rate entries (none when
// nothing is selected) and every Software ID entry in order.
struct TransferLineTexts {
  std::optional<std::string> PortEntry;
  std::optional<std::string> RateEntry;
  std::vector<std::string> SoftwareIDs;
};

// "COM3" gives spCOM3: the entry's fourth character is the port's digit. Nothing for an entry
// that names none of COM1..COM8.
std::optional<TCommPort> PortOfEntry(const std::optional<std::string>& entry);
// A listed rate gives its value, any other number cb9600, no entry or no number cb57600.
TCommBaud BaudOfRateEntry(const std::optional<std::string>& entry);
// What a transfer in this direction adds to the component's options.
TFlashOptions DirectionOptions(TransferDirection direction);

// Port, rate and Software IDs into the component; false, changing nothing, when the texts name
// no port.
bool SetUpLine(TM16CFlash& flash, const TransferLineTexts& texts);

// The dialog's text of a stage, stage 5 by direction; empty for a value outside the stages.
std::string TransferStageText(TFlashProgress stage, TransferDirection direction);
// The dialog's text of a failed job: the string table's text of codes 0..8, "Unknown exception"
// for any other code, and the failure's own text for a failure that is a text (a HEX file or
// port error, a malformed Software ID).
std::string TransferErrorText(TFlashErrors code, const std::string& failureText);
// The caption of every flash message box.
std::string TransferErrorCaption();
// Why a transfer cannot start when the options dialog names no port.
std::string NoPortMessage(const std::optional<std::string>& portEntry);

// The save dialog of "Save Trace...".
FileDialogSetup TraceDialogSetup(const std::filesystem::path& dataDirectory);
// The trace's text replacing the file whole or not at all; raises std::system_error.
void WriteLineTrace(const TLineTrace& trace, const std::filesystem::path& file);
// "The trace could not be saved in FILE: reason." and what to do.
std::string TraceFailureText(const std::filesystem::path& file, const std::string& reason);

// One transfer of the configuration area through the flash component: the image the job works
// on, filled from the buffer for a send, and given back to the buffer at the end.
class TFlashTransfer {
 public:
  TFlashTransfer(const ConfigurationImage& buffer, TransferDirection direction);

  TransferDirection Direction() const { return FDirection; }
  // The image the job works on; leave it alone until the component's completion event.
  TBinaryImage& Image() { return FImage; }

  // Port, rate, the configuration area, the Software IDs and the direction's options into the
  // component, and for a send the listener that takes the controller's previous configuration.
  // Nothing is changed and false is returned when the texts name no port. The transfer must
  // stay where it is until the job has ended.
  bool SetUp(TM16CFlash& flash, const TransferLineTexts& texts);
  // A get that read back an erased configuration area: the controller holds no configuration.
  bool BlankGet() const;
  // Every byte of the image into the buffer, an empty cell as 0xFF.
  void CopyTo(ConfigurationImage& buffer) const;
  // After the job: the configuration area the send read before erasing it, written into the
  // place unless it was blank. Nothing when the job did not read it whole (a get, a failure
  // before, an abort). A send that failed after reading keeps it too.
  std::optional<SendBackupOutcome> KeepPreviousImage(const SendBackupPlace& place) const;

 private:
  void TakeBlockRead(const TBinaryImage& block);

  TransferDirection FDirection;
  TBinaryImage FImage;
  std::optional<ConfigurationImage> FPrevious;  // written on the job's thread
};

}  // namespace trv
