#include "editor/editor_state.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "editor/rule_list_commands.h"
#include "editor/rule_list_listener.h"
#include "editor_test_fixture.h"
#include "model/host_system_limits.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "model/zone_range.h"

namespace trv {
namespace {

using EditorStateTest = EditorTest<>;

// model, system, network zone available, panel max, local zone max
using SystemCase = std::tuple<int, int, bool, int, int>;
class SystemLimitsTest : public EditorTest<::testing::TestWithParam<SystemCase>> {};

TEST_P(SystemLimitsTest, InputSourceFollowsTheHostSystem) {
  const auto [model, system, networkAvailable, panelMax, zoneMax] = GetParam();
  Start({model, system});
  FState.PageControlTabChange(epZonal);
  const InputSourceState& input = FState.Input;
  EXPECT_EQ(input.Source.Member(InputSourceState::kNetworkZone).Enabled, networkAvailable);
  EXPECT_TRUE(input.Source.Checked(InputSourceState::kLocalZone));
  EXPECT_EQ(input.Panel.Min(), 0);
  EXPECT_EQ(input.Panel.Max(), panelMax);
  EXPECT_EQ(input.FirstZone.Min(), 1);
  EXPECT_EQ(input.FirstZone.Max(), zoneMax);
  EXPECT_EQ(input.LastZone.Max(), zoneMax);
  EXPECT_TRUE(input.Panel.Enabled());
  EXPECT_EQ(FState.Event.NetworkTabVisible, system == kSystemKP6000);
}

INSTANTIATE_TEST_SUITE_P(Systems, SystemLimitsTest,
                         ::testing::Values(SystemCase{0, kSystemKP10, false, 0, 16},
                                           SystemCase{0, kSystemKP4000, false, 7, 80},
                                           SystemCase{0, kSystemKP6000, true, 7, 255},
                                           SystemCase{4, kSystemKP10, false, 0, 16}));

// model, board event, first zone max in local zones of KP6000, last zone shown for zone 1
using BoardCase = std::tuple<int, int, int, int>;
class BoardSpanTest : public EditorTest<::testing::TestWithParam<BoardCase>> {};

TEST_P(BoardSpanTest, LastZoneFollowsTheFirstOverOneBoard) {
  const auto [model, event, firstZoneMax, lastZone] = GetParam();
  Start({model});
  FState.PageControlTabChange(epBoard);
  FState.BoardEventComboBoxChange(event);
  EXPECT_EQ(FState.Input.LastZone.Value(), lastZone);
  EXPECT_FALSE(FState.Input.LastZone.Enabled());
  EXPECT_EQ(FState.Input.FirstZone.Max(), firstZoneMax);
  FState.NumberFieldChange(EditorField::FirstZone, 255);
  EXPECT_EQ(FState.Input.FirstZone.Value(), firstZoneMax);
  EXPECT_EQ(FState.Input.LastZone.Value(), 255);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, BoardSpanTest,
    ::testing::Values(BoardCase{0, kBoardEventFire, 192, 64},
                      BoardCase{4, kBoardEventFire, 240, 16},
                      BoardCase{0, kBoardEventFireAndFaultTestDisable, 224, 32},
                      BoardCase{4, kBoardEventFireAndFaultTestDisable, 248, 8}));

TEST_F(EditorStateTest, TheBoardCapOnTheFirstZoneStaysOnTheBoardPage) {
  FState.PageControlTabChange(epBoard);
  EXPECT_EQ(FState.Input.FirstZone.Max(), 192);
  FState.PageControlTabChange(epZonal);
  EXPECT_EQ(FState.Input.FirstZone.Max(), 255);
  EXPECT_TRUE(FState.Input.LastZone.Enabled());
  FState.NumberFieldChange(EditorField::FirstZone, 200);
  EXPECT_EQ(FState.Input.LastZone.Min(), 200);
  FState.PageControlTabChange(epBoard);
  EXPECT_EQ(FState.Input.FirstZone.Value(), 192);
}

TEST_F(EditorStateTest, NetworkZoneGreysThePanelAndTakesTheNetworkZones) {
  FState.PageControlTabChange(epZonal);
  FState.NetworkZoneClick(true);
  EXPECT_FALSE(FState.Input.Panel.Enabled());
  EXPECT_FALSE(FState.Input.Source.Checked(InputSourceState::kLocalZone));
  EXPECT_EQ(FState.Event.Tab, etNetwork);
  EXPECT_EQ(FState.Input.FirstZone.Max(), 255);  // the controller's zone type is local
  FState.NetworkZoneClick(false);                // one of the two stays checked
  EXPECT_TRUE(FState.Input.Source.Checked(InputSourceState::kLocalZone));
  EXPECT_TRUE(FState.Input.Panel.Enabled());
  EXPECT_EQ(FState.Event.Tab, etLocal);

  Start({4, kSystemKP6000, true});
  FState.PageControlTabChange(epZonal);
  EXPECT_EQ(FState.Input.FirstZone.Max(), 4096);
}

TEST_F(EditorStateTest, TheFirstLocalZoneRuleLocksOutNetworkZones) {
  FState.PageControlTabChange(epBoard);
  SetRule(epBoard);
  EXPECT_FALSE(FState.Input.Source.Member(InputSourceState::kNetworkZone).Enabled);
  EXPECT_FALSE(FState.Event.NetworkTabVisible);
  EXPECT_EQ(FState.Event.Tab, etLocal);
  EXPECT_EQ(Text(1, 1), "Board");
  FState.LocalZoneClick(false);  // the locked-out choice cannot be taken by unchecking
  EXPECT_TRUE(FState.Input.Source.Checked(InputSourceState::kLocalZone));

  Start({});  // File New lifts the lock
  EXPECT_TRUE(FState.Input.Source.Member(InputSourceState::kNetworkZone).Enabled);
}

TEST_F(EditorStateTest, ANetworkZoneRuleLocksOutLocalZonesAndNeedsKP6000) {
  FState.PageControlTabChange(epZonal);
  FState.NetworkZoneClick(true);
  SetRule(epZonal);
  EXPECT_FALSE(FState.Input.Source.Member(InputSourceState::kLocalZone).Enabled);
  EXPECT_TRUE(FState.Event.NetworkTabVisible);
  EXPECT_EQ(FConfiguration.RequiredSystem, kSystemKP6000);
  EXPECT_EQ(Text(1, 2), ActiveText(string_id::kNetworkZone));
}

TEST_F(EditorStateTest, SetRuleRaisesTheRequiredSystemByPanelAndZones) {
  FState.PageControlTabChange(epZonal);
  SetRule(epZonal);
  EXPECT_EQ(FConfiguration.RequiredSystem, kSystemKP10);
  FState.NumberFieldChange(EditorField::Panel, 2);
  SetRule(epZonal);
  EXPECT_EQ(FConfiguration.RequiredSystem, kSystemKP4000);
  FState.NumberFieldChange(EditorField::Panel, 0);
  SetRule(epZonal);  // it never goes down
  EXPECT_EQ(FConfiguration.RequiredSystem, kSystemKP4000);
}

TEST_F(EditorStateTest, SetRuleOverwritesOnlyAfterTheUsersYes) {
  FState.PageControlTabChange(epBoard);
  SetRule(epBoard);
  FState.PageControlTabChange(epZonal);
  FState.NumberFieldChange(EditorField::FirstZone, 9);
  ActivateRow(1);
  FQueries.ExpectMessage(MessageAnswer::No);
  SetRule(epZonal);
  EXPECT_EQ(Text(1, 1), "Board");
  EXPECT_EQ(FConfiguration.RuleCount, 1);
  ActivateRow(1);
  FQueries.ExpectMessage(MessageAnswer::Yes);
  SetRule(epZonal);
  EXPECT_EQ(Text(1, 1), "Zonal");
  EXPECT_EQ(Text(1, 4), "   9");
  EXPECT_EQ(FQueries.Messages().back().Text,
            FormatText(ActiveText(string_id::kModifyRuleQuestion), 1));
  EXPECT_EQ(FConfiguration.RuleCount, 1);
}

TEST_F(EditorStateTest, AnOutputOnAFittedRelayLinkIsASteadyRelay) {
  FConfiguration.ControllerSettings.RelayLinks[RelayLinkIndex(1, 1, 0)] = 1;
  FState.PageControlTabChange(epZonal);
  FState.SteadyClick(false);
  FState.NumberFieldChange(EditorField::TerminationBoard, 2);
  EXPECT_EQ(FState.Output.OutputLabel, ActiveText(string_id::kLed));
  EXPECT_TRUE(FState.Output.Steady.Visible);
  EXPECT_EQ(OutputWord(FState.CaptureZonalRule({}).Output),
            OutputWord::Termination(64, false, false));

  FState.NumberFieldChange(EditorField::TerminationBank, 2);
  FState.NumberFieldChange(EditorField::TerminationOutput, 8);
  EXPECT_EQ(FState.Output.OutputLabel, ActiveText(string_id::kRelay));
  EXPECT_FALSE(FState.Output.Steady.Visible);
  EXPECT_EQ(FState.Output.TerminationEdit.Text, " 104");
  const OutputWord word(FState.CaptureZonalRule({}).Output);
  EXPECT_TRUE(word.IsRelay());
  EXPECT_TRUE(word.IsSteady());
  EXPECT_EQ(word.Index(), 103);
}

TEST_F(EditorStateTest, OutputGroupFollowsThePageAndTheModel) {
  FState.PageControlTabChange(epZonal);
  FState.OutputPageControlChange(otDriver);
  FState.NumberFieldChange(EditorField::DriverBoard, 2);
  EXPECT_EQ(FState.Output.DriverEdit.Text, "   9");
  EXPECT_FALSE(FState.Output.DriverBank.Visible());
  EXPECT_TRUE(FState.Output.TerminationBank.Visible());
  EXPECT_EQ(OutputWord(FState.CaptureZonalRule({}).Output).Value(), 0xCA08);
  FState.PageControlTabChange(epBoard);
  EXPECT_FALSE(FState.Output.DriverTabVisible);
  EXPECT_EQ(FState.Output.Tab, otTermination);
  EXPECT_FALSE(FState.Output.BankOutputPanelVisible);
  FState.PageControlTabChange(epEvent);
  EXPECT_TRUE(FState.Output.OutputModeVisible);
  EXPECT_EQ(FState.Output.Page, epEvent);
  EXPECT_EQ(FState.Input.Page, epBoard);
  EXPECT_EQ(FState.Output.TerminationBoardLabel, ActiveText(string_id::kBoard));

  Start({4, kSystemKP6000});
  FState.PageControlTabChange(epZonal);
  EXPECT_FALSE(FState.Output.DriverTabVisible);
  EXPECT_FALSE(FState.Output.TabsShown);
  EXPECT_FALSE(FState.Output.TerminationBank.Visible());
  EXPECT_FALSE(FState.Output.Steady.Visible);  // model 4 on a large panel
  EXPECT_EQ(FState.Output.TerminationBoardLabel, ActiveText(string_id::kMainBoard));
  FState.NumberFieldChange(EditorField::TerminationBoard, 10);
  EXPECT_EQ(FState.Output.TerminationBoardLabel, ActiveText(string_id::kExpansionBoard));
  EXPECT_EQ(FState.Output.TerminationEdit.Text, " 145");
}

TEST_F(EditorStateTest, AFirstVisitRunsTheHandlersTheRefreshLeftOut) {
  FState.PageControlTabChange(epZonal);
  FState.NetworkZoneClick(true);
  FState.PageControlTabChange(epController);
  FState.MarkRulePagesForFirstVisit();
  FState.RefreshRulePages(false);
  EXPECT_TRUE(FState.Input.Source.Checked(InputSourceState::kLocalZone));
  EXPECT_FALSE(FState.Input.Panel.Enabled());  // the local zone click has not run yet
  FState.PageControlTabChange(epBoard);
  EXPECT_TRUE(FState.Input.Panel.Enabled());
  EXPECT_EQ(FState.Event.Tab, etLocal);
}

TEST_F(EditorStateTest, LoadingABoardRuleTakesItsEventBeforeItsFirstZone) {
  const RuleRecord rule{.Kind = rkBoard,
                        .Panel = 3,
                        .Zone = 220,
                        .Events = kBoardEventFireAndFaultTestDisable,
                        .Modifier = 5};
  FState.LoadRuleIntoPage(rule);
  EXPECT_EQ(FState.Page, epBoard);
  EXPECT_EQ(FState.Input.FirstZone.Value(), 220);
  EXPECT_EQ(FState.Input.LastZone.Value(), 251);
  EXPECT_EQ(FState.CaptureBoardRule(rule), rule);
}

// model, system, network zone type
using RoundTripCase = std::tuple<int, int, bool>;
class RoundTripTest : public EditorTest<::testing::TestWithParam<RoundTripCase>> {
 protected:
  // A value anywhere in the field's range.
  void Pick(EditorField field) {
    const NumberField& number = FState.Field(field);
    std::uniform_int_distribution<std::int32_t> values(number.Min(), number.Max());
    FState.NumberFieldChange(field, values(FRandom));
  }
  bool Coin() { return std::bernoulli_distribution(0.5)(FRandom); }

  // What an engineer might do on the page before Set Rule.
  void MakeRandomRule(EditorPage page) {
    FState.PageControlTabChange(page);
    if (FState.Input.Source.Member(InputSourceState::kNetworkZone).Enabled && Coin()) {
      FState.NetworkZoneClick(true);
    } else {
      FState.LocalZoneClick(true);
    }
    if (page == epBoard) FState.BoardEventComboBoxChange(Coin() ? 1 : 0);
    if (page == epZonal) {
      FState.ZonalEventComboBoxChange(std::uniform_int_distribution<int>(0, 4)(FRandom));
    }
    for (EditorField field :
         {EditorField::Panel, EditorField::FirstZone, EditorField::LastZone,
          EditorField::TerminationBoard, EditorField::TerminationBank,
          EditorField::TerminationOutput, EditorField::DriverBoard, EditorField::DriverOutput}) {
      Pick(field);
    }
    FState.SteadyClick(Coin());
    if (FState.Output.DriverTabVisible && Coin()) FState.OutputPageControlChange(otDriver);
  }
  RuleRecord Capture(EditorPage page) {
    return page == epBoard ? FState.CaptureBoardRule({}) : FState.CaptureZonalRule({});
  }

  std::mt19937 FRandom{20240521};
};

TEST_P(RoundTripTest, ALoadedRuleCapturesAsItWasSet) {
  const auto [model, system, networkZones] = GetParam();
  Start({model, system, networkZones});
  FConfiguration.ControllerSettings.RelayLinks[RelayLinkIndex(0, 1, 2)] = 1;
  FConfiguration.ControllerSettings.RcuRelayLinks[RcuRelayLinkIndex(1, 4)] = 1;
  for (int n = 0; n < 200; ++n) {
    const EditorPage page = Coin() ? epBoard : epZonal;
    MakeRandomRule(page);
    const RuleRecord set = Capture(page);
    MakeRandomRule(Coin() ? epBoard : epZonal);  // the pages move on
    FState.LoadRuleIntoPage(set);
    ASSERT_EQ(Capture(page), set) << "rule " << n << " of kind " << set.Kind;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryModelAndSystem, RoundTripTest,
    ::testing::Values(RoundTripCase{0, kSystemKP10, false}, RoundTripCase{0, kSystemKP4000, false},
                      RoundTripCase{0, kSystemKP6000, false}, RoundTripCase{0, kSystemKP6000, true},
                      RoundTripCase{4, kSystemKP10, false}, RoundTripCase{4, kSystemKP4000, false},
                      RoundTripCase{4, kSystemKP6000, false},
                      RoundTripCase{4, kSystemKP6000, true}));

}  // namespace
}  // namespace trv
