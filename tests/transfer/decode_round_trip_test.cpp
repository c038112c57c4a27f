// Random configurations as the editor captures them, sent through the image and read back: what
// comes back is the original apart from what the image cannot carry.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
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
#include "transfer/decode_image.h"
#include "transfer/encode_image.h"

namespace trv {
namespace {

namespace ec = event_criteria;

// Events with a bit in the Events word of local and network rules, and in the GeneralEvents word.
constexpr std::array<int, 9> kCarriedEvents{0, 1, 2, 4, 5, 7, 8, 9, 12};
constexpr std::array<int, 5> kCarriedGeneralEvents{0, 3, 4, 7, 15};

template <std::size_t N>
bool Contains(const std::array<int, N>& events, int event) {
  for (const int carried : events) {
    if (carried == event) return true;
  }
  return false;
}

// One rule with what it should read back as.
struct Case {
  RuleRecord Rule;
  RuleRecord Expected;
};

class RandomConfiguration {
 public:
  explicit RandomConfiguration(unsigned seed) : FRandom(seed) { MakeSettings(); }

  const ControllerSettings& Settings() const { return FSettings; }
  // The settings as they read back: links only where a rule output shows them.
  ControllerSettings ExpectedSettings() const;
  Case MakeRule();

 private:
  int Pick(int first, int last) { return std::uniform_int_distribution(first, last)(FRandom); }
  bool Chance(int percent) { return Pick(1, 100) <= percent; }
  bool Network() const { return FSettings.NetworkFitted != 0; }
  bool NetworkZones() const { return IsNetworkZoneMode(FSettings.ZoneMode); }
  bool Slimline() const { return IsSlimlineModel(FSettings.ModelIndex); }
  HostSystemLimits Limits() const {
    return HostSystemLimitsOf(FSettings.SystemIndex,
                              {FSettings.ModelIndex, Network(), IsVdsZoneMode(FSettings.ZoneMode)});
  }
  std::int32_t Zone() {
    const FieldLimits zones = NetworkZones() ? Limits().NetworkZone : Limits().LocalZone;
    // Zones just above a block of 4096 need a ZoneHigh word.
    if (zones.Max > 4096 && Chance(30)) return Pick(4090, 4200);
    return Pick(zones.Min, zones.Max);
  }
  std::int32_t Panel(const FieldLimits& limits) { return Pick(limits.Min, limits.Max); }

  void MakeSettings();
  std::int32_t MakeOutput(bool& usedLink);
  std::int32_t SelectEvents(const EventCriteria& criteria);
  Case MakeBoardRule();
  Case MakeZonalRule();
  Case MakeLocalRule();
  Case MakeGeneralRule();
  Case MakeNetworkRule();
  void FitLinkOfOutput(std::int32_t output);

  std::mt19937 FRandom;
  ControllerSettings FSettings;
  trv::RelayLinks FShownLinks{};
  trv::RcuRelayLinks FShownRcuLinks{};
};

void RandomConfiguration::MakeSettings() {
  FSettings.ModelIndex = Chance(30) ? kSlimlineModelIndex : 0;
  FSettings.SystemIndex = static_cast<std::int8_t>(Chance(60) ? kSystemKP6000 : Pick(0, 1));
  const bool kp6000 = FSettings.SystemIndex == kSystemKP6000;
  FSettings.ZoneMode = kp6000 ? static_cast<std::int8_t>(Pick(1, 4)) : kZoneModeLocal;
  FSettings.NetworkFitted = kp6000 && !Slimline() && Chance(50) ? 1 : 0;
  FSettings.AddressMode = static_cast<std::uint8_t>(Pick(1, 2));
  FSettings.SoftAddress = Pick(0, Network() ? 125 : 31);
  FSettings.BuzzerMode = static_cast<std::int8_t>(Pick(0, 2));
  FSettings.ResoundOnNewAlarm = static_cast<std::uint8_t>(Pick(0, 1));
  FSettings.BuzzerDisplayedEventsOnly = static_cast<std::uint8_t>(Pick(0, 1));
  FSettings.AccessLevel = static_cast<std::int8_t>(Pick(0, 1));
  FSettings.BuzzerDisableInterval = Pick(2, 120);
  FSettings.MutedTechAlarmInterval = Pick(2, 120);
  FSettings.BoardsInstalled = Pick(1, MaxBoardsInstalled(FSettings.ModelIndex));
  FSettings.UnitName = "Site " + std::to_string(Pick(1, 99999));
  for (auto& link : FSettings.RelayLinks) link = Chance(20) ? 1 : 0;
  for (auto& link : FSettings.RcuRelayLinks) link = Chance(20) ? 1 : 0;
}

ControllerSettings RandomConfiguration::ExpectedSettings() const {
  ControllerSettings expected = FSettings;
  expected.RelayLinks = FShownLinks;
  expected.RcuRelayLinks = FShownRcuLinks;
  return expected;
}

void RandomConfiguration::FitLinkOfOutput(std::int32_t output) {
  FitRelayLinkOfOutputIndex(FShownLinks, FShownRcuLinks, FSettings.ModelIndex,
                            output & OutputWord::kIndexMask);
}

// A termination output (an LED unless its link is fitted) or a driver output.
std::int32_t RandomConfiguration::MakeOutput(bool& usedLink) {
  const int boards = FSettings.BoardsInstalled;
  if (!Slimline() && Chance(25)) {
    usedLink = false;
    return OutputWord::Driver(Pick(0, boards * 8 - 1)).Value();
  }
  const int index = Pick(0, boards * OutputsPerBoard(obTermination, FSettings.ModelIndex) - 1);
  const RelayLinkTest links(FSettings.RelayLinks, FSettings.RcuRelayLinks, FSettings.ModelIndex);
  usedLink = links.IsRelayOutputIndex(index);
  return OutputWord::Termination(index, usedLink, Chance(50)).Value();
}

// Checked events among those the page offers, at least the default; every offered one enabled.
std::int32_t RandomConfiguration::SelectEvents(const EventCriteria& criteria) {
  const std::optional<EventAvailability> availability = LookUpEventAvailability(criteria);
  EXPECT_TRUE(availability.has_value());
  EventSelection selection;
  if (!availability) return 0;
  for (int event = 0; event < kEventCount; ++event) {
    if (availability->Allowed[static_cast<std::size_t>(event)]) {
      selection.Set(event, Chance(40) || event == availability->DefaultEvent, true);
    }
  }
  return selection.Value();
}

template <std::size_t N>
std::int32_t CarriedEvents(std::int32_t events, const std::array<int, N>& carried) {
  EventSelection selection(events);
  for (int event = 0; event < kEventCount; ++event) {
    if (!Contains(carried, event)) selection.Set(event, false, selection.IsEnabled(event));
  }
  return selection.Value();
}

Case RandomConfiguration::MakeBoardRule() {
  RuleRecord rule;
  rule.Kind = rkBoard;
  rule.Events = Pick(0, 1);
  rule.Modifier = Pick(1, FSettings.BoardsInstalled);
  rule.Panel = NetworkZones() ? kNetworkZonePanel : Panel(Limits().BoardZonalPanel);
  const std::int32_t span = BoardRuleSpan(FSettings.ModelIndex, rule.Events);
  const FieldLimits zones = NetworkZones() ? Limits().NetworkZone : Limits().LocalZone;
  rule.Zone = Pick(1, std::max(1, zones.Max - span + 1));
  rule.Loop = Pick(-2, 5);  // fields a board rule does not use carry what the editor held
  rule.Address = Pick(-4, 5);
  rule.Output = 0x8123;
  RuleRecord expected = rule;
  expected.Loop = expected.Address = expected.DeviceType = expected.Output = 0;
  const RelayLinkTest links(FSettings.RelayLinks, FSettings.RcuRelayLinks, FSettings.ModelIndex);
  const int outputs = OutputsPerBoard(obTermination, FSettings.ModelIndex);
  const int first = OutputIndexOf(obTermination, FSettings.ModelIndex, {rule.Modifier, 1, 1});
  for (int index = first; index < first + outputs; ++index) {
    if (links.IsRelayOutputIndex(index)) FitLinkOfOutput(index);
  }
  return {rule, expected};
}

Case RandomConfiguration::MakeZonalRule() {
  RuleRecord rule;
  rule.Kind = rkZonal;
  rule.Events = Pick(0, 4);
  rule.Panel = NetworkZones() ? kNetworkZonePanel : Panel(Limits().BoardZonalPanel);
  const std::int32_t first = Zone();
  rule.Zone = ZoneRange{first, Chance(50) ? first : std::max(first, Zone())}.Packed();
  bool usedLink = false;
  rule.Output = MakeOutput(usedLink);
  rule.DeviceType = Pick(-4, 300);
  RuleRecord expected = rule;
  expected.Loop = expected.Address = expected.DeviceType = expected.Modifier = 0;
  if (!OutputWord(rule.Output).IsTermination()) expected.Output = rule.Output & 0xC1FF;
  if (usedLink) FitLinkOfOutput(rule.Output);
  return {rule, expected};
}

Case RandomConfiguration::MakeLocalRule() {
  enum { kNonLoopChoice, kAnyLoopChoice, kSpecificLoopChoice, kVirtualChoice };
  enum { kNonDeviceChoice, kAnyAddressChoice, kSpecificAddressChoice };
  RuleRecord rule;
  rule.Kind = rkEventLocal;
  const bool kp10 = FSettings.SystemIndex == kSystemKP10;
  const bool anyPanel = Chance(40);
  rule.Panel = anyPanel ? kAnyPanel : Panel(Limits().EventPanel);
  const bool virtualAllowed = !anyPanel && FSettings.SystemIndex == kSystemKP6000;
  const int loop =
      anyPanel ? Pick(kNonLoopChoice, kAnyLoopChoice)
               : Pick(kNonLoopChoice, virtualAllowed ? kVirtualChoice : kSpecificLoopChoice);
  const int address = loop == kNonLoopChoice ? -1
                      : loop == kAnyLoopChoice
                          ? Pick(kNonDeviceChoice, kAnyAddressChoice)
                          : Pick(loop == kVirtualChoice ? kAnyAddressChoice : kNonDeviceChoice,
                                 kSpecificAddressChoice);
  const bool module = Chance(50);
  const bool devicePanel = address == kAnyAddressChoice || address == kSpecificAddressChoice;
  const DeviceTypeList& list = FamilyDeviceTypeList(FamilyOfSystem(FSettings.SystemIndex), module);
  const int position = address == kAnyAddressChoice && loop != kVirtualChoice
                           ? Pick(0, static_cast<int>(list.Codes.size()) - 1)
                           : 0;
  rule.Loop = loop == kNonLoopChoice   ? kNonLoop
              : loop == kAnyLoopChoice ? kAnyLoop
              : loop == kVirtualChoice ? kVirtualLoop
                                       : Pick(1, Limits().EventLoop.Max);
  rule.Address = address == -1                 ? kAddressNotApplicable
                 : address == kNonDeviceChoice ? kNonDevice
                 : address == kAnyAddressChoice
                     ? kAnyAddress
                     : Pick(1, EventAddressMax(loop == kVirtualChoice, module));
  rule.DeviceType =
      devicePanel ? position + (module ? kModuleTypeOffset : 0) : kDeviceTypeNotApplicable;
  rule.Zone = address == kAnyAddressChoice && Chance(50) ? Zone() : kAnyZone;
  EventCriteria criteria;
  criteria.SystemClass = kp10 ? ec::kSystemKP10 : ec::kSystemKPxK;
  criteria.PanelClass = anyPanel || kp10 ? ec::kAnyPanel : ec::kSpecificPanel;
  criteria.LoopClass = loop == kVirtualChoice   ? ec::kVirtualLoop
                       : loop == kNonLoopChoice ? ec::kNonLoop
                                                : ec::kOtherLoop;
  criteria.NonDevice = address == kNonDeviceChoice ? ec::kNonDeviceChecked : ec::kDeviceEvent;
  criteria.DeviceKind = !devicePanel ? ec::kNoDeviceKind : module ? ec::kModule : ec::kSensor;
  criteria.Page = ec::kLocalPage;
  criteria.Typed = devicePanel && loop != kVirtualChoice ? ec::kTyped : ec::kUntyped;
  criteria.DeviceTypePosition = position;
  rule.Events = SelectEvents(criteria);
  RuleRecord expected = rule;
  expected.Events = CarriedEvents(rule.Events, kCarriedEvents);
  return {rule, expected};
}

Case RandomConfiguration::MakeGeneralRule() {
  RuleRecord rule;
  rule.Kind = rkEventGeneral;
  rule.Panel = Chance(40) ? kAnyPanel : Panel(Limits().EventPanel);
  rule.Loop = Pick(-2, 3);
  rule.Zone = Pick(-1, 20);
  rule.Address = Pick(-4, 20);
  rule.DeviceType = Pick(-4, 20);
  EventCriteria criteria;
  criteria.SystemClass = FSettings.SystemIndex == kSystemKP10 ? ec::kSystemKP10 : ec::kSystemKPxK;
  criteria.Page = ec::kGeneralPage;
  criteria.DeviceKind = ec::kNoDeviceKind;
  rule.Events = SelectEvents(criteria);
  RuleRecord expected = rule;
  expected.Loop = kNonLoop;
  expected.Zone = kAnyZone;
  expected.Address = kAddressNotApplicable;
  expected.DeviceType = kDeviceTypeNotApplicable;
  expected.Events = CarriedEvents(rule.Events, kCarriedGeneralEvents);
  return {rule, expected};
}

Case RandomConfiguration::MakeNetworkRule() {
  RuleRecord rule;
  rule.Kind = rkEventNetwork;
  rule.Panel = Pick(-1, 7);  // not used by network rules
  rule.Loop = Pick(-2, 8);
  const bool anyZone = Chance(40);
  rule.Zone = anyZone ? kAnyZone : Pick(1, Limits().EventNetworkZone.Max);
  const bool anyReference = anyZone || Chance(50);
  rule.Address = anyReference ? kAnyReference : Pick(1, Limits().EventReference.Max);
  const bool module = Chance(50);
  const DeviceTypeList& list = FamilyDeviceTypeList(DeviceFamily::KPxK, module);
  const int position = anyReference ? Pick(0, static_cast<int>(list.Codes.size()) - 1) : 0;
  rule.DeviceType = position + (module ? kModuleTypeOffset : 0);
  EventCriteria criteria;
  criteria.Page = ec::kNetworkPage;
  criteria.PanelClass = criteria.LoopClass = criteria.NonDevice = ec::kAnyCriterion;
  criteria.DeviceKind = module ? ec::kModule : ec::kSensor;
  criteria.Typed = ec::kTyped;
  criteria.DeviceTypePosition = position;
  rule.Events = SelectEvents(criteria);
  RuleRecord expected = rule;
  expected.Panel = kAnyPanel;
  expected.Loop = kNonLoop;
  expected.Events = CarriedEvents(rule.Events, kCarriedEvents);
  return {rule, expected};
}

Case RandomConfiguration::MakeRule() {
  const bool networkTab = NetworkZones() && FSettings.SystemIndex == kSystemKP6000;
  Case made;
  switch (Pick(0, 5)) {
    case 0:
      made = MakeBoardRule();
      break;
    case 1:
      made = MakeZonalRule();
      break;
    case 2:
      made = MakeGeneralRule();
      break;
    case 3:
      made = networkTab ? MakeNetworkRule() : MakeLocalRule();
      break;
    default:
      made = MakeLocalRule();
      break;
  }
  if (made.Rule.Kind == rkBoard || made.Rule.Kind == rkZonal) return made;
  bool usedLink = false;
  made.Rule.Output = MakeOutput(usedLink);
  made.Rule.Modifier = Pick(0, 1);
  made.Expected.Output = OutputWord(made.Rule.Output).IsTermination()
                             ? made.Rule.Output
                             : made.Rule.Output & 0xC1FF;  // no relay or steady bit
  made.Expected.Modifier = made.Rule.Modifier;
  if (usedLink) FitLinkOfOutput(made.Rule.Output);
  return made;
}

ImageStamps FixedStamps() {
  ImageStamps stamps;
  stamps.ImageTime = std::chrono::system_clock::time_point(std::chrono::hours(480'000));
  stamps.UserName = "engineer";
  return stamps;
}

TEST(DecodeRoundTrip, EncodedThenDecodedIsTheOriginalApartFromTheLosses) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomConfiguration random(seed);
    Configuration configuration("/nonexistent/trv-program", "/nonexistent/trv-data");
    configuration.ControllerSettings = random.Settings();
    std::vector<RuleRecord> expected;
    std::mt19937 order(seed);
    const int rules = static_cast<int>(order() % 40);
    for (int n = 0; n < rules; ++n) {
      if (order() % 10 == 0) {  // cleared and invalid rows are not sent
        RuleRecord gap;
        gap.Kind = order() % 2 == 0 ? rkCleared : 9;
        configuration.StoreRule(++configuration.RuleCount, gap);
        continue;
      }
      const Case made = random.MakeRule();
      configuration.StoreRule(++configuration.RuleCount, made.Rule);
      expected.push_back(made.Expected);
    }
    const DecodedConfiguration decoded =
        DecodeImage(EncodeImage(configuration, FixedStamps()), ControllerSettings{}, "Mimic1");
    EXPECT_EQ(decoded.Settings, random.ExpectedSettings());
    ASSERT_EQ(decoded.Rules.size(), expected.size());
    for (std::size_t n = 0; n < expected.size(); ++n) {
      EXPECT_EQ(decoded.Rules[n], expected[n]) << "rule " << n + 1;
    }
  }
}

}  // namespace
}  // namespace trv
