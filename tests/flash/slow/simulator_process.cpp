#include "simulator_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace trv::test {
namespace {

// The first line the program prints, within ten seconds.
std::string ReadFirstLine(int fd) {
  std::string line;
  char c = 0;
  pollfd input{fd, POLLIN, 0};
  while (poll(&input, 1, 10000) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace

TSimulatorProcess::TSimulatorProcess(const std::string& program,
                                     const std::vector<std::string>& options) {
  int output[2];
  if (pipe(output) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> words{program};
  words.insert(words.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  const int failed = posix_spawn(&FPid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (failed == 0) FDevicePath = ReadFirstLine(output[0]);
  close(output[0]);
  if (failed != 0 || FDevicePath.empty()) {
    if (failed == 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
    throw std::runtime_error("m16c-sim did not start: " + program);
  }
}

TSimulatorProcess::~TSimulatorProcess() {
  kill(FPid, SIGTERM);
  waitpid(FPid, nullptr, 0);
}

}  // namespace trv::test
