// A send and a get of a configuration image through the simulated controller on a
// pseudo-terminal, against the floor that the protocol's pauses and the line's byte times set
// for the same commands, and the processor time of the job's thread. A send runs plain, keeping
// the controller's previous configuration, and with the line traced.

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <future>
#include <thread>

#include "flash/line_trace.h"
#include "flash/m16c_flash.h"
#include "flash/serial_bootloader_line.h"
#include "serial/event_loop.h"
#include "simulator/controller_simulator.h"
#include "transfer/flash_transfer.h"
#include "transfer/image_cells.h"

namespace trv {
namespace {

using namespace std::chrono_literals;
using TNanoseconds = std::chrono::nanoseconds;

constexpr std::uint32_t kConfigStart = 0xC0100;
constexpr std::uint32_t kConfigSize = 0xFF00;

TNanoseconds ByteTime(TCommBaud baud) {
  return TNanoseconds(10'000'000'000LL / BaudRateOf(baud));
}

TNanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + TNanoseconds(now.tv_nsec);
}

// The real line, with a model of the same commands on an ideal line beside it: a byte written
// goes out as soon as the line is free, so it overlaps the pauses after it; an answer byte can
// come no sooner than the line time after the last byte sent and after the answer byte before
// it; a read that times out costs its whole time-out.
class TFloorLine final : public TBootloaderLine, public TFlashClock {
 public:
  explicit TFloorLine(TBootloaderLine& line) : FLine(line) {}

  void SetCommPort(TCommPort port) override { FLine.SetCommPort(port); }
  void SetBaud(TCommBaud baud) override { FLine.SetBaud(baud); }
  TCommBaud Baud() const override { return FLine.Baud(); }
  void Open() override { FLine.Open(); }
  void Close() override { FLine.Close(); }
  void PurgeComms() override { FLine.PurgeComms(); }

  void Write(std::uint8_t byte) override {
    FSentAt = std::max(FNow, FSentAt) + ByteTime(Baud());
    FLine.Write(byte);
  }

  bool Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
    if (!FLine.Read(buffer, timeout)) {
      FNow += timeout;
      return false;
    }
    FAnsweredAt = std::max(FAnsweredAt, FSentAt) + ByteTime(Baud()) * buffer.size();
    FNow = std::max(FNow, FAnsweredAt);
    return true;
  }

  Duration Now() override { return FClock.Now(); }
  void Sleep(Duration pause) override {
    FNow += pause;
    FClock.Sleep(pause);
  }

  TNanoseconds Floor() const { return FNow; }
  void Restart() { FNow = FSentAt = FAnsweredAt = {}; }

 private:
  TBootloaderLine& FLine;
  TSteadyFlashClock FClock;
  TNanoseconds FNow{};
  TNanoseconds FSentAt{};
  TNanoseconds FAnsweredAt{};
};

// The simulated controller in this process, on its own thread; it ends on SIGTERM.
class TSimulatorThread {
 public:
  TSimulatorThread() : FSimulator(SimulatorOptions{}) {
    setenv("TRV_COM8", FSimulator.DevicePath().c_str(), 1);
    FThread = std::thread([this] { FSimulator.Run(); });
  }
  ~TSimulatorThread() {
    kill(getpid(), SIGTERM);
    FThread.join();
  }
  TSimulatorThread(const TSimulatorThread&) = delete;
  TSimulatorThread& operator=(const TSimulatorThread&) = delete;

 private:
  ControllerSimulator FSimulator;
  std::thread FThread;
};

struct TTransferFigures {
  TNanoseconds Wall;
  TNanoseconds Floor;
  TNanoseconds Cpu;
  bool Failed;
};

class TTransferRig {
 public:
  TTransferRig() : FLine(FDispatcher), FFloorLine(FLine), FFlash(FFloorLine, FFloorLine) {
    FFlash.SetCommPort(spCOM8);
    FFlash.SetBaud(cb57600);
    FFlash.SetSoftwareIDs({"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5", "90-7B-2E-58-F3-A6-01"});
    FFlash.SetOnFlashErrorEvent([this](TM16CFlash&, TFlashErrors) { FFailed = true; });
    FFlash.SetOnFlashProgressEvent([this](TM16CFlash&, TFlashProgress stage) {
      if (stage == fpReadingFile) FCpuAtStart = ThreadCpuTime();
    });
  }

  TM16CFlash& Flash() { return FFlash; }

  TTransferFigures Transfer(TBinaryImage& image, TFlashOptions direction) {
    std::promise<TNanoseconds> completed;
    FFlash.SetOnDownloadComplete(
        [&](TM16CFlash&) { completed.set_value(ThreadCpuTime() - FCpuAtStart); });
    FFlash.SetFlashOptions(FFlash.FlashOptions() + direction);
    FFailed = false;
    FFloorLine.Restart();
    const auto start = std::chrono::steady_clock::now();
    FFlash.FlashDevice(image);
    const TNanoseconds cpu = completed.get_future().get();
    return {std::chrono::steady_clock::now() - start, FFloorLine.Floor(), cpu, FFailed};
  }

 private:
  TSimulatorThread FSimulator;
  TEventLoop FDispatcher;
  TSerialBootloaderLine FLine;
  TFloorLine FFloorLine;
  TM16CFlash FFlash;
  TNanoseconds FCpuAtStart{};
  bool FFailed = false;
};

TTransferRig& Rig() {
  static TTransferRig rig;
  return rig;
}

TBinaryImage SentImage() {
  TBinaryImage image(kConfigStart, kConfigSize);
  for (std::uint32_t a = kConfigStart; a <= image.EndAddress(); ++a) {
    if (a % 3 != 0) image.SetCell(a, static_cast<int>((a * 13 + (a >> 8)) & 0xFF));
  }
  return image;
}

void Report(benchmark::State& state, const TTransferFigures& figures) {
  using Seconds = std::chrono::duration<double>;
  const double wall = Seconds(figures.Wall).count();
  const double floor = Seconds(figures.Floor).count();
  const double cpu = Seconds(figures.Cpu).count();
  state.SetIterationTime(wall);
  state.counters["floor_s"] = floor;
  state.counters["over_floor_pct"] = 100.0 * (wall - floor) / floor;
  state.counters["cpu_s"] = cpu;
  state.counters["cpu_of_wall_pct"] = 100.0 * cpu / wall;
  if (figures.Failed) state.SkipWithError("the transfer failed");
}

enum TSendMode { kPlain, kKeepingPrevious, kTraced };

// The sent image's block is read for keeping, erased, programmed and verified; kept, the
// previous configuration is written after the job, within the send's time.
void BM_SendConfiguration(benchmark::State& state) {
  const auto mode = static_cast<TSendMode>(state.range(0));
  TFlashTransfer transfer(ImageOfCells(SentImage()), TransferDirection::Send);
  transfer.SetUp(Rig().Flash(), {"COM8", "57600", {"90-7B-2E-58-F3-A6-01"}});
  if (mode != kKeepingPrevious) Rig().Flash().SetOnBlockRead({});
  const auto trace = std::make_shared<TLineTrace>();
  Rig().Flash().SetTrace(mode == kTraced ? trace : nullptr);
  const std::filesystem::path directory = std::filesystem::temp_directory_path();
  for (auto _ : state) {
    TTransferFigures figures = Rig().Transfer(transfer.Image(), {ofErase, ofProgram});
    const auto start = std::chrono::steady_clock::now();
    if (const auto kept = transfer.KeepPreviousImage({directory, "bench"})) {
      std::filesystem::remove(kept->File);
      state.counters["keep_ms"] =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
    }
    figures.Wall += std::chrono::steady_clock::now() - start;
    Report(state, figures);
  }
  Rig().Flash().SetOnBlockRead({});
  Rig().Flash().SetTrace(nullptr);
  if (mode == kTraced) {
    const std::string text = trace->Text();
    state.counters["trace_lines"] = static_cast<double>(std::count(text.begin(), text.end(), '\n'));
  }
}

void BM_GetConfiguration(benchmark::State& state) {
  const TBinaryImage sent = SentImage();
  TBinaryImage image(kConfigStart, kConfigSize);
  for (auto _ : state) {
    Report(state, Rig().Transfer(image, {ofRead}));
    for (std::uint32_t a = kConfigStart; a <= image.EndAddress(); ++a) {
      if (image.Cell(a) != sent.OutByte(a)) {
        state.SkipWithError("the get did not return the bytes sent");
        break;
      }
    }
  }
}

BENCHMARK(BM_SendConfiguration)
    ->ArgName("plain_keep_trace")
    ->DenseRange(kPlain, kTraced)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_GetConfiguration)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace trv

BENCHMARK_MAIN();
