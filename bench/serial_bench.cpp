// Figures of the serial port component over a pseudo-terminal: the processor time of a Read that
// waits out its time-out, the latency from the peer's last byte to Read returning, and the rate
// of one-byte reads through a 64 KiB burst.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "serial/event_loop.h"
#include "serial/serial_comms.h"

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

double Milliseconds(std::chrono::nanoseconds d) {
  return static_cast<double>(d.count()) / 1e6;
}

std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The peer at the master end of a pseudo-terminal whose slave is COM1.
class TPeer {
 public:
  TPeer() {
    char name[256] = {};
    if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0) {
      std::perror("openpty");
      std::exit(1);
    }
    setenv("TRV_COM1", name, 1);
  }
  ~TPeer() {
    ::close(FMaster);
    ::close(FSlave);
  }

  // Blocks while the terminal's input is full.
  void Send(const std::uint8_t* bytes, std::size_t count) const {
    while (count > 0) {
      const ssize_t sent = ::write(FMaster, bytes, count);
      if (sent <= 0) {
        pollfd master{FMaster, POLLOUT, 0};
        poll(&master, 1, 100);
        continue;
      }
      bytes += sent;
      count -= static_cast<std::size_t>(sent);
    }
  }

 private:
  int FMaster = -1;
  int FSlave = -1;
};

void AwaitQueued(trv::TSerialComms& comms, std::int32_t count) {
  while (comms.GetAvailableByteCount() < count) {
    std::this_thread::sleep_for(1ms);
  }
}

void ProcessorTimeOfAWaitedOutRead(trv::TSerialComms& comms, const TPeer& peer) {
  Bytes buffer(8);
  auto cpu = ThreadCpuTime();
  auto start = TClock::now();
  comms.Read(buffer.data(), 1, 500);
  std::printf("(a) Read(1 byte, 500 ms), nothing arrives: %.1f ms elapsed, %.3f ms processor\n",
              Milliseconds(TClock::now() - start), Milliseconds(ThreadCpuTime() - cpu));

  const Bytes five{1, 2, 3, 4, 5};
  peer.Send(five.data(), five.size());
  AwaitQueued(comms, 5);
  cpu = ThreadCpuTime();
  start = TClock::now();
  comms.Read(buffer.data(), 8, 500);
  std::printf("    Read(8 bytes, 500 ms), 5 queued:       %.1f ms elapsed, %.3f ms processor\n",
              Milliseconds(TClock::now() - start), Milliseconds(ThreadCpuTime() - cpu));
  comms.PurgeComms();
}

// The peer sends `count - 1` bytes, pauses, then the last byte; the figure runs from just before
// that last write to Read returning.
void LatencyOfTheLastByte(trv::TSerialComms& comms, const TPeer& peer, std::int32_t count) {
  constexpr int Rounds = 200;
  std::vector<double> latencies;
  Bytes buffer(static_cast<std::size_t>(count), 0x55);
  for (int round = 0; round < Rounds; ++round) {
    TClock::time_point lastWritten;
    std::thread sender([&] {
      peer.Send(buffer.data(), buffer.size() - 1);
      std::this_thread::sleep_for(std::chrono::microseconds(2000 + 37 * round % 1000));
      lastWritten = TClock::now();
      peer.Send(buffer.data(), 1);
    });
    Bytes got(buffer.size());
    const bool complete = comms.Read(got.data(), count, 1000) == count;
    const auto returned = TClock::now();
    sender.join();
    if (complete) {
      latencies.push_back(Milliseconds(returned - lastWritten));
    }
  }
  std::sort(latencies.begin(), latencies.end());
  if (latencies.empty()) {
    std::printf("(b) no complete read\n");
    return;
  }
  std::printf(
      "(b) last byte written -> Read(%d) returns, %zu of %d rounds: median %.3f ms, "
      "90%% %.3f ms, max %.3f ms\n",
      count, latencies.size(), Rounds, latencies[latencies.size() / 2],
      latencies[latencies.size() * 9 / 10], latencies.back());
}

void ThroughputOfOneByteReads(trv::TSerialComms& comms, const TPeer& peer) {
  constexpr std::size_t BurstSize = 64 * 1024;
  Bytes burst(BurstSize);
  for (std::size_t i = 0; i < BurstSize; ++i) {
    burst[i] = static_cast<std::uint8_t>(i * 7);
  }
  std::thread sender([&] { peer.Send(burst.data(), burst.size()); });
  std::size_t good = 0;
  const auto cpu = ThreadCpuTime();
  const auto start = TClock::now();
  for (std::size_t i = 0; i < BurstSize; ++i) {
    std::uint8_t byte = 0;
    if (comms.Read(byte, 1000) == 1 && byte == burst[i]) {
      ++good;
    }
  }
  const auto elapsed = TClock::now() - start;
  const auto processor = ThreadCpuTime() - cpu;
  sender.join();
  std::printf(
      "(c) 64 KiB burst in one-byte reads: %zu of %zu bytes right, %.1f ms, %.0f KB/s, "
      "%.2f us a read, %.1f ms processor\n",
      good, BurstSize, Milliseconds(elapsed),
      static_cast<double>(BurstSize) / 1024.0 / (Milliseconds(elapsed) / 1000.0),
      Milliseconds(elapsed) * 1000.0 / BurstSize, Milliseconds(processor));
}

}  // namespace

int main() {
  const TPeer peer;
  trv::TEventLoop loop;
  trv::TSerialComms comms(&loop);
  for (const trv::TCommBaud baud : {trv::cb9600, trv::cb115200}) {
    comms.SetBaud(baud);
    if (!comms.IsOpen()) {
      comms.Open();
    }
    std::printf("-- pseudo-terminal set to %d bit/s\n", comms.GetBaudRate());
    ProcessorTimeOfAWaitedOutRead(comms, peer);
    LatencyOfTheLastByte(comms, peer, 1);
    LatencyOfTheLastByte(comms, peer, 8);
    ThroughputOfOneByteReads(comms, peer);
  }
  return 0;
}
