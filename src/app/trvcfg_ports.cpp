// trvcfg ports: the COM ports of this machine and the devices behind them.

#include <iostream>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "serial/comm_port_probe.h"
#include "serial/event_loop.h"

namespace trv::cli {

namespace {

// "COM1<TAB>/dev/ttyUSB0<TAB>FTDI FT232R USB UART (0403:6001)[<TAB>in use]"
std::string PortLine(const TCommPortProbe& probe) {
  std::string line = probe.Name() + '\t' + probe.Device + '\t' + probe.Description;
  if (!probe.Openable()) line += '\t' + probe.State();
  return line + '\n';
}

}  // namespace

int PortsCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {});
  if (!arguments.Positional().empty()) throw UsageError("ports takes no files");
  TEventLoop loop;
  TSerialComms comms(&loop);
  const std::vector<TCommPortProbe> probes = ProbeCommPorts(comms, spCOM8);
  if (probes.empty()) std::cerr << "no serial ports found\n";
  std::string out;
  for (const TCommPortProbe& probe : probes) out += PortLine(probe);
  std::cout << out << std::flush;
  return 0;
}

}  // namespace trv::cli
