// The printed report of 5,000 rules written as a PDF file, as trvcfg print writes it.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <filesystem>

#include "bench_rules.h"
#include "files/ui/report_pdf.h"
#include "model/rule_text.h"
#include "model/rule_workbook.h"

namespace trv {
namespace {

constexpr int kRules = 5000;

void ReportOf5000RulesToPdf(benchmark::State& state) {
  Configuration configuration = bench::MixedConfiguration(kRules);
  SetUpRuleTextSheet(configuration.MimicBook, configuration.RuleCount);
  RenderAllRules(configuration, RuleTextContextOf(configuration.ControllerSettings));
  const QTemporaryDir directory;
  const std::filesystem::path pdf = directory.path().toStdString() + "/report.pdf";
  for (auto _ : state) WriteReportPdf(configuration, "Unit", pdf, ReportPaper::A4);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(pdf));
}
BENCHMARK(ReportOf5000RulesToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
