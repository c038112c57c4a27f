#include "serial/port_discovery.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>

#include "serial/system_text.h"

namespace trv {
namespace {

namespace fs = std::filesystem;

// sysfs and /dev are read, not trusted: a bounded number of entries and of levels.
constexpr std::size_t kMostEntries = 4096;
constexpr int kMostLevelsToUsbDevice = 8;
constexpr std::size_t kCommPortCount = spCOM8 + 1;
// The kernel's PORT_UNKNOWN: a ttyS name without a UART behind it.
constexpr unsigned kUnknownPortType = 0;

std::vector<fs::path> SortedEntries(const fs::path& directory) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    if (entries.size() == kMostEntries) break;
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The USB device above a tty's device: the first directory up that names a vendor id.
std::optional<fs::path> UsbDeviceOf(const fs::path& ttyClassEntry) {
  std::error_code error;
  fs::path directory = fs::canonical(ttyClassEntry / "device", error);
  if (error) return std::nullopt;
  for (int level = 0; level < kMostLevelsToUsbDevice && directory.has_relative_path();
       ++level, directory = directory.parent_path()) {
    std::error_code missing;
    if (fs::is_regular_file(directory / "idVendor", missing)) return directory;
  }
  return std::nullopt;
}

// Nothing for a link to a device that is not there.
std::optional<TSerialPortInfo> AdapterInfo(const fs::path& byPathLink, const TSystemRoots& roots) {
  std::error_code error;
  const std::string name = fs::read_symlink(byPathLink, error).filename().string();
  if (error || name.empty() || !fs::exists(roots.Dev / name, error)) return std::nullopt;
  TSerialPortInfo info;
  info.DevicePath = (roots.Dev / name).string();
  if (const auto usb = UsbDeviceOf(roots.Sys / "class" / "tty" / name)) {
    info.VendorId = ReadShortText(*usb / "idVendor");
    info.ProductId = ReadShortText(*usb / "idProduct");
    info.Manufacturer = ReadShortText(*usb / "manufacturer");
    info.Product = ReadShortText(*usb / "product");
    info.SerialNumber = ReadShortText(*usb / "serial");
  }
  return info;
}

std::vector<TSerialPortInfo> UsbAdapters(const TSystemRoots& roots) {
  std::vector<TSerialPortInfo> adapters;
  for (const fs::path& link : SortedEntries(roots.Dev / "serial" / "by-path")) {
    if (auto adapter = AdapterInfo(link, roots)) adapters.push_back(std::move(*adapter));
  }
  return adapters;
}

// ttyS10 after ttyS9; a name with anything but digits after "ttyS" is no port of ours.
std::optional<unsigned> TtySNumber(const std::string& name) {
  const std::string digits = name.substr(std::min<std::size_t>(name.size(), 4));
  if (name.rfind("ttyS", 0) != 0 || digits.empty() || digits.size() > 6 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return static_cast<unsigned>(std::stoul(digits));
}

bool HasUart(const fs::path& ttyClassEntry) {
  std::error_code error;
  const std::string type = ReadShortText(ttyClassEntry / "type");
  unsigned number = kUnknownPortType;
  const auto [end, failure] = std::from_chars(type.data(), type.data() + type.size(), number);
  return fs::exists(ttyClassEntry / "device", error) && failure == std::errc() &&
         end == type.data() + type.size() && number != kUnknownPortType;
}

std::vector<TSerialPortInfo> UartPorts(const TSystemRoots& roots) {
  std::vector<std::pair<unsigned, std::string>> numbered;
  for (const fs::path& entry : SortedEntries(roots.Sys / "class" / "tty")) {
    const std::string name = entry.filename().string();
    if (const auto number = TtySNumber(name); number && HasUart(entry)) {
      numbered.emplace_back(*number, name);
    }
  }
  std::sort(numbered.begin(), numbered.end());
  std::vector<TSerialPortInfo> ports;
  for (const auto& [number, name] : numbered) {
    ports.emplace_back().DevicePath = (roots.Dev / name).string();
  }
  return ports;
}

bool SameDevice(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || fs::equivalent(a, b, error);
}

}  // namespace

std::string TSerialPortInfo::Description() const {
  if (!ChosenBy.empty()) return "set by " + ChosenBy;
  if (!IsUsb()) return "serial port";
  std::string text = Manufacturer;
  text += (text.empty() || Product.empty() ? "" : " ") + Product;
  text += (text.empty() ? "USB serial adapter (" : " (") + VendorId + ":" + ProductId;
  if (!SerialNumber.empty()) text += ", serial " + SerialNumber;
  return text + ")";
}

std::vector<TSerialPortInfo> DiscoverSerialPorts(const TSystemRoots& roots) {
  std::vector<TSerialPortInfo> ports = UsbAdapters(roots);
  for (TSerialPortInfo& uart : UartPorts(roots)) {
    if (ports.size() == kCommPortCount) break;
    ports.push_back(std::move(uart));
  }
  if (ports.size() > kCommPortCount) ports.resize(kCommPortCount);
  return ports;
}

std::optional<TSerialPortInfo> CommPortDevice(TCommPort port, const TSystemRoots& roots) {
  const std::string variable = "TRV_" + CommPortName(port);
  const std::vector<TSerialPortInfo> found = DiscoverSerialPorts(roots);
  if (const char* chosen = std::getenv(variable.c_str())) {
    const auto same = std::find_if(found.begin(), found.end(), [&](const TSerialPortInfo& p) {
      return SameDevice(p.DevicePath, chosen);
    });
    // A device named by hand that is one the machine describes keeps its description.
    TSerialPortInfo info = same != found.end() ? *same : TSerialPortInfo();
    if (same == found.end()) info.ChosenBy = variable;
    info.DevicePath = chosen;
    return info;
  }
  if (port < found.size()) return found[port];
  return std::nullopt;
}

}  // namespace trv
