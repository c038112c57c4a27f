#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace trv {

// A pseudo-terminal whose slave stands in for a serial port; the test is the peer on the master.
class TPseudoTerminal {
 public:
  TPseudoTerminal() {
    char name[256] = {};
    if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0) {
      throw std::runtime_error("openpty failed");
    }
    FPath = name;
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
  }
  ~TPseudoTerminal() {
    CloseMaster();
    ::close(FSlave);
  }
  TPseudoTerminal(const TPseudoTerminal&) = delete;
  TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

  const std::string& Path() const { return FPath; }
  // The test's own open of the slave: keeps the terminal alive and shows its settings.
  int Slave() const { return FSlave; }

  void Send(const std::vector<std::uint8_t>& bytes) const {
    if (::write(FMaster, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      throw std::runtime_error("write to the master failed");
    }
  }

  // What the component sent, up to `count` bytes, waiting at most `limit` for them.
  std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds limit) const {
    std::vector<std::uint8_t> got;
    const auto until = std::chrono::steady_clock::now() + limit;
    while (got.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      pollfd master{FMaster, POLLIN, 0};
      if (left.count() <= 0 || poll(&master, 1, static_cast<int>(left.count())) <= 0) {
        break;
      }
      std::uint8_t chunk[4096];
      const ssize_t n = ::read(FMaster, chunk, std::min(sizeof chunk, count - got.size()));
      if (n <= 0) {
        break;
      }
      got.insert(got.end(), chunk, chunk + n);
    }
    return got;
  }

  void CloseMaster() {
    if (FMaster >= 0) {
      ::close(FMaster);
      FMaster = -1;
    }
  }

 private:
  int FMaster = -1;
  int FSlave = -1;
  std::string FPath;
};

}  // namespace trv
