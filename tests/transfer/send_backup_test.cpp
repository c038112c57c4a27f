#include "transfer/send_backup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <regex>
#include <thread>

#include "flash/m16c_flash.h"
#include "transfer/flash_transfer.h"
#include "transfer/image_file.h"
#include "virtual_line.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kConfigOffset = 0x100;  // of the configuration area in the flash

ConfigurationImage PatternImage(std::uint8_t seed) {
  ConfigurationImage image;
  for (std::size_t i = 0; i < ConfigurationImage::kSize; ++i) {
    if (i % 7 != 0) image.SetByte(i, static_cast<std::uint8_t>(i * 5 + seed));
  }
  return image;
}

// A send of a new image through the simulated controller, which holds `previous` in its
// configuration area.
class SendBackupTest : public ::testing::Test {
 protected:
  SendBackupTest() { std::filesystem::create_directories(Place.Directory); }
  ~SendBackupTest() override { std::filesystem::remove_all(Place.Directory); }

  // A controller afresh, its line's clock at zero.
  void HoldInController(const ConfigurationImage& previous) {
    std::vector<std::uint8_t> flash(SimulatedBootloader::FlashBytes, 0xFF);
    for (std::size_t i = 0; i < kConfigOffset; ++i) flash[i] = static_cast<std::uint8_t>(i);
    std::copy(previous.Data().begin(), previous.Data().end(), flash.begin() + kConfigOffset);
    Controller = std::make_unique<TController>();
    Controller->Bootloader.LoadFlash(flash);
  }

  // The line's events of the send.
  std::vector<TLineEvent> Send(TFlashTransfer& transfer, bool listen = true) {
    TVirtualLine& line = Controller->Line;
    TM16CFlash flash(line, line);
    EXPECT_TRUE(transfer.SetUp(flash, {"COM1", "57600", {"90-7B-2E-58-F3-A6-01"}}));
    if (!listen) flash.SetOnBlockRead({});
    std::promise<void> completed;
    flash.SetOnFlashErrorEvent([&](TM16CFlash&, TFlashErrors code) { Errors.push_back(code); });
    flash.SetOnDownloadComplete([&](TM16CFlash&) { completed.set_value(); });
    flash.FlashDevice(transfer.Image());
    EXPECT_EQ(completed.get_future().wait_for(60s), std::future_status::ready);
    while (flash.InProgress()) std::this_thread::sleep_for(1ms);
    return line.Events();
  }

  ConfigurationImage ControllerImage() const {
    ConfigurationImage image;
    const auto& flash = Controller->Bootloader.Flash();
    for (std::size_t i = 0; i < ConfigurationImage::kSize; ++i) {
      image.SetByte(i, flash[kConfigOffset + i]);
    }
    return image;
  }

  struct TController {
    SimulatedBootloader Bootloader;
    TVirtualLine Line{Bootloader};
  };
  std::unique_ptr<TController> Controller;
  std::vector<TFlashErrors> Errors;
  SendBackupPlace Place{
      std::filesystem::path(::testing::TempDir()) / ("trv-backup-" + std::to_string(getpid())),
      "North/Wing"};
  ConfigurationImage Previous = PatternImage(1);
  ConfigurationImage Next = PatternImage(2);
};

TEST_F(SendBackupTest, SendKeepsThePreviousImageAndTheLineIsUnchanged) {
  HoldInController(Previous);
  TFlashTransfer listened(Next, TransferDirection::Send);
  const std::vector<TLineEvent> withBackup = Send(listened);
  HoldInController(Previous);
  TFlashTransfer unheard(Next, TransferDirection::Send);
  EXPECT_EQ(Send(unheard, false), withBackup);
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(ControllerImage().Data(), Next.Data());

  const std::optional<SendBackupOutcome> backup = listened.KeepPreviousImage(Place);
  ASSERT_TRUE(backup);
  ASSERT_TRUE(backup->Written()) << backup->Failure;
  EXPECT_EQ(backup->File.parent_path(), Place.Directory);
  EXPECT_TRUE(std::regex_match(backup->File.filename().string(),
                               std::regex("North_Wing-before-send-\\d{8}-\\d{6}\\.hex")));
  EXPECT_EQ(ReadImageFile(backup->File).Data(), Previous.Data());
  EXPECT_EQ(backup->Text(), "Previous configuration kept in " + backup->File.string());
  EXPECT_FALSE(unheard.KeepPreviousImage(Place));
}

TEST_F(SendBackupTest, BlankControllerOrAGetKeepsNothing) {
  HoldInController(ConfigurationImage());
  TFlashTransfer send(Next, TransferDirection::Send);
  Send(send);
  EXPECT_FALSE(send.KeepPreviousImage(Place));
  TFlashTransfer get(ConfigurationImage(), TransferDirection::Get);
  Send(get);
  EXPECT_FALSE(get.KeepPreviousImage(Place));
  EXPECT_TRUE(std::filesystem::is_empty(Place.Directory));
}

TEST_F(SendBackupTest, UnwritableDirectoryIsReportedAndTheSendCompletes) {
  HoldInController(Previous);
  TFlashTransfer transfer(Next, TransferDirection::Send);
  Send(transfer);
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(ControllerImage().Data(), Next.Data());
  // A directory under a file cannot be written, not even by root.
  std::ofstream(Place.Directory / "file") << "x";
  Place.Directory /= "file";
  const std::optional<SendBackupOutcome> backup = transfer.KeepPreviousImage(Place);
  ASSERT_TRUE(backup);
  EXPECT_FALSE(backup->Written());
  EXPECT_TRUE(backup->Text().starts_with(
      "The controller's previous configuration could not be kept in " + backup->File.string()))
      << backup->Text();
}

}  // namespace
}  // namespace trv::test
