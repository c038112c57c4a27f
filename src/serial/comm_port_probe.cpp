#include "serial/comm_port_probe.h"

#include <algorithm>

#include "serial/port_discovery.h"

namespace trv {
namespace {

// Opens and closes the port; the reason it would not, when it would not.
void Probe(TSerialComms& comms, TCommPortProbe& probe) {
  try {
    comms.SetCommPort(probe.Port);
    comms.Open();
    comms.Close();
  } catch (const ESerialOpenError& error) {
    probe.Failure = error.Failure();
    probe.Reason = error.what();
  } catch (const ESerialError& error) {
    probe.Failure = TOpenFailure::Unusable;
    probe.Reason = error.what();
  }
}

}  // namespace

std::string TCommPortProbe::State() const {
  if (!Failure) return "";
  switch (*Failure) {
    case TOpenFailure::Absent:
      return "not found";
    case TOpenFailure::NoPermission:
      return "no permission";
    case TOpenFailure::InUse:
      return "in use";
    case TOpenFailure::Unusable:
      break;
  }
  return "cannot be opened";
}

std::vector<TCommPortProbe> ProbeCommPorts(TSerialComms& comms, TCommPort last) {
  std::vector<TCommPortProbe> probes;
  for (int port = spCOM1; port <= last; ++port) {
    const auto device = CommPortDevice(static_cast<TCommPort>(port));
    if (!device) continue;
    TCommPortProbe probe;
    probe.Port = static_cast<TCommPort>(port);
    probe.Device = device->DevicePath;
    probe.Description = device->Description();
    Probe(comms, probe);
    probes.push_back(std::move(probe));
  }
  return probes;
}

std::optional<std::size_t> PortEntryToSelect(const std::vector<TCommPortProbe>& probes,
                                             const std::string& selectedBefore) {
  const auto before = std::find_if(probes.begin(), probes.end(), [&](const TCommPortProbe& p) {
    return p.Openable() && p.Name() == selectedBefore;
  });
  const auto chosen = before != probes.end()
                          ? before
                          : std::find_if(probes.begin(), probes.end(),
                                         [](const TCommPortProbe& p) { return p.Openable(); });
  if (chosen == probes.end()) return std::nullopt;
  return static_cast<std::size_t>(chosen - probes.begin());
}

}  // namespace trv
