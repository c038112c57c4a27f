#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <thread>

#include "flash/m16c_flash.h"
#include "serial/event_loop.h"
#include "simulator_process.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kConfigStart = 0xC0100;
constexpr std::uint32_t kConfigSize = 0xFF00;

// A flash component on COM8, which is the simulator's pseudo-terminal.
class RealTimeFlashTest : public ::testing::Test {
 protected:
  void StartSimulator(const std::vector<std::string>& options) {
    Simulator = std::make_unique<TSimulatorProcess>(TRV_M16C_SIM, options);
    setenv("TRV_COM8", Simulator->DevicePath().c_str(), 1);
    Flash.SetCommPort(spCOM8);
    Flash.SetBaud(cb57600);
    Flash.SetSoftwareIDs({"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5", "90-7B-2E-58-F3-A6-01"});
    Flash.SetOnFlashErrorEvent([this](TM16CFlash& sender, TFlashErrors code) {
      Errors.push_back(std::to_string(int{code}) + " " + sender.ErrorText());
    });
  }

  // Runs one job and waits for its completion.
  void Transfer(TBinaryImage& image, TFlashOptions direction) {
    std::promise<void> completed;
    Flash.SetOnDownloadComplete([&](TM16CFlash&) { completed.set_value(); });
    Flash.SetFlashOptions(Flash.FlashOptions() + direction);
    Flash.FlashDevice(image);
    ASSERT_EQ(completed.get_future().wait_for(300s), std::future_status::ready);
    // The worker is still busy just after the completion event, and a job started then would
    // only abort the one that has ended.
    for (int i = 0; i < 1000 && Flash.InProgress(); ++i) std::this_thread::sleep_for(1ms);
    ASSERT_FALSE(Flash.InProgress());
  }

  TEventLoop Dispatcher;
  std::unique_ptr<TSimulatorProcess> Simulator;
  TM16CFlash Flash{Dispatcher};
  std::vector<std::string> Errors;
};

TEST_F(RealTimeFlashTest, SendThenGetReturnsTheBytesSent) {
  StartSimulator({});
  TBinaryImage sent(kConfigStart, kConfigSize);
  for (std::uint32_t a = kConfigStart; a <= sent.EndAddress(); ++a) {
    if (a % 3 != 0) sent.SetCell(a, static_cast<int>((a * 13 + (a >> 8)) & 0xFF));
  }
  Transfer(sent, {ofErase, ofProgram});
  EXPECT_EQ(Errors, std::vector<std::string>{});

  TBinaryImage got(kConfigStart, kConfigSize);
  Transfer(got, {ofRead});
  EXPECT_EQ(Errors, std::vector<std::string>{});
  for (std::uint32_t a = kConfigStart; a <= got.EndAddress(); ++a) {
    ASSERT_EQ(got.Cell(a), sent.OutByte(a)) << std::hex << a;
  }
}

TEST_F(RealTimeFlashTest, WrongIDIsReported) {
  StartSimulator({"--wrong-id"});
  TBinaryImage image(kConfigStart, kConfigSize);
  Transfer(image, {ofErase, ofProgram});
  EXPECT_EQ(Errors, std::vector<std::string>{"5 Software ID not matched"});
}

}  // namespace
}  // namespace trv::test
