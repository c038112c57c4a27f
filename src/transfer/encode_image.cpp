#include "transfer/encode_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/device_types.h"
#include "model/event_selection.h"
#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/rule_record.h"
#include "model/windows1252.h"
#include "model/zone_range.h"
#include "transfer/rule_word_layout.h"
#include "transfer/time_stamp.h"
#include "transfer/user_name.h"

namespace trv {

namespace {

using namespace rule_word_layout;

using Image = ConfigurationImage;

// The last word of the stream area always stays 0xFFFF, so the stream always ends.
constexpr std::size_t kContentWords = Image::kStreamWordCapacity - 1;

constexpr std::string_view kUnknownUserName = "This is a User Name";
constexpr char kTextPadding = ' ';
constexpr std::uint8_t kBlank = 0x20;

// Events word payloads of the board event choices and of the zonal choices by index.
constexpr std::int32_t kFireEvents = 0x800;
constexpr std::int32_t kFaultTestDisableEvents = 0x1C0;
constexpr std::array<std::int32_t, 5> kZonalEvents{kFireEvents, kFaultTestDisableEvents, 0x100,
                                                   0x080, 0x040};

constexpr unsigned kVirtualLoopBit = 10;
constexpr unsigned kModuleBit = 11;
constexpr unsigned kSystemBit = 8;
constexpr unsigned kTurnOffBit = 10;
constexpr unsigned kSteadyBit = 9;
constexpr unsigned kRelayBit = 11;

// Counts every word the rules need but stores only those that leave the last word free, and
// none without an image.
class StreamWriter {
 public:
  explicit StreamWriter(Image* image) : FImage(image) {}

  void Put(RuleWord word) {
    if (FImage != nullptr && FCount < kContentWords) FImage->SetStreamWord(FCount, word);
    ++FCount;
  }
  std::size_t Count() const { return FCount; }

 private:
  Image* FImage;
  std::size_t FCount = 0;
};

class RuleEncoder {
 public:
  RuleEncoder(const ControllerSettings& settings, StreamWriter& stream)
      : FSettings(settings),
        FRelayLinks(settings.RelayLinks, settings.RcuRelayLinks, settings.ModelIndex),
        FStream(stream) {}

  void EncodeOptions();
  void Encode(const RuleRecord& rule);

 private:
  void Put(RuleWord word) { FStream.Put(word); }
  void PutPanel(std::int32_t panel);
  void PutZone(std::int64_t zone);
  void PutRuleHeader(std::int32_t kind);
  void PutOutput(const RuleRecord& rule, bool turnOff);
  void PutEvents(std::int32_t payload);
  void PutAddress(const RuleRecord& rule, bool virtualLoop);
  void PutRuleEnd(std::int32_t deviceType);
  void PutBoardOutput(int board, int index);

  void EncodeBoard(const RuleRecord& rule);
  void EncodeZonal(const RuleRecord& rule);
  void EncodeEventGeneral(const RuleRecord& rule);
  void EncodeEventLocal(const RuleRecord& rule);
  void EncodeEventNetwork(const RuleRecord& rule);

  const ControllerSettings& FSettings;
  RelayLinkTest FRelayLinks;
  StreamWriter& FStream;
};

RuleWord ControlWord(unsigned subtype, std::int64_t value) {
  RuleWord word(RuleWordType::Control);
  word.SetField(9, 3, subtype).SetField(0, 9, value);
  return word;
}

std::int32_t EventRulePayload(const RuleRecord& rule, bool network) {
  const EventSelection selection(rule.Events);
  std::int32_t payload = 0;
  for (const EventBit& entry : kEventRuleBits) {
    if (selection.IsSelected(entry.Event)) payload |= 1 << entry.Bit;
  }
  if (selection.IsSelected(event_index::kFault)) {
    // A network rule has no loop: its Loop field holds whatever the previous rule left there.
    unsigned bit = rule.DeviceType > -2 ? kDeviceFaultBit : kNonDeviceFaultBit;
    if (!network && rule.Loop <= -2) bit = kNonLoopFaultBit;
    payload |= 1 << bit;
  }
  return payload;
}

std::int32_t GeneralEventsPayload(std::int32_t events) {
  const EventSelection selection(events);
  std::int32_t payload = 0;
  for (const EventBit& entry : kGeneralEventBits) {
    if (selection.IsSelected(entry.Event)) payload |= 1 << entry.Bit;
  }
  return payload;
}

std::int32_t ZonalEventsPayload(std::int32_t choice) {
  if (choice < 0 || static_cast<std::size_t>(choice) >= kZonalEvents.size()) return 0;
  return kZonalEvents[static_cast<std::size_t>(choice)];
}

void RuleEncoder::EncodeOptions() {
  if (IsVdsZoneMode(FSettings.ZoneMode)) Put(ControlWord(kVdsSubtype, 0));
  if (FSettings.NetworkFitted) Put(ControlWord(kNetworkSubtype, 0));
  Put(ControlWord(kBoardsSubtype, FSettings.BoardsInstalled));
}

void RuleEncoder::Encode(const RuleRecord& rule) {
  switch (rule.Kind) {
    case rkBoard:
      return EncodeBoard(rule);
    case rkZonal:
      return EncodeZonal(rule);
    case rkEventLocal:
      return EncodeEventLocal(rule);
    case rkEventNetwork:
      return EncodeEventNetwork(rule);
    case rkEventGeneral:
      return EncodeEventGeneral(rule);
    default:
      return;  // cleared and invalid rules write nothing
  }
}

void RuleEncoder::PutPanel(std::int32_t panel) {
  Put(RuleWord(RuleWordType::Panel).SetField(0, 7, panel));
}

void RuleEncoder::PutZone(std::int64_t zone) {
  if (zone > kZonesPerZoneWord) {
    Put(RuleWord(RuleWordType::ZoneHigh).SetField(0, 12, (zone - 1) / kZonesPerZoneWord));
  }
  Put(RuleWord(RuleWordType::Zone).SetField(0, 12, zone - 1));
}

void RuleEncoder::PutRuleHeader(std::int32_t kind) {
  Put(ControlWord(kRuleHeaderSubtype, kind));
}

void RuleEncoder::PutOutput(const RuleRecord& rule, bool turnOff) {
  const OutputWord output(rule.Output);
  if (output.IsTermination()) {
    RuleWord word(RuleWordType::TerminationOutput);
    word.SetField(0, 9, output.Index())
        .SetBit(kSteadyBit, output.IsSteady())
        .SetBit(kRelayBit, output.IsRelay())
        .SetBit(kTurnOffBit, turnOff);
    return Put(word);
  }
  const int index = output.Index();
  RuleWord word(RuleWordType::DriverOutput);
  word.SetField(0, 3, index).SetField(6, 3, index >> 3).SetBit(kTurnOffBit, turnOff);
  Put(word);
}

void RuleEncoder::PutEvents(std::int32_t payload) {
  Put(RuleWord(RuleWordType::Events).SetField(0, 12, payload));
}

void RuleEncoder::PutAddress(const RuleRecord& rule, bool virtualLoop) {
  if (rule.Address < kAnyAddress) return;  // not applicable
  RuleWord word(RuleWordType::Address);
  word.SetField(0, 10, rule.Address == kAnyAddress ? 0 : rule.Address)
      .SetBit(kVirtualLoopBit, virtualLoop)
      .SetBit(kModuleBit, IsModuleType(rule.DeviceType));
  Put(word);
}

void RuleEncoder::PutRuleEnd(std::int32_t deviceType) {
  const int typeNumber = deviceType < 0 ? 0 : PanelTypeNumber(FSettings.SystemIndex, deviceType);
  RuleWord word(RuleWordType::RuleEnd);
  word.SetField(0, 8, typeNumber).SetBit(kSystemBit, FSettings.SystemIndex != 0);
  Put(word);
}

void RuleEncoder::PutBoardOutput(int board, int index) {
  // Bits 9 and 11 together mark an output on a fitted relay link.
  const bool relay = FRelayLinks.IsRelayOutputOnBoard(board - 1, index);
  RuleWord word(RuleWordType::TerminationOutput);
  word.SetField(0, 9, index).SetBit(kSteadyBit, relay).SetBit(kRelayBit, relay);
  Put(word);
}

// Only the low 9 bits of an output index reach the word, so a board number read from a file is
// reduced to the boards that span the 512 indexes before its index is computed; boards 1..8
// (model 4: 1..32) stay as they are.
int IndexRangeBoard(std::int32_t board, int outputsPerBoard) {
  const std::int64_t boards = (OutputWord::kMaxIndex + 1) / outputsPerBoard;
  return static_cast<int>(((std::int64_t{board} - 1) % boards + boards) % boards + 1);
}

void RuleEncoder::EncodeBoard(const RuleRecord& rule) {
  const int outputs = OutputsPerBoard(obTermination, FSettings.ModelIndex);
  const int board = IndexRangeBoard(rule.Modifier, outputs);
  const int linkBoard = board == rule.Modifier ? board : 0;  // a reduced board has no links
  const int first = OutputIndexOf(obTermination, FSettings.ModelIndex, {board, 1, 1});
  const bool paired = rule.Events == kBoardEventFireAndFaultTestDisable;
  const bool localZones = !IsNetworkZoneMode(FSettings.ZoneMode);
  std::int64_t zone = rule.Zone;
  auto putGroup = [&](int index, std::int32_t events) {
    PutBoardOutput(linkBoard, index);
    PutEvents(events);
    if (localZones) PutPanel(rule.Panel);
    PutZone(zone);
  };
  for (int c = 0; c < outputs; ++zone) {
    putGroup(first + c, kFireEvents);
    ++c;
    if (!paired) continue;
    putGroup(first + c, kFaultTestDisableEvents);
    ++c;
  }
}

void RuleEncoder::EncodeZonal(const RuleRecord& rule) {
  PutRuleHeader(rkZonal);
  PutOutput(rule, false);
  PutEvents(ZonalEventsPayload(rule.Events));
  if (!IsNetworkZoneMode(FSettings.ZoneMode)) PutPanel(rule.Panel);
  const ZoneRange zones = ZoneRange::Unpack(rule.Zone);
  if (zones.First < zones.Last) {
    Put(RuleWord(RuleWordType::ZoneRangeMarker));
    PutZone(zones.First);
    PutZone(zones.Last);
  } else {
    PutZone(zones.First);
  }
  PutRuleEnd(0);
}

void RuleEncoder::EncodeEventGeneral(const RuleRecord& rule) {
  PutRuleHeader(rkEventGeneral);
  PutOutput(rule, rule.Modifier != 0);
  Put(RuleWord(RuleWordType::GeneralEvents).SetField(0, 12, GeneralEventsPayload(rule.Events)));
  if (rule.Panel >= 0) PutPanel(rule.Panel);
}

void RuleEncoder::EncodeEventLocal(const RuleRecord& rule) {
  PutRuleHeader(rkEventLocal);
  PutOutput(rule, rule.Modifier != 0);
  PutEvents(EventRulePayload(rule, false));
  if (rule.Panel >= 0) PutPanel(rule.Panel);
  if (rule.Zone >= 0) PutZone(rule.Zone);
  if (rule.Loop == kNonLoop) return;
  const bool virtualLoop = IsVirtualLoop(rule.Loop);
  if (rule.Loop >= 0 && !virtualLoop) Put(RuleWord(RuleWordType::Loop).SetField(0, 4, rule.Loop));
  if (rule.Loop == kAnyLoop) Put(RuleWord(RuleWordType::Loop));
  if (rule.Address == kNonDevice) return;
  PutAddress(rule, virtualLoop);
  PutRuleEnd(rule.DeviceType);
}

void RuleEncoder::EncodeEventNetwork(const RuleRecord& rule) {
  PutRuleHeader(rkEventNetwork);
  PutOutput(rule, rule.Modifier != 0);
  PutEvents(EventRulePayload(rule, true));
  if (rule.Zone >= 0) PutZone(rule.Zone);
  PutAddress(rule, false);
  PutRuleEnd(rule.DeviceType);
}

void WriteText(Image& image, std::size_t offset, std::size_t length, std::string_view text) {
  for (std::size_t i = 0; i < length; ++i) {
    image.SetByte(offset + i, static_cast<std::uint8_t>(i < text.size() ? text[i] : kTextPadding));
  }
}

// The name fetched into a 20-byte buffer, terminator included, in the image's code page.
std::string ImageUserName(const std::optional<std::string>& userName) {
  if (!userName) return std::string(kUnknownUserName);
  std::string name = Utf8ToWindows1252(*userName);
  if (name.size() + 1 > Image::kNameLength) return std::string(kUnknownUserName);
  return name;
}

void WriteHeader(Image& image, const ControllerSettings& settings, const ImageStamps& stamps) {
  char version[8];
  std::snprintf(version, sizeof version, "%02d%02d", 0, 0);
  WriteText(image, Image::kFormatVersionOffset, 4, version);
  const std::string imageTime = TimeStamp(stamps.ImageTime);
  WriteText(image, Image::kRuleFileTimeOffset, Image::kTimeStampLength,
            stamps.RuleFileTime ? TimeStamp(*stamps.RuleFileTime) : imageTime);
  WriteText(image, Image::kImageTimeOffset, Image::kTimeStampLength, imageTime);
  const auto byte = [&image](std::size_t offset, std::int64_t value) {
    image.SetByte(offset, static_cast<std::uint8_t>(value & 0xFF));
  };
  byte(Image::kAddressModeOffset, settings.AddressMode);
  byte(Image::kSoftAddressOffset, settings.SoftAddress >> 8);
  byte(Image::kSoftAddressOffset + 1, settings.SoftAddress);
  byte(Image::kBuzzerModeOffset, settings.BuzzerMode);
  WriteText(image, Image::kUnitNameOffset, Image::kNameLength,
            Utf8ToWindows1252(settings.UnitName));
  WriteText(image, Image::kUserNameOffset, Image::kNameLength, ImageUserName(stamps.UserName));
  WriteText(image, Image::kBlanksOffset, Image::kBlanksLength, "");
  byte(Image::kZoneModeOffset, settings.ZoneMode);
  byte(Image::kZoneModeOffset + 1, 0);
  byte(Image::kZoneModeOffset + 2, 0);
  byte(Image::kResoundOnNewAlarmOffset, settings.ResoundOnNewAlarm);
  byte(Image::kResoundOnNewAlarmOffset + 1, 0);
  byte(Image::kBuzzerDisplayedEventsOnlyOffset, settings.BuzzerDisplayedEventsOnly);
  byte(Image::kBuzzerDisableIntervalOffset, settings.BuzzerDisableInterval);
  byte(Image::kAccessLevelOffset, settings.AccessLevel);
  byte(Image::kSlimlineOffset, IsSlimlineModel(settings.ModelIndex) ? 1 : 0);
  byte(Image::kSystemIndexOffset, settings.SystemIndex);
  byte(Image::kMutedTechAlarmIntervalOffset, settings.MutedTechAlarmInterval);
}

// The option words and every rule through the writer.
RuleWordUse EncodeStream(const Configuration& configuration, StreamWriter& stream) {
  RuleEncoder encoder(configuration.ControllerSettings, stream);
  encoder.EncodeOptions();
  const std::size_t optionWords = stream.Count();
  // Rows past the sheet hold no rules.
  const std::int32_t count = std::min(configuration.RuleCount, kMaxRows);
  for (std::int32_t n = 1; n <= count; ++n) {
    encoder.Encode(configuration.StoredRule(n));
  }
  return {stream.Count() - optionWords, kContentWords - optionWords};
}

}  // namespace

ImageOverflowError::ImageOverflowError(std::size_t neededWords, std::size_t availableWords)
    : std::runtime_error("The rules need " + std::to_string(neededWords) +
                         " words of the configuration image, but only " +
                         std::to_string(availableWords) + " fit"),
      FNeededWords(neededWords),
      FAvailableWords(availableWords) {}

std::filesystem::path RuleFilePath(const Configuration& configuration) {
  // A full rule file name (kept after a save) stays itself when joined.
  return configuration.DataDirectory / configuration.RuleFileName;
}

ImageStamps CurrentImageStamps(const std::filesystem::path& ruleFile) {
  ImageStamps stamps;
  stamps.ImageTime = std::chrono::system_clock::now();  // taken first
  stamps.RuleFileTime = LastWriteTime(ruleFile);
  stamps.UserName = LoggedOnUserName();
  return stamps;
}

ConfigurationImage EncodeImage(const Configuration& configuration) {
  return EncodeImage(configuration, CurrentImageStamps(RuleFilePath(configuration)));
}

RuleWordUse CountRuleWords(const Configuration& configuration) {
  StreamWriter counter(nullptr);
  return EncodeStream(configuration, counter);
}

ConfigurationImage EncodeImage(const Configuration& configuration, const ImageStamps& stamps) {
  Image image;
  WriteHeader(image, configuration.ControllerSettings, stamps);
  StreamWriter stream(&image);
  const RuleWordUse use = EncodeStream(configuration, stream);
  if (!use.Fits()) throw ImageOverflowError(use.NeededWords, use.AvailableWords);
  return image;
}

}  // namespace trv
