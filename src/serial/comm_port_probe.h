#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "serial/serial_comms.h"

namespace trv {

// A port whose device exists, and whether it could be opened.
struct TCommPortProbe {
  TCommPort Port = spCOM1;
  std::string Device;
  std::string Description;
  std::optional<TOpenFailure> Failure;  // nothing: it opened
  std::string Reason;                   // what Open raised

  bool Openable() const { return !Failure; }
  // False for a device named by hand that is not there.
  bool Exists() const { return Failure != TOpenFailure::Absent; }
  std::string Name() const { return CommPortName(Port); }
  // "in use", "no permission", "not found", "cannot be opened"; "" when it opened.
  std::string State() const;
};

// Opens and closes COM1..last in turn through `comms`, which must be closed. A port with no
// device is left out; every failure of a port is caught and kept with it.
std::vector<TCommPortProbe> ProbeCommPorts(TSerialComms& comms, TCommPort last);

// The entry to select among `probes`: the one named `selectedBefore` when it still opens, else
// the first that opens; nothing when none does.
std::optional<std::size_t> PortEntryToSelect(const std::vector<TCommPortProbe>& probes,
                                             const std::string& selectedBefore);

}  // namespace trv
