// The rule pages in the main window: an entry or a click with its handler and the pass that shows
// the state on the widgets, a rule loaded from a click in the grid, and Set Rule on 5,000 rules.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdlib>

#include "controls/spin_control.h"
#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "gui_bench_main.h"
#include "model/zone_range.h"
#include "shell/tool_form.h"

namespace trv {
namespace {

constexpr int kRules = 5000;

// Every fourth rule an event rule, the others board and zonal rules in turn.
RuleRecord PageRule(int n) {
  if (n % 4 == 0) {
    return {.Kind = rkEventLocal,
            .Panel = -1,
            .Loop = -1,
            .Zone = -1,
            .Address = -1,
            .DeviceType = 256 + n % 11,
            .Events = 0x3,
            .Output = 0x8200 + n % 512};
  }
  if (n % 2 == 0) return {.Kind = rkBoard, .Panel = n % 8, .Zone = 1 + n % 190, .Modifier = 1};
  return {.Kind = rkZonal,
          .Panel = n % 8,
          .Zone = ZoneRange{1 + n % 200, 10 + n % 200}.Packed(),
          .Events = n % 5,
          .Output = 0x8200 + n % 512};
}

// The main window on a rule page, with 5,000 rules.
class PagesWindow {
 public:
  explicit PagesWindow(EditorPage page)
      : FForm(std::filesystem::path(FDirectory.path().toStdString()) / "trv",
              std::filesystem::path(FDirectory.path().toStdString()) / "Data") {
    FForm.findChild<QTabWidget*>("RulePageControl")->setCurrentIndex(page);
    FForm.show();
    for (int n = 1; n <= kRules; ++n) FForm.Config().StoreRule(n, PageRule(n));
    FForm.Config().RuleCount = kRules;
    FForm.RuleList().SetUpWorkbook(false);
    FForm.RuleList().RenderAll();
  }
  ~PagesWindow() { FForm.Config().Modified = false; }

  TToolForm& Form() { return FForm; }
  template <typename Widget>
  Widget& Find(const char* name) {
    return *FForm.findChild<Widget*>(name);
  }

 private:
  QTemporaryDir FDirectory;
  TToolForm FForm;
};

// A first zone entered on the Board page: the last zone follows, and the pages are shown again.
void FirstZoneEntryAndShow(benchmark::State& state) {
  PagesWindow window(epBoard);
  auto& firstZone = window.Find<TSpinControl>("FirstZoneCSpinEdit");
  int zone = 1;
  for (auto _ : state) {
    firstZone.SetValue(zone);
    zone = zone % 190 + 1;
  }
}
BENCHMARK(FirstZoneEntryAndShow)->Unit(benchmark::kMicrosecond);

// Rule 1 (zonal) and the argument's rule clicked in turn, each loaded into its page: rule 3 is
// zonal too, rule 2 a board rule and rule 4 an event rule, whose pages show the shared groups.
void LoadRuleFromAClick(benchmark::State& state) {
  PagesWindow window(epZonal);
  TRuleListCommands& ruleList = window.Form().RuleList();
  const int other = static_cast<int>(state.range(0));
  int row = 1;
  for (auto _ : state) {
    window.Form().Config().MimicBook.SetActiveCell(row, 1);
    ruleList.MimicBookClick(row, 1);
    row = row == 1 ? other : 1;
  }
}
BENCHMARK(LoadRuleFromAClick)->Arg(3)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

// "Non Loop Event" and "Any Loop" clicked in turn on the event page: the loop refresh with the
// address, device type and events it brings along, and the pass that shows them.
void EventPageClick(benchmark::State& state) {
  PagesWindow window(epEvent);
  auto& nonLoop = window.Find<QCheckBox>("EventNonLoopCheckBox");
  auto& anyLoop = window.Find<QCheckBox>("EventAnyLoopCheckBox");
  bool any = false;
  for (auto _ : state) {
    (any ? anyLoop : nonLoop).click();
    any = !any;
  }
}
BENCHMARK(EventPageClick)->Unit(benchmark::kMicrosecond);

// Set Rule on the Zonal page into a cleared row among 5,000 rules (no question to answer).
void SetRuleAmong5000Rules(benchmark::State& state) {
  PagesWindow window(epZonal);
  Configuration& configuration = window.Form().Config();
  auto& setRule = window.Find<QPushButton>("ZonalSetRuleBitBtn");
  for (auto _ : state) {
    configuration.StoreRule(kRules / 2, {.Kind = rkCleared});
    configuration.MimicBook.SetActiveCell(kRules / 2, 1);
    setRule.click();
  }
}
BENCHMARK(SetRuleAmong5000Rules)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trv

int main(int argc, char** argv) {
  return trv::RunWindowBenchmarks(argc, argv);
}
