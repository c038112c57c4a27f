#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/program_version.h"
#include "model/relay_links.h"
#include "model/workbook.h"

namespace trv {

// The full model list: ModelIndex is a position in it.
inline constexpr std::array<std::string_view, 5> kControllerModels{"TRV-M", "TRV-2A", "TRV-2P",
                                                                   "TRV-6A", "Slimline Mimic"};
// What the model combo box offers, in its order.
inline constexpr std::array<std::string_view, 2> kAvailableControllerModels{"TRV-M",
                                                                            "Slimline Mimic"};
// The host systems by SystemIndex (their flags come with HostSystemLimitsOf).
inline constexpr std::array<std::string_view, 3> kHostSystems{"KP10", "KP4000", "KP6000"};

// The position of a model name in the full list, -1 for none.
int ModelIndexOfName(std::string_view name);
// True when the model combo box offers the model at this full-list index.
bool IsAvailableModel(int modelIndex);
// 8 boards, 10 for model 4.
int MaxBoardsInstalled(int modelIndex);

inline constexpr std::uint8_t kAddressModeDipSwitches = 1;
inline constexpr std::uint8_t kAddressModeSoft = 2;

inline constexpr std::int8_t kZoneModeLocal = 1;
inline constexpr std::int8_t kZoneModeNetworkVds = 2;
inline constexpr std::int8_t kZoneModeNetwork = 3;
inline constexpr std::int8_t kZoneModeLocalVds = 4;

// ZoneMode from the zone type and VdS controls, and back: any value but 2 and 3 means local.
std::int8_t ZoneModeOf(bool networkZones, bool vds);
bool IsVdsZoneMode(int zoneMode);
bool IsNetworkZoneMode(int zoneMode);

// The settings of the controller, with the defaults of File New. UnitName starts as the
// configuration's DefaultBaseName.
struct ControllerSettings {
  int ModelIndex = 0;
  std::int8_t SystemIndex = 2;
  std::int32_t SoftAddress = 0;  // 0..31, 0..125 when NetworkFitted; 0 = listen only
  std::uint8_t AddressMode = kAddressModeDipSwitches;
  std::string UnitName;
  std::int8_t BuzzerMode = 1;  // 0 "Disabled", 1 "Local Mute ", 2 "Global Mute"
  std::int8_t SettingsMarker = 1;
  std::uint8_t ResoundOnNewAlarm = 0;
  std::int8_t AccessLevel = 0;  // 0 "Access Level 1", 1 "Access Level 2"
  std::uint8_t BuzzerDisplayedEventsOnly = 0;
  std::int32_t BuzzerDisableInterval = 2;   // minutes, 2..120
  std::int32_t MutedTechAlarmInterval = 2;  // minutes, 2..120
  int BoardsInstalled = 8;                  // 1..8, model 4: 1..10
  std::int8_t ZoneMode = kZoneModeLocal;
  trv::RelayLinks RelayLinks{};
  trv::RcuRelayLinks RcuRelayLinks{};
  std::uint8_t NetworkFitted = 0;

  bool operator==(const ControllerSettings&) const = default;
};

// The settings sheet (sheet 1), written and read on that sheet whatever sheet is selected.

// The cells the controller page writes as soon as its control changes.
void WriteModelIndexCell(Workbook& book, int modelIndex);
void WriteSystemIndexCell(Workbook& book, int systemIndex);
void WriteUnitNameCell(Workbook& book, const std::string& unitName);

// The cells written when the workbook is set up: model, system, the constants at 5,1 and 7,1,
// unit name, settings marker and rule count.
void WriteSetUpSettingsCells(Workbook& book, const ControllerSettings& settings,
                             std::int32_t ruleCount);
// Every settings cell, as a save writes them, with the first three version numbers at 1,1..1,3.
void WriteSettingsSheet(Workbook& book, const ControllerSettings& settings, std::int32_t ruleCount,
                        const ProgramVersion& version);

// The settings in the sheet, numbers read by truncation. A cell whose value is not one the field
// can hold (a model the combo box does not offer, an address out of range, an empty unit name)
// leaves the field as it was in previous; so does a row 9 without a board flag of 0.
ControllerSettings ReadSettingsSheet(const Workbook& book, const ControllerSettings& previous);
// The version numbers stored at 1,1 / 1,2 / 1,3.
std::array<std::int32_t, 3> ReadSettingsSheetVersion(const Workbook& book);
// The rule count at 13,1, within 0..65535 so that the row after the last rule exists.
std::int32_t ReadRuleCount(const Workbook& book);

}  // namespace trv
