#include "editor/controller_state.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "editor/rule_list_commands.h"
#include "editor_test_fixture.h"
#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

constexpr int kSlimlinePosition = 1;  // "Slimline Mimic" in the model combo box

template <typename Base = ::testing::Test>
class ControllerTest : public test::WithScriptedUserQueries<Base> {
 public:
  // As at start-up: the workbook set up, the editor refreshed, nothing modified.
  ControllerTest() {
    ResetActiveStrings();
    FConfiguration.ResetToDefaults();
    FCommands.SetUpWorkbook(true);
    FEditor.MarkRulePagesForFirstVisit();
    FPage.EditorRefresh(true, false);
    FConfiguration.Modified = false;
  }

  void SetController() {
    this->FQueries.ExpectMessage(MessageAnswer::Yes);
    FPage.ControllerSetButtonClick();
  }
  void StoreZonalRule(std::int32_t n, int outputIndex) {
    RuleRecord rule{.Kind = rkZonal};
    rule.Output = OutputWord::Termination(outputIndex, false, false).Value();
    FConfiguration.StoreRule(n, rule);
    FConfiguration.RuleCount = std::max(FConfiguration.RuleCount, n);
  }
  bool SteadyRule(std::int32_t n) {
    return OutputWord(FConfiguration.StoredRule(n).Output).IsSteady();
  }
  double SettingsCell(int row, int column) {
    return FConfiguration.MimicBook.Number(kSettingsSheet, row, column);
  }
  const ControllerSettings& Settings() { return FConfiguration.ControllerSettings; }

  Configuration FConfiguration{"/nonexistent/trv", "/nonexistent/trv/Data"};
  NoWindow FWindow;
  TRuleListCommands FCommands{FConfiguration, this->FQueries, FWindow};
  TEditorState FEditor{FConfiguration, FCommands};
  TControllerState FPage{FConfiguration, FEditor, FCommands, this->FQueries};
};

using ControllerStateTest = ControllerTest<>;

TEST_F(ControllerStateTest, StartsWithTheDefaultsAndOnlyTheControllerPage) {
  EXPECT_EQ(FPage.System.Choice.Index, kSystemKP6000);
  EXPECT_TRUE(FPage.Model.Enabled);
  EXPECT_TRUE(FPage.AddressMode.Checked(TControllerState::kDipSwitches));
  EXPECT_FALSE(FPage.Address.Enabled());
  EXPECT_FALSE(FPage.ListenOnlyVisible);
  EXPECT_EQ(FPage.Address.Max(), 31);
  EXPECT_EQ(FPage.UnitEdit, Settings().UnitName);
  EXPECT_EQ(FPage.Boards.Value(), 8);
  EXPECT_EQ(FPage.RelayLinks.Tabs, 8);
  EXPECT_FALSE(FPage.Mute.Visible);
  EXPECT_FALSE(FPage.BuzzerControl.Visible);
  EXPECT_TRUE(FPage.BuzzerOptionsVisible);  // "Local Mute "
  EXPECT_FALSE(FPage.RulePagesShown);
  EXPECT_TRUE(FPage.BoardInstallationVisible);
  EXPECT_FALSE(FConfiguration.Modified);
}

TEST_F(ControllerStateTest, ASystemBelowTheRulesNeedsIsRefused) {
  FConfiguration.RequiredSystem = kSystemKP6000;
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FPage.ControllerSystemChange(kSystemKP4000);
  EXPECT_EQ(FQueries.LastMessage(),
            (test::ShownMessage{"KP4000 " + ActiveText(string_id::kSystemUnavailable),
                                ActiveText(string_id::kWarning), MessageButtons::Ok,
                                MessageIcon::Warning}));
  EXPECT_EQ(FPage.System.Choice.Index, kSystemKP6000);
  EXPECT_EQ(Settings().SystemIndex, kSystemKP6000);
  EXPECT_EQ(SettingsCell(3, 1), kSystemKP6000);
  EXPECT_TRUE(FConfiguration.Modified);
}

// model, system, VdS and KPNet allowed, network zones allowed, local zone maximum
using SystemCase = std::tuple<int, int, bool, bool, bool, int>;
class SystemChoiceTest : public ControllerTest<::testing::TestWithParam<SystemCase>> {};

TEST_P(SystemChoiceTest, NetworkOptionsFollowTheSystem) {
  const auto [modelPosition, system, vds, kpnet, networkZones, zoneMax] = GetParam();
  FPage.VdSCheckBoxClick(true);
  FPage.KPNetCheckBoxClick(true);
  FPage.NetworkZoneRadioButtonClick();
  FPage.ControllerModelChange(modelPosition);
  FPage.ControllerSystemChange(system);
  EXPECT_EQ(Settings().SystemIndex, system);
  EXPECT_EQ(SettingsCell(3, 1), system);
  EXPECT_EQ(FPage.Vds.Enabled, vds);
  EXPECT_EQ(FPage.Vds.Checked, vds);
  EXPECT_EQ(FPage.KPNet.Enabled, kpnet);
  EXPECT_EQ(FPage.KPNet.Checked, kpnet);
  EXPECT_EQ(Settings().NetworkFitted, kpnet ? 1 : 0);
  EXPECT_EQ(FPage.ZoneType.Member(TControllerState::kNetworkZones).Enabled, networkZones);
  EXPECT_EQ(FPage.ZoneType.Checked(TControllerState::kNetworkZones), networkZones);
  EXPECT_EQ(FEditor.Input.FirstZone.Max(), zoneMax);
}

INSTANTIATE_TEST_SUITE_P(Systems, SystemChoiceTest,
                         ::testing::Values(SystemCase{0, kSystemKP10, false, false, false, 16},
                                           SystemCase{0, kSystemKP4000, false, false, false, 80},
                                           SystemCase{0, kSystemKP6000, true, true, true, 255},
                                           SystemCase{kSlimlinePosition, kSystemKP6000, true, false,
                                                      true, 255}));

TEST_F(ControllerStateTest, KPNetWidensTheAddressAndThePanels) {
  FPage.KPNetCheckBoxClick(true);
  EXPECT_EQ(FPage.Address.Max(), 125);
  EXPECT_EQ(FEditor.Input.Panel.Min(), 1);
  EXPECT_EQ(FEditor.Input.Panel.Max(), 125);
  FPage.KPNetCheckBoxClick(false);
  EXPECT_EQ(FPage.Address.Max(), 31);
  EXPECT_EQ(FEditor.Input.Panel.Min(), 0);
}

TEST_F(ControllerStateTest, ASoftAddressOfZeroOnlyListens) {
  FPage.ControllerAddressSoftClick(true);
  EXPECT_FALSE(FPage.AddressMode.Checked(TControllerState::kDipSwitches));
  EXPECT_TRUE(FPage.Address.Enabled());
  EXPECT_TRUE(FPage.ListenOnlyVisible);
  EXPECT_EQ(Settings().AddressMode, kAddressModeSoft);
  FPage.ControllerAddressChange(12);
  EXPECT_FALSE(FPage.ListenOnlyVisible);
  EXPECT_EQ(Settings().SoftAddress, 12);
  FPage.ControllerAddressChange(0);
  EXPECT_TRUE(FPage.ListenOnlyVisible);
  FPage.ControllerAddressSoftClick(false);  // the last checked member stays checked
  EXPECT_TRUE(FPage.AddressMode.Checked(TControllerState::kSoftAddress));
  FPage.ControllerAddressDIPClick(true);
  EXPECT_FALSE(FPage.ListenOnlyVisible);
  EXPECT_FALSE(FPage.Address.Enabled());
  EXPECT_EQ(Settings().AddressMode, kAddressModeDipSwitches);
  EXPECT_TRUE(FConfiguration.Modified);
}

TEST_F(ControllerStateTest, FewerBoardsTakeTheirTabsAndTheOutputBoards) {
  FPage.tbcRelayDrivingLinksChange(5);
  FPage.ControllerBoardCSpinEditChange(3);
  EXPECT_EQ(FPage.RelayLinks.Tabs, 3);
  EXPECT_EQ(FPage.RelayLinks.SelectedTab, 2);
  EXPECT_EQ(Settings().BoardsInstalled, 3);
  EXPECT_EQ(FEditor.Output.TerminationBoard.Max(), 3);
  EXPECT_EQ(FEditor.Output.DriverBoard.Max(), 3);
  FPage.ControllerSystemChange(kSystemKP4000);  // below the old maximum: kept
  EXPECT_EQ(FPage.Boards.Value(), 3);
  EXPECT_EQ(FEditor.Output.TerminationBoard.Max(), 3);
  FPage.ControllerModelChange(kSlimlinePosition);
  EXPECT_EQ(FPage.Boards.Max(), 10);
  EXPECT_EQ(FPage.Boards.Value(), 3);
}

// The rule checker's list follows the settings it checks the rules against.
TEST_F(ControllerStateTest, SettingsChangesNotifyWhatShowsTheRules) {
  FPage.ControllerSystemChange(kSystemKP4000);
  EXPECT_GT(FWindow.Changes, 0);
  FWindow.Changes = 0;
  FPage.ControllerBoardCSpinEditChange(3);
  EXPECT_GT(FWindow.Changes, 0);
}

TEST_F(ControllerStateTest, ModelFourHasItsOwnControlsAndTenBoards) {
  FPage.ControllerModelChange(kSlimlinePosition);
  EXPECT_EQ(Settings().ModelIndex, kSlimlineModelIndex);
  EXPECT_EQ(SettingsCell(2, 1), kSlimlineModelIndex);
  EXPECT_TRUE(FPage.RelayLinks.SlimlineGroupVisible);
  EXPECT_TRUE(FPage.Mute.Visible && FPage.BuzzerControl.Visible);
  EXPECT_EQ(FPage.Boards.Value(), 10);
  EXPECT_EQ(FPage.RelayLinks.BoardTypeLabel, ActiveText(string_id::kMainBoard));
  FPage.tbcRelayDrivingLinksChange(1);
  EXPECT_EQ(FPage.RelayLinks.BoardTypeLabel, ActiveText(string_id::kExpansionBoard));
  FPage.ControllerModelChange(0);
  EXPECT_EQ(FPage.Boards.Value(), 8);
  EXPECT_EQ(FPage.RelayLinks.BoardTypeLabel, "");
}

TEST_F(ControllerStateTest, BuzzerOptionsAreStoredAndShownUnlessDisabled) {
  FPage.ControllerBuzzerChange(0);
  EXPECT_FALSE(FPage.BuzzerOptionsVisible);
  FPage.ControllerBuzzerChange(2);
  FPage.BuzzerSoundCheckBoxClick(true);
  FPage.BuzzerControlCheckBoxClick(true);
  FPage.BuzzerDisableCSpinEdit1Change(200);
  FPage.MutedTechAlarmIntervalCSpinEdit1Change(30);
  FPage.ControllerMuteComboBoxChange(1);
  EXPECT_TRUE(FPage.BuzzerOptionsVisible);
  const ControllerSettings& settings = Settings();
  EXPECT_EQ(std::tuple(settings.BuzzerMode, settings.ResoundOnNewAlarm,
                       settings.BuzzerDisplayedEventsOnly, settings.BuzzerDisableInterval,
                       settings.MutedTechAlarmInterval, settings.AccessLevel),
            std::tuple(2, 1, 1, 120, 30, 1));
  EXPECT_TRUE(FConfiguration.Modified);
}

TEST_F(ControllerStateTest, AnEmptyUnitNameIsRefused) {
  const std::string name = Settings().UnitName;
  FPage.ControllerUnitEditChange("");
  EXPECT_TRUE(FConfiguration.Modified);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FPage.ControllerUnitEditExit();
  EXPECT_EQ(FQueries.LastMessage().Text, FormatText(ActiveText(string_id::kEmptyUnitName), name));
  EXPECT_EQ(FPage.UnitEdit, name);
  FPage.ControllerUnitEditChange("West Wing");
  FPage.ControllerUnitEditExit();
  EXPECT_EQ(Settings().UnitName, "West Wing");
  EXPECT_EQ(FConfiguration.MimicBook.Text(kSettingsSheet, 6, 1), "West Wing");
}

TEST_F(ControllerStateTest, SetControllerAppliesTheZoneModeAndLocksOnYes) {
  FPage.VdSCheckBoxClick(true);
  FPage.NetworkZoneRadioButtonClick();
  FQueries.ExpectMessage(MessageAnswer::No);
  FPage.ControllerSetButtonClick();
  EXPECT_EQ(FQueries.LastMessage(),
            (test::ShownMessage{ActiveText(string_id::kControllerSetUpQuestion),
                                ActiveText(string_id::kWarning), MessageButtons::YesNo,
                                MessageIcon::Warning}));
  EXPECT_EQ(Settings().ZoneMode, kZoneModeNetworkVds);
  EXPECT_TRUE(FEditor.Input.NetworkZone());
  EXPECT_FALSE(FEditor.Input.Source.Member(InputSourceState::kLocalZone).Enabled);
  EXPECT_EQ(FEditor.Event.Tab, etNetwork);
  EXPECT_EQ(FEditor.Input.FirstZone.Max(), 8192);
  EXPECT_FALSE(FPage.RulePagesShown);
  EXPECT_TRUE(FPage.System.Enabled);

  SetController();
  EXPECT_TRUE(FPage.RulePagesShown);
  EXPECT_TRUE(FConfiguration.SettingsLocked);
  EXPECT_FALSE(FPage.SetControllerEnabled || FPage.Model.Enabled || FPage.Vds.Enabled ||
               FPage.KPNet.Enabled);
  EXPECT_FALSE(FPage.ZoneType.Member(TControllerState::kLocalZones).Enabled);
  FPage.ControllerSystemChange(kSystemKP10);  // from a disabled control: nothing
  EXPECT_EQ(Settings().SystemIndex, kSystemKP6000);
}

// model position, board tab, fitted box, output fitted, outputs left alone
using LinkCase = std::tuple<int, int, int, int, std::array<int, 2>>;
class RelayLinkClickTest : public ControllerTest<::testing::TestWithParam<LinkCase>> {};

TEST_P(RelayLinkClickTest, FittingALinkMakesTheRulesOnItSteadyOnThatBoardOnly) {
  const auto [modelPosition, tab, box, fitted, untouched] = GetParam();
  FPage.ControllerModelChange(modelPosition);
  StoreZonalRule(1, fitted);
  StoreZonalRule(2, untouched[0]);
  StoreZonalRule(3, untouched[1]);
  SetController();
  FPage.tbcRelayDrivingLinksChange(tab);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FPage.ControllerRelayLinkCheckBoxClick(box, true);
  EXPECT_EQ(FQueries.LastMessage().Text, ActiveText(string_id::kRelayLinkWarning));
  EXPECT_TRUE(SteadyRule(1));
  EXPECT_FALSE(SteadyRule(2));
  EXPECT_FALSE(SteadyRule(3));
  EXPECT_TRUE(FConfiguration.MimicBook.Text(kRuleTextSheet, 1, 9).ends_with("(steady)"));
  FPage.ControllerRelayLinkCheckBoxClick(box, false);  // warned once
  FPage.tbcRelayDrivingLinksChange(0);
  FPage.tbcRelayDrivingLinksChange(tab);
  EXPECT_FALSE(FPage.RelayLinks.Fitted[box]);
  EXPECT_TRUE(SteadyRule(1));  // never cleared
  SetController();
  FQueries.ExpectMessage(MessageAnswer::Ok);  // warned again after the next Set Controller
  FPage.ControllerRelayLinkCheckBoxClick(box, true);
  EXPECT_TRUE(FPage.RelayLinks.Fitted[box]);
}

// Board 2: "1..8" of bank 1 on other models; output 1 on model 4.
INSTANTIATE_TEST_SUITE_P(Models, RelayLinkClickTest,
                         ::testing::Values(LinkCase{0, 1, 0, 64 + 7, {7, 64 + 8}},
                                           LinkCase{0, 1, 4, 64 + 32, {64 + 0, 32}},
                                           LinkCase{kSlimlinePosition, 1, 0, 16, {0, 17}}));

TEST_F(ControllerStateTest, LinksBeforeSetControllerChangeNoRuleAndAskNothing) {
  StoreZonalRule(1, 0);
  FPage.ControllerRelayLinkCheckBoxClick(0, true);
  EXPECT_FALSE(SteadyRule(1));
  EXPECT_EQ(Settings().RelayLinks[0], 1);
}

TEST_F(ControllerStateTest, TheSystemFollowsTheRequirementUpOnly) {
  FPage.ControllerSystemChange(kSystemKP10);
  FPage.ShowRequiredSystem(kSystemKP4000);
  EXPECT_EQ(FPage.System.Choice.Index, kSystemKP4000);
  EXPECT_EQ(Settings().SystemIndex, kSystemKP4000);
  FPage.ShowRequiredSystem(kSystemKP10);
  EXPECT_EQ(FPage.System.Choice.Index, kSystemKP4000);
}

}  // namespace
}  // namespace trv
