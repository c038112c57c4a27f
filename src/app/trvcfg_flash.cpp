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
#include <system_error>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/file_extension.h"
#include "flash/binary_image.h"
#include "flash/line_trace.h"
#include "flash/m16c_flash.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "serial/event_loop.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/encode_image.h"
#include "transfer/flash_transfer.h"
#include "transfer/image_file.h"

namespace trv::cli {

namespace {

constexpr int kErrorStatus = 1;

// The options dialog's Software IDs, in its order.
const std::vector<std::string> kDefaultSoftwareIDs{"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5",
                                                   "90-7B-2E-58-F3-A6-01"};

// The rates the options dialog offers.
const std::vector<std::string> kOfferedRates{"9600", "19200", "38400", "57600"};

std::set<std::string> WithLineOptions(std::set<std::string> options) {
  options.insert({"--port", "--baud", "--id", "--trace"});
  return options;
}

std::string OptionalValue(const CommandArguments& arguments, const std::string& option) {
  const std::vector<std::string> values = arguments.Values(option);
  if (values.size() > 1) throw UsageError("give option " + option + " at most once");
  return values.empty() ? std::string() : values.front();
}

// The port as the options dialog lists it: "COM" and its digit.
std::string ParsePort(const std::string& name) {
  std::string entry = "COM";
  entry += name.substr(std::min<std::size_t>(name.size(), 3));
  if (name.size() != 4 || !LowerCase(name).starts_with("com") || !PortOfEntry(entry)) {
    throw UsageError("--port: COM1..COM8, not \"" + name + "\"");
  }
  return entry;
}

std::string ParseRate(const std::string& rate) {
  if (std::find(kOfferedRates.begin(), kOfferedRates.end(), rate) == kOfferedRates.end()) {
    throw UsageError("--baud: 9600, 19200, 38400 or 57600, not \"" + rate + "\"");
  }
  return rate;
}

// The entries the options dialog would show: COM1 and 9600 unless chosen otherwise.
TransferLineTexts ParseLineChoice(const CommandArguments& arguments) {
  TransferLineTexts line{"COM1", kOfferedRates.front(), kDefaultSoftwareIDs};
  if (const std::string port = OptionalValue(arguments, "--port"); !port.empty()) {
    line.PortEntry = ParsePort(port);
  }
  if (const std::string rate = OptionalValue(arguments, "--baud"); !rate.empty()) {
    line.RateEntry = ParseRate(rate);
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

// The line's trace into the file, whatever the job's outcome; a failure to write it is told on
// standard error and leaves the job's status alone.
void SaveTrace(const TLineTrace& trace, const std::string& file) {
  try {
    WriteLineTrace(trace, file);
  } catch (const std::system_error& error) {
    std::cerr << TraceFailureText(file, error.code().message()) << std::endl;
  }
}

// Runs one job through the component, set up by setUp, and waits for its completion. The
// stages and the text of a failure go to standard error as the progress dialog shows them;
// false when the job failed. With --trace the line's trace goes to its file.
bool RunFlashJob(TransferDirection direction, const std::function<void(TM16CFlash&)>& setUp,
                 TBinaryImage* image, const CommandArguments& arguments) {
  TEventLoop dispatcher;
  TM16CFlash flash(dispatcher);
  TerminalProgressBar bar;
  bool failed = false;
  std::promise<void> completed;
  const std::string traceFile = OptionalValue(arguments, "--trace");
  const auto trace = std::make_shared<TLineTrace>();
  if (!traceFile.empty()) flash.SetTrace(trace);
  if (isatty(STDERR_FILENO)) flash.SetProgressBar(&bar);
  setUp(flash);
  flash.SetOnFlashProgressEvent([&](TM16CFlash&, TFlashProgress stage) {
    bar.Break();
    std::cerr << TransferStageText(stage, direction) << std::endl;
  });
  flash.SetOnFlashErrorEvent([&](TM16CFlash& sender, TFlashErrors code) {
    bar.Break();
    std::cerr << TransferErrorText(code, sender.ErrorText()) << std::endl;
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
  if (!traceFile.empty()) SaveTrace(*trace, traceFile);
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

// The line of a job on a file; the texts were checked as they were parsed.
void SetUpFileJob(TM16CFlash& flash, const TransferLineTexts& line, TransferDirection direction) {
  SetUpLine(flash, line);
  flash.SetFlashOptions(flash.FlashOptions() + DirectionOptions(direction));
}

// A send or a get of the configuration area, as the progress dialog runs it.
bool RunConfigurationTransfer(const CommandArguments& arguments, const TransferLineTexts& line,
                              TFlashTransfer& transfer) {
  const auto setUp = [&](TM16CFlash& flash) { transfer.SetUp(flash, line); };
  return RunFlashJob(transfer.Direction(), setUp, &transfer.Image(), arguments);
}

// The controller's previous configuration into the data directory, told on standard error.
void KeepPreviousImage(const TFlashTransfer& transfer, const Configuration& configuration) {
  const std::optional<SendBackupOutcome> backup = transfer.KeepPreviousImage(
      {configuration.DataDirectory, configuration.ControllerSettings.UnitName});
  if (backup) std::cerr << backup->Text() << std::endl;
}

}  // namespace

int SendCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({}), {"--no-backup"});
  const TransferLineTexts line = ParseLineChoice(arguments);
  const Configuration configuration = LoadRuleDataFile(arguments.OnlyPositional());
  if (configuration.RuleCount == 0) {
    throw std::runtime_error(ActiveText(string_id::kNoRulesDefined));
  }
  TFlashTransfer transfer(EncodeImage(configuration), TransferDirection::Send);
  const bool sent = RunConfigurationTransfer(arguments, line, transfer);
  if (!arguments.HasFlag("--no-backup")) KeepPreviousImage(transfer, configuration);
  return sent ? 0 : kErrorStatus;
}

int GetCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({"-o", "--image"}));
  if (!arguments.Positional().empty()) throw UsageError("get takes no file but its outputs");
  const TransferLineTexts line = ParseLineChoice(arguments);
  const GetOutputs outputs = ParseGetOutputs(arguments);
  TFlashTransfer transfer(ConfigurationImage(), TransferDirection::Get);
  if (!RunConfigurationTransfer(arguments, line, transfer)) return kErrorStatus;
  if (transfer.BlankGet()) throw std::runtime_error(ActiveText(string_id::kNoConfigurationData));
  ConfigurationImage got;
  transfer.CopyTo(got);
  for (const auto& file : outputs.Images) WriteImageFile(got, file);
  for (const auto& file : outputs.RuleFiles) WriteDecodedRuleFile(got, file);
  return 0;
}

int FlashCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({}));
  const TransferLineTexts line = ParseLineChoice(arguments);
  const std::string file = arguments.OnlyPositional();
  if (LowerCaseExtension(file) != ".hex")
    throw UsageError("flash programs an Intel HEX (.hex) file");
  const auto setUp = [&](TM16CFlash& flash) {
    SetUpFileJob(flash, line, TransferDirection::Send);
    flash.SetFilename(file);
  };
  return RunFlashJob(TransferDirection::Send, setUp, nullptr, arguments) ? 0 : kErrorStatus;
}

int ReadCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, WithLineOptions({"--start", "--size", "-o"}));
  if (!arguments.Positional().empty()) throw UsageError("read takes no file but -o OUT.hex");
  const TransferLineTexts line = ParseLineChoice(arguments);
  const std::uint32_t start = ParseNumber(arguments.RequiredValue("--start"), "--start");
  const std::uint32_t size = ParseNumber(arguments.RequiredValue("--size"), "--size");
  const std::string output = arguments.RequiredValue("-o");
  if (LowerCaseExtension(output) != ".hex")
    throw UsageError("-o: a read goes to an Intel HEX (.hex) file");
  const auto setUp = [&](TM16CFlash& flash) {
    SetUpFileJob(flash, line, TransferDirection::Get);
    flash.SetFlashStart(start);
    flash.SetFlashSize(size);
    flash.SetFilename(output);
  };
  return RunFlashJob(TransferDirection::Get, setUp, nullptr, arguments) ? 0 : kErrorStatus;
}

}  // namespace trv::cli
