#include "transfer/encode_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/relay_links.h"
#include "model/zone_range.h"
#include "transfer/time_stamp.h"
#include "transfer/user_name.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Words = std::vector<std::uint16_t>;

constexpr std::int32_t kFire = 0b11;
constexpr std::int32_t kFault = 0b11 << 8;

// Stamps that never read the clock, the file system or the user database.
ImageStamps FixedStamps() {
  ImageStamps stamps;
  stamps.ImageTime = std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000));
  stamps.UserName = "engineer";
  return stamps;
}

// The words of the stream up to its first 0xFFFF.
Words StreamOf(const ConfigurationImage& image) {
  Words words;
  for (std::size_t i = 0; i < ConfigurationImage::kStreamWordCapacity; ++i) {
    const std::uint16_t word = image.StreamWord(i);
    if (word == 0xFFFF) break;
    words.push_back(word);
  }
  return words;
}

// The words after the options and the Boards word.
Words RuleWordsOf(const ConfigurationImage& image) {
  const Words words = StreamOf(image);
  return {words.begin() + 1, words.end()};
}

Words Slice(const Words& words, std::size_t first, std::size_t count) {
  return {words.begin() + static_cast<std::ptrdiff_t>(first),
          words.begin() + static_cast<std::ptrdiff_t>(first + count)};
}

RuleRecord BoardRule(std::int32_t board, std::int32_t firstZone, std::int32_t events) {
  RuleRecord rule;
  rule.Kind = rkBoard;
  rule.Panel = 0;
  rule.Zone = firstZone;
  rule.Events = events;
  rule.Modifier = board;
  return rule;
}

RuleRecord ZonalRule(std::int32_t first, std::int32_t last, std::int32_t output) {
  RuleRecord rule;
  rule.Kind = rkZonal;
  rule.Panel = 0;
  rule.Zone = ZoneRange{first, last}.Packed();
  rule.Events = kZonalEventFire;
  rule.Output = output;
  return rule;
}

// The local rule of the KP6000 example: panel 1, zone 5, loop 2, address 17, sensor OPT.
RuleRecord LocalRule() {
  RuleRecord rule;
  rule.Kind = rkEventLocal;
  rule.Panel = 1;
  rule.Loop = 2;
  rule.Zone = 5;
  rule.Address = 17;
  rule.DeviceType = 3;
  rule.Events = kFire | kFault;
  rule.Modifier = 0;
  rule.Output = 0x820A;
  return rule;
}

RuleRecord GeneralRule(std::int32_t panel) {
  RuleRecord rule;
  rule.Kind = rkEventGeneral;
  rule.Panel = panel;
  rule.Events = kFire;
  rule.Output = 0x8000;
  return rule;
}

class EncodeImageTest : public ::testing::Test {
 protected:
  EncodeImageTest() {
    Settings().BoardsInstalled = 3;
    Settings().SystemIndex = 2;
  }

  ControllerSettings& Settings() { return FConfiguration.ControllerSettings; }
  void Add(const RuleRecord& rule) { FConfiguration.StoreRule(++FConfiguration.RuleCount, rule); }
  ConfigurationImage Encode() const { return EncodeImage(FConfiguration, FixedStamps()); }
  Words RuleWords() const { return RuleWordsOf(Encode()); }
  Words Stream() const { return StreamOf(Encode()); }

  Configuration FConfiguration{"/nonexistent/trv-program", "/nonexistent/trv-data"};
};

TEST_F(EncodeImageTest, NoRulesGiveTheBoardsWordThenTheEnd) {
  const ConfigurationImage image = Encode();
  EXPECT_THAT(StreamOf(image), ElementsAre(0xA803));
  for (std::size_t i = 1; i < ConfigurationImage::kStreamWordCapacity; ++i) {
    ASSERT_EQ(image.StreamWord(i), 0xFFFF) << i;
  }
  EXPECT_EQ(image.Byte(ConfigurationImage::kRuleWordStreamOffset), 0x03);  // low byte first
  EXPECT_EQ(image.Byte(ConfigurationImage::kRuleWordStreamOffset + 1), 0xA8);
}

TEST_F(EncodeImageTest, VdsAndNetworkComeBeforeTheBoardsWord) {
  Settings().ZoneMode = kZoneModeNetworkVds;
  Settings().NetworkFitted = 1;
  Settings().BoardsInstalled = 8;
  EXPECT_THAT(Stream(), ElementsAre(0xAA00, 0xAC00, 0xA808));
  Settings().ZoneMode = kZoneModeLocalVds;
  Settings().NetworkFitted = 0;
  Settings().BoardsInstalled = 513;  // mod 512
  EXPECT_THAT(Stream(), ElementsAre(0xAA00, 0xA801));
  Settings().ZoneMode = kZoneModeNetwork;
  EXPECT_THAT(Stream(), ElementsAre(0xA801));
}

TEST_F(EncodeImageTest, FireBoardRuleMapsOneZoneToEachOutput) {
  Add(BoardRule(2, 1, kBoardEventFire));
  const Words words = RuleWords();
  ASSERT_EQ(words.size(), 256u);
  EXPECT_THAT(Slice(words, 0, 4), ElementsAre(0x8040, 0x9800, 0x0000, 0x2000));
  EXPECT_THAT(Slice(words, 4, 4), ElementsAre(0x8041, 0x9800, 0x0000, 0x2001));
  EXPECT_THAT(Slice(words, 252, 4), ElementsAre(0x807F, 0x9800, 0x0000, 0x203F));
}

TEST_F(EncodeImageTest, PairedBoardRuleMapsOneZoneToTwoOutputs) {
  Add(BoardRule(2, 1, kBoardEventFireAndFaultTestDisable));
  const Words words = RuleWords();
  ASSERT_EQ(words.size(), 256u);
  EXPECT_THAT(Slice(words, 0, 12), ElementsAre(0x8040, 0x9800, 0x0000, 0x2000,  //
                                               0x8041, 0x91C0, 0x0000, 0x2000,  //
                                               0x8042, 0x9800, 0x0000, 0x2001));
  EXPECT_THAT(Slice(words, 248, 8),
              ElementsAre(0x807E, 0x9800, 0x0000, 0x201F, 0x807F, 0x91C0, 0x0000, 0x201F));
}

TEST_F(EncodeImageTest, BoardRuleOutputsOnFittedRelayLinksCarryBits9And11) {
  Settings().RelayLinks[RelayLinkIndex(1, 0, 0)] = 1;  // board 2, bank 1, outputs 1..8
  Settings().RelayLinks[RelayLinkIndex(0, 1, 3)] = 1;  // board 1: another board's link
  Add(BoardRule(2, 1, kBoardEventFire));
  const Words words = RuleWords();
  for (std::size_t output = 0; output < 64; ++output) {
    const std::uint16_t expected =
        static_cast<std::uint16_t>(0x8040 + output + (output < 8 ? 0x0A00 : 0));
    EXPECT_EQ(words[output * 4], expected) << output;
  }
}

TEST_F(EncodeImageTest, SlimlineBoardRuleUsesItsOwnLinksAndSixteenOutputs) {
  Settings().ModelIndex = 4;
  Settings().RcuRelayLinks[RcuRelayLinkIndex(9, 15)] = 1;  // board 10, output 16
  Add(BoardRule(10, 1, kBoardEventFire));
  const Words words = RuleWords();
  ASSERT_EQ(words.size(), 64u);
  EXPECT_EQ(words[0], 0x8000 + 144);
  EXPECT_EQ(words[60], 0x8A00 + 159);
}

TEST_F(EncodeImageTest, BoardRuleWithNetworkZonesHasNoPanelWordAndHighZones) {
  Settings().ZoneMode = kZoneModeNetwork;
  Add(BoardRule(1, 8000, kBoardEventFire));
  const Words words = RuleWords();
  ASSERT_EQ(words.size(), 64u * 4);
  EXPECT_THAT(Slice(words, 0, 4), ElementsAre(0x8000, 0x9800, 0x6001, 0x2F3F));
}

TEST_F(EncodeImageTest, BoardRuleWithNumbersNoPanelCanHoldStaysInsideItsFields) {
  for (const std::int32_t board : {0, -1, 9, INT_MAX, INT_MIN}) {
    FConfiguration.RuleCount = 0;
    Settings().RelayLinks.fill(1);
    Add(BoardRule(board, INT_MAX, kBoardEventFire));
    const Words words = RuleWords();
    ASSERT_EQ(words.size(), 64u * 5) << board;  // zones above 4096: ZoneHigh words
    for (std::size_t output = 0; output < 64; ++output) {
      EXPECT_EQ(words[output * 5] & 0xFE00, 0x8000) << board;  // no relay bits off the boards
    }
  }
}

TEST_F(EncodeImageTest, ZonalRangeOfNetworkZonesAboveZone4096) {
  Settings().ZoneMode = kZoneModeNetwork;
  Add(ZonalRule(4097, 4100, 0x820A));
  EXPECT_THAT(RuleWords(),
              ElementsAre(0xAE03, 0x820A, 0x9800, 0xD800, 0x6001, 0x2000, 0x6001, 0x2003, 0x7100));
}

TEST_F(EncodeImageTest, ZonalRuleForOneZoneHasNoRangeMarker) {
  Settings().SystemIndex = 0;
  RuleRecord rule = ZonalRule(7, 7, 0x8005);
  rule.Panel = 3;
  rule.Modifier = 1;  // "Turn Off" belongs to event rules only
  Add(rule);
  EXPECT_THAT(RuleWords(), ElementsAre(0xAE03, 0x8005, 0x9800, 0x0003, 0x2006, 0x7000));
}

TEST_F(EncodeImageTest, LocalRuleOfTheKp6000Example) {
  Add(LocalRule());
  EXPECT_THAT(RuleWords(),
              ElementsAre(0xAE01, 0x820A, 0x9900, 0x0001, 0x2004, 0x1002, 0x5011, 0x7103));
}

TEST_F(EncodeImageTest, LocalRuleForAModuleSetsBit11AndItsTypeNumber) {
  RuleRecord rule = LocalRule();
  rule.DeviceType = 257;  // SPK
  Add(rule);
  EXPECT_THAT(RuleWords(),
              ElementsAre(0xAE01, 0x820A, 0x9900, 0x0001, 0x2004, 0x1002, 0x5811, 0x7108));
}

TEST_F(EncodeImageTest, LocalRuleEndsEarlyForNonLoopAndNonDeviceEvents) {
  RuleRecord nonLoop = LocalRule();
  nonLoop.Loop = kNonLoop;
  Add(nonLoop);
  RuleRecord nonDevice = LocalRule();
  nonDevice.Address = kNonDevice;
  nonDevice.DeviceType = kDeviceTypeNotApplicable;
  Add(nonDevice);
  EXPECT_THAT(RuleWords(), ElementsAre(0xAE01, 0x820A, 0x9801, 0x0001, 0x2004,  // fault bit 0
                                       0xAE01, 0x820A, 0x9810, 0x0001, 0x2004, 0x1002));
}

TEST_F(EncodeImageTest, LocalRuleOnAVirtualLoopHasNoLoopWord) {
  RuleRecord rule = LocalRule();
  rule.Loop = 1024;
  Add(rule);
  rule.Loop = 2048;
  rule.Panel = kAnyPanel;
  rule.Zone = kAnyZone;
  rule.Address = kAnyAddress;
  Add(rule);
  EXPECT_THAT(RuleWords(), ElementsAre(0xAE01, 0x820A, 0x9900, 0x0001, 0x2004, 0x5411, 0x7103,
                                       0xAE01, 0x820A, 0x9900, 0x5400, 0x7103));
}

TEST_F(EncodeImageTest, LocalRuleForAnyLoopAndNotApplicableAddress) {
  RuleRecord rule = LocalRule();
  rule.Loop = kAnyLoop;
  rule.Zone = 5000;
  rule.Address = kAddressNotApplicable;
  rule.DeviceType = -4;
  rule.Events = kFault;
  Add(rule);
  Settings().SystemIndex = 0;
  // Fault of a non-device on a loop: bit 4; a zone above 4096 gets its ZoneHigh word.
  EXPECT_THAT(RuleWords(),
              ElementsAre(0xAE01, 0x820A, 0x9010, 0x0001, 0x6001, 0x2387, 0x1000, 0x7000));
}

TEST_F(EncodeImageTest, EventRuleEventsUseOnlySelectedEventsWithABit) {
  RuleRecord rule = LocalRule();
  rule.Events = static_cast<std::int32_t>(0xFFFFFFFF);  // all sixteen selected
  Add(rule);
  rule.Events = 0x55555555;  // all checked, none enabled
  Add(rule);
  const Words words = RuleWords();
  EXPECT_EQ(words[2], 0x9F6E);
  EXPECT_EQ(words[10], 0x9000);
}

TEST_F(EncodeImageTest, NetworkRuleIgnoresTheLoopItCarries) {
  for (const std::int32_t carried : {-2, -1, 1024}) {
    FConfiguration.RuleCount = 0;
    RuleRecord rule;
    rule.Kind = rkEventNetwork;
    rule.Panel = 4;  // carried too: no panel word
    rule.Loop = carried;
    rule.Zone = 8192;
    rule.Address = 5;
    rule.DeviceType = 3;
    rule.Events = kFault;
    rule.Output = 0x8001;
    Add(rule);
    rule.Zone = kAnyZone;
    rule.Address = kAnyReference;
    rule.DeviceType = kDeviceTypeNotApplicable;
    Add(rule);
    EXPECT_THAT(RuleWords(), ElementsAre(0xAE02, 0x8001, 0x9100, 0x6001, 0x2FFF, 0x5005, 0x7103,
                                         0xAE02, 0x8001, 0x9010, 0x5000, 0x7100))
        << carried;
  }
}

TEST_F(EncodeImageTest, GeneralRuleHasItsOwnEventsWordAndNoRuleEnd) {
  RuleRecord rule = GeneralRule(2);
  rule.Events = static_cast<std::int32_t>(0xFFFFFFFF);
  rule.Modifier = 1;
  Add(rule);
  Add(GeneralRule(kAnyPanel));
  EXPECT_THAT(RuleWords(), ElementsAre(0xAE04, 0x8400, 0xE01F, 0x0002,  //
                                       0xAE04, 0x8000, 0xE001));
}

TEST_F(EncodeImageTest, TurnOffDriverOutputAndSteadyLedWords) {
  RuleRecord rule = GeneralRule(kAnyPanel);
  rule.Output = 0xCA00 + 20;  // driver board 3, output 5
  rule.Modifier = 1;
  Add(rule);
  rule.Output = 0xCA00 + 63;  // driver board 8, output 8
  rule.Modifier = 0;
  Add(rule);
  rule.Output = 0x8A00 + 511;  // relay on the last termination output
  Add(rule);
  const Words words = RuleWords();
  EXPECT_EQ(words[1], 0xC484);
  EXPECT_EQ(words[4], 0xC1C7);
  EXPECT_EQ(words[7], 0x8BFF);
}

TEST_F(EncodeImageTest, ClearedAndInvalidRulesWriteNothing) {
  Add(GeneralRule(1));
  RuleRecord cleared;
  cleared.Kind = rkCleared;
  Add(cleared);
  cleared.Kind = 9;
  Add(cleared);
  Add(GeneralRule(2));
  EXPECT_THAT(RuleWords(), ElementsAre(0xAE04, 0x8000, 0xE001, 0x0001,  //
                                       0xAE04, 0x8000, 0xE001, 0x0002));
}

// 7,614 general rules with a panel word (4 words) and two without (3 words) fill the stream
// area but its last word; one more panel word is one word too many.
void FillStream(Configuration& configuration, bool oneWordPast) {
  const int rules = 7616;
  for (int n = 1; n <= rules; ++n) {
    configuration.StoreRule(n, GeneralRule(n <= 7614 || (oneWordPast && n == rules) ? 1 : -1));
  }
  configuration.RuleCount = rules;
}

TEST_F(EncodeImageTest, StreamFilledToItsLastWordStillEnds) {
  FillStream(FConfiguration, false);
  const ConfigurationImage image = Encode();
  const std::size_t last = ConfigurationImage::kStreamWordCapacity - 1;
  EXPECT_EQ(image.StreamWord(last - 1), 0xE001);
  EXPECT_EQ(image.StreamWord(last), 0xFFFF);
  EXPECT_EQ(StreamOf(image).size(), last);
}

TEST_F(EncodeImageTest, CountedWordsAreTheWordsWritten) {
  FillStream(FConfiguration, false);
  const RuleWordUse use = CountRuleWords(FConfiguration);
  EXPECT_EQ(use.NeededWords, StreamOf(Encode()).size() - 1);  // the Boards word is no rule's
  EXPECT_EQ(use.AvailableWords, use.NeededWords);
  EXPECT_TRUE(use.Fits());
}

TEST_F(EncodeImageTest, StreamOverflowIsRefusedWithTheWordCounts) {
  FillStream(FConfiguration, true);
  EXPECT_FALSE(CountRuleWords(FConfiguration).Fits());
  try {
    Encode();
    FAIL() << "no overflow error";
  } catch (const ImageOverflowError& error) {
    EXPECT_EQ(error.NeededWords(), 30463u);
    EXPECT_EQ(error.AvailableWords(), 30462u);
    EXPECT_STREQ(error.what(),
                 "The rules need 30463 words of the configuration image, but only 30462 fit");
  }
}

TEST_F(EncodeImageTest, HugeRuleListIsCountedWithoutWritingPastTheImage) {
  for (int n = 1; n <= 200; ++n) FConfiguration.StoreRule(n, BoardRule(1, 1, 0));
  FConfiguration.RuleCount = 200;
  EXPECT_THROW(Encode(), ImageOverflowError);
  FConfiguration.RuleCount = INT_MAX;  // rows past the sheet hold no rules
  EXPECT_THROW(Encode(), ImageOverflowError);
}

class ImageHeaderTest : public EncodeImageTest {
 protected:
  std::string Text(const ConfigurationImage& image, std::size_t offset, std::size_t length) {
    return {image.Data().begin() + static_cast<std::ptrdiff_t>(offset),
            image.Data().begin() + static_cast<std::ptrdiff_t>(offset + length)};
  }
  std::string UserNameField(const std::optional<std::string>& name) {
    ImageStamps stamps = FixedStamps();
    stamps.UserName = name;
    return Text(EncodeImage(FConfiguration, stamps), ConfigurationImage::kUserNameOffset, 20);
  }
};

TEST_F(ImageHeaderTest, EveryHeaderByte) {
  ControllerSettings& settings = Settings();
  settings.ModelIndex = 4;
  settings.SystemIndex = 1;
  settings.AddressMode = kAddressModeSoft;
  settings.SoftAddress = 0x012C;
  settings.BuzzerMode = 2;
  settings.UnitName = "Site A";
  settings.ZoneMode = kZoneModeLocalVds;
  settings.ResoundOnNewAlarm = 1;
  settings.BuzzerDisplayedEventsOnly = 1;
  settings.BuzzerDisableInterval = 300;  // low 8 bits
  settings.AccessLevel = 1;
  settings.MutedTechAlarmInterval = 120;
  const ConfigurationImage image = Encode();
  const std::string stamp = TimeStamp(FixedStamps().ImageTime);

  std::vector<std::uint8_t> expected(4352, 0xFF);
  auto put = [&expected](std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), expected.begin() + static_cast<std::ptrdiff_t>(offset));
  };
  put(0, "0000");
  put(4, stamp);  // no rule file time: the image's
  put(16, stamp);
  expected[28] = 2;
  expected[29] = 0x01;
  expected[30] = 0x2C;
  expected[31] = 2;
  put(32, "Site A              ");
  put(52, "engineer            ");
  put(72, std::string(40, ' '));
  expected[112] = 4;
  expected[113] = 0;
  expected[114] = 0;
  expected[115] = 1;
  expected[116] = 0;
  expected[118] = 1;
  expected[119] = 300 & 0xFF;
  expected[120] = 1;
  expected[121] = 1;
  expected[130] = 1;
  expected[133] = 120;
  EXPECT_THAT(Text(image, 0, 4352), ElementsAreArray(expected.begin(), expected.end()));
}

TEST_F(ImageHeaderTest, TimeStampsOfTheRuleFileAndTheImage) {
  ImageStamps stamps = FixedStamps();
  stamps.RuleFileTime = stamps.ImageTime - std::chrono::hours(24 * 40);
  const ConfigurationImage image = EncodeImage(FConfiguration, stamps);
  EXPECT_EQ(Text(image, 4, 12), TimeStamp(*stamps.RuleFileTime));
  EXPECT_EQ(Text(image, 16, 12), TimeStamp(stamps.ImageTime));
  EXPECT_NE(Text(image, 4, 12), Text(image, 16, 12));
}

TEST_F(ImageHeaderTest, UnitNameIsCutOrPaddedInCodePage1252) {
  Settings().UnitName = "M\xC3\xBCller \xE2\x82\xAC \xD0\x96 Kraftwerk Nord";
  EXPECT_EQ(Text(Encode(), 32, 20), "M\xFCller \x80 ? Kraftwerk");
  Settings().UnitName = "";
  EXPECT_EQ(Text(Encode(), 32, 20), std::string(20, ' '));
}

TEST_F(ImageHeaderTest, UserNameMustFitATwentyByteBuffer) {
  EXPECT_EQ(UserNameField(std::string(19, 'u')), std::string(19, 'u') + " ");
  EXPECT_EQ(UserNameField(std::string(20, 'u')), "This is a User Name ");
  EXPECT_EQ(UserNameField(std::string(21, 'u')), "This is a User Name ");
  EXPECT_EQ(UserNameField(std::nullopt), "This is a User Name ");
  // Counted in the image's code page: 19 two-byte UTF-8 letters still fit.
  std::string umlauts;
  for (int i = 0; i < 19; ++i) umlauts += "\xC3\xBC";
  EXPECT_EQ(UserNameField(umlauts), std::string(19, '\xFC') + " ");
}

TEST(TimeStampTest, FormatsLocalTimeAsYearMonthDayHourMinute) {
  const char* zone = std::getenv("TZ");
  const std::string saved = zone ? zone : "";
  setenv("TZ", "UTC", 1);
  tzset();
  using std::chrono::sys_days;
  const auto instant = sys_days{std::chrono::year{2026} / 3 / 7} + std::chrono::hours(9) +
                       std::chrono::minutes(5) + std::chrono::seconds(59);
  EXPECT_EQ(TimeStamp(instant), "202603070905");
  EXPECT_EQ(TimeStamp(sys_days{std::chrono::year{1999} / 12 / 31} + std::chrono::hours(23)),
            "199912312300");
  if (zone) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(RuleFileStampTest, TheRuleFileIsItsDirectoryJoinedWithItsName) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("trv-encode-" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  Configuration configuration(directory, directory);
  EXPECT_EQ(RuleFilePath(configuration), directory / configuration.RuleFileName);
  EXPECT_FALSE(CurrentImageStamps(RuleFilePath(configuration)).RuleFileTime.has_value());

  // After a save the name is a full path, which names the file itself.
  const std::filesystem::path saved = directory / "saved" / "Site.trv";
  std::filesystem::create_directories(saved.parent_path());
  std::ofstream(saved) << "{}";
  const auto written = std::chrono::file_clock::now() - std::chrono::hours(50);
  std::filesystem::last_write_time(saved, written);
  configuration.RuleFileName = saved.string();
  EXPECT_EQ(RuleFilePath(configuration), saved);
  const ImageStamps stamps = CurrentImageStamps(RuleFilePath(configuration));
  ASSERT_TRUE(stamps.RuleFileTime.has_value());
  EXPECT_EQ(TimeStamp(*stamps.RuleFileTime),
            TimeStamp(std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                std::chrono::file_clock::to_sys(written))));
  std::filesystem::remove_all(directory);
}

TEST(UserNameTest, TheSystemNamesTheUserThisProcessRunsAs) {
  const std::optional<std::string> name = LoggedOnUserName();
  ASSERT_TRUE(name.has_value());
  EXPECT_FALSE(name->empty());
}

}  // namespace
}  // namespace trv
