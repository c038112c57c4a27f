// trvcfg send, get, flash and read: flash jobs through the controller's bootloader, with the
// stage texts and a progress bar on standard error.

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <future>
#include <iostream>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/file_extension.h"
#include "flash/binary_image.h"
#include "flash/m16c_flash.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "serial/event_loop.h"
#include "transfer/configuration_image.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/encode_image.h"
#include "transfer/image_cells.h"
#include "transfer/image_file.h"

namespace trv::cli {

namespace {

constexpr std::uint32_t kImageBase = ConfigurationImage::ImageBase;
constexpr std::uint32_t kImageSize = ConfigurationImage::kSize;
constexpr int kErrorStatus = 1;

// The options dialog's Software IDs, in its order.
const std::vector<std::string> kDefaultSoftwareIDs{"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5",
                                                   "90-7B-2E-58-F3-A6-01"};

// Where and how the controller is reached.
struct LineChoice {
  TCommPort Port = spCOM1;
  TCommBaud Baud = cb9600;
  std::vector<std::string> SoftwareIDs = kDefaultSoftwareIDs;
};

std::set<std::string> WithLineOptions(std::set<std::string> options) {
  options.insert({"--port", "--baud", "--id"});
  return options;
}

std::string OptionalValue(const CommandArguments& arguments, const std::string& option) {
  const std::vector<std::string> values = arguments.Values(option);
  if (values.size() > 1) throw UsageError("give option " + option + " at most once");
  return values.empty() ? std::string() : values.front();
}

TCommPort ParsePort(const std::string& name) {
  const std::string lower = LowerCase(name);
  if (lower.size() == 4 && lower.starts_with("com") && lower[3] >= '1' && lower[3] <= '8') {
    return static_cast<TCommPort>(lower[3] - '1');
  }
  throw UsageError("--port: COM1..COM8, not \"" + name + "\"");
}

// The rates the options dialog offers.
TCommBaud ParseBaud(const std::string& rate) {
  for (TCommBaud baud : {cb9600, cb19200, cb38400, cb57600}) {
    if (rate == std::to_string(BaudRateOf(baud))) return baud;
  }
  throw UsageError("--baud: 9600, 19200, 38400 or 57600, not \"" + rate + "\"");
}

LineChoice ParseLineChoice(const CommandArguments& arguments) {
  LineChoice line;
  if (const std::string port = OptionalValue(arguments, "--port"); !port.empty()) {
    line.Port = ParsePort(port);
  }
  if (const std::string rate = OptionalValue(arguments, "--baud"); !rate.empty()) {
    line.Baud = ParseBaud(rate);
  }
  if (const std::vector<std::string> ids = arguments.Values("--id"); !ids.empty()) {
    line.SoftwareIDs = ids;
  }
  return line;
}

// 0x and hexadecimal digits, or decimal digits.
std::uint32_t ParseNumber(const std::string& text, const std::string& option) {
  const bool hex = text.size() > 2 && (text.starts_with("0x") || text.starts_with("0X"));
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  std::uint32_t value = 0;
  const auto [stop, error] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (first == last || error != std::errc{} || stop != last) {
    throw UsageError(option + ": not a number: \"" + text + "\"");
  }
  return value;
}

// The bar of the long steps, drawn on standard error when that is a terminal.
class TerminalProgressBar final : public TFlashProgressBar {
 public:
  static constexpr int kWidth = 40;

  int Min() const override { return 0; }
  int Max() const override { return 100; }
  void SetPosition(int position) override {
    const std::lock_guard lock(FLock);
    position = std::clamp(position, Min(), Max());
    if (position == FShown) return;
    FShown = position;
    const int filled = position * kWidth / Max();
    std::fprintf(stderr, "\r[%s%s] %3d%%",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), position);
  }
  // Ends the bar's line before other text.
  void Break() {
    const std::lock_guard lock(FLock);
    if (FShown < 0) return;
    std::fputc('\n', stderr);
    FShown = -1;
  }

 private:
  std::mutex FLock;
  int FShown = -1;
};

enum class Direction { Send, Get };

std::string StageText(TFlashProgress stage, Direction direction) {
  using namespace string_id;
  static constexpr int kStageIds[] = {kStageReadingFile,
                                      kStageEstablishingComms,
                                      kStageCheckingFlashVersion,
                                      kStageVerifyingSoftwareIdent,
                                      kStageErasing,
                                      kStageProgramming,
                                      kStageVerifying,
                                      kStageComplete};
  if (stage == fpTransferring && direction == Direction::Get) return ActiveText(kStageReading);
  return ActiveText(kStageIds[stage]);
}

// Runs one job through the component and waits for its completion. The stages and the worker's
// text of a failure go to standard error; false when the job failed.
bool RunFlashJob(const LineChoice& line, Direction direction, TFlashOptions options,
                 const std::function<void(TM16CFlash&)>& setUp, TBinaryImage* image) {
  TEventLoop dispatcher;
  TM16CFlash flash(dispatcher);
  TerminalProgressBar bar;
  bool failed = false;
  std::promise<void> completed;
  flash.SetCommPort(line.Port);
  flash.SetBaud(line.Baud);
  flash.SetSoftwareIDs(line.SoftwareIDs);
  flash.SetFlashOptions(options);
  if (isatty(STDERR_FILENO)) flash.SetProgressBar(&bar);
  setUp(flash);
  flash.SetOnFlashProgressEvent([&](TM16CFlash&, TFlashProgress stage) {
    bar.Break();
    std::cerr << StageText(stage, direction) << std::endl;
  });
  flash.SetMessageBoxHook([&](const std::string& text, const std::string&) {
    bar.Break();
    std::cerr << text << std::endl;
    failed = true;
  });
  flash.SetOnDownloadComplete([&](TM16CFlash&) {
    bar.Break();
    completed.set_value();
  });
  if (image) {
    flash.FlashDevice(*image);
  } else {
    flash.FlashDevice();
  }
  completed.get_future().wait();
  return !failed;
}

struct GetOutputs {
  std::vector<std::filesystem::path> RuleFiles;
  std::vector<std::filesystem::path> Images;
};

GetOutputs ParseGetOutputs(const CommandArguments& arguments) {
  GetOutputs outputs;
  for (const std::string& file : arguments.Values("-o")) {
    if (LowerCaseExtension(file) != ".trv")
      throw UsageError("-o: the rule data file is a .trv file");
    outputs.RuleFiles.emplace_back(file);
  }
  for (const std::string& file : arguments.Values("--image")) {
    if (!IsImageFile(file)) throw UsageError("--image: the image goes to a .bin or a .hex file");
    outputs.Images.emplace_back(file);
  }
  if (outputs.RuleFiles.empty() && outputs.Images.empty()) {
    throw UsageError("give -o OUT.trv or --image OUT.bin|OUT.hex");
  }
  return outputs;
}

void SetConfigurationRange(TM16CFlash& flash) {
  flash.SetFlashStart(kImageBase);
  flash.SetFlashSize(kImageSize);
}

}  // namespace

int SendCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({}));
  const LineChoice line = ParseLineChoice(arguments);
  const Configuration configuration = LoadRuleDataFile(arguments.OnlyPositional());
  if (configuration.RuleCount == 0) {
    throw std::runtime_error(ActiveText(string_id::kNoRulesDefined));
  }
  TBinaryImage image = ImageCells(EncodeImage(configuration));
  const bool sent =
      RunFlashJob(line, Direction::Send, kDefaultFlashOptions, SetConfigurationRange, &image);
  return sent ? 0 : kErrorStatus;
}

int GetCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({"-o", "--image"}));
  if (!arguments.Positional().empty()) throw UsageError("get takes no file but its outputs");
  const LineChoice line = ParseLineChoice(arguments);
  const GetOutputs outputs = ParseGetOutputs(arguments);
  TBinaryImage image(kImageBase, kImageSize);
  if (!RunFlashJob(line, Direction::Get, {ofRead, ofVerify}, SetConfigurationRange, &image)) {
    return kErrorStatus;
  }
  const ConfigurationImage got = ImageOfCells(image);
  if (!HoldsConfiguration(got)) {
    throw std::runtime_error(ActiveText(string_id::kNoConfigurationData));
  }
  for (const auto& file : outputs.Images) WriteImageFile(got, file);
  for (const auto& file : outputs.RuleFiles) WriteDecodedRuleFile(got, file);
  return 0;
}

int FlashCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({}));
  const LineChoice line = ParseLineChoice(arguments);
  const std::string file = arguments.OnlyPositional();
  if (LowerCaseExtension(file) != ".hex")
    throw UsageError("flash programs an Intel HEX (.hex) file");
  const auto setUp = [&](TM16CFlash& flash) { flash.SetFilename(file); };
  return RunFlashJob(line, Direction::Send, kDefaultFlashOptions, setUp, nullptr) ? 0
                                                                                  : kErrorStatus;
}

int ReadCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({"--start", "--size", "-o"}));
  if (!arguments.Positional().empty()) throw UsageError("read takes no file but -o OUT.hex");
  const LineChoice line = ParseLineChoice(arguments);
  const std::uint32_t start = ParseNumber(arguments.RequiredValue("--start"), "--start");
  const std::uint32_t size = ParseNumber(arguments.RequiredValue("--size"), "--size");
  const std::string output = arguments.RequiredValue("-o");
  if (LowerCaseExtension(output) != ".hex")
    throw UsageError("-o: a read goes to an Intel HEX (.hex) file");
  const auto setUp = [&](TM16CFlash& flash) {
    flash.SetFlashStart(start);
    flash.SetFlashSize(size);
    flash.SetFilename(output);
  };
  return RunFlashJob(line, Direction::Get, {ofRead, ofVerify}, setUp, nullptr) ? 0 : kErrorStatus;
}

}  // namespace trv::cli
