#pragma once

#include <span>
#include <string_view>

namespace trv {

// KP10 is the small panel family; KP4000 and KP6000 form the large one (KPxK).
enum class DeviceFamily { KP10, KPxK };

// KP10 for SystemIndex 0, KPxK for any other.
DeviceFamily FamilyOfSystem(int systemIndex);

// A DeviceType is an index into the family's sensor short list, or this plus an index into its
// module short list.
inline constexpr int kModuleTypeOffset = 256;

inline bool IsModuleType(int deviceType) {
  return deviceType >= kModuleTypeOffset;
}

// Short codes and long names in the same positions. Names may be longer than Codes: the
// model-4 copy of the KP10 modules ends with an empty name that has no code.
struct DeviceTypeList {
  std::span<const std::string_view> Codes;
  std::span<const std::string_view> Names;
};

const DeviceTypeList& FamilyDeviceTypeList(DeviceFamily family, bool module);
const DeviceTypeList& VirtualLoopList(bool module);  // inputs for sensors, outputs for modules
const DeviceTypeList& Model4KP10List(bool module);

// The panel's own numbering of device types: the position in this list is its type number.
std::span<const std::string_view> FullDeviceTypeList(DeviceFamily family);

// The state of the event page that decides which device type list is shown.
struct DeviceListChoice {
  int ModelIndex = 0;
  int SystemIndex = 2;
  bool Module = false;
  bool VirtualLoop = false;
};

const DeviceTypeList& ShownDeviceTypeList(const DeviceListChoice& choice);

// The DeviceType of position p of the shown list; a position whose code the family does not
// know gives -1, plus the module offset for a module.
int DeviceTypeFromListPosition(const DeviceListChoice& choice, int position);

// The position of the shown list that stands for deviceType (choice.Module set when it is a
// module type); the first entry when there is none.
int ListPositionOfDeviceType(const DeviceListChoice& choice, int deviceType);

// The long name for the rule text: position (DeviceType mod 256) of the family's sensor or
// module names; empty when there is none.
std::string_view DeviceTypeLongName(int systemIndex, int deviceType);

// DeviceType to the panel's type number and back; 0 for a type or number found nowhere. The
// reverse tries the sensor list first, so the module "ANY" comes back as the sensor "ANY".
int PanelTypeNumber(int systemIndex, int deviceType);
int DeviceTypeOfPanelTypeNumber(int systemIndex, int typeNumber);

}  // namespace trv
