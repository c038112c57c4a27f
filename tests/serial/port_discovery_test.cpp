#include "serial/port_discovery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "serial/comm_port_probe.h"
#include "serial/system_text.h"

namespace trv {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

// A machine's /dev and /sys in a temporary directory.
class FakeMachine : public ::testing::Test {
 protected:
  FakeMachine() : FRoot(fs::temp_directory_path() / ("ports-" + std::to_string(getpid()))) {
    Roots = {FRoot / "dev", FRoot / "sys", FRoot / "proc"};
    fs::create_directories(Roots.Dev);
    fs::create_directories(Roots.Sys / "class" / "tty");
    for (const char* variable : {"TRV_COM1", "TRV_COM2", "TRV_COM3"}) unsetenv(variable);
  }
  ~FakeMachine() override {
    for (const char* variable : {"TRV_COM1", "TRV_COM2", "TRV_COM3"}) unsetenv(variable);
    fs::remove_all(FRoot);
  }

  void AddUsbAdapter(const std::string& byPath, const std::string& tty, const std::string& usb,
                     const std::string& maker, const std::string& serial) {
    const fs::path device = Roots.Sys / "devices" / "pci0000:00" / "usb1" / usb;
    Write(device / "idVendor", "0403\n");
    Write(device / "idProduct", "6001\n");
    Write(device / "manufacturer", maker + "\n");
    Write(device / "product", "FT232R USB UART\n");
    if (!serial.empty()) Write(device / "serial", serial + "\n");
    const fs::path ttyDevice = device / (usb + ":1.0") / tty;
    fs::create_directories(ttyDevice);
    fs::create_directories(Roots.Sys / "class" / "tty" / tty);
    fs::create_directory_symlink(ttyDevice, Roots.Sys / "class" / "tty" / tty / "device");
    Write(Roots.Dev / tty, "");
    fs::create_directories(Roots.Dev / "serial" / "by-path");
    fs::create_symlink("../../" + tty, Roots.Dev / "serial" / "by-path" / byPath);
  }

  void AddTtyS(int number, const std::string& type, bool withDevice = true) {
    const std::string name = "ttyS" + std::to_string(number);
    const fs::path entry = Roots.Sys / "class" / "tty" / name;
    Write(entry / "type", type);
    if (withDevice) {
      const fs::path device = Roots.Sys / "devices" / "platform" / "serial8250" / name;
      fs::create_directories(device);
      fs::create_directory_symlink(device, entry / "device");
    }
  }

  std::vector<std::string> DevicePaths() const {
    std::vector<std::string> paths;
    for (const TSerialPortInfo& port : DiscoverSerialPorts(Roots)) paths.push_back(port.DevicePath);
    return paths;
  }

  std::string Dev(const std::string& name) const { return (Roots.Dev / name).string(); }

  fs::path FRoot;
  TSystemRoots Roots;
};

TEST_F(FakeMachine, WithoutPortsNoComPortHasADevice) {
  AddTtyS(0, "0\n");  // a name without a UART behind it
  AddTtyS(1, "4", false);
  EXPECT_TRUE(DiscoverSerialPorts(Roots).empty());
  EXPECT_FALSE(CommPortDevice(spCOM1, Roots).has_value());
}

TEST_F(FakeMachine, UsbAdapterIsCom1AheadOfTheUarts) {
  AddTtyS(1, "4\n");
  AddTtyS(0, "4\n");
  AddTtyS(2, "0\n");
  AddUsbAdapter("pci-0000:00:14.0-usb-0:1:1.0-port0", "ttyUSB0", "1-1", "FTDI", "A10K3ZQ9");
  EXPECT_EQ(DevicePaths(), (std::vector{Dev("ttyUSB0"), Dev("ttyS0"), Dev("ttyS1")}));

  const auto com1 = CommPortDevice(spCOM1, Roots);
  ASSERT_TRUE(com1.has_value());
  EXPECT_EQ(com1->DevicePath, Dev("ttyUSB0"));
  EXPECT_EQ(com1->VendorId, "0403");
  EXPECT_EQ(com1->ProductId, "6001");
  EXPECT_EQ(com1->Description(), "FTDI FT232R USB UART (0403:6001, serial A10K3ZQ9)");
  EXPECT_EQ(CommPortDevice(spCOM2, Roots)->Description(), "serial port");
  EXPECT_FALSE(CommPortDevice(spCOM4, Roots).has_value());
}

TEST_F(FakeMachine, AdaptersFollowTheirPlugsAndUartsTheirNumbers) {
  AddUsbAdapter("pci-0000:00:14.0-usb-0:2:1.0-port0", "ttyUSB0", "1-2", "", "");
  AddUsbAdapter("pci-0000:00:14.0-usb-0:1:1.0", "ttyACM0", "1-1", "FTDI", "");
  AddTtyS(10, "4");
  AddTtyS(9, "4");
  EXPECT_EQ(DevicePaths(),
            (std::vector{Dev("ttyACM0"), Dev("ttyUSB0"), Dev("ttyS9"), Dev("ttyS10")}));
  EXPECT_EQ(CommPortDevice(spCOM1, Roots)->Description(), "FTDI FT232R USB UART (0403:6001)");
  EXPECT_EQ(CommPortDevice(spCOM2, Roots)->Description(), "FT232R USB UART (0403:6001)");
}

TEST_F(FakeMachine, TrvComNamesTheDeviceByHand) {
  AddUsbAdapter("pci-0000:00:14.0-usb-0:1:1.0", "ttyUSB0", "1-1", "FTDI", "");
  AddTtyS(0, "4");
  AddTtyS(1, "4");
  setenv("TRV_COM1", "/tmp/COM1", 1);
  setenv("TRV_COM2", Dev("ttyUSB0").c_str(), 1);
  EXPECT_EQ(CommPortDevice(spCOM1, Roots)->DevicePath, "/tmp/COM1");
  EXPECT_EQ(CommPortDevice(spCOM1, Roots)->Description(), "set by TRV_COM1");
  EXPECT_EQ(CommPortDevice(spCOM2, Roots)->Description(), "FTDI FT232R USB UART (0403:6001)");
  EXPECT_EQ(CommPortDevice(spCOM3, Roots)->DevicePath, Dev("ttyS1"));
}

TEST_F(FakeMachine, OddSysfsContentIsBoundedAndShownSafely) {
  AddUsbAdapter("pci-0000:00:14.0-usb-0:1:1.0", "ttyUSB0", "1-1", std::string(10000, 'M'), "");
  Write(Roots.Sys / "devices" / "pci0000:00" / "usb1" / "1-1" / "product", "A\x01\xff\nB");
  AddTtyS(0, "not a number");
  AddTtyS(1, "");
  AddTtyS(99999999, "4");
  fs::create_symlink("../../nowhere", Roots.Dev / "serial" / "by-path" / "dangling");
  Write(Roots.Sys / "class" / "tty" / "ttySx" / "type", "4");

  const std::vector<TSerialPortInfo> ports = DiscoverSerialPorts(Roots);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].Manufacturer, std::string(128, 'M'));
  EXPECT_EQ(ports[0].Product, "A???B");
  EXPECT_EQ(ReadShortText(FRoot / "missing"), "");
}

TEST(PortEntryToSelect, KeepsTheChosenPortWhileItOpensElseTakesTheFirstThatDoes) {
  const TCommPortProbe com1{spCOM1, "/dev/ttyUSB0", "", TOpenFailure::InUse, "in use"};
  const TCommPortProbe com2{spCOM2, "/dev/ttyS0", "", std::nullopt, ""};
  const TCommPortProbe com3{spCOM3, "/dev/ttyS1", "", std::nullopt, ""};
  EXPECT_EQ(PortEntryToSelect({com1, com2, com3}, "COM3"), 2u);
  EXPECT_EQ(PortEntryToSelect({com1, com2, com3}, "COM1"), 1u);
  EXPECT_EQ(PortEntryToSelect({com1, com2}, "COM3"), 1u);
  EXPECT_EQ(PortEntryToSelect({com1}, ""), std::nullopt);
}

}  // namespace
}  // namespace trv
