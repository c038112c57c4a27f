#include "transfer/decode_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/event_selection.h"
#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/zone_range.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Words = std::vector<std::uint16_t>;
using Image = ConfigurationImage;

constexpr int kKP10 = 0;
constexpr int kKP4000 = 1;
constexpr int kKP6000 = 2;

struct Header {
  int System = kKP6000;
  int ZoneMode = kZoneModeLocal;
  bool Slimline = false;
};

// Word index of the stream, low byte first.
void PutWord(Image& image, std::size_t index, std::uint16_t word) {
  const std::size_t offset = Image::kRuleWordStreamOffset + 2 * index;
  image.SetByte(offset, static_cast<std::uint8_t>(word & 0xFF));
  image.SetByte(offset + 1, static_cast<std::uint8_t>(word >> 8));
}

// An erased image with the header bytes that steer the walk and the words from the stream's start.
Image StreamImage(const Words& words, const Header& header = {}) {
  Image image;
  image.SetByte(Image::kSystemIndexOffset, static_cast<std::uint8_t>(header.System));
  image.SetByte(Image::kZoneModeOffset, static_cast<std::uint8_t>(header.ZoneMode));
  image.SetByte(Image::kSlimlineOffset, header.Slimline ? 1 : 0);
  for (std::size_t i = 0; i < words.size(); ++i) PutWord(image, i, words[i]);
  return image;
}

DecodedConfiguration Decode(const Image& image, const ControllerSettings& current = {}) {
  return DecodeImage(image, current, "Mimic7");
}

std::int32_t Events(std::initializer_list<int> checked, std::initializer_list<int> enabled) {
  EventSelection selection;
  for (const int event : enabled) selection.Set(event, false, true);
  for (const int event : checked) selection.Set(event, true, selection.IsEnabled(event));
  return selection.Value();
}

// Events 0..15: Fire, PreAlarm, Non-Fire/Aux, Test, Fault, (Device Test), Re-enabled, Disabled,
// Comms Fail, Day, Night, Delays Active, Evacuate, Silence, Reset, Power OK.
constexpr std::initializer_list<int> kSensorEvents{0, 1, 4, 6, 7};
constexpr std::initializer_list<int> kGeneralEvents{0, 3, 4, 7, 15};

RuleRecord Record(std::int32_t kind, std::int32_t panel, std::int32_t loop, std::int32_t zone,
                  std::int32_t address, std::int32_t deviceType, std::int32_t events,
                  std::int32_t modifier, std::int32_t output) {
  return {kind, panel, loop, zone, address, deviceType, events, modifier, output};
}

TEST(DecodeImageStream, BlankStreamGivesNoRulesAndOneBoard) {
  const DecodedConfiguration decoded = Decode(StreamImage({0xFFFF}));
  EXPECT_THAT(decoded.Rules, IsEmpty());
  EXPECT_EQ(decoded.Settings.BoardsInstalled, 1);
}

TEST(DecodeImageStream, ControlWordsSetVdsNetworkAndBoards) {
  const DecodedConfiguration decoded = Decode(StreamImage({0xAA00, 0xAC00, 0xA803, 0xFFFF}));
  EXPECT_THAT(decoded.Rules, IsEmpty());
  EXPECT_EQ(decoded.Settings.ZoneMode, kZoneModeLocalVds);
  EXPECT_EQ(decoded.Settings.NetworkFitted, 1);
  EXPECT_EQ(decoded.Settings.BoardsInstalled, 3);

  const Header network{.ZoneMode = kZoneModeNetwork};
  EXPECT_EQ(Decode(StreamImage({0xAA00}, network)).Settings.ZoneMode, kZoneModeNetworkVds);
}

TEST(DecodeImageStream, BoardsWordStaysWithinTheModelsBoards) {
  EXPECT_EQ(Decode(StreamImage({0xA800})).Settings.BoardsInstalled, 1);
  EXPECT_EQ(Decode(StreamImage({0xA9FF})).Settings.BoardsInstalled, 8);
  EXPECT_EQ(Decode(StreamImage({0xA9FF}, {.Slimline = true})).Settings.BoardsInstalled, 10);
}

TEST(DecodeImageStream, WordsOutOfPlaceArePassedOver) {
  // A loop word, control subtypes 0 and 3, rule headers of kinds 0 and 7, then a zonal rule.
  const DecodedConfiguration decoded = Decode(StreamImage(
      {0x1003, 0xA000, 0xA6FF, 0xAE00, 0xAE07, 0xAE03, 0x8005, 0x9800, 0x0000, 0x2000, 0x7000}));
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(decoded.Rules[0].Kind, rkZonal);
}

TEST(DecodeImageStream, EndOfStreamOnlyAtARuleBoundary) {
  // Type 15 inside a rule is one of its words; at the next boundary it ends the walk.
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE03, 0x8005, 0x9800, 0x0000, 0xF123, 0x7000, 0xFFFF, 0xAE03}));
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(ZoneRange::Unpack(decoded.Rules[0].Zone).First, 0x124);
}

TEST(DecodeImageZonal, LocalZoneWithPanel) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE03, 0x8005, 0x9080, 0x0002, 0x2009, 0x7000}));
  EXPECT_THAT(decoded.Rules, ElementsAre(Record(rkZonal, 2, 0, ZoneRange{10, 10}.Packed(), 0, 0,
                                                kZonalEventZoneInTest, 0, 0x8005)));
}

TEST(DecodeImageZonal, NetworkZoneRangeAboveOneBlockOfZones) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE03, 0x8005, 0x91C0, 0xD800, 0x6001, 0x2000, 0x6001, 0x2003, 0x7100},
                         {.ZoneMode = kZoneModeNetwork}));
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(decoded.Rules[0].Panel, kNetworkZonePanel);
  EXPECT_EQ(decoded.Rules[0].Zone, (ZoneRange{4097, 4100}.Packed()));
  EXPECT_EQ(decoded.Rules[0].Events, kZonalEventFaultTestDisable);
}

TEST(DecodeImageZonal, EventChoicesFromTheEventsWord) {
  const std::vector<std::pair<std::uint16_t, std::int32_t>> cases{
      {0x9800, kZonalEventFire},
      {0x99C0, kZonalEventFire},
      {0x91C0, kZonalEventFaultTestDisable},
      {0x9100, kZonalEventFault},
      {0x9080, kZonalEventZoneInTest},
      {0x90C0, kZonalEventDisable},
      {0x9000, kZonalEventFault}};
  for (const auto& [word, choice] : cases) {
    const DecodedConfiguration decoded =
        Decode(StreamImage({0xAE03, 0x8000, word, 0x0000, 0x2000, 0x7000}));
    ASSERT_EQ(decoded.Rules.size(), 1u);
    EXPECT_EQ(decoded.Rules[0].Events, choice) << std::hex << word;
  }
}

TEST(DecodeImageOutputs, RelayAndSteadyBitsFitTheLinkOfTheGroup) {
  // Index 0x45 = board 2, bank 1, output 6: group 1..8 of bank 1 on board 2.
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE03, 0x8A45, 0x9800, 0x0000, 0x2000, 0x7000}));
  trv::RelayLinks expected{};
  expected[RelayLinkIndex(1, 0, 0)] = 1;
  EXPECT_EQ(decoded.Settings.RelayLinks, expected);
  EXPECT_EQ(decoded.Settings.BoardsInstalled, 2);
  EXPECT_EQ(decoded.Rules[0].Output, 0x8A45);

  // Either bit alone fits nothing.
  for (const std::uint16_t output : {0x8245, 0x8845}) {
    EXPECT_EQ(
        Decode(StreamImage({0xAE03, output, 0x9800, 0x0000, 0x2000, 0x7000})).Settings.RelayLinks,
        trv::RelayLinks{});
  }
}

TEST(DecodeImageOutputs, SlimlineLinksAndBoardsStopAtItsTenBoards) {
  const Header slimline{.Slimline = true};
  // Index 0x13 = board 2, output 4.
  const DecodedConfiguration onBoard =
      Decode(StreamImage({0xAE03, 0x8A13, 0x9800, 0x0000, 0x2000, 0x7000}, slimline));
  trv::RcuRelayLinks expected{};
  expected[RcuRelayLinkIndex(1, 3)] = 1;
  EXPECT_EQ(onBoard.Settings.RcuRelayLinks, expected);
  EXPECT_EQ(onBoard.Settings.BoardsInstalled, 2);

  // Index 0x1F0 lies on board 32: no link, and boards stop at 10.
  const DecodedConfiguration offBoards =
      Decode(StreamImage({0xAE03, 0x8BF0, 0x9800, 0x0000, 0x2000, 0x7000}, slimline));
  EXPECT_EQ(offBoards.Settings.RcuRelayLinks, trv::RcuRelayLinks{});
  EXPECT_EQ(offBoards.Settings.RelayLinks, trv::RelayLinks{});
  EXPECT_EQ(offBoards.Settings.BoardsInstalled, 10);
}

TEST(DecodeImageOutputs, LinksAreAddedToTheCurrentOnesNeverCleared) {
  ControllerSettings current;
  current.RelayLinks[RelayLinkIndex(7, 1, 3)] = 1;
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE03, 0x8A45, 0x9800, 0x0000, 0x2000, 0x7000}), current);
  EXPECT_EQ(decoded.Settings.RelayLinks[RelayLinkIndex(7, 1, 3)], 1);
  EXPECT_EQ(decoded.Settings.RelayLinks[RelayLinkIndex(1, 0, 0)], 1);
}

TEST(DecodeImageOutputs, DriverOutputIndexAndTurnOff) {
  // Board 3, output 5 (index 20) with "Turn Off".
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE01, 0xC484, 0x9800, 0x1000, 0x5000, 0x7100}));
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(decoded.Rules[0].Output, 0xC000 + 20);
  EXPECT_EQ(decoded.Rules[0].Modifier, 1);
  EXPECT_EQ(decoded.Settings.BoardsInstalled, 3);
}

TEST(DecodeImageEvent, LocalRuleOfTheKP6000) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE01, 0x820A, 0x9900, 0x0001, 0x2004, 0x1002, 0x5011, 0x7103}, {}));
  EXPECT_THAT(decoded.Rules, ElementsAre(Record(rkEventLocal, 1, 2, 5, 17, 3,
                                                Events({0, 4}, kSensorEvents), 0, 0x820A)));
}

TEST(DecodeImageEvent, ModuleDeviceComesBackAsModuleType) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE01, 0x820A, 0x9900, 0x0001, 0x2004, 0x1002, 0x5811, 0x7108}));
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(decoded.Rules[0].DeviceType, 256 + 1);  // SPK
  // Any module: type number 0 is the sensor ANY unless the module bit says otherwise.
  const DecodedConfiguration anyModule =
      Decode(StreamImage({0xAE01, 0x820A, 0x9800, 0x1000, 0x5800, 0x7100}));
  EXPECT_EQ(anyModule.Rules[0].DeviceType, 256);
  EXPECT_EQ(anyModule.Rules[0].Address, kAnyAddress);
  EXPECT_EQ(anyModule.Rules[0].Loop, kAnyLoop);
}

TEST(DecodeImageEvent, VirtualLoopWithoutLoopWord) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE01, 0x8000, 0x9800, 0x0001, 0x5405, 0x7101}));
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(decoded.Rules[0].Loop, kVirtualLoop);
  EXPECT_EQ(decoded.Rules[0].Address, 5);
  // Sensor on a specific panel and virtual loop: table entry 5.
  EXPECT_EQ(decoded.Rules[0].Events, Events({0}, {0, 2, 4, 7}));

  // The virtual bit after a Loop word: on top of a specific loop, and instead of "any loop".
  const DecodedConfiguration specific =
      Decode(StreamImage({0xAE01, 0x8000, 0x9800, 0x0001, 0x1002, 0x5405, 0x7101}));
  EXPECT_EQ(specific.Rules[0].Loop, kVirtualLoop + 2);
  const DecodedConfiguration anyLoop =
      Decode(StreamImage({0xAE01, 0x8000, 0x9800, 0x0001, 0x1000, 0x5405, 0x7101}));
  EXPECT_EQ(anyLoop.Rules[0].Loop, kVirtualLoop);
  EXPECT_EQ(anyLoop.Rules[0].Events, Events({0}, {0, 2, 4, 7}));
}

TEST(DecodeImageEvent, NonLoopAndNonDeviceEndings) {
  const DecodedConfiguration nonLoop = Decode(StreamImage({0xAE01, 0x8000, 0x9001, 0x0001}));
  EXPECT_THAT(nonLoop.Rules, ElementsAre(Record(rkEventLocal, 1, kNonLoop, kAnyZone,
                                                kAddressNotApplicable, kDeviceTypeNotApplicable,
                                                Events({4}, {4, 8, 11, 12}), 0, 0x8000)));

  const DecodedConfiguration nonDevice =
      Decode(StreamImage({0xAE01, 0x8000, 0x9010, 0x1003, 0xAE03}));
  ASSERT_EQ(nonDevice.Rules.size(), 2u);
  EXPECT_EQ(nonDevice.Rules[0], Record(rkEventLocal, kAnyPanel, 3, kAnyZone, kNonDevice,
                                       kDeviceTypeNotApplicable, Events({4}, {4}), 0, 0x8000));
}

TEST(DecodeImageEvent, NetworkRuleHasNoPanelOrLoop) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE02, 0x8001, 0x9800, 0x6000, 0x2063, 0x5007, 0x7103}));
  // KPxK sensors on the network tab: the sensor entry of OPT.
  EXPECT_THAT(decoded.Rules, ElementsAre(Record(rkEventNetwork, kAnyPanel, kNonLoop, 100, 7, 3,
                                                Events({0}, kSensorEvents), 0, 0x8001)));
  // A module on the network tab also offers "(Device Test)".
  const DecodedConfiguration module =
      Decode(StreamImage({0xAE02, 0x8001, 0x9800, 0x6001, 0x2000, 0x5800, 0x7100}));
  EXPECT_EQ(module.Rules[0].Zone, 4097);
  EXPECT_EQ(module.Rules[0].DeviceType, 256);
  EXPECT_EQ(module.Rules[0].Events, Events({0}, {0, 2, 4, 5, 6, 7}));
}

TEST(DecodeImageEvent, GeneralRuleWithAndWithoutPanel) {
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE04, 0x8003, 0xE01F, 0x0005, 0xAE04, 0x8403, 0xE008}));
  const std::int32_t allGeneral = Events(kGeneralEvents, kGeneralEvents);
  EXPECT_THAT(
      decoded.Rules,
      ElementsAre(Record(rkEventGeneral, 5, kNonLoop, kAnyZone, kAddressNotApplicable,
                         kDeviceTypeNotApplicable, allGeneral, 0, 0x8003),
                  Record(rkEventGeneral, kAnyPanel, kNonLoop, kAnyZone, kAddressNotApplicable,
                         kDeviceTypeNotApplicable, Events({3}, kGeneralEvents), 1, 0x8003)));
}

TEST(DecodeImageEvent, EventsTheEditorDoesNotOfferStayCheckedButDisabled) {
  // Day and Comms Fail on a sensor rule: no entry offers them there.
  const DecodedConfiguration decoded =
      Decode(StreamImage({0xAE01, 0x8000, 0x9824, 0x1000, 0x5000, 0x7100}));
  EXPECT_EQ(decoded.Rules[0].Events, Events({0, 8, 9}, kSensorEvents));
  // KP10 has no network tab in the table: nothing is enabled.
  const DecodedConfiguration kp10 =
      Decode(StreamImage({0xAE02, 0x8000, 0x9800, 0x5000, 0x7000}, {.System = kKP10}));
  EXPECT_EQ(kp10.Rules[0].Events, Events({0}, {}));
}

// The groups of a paired board rule for zones first.. on board 2, network zones.
Words PairedBoardRule(std::int32_t firstZone) {
  Words words;
  for (int c = 0; c < 64; ++c) {
    const std::int32_t zone = firstZone + c / 2;
    words.push_back(static_cast<std::uint16_t>(0x8040 + c));
    words.push_back(c % 2 == 0 ? 0x9800 : 0x91C0);
    if (zone > 4096) words.push_back(static_cast<std::uint16_t>(0x6000 + (zone - 1) / 4096));
    words.push_back(static_cast<std::uint16_t>(0x2000 + (zone - 1) % 4096));
  }
  return words;
}

TEST(DecodeImageBoard, PairedRuleOnNetworkZonesAcrossBlocks) {
  Words words = PairedBoardRule(4090);
  // The rule must end exactly after its 64 groups.
  words.insert(words.end(), {0xAE04, 0x8000, 0xE001});
  const DecodedConfiguration decoded = Decode(StreamImage(words, {.ZoneMode = kZoneModeNetwork}));
  ASSERT_EQ(decoded.Rules.size(), 2u);
  EXPECT_EQ(decoded.Rules[0], Record(rkBoard, kNetworkZonePanel, 0, 4090, 0, 0,
                                     kBoardEventFireAndFaultTestDisable, 2, 0));
  EXPECT_EQ(decoded.Rules[1].Kind, rkEventGeneral);
  EXPECT_EQ(decoded.Settings.BoardsInstalled, 2);
}

TEST(DecodeImageBoard, FireRuleOnLocalZonesWithRelayGroup) {
  Words words;
  for (int c = 0; c < 64; ++c) {
    const std::uint16_t relay = c < 8 ? 0x0A00 : 0;
    for (const std::uint16_t word :
         {static_cast<std::uint16_t>(0x80C0 + c + relay), std::uint16_t{0x9800},
          std::uint16_t{0x0003}, static_cast<std::uint16_t>(0x2010 + c)}) {
      words.push_back(word);
    }
  }
  const DecodedConfiguration decoded = Decode(StreamImage(words));
  EXPECT_THAT(decoded.Rules, ElementsAre(Record(rkBoard, 3, 0, 17, 0, 0, kBoardEventFire, 4, 0)));
  trv::RelayLinks expected{};
  expected[RelayLinkIndex(3, 0, 0)] = 1;
  EXPECT_EQ(decoded.Settings.RelayLinks, expected);
  EXPECT_EQ(decoded.Settings.BoardsInstalled, 4);
}

ConfigurationImage HeaderImage() {
  Image image = StreamImage({0xFFFF});
  const auto put = [&image](std::size_t offset, int value) {
    image.SetByte(offset, static_cast<std::uint8_t>(value));
  };
  put(Image::kAddressModeOffset, 2);
  put(Image::kSoftAddressOffset, 0);
  put(Image::kSoftAddressOffset + 1, 100);
  put(Image::kBuzzerModeOffset, 2);
  put(Image::kZoneModeOffset, kZoneModeNetworkVds);
  put(Image::kResoundOnNewAlarmOffset, 1);
  put(Image::kBuzzerDisplayedEventsOnlyOffset, 1);
  put(Image::kBuzzerDisableIntervalOffset, 45);
  put(Image::kAccessLevelOffset, 1);
  put(Image::kSlimlineOffset, 1);
  put(Image::kSystemIndexOffset, kKP4000);
  put(Image::kMutedTechAlarmIntervalOffset, 7);
  const std::string name = "  Caf\xE9 Nord\t ";
  for (std::size_t i = 0; i < Image::kNameLength; ++i) {
    put(Image::kUnitNameOffset + i, i < name.size() ? name[i] : 0);
  }
  return image;
}

TEST(DecodeImageHeader, EverySettingFromItsByte) {
  const ControllerSettings settings = Decode(HeaderImage()).Settings;
  EXPECT_EQ(settings.ModelIndex, kSlimlineModelIndex);
  EXPECT_EQ(settings.SystemIndex, kKP4000);
  EXPECT_EQ(settings.ZoneMode, kZoneModeNetworkVds);
  EXPECT_EQ(settings.AddressMode, kAddressModeSoft);
  EXPECT_EQ(settings.SoftAddress, 100);  // kept although the image has no Network word
  EXPECT_EQ(settings.BuzzerMode, 2);
  EXPECT_EQ(settings.UnitName, "Caf\xC3\xA9 Nord");
  EXPECT_EQ(settings.ResoundOnNewAlarm, 1);
  EXPECT_EQ(settings.BuzzerDisplayedEventsOnly, 1);
  EXPECT_EQ(settings.BuzzerDisableInterval, 45);
  EXPECT_EQ(settings.MutedTechAlarmInterval, 7);
  EXPECT_EQ(settings.AccessLevel, 1);
  EXPECT_EQ(settings.BoardsInstalled, 1);
  EXPECT_EQ(settings.NetworkFitted, 0);
}

TEST(DecodeImageHeader, ErasedHeaderKeepsEverySettingInItsRange) {
  ControllerSettings current;
  current.NetworkFitted = 1;
  const ControllerSettings settings = Decode(Image(), current).Settings;
  EXPECT_EQ(settings.ModelIndex, 0);
  EXPECT_EQ(settings.SystemIndex, current.SystemIndex);
  EXPECT_EQ(settings.ZoneMode, kZoneModeLocal);
  EXPECT_EQ(settings.AddressMode, kAddressModeSoft);
  EXPECT_EQ(settings.SoftAddress, 0xFFFF);
  EXPECT_EQ(settings.BuzzerMode, current.BuzzerMode);
  EXPECT_EQ(settings.AccessLevel, current.AccessLevel);
  std::string erasedName;  // 0xFF is a letter of the code page, not a blank
  for (std::size_t i = 0; i < Image::kNameLength; ++i) erasedName += "\xC3\xBF";
  EXPECT_EQ(settings.UnitName, erasedName);
  EXPECT_EQ(settings.ResoundOnNewAlarm, 0);
  EXPECT_EQ(settings.BuzzerDisableInterval, 120);
  EXPECT_EQ(settings.MutedTechAlarmInterval, 120);
  EXPECT_EQ(settings.NetworkFitted, 0);

  Image low;
  low.SetByte(Image::kBuzzerDisableIntervalOffset, 0);
  low.SetByte(Image::kAddressModeOffset, 1);
  EXPECT_EQ(Decode(low).Settings.BuzzerDisableInterval, 2);
  EXPECT_EQ(Decode(low).Settings.AddressMode, kAddressModeDipSwitches);
}

TEST(DecodeImageHeader, UnitNameEndsAtZeroAndFallsBackWhenBlank) {
  Image image;
  const std::string full = "ABCDEFGHIJKLMNOPQRST";
  for (std::size_t i = 0; i < Image::kNameLength; ++i) {
    image.SetByte(Image::kUnitNameOffset + i, static_cast<std::uint8_t>(full[i]));
  }
  image.SetByte(Image::kUnitNameOffset + Image::kNameLength, 'X');  // the user name
  EXPECT_EQ(Decode(image).Settings.UnitName, full);

  image.SetByte(Image::kUnitNameOffset + 5, 0);
  EXPECT_EQ(Decode(image).Settings.UnitName, "ABCDE");

  // DEL and the five bytes without a glyph read as control characters and are trimmed too.
  const std::string padded = "\x7F\x81 East\x9D\x7F";
  for (std::size_t i = 0; i < padded.size(); ++i) {
    image.SetByte(Image::kUnitNameOffset + i, static_cast<std::uint8_t>(padded[i]));
  }
  image.SetByte(Image::kUnitNameOffset + padded.size(), 0);
  EXPECT_EQ(Decode(image).Settings.UnitName, "East");

  for (std::size_t i = 0; i < Image::kNameLength; ++i) {
    image.SetByte(Image::kUnitNameOffset + i, i % 2 == 0 ? ' ' : '\x01');
  }
  EXPECT_EQ(Decode(image).Settings.UnitName, "Mimic7");
}

TEST(DecodeImageLimits, RuleCutOffByTheEndKeepsItsFirstWords) {
  Image image = StreamImage({});
  const std::size_t last = Image::kStreamWordCapacity - 1;
  for (std::size_t i = 0; i < last - 2; ++i) PutWord(image, i, 0x3000);  // unused type
  PutWord(image, last - 2, 0xAE01);
  PutWord(image, last - 1, 0x8005);
  PutWord(image, last, 0x9800);
  const DecodedConfiguration decoded = Decode(image);
  ASSERT_EQ(decoded.Rules.size(), 1u);
  EXPECT_EQ(decoded.Rules[0].Output, 0x8005);
  EXPECT_EQ(decoded.Rules[0].Loop, kNonLoop);

  PutWord(image, last - 2, 0x3000);
  PutWord(image, last - 1, 0x3000);
  PutWord(image, last, 0x8040);  // a board rule that starts on the last word
  const DecodedConfiguration board = Decode(image);
  ASSERT_EQ(board.Rules.size(), 1u);
  EXPECT_EQ(board.Rules[0], Record(rkBoard, 0, 0, 0, 0, 0, kBoardEventFire, 2, 0));
  EXPECT_EQ(board.Settings.BoardsInstalled, 2);
}

TEST(DecodeImageLimits, StreamOfNothingButHeadersEndsAtTheEnd) {
  Image image = StreamImage({});
  for (std::size_t i = 0; i < Image::kStreamWordCapacity; ++i) PutWord(image, i, 0xAE04);
  // Each header takes the next two as its output and Events words.
  EXPECT_EQ(Decode(image).Rules.size(), (Image::kStreamWordCapacity + 2) / 3);
}

}  // namespace
}  // namespace trv
