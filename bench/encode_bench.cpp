// Encoding, rendering and loading of large rule lists.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench_rules.h"
#include "files/rule_file.h"
#include "files/workbook_file.h"
#include "model/configuration.h"
#include "model/rule_text.h"
#include "model/zone_range.h"
#include "transfer/encode_image.h"

namespace trv {
namespace {

using bench::LocalRule;
using bench::MixedConfiguration;
using bench::ZonalRule;

// 3,000 local rules of 8 words and 500 zonal ranges of 9: 28,501 of the 30,463 words.
Configuration FullStreamConfiguration() {
  Configuration configuration("/nonexistent/trv-bench", "/nonexistent/trv-bench");
  for (int n = 0; n < 3500; ++n) {
    configuration.StoreRule(n + 1, n < 3000 ? LocalRule(n) : ZonalRule(n));
  }
  configuration.RuleCount = 3500;
  return configuration;
}

ImageStamps FixedStamps() {
  ImageStamps stamps;
  stamps.UserName = "engineer";
  return stamps;
}

void EncodeFullStream(benchmark::State& state) {
  const Configuration configuration = FullStreamConfiguration();
  const ImageStamps stamps = FixedStamps();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeImage(configuration, stamps));
}
BENCHMARK(EncodeFullStream)->Unit(benchmark::kMillisecond);

void RenderAll5000Rules(benchmark::State& state) {
  Configuration configuration = MixedConfiguration(5000);
  const RuleTextContext context = RuleTextContextOf(configuration.ControllerSettings);
  for (auto _ : state) RenderAllRules(configuration, context);
}
BENCHMARK(RenderAll5000Rules)->Unit(benchmark::kMillisecond);

void Load5000RuleFile(benchmark::State& state) {
  Configuration configuration = MixedConfiguration(5000);
  RenderAllRules(configuration, RuleTextContextOf(configuration.ControllerSettings));
  configuration.WriteSettingsToSheet();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("trv-bench-" + std::to_string(getpid()) + ".trv");
  WriteWorkbookFile(configuration.MimicBook, file);
  for (auto _ : state) {
    Configuration opened("/nonexistent/trv-bench", "/nonexistent/trv-bench");
    benchmark::DoNotOptimize(LoadRuleFile(file, opened));
  }
  std::filesystem::remove(file);
}
BENCHMARK(Load5000RuleFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

BENCHMARK_MAIN();
