// Decoding images whose stream area is full, with and without loading the result.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_rules.h"
#include "model/configuration.h"
#include "transfer/decode_image.h"
#include "transfer/encode_image.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {
namespace {

// 3,800 Event (Local) rules of eight words: 30,401 of the 30,463 words.
ConfigurationImage FullLocalRuleImage() {
  Configuration configuration("/nonexistent/trv-bench", "/nonexistent/trv-bench");
  for (int n = 0; n < 3800; ++n) {
    configuration.StoreRule(n + 1, bench::LocalRule(n));
  }
  configuration.RuleCount = 3800;
  ImageStamps stamps;
  stamps.UserName = "bench";
  return EncodeImage(configuration, stamps);
}

// The most rules a stream holds: Event (General) rules of three words, 10,155 of them.
ConfigurationImage FullGeneralRuleImage() {
  ConfigurationImage image;
  for (std::size_t word = 0; word < ConfigurationImage::kStreamWordCapacity; ++word) {
    constexpr std::uint16_t kRule[] = {0xAE04, 0x8003, 0xE001};
    const std::size_t offset = ConfigurationImage::kRuleWordStreamOffset + 2 * word;
    image.SetByte(offset, static_cast<std::uint8_t>(kRule[word % 3] & 0xFF));
    image.SetByte(offset + 1, static_cast<std::uint8_t>(kRule[word % 3] >> 8));
  }
  return image;
}

void DecodeRules(benchmark::State& state, const ConfigurationImage& image) {
  std::size_t rules = 0;
  for (auto _ : state) {
    const DecodedConfiguration decoded = DecodeImage(image, {}, "Mimic1");
    rules = decoded.Rules.size();
    benchmark::DoNotOptimize(decoded);
  }
  state.counters["rules"] = static_cast<double>(rules);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rules));
}

void BM_DecodeFullLocalRuleStream(benchmark::State& state) {
  DecodeRules(state, FullLocalRuleImage());
}
BENCHMARK(BM_DecodeFullLocalRuleStream)->Unit(benchmark::kMicrosecond);

void BM_DecodeFullGeneralRuleStream(benchmark::State& state) {
  DecodeRules(state, FullGeneralRuleImage());
}
BENCHMARK(BM_DecodeFullGeneralRuleStream)->Unit(benchmark::kMicrosecond);

// A Get's whole data side: decode, the rule data rows, the settings sheet and the rule texts.
void BM_DecodeFullStreamIntoConfiguration(benchmark::State& state) {
  const ConfigurationImage image = FullLocalRuleImage();
  for (auto _ : state) {
    Configuration configuration("/nonexistent/trv-bench", "/nonexistent/trv-bench");
    DecodeImageInto(configuration, image);
    benchmark::DoNotOptimize(configuration.RuleCount);
  }
}
BENCHMARK(BM_DecodeFullStreamIntoConfiguration)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trv

BENCHMARK_MAIN();
