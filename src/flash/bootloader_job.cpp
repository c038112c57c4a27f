#include "flash/bootloader_job.h"

#include <algorithm>
#include <memory>

namespace trv {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

constexpr auto kCommandPause = 20ms;
constexpr auto kIdCheckPause = 50ms;
constexpr auto kPageReadPause = 50ms;
constexpr auto kAnswerTimeout = 500ms;

constexpr int kBitRateAdjustZeros = 16;
constexpr int kStatusReads = 79;
constexpr int kPageTries = 3;
// Wrong echoes of a rate command before the rate is given up.
constexpr int kRateSelectTries = 10;

constexpr std::uint32_t kPageSize = 256;
constexpr std::size_t kVersionLength = 8;

// Bootloader commands.
constexpr std::uint8_t kRate9600 = 0xB0;
constexpr std::uint8_t kBitRateAdjust = 0x00;
constexpr std::uint8_t kVersionInformation = 0xFB;
constexpr std::uint8_t kIdCheck = 0xF5;
constexpr std::uint8_t kReadStatusRegister = 0x70;
constexpr std::uint8_t kClearStatusRegister = 0x50;
constexpr std::uint8_t kLockBitDisable = 0x75;
constexpr std::uint8_t kEraseAllUnlocked = 0xA7;
constexpr std::uint8_t kBlockErase = 0x20;
constexpr std::uint8_t kConfirm = 0xD0;
constexpr std::uint8_t kPageProgram = 0x41;
constexpr std::uint8_t kPageRead = 0xFF;

// The ID check names the ID area 0x0FFFDF (low byte first) and seven ID bytes.
constexpr std::uint8_t kIdAreaLow = 0xDF;
constexpr std::uint8_t kIdAreaMiddle = 0xFF;
constexpr std::uint8_t kIdAreaHigh = 0x0F;
constexpr std::uint8_t kIdLength = 7;

// Status word: SRD in bits 0..7, SRD1 in bits 8..15.
constexpr std::uint16_t kProgramErrorBit = 1u << 4;
constexpr std::uint16_t kEraseErrorBit = 1u << 5;
constexpr std::uint16_t kIdVerifiedBits = (1u << 10) | (1u << 11);

// The code that goes after 0xB0 for a rate; the bootloader knows no other rates than these.
std::uint8_t RateCode(TCommBaud baud) {
  switch (baud) {
    case cb19200:
      return 1;
    case cb38400:
      return 2;
    case cb57600:
      return 3;
    default:
      return 0;
  }
}

std::uint8_t AddressByte(std::uint32_t address, int shift) {
  return static_cast<std::uint8_t>((address >> shift) & 0xFF);
}

std::optional<std::uint8_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

ESoftwareIDError InvalidSoftwareID(const std::string& id) {
  return ESoftwareIDError("Software ID \"" + id + "\" is not seven hexadecimal pairs");
}

bool InsideFlash(std::uint64_t start, std::uint64_t size) {
  return size > 0 && start >= kFlashFirstAddress && start + size - 1 <= kFlashLastAddress;
}

std::uint32_t BlockStart(std::size_t block) {
  return FlashBlockTable[block];
}
std::uint32_t BlockLast(std::size_t block) {
  return FlashBlockTable[block + 1] - 1;
}

bool CoversBlock(const TBinaryImage& image, std::size_t block) {
  return image.StartAddress() <= BlockStart(block) && image.EndAddress() >= BlockLast(block);
}

// The last block index 0..6 whose start lies at or below the address.
std::size_t BlockOf(std::uint32_t address) {
  std::size_t block = 0;
  for (std::size_t i = 0; i + 1 < FlashBlockTable.size(); ++i) {
    if (address >= FlashBlockTable[i]) block = i;
  }
  return block;
}

// Closes the line on every way out of a job.
class TPortCloser {
 public:
  explicit TPortCloser(TBootloaderLine& line) : FLine(line) {}
  ~TPortCloser() {
    try {
      FLine.Close();
    } catch (...) {
      // The job's own outcome is what is reported.
    }
  }
  TPortCloser(const TPortCloser&) = delete;
  TPortCloser& operator=(const TPortCloser&) = delete;

 private:
  TBootloaderLine& FLine;
};

}  // namespace

std::array<std::uint8_t, 7> ParseSoftwareID(const std::string& id) {
  std::array<std::uint8_t, 7> bytes{};
  std::size_t count = 0;
  for (std::size_t position = 0; position < id.size(); position += 3) {
    if (count == bytes.size() || position + 1 >= id.size()) throw InvalidSoftwareID(id);
    const auto high = HexDigit(id[position]);
    const auto low = HexDigit(id[position + 1]);
    if (!high || !low) throw InvalidSoftwareID(id);
    bytes[count++] = static_cast<std::uint8_t>(*high << 4 | *low);
  }
  if (count != bytes.size()) throw InvalidSoftwareID(id);
  return bytes;
}

TBootloaderJob::TBootloaderJob(const TFlashJobSettings& settings, TBootloaderLine& line,
                               TFlashClock& clock, const std::atomic<bool>& abortFlag,
                               TProgressHandler reportProgress)
    : FSettings(settings),
      FLine(line),
      FClock(clock),
      FAbortFlag(abortFlag),
      FReportProgress(std::move(reportProgress)) {}

void TBootloaderJob::RunJob(TBinaryImage* image) {
  const TPortCloser closer(FLine);
  const TFlashOptions options = FSettings.FlashOptions;
  const bool reading = options.Contains(ofRead);
  const bool loadAfterIdCheck = !reading && options.Contains(ofLoadAfterIDCheck);

  ResetProgressBar();
  ReportProgress(fpReadingFile);
  SetUpPort();
  // A job's own image is built only for a range inside the flash, so that a wrong size cannot
  // make a huge one; the range is checked the same way either way.
  const TRange range = JobRange(image);
  const bool inFlash = InsideFlash(range.Start, range.Size);
  std::unique_ptr<TBinaryImage> ownImage;
  if (!image && !loadAfterIdCheck && inFlash) {
    ownImage = BuildOwnImage(!reading);
    image = ownImage.get();
  }
  ReportProgress(fpEstablishingComms);
  if (!inFlash) throw EFlashError(feDataOutsideFlashRange);
  OpenPort();
  if (!options.Contains(ofSynched)) {
    Synchronise();
    ReportProgress(fpCheckingVersion);
    ReadBootVersion();
    ReportProgress(fpVerifyingSoftwareID);
    CheckSoftwareID();
  }
  ReportProgress(fpErasing);
  if (!image) {
    ownImage = BuildOwnImage(true);
    image = ownImage.get();
  }
  const bool wholeFlash =
      image->StartAddress() == kFlashFirstAddress && image->EndAddress() == kFlashLastAddress;
  if (wholeFlash) {
    TransferWholeFlash(*image);
  } else {
    TransferBlockSpan(*image);
  }
}

void TBootloaderJob::ReportProgress(TFlashProgress stage) {
  ThrowIfAborted();
  if (FReportProgress) FReportProgress(stage);
}

void TBootloaderJob::ThrowIfAborted() const {
  if (Aborted()) throw EFlashAbort();
}

void TBootloaderJob::SetUpPort() {
  try {
    FLine.SetCommPort(FSettings.CommPort);
    FLine.SetBaud(FSettings.Baud);
  } catch (const std::exception&) {
    throw EFlashError(feCommsPortFailed);
  }
}

void TBootloaderJob::OpenPort() {
  try {
    FLine.Open();
  } catch (const std::exception&) {
    throw EFlashError(feCommsPortFailed);
  }
}

std::unique_ptr<TBinaryImage> TBootloaderJob::BuildOwnImage(bool load) {
  auto image = std::make_unique<TBinaryImage>(FSettings.FlashStart, FSettings.FlashSize);
  if (load && FSettings.FlashOptions.ContainsAny({ofProgram, ofVerify})) {
    image->LoadFromHexFile(FSettings.Filename);
  }
  return image;
}

TBootloaderJob::TRange TBootloaderJob::JobRange(const TBinaryImage* image) const {
  if (image) return {image->StartAddress(), image->Size()};
  return {FSettings.FlashStart, FSettings.FlashSize};
}

void TBootloaderJob::TransferWholeFlash(TBinaryImage& image) {
  const TFlashOptions options = FSettings.FlashOptions;
  if (options.Contains(ofErase)) EraseAll();
  ReportProgress(fpTransferring);
  if (options.Contains(ofProgram)) ProgramPages(image);
  if (options.Contains(ofRead)) ReadPages(image, image.StartAddress(), image.Size());
  ReportProgress(fpVerifying);
  if (options.Contains(ofVerify)) VerifyPages(image);
  SaveReadImage(image);
  ReportProgress(fpComplete);
}

void TBootloaderJob::TransferBlockSpan(TBinaryImage& image) {
  const TFlashOptions options = FSettings.FlashOptions;
  const std::size_t first = BlockOf(image.StartAddress());
  const std::size_t end = BlockOf(image.EndAddress()) + 1;
  ResetProgressBar();
  TBinaryImage span(BlockStart(first), BlockStart(end) - BlockStart(first));
  if (!options.Contains(ofRead)) PrepareSpanBlocks(image, span, first, end);
  ReportProgress(fpTransferring);
  if (options.Contains(ofRead)) {
    ReadPages(span, span.StartAddress(), span.Size());
    // The image receives what was read, whatever it held before.
    image.ClearRange(image.StartAddress(), image.Size());
    image.MergeFrom(image.StartAddress(), span, image.StartAddress(), image.Size());
  } else {
    span.ClearRange(image.StartAddress(), image.Size());
    span.MergeFrom(image.StartAddress(), image, image.StartAddress(), image.Size());
    if (options.Contains(ofProgram)) ProgramPages(span);
  }
  ReportProgress(fpVerifying);
  if (options.Contains(ofVerify)) VerifyPages(span);
  SaveReadImage(image);
  ReportProgress(fpComplete);
}

// Reads the bytes of each touched block that the image leaves out into the span, so that they
// are written back as they were, and erases the blocks.
void TBootloaderJob::PrepareSpanBlocks(const TBinaryImage& image, TBinaryImage& span,
                                       std::size_t first, std::size_t end) {
  for (std::size_t block = first; block < end; ++block) {
    if (!CoversBlock(image, block)) {
      TBinaryImage kept(BlockStart(block), BlockLast(block) - BlockStart(block) + 1);
      ReadPages(kept, span.StartAddress(), span.Size());
      if (FSettings.OnBlockRead && !Aborted()) FSettings.OnBlockRead(kept);
      span.MergeFrom(kept.StartAddress(), kept, kept.StartAddress(), kept.Size());
    }
    if (FSettings.FlashOptions.Contains(ofErase)) {
      // An abort never erases a block whose kept bytes were not all read.
      ThrowIfAborted();
      EraseBlock(BlockStart(block));
    }
    MoveProgressBar(BlockLast(block) + 1 - span.StartAddress(), span.Size());
  }
  FillProgressBar();
}

void TBootloaderJob::SaveReadImage(const TBinaryImage& image) const {
  if (FSettings.FlashOptions.Contains(ofRead) && !FSettings.Filename.empty()) {
    image.SaveToHexFile(FSettings.Filename);
  }
}

void TBootloaderJob::Synchronise() {
  const TCommBaud rate = FLine.Baud();
  const std::uint8_t code = RateCode(rate);
  FLine.SetBaud(cb9600);
  if (!ProbeRate() && !AdjustBitRate()) throw EFlashError(feSyncFailed);
  SelectRate(static_cast<std::uint8_t>(kRate9600 + code));
  // A rate without a code leaves the bootloader at 9600, so the port stays there too.
  if (code != 0) FLine.SetBaud(rate);
}

bool TBootloaderJob::ProbeRate() {
  Send({kRate9600});
  return ReadByte(kAnswerTimeout) == kRate9600;
}

bool TBootloaderJob::AdjustBitRate() {
  for (int i = 0; i < kBitRateAdjustZeros; ++i) {
    Send({kBitRateAdjust});
    Pause(kCommandPause);
  }
  if (const auto answer = ReadByte(kAnswerTimeout)) return *answer == kRate9600;
  // The published procedure ends the zeros with one more 0xB0 and takes its echo.
  return ProbeRate();
}

void TBootloaderJob::SelectRate(std::uint8_t command) {
  for (int i = 0; i < kRateSelectTries; ++i) {
    Pause(kCommandPause);
    Send({command});
    Pause(kCommandPause);
    const auto answer = ReadByte(kAnswerTimeout);
    if (!answer) break;
    if (*answer == command) return;
  }
  throw EFlashError(feSetBaudFailed);
}

void TBootloaderJob::ReadBootVersion() {
  Pause(kCommandPause);
  Send({kVersionInformation});
  Pause(kCommandPause);
  std::array<std::uint8_t, kVersionLength> version{};
  if (!FLine.Read(version, kAnswerTimeout)) throw EFlashError(feVersionReadFailed);
}

void TBootloaderJob::CheckSoftwareID() {
  for (const std::string& id : FSettings.SoftwareIDs) {
    if (TrySoftwareID(id)) return;
  }
  throw EFlashError(feSoftwareIDNotMatched);
}

bool TBootloaderJob::TrySoftwareID(const std::string& id) {
  const auto bytes = ParseSoftwareID(id);
  Send({kIdCheck, kIdAreaLow, kIdAreaMiddle, kIdAreaHigh, kIdLength});
  for (std::uint8_t byte : bytes) FLine.Write(byte);
  Pause(kIdCheckPause);
  const auto status = ReadStatus(kAnswerTimeout);
  return status && (*status & kIdVerifiedBits) == kIdVerifiedBits;
}

std::optional<std::uint16_t> TBootloaderJob::ReadStatus(milliseconds firstByteTimeout) {
  Pause(kCommandPause);
  Send({kReadStatusRegister});
  Pause(kCommandPause);
  const auto srd = ReadByte(firstByteTimeout);
  if (!srd) return std::nullopt;
  const auto srd1 = ReadByte(kAnswerTimeout);
  if (!srd1) return std::nullopt;
  return static_cast<std::uint16_t>(*srd | *srd1 << 8);
}

bool TBootloaderJob::WaitEraseDone() {
  return WaitStatusBitClear(kEraseErrorBit);
}

bool TBootloaderJob::WaitProgramDone() {
  return WaitStatusBitClear(kProgramErrorBit);
}

bool TBootloaderJob::WaitStatusBitClear(std::uint16_t bit) {
  for (int i = 0; i < kStatusReads; ++i) {
    if (const auto status = ReadStatus(kAnswerTimeout)) return (*status & bit) == 0;
    if (Aborted()) return false;
  }
  return false;
}

void TBootloaderJob::EraseAll() {
  ClearStatusAndUnlock();
  Send({kEraseAllUnlocked, kConfirm});
  Pause(kCommandPause);
  if (!WaitEraseDone()) throw EFlashError(feEraseFailed);
}

void TBootloaderJob::EraseBlock(std::uint32_t address) {
  ClearStatusAndUnlock();
  Send({kBlockErase, AddressByte(address, 8), AddressByte(address, 16), kConfirm});
  Pause(kCommandPause);
  if (!WaitEraseDone()) throw EFlashError(feEraseFailed);
}

void TBootloaderJob::ClearStatusAndUnlock() {
  Send({kClearStatusRegister});
  Pause(kCommandPause);
  Send({kLockBitDisable});
  Pause(kCommandPause);
}

// Pages go from the highest address down to the lowest.
void TBootloaderJob::ProgramPages(const TBinaryImage& image) {
  ResetProgressBar();
  Send({kClearStatusRegister});
  Pause(kCommandPause);
  const std::int64_t start = image.StartAddress();
  const std::int64_t end = image.EndAddress();
  for (std::int64_t page = end - (kPageSize - 1); page >= start; page -= kPageSize) {
    ProgramPage(image, static_cast<std::uint32_t>(page));
    MoveProgressBar(static_cast<std::uint64_t>(end + 1 - page), image.Size());
    if (Aborted()) return;
  }
  FillProgressBar();
}

void TBootloaderJob::ProgramPage(const TBinaryImage& image, std::uint32_t page) {
  SendPageCommand(kPageProgram, page);
  for (std::uint32_t offset = 0; offset < kPageSize; ++offset) {
    FLine.Write(image.OutByte(page + offset));
  }
  Pause(milliseconds(std::max(FSettings.Interval, std::int32_t{0})));
  if (!WaitProgramDone()) throw EFlashError(feProgramFailed);
}

void TBootloaderJob::ReadPages(TBinaryImage& image, std::uint32_t base, std::uint32_t total) {
  int failures = 0;
  for (std::uint64_t page = image.StartAddress(); page <= image.EndAddress();) {
    if (!ReadPage(image, static_cast<std::uint32_t>(page))) {
      if (++failures == kPageTries) throw EFlashError(feReadFailed);
      continue;
    }
    failures = 0;
    page += kPageSize;
    MoveProgressBar(page - base, total);
    if (Aborted()) return;
  }
}

bool TBootloaderJob::ReadPage(TBinaryImage& image, std::uint32_t page) {
  return RequestPage(
      image, page, [&](std::uint32_t address, std::uint8_t byte) { image.SetCell(address, byte); });
}

void TBootloaderJob::VerifyPages(const TBinaryImage& image) {
  int failures = 0;
  for (std::uint64_t page = image.StartAddress(); page <= image.EndAddress();) {
    const bool same = VerifyPage(image, static_cast<std::uint32_t>(page));
    if (Aborted()) return;
    if (!same) {
      if (++failures == kPageTries) throw EFlashError(feVerifyFailed);
      continue;
    }
    failures = 0;
    page += kPageSize;
    MoveProgressBar(page - image.StartAddress(), image.Size());
  }
  FillProgressBar();
}

// A differing byte fails the page after the rest has been read; a missing one at once.
bool TBootloaderJob::VerifyPage(const TBinaryImage& image, std::uint32_t page) {
  bool same = true;
  const bool complete = RequestPage(image, page, [&](std::uint32_t address, std::uint8_t byte) {
    if (byte != image.OutByte(address)) same = false;
  });
  return complete && same;
}

// Asks for a page and hands over its bytes as they come, up to the end of the page (or of the
// image); false as soon as a byte does not come.
bool TBootloaderJob::RequestPage(const TBinaryImage& image, std::uint32_t page,
                                 const std::function<void(std::uint32_t, std::uint8_t)>& take) {
  FLine.PurgeComms();
  SendPageCommand(kPageRead, page);
  Pause(kPageReadPause);
  const std::uint32_t last = std::min(page + (kPageSize - 1), image.EndAddress());
  for (std::uint64_t address = page; address <= last; ++address) {
    const auto byte = ReadByte(kAnswerTimeout);
    if (!byte) return false;
    take(static_cast<std::uint32_t>(address), *byte);
  }
  return true;
}

void TBootloaderJob::SendPageCommand(std::uint8_t command, std::uint32_t page) {
  Send({command, AddressByte(page, 8), AddressByte(page, 16)});
}

void TBootloaderJob::Send(std::initializer_list<std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) FLine.Write(byte);
}

void TBootloaderJob::Pause(milliseconds pause) {
  FClock.Sleep(pause);
}

std::optional<std::uint8_t> TBootloaderJob::ReadByte(milliseconds timeout) {
  std::array<std::uint8_t, 1> byte{};
  if (!FLine.Read(byte, timeout)) return std::nullopt;
  return byte[0];
}

void TBootloaderJob::ResetProgressBar() {
  if (FSettings.ProgressBar) FSettings.ProgressBar->SetPosition(FSettings.ProgressBar->Min());
}

void TBootloaderJob::MoveProgressBar(std::uint64_t done, std::uint64_t total) {
  if (!FSettings.ProgressBar || total == 0) return;
  const auto maximum = static_cast<std::int64_t>(FSettings.ProgressBar->Max());
  FSettings.ProgressBar->SetPosition(static_cast<int>(static_cast<std::int64_t>(done) * maximum /
                                                      static_cast<std::int64_t>(total)));
}

void TBootloaderJob::FillProgressBar() {
  if (FSettings.ProgressBar) FSettings.ProgressBar->SetPosition(FSettings.ProgressBar->Max());
}

}  // namespace trv
