#include "model/device_types.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "model/output_word.h"

namespace trv {

namespace {

using Text = std::string_view;

constexpr Text kKP10SensorCodes[] = {"ANY", "TMP", "ION", "OPT", "MLT",
                                     "TPX", "AVS", "AVR", "LSR", "QD4"};
constexpr Text kKP10SensorNames[] = {"Any sensor", "Heat", "Ion",       "Optical", "Multi",
                                     "Tripleye",   "PEAK", "PEAK Ref.", "Laser",   "QUADRA"};

constexpr Text kKP10ModuleCodes[] = {"ANY", "MON", "MNS", "MCP", "DKM", "AUX", "ZMX",
                                     "SDR", "TxD", "CTL", "RLY", "ESM", "EST", "ESO",
                                     "ESE", "RLE", "CTE", "MRL", "IRL", "LBM"};
constexpr Text kKP10ModuleNames[] = {"Any Module",
                                     "Monitor (Short Circuit protected)",
                                     "Monitor (Not short circuit protected)",
                                     "MCP",
                                     "DKM (Short circuit protected)",
                                     "Auxiliary Input",
                                     "Zone Monitor Unit",
                                     "Sounder",
                                     "Transmission Device",
                                     "Control (monitored for open and short)",
                                     "Relay (not monitored)",
                                     "E.S. Monitor (monitored for open, short and system)",
                                     "E.S. Trigger (Not monitored)",
                                     "E.S. Output (Monitored)",
                                     "E.S. Non-Extinguishing Output (not monitored)",
                                     "Relay E.S. (not monitored)",
                                     "Control E.S. (monitored for open and short)",
                                     "Manual Release Input",
                                     "Immediate Release Input",
                                     "Loop Booster Module"};

template <std::size_t N>
constexpr std::array<Text, N + 1> WithEmptyLastEntry(const Text (&names)[N]) {
  std::array<Text, N + 1> result{};
  std::copy(std::begin(names), std::end(names), result.begin());
  return result;
}

// Model 4 with KP10 has its own copy of the KP10 lists; the module names end with an empty one.
constexpr auto kModel4KP10ModuleNames = WithEmptyLastEntry(kKP10ModuleNames);

constexpr Text kKPxKSensorCodes[] = {"ANY", "TMP", "ION", "OPT", "MLT", "AVS", "GAS", "QDR4"};
constexpr Text kKPxKSensorNames[] = {"Any sensor", "Heat", "Ion", "Optical",
                                     "Multi",      "PEAK", "GAS", "QUADRA"};

constexpr Text kKPxKModuleCodes[] = {"ANY", "SPK", "SDR", "CTL", "MON", "AUX",
                                     "ASP", "MCP", "CDI", "ZMX", "LBM"};
constexpr Text kKPxKModuleNames[] = {
    "Any module", "Sprinkler", "Bell", "Control (Monitored)", "Monitor", "Auxiliary", "Aspirator",
    "MCP",        "CDI",       "ZMX",  "Loop Booster Module"};

constexpr Text kVirtualInputCodes[] = {"ANY"};
constexpr Text kVirtualInputNames[] = {"Any input"};
constexpr Text kVirtualOutputCodes[] = {"ANY", "SDR", "CTL"};
constexpr Text kVirtualOutputNames[] = {"Any output", "Bell", "Control (Monitored)"};

constexpr Text kKP10FullList[] = {"ANY", "TMP", "OPT", "ION", "MCP", "AUX", "MON", "SDR",
                                  "RLY", "CTL", "ZMX", "MLT", "AVS", "AVR", "ESM", "EST",
                                  "DKM", "MRL", "IRL", "ESO", "MNS", "TPX", "LSR", "TxD",
                                  "ESE", "RLE", "CTE", "LBM", "QD4"};
constexpr Text kKPxKFullList[] = {"ANY", "TMP", "ION", "OPT", " - ", "MCP", "CTL",
                                  "MON", "SPK", "AVS", "CDI", "SDR", "AUX", "ZMX",
                                  "MLT", "ASP", " - ", "GAS", "LBM", "QDR4"};

const DeviceTypeList kKP10Sensors{kKP10SensorCodes, kKP10SensorNames};
const DeviceTypeList kKP10Modules{kKP10ModuleCodes, kKP10ModuleNames};
const DeviceTypeList kKPxKSensors{kKPxKSensorCodes, kKPxKSensorNames};
const DeviceTypeList kKPxKModules{kKPxKModuleCodes, kKPxKModuleNames};
const DeviceTypeList kVirtualInputs{kVirtualInputCodes, kVirtualInputNames};
const DeviceTypeList kVirtualOutputs{kVirtualOutputCodes, kVirtualOutputNames};
const DeviceTypeList kModel4KP10Sensors{kKP10SensorCodes, kKP10SensorNames};
const DeviceTypeList kModel4KP10Modules{kKP10ModuleCodes, kModel4KP10ModuleNames};

// Position of code in codes, -1 when it is not there.
int PositionOf(std::span<const Text> codes, Text code) {
  const auto found = std::find(codes.begin(), codes.end(), code);
  return found == codes.end() ? -1 : static_cast<int>(found - codes.begin());
}

bool IsPositionOf(std::span<const Text> list, int position) {
  return position >= 0 && static_cast<std::size_t>(position) < list.size();
}

// The entry at position of a list; empty when there is none.
Text TextAt(std::span<const Text> list, int position) {
  return IsPositionOf(list, position) ? list[static_cast<std::size_t>(position)] : Text();
}

int ModuleOffset(bool module) {
  return module ? kModuleTypeOffset : 0;
}

bool ShowsModel4Copy(const DeviceListChoice& choice) {
  return !choice.VirtualLoop && IsSlimlineModel(choice.ModelIndex) &&
         FamilyOfSystem(choice.SystemIndex) == DeviceFamily::KP10;
}

// Whether the shown list is a stand-in whose codes are looked up in the family's list.
bool ShowsStandInList(const DeviceListChoice& choice) {
  return choice.VirtualLoop || ShowsModel4Copy(choice);
}

const DeviceTypeList& ChoiceFamilyList(const DeviceListChoice& choice) {
  return FamilyDeviceTypeList(FamilyOfSystem(choice.SystemIndex), choice.Module);
}

// The index into the family's short list that position p of the shown list stands for.
int FamilyIndexOfListPosition(const DeviceListChoice& choice, int position) {
  const DeviceTypeList& shown = ShownDeviceTypeList(choice);
  if (!ShowsStandInList(choice)) return IsPositionOf(shown.Names, position) ? position : -1;
  const Text code = TextAt(shown.Codes, position);
  return code.empty() ? -1 : PositionOf(ChoiceFamilyList(choice).Codes, code);
}

}  // namespace

DeviceFamily FamilyOfSystem(int systemIndex) {
  return systemIndex == 0 ? DeviceFamily::KP10 : DeviceFamily::KPxK;
}

const DeviceTypeList& FamilyDeviceTypeList(DeviceFamily family, bool module) {
  if (family == DeviceFamily::KP10) return module ? kKP10Modules : kKP10Sensors;
  return module ? kKPxKModules : kKPxKSensors;
}

const DeviceTypeList& VirtualLoopList(bool module) {
  return module ? kVirtualOutputs : kVirtualInputs;
}

const DeviceTypeList& Model4KP10List(bool module) {
  return module ? kModel4KP10Modules : kModel4KP10Sensors;
}

std::span<const std::string_view> FullDeviceTypeList(DeviceFamily family) {
  if (family == DeviceFamily::KP10) return kKP10FullList;
  return kKPxKFullList;
}

const DeviceTypeList& ShownDeviceTypeList(const DeviceListChoice& choice) {
  if (choice.VirtualLoop) return VirtualLoopList(choice.Module);
  if (ShowsModel4Copy(choice)) return Model4KP10List(choice.Module);
  return ChoiceFamilyList(choice);
}

int DeviceTypeFromListPosition(const DeviceListChoice& choice, int position) {
  return FamilyIndexOfListPosition(choice, position) + ModuleOffset(choice.Module);
}

int ListPositionOfDeviceType(const DeviceListChoice& choice, int deviceType) {
  const int index = deviceType - ModuleOffset(choice.Module);
  const DeviceTypeList& family = ChoiceFamilyList(choice);
  if (!IsPositionOf(family.Codes, index)) return 0;
  if (!ShowsStandInList(choice)) return index;
  return std::max(0, PositionOf(ShownDeviceTypeList(choice).Codes, TextAt(family.Codes, index)));
}

std::string_view DeviceTypeLongName(int systemIndex, int deviceType) {
  if (deviceType < 0) return {};
  const DeviceTypeList& list =
      FamilyDeviceTypeList(FamilyOfSystem(systemIndex), IsModuleType(deviceType));
  return TextAt(list.Names, deviceType % kModuleTypeOffset);
}

int PanelTypeNumber(int systemIndex, int deviceType) {
  const DeviceFamily family = FamilyOfSystem(systemIndex);
  const bool module = IsModuleType(deviceType);
  const Text code =
      TextAt(FamilyDeviceTypeList(family, module).Codes, deviceType - ModuleOffset(module));
  return code.empty() ? 0 : std::max(0, PositionOf(FullDeviceTypeList(family), code));
}

int DeviceTypeOfPanelTypeNumber(int systemIndex, int typeNumber) {
  const DeviceFamily family = FamilyOfSystem(systemIndex);
  const Text code = TextAt(FullDeviceTypeList(family), typeNumber);
  if (code.empty()) return 0;
  for (const bool module : {false, true}) {
    const int index = PositionOf(FamilyDeviceTypeList(family, module).Codes, code);
    if (index >= 0) return index + ModuleOffset(module);
  }
  return 0;
}

}  // namespace trv
