#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "simulator/controller_simulator.h"
#include "simulator/simulator_options.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  trv::SimulatorOptions options;
  try {
    options = trv::ParseSimulatorOptions(arguments);
  } catch (const trv::SimulatorUsageError& error) {
    std::fprintf(stderr, "m16c-sim: %s\nTry 'm16c-sim --help'.\n", error.what());
    return 2;
  }
  if (options.Help) {
    std::fputs(trv::SimulatorHelpText().c_str(), stdout);
    return 0;
  }
  std::signal(SIGPIPE, SIG_IGN);
  try {
    trv::ControllerSimulator simulator(options);
    std::printf("%s\n", simulator.DevicePath().c_str());
    std::fflush(stdout);
    simulator.Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "m16c-sim: %s\n", error.what());
    return 1;
  }
  return 0;
}
