#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "simulator/simulated_bootloader.h"

namespace trv {

// The command line of m16c-sim.
struct SimulatorOptions {
  bool Help = false;
  std::string Link;        // a symbolic link made to the device, empty for none
  std::string FlashPath;   // where the flash is kept between runs, empty for none
  bool KeepState = false;  // the bootloader is not reset when the port is opened again
  bool AnyLine = false;    // bytes count whatever rate and format the host's port is set to
  bool Verbose = false;    // each command handled as a line on standard error
  BootloaderSettings Bootloader;
};

// A bad command line; the message says what is wrong.
class SimulatorUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments after the program name.
SimulatorOptions ParseSimulatorOptions(std::span<const std::string_view> arguments);

std::string SimulatorHelpText();

// An ID as the tool writes it, "90-7B-2E-58-F3-A6-01": seven hexadecimal pairs with one
// separator between neighbours. Anything else gives nothing.
std::optional<std::array<std::uint8_t, 7>> ParseSoftwareIDText(std::string_view text);

}  // namespace trv
