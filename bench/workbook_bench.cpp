// The workbook with a large rule list: rows filled, then rows inserted and deleted at the top, as
// the grid's cut and paste do.

#include <benchmark/benchmark.h>

#include <string>

#include "model/workbook.h"

namespace trv {
namespace {

constexpr int kRows = 20000;

void FillRows(Workbook& book) {
  for (int row = 1; row <= kRows; ++row) {
    for (int column = 1; column <= 9; ++column) book.SetNumber(row, column, row * 10 + column);
    book.SetText(row, 12, "Rule " + std::to_string(row));
  }
}

void Fill20000Rows(benchmark::State& state) {
  for (auto _ : state) {
    Workbook book;
    FillRows(book);
    benchmark::DoNotOptimize(book);
  }
}
BENCHMARK(Fill20000Rows)->Unit(benchmark::kMillisecond);

void InsertAndDeleteAtTheTopOf20000Rows(benchmark::State& state) {
  Workbook book;
  FillRows(book);
  for (auto _ : state) {
    book.InsertRows(1, 1);
    book.DeleteRows(1, 1);
  }
}
BENCHMARK(InsertAndDeleteAtTheTopOf20000Rows)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trv

BENCHMARK_MAIN();
