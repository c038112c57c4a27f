// Send and Get of a 300-rule configuration through the window (offscreen, the user's answers
// given at once) against m16c-sim at 57600 bit/s, beside trvcfg send and get of the same rule
// data file against the same simulator: wall time of each, processor time of this process
// during the window's transfers and of the trvcfg process.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench_rules.h"
#include "files/rule_file.h"
#include "files/workbook_file.h"
#include "flash/ui/progress_form.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "shell/start_up.h"
#include "simulator_process.h"

extern char** environ;

namespace trv {
namespace {

using Seconds = std::chrono::duration<double>;
constexpr int kRules = 300;

Seconds CpuTime(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& time) {
    return Seconds(static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6);
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Every message answered at once; any other than the transfer prompt is a failure.
class AnsweringQueries final : public UserQueries {
 public:
  MessageAnswer Message(const std::string& text, const std::string&, MessageButtons,
                        MessageIcon) override {
    if (text != ActiveText(string_id::kTransferPrompt)) Unexpected = text;
    return MessageAnswer::Ok;
  }
  std::string Unexpected;
};

// Presses the dialog's button as soon as the job's completion enables it.
class PressWhenEnabled final : public QObject {
 public:
  explicit PressWhenEnabled(QPushButton& button) : FButton(button) {
    button.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange && FButton.isEnabled()) {
      QTimer::singleShot(0, &FButton, [this] { FButton.click(); });
    }
    return false;
  }

 private:
  QPushButton& FButton;
};

struct Figures {
  Seconds Wall;
  Seconds Cpu;
  bool Failed;
};

class TransferRig {
 public:
  TransferRig()
      : FSimulator(TRV_M16C_SIM, {}),
        FRuleFile(FDirectory.path().toStdString() + "/Site.trv"),
        FGotFile(FDirectory.path().toStdString() + "/Got.trv") {
    setenv("TRV_COM1", FSimulator.DevicePath().c_str(), 1);
    Configuration configuration = bench::MixedConfiguration(kRules);
    configuration.WriteSettingsToSheet();
    WriteWorkbookFile(configuration.MimicBook, FRuleFile);
    FForms = std::make_unique<Forms>(FDirectory.path().toStdString() + "/trv-config");
    auto queries = std::make_unique<AnsweringQueries>();
    FQueries = queries.get();
    Window().SetUserQueries(std::move(queries));
    FForms->ToolOptionsForm.OptionsSerialRateComboBox->setCurrentText("57600");
    FPresser = std::make_unique<PressWhenEnabled>(*FForms->ProgressForm.BitBtn);
    LoadRuleFile(FRuleFile, Window().Config());
    Window().Config().Modified = false;
    Window().show();
  }

  TToolForm& Window() { return FForms->ToolForm; }

  Figures WindowCommand(const char* action) {
    FQueries->Unexpected.clear();
    const Seconds cpu = CpuTime(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    Window().findChild<QAction*>(action)->trigger();
    return {std::chrono::steady_clock::now() - start, CpuTime(RUSAGE_SELF) - cpu,
            !FQueries->Unexpected.empty()};
  }

  Figures Trvcfg(std::vector<std::string> words) {
    words.insert(words.begin(), TRVCFG_PATH);
    for (const char* option : {"--port", "COM1", "--baud", "57600"}) words.push_back(option);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      return {{}, {}, true};
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const Seconds wall = std::chrono::steady_clock::now() - start;
    const Seconds cpu(static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    return {wall, cpu, !WIFEXITED(status) || WEXITSTATUS(status) != 0};
  }

  const std::filesystem::path& RuleFile() const { return FRuleFile; }
  const std::filesystem::path& GotFile() const { return FGotFile; }

 private:
  test::TSimulatorProcess FSimulator;
  QTemporaryDir FDirectory;
  std::filesystem::path FRuleFile;
  std::filesystem::path FGotFile;
  std::unique_ptr<Forms> FForms;
  AnsweringQueries* FQueries = nullptr;
  std::unique_ptr<PressWhenEnabled> FPresser;
};

// Made by the first benchmark, ended before the application.
std::unique_ptr<TransferRig> gRig;

TransferRig& Rig() {
  if (!gRig) gRig = std::make_unique<TransferRig>();
  return *gRig;
}

void Report(benchmark::State& state, const Figures& figures) {
  state.SetIterationTime(figures.Wall.count());
  state.counters["cpu_s"] = figures.Cpu.count();
  state.counters["cpu_of_wall_pct"] = 100.0 * figures.Cpu.count() / figures.Wall.count();
  if (figures.Failed) state.SkipWithError("the transfer failed");
}

void BM_WindowSend(benchmark::State& state) {
  for (auto _ : state) Report(state, Rig().WindowCommand("MenuConnectSendRules"));
}

void BM_TrvcfgSend(benchmark::State& state) {
  for (auto _ : state) Report(state, Rig().Trvcfg({"send", Rig().RuleFile().string()}));
}

void BM_WindowGet(benchmark::State& state) {
  for (auto _ : state) {
    Report(state, Rig().WindowCommand("MenuConnectGetRules"));
    if (Rig().Window().Config().RuleCount != kRules) state.SkipWithError("rules lost");
  }
}

void BM_TrvcfgGet(benchmark::State& state) {
  for (auto _ : state) {
    Report(state, Rig().Trvcfg({"get", "-o", Rig().GotFile().string()}));
  }
}

BENCHMARK(BM_WindowSend)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_TrvcfgSend)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_WindowGet)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_TrvcfgGet)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace trv

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  trv::gRig.reset();
  benchmark::Shutdown();
  return 0;
}
