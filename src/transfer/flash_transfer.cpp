#include "transfer/flash_transfer.h"

#include <array>
#include <charconv>

#include "files/replacing_write.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "transfer/image_cells.h"

namespace trv {
namespace {

constexpr std::size_t kPortDigit = 3;

constexpr std::array<int, 8> kStageTextIds{string_id::kStageReadingFile,
                                           string_id::kStageEstablishingComms,
                                           string_id::kStageCheckingFlashVersion,
                                           string_id::kStageVerifyingSoftwareIdent,
                                           string_id::kStageErasing,
                                           string_id::kStageProgramming,
                                           string_id::kStageVerifying,
                                           string_id::kStageComplete};

TBinaryImage TransferImage(const ConfigurationImage& buffer, TransferDirection direction) {
  if (direction == TransferDirection::Send) return ImageCells(buffer);
  return TBinaryImage(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
}

}  // namespace

std::optional<TCommPort> PortOfEntry(const std::optional<std::string>& entry) {
  if (!entry || entry->size() <= kPortDigit) return std::nullopt;
  const char digit = (*entry)[kPortDigit];
  if (digit < '1' || digit > '8') return std::nullopt;
  return static_cast<TCommPort>(digit - '1');
}

TCommBaud BaudOfRateEntry(const std::optional<std::string>& entry) {
  std::int32_t rate = 0;
  if (!entry) return cb57600;
  const char* last = entry->data() + entry->size();
  const auto [stop, error] = std::from_chars(entry->data(), last, rate);
  if (entry->empty() || error != std::errc{} || stop != last) return cb57600;
  for (TCommBaud baud : {cb1200, cb2400, cb4800, cb19200, cb38400, cb57600, cb115200}) {
    if (BaudRateOf(baud) == rate) return baud;
  }
  return cb9600;
}

TFlashOptions DirectionOptions(TransferDirection direction) {
  if (direction == TransferDirection::Get) return {ofRead};
  return {ofErase, ofProgram};
}

bool SetUpLine(TM16CFlash& flash, const TransferLineTexts& texts) {
  const std::optional<TCommPort> port = PortOfEntry(texts.PortEntry);
  if (!port) return false;
  flash.SetCommPort(*port);
  flash.SetBaud(BaudOfRateEntry(texts.RateEntry));
  flash.SetSoftwareIDs(texts.SoftwareIDs);
  return true;
}

std::string TransferStageText(TFlashProgress stage, TransferDirection direction) {
  if (stage >= kStageTextIds.size()) return {};
  if (stage == fpTransferring && direction == TransferDirection::Get) {
    return ActiveText(string_id::kStageReading);
  }
  return ActiveText(kStageTextIds[stage]);
}

std::string TransferErrorText(TFlashErrors code, const std::string& failureText) {
  if (code == feTextFailure && !failureText.empty()) return failureText;
  if (code <= string_id::kFlashErrorLastCode) return ActiveText(string_id::kFlashErrorFirst + code);
  return ActiveText(string_id::kFlashErrorUnknown);
}

std::string TransferErrorCaption() {
  return ActiveText(string_id::kFlashErrorCaption);
}

std::string NoPortMessage(const std::optional<std::string>& portEntry) {
  std::string message = "No serial port is chosen for the transfer";
  if (portEntry && !portEntry->empty()) {
    message += " (\"";
    message += *portEntry;
    message += "\" names none of COM1 to COM8)";
  }
  message +=
      ".\n\nConnect the controller's serial cable or USB adapter, choose its port under "
      "Tool > Options and start the transfer again.";
  return message;
}

FileDialogSetup TraceDialogSetup(const std::filesystem::path& dataDirectory) {
  return {"line-trace.txt", "Line Traces (*.txt)|*.txt", dataDirectory.string(), "txt"};
}

void WriteLineTrace(const TLineTrace& trace, const std::filesystem::path& file) {
  WriteFileReplacing(file, trace.Text());
}

std::string TraceFailureText(const std::filesystem::path& file, const std::string& reason) {
  std::string text = "The trace could not be saved in ";
  text += file.string();
  text += ": ";
  text += reason;
  text += ".\n\nChoose a writable folder with free space and save it again.";
  return text;
}

TFlashTransfer::TFlashTransfer(const ConfigurationImage& buffer, TransferDirection direction)
    : FDirection(direction), FImage(TransferImage(buffer, direction)) {}

bool TFlashTransfer::SetUp(TM16CFlash& flash, const TransferLineTexts& texts) {
  if (!SetUpLine(flash, texts)) return false;
  flash.SetFlashStart(ConfigurationImage::ImageBase);
  flash.SetFlashSize(ConfigurationImage::kSize);
  flash.SetFlashOptions(flash.FlashOptions() + DirectionOptions(FDirection));
  FPrevious.reset();
  TBlockReadListener listener;
  if (FDirection == TransferDirection::Send) {
    listener = [this](const TBinaryImage& block) { TakeBlockRead(block); };
  }
  flash.SetOnBlockRead(std::move(listener));
  return true;
}

// Copying the block costs the line nothing: the job reads it anyway and erases it next.
void TFlashTransfer::TakeBlockRead(const TBinaryImage& block) {
  const bool holdsConfiguration =
      block.StartAddress() <= ConfigurationImage::ImageBase &&
      block.EndAddress() >= ConfigurationImage::ImageBase + (ConfigurationImage::kSize - 1);
  if (holdsConfiguration) FPrevious = ImageOfCells(block);
}

std::optional<SendBackupOutcome> TFlashTransfer::KeepPreviousImage(
    const SendBackupPlace& place) const {
  if (!FPrevious) return std::nullopt;
  return WriteSendBackup(*FPrevious, place, std::chrono::system_clock::now());
}

bool TFlashTransfer::BlankGet() const {
  return FDirection == TransferDirection::Get && !HoldsConfiguration(ImageOfCells(FImage));
}

void TFlashTransfer::CopyTo(ConfigurationImage& buffer) const {
  buffer = ImageOfCells(FImage);
}

}  // namespace trv
