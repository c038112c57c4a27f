#include "editor/event_page.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "editor_test_fixture.h"
#include "model/string_ids.h"
#include "transfer/decode_image.h"
#include "transfer/encode_image.h"

namespace trv {
namespace {

using namespace event_index;
using Actions = std::function<void(EventPageState&)>;

// The state the page shows for one choice of the events' input source.
struct AvailabilityCase {
  const char* Name;
  Controller System;
  Actions Choose;
  int Row;                   // of the criteria table
  std::vector<int> Offered;  // empty: not looked at
  int Checked;               // the only event checked
};

void Nothing(EventPageState&) {}
void SpecificPanel(EventPageState& page) {
  page.EventSpecificPanelClick(true);
}
void NonLoop(EventPageState& page) {
  page.EventNonLoopClick(true);
}
void ModuleType(EventPageState& page, int type) {
  page.DeviceRadioButtonClick(true);
  page.DeviceTypeComboBoxChange(type);
}

const Controller kKP10{0, kSystemKP10};
const Controller kKP4000{0, kSystemKP4000};
const Controller kKP6000{0, kSystemKP6000};

const AvailabilityCase kAvailabilityCases[] = {
    {"General",
     kKP4000,
     [](EventPageState& p) { p.EventGeneralClick(true); },
     1,
     {kFire, kInTest, kFault, kDisabled, kPowerOK},
     kFire},
    {"NonLoopOfAPanel",
     kKP4000,
     [](EventPageState& p) { SpecificPanel(p), NonLoop(p); },
     2,
     {kFault, kCommsFail, kDelaysActive, kEvacuate},
     kFault},
    {"NonLoopOfAnyPanel",
     kKP4000,
     NonLoop,
     3,
     {kFault, kCommsFail, kDay, kDelaysActive, kEvacuate},
     kFault},
    {"NonDevice",
     kKP6000,
     [](EventPageState& p) { p.EventNonDeviceClick(true); },
     4,
     {kFault},
     kFault},
    {"VirtualSensor",
     kKP6000,
     [](EventPageState& p) { SpecificPanel(p), p.EventVirtualLoopClick(true); },
     5,
     {},
     kFire},
    {"VirtualModule",
     kKP6000,
     [](EventPageState& p) {
       SpecificPanel(p), p.EventVirtualLoopClick(true), p.DeviceRadioButtonClick(true);
     },
     6,
     {kFault, kDisabled},
     kFault},
    {"AnySensor", kKP4000, Nothing, 8, {kFire, kPreAlarm, kFault, kEnabled, kDisabled}, kFire},
    {"GasSensor",
     kKP4000,
     [](EventPageState& p) { p.DeviceTypeComboBoxChange(6); },
     8,
     {kPreAlarm, kFault, kEnabled, kDisabled},
     kPreAlarm},
    {"NetworkSensor", kKP6000, [](EventPageState& p) { p.SwitchTab(etNetwork); }, 10, {}, kFire},
    {"AuxModule",
     kKP4000,
     [](EventPageState& p) { ModuleType(p, 5); },
     12,
     {kNonFire, kFault, kEnabled, kDisabled},
     kNonFire},
    {"NetworkBell",
     kKP6000,
     [](EventPageState& p) { p.SwitchTab(etNetwork), ModuleType(p, 2); },
     14,
     {kFault, kDeviceTest, kEnabled, kDisabled},
     kFault},
    {"KP10General", kKP10, [](EventPageState& p) { p.EventGeneralClick(true); }, 15, {}, kFire},
    {"KP10NonLoop", kKP10, NonLoop, 16, {}, kFault},
    {"KP10NonDevice",
     kKP10,
     [](EventPageState& p) { p.EventNonDeviceClick(true); },
     17,
     {},
     kFault},
    {"KP10Sensor", kKP10, Nothing, 19, {}, kFire},
    {"KP10Relay", kKP10, [](EventPageState& p) { ModuleType(p, 10); }, 21, {}, kFault},
};

class AvailabilityTest : public EditorTest<::testing::TestWithParam<AvailabilityCase>> {};

TEST_P(AvailabilityTest, TheChoicesOfferTheirRowsEvents) {
  const AvailabilityCase& c = GetParam();
  Start(c.System);
  FState.PageControlTabChange(epEvent);
  c.Choose(FState.Event);
  const EventPageState& page = FState.Event;
  EXPECT_EQ(MatchingCriteriaRow(EventCriteriaOfRule(page.CaptureSource({}), c.System.System)),
            c.Row);
  std::set<int> offered;
  std::set<int> checked;
  for (int event = 0; event < kEventCount; ++event) {
    if (page.Events[static_cast<std::size_t>(event)].Enabled) offered.insert(event);
    if (page.Events[static_cast<std::size_t>(event)].Checked) checked.insert(event);
  }
  if (!c.Offered.empty()) {
    EXPECT_EQ(offered, std::set<int>(c.Offered.begin(), c.Offered.end()));
  }
  EXPECT_EQ(checked, std::set<int>{c.Checked});
  EXPECT_TRUE(page.SetRuleEnabled);
}

INSTANTIATE_TEST_SUITE_P(EveryReachableRow, AvailabilityTest,
                         ::testing::ValuesIn(kAvailabilityCases),
                         [](const ::testing::TestParamInfo<AvailabilityCase>& param) {
                           return std::string(param.param.Name);
                         });

using EventPageTest = EditorTest<>;

TEST_F(EventPageTest, NoRowForTheChoicesDisablesEveryEventAndSetRule) {
  Start({4, kSystemKP10});  // the model's own module list ends with an entry of no type
  FState.PageControlTabChange(epEvent);
  FState.Event.DeviceRadioButtonClick(true);
  FState.Event.DeviceTypeComboBoxChange(static_cast<int>(FState.Event.DeviceType.Items.size()) - 1);
  for (const CheckState& box : FState.Event.Events)
    EXPECT_EQ(box, (CheckState{false, false, box.Visible}));
  EXPECT_FALSE(FState.Event.SetRuleEnabled);
  FState.EventSetRuleButtonClick();
  EXPECT_EQ(FConfiguration.RuleCount, 0);
}

TEST_F(EventPageTest, OneEventStaysSelectedAndExclusivePairsExcludeEachOther) {
  FState.PageControlTabChange(epEvent);
  EventPageState& page = FState.Event;
  page.EventClick(kFire, false);
  EXPECT_TRUE(page.Events[kFire].Checked);
  page.EventClick(kEnabled, true);
  page.EventClick(kDisabled, true);
  EXPECT_FALSE(page.Events[kEnabled].Checked);
  page.EventClick(kFire, false);
  page.EventClick(kDisabled, false);  // the last one unchecked: the default comes back
  EXPECT_TRUE(page.Events[kFire].Checked);
  EXPECT_FALSE(page.Events[kDisabled].Checked);
}

TEST_F(EventPageTest, TheAddressRangeFollowsVirtualAndTheDeviceKind) {
  FState.PageControlTabChange(epEvent);
  EventPageState& page = FState.Event;
  EXPECT_EQ(page.Address.Field.Max(), 99);
  SpecificPanel(page);
  EXPECT_FALSE(page.Loop.Group.Member(event_choice::kVirtual).Enabled == false);
  page.EventVirtualLoopClick(true);
  EXPECT_EQ(page.Address.Field.Max(), 64);
  page.DeviceRadioButtonClick(true);
  EXPECT_EQ(page.Address.Field.Max(), 512);
  EXPECT_EQ(page.DeviceType.Items[1], "Bell");
  page.EventSpecificAddressClick(true);
  FState.NumberFieldChange(EditorField::EventAddress, 600);
  EXPECT_EQ(page.Address.Field.Value(), 512);
  EXPECT_FALSE(page.DeviceTypeEnabled);
  page.EventAnyLoopClick(true);  // any loop: any address, and the address range of a real loop
  EXPECT_TRUE(page.Address.Checked(event_choice::kAny));
  page.EventNonLoopClick(true);
  EXPECT_FALSE(page.Address.Field.Visible());
  EXPECT_FALSE(page.DevicePanelVisible);
  EXPECT_EQ(FState.CaptureEventRule({}).Address, kAddressNotApplicable);
  EXPECT_EQ(FState.CaptureEventRule({}).DeviceType, kDeviceTypeNotApplicable);

  Start(kKP4000);  // no virtual loops on the smaller panels
  SpecificPanel(FState.Event);
  EXPECT_FALSE(FState.Event.Loop.Group.Member(event_choice::kVirtual).Visible);
}

TEST_F(EventPageTest, GeneralEventLeavesOnlyThePanel) {
  FState.PageControlTabChange(epEvent);
  EventPageState& page = FState.Event;
  page.EventGeneralClick(true);
  EXPECT_FALSE(page.Panel.Group.CheckedPosition().has_value());
  EXPECT_FALSE(page.Loop.Field.Visible());
  EXPECT_FALSE(page.LocalZone.Group.Member(event_choice::kAny).Visible);
  EXPECT_FALSE(page.DevicePanelVisible);
  page.EventGeneralClick(false);  // neither panel box is checked: it stays
  EXPECT_TRUE(page.General.Checked);
  page.EventAnyPanelClick(true);
  page.EventGeneralClick(false);
  EXPECT_FALSE(page.General.Checked);
  EXPECT_TRUE(page.Loop.Field.Visible());
  EXPECT_EQ(page.KindToSet(), rkEventLocal);
}

TEST_F(EventPageTest, TheLimitsOfTheSystemReachTheEventFields) {
  Start(kKP10);
  EventPageState& page = FState.Event;
  EXPECT_FALSE(page.Panel.Group.Member(event_choice::kAny).Enabled);
  EXPECT_TRUE(page.Panel.Checked(event_choice::kSpecific));
  EXPECT_EQ(page.Panel.Field.Max(), 0);
  EXPECT_EQ(page.LocalZone.Field.Max(), 16);
  EXPECT_TRUE(page.LocalZone.Checked(event_choice::kAny));  // the entry checks none
  EXPECT_FALSE(FState.Event.NetworkTabVisible);

  Start({0, kSystemKP6000, true});
  EXPECT_EQ(page.NetworkZone.Field.Max(), 8192);
  EXPECT_EQ(page.Reference.Field.Max(), 99);
  EXPECT_FALSE(page.Reference.Group.Member(event_choice::kSpecific).Enabled);
  page.EventSpecificNetworkZoneClick(true);
  EXPECT_TRUE(page.Reference.Group.Member(event_choice::kSpecific).Enabled);
  EXPECT_TRUE(page.NetworkZone.Field.Enabled());
}

TEST_F(EventPageTest, ALoadedRuleShowsACheckedButDisabledEventAsItWas) {
  EventSelection events;
  events.Set(kFire, true, true);
  events.Set(kDay, true, false);
  FState.LoadRuleIntoPage({.Kind = rkEventLocal,
                           .Panel = -1,
                           .Loop = -1,
                           .Zone = -1,
                           .Address = -1,
                           .DeviceType = 0,
                           .Events = events.Value(),
                           .Output = 0x8000});
  EXPECT_EQ(FState.Page, epEvent);
  EXPECT_EQ(FState.Event.Events[kDay], (CheckState{true, false, true}));
  EXPECT_EQ(FState.CaptureEventRule({}).Events, events.Value());
}

TEST_F(EventPageTest, TurnOffAsksBeforeSettingAnInvertRule) {
  FState.PageControlTabChange(epEvent);
  FState.TurnOffClick(true);
  FQueries.ExpectMessage(MessageAnswer::No);
  FState.EventSetRuleButtonClick();
  EXPECT_EQ(FConfiguration.RuleCount, 0);
  EXPECT_TRUE(FState.Output.TurnOff.Checked);
  EXPECT_EQ(FQueries.Messages().back().Text, ActiveText(string_id::kCreateInvertRule));
  EXPECT_EQ(FQueries.Messages().back().Caption, ActiveText(string_id::kWarning));

  FQueries.ExpectMessage(MessageAnswer::Yes);
  FState.EventSetRuleButtonClick();
  EXPECT_EQ(FConfiguration.RuleCount, 1);
  EXPECT_FALSE(FState.Output.TurnOff.Checked);
  EXPECT_EQ(FConfiguration.WorkingRule.Modifier, 1);
  EXPECT_FALSE(FState.Input.Source.Member(InputSourceState::kNetworkZone).Enabled);
}

TEST_F(EventPageTest, ANetworkRuleNeedsKP6000AndLocksOutLocalZones) {
  FState.PageControlTabChange(epEvent);
  FState.EventPageChange(etNetwork);
  EXPECT_TRUE(FState.Input.NetworkZone());
  FState.EventSetRuleButtonClick();
  EXPECT_EQ(FConfiguration.WorkingRule.Kind, rkEventNetwork);
  EXPECT_EQ(FConfiguration.RequiredSystem, kSystemKP6000);
  EXPECT_FALSE(FState.Input.Source.Member(InputSourceState::kLocalZone).Enabled);
  FState.EventPageChange(etLocal);  // the locked-out zone type is not chosen
  EXPECT_TRUE(FState.Input.NetworkZone());
}

// model, system, network zone type
using RoundTripCase = std::tuple<int, int, bool>;
class EventRoundTripTest : public EditorTest<::testing::TestWithParam<RoundTripCase>> {
 protected:
  bool Coin() { return std::bernoulli_distribution(0.5)(FRandom); }
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }
  void Pick(EditorField field) {
    const NumberField& number = FState.Field(field);
    FState.NumberFieldChange(
        field, std::uniform_int_distribution<int>(number.Min(), number.Max())(FRandom));
  }

  // A member of the page's option groups that the user can click: shown and enabled.
  struct Member {
    EventChoice EventPageState::*Choice;
    int Position;
    void (EventPageState::*Click)(bool);
  };
  void ClickSomeMember() {
    using namespace event_choice;
    using P = EventPageState;
    static constexpr Member kMembers[] = {
        {&P::Panel, kAny, &P::EventAnyPanelClick},
        {&P::Panel, kSpecific, &P::EventSpecificPanelClick},
        {&P::Loop, kNone, &P::EventNonLoopClick},
        {&P::Loop, kAny, &P::EventAnyLoopClick},
        {&P::Loop, kSpecific, &P::EventSpecificLoopClick},
        {&P::Loop, kVirtual, &P::EventVirtualLoopClick},
        {&P::Address, kNone, &P::EventNonDeviceClick},
        {&P::Address, kAny, &P::EventAnyAddressClick},
        {&P::Address, kSpecific, &P::EventSpecificAddressClick},
        {&P::LocalZone, kAny, &P::EventAnyLocalZoneClick},
        {&P::LocalZone, kSpecific, &P::EventSpecificLocalZoneClick},
        {&P::NetworkZone, kAny, &P::EventAnyNetworkZoneClick},
        {&P::NetworkZone, kSpecific, &P::EventSpecificNetworkZoneClick},
        {&P::Reference, kAny, &P::EventAnyReferenceClick},
        {&P::Reference, kSpecific, &P::EventSpecificReferenceClick},
    };
    EventPageState& page = FState.Event;
    const Member& member = kMembers[Below(std::size(kMembers))];
    const bool networkMember = member.Choice == &P::NetworkZone || member.Choice == &P::Reference;
    const OptionMember& box = (page.*member.Choice).Group.Member(member.Position);
    if (box.Enabled && box.Visible && networkMember == (page.Tab == etNetwork)) {
      (page.*member.Click)(Coin());
    }
  }

  // What an engineer might click on the page before Set Rule.
  void MakeRandomRule() {
    EventPageState& page = FState.Event;
    if (page.NetworkTabVisible && Coin()) FState.EventPageChange(Coin() ? etNetwork : etLocal);
    if (page.Tab == etLocal && Coin()) page.EventGeneralClick(Coin());
    for (int n = Below(8); n > 0; --n) ClickSomeMember();
    if (page.DevicePanelVisible && Coin()) page.DeviceRadioButtonClick(Coin());
    if (page.DeviceTypeEnabled) page.DeviceTypeComboBoxChange(Below(page.DeviceType.Items.size()));
    for (EditorField field :
         {EditorField::EventPanel, EditorField::EventLocalZone, EditorField::EventLoop,
          EditorField::EventAddress, EditorField::EventNetworkZone, EditorField::EventReference,
          EditorField::TerminationBoard, EditorField::TerminationOutput}) {
      Pick(field);
    }
    for (int n = Below(4); n > 0; --n) {
      const int event = Below(kEventCount);
      const CheckState& box = page.Events[static_cast<std::size_t>(event)];
      if (box.Enabled && box.Visible) page.EventClick(event, Coin());
    }
    FState.TurnOffClick(Coin());
  }

  std::mt19937 FRandom{20261208};
};

TEST_P(EventRoundTripTest, ALoadedRuleCapturesAsItWasSetAndDecodesWithItsEvents) {
  const auto [model, system, networkZones] = GetParam();
  Start({model, system, networkZones});
  FState.PageControlTabChange(epEvent);
  std::set<int> kinds;
  for (int n = 0; n < 300; ++n) {
    MakeRandomRule();
    if (!FState.Event.SetRuleEnabled) continue;
    const RuleRecord set = FState.CaptureEventRule({});
    MakeRandomRule();  // the page moves on
    FState.LoadRuleIntoPage(set);
    ASSERT_EQ(FState.CaptureEventRule({}), set) << "rule " << n << " of kind " << set.Kind;
    if (FState.Output.TurnOff.Checked) FQueries.ExpectMessage(MessageAnswer::Yes);
    FState.EventSetRuleButtonClick();
    kinds.insert(set.Kind);
  }
  EXPECT_EQ(kinds.size(), system == kSystemKP6000 ? 3U : 2U);

  const DecodedConfiguration decoded =
      DecodeImage(EncodeImage(FConfiguration), FConfiguration.ControllerSettings, "Mimic1");
  ASSERT_EQ(decoded.Rules.size(), static_cast<std::size_t>(FConfiguration.RuleCount));
  for (std::int32_t n = 1; n <= FConfiguration.RuleCount; ++n) {
    EXPECT_EQ(decoded.Rules[static_cast<std::size_t>(n - 1)].Events,
              FConfiguration.StoredRule(n).Events)
        << "rule " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryModelAndSystem, EventRoundTripTest,
                         ::testing::Values(RoundTripCase{0, kSystemKP10, false},
                                           RoundTripCase{0, kSystemKP4000, false},
                                           RoundTripCase{0, kSystemKP6000, false},
                                           RoundTripCase{0, kSystemKP6000, true},
                                           RoundTripCase{4, kSystemKP10, false},
                                           RoundTripCase{4, kSystemKP6000, false}));

}  // namespace
}  // namespace trv
