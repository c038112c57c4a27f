#include "model/controller_settings.h"

#include <algorithm>

#include "model/host_system_limits.h"
#include "model/output_word.h"

namespace trv {

namespace {

// Cells of the settings sheet.
constexpr CellRef kVersionCell{1, 1};  // and the two cells to its right
constexpr CellRef kModelCell{2, 1};
constexpr CellRef kSystemCell{3, 1};
constexpr CellRef kSoftAddressCell{4, 1};
constexpr CellRef kAddressModeCell{4, 2};
constexpr CellRef kZeroCell{5, 1};
constexpr CellRef kUnitNameCell{6, 1};
constexpr CellRef kEmptyTextCell{7, 1};
constexpr CellRef kBuzzerModeCell{8, 1};
constexpr CellRef kSettingsMarkerCell{8, 2};
constexpr CellRef kResoundCell{8, 3};
constexpr CellRef kAccessLevelCell{8, 4};
constexpr CellRef kDisplayedEventsOnlyCell{8, 5};
constexpr CellRef kBuzzerDisableCell{8, 6};
constexpr CellRef kMutedTechAlarmCell{8, 7};
constexpr int kBoardsRow = 9;
constexpr CellRef kZoneModeCell{10, 1};
constexpr int kRelayLinksRow = 11;  // RelayLinks from column 1, then RcuRelayLinks
constexpr CellRef kNetworkFittedCell{12, 1};
constexpr CellRef kRuleCountCell{13, 1};

constexpr std::int32_t kMinInterval = 2;
constexpr std::int32_t kMaxInterval = 120;
constexpr std::int32_t kMaxAddress = 31;
constexpr std::int32_t kMaxNetworkAddress = 125;

void Put(Workbook& book, CellRef cell, double value) {
  book.SetNumber(kSettingsSheet, cell.Row, cell.Column, value);
}

template <typename Links>
void PutLinks(Workbook& book, const Links& links, int firstColumn) {
  for (std::size_t index = 0; index < links.size(); ++index) {
    book.SetNumber(kSettingsSheet, kRelayLinksRow, firstColumn + static_cast<int>(index),
                   links[index] != 0 ? 1.0 : 0.0);
  }
}

// Reads settings cells by truncation and keeps the previous value of a field for a value the
// field cannot hold.
class SettingsReader {
 public:
  explicit SettingsReader(const Workbook& book) : FBook(book) {}

  std::int32_t Value(CellRef cell) const {
    return FBook.Integer(kSettingsSheet, cell.Row, cell.Column);
  }

  template <typename Field>
  Field InRange(CellRef cell, std::int32_t first, std::int32_t last, Field previous) const {
    const std::int32_t value = Value(cell);
    return value >= first && value <= last ? static_cast<Field>(value) : previous;
  }

  int Model(int previous) const {
    const std::int32_t value = Value(kModelCell);
    return IsAvailableModel(value) ? value : previous;
  }

  std::string UnitName(const std::string& previous) const {
    std::string name = FBook.Text(kSettingsSheet, kUnitNameCell.Row, kUnitNameCell.Column);
    return name.empty() ? previous : name;
  }

  bool NonZero(CellRef cell) const {
    return FBook.Number(kSettingsSheet, cell.Row, cell.Column) != 0.0;
  }

  template <typename Links>
  Links RelayLinks(int firstColumn) const {
    Links links{};
    for (std::size_t index = 0; index < links.size(); ++index) {
      links[index] = NonZero({kRelayLinksRow, firstColumn + static_cast<int>(index)}) ? 1 : 0;
    }
    return links;
  }

  // The highest board whose flag is 0; cells above BoardsInstalled hold 1.
  int Boards(int modelIndex, int previous) const {
    const int maxBoards = MaxBoardsInstalled(modelIndex);
    for (int board = maxBoards; board >= 1; --board) {
      if (Value({kBoardsRow, board}) == 0) return board;
    }
    return std::min(previous, maxBoards);
  }

 private:
  const Workbook& FBook;
};

}  // namespace

int ModelIndexOfName(std::string_view name) {
  const auto found = std::find(kControllerModels.begin(), kControllerModels.end(), name);
  return found == kControllerModels.end() ? -1
                                          : static_cast<int>(found - kControllerModels.begin());
}

bool IsAvailableModel(int modelIndex) {
  if (modelIndex < 0 || modelIndex >= static_cast<int>(kControllerModels.size())) return false;
  return std::find(kAvailableControllerModels.begin(), kAvailableControllerModels.end(),
                   kControllerModels[modelIndex]) != kAvailableControllerModels.end();
}

int MaxBoardsInstalled(int modelIndex) {
  return OutputLimitsOf(modelIndex).TerminationBoardMax;
}

std::int8_t ZoneModeOf(bool networkZones, bool vds) {
  if (networkZones) return vds ? kZoneModeNetworkVds : kZoneModeNetwork;
  return vds ? kZoneModeLocalVds : kZoneModeLocal;
}

bool IsVdsZoneMode(int zoneMode) {
  return zoneMode == kZoneModeNetworkVds || zoneMode == kZoneModeLocalVds;
}

bool IsNetworkZoneMode(int zoneMode) {
  return zoneMode == kZoneModeNetworkVds || zoneMode == kZoneModeNetwork;
}

void WriteModelIndexCell(Workbook& book, int modelIndex) {
  Put(book, kModelCell, modelIndex);
}

void WriteSystemIndexCell(Workbook& book, int systemIndex) {
  Put(book, kSystemCell, systemIndex);
}

void WriteUnitNameCell(Workbook& book, const std::string& unitName) {
  book.SetText(kSettingsSheet, kUnitNameCell.Row, kUnitNameCell.Column, unitName);
}

void WriteSetUpSettingsCells(Workbook& book, const ControllerSettings& settings,
                             std::int32_t ruleCount) {
  WriteModelIndexCell(book, settings.ModelIndex);
  WriteSystemIndexCell(book, settings.SystemIndex);
  Put(book, kZeroCell, 0);
  WriteUnitNameCell(book, settings.UnitName);
  book.SetText(kSettingsSheet, kEmptyTextCell.Row, kEmptyTextCell.Column, "");
  Put(book, kSettingsMarkerCell, settings.SettingsMarker);
  Put(book, kRuleCountCell, ruleCount);
}

void WriteSettingsSheet(Workbook& book, const ControllerSettings& settings, std::int32_t ruleCount,
                        const ProgramVersion& version) {
  for (int part = 0; part < 3; ++part) {
    Put(book, {kVersionCell.Row, kVersionCell.Column + part}, version.Numbers[part]);
  }
  WriteSetUpSettingsCells(book, settings, ruleCount);
  Put(book, kSoftAddressCell, settings.SoftAddress);
  Put(book, kAddressModeCell, settings.AddressMode);
  Put(book, kBuzzerModeCell, settings.BuzzerMode);
  Put(book, kResoundCell, settings.ResoundOnNewAlarm);
  Put(book, kAccessLevelCell, settings.AccessLevel);
  Put(book, kDisplayedEventsOnlyCell, settings.BuzzerDisplayedEventsOnly);
  Put(book, kBuzzerDisableCell, settings.BuzzerDisableInterval);
  Put(book, kMutedTechAlarmCell, settings.MutedTechAlarmInterval);
  for (int board = 1; board <= MaxBoardsInstalled(settings.ModelIndex); ++board) {
    Put(book, {kBoardsRow, board}, settings.BoardsInstalled < board ? 1 : 0);
  }
  Put(book, kZoneModeCell, settings.ZoneMode);
  PutLinks(book, settings.RelayLinks, 1);
  PutLinks(book, settings.RcuRelayLinks, 1 + static_cast<int>(settings.RelayLinks.size()));
  Put(book, kNetworkFittedCell, settings.NetworkFitted);
}

ControllerSettings ReadSettingsSheet(const Workbook& book, const ControllerSettings& previous) {
  const SettingsReader read(book);
  ControllerSettings settings = previous;
  settings.ModelIndex = read.Model(previous.ModelIndex);
  settings.SystemIndex =
      read.InRange(kSystemCell, kSystemKP10, kSystemKP6000, previous.SystemIndex);
  settings.NetworkFitted = read.NonZero(kNetworkFittedCell) ? 1 : 0;
  settings.SoftAddress = read.InRange(
      kSoftAddressCell, 0, settings.NetworkFitted != 0 ? kMaxNetworkAddress : kMaxAddress,
      previous.SoftAddress);
  settings.AddressMode = read.Value(kAddressModeCell) == kAddressModeDipSwitches
                             ? kAddressModeDipSwitches
                             : kAddressModeSoft;
  settings.UnitName = read.UnitName(previous.UnitName);
  settings.ZoneMode =
      read.InRange(kZoneModeCell, kZoneModeLocal, kZoneModeLocalVds, previous.ZoneMode);
  settings.RelayLinks = read.RelayLinks<trv::RelayLinks>(1);
  settings.RcuRelayLinks =
      read.RelayLinks<trv::RcuRelayLinks>(1 + static_cast<int>(settings.RelayLinks.size()));
  settings.BuzzerMode = read.InRange(kBuzzerModeCell, 0, 2, previous.BuzzerMode);
  settings.AccessLevel = read.InRange(kAccessLevelCell, 0, 1, previous.AccessLevel);
  settings.ResoundOnNewAlarm = read.InRange(kResoundCell, 0, 1, previous.ResoundOnNewAlarm);
  settings.BuzzerDisplayedEventsOnly =
      read.InRange(kDisplayedEventsOnlyCell, 0, 1, previous.BuzzerDisplayedEventsOnly);
  settings.BuzzerDisableInterval =
      read.InRange(kBuzzerDisableCell, kMinInterval, kMaxInterval, previous.BuzzerDisableInterval);
  settings.MutedTechAlarmInterval = read.InRange(kMutedTechAlarmCell, kMinInterval, kMaxInterval,
                                                 previous.MutedTechAlarmInterval);
  settings.SettingsMarker = read.InRange(kSettingsMarkerCell, 1, 1, previous.SettingsMarker);
  settings.BoardsInstalled = read.Boards(settings.ModelIndex, previous.BoardsInstalled);
  return settings;
}

std::array<std::int32_t, 3> ReadSettingsSheetVersion(const Workbook& book) {
  std::array<std::int32_t, 3> version{};
  for (int part = 0; part < 3; ++part) {
    version[part] = book.Integer(kSettingsSheet, kVersionCell.Row, kVersionCell.Column + part);
  }
  return version;
}

std::int32_t ReadRuleCount(const Workbook& book) {
  return std::clamp(book.Integer(kSettingsSheet, kRuleCountCell.Row, kRuleCountCell.Column), 0,
                    kMaxRows - 1);
}

}  // namespace trv
