#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "serial/serial_comms.h"

namespace trv {

// Where the machine describes its devices; tests point these at a tree of their own.
struct TSystemRoots {
  std::filesystem::path Dev = "/dev";
  std::filesystem::path Sys = "/sys";
  std::filesystem::path Proc = "/proc";
};

// A serial port of the machine: its device and, for a USB adapter, what the adapter says of
// itself.
struct TSerialPortInfo {
  std::string DevicePath;
  std::string VendorId;
  std::string ProductId;
  std::string Manufacturer;
  std::string Product;
  std::string SerialNumber;
  // Who chose the device when it was not found on the machine ("TRV_COM1").
  std::string ChosenBy;

  bool IsUsb() const { return !VendorId.empty(); }
  // "FTDI FT232R USB UART (0403:6001, serial A10K3ZQ9)", "serial port", "set by TRV_COM1".
  std::string Description() const;
};

// The serial ports in a stable order: the adapters of /dev/serial/by-path in name order (a USB
// adapter keeps its place across runs), then the ttyS ports with a UART behind them.
std::vector<TSerialPortInfo> DiscoverSerialPorts(const TSystemRoots& roots);

// The device behind a port: $TRV_COMn when set, otherwise the nth port found; nothing when
// there is neither.
std::optional<TSerialPortInfo> CommPortDevice(TCommPort port, const TSystemRoots& roots = {});

}  // namespace trv
