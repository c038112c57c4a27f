#include "model/string_table.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <utility>

#include "model/string_ids.h"

namespace trv {

namespace {

using namespace string_id;

struct BuiltInText {
  int Id;
  std::string_view Text;
};

constexpr BuiltInText kBuiltInTexts[] = {
    {kTerminationOutputLocation, "T. Board %d, Bank %d, Output %d"},
    {kBoardOutputLocation, "Board %d, Output %d"},
    {kDriverOutputLocation, "D. Board %d, Output %d"},
    {kLedChannel, "LED %3d"},
    {kRelayChannel, "Relay %3d"},
    {kChannelSuffix, " (%s)"},
    {kCompanyName, "KORVANEX"},
    {kProductName, "TRV Configuration Tool"},
    {kProductTitle, "TRV Configuration Tool"},
    {kRuleHeading, "Rule"},
    {kPanelHeading, "Panel"},
    {kLoopHeading, "Loop"},
    {kZoneHeading, "Zone"},
    {kAddressHeading, "Address"},
    {kDeviceHeading, "Device"},
    {kEventHeading, "Event"},
    {kOutputHeading, "Output"},
    {kChannelHeading, "Channel"},
    {kBoardKindName, "Board"},
    {kEventLocalKindName, "Event (Local)"},
    {kEventNetworkKindName, "Event (Network)"},
    {kZonalKindName, "Zonal"},
    {kEventGeneralKindName, "Event (General)"},
    {kAnyAddress, "Any address"},
    {kAnyLoop, "Any loop"},
    {kVirtualLoop, "Virtual"},
    {kAnyPanel, "Any panel"},
    {kAnyReference, "Any reference"},
    {kAnyZone, "Any zone"},
    {kNonDevice, "Non device"},
    {kNonLoop, "Non loop"},
    {kNotApplicable, "n/a"},
    {kInvalid, "Invalid"},
    {kMimicRules, "Mimic Rules"},
    {kModule, "Module"},
    {kNetworkZone, "Network zone"},
    {kPage, "Page"},
    {kSensor, "Sensor"},
    {kSavingRuleInformation, "Saving rule information in file"},
    {kRule, "Rule"},
    {kLed, "LED"},
    {kRelay, "Relay"},
    {kSteady, "steady"},
    {kOff, "off"},
    {kError, "Error"},
    {kInformation, "Information"},
    {kWarning, "Warning"},
    {kDeleteRule, "Delete Rule"},
    {kModifyRule, "Modify Rule"},
    {kProgramReset, "Program Reset"},
    {kResetRule, "Reset Rule"},
    {kReadyForTransfer, "Ready for Configuration Transfer"},
    {kOlderVersionFile,
     "The selected rule data file (%s)\ncannot be opened because it was saved using an older "
     "version of this program"},
    {kNoRuleInformation,
     "The selected rule data file (%s)\ndoes not contain any rule information."},
    {kCreateInvertRule, "Do you wish to create an Event invert rule ?"},
    {kNoRulesDefined, "No rules are currently defined, so this operation cannot proceed."},
    {kResetToDefaults,
     "Do you wish to reset the program to its default values (clearing any rules currently "
     "defined)?"},
    {kDeleteRuleQuestion, "Are you sure you want to delete Rule %d ?"},
    {kModifyRuleQuestion, "Do you wish to modify existing rule %d ?"},
    {kRuleFileFilter, "Rule Data Files"},
    {kResetRuleQuestion, "Are you sure you want to reset Rule %d ?"},
    {kSaveChangesQuestion,
     "The configuration has been updated but not saved yet.\nDo you want to save your changes?"},
    {kSystemUnavailable, "UNAVAILABLE, Some rules not supported by this panel."},
    {kTransferPrompt, "Add Link to the PE pins, then press the CPU reset switch."},
    {kRelayLinkWarning, "This may affect Steady/Flashing Outputs, OK to continue."},
    {kDeleteBackup, "Delete Backup: "},
    {kBackupFailed, "Backup Failed"},
    {kEmptyUnitName, "Cannot have zero length string, reverting to \"%s\""},
    {kControllerSetUpQuestion, "Have you completed setting up information for Controller?"},
    {kBoard, "Board"},
    {kMainBoard, "Main"},
    {kExpansionBoard, "Expansion"},
    {kFlashErrorFirst + 0, "Data outside M16C flash range"},
    {kFlashErrorFirst + 1, "Failed to open communications port"},
    {kFlashErrorFirst + 2, "Failed to synchronise comms - Restart CPU"},
    {kFlashErrorFirst + 3, "Unable to set baud - Restart CPU"},
    {kFlashErrorFirst + 4, "Failed to read bootloader version"},
    {kFlashErrorFirst + 5, "Software ID not matched"},
    {kFlashErrorFirst + 6, "Erase Failed"},
    {kFlashErrorFirst + 7, "Programming failed"},
    {kFlashErrorFirst + 8, "Verify Failed"},
    {kFlashErrorUnknown, "Unknown exception"},
    {kFlashErrorCaption, "M16C Flash Error"},
    {kNoConfigurationData, "No configuration data present"},
    {kStageReadingFile, "Reading File"},
    {kStageEstablishingComms, "Establishing Communications"},
    {kStageCheckingFlashVersion, "Checking Flash Version"},
    {kStageVerifyingSoftwareIdent, "Verifying Software Ident"},
    {kStageErasing, "Erasing Current Data"},
    {kStageProgramming, "Programming New Data"},
    {kStageReading, "Reading Current Data"},
    {kStageVerifying, "Verifying Data"},
    {kStageComplete, "Transfer Complete"},
};

constexpr std::size_t kMaxFieldDigits = 2;  // a module cannot ask for huge padding

// One conversion as it stands in a text; Kind is empty for "%%".
struct Conversion {
  std::size_t Length = 0;
  std::optional<ConversionKind> Kind;
  bool ZeroPad = false;
  bool Short = false;
  int Width = 0;
  std::optional<int> Precision;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads up to two digits at text[at]; false when there are more.
bool ReadFieldNumber(std::string_view text, std::size_t& at, int& number) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  if (at - start > kMaxFieldDigits) return false;
  std::from_chars(text.data() + start, text.data() + at, number);
  return true;
}

// The conversion that starts at the % at the front of text.
std::optional<Conversion> ParseConversion(std::string_view text) {
  Conversion conversion;
  std::size_t at = 1;
  if (at < text.size() && text[at] == '%') {
    conversion.Length = 2;
    return conversion;
  }
  while (at < text.size() && text[at] == '0') {
    conversion.ZeroPad = true;
    ++at;
  }
  if (!ReadFieldNumber(text, at, conversion.Width)) return std::nullopt;
  if (at < text.size() && text[at] == '.') {
    int precision = 0;
    if (!ReadFieldNumber(text, ++at, precision)) return std::nullopt;
    conversion.Precision = precision;
  }
  bool hasLength = false;
  if (at < text.size() && (text[at] == 'h' || text[at] == 'l')) {
    conversion.Short = text[at] == 'h';
    hasLength = true;
    ++at;
  }
  if (at >= text.size()) return std::nullopt;
  if (text[at] == 'd') {
    conversion.Kind = ConversionKind::Integer;
  } else if (text[at] == 's' && !hasLength && !conversion.ZeroPad && !conversion.Precision) {
    conversion.Kind = ConversionKind::Text;
  } else {
    return std::nullopt;
  }
  conversion.Length = at + 1;
  return conversion;
}

std::string Padded(std::string body, int width, char pad, std::size_t insertAt) {
  if (body.size() < static_cast<std::size_t>(width)) {
    body.insert(insertAt, static_cast<std::size_t>(width) - body.size(), pad);
  }
  return body;
}

std::string FormatInteger(const Conversion& conversion, std::int64_t value) {
  if (conversion.Short) value = static_cast<std::int16_t>(value);
  const bool negative = value < 0;
  // Through unsigned so that the most negative value has a magnitude too.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits =
      (magnitude == 0 && conversion.Precision == 0) ? std::string() : std::to_string(magnitude);
  digits = Padded(std::move(digits), conversion.Precision.value_or(0), '0', 0);
  std::string body = negative ? "-" + digits : digits;
  if (conversion.ZeroPad && !conversion.Precision) {
    return Padded(std::move(body), conversion.Width, '0', negative ? 1 : 0);
  }
  return Padded(std::move(body), conversion.Width, ' ', 0);
}

// The text of one conversion, or nullopt when the argument does not fit it.
std::optional<std::string> FormatConversion(const Conversion& conversion,
                                            const FormatArgument* argument) {
  if (!conversion.Kind) return std::string("%");
  if (argument == nullptr) return std::nullopt;
  if (const auto* number = std::get_if<std::int64_t>(&argument->Value())) {
    if (conversion.Kind != ConversionKind::Integer) return std::nullopt;
    return FormatInteger(conversion, *number);
  }
  if (conversion.Kind != ConversionKind::Text) return std::nullopt;
  return Padded(std::string(std::get<std::string_view>(argument->Value())), conversion.Width, ' ',
                0);
}

// Length of the UTF-8 sequence that lead byte starts, 0 when it starts none.
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsSequenceValid(std::string_view sequence) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
  for (std::size_t i = 1; i < sequence.size(); ++i) {
    if ((byte(i) & 0xC0) != 0x80) return false;
  }
  if (sequence.size() < 3) return true;
  // Overlong forms, surrogates and code points above U+10FFFF.
  const unsigned lead = byte(0);
  const unsigned second = byte(1);
  if (lead == 0xE0 && second < 0xA0) return false;
  if (lead == 0xED && second > 0x9F) return false;
  if (lead == 0xF0 && second < 0x90) return false;
  if (lead == 0xF4 && second > 0x8F) return false;
  return true;
}

bool IsSoundText(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[at]));
    if (length == 0 || at + length > text.size() || text[at] == '\0') return false;
    if (!IsSequenceValid(text.substr(at, length))) return false;
    at += length;
  }
  return true;
}

std::optional<int> IdOfKey(std::string_view key) {
  if (key.empty() || !IsDigit(key[0])) return std::nullopt;
  int id = 0;
  const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id);
  if (error != std::errc{} || end != key.data() + key.size()) return std::nullopt;
  return id;
}

bool IsInRange(int id) {
  return id >= StringTable::kFirstId && id <= StringTable::kLastId;
}

StringTable& ActiveTable() {
  static StringTable table;
  return table;
}

}  // namespace

std::optional<std::vector<ConversionKind>> TextConversions(std::string_view text) {
  std::vector<ConversionKind> kinds;
  for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at)) {
    const std::optional<Conversion> conversion = ParseConversion(text.substr(at));
    if (!conversion) return std::nullopt;
    if (conversion->Kind) kinds.push_back(*conversion->Kind);
    at += conversion->Length;
  }
  return kinds;
}

std::string FormatTextFromList(std::string_view format, std::span<const FormatArgument> arguments) {
  std::string result;
  std::size_t next = 0;
  std::size_t at = 0;
  for (std::size_t percent = format.find('%'); percent != std::string_view::npos;
       percent = format.find('%', at)) {
    result.append(format.substr(at, percent - at));
    const std::optional<Conversion> conversion = ParseConversion(format.substr(percent));
    const std::size_t length = conversion ? conversion->Length : 1;
    const FormatArgument* argument = next < arguments.size() ? &arguments[next] : nullptr;
    const std::optional<std::string> filled =
        conversion ? FormatConversion(*conversion, argument) : std::nullopt;
    result.append(filled ? *filled : std::string(format.substr(percent, length)));
    if (conversion && conversion->Kind) ++next;
    at = percent + length;
  }
  result.append(format.substr(at));
  return result;
}

StringTable::StringTable() : FTexts(kLastId - kFirstId + 1) {
  for (const BuiltInText& text : kBuiltInTexts) FTexts[text.Id - kFirstId] = text.Text;
}

const StringTable& StringTable::BuiltIn() {
  static const StringTable table;
  return table;
}

const std::string& StringTable::Text(int id) const {
  static const std::string kNoText;
  return IsInRange(id) ? FTexts[id - kFirstId] : kNoText;
}

std::optional<StringRefusal> StringTable::RefusalOf(int id, const nlohmann::json& text) const {
  if (!IsInRange(id)) return StringRefusal::IdOutOfRange;
  if (!text.is_string()) return StringRefusal::NotText;
  const auto& value = text.get_ref<const std::string&>();
  if (value.size() > kMaxTextBytes) return StringRefusal::TooLong;
  if (!IsSoundText(value)) return StringRefusal::InvalidText;
  const auto builtIn = TextConversions(BuiltIn().Text(id));
  if (builtIn && !builtIn->empty() && TextConversions(value) != builtIn) {
    return StringRefusal::ConversionsDiffer;
  }
  return std::nullopt;
}

StringReplacement StringTable::Replace(const nlohmann::json& strings) {
  StringReplacement replacement;
  if (strings.is_null()) return replacement;
  if (!strings.is_object()) {
    replacement.Refused.push_back({"strings", StringRefusal::NotAnObject});
    return replacement;
  }
  for (const auto& [key, text] : strings.items()) {
    const std::optional<int> id = IdOfKey(key);
    const std::optional<StringRefusal> refusal = id ? RefusalOf(*id, text) : StringRefusal::NotAnId;
    if (refusal) {
      replacement.Refused.push_back({key, *refusal});
      continue;
    }
    FTexts[*id - kFirstId] = text.get<std::string>();
    ++replacement.Accepted;
  }
  return replacement;
}

const StringTable& ActiveStrings() {
  return ActiveTable();
}

const std::string& ActiveText(int id) {
  return ActiveTable().Text(id);
}

StringReplacement ReplaceActiveStrings(const nlohmann::json& strings) {
  return ActiveTable().Replace(strings);
}

void ResetActiveStrings() {
  ActiveTable() = StringTable();
}

}  // namespace trv
