#include "editor/rule_checker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/device_types.h"
#include "model/event_availability.h"
#include "model/event_selection.h"
#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/zone_range.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace event_index;

// Events checked, and enabled as the page enabled them.
std::int32_t Events(std::initializer_list<int> checked, std::initializer_list<int> enabled) {
  EventSelection selection;
  for (const int event : enabled) selection.Set(event, false, true);
  for (const int event : checked) selection.Set(event, true, selection.IsEnabled(event));
  return selection.Value();
}

// What the page enables for a KPxK sensor of any type.
const std::initializer_list<int> kSensorEvents{kFire, kPreAlarm, kFault, kEnabled, kDisabled};

std::int32_t Termination(int index, bool steady = true) {
  return OutputWord::Termination(index, false, steady).Value();
}

RuleRecord Board(std::int32_t board, std::int32_t firstZone = 1) {
  return {.Kind = rkBoard, .Panel = 0, .Zone = firstZone, .Events = 0, .Modifier = board};
}

RuleRecord Zonal(std::int32_t output, std::int32_t first = 1, std::int32_t last = 1) {
  return {.Kind = rkZonal, .Panel = 0, .Zone = ZoneRange{first, last}.Packed(), .Output = output};
}

// Any panel, loop, zone and address, sensor "Any sensor", Fire.
RuleRecord Local(std::int32_t output) {
  return {.Kind = rkEventLocal,
          .Panel = kAnyPanel,
          .Loop = kAnyLoop,
          .Zone = kAnyZone,
          .Address = kAnyAddress,
          .DeviceType = 0,
          .Events = Events({kFire}, kSensorEvents),
          .Modifier = 0,
          .Output = output};
}

RuleRecord TurnOff(std::int32_t output) {
  RuleRecord rule = Local(output);
  rule.Modifier = 1;
  return rule;
}

RuleRecord Network(std::int32_t zone, std::int32_t reference) {
  return {.Kind = rkEventNetwork,
          .Zone = zone,
          .Address = reference,
          .DeviceType = 0,
          .Events = Events({kFire}, kSensorEvents),
          .Output = Termination(0)};
}

// The default controller (TRV-M on a KP6000, 8 boards, local zones, no links) with these rules.
Configuration WithRules(std::initializer_list<RuleRecord> rules) {
  Configuration configuration("/nonexistent/trv-checker", "/nonexistent/trv-checker");
  for (const RuleRecord& rule : rules) configuration.StoreRule(++configuration.RuleCount, rule);
  return configuration;
}

std::vector<std::string> LinesOf(const Configuration& configuration, const std::string& code) {
  std::vector<std::string> lines;
  for (const Finding& finding : CheckConfiguration(configuration)) {
    if (finding.Code == code) lines.push_back(FindingLine(finding));
  }
  return lines;
}

struct CheckCase {
  std::string Name;
  std::string Code;
  std::function<Configuration()> Build;
  std::vector<std::string> Lines;  // every finding of Code; none for a case that must stay quiet
};

class CheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTest, FindsExactlyThis) {
  EXPECT_EQ(LinesOf(GetParam().Build(), GetParam().Code), GetParam().Lines);
}

Configuration WithBoards(int boards, std::initializer_list<RuleRecord> rules) {
  Configuration configuration = WithRules(rules);
  configuration.ControllerSettings.BoardsInstalled = boards;
  return configuration;
}

Configuration OnSystem(int system, std::initializer_list<RuleRecord> rules) {
  Configuration configuration = WithRules(rules);
  configuration.ControllerSettings.SystemIndex = static_cast<std::int8_t>(system);
  return configuration;
}

Configuration Slimline(int system, std::initializer_list<RuleRecord> rules) {
  Configuration configuration = OnSystem(system, rules);
  configuration.ControllerSettings.ModelIndex = kSlimlineModelIndex;
  configuration.ControllerSettings.BoardsInstalled = 1;
  return configuration;
}

// Board 1, bank 1, outputs 1..8 on relays.
Configuration WithFirstRelayLink(std::initializer_list<RuleRecord> rules) {
  Configuration configuration = WithRules(rules);
  configuration.ControllerSettings.RelayLinks[RelayLinkIndex(0, 0, 0)] = 1;
  return configuration;
}

Configuration BoardRules(int count) {
  Configuration configuration = WithRules({});
  for (int n = 0; n < count; ++n) configuration.StoreRule(++configuration.RuleCount, Board(1));
  return configuration;
}

RuleRecord WithField(RuleRecord rule, std::int32_t RuleRecord::*field, std::int32_t value) {
  rule.*field = value;
  return rule;
}

RuleRecord VirtualSensor(std::int32_t address) {
  RuleRecord rule = Local(Termination(0));
  rule.Panel = 1;
  rule.Loop = kVirtualLoop;
  rule.Address = address;
  return rule;
}

const CheckCase kCheckCases[] = {
    {"InvalidKind",
     "E01",
     [] { return WithRules({WithField(Zonal(0), &RuleRecord::Kind, 7)}); },
     {"rule 1: error E01: the rule is invalid (kind 7) and is not sent"}},
    {"ClearedIsNoInvalidKind",
     "E01",
     [] { return WithRules({WithField(Zonal(0), &RuleRecord::Kind, rkCleared)}); },
     {}},
    {"BoardRuleBeyondBoards",
     "E02",
     [] { return WithBoards(2, {Board(3)}); },
     {"rule 1: error E02: the rule drives board 3, but 2 boards are installed"}},
    {"BoardRuleOnLastBoard", "E02", [] { return WithBoards(2, {Board(2)}); }, {}},
    {"OutputBeyondBoards",
     "E03",
     [] {
       return WithBoards(1, {Zonal(Termination(64)), Local(OutputWord::Driver(8).Value())});
     },
     {"rule 1: error E03: output 65 (board 2, bank 1, output 1) is on board 2, but 1 board is "
      "installed",
      "rule 2: error E03: driver output 9 (board 2, output 1) is on board 2, but 1 board is "
      "installed"}},
    {"SlimlineOutputBeyondBoards",
     "E03",
     [] { return Slimline(0, {Zonal(Termination(16))}); },
     {"rule 1: error E03: output 17 (board 2, output 1) is on board 2, but 1 board is installed"}},
    {"OutputsOnInstalledBoard",
     "E03",
     [] {
       return WithBoards(1, {Zonal(Termination(63)), Local(OutputWord::Driver(7).Value())});
     },
     {}},
    {"NetworkRuleOnKP4000",
     "E04",
     [] { return OnSystem(1, {Network(5, 3)}); },
     {"rule 1: error E04: the rule needs a KP6000 host system, but the system is a KP4000"}},
    {"NetworkRuleOnKP6000", "E04", [] { return OnSystem(2, {Network(5, 3)}); }, {}},
    {"NoEventSelected",
     "E05",
     [] {
       // Day was checked while the page had it disabled: it does not count.
       return WithRules({WithField(Local(0), &RuleRecord::Events, Events({kDay}, {kFire}))});
     },
     {"rule 1: error E05: no event is selected"}},
    {"OneEventSelected", "E05", [] { return WithRules({Local(0)}); }, {}},
    {"EventNotOffered",
     "E06",
     [] {
       return WithRules({WithField(Local(0), &RuleRecord::Events,
                                   Events({kFire, kDay, kEvacuate}, {kFire, kDay, kEvacuate}))});
     },
     {"rule 1: error E06: events Day and Evacuate are not offered for the rule's input on a "
      "KP6000"}},
    {"GasSensorFire",
     "E06",
     [] {
       // GAS, position 6 of the KPxK sensors, offers PreAlarm but no Fire.
       RuleRecord gas = WithField(Local(0), &RuleRecord::DeviceType, 6);
       gas.Events = Events({kFire}, {kFire});
       return WithRules({gas});
     },
     {"rule 1: error E06: event Fire is not offered for the rule's input on a KP6000"}},
    {"EventsOffered",
     "E06",
     [] {
       return WithRules({WithField(Local(0), &RuleRecord::Events,
                                   Events({kPreAlarm, kDisabled}, kSensorEvents))});
     },
     {}},
    {"InputsOutsideLimits",
     "E07",
     [] {
       Configuration configuration = WithRules(
           {WithField(Local(0), &RuleRecord::Zone, 256), Board(1, 193), Zonal(0, 250, 300),
            VirtualSensor(65), WithField(Local(0), &RuleRecord::Loop, 9)});
       configuration.StoreRule(++configuration.RuleCount, Network(1, 33));
       configuration.ControllerSettings.ZoneMode = kZoneModeLocalVds;
       return configuration;
     },
     {"rule 1: error E07: zone 256 is outside 1..255 on a KP6000",
      "rule 2: error E07: first zone 193 is outside 1..192 on a KP6000",
      "rule 3: error E07: last zone 300 is outside 1..255 on a KP6000",
      "rule 4: error E07: address 65 is outside 1..64 on a KP6000",
      "rule 5: error E07: loop 9 is outside 1..8 on a KP6000",
      "rule 6: error E07: reference 33 is outside 1..32 on a KP6000"}},
    {"InputsAtTheirLimits",
     "E07",
     [] {
       return WithRules({WithField(Local(0), &RuleRecord::Zone, 255), Board(1, 192),
                         Zonal(0, 1, 255), VirtualSensor(64), Network(8192, 99)});
     },
     {}},
    {"PanelOnNetworkedController",
     "E07",
     [] {
       Configuration configuration = WithRules({Zonal(0)});  // panel 0
       configuration.ControllerSettings.NetworkFitted = 1;
       return configuration;
     },
     {"rule 1: error E07: panel 0 is outside 1..125 on a KP6000"}},
    {"ImageOverflow",
     "E08",
     [] { return BoardRules(119); },
     {"error E08: the rules need 30464 image words, but only 30462 fit"}},
    {"ImageFull", "E08", [] { return BoardRules(118); }, {}},
    {"SameRules",
     "W01",
     [] {
       // The loop of a zonal rule and the enabled bits of unchecked events mean nothing.
       RuleRecord local = Local(0);
       local.Events = Events({kFire}, {kFire});
       return WithRules({Zonal(0), WithField(Zonal(0), &RuleRecord::Loop, 5), Local(0), local});
     },
     {"rules 1, 2: warning W01: the rules are the same in every field their kind uses",
      "rules 3, 4: warning W01: the rules are the same in every field their kind uses"}},
    {"RulesDifferInAZone",
     "W01",
     [] {
       return WithRules({Zonal(0, 1, 2), Zonal(0, 1, 3)});
     },
     {}},
    {"OutputModesDiffer",
     "W02",
     [] {
       return WithRules({Zonal(Termination(5)), Local(Termination(5, false))});
     },
     {"rules 1, 2: warning W02: output 6 (board 1, bank 1, output 6) is a steady LED in rule 1 "
      "and a flashing LED in rule 2"}},
    {"OutputModesAgree",
     "W02",
     [] {
       return WithRules({Zonal(Termination(5)), Local(Termination(5))});
     },
     {}},
    {"RelayBitAgainstLinks",
     "W03",
     [] {
       return WithFirstRelayLink(
           {Zonal(Termination(2)), Zonal(OutputWord::Termination(8, true, true).Value())});
     },
     {"rule 1: warning W03: output 3 (board 1, bank 1, output 3) is set as an LED, but its relay "
      "link is fitted",
      "rule 2: warning W03: output 9 (board 1, bank 1, output 9) is set as a relay, but its relay "
      "link is not fitted"}},
    {"RelayBitsAsCaptured",
     "W03",
     [] {
       return WithFirstRelayLink({Zonal(OutputWord::Termination(2, true, true).Value()),
                                  Zonal(Termination(8)), Local(OutputWord::Driver(0).Value())});
     },
     {}},
    {"SlimlineOnKP6000CapturesRelays",
     "W03",
     [] { return Slimline(2, {Zonal(OutputWord::Termination(3, true, true).Value())}); },
     {}},
    {"BoardRuleOutputDrivenAgain",
     "W04",
     [] {
       return WithRules({Board(1), Zonal(Termination(5))});
     },
     {"rules 1, 2: warning W04: output 6 (board 1, bank 1, output 6) of board rule 1 is also "
      "driven by rule 2"}},
    {"BoardRuleAndOutputOnOtherBoard",
     "W04",
     [] {
       return WithRules({Board(1), Zonal(Termination(64))});
     },
     {}},
    {"TurnOffAlone",
     "W05",
     [] { return WithRules({TurnOff(Termination(9))}); },
     {"rule 1: warning W05: output 10 (board 1, bank 1, output 10) is turned off by the rule, but "
      "no rule turns it on"}},
    {"TurnOffAfterTurnOn",
     "W05",
     [] {
       return WithRules({TurnOff(Termination(9)), Zonal(Termination(9))});
     },
     {}},
    {"TurnOffBoardRuleOutput",
     "W05",
     [] {
       return WithRules({TurnOff(Termination(9)), Board(1)});
     },
     {}},
    {"BoardTwice",
     "W06",
     [] {
       return WithRules({Board(2, 1), Board(2, 65)});
     },
     {"rules 1, 2: warning W06: board 2 is driven by board rules 1, 2"}},
    {"BoardsOnce",
     "W06",
     [] {
       return WithRules({Board(1), Board(2)});
     },
     {}},
    {"ImageWordsOfNoRules",
     "N01",
     [] { return WithRules({}); },
     {"note N01: the rules use 0 of the 30462 image words available (0%)"}},
    {"ImageWordsOfAZoneRange",
     "N01",
     [] { return WithRules({Zonal(0, 1, 5)}); },
     {"note N01: the rules use 8 of the 30462 image words available (0%)"}},
    {"OutputsPerBoard",
     "N02",
     [] {
       return WithRules({Zonal(Termination(5)), Local(Termination(5)), Board(2),
                         Local(OutputWord::Driver(3).Value())});
     },
     {"note N02: termination board 1: 1 of 64 outputs used",
      "note N02: termination board 2: 64 of 64 outputs used",
      "note N02: driver board 1: 1 of 8 outputs used"}},
    {"NoOutputsUsed", "N02", [] { return WithRules({}); }, {}},
};

INSTANTIATE_TEST_SUITE_P(RuleChecker, CheckTest, ::testing::ValuesIn(kCheckCases),
                         [](const ::testing::TestParamInfo<CheckCase>& test) {
                           return test.param.Name;
                         });

TEST(RuleCheckerTest, ClearedRulesTakeNoPart) {
  const Configuration plain = WithRules({Zonal(Termination(1)), Local(Termination(2))});
  // A cleared row keeps whatever it held: here an output on no installed board.
  const Configuration cleared = WithRules(
      {Zonal(Termination(1)), WithField(Zonal(Termination(300)), &RuleRecord::Kind, rkCleared),
       Local(Termination(2))});
  std::vector<Finding> expected = CheckConfiguration(plain);
  for (Finding& finding : expected) {
    for (std::int32_t& rule : finding.Rules) rule += rule >= 2 ? 1 : 0;
  }
  EXPECT_EQ(CheckConfiguration(cleared), expected);
}

TEST(RuleCheckerTest, InvalidKindIsReportedOnceAndNothingElse) {
  // Every field of the row is wrong for any kind; only its kind is reported.
  const RuleRecord junk{-1, 99, 99, 99999, 999, 999, -1, 99, 0x8FFF};
  const Configuration configuration = WithBoards(1, {junk, junk});
  std::vector<std::string> lines;
  for (const Finding& finding : CheckConfiguration(configuration)) {
    if (finding.Severity != FindingSeverity::Note) lines.push_back(FindingLine(finding));
  }
  EXPECT_THAT(lines,
              ElementsAre("rule 1: error E01: the rule is invalid (kind -1) and is not sent",
                          "rule 2: error E01: the rule is invalid (kind -1) and is not sent"));
}

TEST(RuleCheckerTest, FieldsAKindDoesNotUseAreNeverRead) {
  // Values the previous rule left in the working rule.
  RuleRecord board = Board(1);
  board.Loop = 1024;
  board.Output = 0xFFFF;
  RuleRecord network = Network(5, 3);
  network.Panel = 200;
  network.Loop = -7;
  RuleRecord general = Local(Termination(70));
  general.Kind = rkEventGeneral;
  general.Events = Events({kPowerOK}, {kFire, kInTest, kFault, kDisabled, kPowerOK});
  general.Zone = 99999;
  general.Address = 4000;
  EXPECT_FALSE(HasError(CheckConfiguration(WithRules({board, network, general}))));
}

TEST(RuleCheckerTest, AHigherSystemIsTheOnlyErrorOfARuleItNeeds) {
  // On a KP10 the network rule's zone and reference are off every range, and its events are in
  // no row of the table: the system it needs says it all.
  const Configuration configuration = OnSystem(0, {Network(500, 50)});
  std::vector<std::string> errors;
  for (const Finding& finding : CheckConfiguration(configuration)) {
    if (finding.Severity == FindingSeverity::Error) errors.push_back(finding.Code);
  }
  EXPECT_THAT(errors, ElementsAre("E04"));
}

TEST(RuleCheckerTest, FindingsComeErrorsFirstThenByRule) {
  const Configuration configuration =
      WithBoards(1, {TurnOff(Termination(3)), Zonal(Termination(64)), Local(Termination(64))});
  std::vector<std::string> order;
  for (const Finding& finding : CheckConfiguration(configuration)) {
    order.push_back(finding.Code + " " +
                    (finding.Rules.empty() ? "-" : FindingLine(finding).substr(0, 6)));
  }
  EXPECT_THAT(order,
              ElementsAre("E03 rule 2", "E03 rule 3", "W05 rule 1", "N01 -", "N02 -", "N02 -"));
}

TEST(RuleCheckerTest, SummaryCountsEachSeverity) {
  const std::vector<Finding> findings = CheckConfiguration(WithBoards(1, {Board(2), Board(2)}));
  EXPECT_EQ(FindingsSummary(findings), "2 errors, 2 warnings, 2 notes");
  EXPECT_TRUE(HasError(findings));
  const std::vector<Finding> clean = CheckConfiguration(WithRules({}));
  EXPECT_EQ(FindingsSummary(clean), "0 errors, 0 warnings, 1 note");
  EXPECT_FALSE(HasError(clean));
}

// Rules as the editor pages capture them: every field within the limits of the system the page
// showed, events as the availability table offered them, outputs on installed boards.
class CapturedRules {
 public:
  CapturedRules(const ControllerSettings& settings, std::mt19937& random)
      : FSettings(settings),
        FRandom(random),
        FLimits(HostSystemLimitsOf(settings.SystemIndex,
                                   {.ModelIndex = settings.ModelIndex,
                                    .NetworkFitted = settings.NetworkFitted != 0,
                                    .VdsChecked = IsVdsZoneMode(settings.ZoneMode)})) {}

  RuleRecord Next() {
    switch (Pick(FSettings.SystemIndex == 2 ? 5 : 4)) {
      case 0:
        return BoardRule();
      case 1:
        return ZonalRule();
      case 2:
        return EventLocalRule();
      case 3:
        return EventGeneralRule();
      default:
        return EventNetworkRule();
    }
  }

 private:
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(FRandom); }
  bool Chance() { return Pick(2) == 0; }
  std::int32_t In(const FieldLimits& limits) {
    return std::uniform_int_distribution<std::int32_t>(limits.Min, limits.Max)(FRandom);
  }
  const FieldLimits& Zones() const {
    return IsNetworkZoneMode(FSettings.ZoneMode) ? FLimits.NetworkZone : FLimits.LocalZone;
  }
  bool Kp6000() const { return FSettings.SystemIndex == 2; }

  std::int32_t BoardZonalPanel() {
    return Kp6000() && Chance() ? kNetworkZonePanel : In(FLimits.BoardZonalPanel);
  }

  RuleRecord BoardRule() {
    RuleRecord rule{.Kind = rkBoard, .Panel = BoardZonalPanel(), .Events = Pick(2)};
    const std::int32_t span = BoardRuleSpan(FSettings.ModelIndex, rule.Events);
    rule.Zone = In(BoardRuleFirstZoneLimits(Zones(), span));
    rule.Modifier = 1 + Pick(FSettings.BoardsInstalled);
    return rule;
  }

  RuleRecord ZonalRule() {
    const std::int32_t first = In(Zones());
    const std::int32_t last = In({first, Zones().Max, first});
    return {.Kind = rkZonal,
            .Panel = BoardZonalPanel(),
            .Zone = ZoneRange{first, last}.Packed(),
            .Events = Pick(5),
            .Output = Output()};
  }

  // The output group: a termination output (steady hidden on a relay link, and for model 4
  // on a KP4000 or KP6000) or, but for model 4, a driver output.
  std::int32_t Output() {
    const bool slimline = IsSlimlineModel(FSettings.ModelIndex);
    if (!slimline && Chance()) {
      return OutputWord::Driver(Pick(FSettings.BoardsInstalled * 8)).Value();
    }
    const int index =
        Pick(FSettings.BoardsInstalled * OutputsPerBoard(obTermination, FSettings.ModelIndex));
    const RelayLinkTest links(FSettings.RelayLinks, FSettings.RcuRelayLinks, FSettings.ModelIndex);
    const bool steadyHidden =
        links.IsRelayOutputIndex(index) || (slimline && FSettings.SystemIndex != 0);
    return OutputWord::Termination(index, steadyHidden, Chance()).Value();
  }

  // Some of the offered events checked (the default when none), the offered ones enabled.
  std::int32_t EventsOffered(const EventCriteria& criteria) {
    const std::optional<EventAvailability> offered = LookUpEventAvailability(criteria);
    EventSelection selection;
    if (!offered) return selection.Value();
    bool any = false;
    for (int event = 0; event < kEventCount; ++event) {
      const bool allowed = offered->Allowed[static_cast<std::size_t>(event)];
      const bool checked = allowed && Pick(3) == 0;
      selection.Set(event, checked, allowed);
      any = any || checked;
    }
    if (!any) selection.Set(offered->DefaultEvent, true, true);
    return selection.Value();
  }

  RuleRecord EventRule(std::int32_t kind) {
    return {.Kind = kind, .Modifier = Pick(4) == 0 ? 1 : 0, .Output = Output()};
  }

  // The page's choices, then what the page shows and the rule it captures.
  RuleRecord EventLocalRule() {
    namespace ec = event_criteria;
    RuleRecord rule = EventRule(rkEventLocal);
    const bool kp10 = FSettings.SystemIndex == 0;
    const bool specificPanel = kp10 || Chance();
    rule.Panel = specificPanel ? In(FLimits.EventPanel) : kAnyPanel;
    const int loopChoice =
        Pick(specificPanel ? (Kp6000() ? 4 : 3) : 2);  // non, any, specific, virtual
    const bool nonLoop = loopChoice == 0;
    const bool virtualLoop = loopChoice == 3;
    rule.Loop = nonLoop           ? kNonLoop
                : loopChoice == 1 ? kAnyLoop
                : virtualLoop     ? kVirtualLoop
                                  : In(FLimits.EventLoop);
    const bool module = Chance();
    // Non device, any, specific address; a specific one only on a specific or virtual loop.
    const int addressChoice = nonLoop ? 1 : Pick(loopChoice >= 2 ? 3 : 2) + (virtualLoop ? 1 : 0);
    const bool nonDevice = addressChoice == 0 && !virtualLoop;
    const bool devicePanel = !nonLoop && !nonDevice;
    if (nonLoop) {
      rule.Address = kAddressNotApplicable;
    } else if (nonDevice) {
      rule.Address = kNonDevice;
    } else if (addressChoice >= 2) {
      rule.Address = In({1, EventAddressMax(virtualLoop, module), 1});
    } else {
      rule.Address = kAnyAddress;
    }
    rule.Zone = rule.Address == kAnyAddress && Chance() ? In(Zones()) : kAnyZone;
    const DeviceListChoice list{FSettings.ModelIndex, FSettings.SystemIndex, module, virtualLoop};
    const int shown = static_cast<int>(ShownDeviceTypeList(list).Codes.size());
    const int position = addressChoice >= 2 ? 0 : Pick(shown);  // a specific device has its type
    rule.DeviceType =
        devicePanel ? DeviceTypeFromListPosition(list, position) : kDeviceTypeNotApplicable;
    EventCriteria criteria{
        .SystemClass = kp10 ? ec::kSystemKP10 : ec::kSystemKPxK,
        .PanelClass = specificPanel && !kp10 ? ec::kSpecificPanel : ec::kAnyPanel,
        .LoopClass = virtualLoop ? ec::kVirtualLoop
                     : nonLoop   ? ec::kNonLoop
                                 : ec::kOtherLoop,
        .NonDevice = nonDevice ? ec::kNonDeviceChecked : ec::kDeviceEvent,
        .DeviceKind = !devicePanel ? ec::kNoDeviceKind
                      : module     ? ec::kModule
                                   : ec::kSensor,
        .Page = ec::kLocalPage,
        .Typed = devicePanel && !virtualLoop ? ec::kTyped : ec::kUntyped,
        .DeviceTypePosition = std::max(rule.DeviceType, 0) % kModuleTypeOffset};
    rule.Events = EventsOffered(criteria);
    return rule;
  }

  RuleRecord EventGeneralRule() {
    namespace ec = event_criteria;
    RuleRecord rule = EventRule(rkEventGeneral);
    rule.Panel = FSettings.SystemIndex == 0 || Chance() ? In(FLimits.EventPanel) : kAnyPanel;
    rule.Loop = kAnyLoop;
    rule.Zone = kAnyZone;
    rule.Address = kAddressNotApplicable;
    rule.DeviceType = kDeviceTypeNotApplicable;
    rule.Events = EventsOffered(
        {.SystemClass = FSettings.SystemIndex == 0 ? ec::kSystemKP10 : ec::kSystemKPxK,
         .DeviceKind = ec::kNoDeviceKind,
         .Page = ec::kGeneralPage,
         .Typed = ec::kUntyped});
    return rule;
  }

  RuleRecord EventNetworkRule() {
    namespace ec = event_criteria;
    RuleRecord rule = EventRule(rkEventNetwork);
    rule.Zone = Chance() ? In(FLimits.EventNetworkZone) : kAnyZone;
    rule.Address = rule.Zone != kAnyZone && Chance() ? In(FLimits.EventReference) : kAnyReference;
    const bool module = Chance();
    const DeviceListChoice list{FSettings.ModelIndex, FSettings.SystemIndex, module, false};
    const int position = rule.Address == kAnyReference
                             ? Pick(static_cast<int>(ShownDeviceTypeList(list).Codes.size()))
                             : 0;
    rule.DeviceType = DeviceTypeFromListPosition(list, position);
    rule.Events = EventsOffered({.SystemClass = ec::kSystemKPxK,
                                 .PanelClass = ec::kAnyCriterion,
                                 .LoopClass = ec::kAnyCriterion,
                                 .NonDevice = ec::kAnyCriterion,
                                 .DeviceKind = module ? ec::kModule : ec::kSensor,
                                 .Page = ec::kNetworkPage,
                                 .Typed = ec::kTyped,
                                 .DeviceTypePosition = position});
    return rule;
  }

  const ControllerSettings& FSettings;
  std::mt19937& FRandom;
  HostSystemLimits FLimits;
};

ControllerSettings RandomSettings(std::mt19937& random) {
  const auto pick = [&random](int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(random);
  };
  ControllerSettings settings;
  settings.ModelIndex = pick(2) == 0 ? 0 : kSlimlineModelIndex;
  settings.SystemIndex = static_cast<std::int8_t>(pick(3));
  settings.BoardsInstalled = 1 + pick(MaxBoardsInstalled(settings.ModelIndex));
  settings.ZoneMode =
      settings.SystemIndex == 2 ? static_cast<std::int8_t>(1 + pick(4)) : kZoneModeLocal;
  settings.NetworkFitted =
      settings.SystemIndex == 2 && !IsSlimlineModel(settings.ModelIndex) && pick(2) == 0;
  for (std::uint8_t& link : settings.RelayLinks) link = pick(4) == 0;
  for (std::uint8_t& link : settings.RcuRelayLinks) link = pick(4) == 0;
  return settings;
}

TEST(RuleCheckerTest, CapturedRulesHaveNoError) {
  std::mt19937 random(23);
  for (int round = 0; round < 300; ++round) {
    Configuration configuration = WithRules({});
    configuration.ControllerSettings = RandomSettings(random);
    CapturedRules captured(configuration.ControllerSettings, random);
    const int rules = 1 + std::uniform_int_distribution<int>(0, 40)(random);
    for (int n = 1; n <= rules; ++n) configuration.StoreRule(n, captured.Next());
    configuration.RuleCount = rules;
    for (const Finding& finding : CheckConfiguration(configuration)) {
      ASSERT_NE(finding.Severity, FindingSeverity::Error)
          << "round " << round << ": " << FindingLine(finding);
    }
  }
}

}  // namespace
}  // namespace trv
