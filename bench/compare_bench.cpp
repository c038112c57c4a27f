// Comparing two 5,000-rule configurations that differ in 50 rules.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_rules.h"
#include "editor/configuration_compare.h"
#include "model/configuration.h"

namespace trv {
namespace {

constexpr int kRules = 5000;

// Rules 1..5000 of the busy list; with differences, 20 of them changed, 15 taken out and 15 new
// ones put in, spread over the list.
Configuration Busy(bool withDifferences) {
  Configuration configuration("/nonexistent/trv-bench", "/nonexistent/trv-bench");
  for (int n = 0; n < kRules; ++n) {
    const int place = n % 100;
    RuleRecord rule = bench::LocalRule(n);
    if (withDifferences && place == 10 && n / 100 < 20) rule.Zone += 1;
    if (withDifferences && place == 50 && n / 100 < 15) continue;
    configuration.StoreRule(++configuration.RuleCount, rule);
    if (withDifferences && place == 70 && n / 100 < 15) {
      configuration.StoreRule(++configuration.RuleCount, bench::LocalRule(n + kRules));
    }
  }
  return configuration;
}

void BM_CompareBusyConfigurations(benchmark::State& state) {
  const Configuration a = Busy(false);
  const Configuration b = Busy(true);
  std::size_t differences = 0;
  for (auto _ : state) {
    const ConfigurationDifferences result = CompareConfigurations(a, b);
    differences = result.Rules.size();
    benchmark::DoNotOptimize(result);
  }
  state.counters["differences"] = static_cast<double>(differences);
}
BENCHMARK(BM_CompareBusyConfigurations)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

BENCHMARK_MAIN();
