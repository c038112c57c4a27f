// The rule grid on 5,000 rules: Render all, opening the grid on a workbook read afresh, and the
// popup commands that move every row below them.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "editor/rule_list_commands.h"
#include "editor/ui/rule_grid.h"
#include "editor/ui/rule_grid_view.h"
#include "gui_bench_main.h"
#include "model/zone_range.h"
#include "shell/tool_form.h"

namespace trv {
namespace {

constexpr int kRules = 5000;

RuleRecord MixedRule(int n) {
  if (n % 4 == 0) {
    return {.Kind = rkZonal,
            .Panel = 1,
            .Zone = ZoneRange{1 + n % 200, 10 + n % 200}.Packed(),
            .Events = n % 5,
            .Output = 0xCA00 + n % 64};
  }
  return {.Kind = n % 7 == 0 ? rkEventNetwork : rkEventLocal,
          .Panel = n % 8,
          .Loop = 1 + n % 8,
          .Zone = 1 + n % 255,
          .Address = 1 + n % 99,
          .DeviceType = n % 2 == 0 ? 3 : 257,
          .Events = 0b11 | 0b11 << 8,
          .Modifier = n % 3 == 0 ? 1 : 0,
          .Output = 0x8200 + n % 512};
}

// The main window with the grid shown on a rule page and the rule data sheet holding the rules.
class GridWindow {
 public:
  GridWindow() : FForm(Program(), Data()) {
    FForm.findChild<QTabWidget*>("RulePageControl")->setCurrentIndex(1);
    FForm.show();
    StoreRules(FForm.Config());
    FForm.RuleList().SetUpWorkbook(false);
    FForm.RuleList().RenderAll();
  }

  TToolForm& Form() { return FForm; }
  TRuleGrid& Grid() { return FForm.Grid(); }
  TRuleListCommands& RuleList() { return FForm.RuleList(); }
  Configuration& Config() { return FForm.Config(); }
  // Paints the grid as the screen would show it.
  void Paint() { benchmark::DoNotOptimize(Grid().MimicBook()->grab()); }

  static void StoreRules(Configuration& configuration) {
    for (int n = 1; n <= kRules; ++n) configuration.StoreRule(n, MixedRule(n));
    configuration.RuleCount = kRules;
  }

 private:
  std::filesystem::path Program() {
    return std::filesystem::path(FDirectory.path().toStdString()) / "trv";
  }
  std::filesystem::path Data() {
    return std::filesystem::path(FDirectory.path().toStdString()) / "Data";
  }

  QTemporaryDir FDirectory;
  TToolForm FForm;
};

void RenderAll5000RulesInTheGrid(benchmark::State& state) {
  GridWindow window;
  for (auto _ : state) {
    window.RuleList().RenderAll();
    QApplication::processEvents();
  }
}
BENCHMARK(RenderAll5000RulesInTheGrid)->Unit(benchmark::kMillisecond);

// As a file's workbook arrives: the whole workbook replaced, set up without clearing, rendered
// and painted.
void OpenGridOn5000Rules(benchmark::State& state) {
  GridWindow window;
  const Workbook read = window.Config().MimicBook;
  for (auto _ : state) {
    window.Config().MimicBook = read;
    window.RuleList().SetUpWorkbook(false);
    window.RuleList().RenderAll();
    window.Paint();
  }
}
BENCHMARK(OpenGridOn5000Rules)->Unit(benchmark::kMillisecond);

// A new main window on 5,000 rules, shown and painted.
void ShowWindowOn5000Rules(benchmark::State& state) {
  for (auto _ : state) GridWindow().Paint();
}
BENCHMARK(ShowWindowOn5000Rules)->Unit(benchmark::kMillisecond);

void CutAndPasteRule1Of5000(benchmark::State& state) {
  GridWindow window;
  for (auto _ : state) {
    window.Config().SelectedRow = 1;
    window.RuleList().SpreadsheetMenuCutClick();
    window.Config().SelectedRow = 1;
    window.RuleList().SpreadsheetMenuPasteClick();
    window.Paint();
  }
  window.Config().Modified = false;
}
BENCHMARK(CutAndPasteRule1Of5000)->Unit(benchmark::kMillisecond);

void Autosize5000Rules(benchmark::State& state) {
  GridWindow window;
  for (auto _ : state) window.Grid().SpreadsheetMenuAutosizeClick();
}
BENCHMARK(Autosize5000Rules)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

int main(int argc, char** argv) {
  return trv::RunWindowBenchmarks(argc, argv);
}
