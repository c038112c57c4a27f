#include "model/rule_text.h"

#include <algorithm>
#include <cstdio>

#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/device_types.h"
#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "model/zone_range.h"

namespace trv {

namespace {

enum Column { kRuleColumn, kPanel, kLoop, kZone, kAddress, kDevice, kEvent, kOutput, kChannel };

template <typename... Numbers>
std::string Printf(const char* format, Numbers... numbers) {
  char text[64];
  std::snprintf(text, sizeof text, format, numbers...);
  return text;
}

const std::string& Text(int id) {
  return ActiveText(id);
}

template <std::size_t N>
std::array<std::string, N> Copies(const std::array<std::string_view, N>& texts) {
  std::array<std::string, N> copies;
  for (std::size_t i = 0; i < N; ++i) copies[i] = texts[i];
  return copies;
}

// The choice text of an index, empty for an index without one.
template <std::size_t N>
std::string ChoiceText(const std::array<std::string, N>& choices, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return {};
  return choices[static_cast<std::size_t>(index)];
}

std::string KindName(std::int32_t kind) {
  static constexpr std::array kKindNames{
      string_id::kBoardKindName, string_id::kEventLocalKindName, string_id::kEventNetworkKindName,
      string_id::kZonalKindName, string_id::kEventGeneralKindName};
  return Text(kKindNames[static_cast<std::size_t>(kind)]);
}

std::string NumberOr(std::int32_t value, std::int32_t sentinel, int sentinelText) {
  return value == sentinel ? Text(sentinelText) : Printf("%3d", value);
}

std::string ZoneOrAny(std::int32_t zone) {
  return zone == kAnyZone ? Text(string_id::kAnyZone) : Printf("%4d", zone);
}

std::string LoopText(std::int32_t loop) {
  if (loop == kNonLoop) return Text(string_id::kNonLoop);
  if (loop == kAnyLoop) return Text(string_id::kAnyLoop);
  if (IsVirtualLoop(loop)) return Text(string_id::kVirtualLoop);
  return std::to_string(loop);
}

std::string LocalAddressText(std::int32_t address) {
  if (address == kAddressNotApplicable) return Text(string_id::kNotApplicable);
  if (address == kNonDevice) return Text(string_id::kNonDevice);
  return NumberOr(address, kAnyAddress, string_id::kAnyAddress);
}

std::string DeviceText(const RuleRecord& rule, int systemIndex) {
  if (rule.Address >= 0) {
    return Text(IsModuleType(rule.DeviceType) ? string_id::kModule : string_id::kSensor);
  }
  if (rule.DeviceType < 0) return Text(string_id::kNotApplicable);
  return std::string(DeviceTypeLongName(systemIndex, rule.DeviceType));
}

std::string SelectedEventsText(std::int32_t events, const EventCaptions& captions) {
  const EventSelection selection(events);
  std::string text;
  for (int event = 0; event < kEventCount; ++event) {
    if (!selection.IsSelected(event)) continue;
    if (!text.empty()) text += ", ";
    text += captions[static_cast<std::size_t>(event)];
  }
  return text;
}

std::string OutputLocation(std::int32_t output, const RuleTextContext& context) {
  const OutputWord word(output);
  if (!word.IsTermination()) {
    const OutputPosition position = OutputPositionOf(obDriver, context.ModelIndex, word.Index());
    return FormatText(Text(string_id::kDriverOutputLocation), position.Board, position.Output);
  }
  const OutputPosition position = OutputPositionOf(obTermination, context.ModelIndex, word.Index());
  if (context.TerminationBankHasRange) {
    return FormatText(Text(string_id::kTerminationOutputLocation), position.Board, position.Bank,
                      position.Output);
  }
  return FormatText(Text(string_id::kBoardOutputLocation), position.Board, position.Output);
}

std::string Suffix(int textId) {
  return FormatText(Text(string_id::kChannelSuffix), Text(textId));
}

std::string ChannelText(std::int32_t output) {
  const OutputWord word(output);
  const int number = word.Index() + 1;
  if (word.IsTermination() && !word.IsRelay()) {
    std::string text = FormatText(Text(string_id::kLedChannel), number);
    if (word.IsSteady()) text += Suffix(string_id::kSteady);
    return text;
  }
  return FormatText(Text(string_id::kRelayChannel), number);
}

RuleText AllColumns(const std::string& text) {
  RuleText row;
  row.fill(text);
  return row;
}

// Every column "n/a" but the kind's name; each kind then fills the columns it shows.
RuleText NotApplicableRow(std::int32_t kind) {
  RuleText row = AllColumns(Text(string_id::kNotApplicable));
  row[kRuleColumn] = KindName(kind);
  return row;
}

std::string BoardOrZonalPanel(std::int32_t panel) {
  return NumberOr(panel, kNetworkZonePanel, string_id::kNetworkZone);
}

RuleText BoardRow(const RuleRecord& rule, const RuleTextContext& context) {
  RuleText row = NotApplicableRow(rule.Kind);
  const std::int32_t first = rule.Zone;
  const std::int32_t span = BoardRuleSpan(context.ModelIndex, rule.Events);
  const std::int32_t last = BoardRuleLastZone(first, span, context.LastZoneMax);
  const bool paired = rule.Events == kBoardEventFireAndFaultTestDisable;
  const bool knownChoice = rule.Events == kBoardEventFire || paired;
  const std::int64_t outputsUsed = (std::int64_t{last} - first + 1) * (paired ? 2 : 1);
  row[kPanel] = BoardOrZonalPanel(rule.Panel);
  row[kZone] = knownChoice ? Printf("(%ld..%ld)", long{first}, long{last}) : Printf("%4d", first);
  row[kEvent] = ChoiceText(context.BoardEventChoiceTexts, rule.Events);
  row[kOutput] = FormatText("%s %d", Text(string_id::kBoard), rule.Modifier);
  row[kChannel] = Printf("(1..%ld)", static_cast<long>(outputsUsed));
  return row;
}

RuleText ZonalRow(const RuleRecord& rule, const RuleTextContext& context) {
  RuleText row = NotApplicableRow(rule.Kind);
  const ZoneRange zones = ZoneRange::Unpack(rule.Zone);
  row[kPanel] = BoardOrZonalPanel(rule.Panel);
  row[kZone] = zones.First == zones.Last
                   ? Printf("%4ld", long{zones.First})
                   : Printf("(%4ld..%4ld)", long{zones.First}, long{zones.Last});
  row[kEvent] = ChoiceText(context.ZonalEventChoiceTexts, rule.Events);
  row[kOutput] = OutputLocation(rule.Output, context);
  row[kChannel] = ChannelText(rule.Output);
  return row;
}

// The columns every event kind shows: events, output and channel with the off suffix.
void FillEventOutput(RuleText& row, const RuleRecord& rule, const RuleTextContext& context) {
  row[kEvent] = SelectedEventsText(rule.Events, context.EventCaptionTexts);
  row[kOutput] = OutputLocation(rule.Output, context);
  row[kChannel] = ChannelText(rule.Output);
  if (rule.Modifier != 0) row[kChannel] += Suffix(string_id::kOff);
}

RuleText EventLocalRow(const RuleRecord& rule, const RuleTextContext& context) {
  RuleText row = NotApplicableRow(rule.Kind);
  row[kPanel] = NumberOr(rule.Panel, kAnyPanel, string_id::kAnyPanel);
  row[kLoop] = LoopText(rule.Loop);
  row[kZone] = ZoneOrAny(rule.Zone);
  row[kAddress] = LocalAddressText(rule.Address);
  row[kDevice] = DeviceText(rule, context.SystemIndex);
  FillEventOutput(row, rule, context);
  return row;
}

RuleText EventNetworkRow(const RuleRecord& rule, const RuleTextContext& context) {
  RuleText row = NotApplicableRow(rule.Kind);
  row[kZone] = ZoneOrAny(rule.Zone);
  row[kAddress] = NumberOr(rule.Address, kAnyReference, string_id::kAnyReference);
  row[kDevice] = DeviceText(rule, context.SystemIndex);
  FillEventOutput(row, rule, context);
  return row;
}

RuleText EventGeneralRow(const RuleRecord& rule, const RuleTextContext& context) {
  RuleText row = NotApplicableRow(rule.Kind);
  row[kPanel] = NumberOr(rule.Panel, kAnyPanel, string_id::kAnyPanel);
  FillEventOutput(row, rule, context);
  return row;
}

}  // namespace

EventCaptions DefaultEventCaptions() {
  EventCaptions captions;
  for (std::size_t i = 0; i < captions.size(); ++i) captions[i] = kEventCheckBoxes[i].Caption;
  return captions;
}

BoardEventChoices DefaultBoardEventChoices() {
  return Copies(kBoardEventChoiceTexts);
}

ZonalEventChoices DefaultZonalEventChoices() {
  return Copies(kZonalEventChoiceTexts);
}

RuleTextContext RuleTextContextOf(const ControllerSettings& settings) {
  RuleTextContext context;
  context.ModelIndex = settings.ModelIndex;
  context.SystemIndex = settings.SystemIndex;
  context.TerminationBankHasRange = !IsSlimlineModel(settings.ModelIndex);
  const HostSystemLimits limits =
      HostSystemLimitsOf(settings.SystemIndex, {.ModelIndex = settings.ModelIndex,
                                                .NetworkFitted = settings.NetworkFitted != 0,
                                                .VdsChecked = IsVdsZoneMode(settings.ZoneMode)});
  context.LastZoneMax =
      IsNetworkZoneMode(settings.ZoneMode) ? limits.NetworkZone.Max : limits.LocalZone.Max;
  return context;
}

void RenderAllRules(Configuration& configuration, const RuleTextContext& context) {
  const std::int32_t count = std::min(configuration.RuleCount, kMaxRows);
  for (std::int32_t n = 1; n <= count; ++n) {
    const RuleText row = RenderRule(configuration.StoredRule(n), context);
    for (std::size_t column = 0; column < row.size(); ++column) {
      configuration.MimicBook.SetText(kRuleTextSheet, n, static_cast<int>(column) + 1, row[column]);
    }
  }
}

RuleText RenderRule(const RuleRecord& rule, const RuleTextContext& context) {
  switch (rule.Kind) {
    case rkBoard:
      return BoardRow(rule, context);
    case rkZonal:
      return ZonalRow(rule, context);
    case rkEventLocal:
      return EventLocalRow(rule, context);
    case rkEventNetwork:
      return EventNetworkRow(rule, context);
    case rkEventGeneral:
      return EventGeneralRow(rule, context);
    default:
      return AllColumns(Text(string_id::kInvalid));
  }
}

}  // namespace trv
