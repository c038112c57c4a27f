#include "flash/m16c_flash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "virtual_line.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;

TEST(FlashWorkerTextTest, CodesAndUnknownCodes) {
  EXPECT_EQ(FlashWorkerText(feDataOutsideFlashRange), "Data outside M16C flash range");
  EXPECT_EQ(FlashWorkerText(feVerifyFailed), "Verify Failed");
  EXPECT_EQ(FlashWorkerText(feReadFailed), "Unknown exception - 9");
}

// What the component raised, in order, from whichever thread.
class TEventLog {
 public:
  void Add(std::string entry) {
    const std::lock_guard lock(FLock);
    FEntries.push_back(std::move(entry));
    FThreads.push_back(std::this_thread::get_id());
    FChanged.notify_all();
  }
  std::vector<std::string> WaitForCompletions(std::size_t count) {
    std::unique_lock lock(FLock);
    const bool done = FChanged.wait_for(lock, 30s, [&] {
      return static_cast<std::size_t>(std::count(FEntries.begin(), FEntries.end(), "complete")) >=
             count;
    });
    EXPECT_TRUE(done) << "no completion";
    return FEntries;
  }
  std::vector<std::thread::id> Threads() {
    const std::lock_guard lock(FLock);
    return FThreads;
  }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  std::vector<std::string> FEntries;
  std::vector<std::thread::id> FThreads;
};

class M16CFlashTest : public ::testing::Test {
 protected:
  M16CFlashTest() {
    Flash.SetBaud(cb57600);
    Flash.SetFlashStart(0xC0100);
    Flash.SetFlashSize(0xFF00);
    Flash.SetOnFlashProgressEvent([this](TM16CFlash& sender, TFlashProgress stage) {
      EXPECT_EQ(&sender, &Flash);
      Log.Add("stage " + std::to_string(int{stage}));
      if (OnStage) OnStage(stage);
    });
    Flash.SetOnFlashErrorEvent([this](TM16CFlash& sender, TFlashErrors code) {
      EXPECT_EQ(&sender, &Flash);
      Log.Add("error " + std::to_string(int{code}) + " " + sender.ErrorText());
    });
    Flash.SetOnDownloadComplete([this](TM16CFlash& sender) {
      EXPECT_EQ(&sender, &Flash);
      Log.Add("complete");
    });
  }

  void WaitUntilIdle() {
    for (int i = 0; i < 1000 && Flash.InProgress(); ++i) std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(Flash.InProgress());
  }

  SimulatedBootloader Bootloader;
  TVirtualLine Line{Bootloader};
  TEventLog Log;
  std::function<void(TFlashProgress)> OnStage;
  TBinaryImage Image{0xC0100, 0xFF00};
  TM16CFlash Flash{Line, Line};
};

const std::vector<std::string> kSendStages{"stage 0", "stage 1", "stage 2", "stage 3",
                                           "stage 4", "stage 5", "stage 6", "stage 7"};

TEST(M16CFlashDefaultsTest, PropertiesAfterConstruction) {
  SimulatedBootloader bootloader;
  TVirtualLine line(bootloader);
  TM16CFlash flash(line, line);
  EXPECT_EQ(flash.CommPort(), spCOM1);
  EXPECT_EQ(flash.Baud(), cb1200);
  EXPECT_EQ(flash.FlashOptions(), kDefaultFlashOptions);
  EXPECT_EQ(flash.Filename(), "");
  EXPECT_EQ(flash.FlashStart(), 0xC0000u);
  EXPECT_EQ(flash.FlashSize(), 0x40000u);
  EXPECT_EQ(flash.SoftwareIDs(), std::vector<std::string>{"90-7B-2E-58-F3-A6-01"});
  EXPECT_EQ(flash.Interval(), 5);
  EXPECT_EQ(flash.ProgressBar(), nullptr);
  EXPECT_FALSE(flash.InProgress());

  flash.SetFlashOptions(flash.FlashOptions() + TFlashOptions{ofRead});
  EXPECT_EQ(flash.FlashOptions(), (TFlashOptions{ofRead, ofVerify}));
  flash.SetFlashOptions(flash.FlashOptions() + TFlashOptions{ofErase, ofProgram});
  EXPECT_EQ(flash.FlashOptions(), kDefaultFlashOptions);
}

TEST_F(M16CFlashTest, SendRaisesEveryStageThenCompletionOnTheWorker) {
  Image.SetCell(0xC0100, 0x42);
  Flash.FlashDevice(Image);
  EXPECT_TRUE(Flash.InProgress());
  std::vector<std::string> expected = kSendStages;
  expected.push_back("complete");
  EXPECT_EQ(Log.WaitForCompletions(1), expected);
  WaitUntilIdle();
  for (std::thread::id thread : Log.Threads()) EXPECT_NE(thread, std::this_thread::get_id());
  EXPECT_EQ(Bootloader.Flash()[0x100], 0x42);
  EXPECT_FALSE(Line.IsOpen());
}

TEST_F(M16CFlashTest, ErrorComesBeforeCompletion) {
  Bootloader.Faults().WrongID = true;
  Flash.FlashDevice(Image);
  EXPECT_EQ(Log.WaitForCompletions(1),
            (std::vector<std::string>{"stage 0", "stage 1", "stage 2", "stage 3",
                                      "error 5 Software ID not matched", "complete"}));
  WaitUntilIdle();

  // A failure that is a text, not a code.
  Bootloader.Reset();
  Flash.SetFilename("/nonexistent/trv.hex");
  Flash.FlashDevice();
  const auto entries = Log.WaitForCompletions(2);
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[entries.size() - 2].rfind("error 255 ", 0), 0u) << entries[entries.size() - 2];
  EXPECT_NE(entries[entries.size() - 2].find("/nonexistent/trv.hex"), std::string::npos);
}

TEST_F(M16CFlashTest, WithoutErrorHandlerTheWorkerShowsItsOwnText) {
  Flash.SetOnFlashErrorEvent(nullptr);
  Flash.SetMessageBoxHook([this](const std::string& text, const std::string& caption) {
    Log.Add(caption + ": " + text);
  });
  Bootloader.Faults().Sync = BootloaderFaults::SyncAnswer::None;
  Flash.FlashDevice(Image);
  EXPECT_EQ(Log.WaitForCompletions(1),
            (std::vector<std::string>{"stage 0", "stage 1",
                                      "M16C Flash Error: Failed to synchronise comms - Restart CPU",
                                      "complete"}));
}

// A port error during the synchronisation is a text, even one that reads like an error code.
TEST_F(M16CFlashTest, FailureWhoseTextIsANumberIsNoErrorCode) {
  Line.SetBaudFailure = "3";
  Flash.FlashDevice(Image);
  EXPECT_EQ(Log.WaitForCompletions(1),
            (std::vector<std::string>{"stage 0", "stage 1", "error 255 3", "complete"}));
  WaitUntilIdle();

  Flash.SetOnFlashErrorEvent(nullptr);
  Flash.SetMessageBoxHook([this](const std::string& text, const std::string& caption) {
    Log.Add(caption + ": " + text);
  });
  Bootloader.Reset();
  Flash.FlashDevice(Image);
  auto entries = Log.WaitForCompletions(2);
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[entries.size() - 2], "M16C Flash Error: 3");
  WaitUntilIdle();

  // Only an abort goes unreported; a failure without a text is still a failure.
  Line.SetBaudFailure = "";
  Bootloader.Reset();
  Flash.FlashDevice(Image);
  entries = Log.WaitForCompletions(3);
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[entries.size() - 2], "M16C Flash Error: Unknown exception");
}

TEST_F(M16CFlashTest, HexFileErrorReachesBothErrorPathsAsItsText) {
  const std::string file = ::testing::TempDir() + "m16c-flash-bad-checksum.hex";
  std::ofstream(file) << ":0400000001020304F1\n";
  Flash.SetFlashStart(0xC0000);
  Flash.SetFlashSize(0x40000);
  Flash.SetFilename(file);
  Flash.FlashDevice();
  const std::string error = file + " - Line 1 has an invalid checksum";
  EXPECT_EQ(Log.WaitForCompletions(1),
            (std::vector<std::string>{"stage 0", "error 255 " + error, "complete"}));
  WaitUntilIdle();

  Flash.SetOnFlashErrorEvent(nullptr);
  Flash.SetMessageBoxHook([this](const std::string& text, const std::string& caption) {
    Log.Add(caption + ": " + text);
  });
  Flash.FlashDevice();
  const auto entries = Log.WaitForCompletions(2);
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[entries.size() - 2], "M16C Flash Error: " + error);
  std::filesystem::remove(file);
}

// Like the other events, a progress handler's failure does not end the job.
TEST_F(M16CFlashTest, ProgressHandlerThatThrowsLeavesTheJobRunning) {
  OnStage = [](TFlashProgress stage) {
    if (stage == fpCheckingVersion) throw std::runtime_error("7");
  };
  Image.SetCell(0xC0100, 0x42);
  Flash.FlashDevice(Image);
  std::vector<std::string> expected = kSendStages;
  expected.push_back("complete");
  EXPECT_EQ(Log.WaitForCompletions(1), expected);
  WaitUntilIdle();
  EXPECT_EQ(Flash.ErrorText(), "");
  EXPECT_EQ(Bootloader.Flash()[0x100], 0x42);
}

TEST_F(M16CFlashTest, FlashDeviceDuringAJobAbortsItAndStartsNothing) {
  std::promise<void> reached;
  std::promise<void> release;
  OnStage = [&](TFlashProgress stage) {
    if (stage != fpErasing) return;
    reached.set_value();
    release.get_future().wait();
  };
  Flash.FlashDevice(Image);
  reached.get_future().wait();
  TBinaryImage other(0xC0100, 0xFF00);
  Flash.FlashDevice(other);
  Flash.FlashDevice();
  EXPECT_TRUE(Flash.InProgress());
  release.set_value();

  // Aborted at the next stage: no error, one completion, no second job.
  EXPECT_EQ(Log.WaitForCompletions(1),
            (std::vector<std::string>{"stage 0", "stage 1", "stage 2", "stage 3", "stage 4",
                                      "complete"}));
  WaitUntilIdle();
  EXPECT_EQ(Line.OpenCount(), 1);

  // Once idle, a job starts again.
  OnStage = nullptr;
  Bootloader.Reset();
  Flash.FlashDevice(Image);
  Log.WaitForCompletions(2);
  EXPECT_EQ(Line.OpenCount(), 2);
}

// An abort asked for before the woken worker has begun is that job's abort. The worker may
// already have run a few stages when the abort comes, but never the whole send.
TEST_F(M16CFlashTest, AbortRightAfterTheStartEndsThatJob) {
  Flash.FlashDevice(Image);
  Flash.AbortFlash();
  std::vector<std::string> entries = Log.WaitForCompletions(1);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back(), "complete");
  entries.pop_back();
  EXPECT_LT(entries.size(), kSendStages.size());
  EXPECT_TRUE(std::equal(entries.begin(), entries.end(), kSendStages.begin()));
  WaitUntilIdle();
}

TEST_F(M16CFlashTest, DestructionAbortsTheRunningJobAndWaitsForIt) {
  std::promise<void> reached;
  OnStage = [&](TFlashProgress stage) {
    if (stage != fpTransferring) return;
    reached.set_value();
    // Time for the destructor to ask for the abort while the job goes on.
    std::this_thread::sleep_for(100ms);
  };
  {
    TM16CFlash flash(Line, Line);
    flash.SetBaud(cb57600);
    flash.SetFlashStart(0xC0100);
    flash.SetFlashSize(0xFF00);
    flash.SetOnFlashProgressEvent([this](TM16CFlash&, TFlashProgress stage) { OnStage(stage); });
    flash.SetOnDownloadComplete([this](TM16CFlash&) { Log.Add("complete"); });
    flash.FlashDevice(Image);
    reached.get_future().wait();
  }
  EXPECT_EQ(Log.WaitForCompletions(1), std::vector<std::string>{"complete"});
  EXPECT_FALSE(Line.IsOpen());
  EXPECT_LT(CommandsWithCode(ParseCommands(Line.WrittenBytes()), 0x41).size(), 256u);
}

}  // namespace
}  // namespace trv::test
