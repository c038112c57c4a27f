#include "transfer/decode_image.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/device_types.h"
#include "model/event_availability.h"
#include "model/event_selection.h"
#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/windows1252.h"
#include "model/zone_range.h"
#include "transfer/rule_word.h"
#include "transfer/rule_word_layout.h"

namespace trv {

namespace {

using namespace rule_word_layout;

using Image = ConfigurationImage;

constexpr std::uint16_t kErasedWord = 0xFFFF;

// Control word subtypes.

// DeviceType of an event rule until its RuleEnd word gives one.
constexpr std::int32_t kDeviceTypeUnknown = -1;
constexpr std::int32_t kMinInterval = 2;
constexpr std::int32_t kMaxInterval = 120;

// Bits of the Events word that tell the zonal event choice.
constexpr std::uint16_t kZonalFireBit = 0x800;
constexpr std::uint16_t kZonalFaultBit = 0x100;
constexpr std::uint16_t kZonalTestBit = 0x080;
constexpr std::uint16_t kZonalDisableBit = 0x040;
constexpr std::uint16_t kBoardFaultTestDisableBit = 0x100;

// Output words carry the output word's own bits, and the turn-off modifier in bit 10.
constexpr std::uint16_t kSteadyBit = OutputWord::kSteadyBit;
constexpr std::uint16_t kTurnOffBit = OutputWord::kTurnOffBit;
constexpr std::uint16_t kRelayBit = OutputWord::kRelayBit;
constexpr std::uint16_t kVirtualLoopBit = 0x400;
constexpr std::uint16_t kModuleBit = 0x800;

std::int32_t Field(std::uint16_t word, unsigned lowBit, unsigned width) {
  return (word >> lowBit) & ((1 << width) - 1);
}

bool IsOfType(std::uint16_t word, RuleWordType type) {
  return (word >> 12) == static_cast<unsigned>(type);
}

// The rule word stream, word by word; nothing is read outside it.
class StreamCursor {
 public:
  explicit StreamCursor(const Image& image) : FImage(image) {}

  bool AtEnd() const { return FIndex >= Image::kStreamWordCapacity; }
  // The erased word past the end, which no rule takes as one of its optional words.
  std::uint16_t Peek() const { return AtEnd() ? kErasedWord : FImage.StreamWord(FIndex); }
  bool NextIs(RuleWordType type) const { return IsOfType(Peek(), type); }

  // False past the end.
  bool Take(std::uint16_t& word) {
    if (AtEnd()) return false;
    word = Peek();
    ++FIndex;
    return true;
  }
  void Skip() {
    if (!AtEnd()) ++FIndex;
  }

 private:
  const Image& FImage;
  std::size_t FIndex = 0;
};

// Every field 0 but the kind.
RuleRecord EmptyRule(std::int32_t kind) {
  RuleRecord rule;
  rule.Kind = kind;
  return rule;
}

std::int32_t ZonalEventChoice(std::uint16_t events) {
  if (events & kZonalFireBit) return kZonalEventFire;
  const std::uint16_t faultTestDisable = kZonalFaultBit | kZonalTestBit | kZonalDisableBit;
  if ((events & faultTestDisable) == faultTestDisable) return kZonalEventFaultTestDisable;
  if (events & kZonalDisableBit) return kZonalEventDisable;
  if (events & kZonalTestBit) return kZonalEventZoneInTest;
  return kZonalEventFault;
}

template <std::size_t N>
std::int32_t CheckedEvents(std::uint16_t word, const std::array<EventBit, N>& bits) {
  EventSelection selection;
  for (const EventBit& entry : bits) {
    if (Field(word, entry.Bit, 1) != 0) selection.Set(entry.Event, true, false);
  }
  return selection.Value();
}

// Events the editor offers for the rule become enabled; none when the table has no row for it.
void SetEnabledEvents(RuleRecord& rule, int systemIndex) {
  const std::optional<EventAvailability> availability =
      LookUpEventAvailability(EventCriteriaOfRule(rule, systemIndex));
  if (!availability) return;
  EventSelection selection(rule.Events);
  for (int event = 0; event < kEventCount; ++event) {
    if (availability->Allowed[static_cast<std::size_t>(event)]) {
      selection.Set(event, selection.IsChecked(event), true);
    }
  }
  rule.Events = selection.Value();
}

// Walks the stream and rebuilds the rules, the boards and the relay links into settings.
class StreamDecoder {
 public:
  StreamDecoder(const Image& image, ControllerSettings& settings)
      : FCursor(image), FSettings(settings) {}

  std::vector<RuleRecord> Walk();

 private:
  void DecodeControl(std::uint16_t word, std::vector<RuleRecord>& rules);
  RuleRecord DecodeBoardRule();
  RuleRecord DecodeZonalRule();
  RuleRecord DecodeEventRule(std::int32_t kind);
  void DecodeGeneralEvents(RuleRecord& rule);
  void DecodeEventSource(RuleRecord& rule);
  void DecodeLocalSource(RuleRecord& rule, bool& module);
  void DecodeNetworkSource(RuleRecord& rule, bool& module);
  void DecodeAddress(RuleRecord& rule, bool& module, bool withVirtualLoop);
  void DecodeDeviceType(RuleRecord& rule, bool module);

  // Output words: the Output field, and the boards and relay links they imply.
  void ApplyOutput(RuleRecord& rule, std::uint16_t word);
  std::int32_t OutputOf(std::uint16_t word) const;
  int BoardOfOutput(std::uint16_t word) const;
  void RaiseBoardsInstalled(int board);
  void FitRelayLinkOf(std::uint16_t word);

  // Zone words: [ZoneHigh] Zone by position, or each by its type.
  bool TakeZone(std::int32_t& zone);
  void TakeTypedZone(std::int32_t& zone);
  bool LocalZones() const { return !IsNetworkZoneMode(FSettings.ZoneMode); }

  StreamCursor FCursor;
  ControllerSettings& FSettings;
};

std::vector<RuleRecord> StreamDecoder::Walk() {
  std::vector<RuleRecord> rules;
  while (!FCursor.AtEnd()) {
    const std::uint16_t word = FCursor.Peek();
    if (IsOfType(word, RuleWordType::EndOfStream)) break;
    if (IsOfType(word, RuleWordType::TerminationOutput)) {
      rules.push_back(DecodeBoardRule());
      continue;
    }
    FCursor.Skip();
    if (IsOfType(word, RuleWordType::Control)) DecodeControl(word, rules);
  }
  return rules;
}

void StreamDecoder::DecodeControl(std::uint16_t word, std::vector<RuleRecord>& rules) {
  const std::int32_t value = Field(word, 0, 9);
  switch (Field(word, 9, 3)) {
    case kBoardsSubtype:
      FSettings.BoardsInstalled = std::clamp(value, 1, MaxBoardsInstalled(FSettings.ModelIndex));
      return;
    case kVdsSubtype:
      FSettings.ZoneMode = ZoneModeOf(IsNetworkZoneMode(FSettings.ZoneMode), true);
      return;
    case kNetworkSubtype:
      FSettings.NetworkFitted = 1;
      return;
    case kRuleHeaderSubtype:
      if (value == rkZonal) {
        rules.push_back(DecodeZonalRule());
      } else if (value == rkEventLocal || value == rkEventNetwork || value == rkEventGeneral) {
        rules.push_back(DecodeEventRule(value));
      }
      return;
    default:
      return;  // subtypes that images never hold
  }
}

void StreamDecoder::ApplyOutput(RuleRecord& rule, std::uint16_t word) {
  rule.Output = OutputOf(word);
  RaiseBoardsInstalled(BoardOfOutput(word));
  FitRelayLinkOf(word);
}

std::int32_t StreamDecoder::OutputOf(std::uint16_t word) const {
  if (IsOfType(word, RuleWordType::TerminationOutput)) {
    return (OutputWord::kTypeTermination << OutputWord::kTypeShift) |
           (word & (OutputWord::kIndexMask | kSteadyBit | kRelayBit));
  }
  const std::int32_t index = Field(word, 0, 3) | Field(word, 6, 3) << 3;
  return (OutputWord::kTypeDriver << OutputWord::kTypeShift) | index;
}

int StreamDecoder::BoardOfOutput(std::uint16_t word) const {
  return Field(word, 0, 9) / OutputsPerBoard(obTermination, FSettings.ModelIndex) + 1;
}

void StreamDecoder::RaiseBoardsInstalled(int board) {
  const int boards = std::min(board, MaxBoardsInstalled(FSettings.ModelIndex));
  FSettings.BoardsInstalled = std::max(FSettings.BoardsInstalled, boards);
}

void StreamDecoder::FitRelayLinkOf(std::uint16_t word) {
  const bool relayAndSteady = (word & (kRelayBit | kSteadyBit)) == (kRelayBit | kSteadyBit);
  if (!IsOfType(word, RuleWordType::TerminationOutput) || !relayAndSteady) return;
  FitRelayLinkOfOutputIndex(FSettings.RelayLinks, FSettings.RcuRelayLinks, FSettings.ModelIndex,
                            Field(word, 0, 9));
}

bool StreamDecoder::TakeZone(std::int32_t& zone) {
  std::int32_t high = 0;
  std::uint16_t word = 0;
  if (FCursor.NextIs(RuleWordType::ZoneHigh) && FCursor.Take(word)) high = Field(word, 0, 12);
  if (!FCursor.Take(word)) return false;
  zone = high * kZonesPerZoneWord + Field(word, 0, 12) + 1;
  return true;
}

void StreamDecoder::TakeTypedZone(std::int32_t& zone) {
  if (!FCursor.NextIs(RuleWordType::ZoneHigh) && !FCursor.NextIs(RuleWordType::Zone)) return;
  std::int32_t high = 0;
  std::int32_t low = 0;
  std::uint16_t word = 0;
  if (FCursor.NextIs(RuleWordType::ZoneHigh) && FCursor.Take(word)) high = Field(word, 0, 12);
  if (FCursor.NextIs(RuleWordType::Zone) && FCursor.Take(word)) low = Field(word, 0, 12);
  zone = high * kZonesPerZoneWord + low + 1;
}

RuleRecord StreamDecoder::DecodeBoardRule() {
  RuleRecord rule = EmptyRule(rkBoard);
  const bool localZones = LocalZones();
  rule.Panel = localZones ? 0 : kNetworkZonePanel;
  const int groups = OutputsPerBoard(obTermination, FSettings.ModelIndex);
  for (int group = 0; group < groups; ++group) {
    std::uint16_t output = 0;
    std::uint16_t events = 0;
    std::uint16_t panel = 0;
    std::int32_t zone = 0;
    if (!FCursor.Take(output)) break;
    FitRelayLinkOf(output);
    if (group == 0) {
      rule.Modifier = BoardOfOutput(output);
      RaiseBoardsInstalled(rule.Modifier);
    }
    if (!FCursor.Take(events) || (localZones && !FCursor.Take(panel)) || !TakeZone(zone)) break;
    if (events & kBoardFaultTestDisableBit) rule.Events = kBoardEventFireAndFaultTestDisable;
    if (group != 0) continue;
    if (localZones) rule.Panel = Field(panel, 0, 7);
    rule.Zone = zone;
  }
  return rule;
}

RuleRecord StreamDecoder::DecodeZonalRule() {
  RuleRecord rule = EmptyRule(rkZonal);
  std::uint16_t word = 0;
  if (!FCursor.Take(word)) return rule;
  ApplyOutput(rule, word);
  if (!FCursor.Take(word)) return rule;
  rule.Events = ZonalEventChoice(word);
  rule.Panel = kNetworkZonePanel;
  if (FCursor.NextIs(RuleWordType::Panel) && FCursor.Take(word)) rule.Panel = Field(word, 0, 7);
  ZoneRange zones;
  const bool range = FCursor.NextIs(RuleWordType::ZoneRangeMarker);
  if (range) FCursor.Skip();
  if (!TakeZone(zones.First)) return rule;
  zones.Last = zones.First;
  if (range && !TakeZone(zones.Last)) return rule;
  rule.Zone = zones.Packed();
  FCursor.Skip();  // the RuleEnd word
  return rule;
}

RuleRecord StreamDecoder::DecodeEventRule(std::int32_t kind) {
  RuleRecord rule = EmptyRule(kind);
  std::uint16_t output = 0;
  if (FCursor.Take(output)) {
    ApplyOutput(rule, output);
    rule.Modifier = (output & kTurnOffBit) != 0 ? 1 : 0;
    if (FCursor.NextIs(RuleWordType::GeneralEvents)) {
      DecodeGeneralEvents(rule);
    } else {
      DecodeEventSource(rule);
    }
  }
  SetEnabledEvents(rule, FSettings.SystemIndex);
  return rule;
}

void StreamDecoder::DecodeEventSource(RuleRecord& rule) {
  rule.Panel = kAnyPanel;
  rule.Loop = kNonLoop;
  rule.Zone = kAnyZone;
  rule.Address = kNonDevice;
  rule.DeviceType = kDeviceTypeUnknown;
  std::uint16_t events = 0;
  if (!FCursor.Take(events)) return;
  rule.Events = CheckedEvents(events, kEventRuleBits) | CheckedEvents(events, kFaultBits);
  bool module = false;
  if (rule.Kind == rkEventLocal) DecodeLocalSource(rule, module);
  if (rule.Kind == rkEventNetwork) DecodeNetworkSource(rule, module);
  if (rule.Kind != rkEventGeneral) DecodeDeviceType(rule, module);
}

void StreamDecoder::DecodeGeneralEvents(RuleRecord& rule) {
  std::uint16_t word = 0;
  FCursor.Take(word);
  rule.Events = CheckedEvents(word, kGeneralEventBits);
  rule.Panel = kAnyPanel;
  rule.Loop = kNonLoop;
  rule.Zone = kAnyZone;
  rule.Address = kAddressNotApplicable;
  rule.DeviceType = kDeviceTypeNotApplicable;
  if (FCursor.NextIs(RuleWordType::Panel) && FCursor.Take(word)) rule.Panel = Field(word, 0, 7);
}

void StreamDecoder::DecodeLocalSource(RuleRecord& rule, bool& module) {
  std::uint16_t word = 0;
  if (FCursor.NextIs(RuleWordType::Panel) && FCursor.Take(word)) rule.Panel = Field(word, 0, 7);
  TakeTypedZone(rule.Zone);
  if (FCursor.NextIs(RuleWordType::Loop) && FCursor.Take(word)) {
    const std::int32_t loop = Field(word, 0, 4);
    rule.Loop = loop == 0 ? kAnyLoop : loop;
  }
  DecodeAddress(rule, module, true);
  if (rule.Loop == kNonLoop) {
    rule.Address = kAddressNotApplicable;
    rule.DeviceType = kDeviceTypeNotApplicable;
  } else if (rule.Address == kNonDevice) {
    rule.DeviceType = kDeviceTypeNotApplicable;
  }
}

void StreamDecoder::DecodeNetworkSource(RuleRecord& rule, bool& module) {
  TakeTypedZone(rule.Zone);
  DecodeAddress(rule, module, false);
}

void StreamDecoder::DecodeAddress(RuleRecord& rule, bool& module, bool withVirtualLoop) {
  std::uint16_t word = 0;
  if (!FCursor.NextIs(RuleWordType::Address) || !FCursor.Take(word)) return;
  module = (word & kModuleBit) != 0;
  const std::int32_t address = Field(word, 0, 10);
  rule.Address = address == 0 ? kAnyAddress : address;
  if (withVirtualLoop && (word & kVirtualLoopBit) != 0) {
    // "Any loop" (-1) plus the offset would be loop 1023, which is no virtual loop.
    rule.Loop = rule.Loop < 0 ? kVirtualLoop : rule.Loop + kVirtualLoop;
  }
}

void StreamDecoder::DecodeDeviceType(RuleRecord& rule, bool module) {
  std::uint16_t word = 0;
  if (!FCursor.NextIs(RuleWordType::RuleEnd) || !FCursor.Take(word)) return;
  rule.DeviceType = DeviceTypeOfPanelTypeNumber(FSettings.SystemIndex, Field(word, 0, 8));
  if (module && !IsModuleType(rule.DeviceType)) rule.DeviceType += kModuleTypeOffset;
}

// Blanks and control characters: those of ASCII, DEL, and the five bytes of the code page that
// have no glyph and read as the control characters of the same number.
bool IsTrimmed(unsigned char byte) {
  return byte <= ' ' || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
         byte == 0x90 || byte == 0x9D;
}

std::string DecodeUnitName(const Image& image, std::string_view defaultBaseName) {
  const auto first = image.Data().begin() + Image::kUnitNameOffset;
  const auto end = std::find(first, first + Image::kNameLength, 0);
  const auto begin = std::find_if_not(first, end, IsTrimmed);
  auto last = end;
  while (last != begin && IsTrimmed(*(last - 1))) --last;
  if (begin == last) return std::string(defaultBaseName);
  return Windows1252ToUtf8(std::string(begin, last));
}

// A byte that the settings page's list has no entry for leaves the setting as it was.
template <typename Field>
Field ListChoice(std::uint8_t byte, int entries, Field previous) {
  return byte < entries ? static_cast<Field>(byte) : previous;
}

std::int32_t IntervalOf(std::uint8_t byte) {
  return std::clamp<std::int32_t>(byte, kMinInterval, kMaxInterval);
}

ControllerSettings DecodeHeader(const Image& image, const ControllerSettings& current,
                                std::string_view defaultBaseName) {
  ControllerSettings settings = current;
  const auto byte = [&image](std::size_t offset) { return image.Byte(offset); };
  settings.ModelIndex = byte(Image::kSlimlineOffset) == 1 ? kSlimlineModelIndex : 0;
  settings.SystemIndex =
      ListChoice(byte(Image::kSystemIndexOffset), kSystemCount, current.SystemIndex);
  const int zoneMode = byte(Image::kZoneModeOffset);
  settings.ZoneMode = ZoneModeOf(IsNetworkZoneMode(zoneMode), IsVdsZoneMode(zoneMode));
  settings.AddressMode = byte(Image::kAddressModeOffset) == kAddressModeDipSwitches
                             ? kAddressModeDipSwitches
                             : kAddressModeSoft;
  settings.SoftAddress = byte(Image::kSoftAddressOffset) << 8 | byte(Image::kSoftAddressOffset + 1);
  settings.BuzzerMode = ListChoice(byte(Image::kBuzzerModeOffset), 3, current.BuzzerMode);
  settings.UnitName = DecodeUnitName(image, defaultBaseName);
  settings.ResoundOnNewAlarm = byte(Image::kResoundOnNewAlarmOffset) == 1 ? 1 : 0;
  settings.BuzzerDisplayedEventsOnly = byte(Image::kBuzzerDisplayedEventsOnlyOffset) == 1 ? 1 : 0;
  settings.BuzzerDisableInterval = IntervalOf(byte(Image::kBuzzerDisableIntervalOffset));
  settings.MutedTechAlarmInterval = IntervalOf(byte(Image::kMutedTechAlarmIntervalOffset));
  settings.BoardsInstalled = 1;
  settings.AccessLevel = ListChoice(byte(Image::kAccessLevelOffset), 2, current.AccessLevel);
  settings.NetworkFitted = 0;  // only the Network word fits it
  return settings;
}

}  // namespace

DecodedConfiguration DecodeImage(const ConfigurationImage& image, const ControllerSettings& current,
                                 std::string_view defaultBaseName) {
  DecodedConfiguration decoded;
  decoded.Settings = DecodeHeader(image, current, defaultBaseName);
  decoded.Rules = StreamDecoder(image, decoded.Settings).Walk();
  return decoded;
}

}  // namespace trv
