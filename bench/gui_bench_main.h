#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

namespace trv {

// The main() of a benchmark of windows: offscreen unless a platform is set.
inline int RunWindowBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace trv
