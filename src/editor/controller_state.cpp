#include "editor/controller_state.h"

#include <algorithm>

#include "editor/rule_list_commands.h"
#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

constexpr std::int32_t kMinBuzzerInterval = 2;  // also the value the refresh puts back
constexpr std::int32_t kMaxBuzzerInterval = 120;

int AvailableModelPosition(int modelIndex) {
  const auto found = std::find(kAvailableControllerModels.begin(), kAvailableControllerModels.end(),
                               kControllerModels.at(modelIndex));
  return static_cast<int>(found - kAvailableControllerModels.begin());
}

}  // namespace

TControllerState::TControllerState(Configuration& configuration, TEditorState& editor,
                                   TRuleListCommands& ruleList, UserQueries& queries)
    : FConfiguration(configuration), FEditor(editor), FRuleList(ruleList), FQueries(&queries) {
  for (NumberField* interval : {&BuzzerDisable, &MutedTechAlarmInterval}) {
    interval->SetLimits({kMinBuzzerInterval, kMaxBuzzerInterval, kMinBuzzerInterval});
  }
  Boards.SetMin(1);
  Boards.SetMax(MaxBoardsInstalled(ModelIndex()));
  Boards.SetValue(Boards.Max());
  ShowControlsOfModel();
}

bool TControllerState::Slimline() const {
  return IsSlimlineModel(ModelIndex());
}

// The handlers run by the refresh leave Modified as the refresh found it: a refresh is no change
// of the user's.
void TControllerState::EditorRefresh(bool keepPages, bool systemChange) {
  const bool modified = FConfiguration.Modified;
  const EventTab eventTab = FEditor.Event.Tab;
  System.Choice.Index = Settings().SystemIndex;
  Vds.Enabled = true;
  KPNet.Enabled = !Slimline();
  if (!systemChange) ShowStoredNetworkOptions();
  ShowZoneTypesOfSystem();
  Model.Enabled = Model.Choice.Items.size() > 1;
  System.Enabled = Buzzer.Enabled = SetControllerEnabled = true;
  Model.Choice.Index = AvailableModelPosition(ModelIndex());
  ShowControlsOfModel();
  if (!systemChange) ShowStoredAddressMode();
  UnitEdit = Settings().UnitName;
  ShowStoredBuzzerOptions();
  SetBoardsMaximum(systemChange);
  ApplyAddressLimits();
  BoardInstallationVisible = true;
  RulePagesShown = !System.Enabled;
  FEditor.RefreshRulePages(keepPages);
  CapOutputBoards();
  // The remembered tab again, with the device types and events it offers.
  if (keepPages) FEditor.Event.SwitchTab(eventTab);
  FConfiguration.Modified = modified;
}

// After File New or Open the boxes show the settings, not what was clicked before.
void TControllerState::ShowStoredNetworkOptions() {
  Vds.Checked = false;
  KPNet.Checked = Settings().NetworkFitted != 0;
  ZoneType.Check(IsNetworkZoneMode(Settings().ZoneMode) ? kNetworkZones : kLocalZones);
}

void TControllerState::ShowZoneTypesOfSystem() {
  const bool networkZones =
      HostSystemLimitsOf(Settings().SystemIndex, {.ModelIndex = ModelIndex()}).NetworkZonePage;
  ZoneType.SetEnabled(kLocalZones, true);
  ZoneType.SetEnabled(kNetworkZones, networkZones);
  if (!networkZones) ZoneType.Check(kLocalZones);
}

void TControllerState::ShowControlsOfModel() {
  const bool slimline = Slimline();
  RelayLinks.SlimlineGroupVisible = slimline;
  BuzzerControl.Visible = slimline;
  Mute.Visible = slimline;
}

void TControllerState::ShowStoredAddressMode() {
  const bool soft = Settings().SoftAddress != 0;
  if (soft) Address.SetValue(Settings().SoftAddress);
  ShowAddressMode(soft ? kSoftAddress : kDipSwitches);
}

// Soft address: the field is editable and 0 means the controller only listens.
void TControllerState::ShowAddressMode(int position) {
  AddressMode.Check(position);
  const bool soft = position == kSoftAddress;
  Settings().AddressMode = soft ? kAddressModeSoft : kAddressModeDipSwitches;
  Address.SetEnabled(soft);
  ListenOnlyVisible = soft && Address.Value() == 0;
}

void TControllerState::ShowStoredBuzzerOptions() {
  ControllerBuzzerChange(Settings().BuzzerMode);
  BuzzerSoundCheckBoxClick(false);
  BuzzerControlCheckBoxClick(false);
  BuzzerDisableCSpinEdit1Change(kMinBuzzerInterval);
  MutedTechAlarmIntervalCSpinEdit1Change(kMinBuzzerInterval);
  ControllerMuteComboBoxChange(Settings().AccessLevel);
}

// A system change keeps fewer boards than the old maximum; otherwise all boards are installed.
void TControllerState::SetBoardsMaximum(bool systemChange) {
  const std::int32_t oldMax = Boards.Max();
  Boards.SetMax(MaxBoardsInstalled(ModelIndex()));
  if (!systemChange || Boards.Value() >= oldMax) Boards.SetValue(Boards.Max());
  ControllerBoardCSpinEditChange(Boards.Value());
}

void TControllerState::ApplyAddressLimits() {
  const LimitsEntry entry = FEditor.CurrentLimitsEntry(lfControllerAddress);
  const std::optional<int> checked = AddressMode.ApplyLimits(entry);
  Address.SetLimits(entry.Limits);
  if (checked) ShowAddressMode(*checked);
  ControllerAddressChange(Address.Value());
}

// The output group's board fields stop at the last installed board.
void TControllerState::CapOutputBoards() {
  FEditor.Output.TerminationBoard.SetMax(Boards.Value());
  FEditor.Output.DriverBoard.SetMax(Boards.Value());
  FEditor.OutputDisplay();
}

void TControllerState::ControllerModelChange(int index) {
  Modify();
  Model.Choice.Index = index;
  Settings().ModelIndex = ModelIndexOfName(kAvailableControllerModels.at(index));
  WriteModelIndexCell(FConfiguration.MimicBook, ModelIndex());
  ControllerSystemChange(System.Choice.Index);
}

void TControllerState::ControllerSystemChange(int systemIndex) {
  if (!System.Enabled) return;
  System.Choice.Index = systemIndex;
  ChangeSystem();
}

void TControllerState::VdSCheckBoxClick(bool checked) {
  if (!Vds.Enabled) return;
  Vds.Checked = checked;
  ChangeSystem();
}

void TControllerState::KPNetCheckBoxClick(bool checked) {
  if (!KPNet.Enabled) return;
  KPNet.Checked = checked;
  ChangeSystem();
}

void TControllerState::LocalZoneRadioButtonClick() {
  if (!ZoneType.Member(kLocalZones).Enabled) return;
  ZoneType.Check(kLocalZones);
  ChangeSystem();
}

void TControllerState::NetworkZoneRadioButtonClick() {
  if (!ZoneType.Member(kNetworkZones).Enabled) return;
  ZoneType.Check(kNetworkZones);
  ChangeSystem();
}

void TControllerState::ChangeSystem() {
  Modify();
  RefuseSystemBelowRequired();
  Settings().SystemIndex = static_cast<std::int8_t>(System.Choice.Index);
  WriteSystemIndexCell(FConfiguration.MimicBook, Settings().SystemIndex);
  const HostSystemLimits limits =
      HostSystemLimitsOf(Settings().SystemIndex, {.ModelIndex = ModelIndex()});
  Settings().NetworkFitted = KPNet.Checked && limits.NetworkAllowed ? 1 : 0;
  ShowControlsOfModel();
  EditorRefresh(false, true);
  Vds.Enabled = limits.VdsAllowed;
  Vds.Checked = Vds.Checked && Vds.Enabled;
  KPNet.Enabled = limits.NetworkAllowed;
  KPNet.Checked = KPNet.Checked && KPNet.Enabled;
}

// The rules set so far need at least RequiredSystem: a lower system is refused.
void TControllerState::RefuseSystemBelowRequired() {
  const int required = FConfiguration.RequiredSystem;
  if (System.Choice.Index >= required) return;
  FQueries->Message(std::string(kHostSystems.at(System.Choice.Index)) + " " +
                        ActiveText(string_id::kSystemUnavailable),
                    ActiveText(string_id::kWarning), MessageButtons::Ok, MessageIcon::Warning);
  System.Choice.Index = required;
}

void TControllerState::ShowRequiredSystem(int requiredSystem) {
  if (System.Choice.Index >= requiredSystem) return;
  System.Choice.Index = requiredSystem;
  Settings().SystemIndex = static_cast<std::int8_t>(requiredSystem);
}

void TControllerState::ControllerAddressDIPClick(bool checked) {
  Modify();
  AddressMode.Click(kDipSwitches, checked);
  ShowAddressMode(*AddressMode.CheckedPosition());
}

void TControllerState::ControllerAddressSoftClick(bool checked) {
  Modify();
  AddressMode.Click(kSoftAddress, checked);
  ShowAddressMode(*AddressMode.CheckedPosition());
}

void TControllerState::ControllerAddressChange(std::int32_t value) {
  Modify();
  Address.SetValue(value);
  Settings().SoftAddress = Address.Value();
  ListenOnlyVisible = AddressMode.Checked(kSoftAddress) && Address.Value() == 0;
}

void TControllerState::ControllerUnitEditChange(const std::string& text) {
  Modify();
  UnitEdit = text;
}

void TControllerState::ControllerUnitEditExit() {
  const std::string& unitName = Settings().UnitName;
  if (UnitEdit.empty()) {
    UnitEdit = unitName;
    FQueries->Message(FormatText(ActiveText(string_id::kEmptyUnitName), unitName),
                      ActiveText(string_id::kWarning), MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  Settings().UnitName = UnitEdit;
  WriteUnitNameCell(FConfiguration.MimicBook, UnitEdit);
  Modify();
}

void TControllerState::ControllerBuzzerChange(int index) {
  Modify();
  Buzzer.Choice.Index = index;
  Settings().BuzzerMode = static_cast<std::int8_t>(index);
  BuzzerOptionsVisible = index != 0;  // 0 "Disabled"
}

void TControllerState::ControllerMuteComboBoxChange(int index) {
  Modify();
  Mute.Choice.Index = index;
  Settings().AccessLevel = static_cast<std::int8_t>(index);
}

void TControllerState::BuzzerSoundCheckBoxClick(bool checked) {
  Modify();
  BuzzerSound.Checked = checked;
  Settings().ResoundOnNewAlarm = checked ? 1 : 0;
}

void TControllerState::BuzzerControlCheckBoxClick(bool checked) {
  Modify();
  BuzzerControl.Checked = checked;
  Settings().BuzzerDisplayedEventsOnly = checked ? 1 : 0;
}

void TControllerState::BuzzerDisableCSpinEdit1Change(std::int32_t value) {
  Modify();
  BuzzerDisable.SetValue(value);
  Settings().BuzzerDisableInterval = BuzzerDisable.Value();
}

void TControllerState::MutedTechAlarmIntervalCSpinEdit1Change(std::int32_t value) {
  Modify();
  MutedTechAlarmInterval.SetValue(value);
  Settings().MutedTechAlarmInterval = MutedTechAlarmInterval.Value();
}

void TControllerState::ControllerBoardCSpinEditChange(std::int32_t value) {
  Modify();
  Boards.SetValue(value);
  Settings().BoardsInstalled = Boards.Value();
  RelayLinks.Tabs = Boards.Value();
  tbcRelayDrivingLinksChange(std::min(RelayLinks.SelectedTab, RelayLinks.Tabs - 1));
  CapOutputBoards();
}

std::uint8_t* TControllerState::RelayLinkOfBox(int box) {
  const int board = RelayLinks.SelectedTab;
  if (Slimline()) return &Settings().RcuRelayLinks.at(RcuRelayLinkIndex(board, box));
  if (box >= kRelayLinkBanks * kRelayLinkGroups) return nullptr;
  return &Settings().RelayLinks.at(
      RelayLinkIndex(board, box / kRelayLinkGroups, box % kRelayLinkGroups));
}

void TControllerState::tbcRelayDrivingLinksChange(int tab) {
  RelayLinks.SelectedTab = tab;
  for (int box = 0; box < RelayLinkBoardState::kBoxes; ++box) {
    const std::uint8_t* link = RelayLinkOfBox(box);
    RelayLinks.Fitted[box] = link && *link != 0;
  }
  const int boardType = tab == 0 ? string_id::kMainBoard : string_id::kExpansionBoard;
  RelayLinks.BoardTypeLabel = Slimline() ? ActiveText(boardType) : std::string();
}

void TControllerState::ControllerRelayLinkCheckBoxClick(int box, bool checked) {
  if (FConfiguration.LinkWarningPending) {
    FConfiguration.LinkWarningPending = false;
    FQueries->Message(ActiveText(string_id::kRelayLinkWarning), ActiveText(string_id::kWarning),
                      MessageButtons::Ok, MessageIcon::Warning);
  }
  Modify();
  RelayLinks.Fitted.at(box) = checked;
  if (std::uint8_t* link = RelayLinkOfBox(box)) *link = checked ? 1 : 0;
  if (FConfiguration.SettingsLocked) SteadyRulesOnFittedLinks();
  FEditor.OutputDisplay();
}

// An LED output whose link is now fitted drives a relay, which is never flashed.
void TControllerState::SteadyRulesOnFittedLinks() {
  const RelayLinkTest links(Settings().RelayLinks, Settings().RcuRelayLinks, ModelIndex());
  for (std::int32_t n = 1; n <= FConfiguration.RuleCount; ++n) {
    RuleRecord rule = FConfiguration.StoredRule(n);
    const OutputWord word(rule.Output);
    if (!word.IsTermination() || word.IsSteady() ||
        !links.IsRelayOutputOnBoard(RelayLinks.SelectedTab, word.Index())) {
      continue;
    }
    rule.Output |= OutputWord::kSteadyBit;
    FConfiguration.StoreRule(n, rule);
    FRuleList.RenderRule(n);
  }
}

void TControllerState::ControllerSetButtonClick() {
  FConfiguration.LinkWarningPending = true;
  Settings().ZoneMode = ZoneModeOf(ZoneType.Checked(kNetworkZones), Vds.Checked);
  ApplyZoneModeBack();
  FEditor.OutputDisplay();
  const MessageAnswer answer = FQueries->Message(ActiveText(string_id::kControllerSetUpQuestion),
                                                 ActiveText(string_id::kWarning),
                                                 MessageButtons::YesNo, MessageIcon::Warning);
  if (answer != MessageAnswer::Yes) return;
  LockSettings();
}

void TControllerState::LockSettings() {
  SetControllerEnabled = Model.Enabled = System.Enabled = Vds.Enabled = KPNet.Enabled = false;
  ZoneType.SetEnabled(kLocalZones, false);
  ZoneType.SetEnabled(kNetworkZones, false);
  FConfiguration.SettingsLocked = true;
  RulePagesShown = BoardInstallationVisible = true;
}

// The zone type in force on the rule pages too: the input source takes it and keeps it.
void TControllerState::ApplyZoneModeBack() {
  const int zoneMode = Settings().ZoneMode;
  Vds.Checked = IsVdsZoneMode(zoneMode);
  if (IsNetworkZoneMode(zoneMode)) {
    ZoneType.Check(kNetworkZones);
    FEditor.NetworkZoneClick(true);
  } else {
    ZoneType.Check(kLocalZones);
    FEditor.LocalZoneClick(true);
  }
  FEditor.LockZoneType();
}

}  // namespace trv
