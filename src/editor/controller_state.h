#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/editor_state.h"
#include "editor/number_field.h"
#include "editor/option_group.h"
#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/relay_links.h"
#include "model/user_queries.h"

namespace trv {

class TRuleListCommands;

inline constexpr std::array<std::string_view, 3> kBuzzerModeTexts{"Disabled", "Local Mute ",
                                                                  "Global Mute"};
inline constexpr std::array<std::string_view, 2> kAccessLevelTexts{"Access Level 1",
                                                                   "Access Level 2"};

// A combo box of fixed items that may be greyed or hidden.
struct ComboState {
  ChoiceState Choice;
  bool Enabled = true;
  bool Visible = true;
  bool operator==(const ComboState&) const = default;
};

// The relay link boxes of the selected board: eight (bank 1 groups 1..4, bank 2 groups 1..4) on
// MimicControllerOutputGroupBox, or sixteen on RCUControllerOutputGroupBox for model 4.
struct RelayLinkBoardState {
  static constexpr int kBoxes = kRcuRelayLinkOutputs;
  int Tabs = 1;         // tbcRelayDrivingLinks: one tab per installed board
  int SelectedTab = 0;  // the board from 0
  bool SlimlineGroupVisible = false;
  std::array<bool, kBoxes> Fitted{};
  std::string BoardTypeLabel;
  bool operator==(const RelayLinkBoardState&) const = default;
};

// The Controller page: what every control shows and the handlers that change the controller
// settings. Each change sets Modified; the model, system and unit name write their settings cell
// at once, the rest waits for a save. Set Controller fixes the model, system and zone type and
// offers the rule pages, whose limits follow the settings through the editor state.
class TControllerState {
 public:
  // The positions of the address and zone type option groups.
  static constexpr int kDipSwitches = 1;
  static constexpr int kSoftAddress = 2;
  static constexpr int kLocalZones = 1;
  static constexpr int kNetworkZones = 2;

  TControllerState(Configuration& configuration, TEditorState& editor, TRuleListCommands& ruleList,
                   UserQueries& queries);

  void SetUserQueries(UserQueries& queries) { FQueries = &queries; }

  // keepPages: the active rule page and event tab stay; systemChange: VdS stays checked and
  // the boards installed keep a value below the old maximum.
  void EditorRefresh(bool keepPages, bool systemChange);

  // index: the position in the combo box's items.
  void ControllerModelChange(int index);
  void ControllerSystemChange(int systemIndex);
  void VdSCheckBoxClick(bool checked);
  void KPNetCheckBoxClick(bool checked);
  void LocalZoneRadioButtonClick();
  void NetworkZoneRadioButtonClick();
  void ControllerAddressDIPClick(bool checked);
  void ControllerAddressSoftClick(bool checked);
  void ControllerAddressChange(std::int32_t value);
  void ControllerUnitEditChange(const std::string& text);
  void ControllerUnitEditExit();
  void ControllerBuzzerChange(int index);
  void ControllerMuteComboBoxChange(int index);
  void BuzzerSoundCheckBoxClick(bool checked);
  void BuzzerControlCheckBoxClick(bool checked);
  void BuzzerDisableCSpinEdit1Change(std::int32_t value);
  void MutedTechAlarmIntervalCSpinEdit1Change(std::int32_t value);
  void ControllerBoardCSpinEditChange(std::int32_t value);
  void tbcRelayDrivingLinksChange(int tab);
  // box: 0..7 on the group of other models, 0..15 on the model-4 group.
  void ControllerRelayLinkCheckBoxClick(int box, bool checked);
  void ControllerSetButtonClick();
  // The model, system and zone type fixed and the rule pages offered, as a confirmed Set
  // Controller leaves them.
  void LockSettings();

  // File Open: the controls show the settings just read into the configuration, locked as Set
  // Controller locks them.
  void ShowLoadedSettings();

  // After a delete: the system follows the rules' requirement when it shows a lower one,
  // without the handling of a system change.
  void ShowRequiredSystem(int requiredSystem);

  // "Description"
  ComboState Model{{kAvailableControllerModels}};
  ComboState System{{kHostSystems}};
  CheckState Vds;
  CheckState KPNet;
  OptionGroup ZoneType{{kLocalZones, kNetworkZones}, kLocalZones};
  OptionGroup AddressMode{{kDipSwitches, kSoftAddress}, kDipSwitches};
  NumberField Address;
  bool ListenOnlyVisible = false;
  std::string UnitEdit;
  ComboState Buzzer{{kBuzzerModeTexts}};
  // BuzzerOptionsPanel, with the model-4 options of RCUBuzzerOptions
  bool BuzzerOptionsVisible = true;
  CheckState BuzzerSound;
  CheckState BuzzerControl;
  NumberField BuzzerDisable;
  NumberField MutedTechAlarmInterval;
  ComboState Mute{{kAccessLevelTexts}};
  // "Board Installation"
  bool BoardInstallationVisible = true;
  NumberField Boards;
  RelayLinkBoardState RelayLinks;
  bool SetControllerEnabled = true;
  // The three rule pages are offered only after Set Controller.
  bool RulePagesShown = false;

 private:
  ControllerSettings& Settings() { return FConfiguration.ControllerSettings; }
  int ModelIndex() const { return FConfiguration.ControllerSettings.ModelIndex; }
  bool Slimline() const;
  void Modify();

  void ChangeSystem();
  void RefuseSystemBelowRequired();
  void ShowControlsOfModel();
  void ShowStoredNetworkOptions();
  void ShowZoneTypesOfSystem();
  void ShowStoredAddressMode();
  void ShowAddressMode(int position);
  void ShowStoredBuzzerOptions();
  void SetBoardsMaximum(bool systemChange);
  void ApplyAddressLimits();
  void CapOutputBoards();
  void ApplyZoneModeBack();
  void SteadyRulesOnFittedLinks();
  // The settings flag behind a relay link box of the selected board; none for a box the model
  // does not show.
  std::uint8_t* RelayLinkOfBox(int box);

  Configuration& FConfiguration;
  TEditorState& FEditor;
  TRuleListCommands& FRuleList;
  UserQueries* FQueries;
};

}  // namespace trv
