// File Open of a 5,000-rule file into the window (settings through the controller page, the
// sheets, the grid painted) and File Save of it, backup and temporary file included.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

#include "bench_rules.h"
#include "editor/file_commands.h"
#include "editor/rule_list_commands.h"
#include "editor/ui/rule_grid.h"
#include "editor/ui/rule_grid_view.h"
#include "gui_bench_main.h"
#include "shell/tool_form.h"

namespace trv {
namespace {

constexpr int kRules = 5000;

// The save dialog always answers the same file.
class FixedFileDialogs : public Dialogs {
 public:
  explicit FixedFileDialogs(std::string path) : FPath(std::move(path)) {}
  std::optional<std::string> OpenFile(const FileDialogSetup&) override { return FPath; }
  std::optional<std::string> SaveFile(const FileDialogSetup&) override { return FPath; }
  bool Print(QPrinter&) override { return false; }
  bool PrinterSetup(QPrinter&) override { return false; }

 private:
  std::string FPath;
};

// The main window on a rule page, with a 5,000-rule file saved from it.
class FileWindow {
 public:
  FileWindow() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FDirectory.path());
    FForm = std::make_unique<TToolForm>(Path("trv"), Path("Data"));
    FForm->SetDialogs(std::make_unique<FixedFileDialogs>(File().string()));
    FForm->show();
    const Configuration rules = bench::MixedConfiguration(kRules);
    FForm->Config().MimicBook = rules.MimicBook;
    FForm->Config().RuleCount = kRules;
    FForm->RuleList().SetUpWorkbook(false);
    FForm->RuleList().RenderAll();
    FForm->Files().MenuFileSaveAsClick();
    FForm->findChild<QTabWidget*>("RulePageControl")->setCurrentIndex(1);
  }

  TFileCommands& Files() { return FForm->Files(); }
  std::filesystem::path File() { return Path("Site.trv"); }
  void Paint() { benchmark::DoNotOptimize(FForm->Grid().MimicBook()->grab()); }

 private:
  std::filesystem::path Path(const char* name) {
    return std::filesystem::path(FDirectory.path().toStdString()) / name;
  }

  QTemporaryDir FDirectory;
  std::unique_ptr<TToolForm> FForm;
};

void Open5000RuleFile(benchmark::State& state) {
  FileWindow window;
  for (auto _ : state) {
    if (!window.Files().OpenRuleFile(window.File())) state.SkipWithError("not opened");
    window.Paint();
  }
}
BENCHMARK(Open5000RuleFile)->Unit(benchmark::kMillisecond);

void Save5000RuleFile(benchmark::State& state) {
  FileWindow window;
  for (auto _ : state) {
    if (!window.Files().MenuFileSaveAsClick()) state.SkipWithError("not saved");
  }
}
BENCHMARK(Save5000RuleFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

int main(int argc, char** argv) {
  return trv::RunWindowBenchmarks(argc, argv);
}
