// The rule checker on a large rule list.

#include <benchmark/benchmark.h>

#include "bench_rules.h"
#include "editor/rule_checker.h"
#include "model/configuration.h"

namespace trv {
namespace {

// The mixed list, with every 50th rule a board rule, whose board's 64 outputs all count.
Configuration CheckedConfiguration(int rules) {
  Configuration configuration = bench::MixedConfiguration(rules);
  for (int n = 0; n < rules; n += 50) {
    configuration.StoreRule(n + 1, {.Kind = rkBoard, .Panel = 0, .Zone = 1, .Modifier = 1 + n % 8});
  }
  return configuration;
}

void Check5000Rules(benchmark::State& state) {
  const Configuration configuration = CheckedConfiguration(5000);
  for (auto _ : state) benchmark::DoNotOptimize(CheckConfiguration(configuration));
}
BENCHMARK(Check5000Rules)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

BENCHMARK_MAIN();
