// Runs trvcfg ports with the COM ports pointed at pseudo-terminals.

#include <gtest/gtest.h>
#include <sys/file.h>

#include <cstdlib>
#include <string>

#include "../serial/pseudo_terminal.h"
#include "trvcfg_program.h"

namespace trv {
namespace {

class TrvcfgPortsTest : public TrvcfgProgramTest {
 protected:
  TrvcfgPortsTest() : TrvcfgProgramTest("trvcfg-ports") {
    for (int n = 1; n <= 8; ++n) Point(n, "/nonexistent/tty");
  }
  ~TrvcfgPortsTest() override {
    for (int n = 1; n <= 8; ++n) unsetenv(("TRV_COM" + std::to_string(n)).c_str());
  }

  static void Point(int n, const std::string& device) {
    setenv(("TRV_COM" + std::to_string(n)).c_str(), device.c_str(), 1);
  }
};

TEST_F(TrvcfgPortsTest, OneLineAPortWithWhatKeepsItFromOpening) {
  const TPseudoTerminal free;
  const TPseudoTerminal held;
  ASSERT_EQ(flock(held.Slave(), LOCK_EX | LOCK_NB), 0);
  Point(1, free.Path());
  Point(2, held.Path());
  const ProgramRun run = Trvcfg({"ports"});
  EXPECT_EQ(run.Status, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 8u) << run.Out;
  EXPECT_EQ(lines[0], "COM1\t" + free.Path() + "\tset by TRV_COM1");
  EXPECT_EQ(lines[1], "COM2\t" + held.Path() + "\tset by TRV_COM2\tin use");
  EXPECT_EQ(lines[7], "COM8\t/nonexistent/tty\tset by TRV_COM8\tnot found");
}

TEST_F(TrvcfgPortsTest, ExtraWordsAreBadUsage) {
  EXPECT_EQ(Trvcfg({"ports", "COM1"}).Status, 2);
}

}  // namespace
}  // namespace trv
