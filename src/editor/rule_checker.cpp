#include "editor/rule_checker.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/device_types.h"
#include "model/event_availability.h"
#include "model/event_selection.h"
#include "model/host_system_limits.h"
#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/required_system.h"
#include "model/rule_record.h"
#include "model/workbook.h"
#include "model/zone_range.h"
#include "transfer/encode_image.h"

namespace trv {

namespace {

struct NumberedRule {
  std::int32_t Number = 0;
  RuleRecord Rule;
  int Level = kSystemKP10;  // the lowest host system the rule needs
};

bool IsEventKind(std::int32_t kind) {
  return kind == rkEventLocal || kind == rkEventNetwork || kind == rkEventGeneral;
}

// Board rules carry their board in Modifier; every other kind has an output word.
bool HasOutputWord(const RuleRecord& rule) {
  return rule.Kind != rkBoard;
}

bool IsTurnOff(const RuleRecord& rule) {
  return IsEventKind(rule.Kind) && rule.Modifier != 0;
}

// Only events both checked and enabled count.
std::array<bool, kEventCount> SelectedEvents(std::int32_t events) {
  const EventSelection selection(events);
  std::array<bool, kEventCount> selected{};
  for (int event = 0; event < kEventCount; ++event) {
    selected[static_cast<std::size_t>(event)] = selection.IsSelected(event);
  }
  return selected;
}

// One output of a termination or driver board, by its index.
struct OutputRef {
  OutputBoardKind Kind = obTermination;
  int Index = 0;
};

// Output indexes 0..511, on termination and on driver boards alike.
constexpr int kOutputIndexes = OutputWord::kMaxIndex + 1;

OutputRef OutputOfWord(std::int32_t output) {
  const OutputWord word(output);
  return {word.IsTermination() ? obTermination : obDriver, word.Index()};
}

// The rules that drive one output.
struct OutputUse {
  std::vector<std::int32_t> BoardRules;          // board rules whose board holds it
  std::vector<const NumberedRule*> OutputRules;  // zonal and event rules whose output it is
  bool TurnedOn = false;                         // by a rule without "Turn Off"

  bool InUse() const { return !BoardRules.empty() || !OutputRules.empty(); }
};

// The termination outputs a board rule drives.
struct BoardOutputs {
  int First = 0;
  int Count = 0;
};

// What every check reads, gathered once.
class CheckContext {
 public:
  explicit CheckContext(const Configuration& configuration);

  const ControllerSettings& Settings;
  std::vector<NumberedRule> Rules;       // kinds 0..4, in rule order
  std::vector<NumberedRule> OtherKinds;  // neither a rule kind nor cleared
  HostSystemLimits Limits;
  RuleWordUse Words;

  // Rules that need a higher system are reported once, for that; what they would mean on this
  // system is not checked.
  bool FitsSystem(const NumberedRule& rule) const { return rule.Level <= Settings.SystemIndex; }
  std::string SystemName() const { return std::string(kHostSystems[SystemSlot()]); }
  const FieldLimits& ZoneLimits() const;
  std::optional<BoardOutputs> OutputsOfBoard(std::int32_t board) const;
  int BoardOf(OutputRef output) const;
  bool IsInstalledBoard(std::int32_t board) const;
  std::string InstalledBoardsText() const;
  std::string OutputName(OutputRef output) const;
  bool IsRelayLinkFitted(int terminationIndex) const;
  // The "Steady" choice is hidden for every output of model 4 on a KP4000 or KP6000, and such an
  // output is captured as a relay whether or not a link is fitted.
  bool CapturesLedOutputs() const;
  const OutputUse& Use(OutputRef output) const { return FUses[Slot(output)]; }
  OutputRef OutputAt(std::size_t slot) const;
  std::size_t OutputSlots() const { return FUses.size(); }

 private:
  static std::size_t Slot(OutputRef output);
  std::size_t SystemSlot() const { return static_cast<std::size_t>(Settings.SystemIndex); }
  void ReadRules(const Configuration& configuration);
  void RecordOutputs();
  void RecordBoardRule(const NumberedRule& rule);

  RelayLinkTest FRelayLinks;
  std::vector<OutputUse> FUses;
};

CheckContext::CheckContext(const Configuration& configuration)
    : Settings(configuration.ControllerSettings),
      Limits(HostSystemLimitsOf(Settings.SystemIndex,
                                {.ModelIndex = Settings.ModelIndex,
                                 .NetworkFitted = Settings.NetworkFitted != 0,
                                 .VdsChecked = IsVdsZoneMode(Settings.ZoneMode)})),
      Words(CountRuleWords(configuration)),
      FRelayLinks(Settings.RelayLinks, Settings.RcuRelayLinks, Settings.ModelIndex),
      FUses(2 * kOutputIndexes) {
  ReadRules(configuration);
  RecordOutputs();
}

void CheckContext::ReadRules(const Configuration& configuration) {
  // Rows past the sheet hold no rules.
  const std::int32_t count = std::min(configuration.RuleCount, kMaxRows);
  for (std::int32_t n = 1; n <= count; ++n) {
    const RuleRecord rule = configuration.StoredRule(n);
    if (rule.Kind == rkCleared) continue;
    if (!IsRuleKind(rule.Kind)) {
      OtherKinds.push_back({n, rule});
      continue;
    }
    const int level = RequiredSystemOfStoredRule(rule, Settings.ModelIndex, Settings.SystemIndex);
    Rules.push_back({n, rule, level});
  }
}

void CheckContext::RecordOutputs() {
  for (const NumberedRule& rule : Rules) {
    if (!HasOutputWord(rule.Rule)) {
      RecordBoardRule(rule);
      continue;
    }
    OutputUse& use = FUses[Slot(OutputOfWord(rule.Rule.Output))];
    use.OutputRules.push_back(&rule);
    if (!IsTurnOff(rule.Rule)) use.TurnedOn = true;
  }
}

void CheckContext::RecordBoardRule(const NumberedRule& rule) {
  const std::optional<BoardOutputs> outputs = OutputsOfBoard(rule.Rule.Modifier);
  if (!outputs) return;
  for (int index = outputs->First; index < outputs->First + outputs->Count; ++index) {
    OutputUse& use = FUses[Slot({obTermination, index})];
    use.BoardRules.push_back(rule.Number);
    use.TurnedOn = true;
  }
}

std::size_t CheckContext::Slot(OutputRef output) {
  const std::size_t base = output.Kind == obTermination ? 0 : kOutputIndexes;
  return base + static_cast<std::size_t>(output.Index);
}

OutputRef CheckContext::OutputAt(std::size_t slot) const {
  const int index = static_cast<int>(slot % kOutputIndexes);
  return {slot < kOutputIndexes ? obTermination : obDriver, index};
}

const FieldLimits& CheckContext::ZoneLimits() const {
  return IsNetworkZoneMode(Settings.ZoneMode) ? Limits.NetworkZone : Limits.LocalZone;
}

std::optional<BoardOutputs> CheckContext::OutputsOfBoard(std::int32_t board) const {
  const int perBoard = OutputsPerBoard(obTermination, Settings.ModelIndex);
  if (board < 1 || board > kOutputIndexes / perBoard) return std::nullopt;
  return BoardOutputs{OutputIndexOf(obTermination, Settings.ModelIndex, {board, 1, 1}), perBoard};
}

int CheckContext::BoardOf(OutputRef output) const {
  return OutputPositionOf(output.Kind, Settings.ModelIndex, output.Index).Board;
}

bool CheckContext::IsInstalledBoard(std::int32_t board) const {
  return board >= 1 && board <= Settings.BoardsInstalled;
}

std::string CheckContext::InstalledBoardsText() const {
  const int boards = Settings.BoardsInstalled;
  return std::to_string(boards) + (boards == 1 ? " board is installed" : " boards are installed");
}

std::string CheckContext::OutputName(OutputRef output) const {
  const OutputPosition position = OutputPositionOf(output.Kind, Settings.ModelIndex, output.Index);
  const std::string board = "board " + std::to_string(position.Board);
  const std::string last = "output " + std::to_string(position.Output) + ")";
  const std::string number = std::to_string(output.Index + 1);
  if (output.Kind == obDriver) return "driver output " + number + " (" + board + ", " + last;
  if (IsSlimlineModel(Settings.ModelIndex)) return "output " + number + " (" + board + ", " + last;
  return "output " + number + " (" + board + ", bank " + std::to_string(position.Bank) + ", " +
         last;
}

bool CheckContext::IsRelayLinkFitted(int terminationIndex) const {
  return FRelayLinks.IsRelayOutputIndex(terminationIndex);
}

bool CheckContext::CapturesLedOutputs() const {
  return !IsSlimlineModel(Settings.ModelIndex) || Settings.SystemIndex == kSystemKP10;
}

// Texts.

std::string JoinNumbers(std::span<const std::int32_t> numbers) {
  std::string text;
  for (const std::int32_t number : numbers) {
    if (!text.empty()) text += ", ";
    text += std::to_string(number);
  }
  return text;
}

// "rule 3" or "rules 3, 5".
std::string RulesText(std::string_view what, std::span<const std::int32_t> rules) {
  return std::string(what) + (rules.size() == 1 ? " " : "s ") + JoinNumbers(rules);
}

// "a", "a and b", "a, b and c".
std::string JoinWithAnd(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
    text += parts[i];
  }
  return text;
}

// The checks. Each reports through a Reporter that knows its code and severity.

class Reporter {
 public:
  Reporter(std::string_view code, FindingSeverity severity, std::vector<Finding>& findings)
      : FCode(code), FSeverity(severity), FFindings(findings) {}

  void Report(std::vector<std::int32_t> rules, std::string text) {
    std::sort(rules.begin(), rules.end());
    FFindings.push_back({FSeverity, std::string(FCode), std::move(rules), std::move(text)});
  }

 private:
  std::string_view FCode;
  FindingSeverity FSeverity;
  std::vector<Finding>& FFindings;
};

void CheckRuleKinds(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.OtherKinds) {
    reporter.Report({rule.Number}, "the rule is invalid (kind " + std::to_string(rule.Rule.Kind) +
                                       ") and is not sent");
  }
}

void CheckBoardRuleBoards(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (HasOutputWord(rule.Rule) || context.IsInstalledBoard(rule.Rule.Modifier)) continue;
    reporter.Report({rule.Number}, "the rule drives board " + std::to_string(rule.Rule.Modifier) +
                                       ", but " + context.InstalledBoardsText());
  }
}

void CheckOutputBoards(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (!HasOutputWord(rule.Rule)) continue;
    const OutputRef output = OutputOfWord(rule.Rule.Output);
    const int board = context.BoardOf(output);
    if (context.IsInstalledBoard(board)) continue;
    reporter.Report({rule.Number}, context.OutputName(output) + " is on board " +
                                       std::to_string(board) + ", but " +
                                       context.InstalledBoardsText());
  }
}

void CheckRequiredSystem(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (context.FitsSystem(rule)) continue;
    reporter.Report({rule.Number},
                    "the rule needs a " +
                        std::string(kHostSystems[static_cast<std::size_t>(rule.Level)]) +
                        " host system, but the system is a " + context.SystemName());
  }
}

void CheckEventSelected(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (!IsEventKind(rule.Rule.Kind)) continue;
    const std::array<bool, kEventCount> selected = SelectedEvents(rule.Rule.Events);
    if (std::find(selected.begin(), selected.end(), true) != selected.end()) continue;
    reporter.Report({rule.Number}, "no event is selected");
  }
}

// The captions of the selected events that the availability table does not offer.
std::vector<std::string> EventsNotOffered(const RuleRecord& rule, int systemIndex) {
  const std::optional<EventAvailability> availability =
      LookUpEventAvailability(EventCriteriaOfRule(rule, systemIndex));
  const std::array<bool, kEventCount> selected = SelectedEvents(rule.Events);
  std::vector<std::string> captions;
  for (std::size_t event = 0; event < selected.size(); ++event) {
    if (selected[event] && !(availability && availability->Allowed[event])) {
      captions.emplace_back(kEventCheckBoxes[event].Caption);
    }
  }
  return captions;
}

void CheckEventsOffered(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (!IsEventKind(rule.Rule.Kind) || !context.FitsSystem(rule)) continue;
    const std::vector<std::string> captions =
        EventsNotOffered(rule.Rule, context.Settings.SystemIndex);
    if (captions.empty()) continue;
    reporter.Report({rule.Number},
                    (captions.size() == 1 ? "event " : "events ") + JoinWithAnd(captions) +
                        (captions.size() == 1 ? " is" : " are") +
                        " not offered for the rule's input on a " + context.SystemName());
  }
}

// A numeric field of a rule with the range its editor field has on this system.
struct LimitedField {
  std::string_view Name;
  std::int32_t Value = 0;
  FieldLimits Limits;
};

// Only the fields that hold a number, not one of their "any" or "none" values.

// Board and zonal rules: the panel of a local zone input.
std::vector<LimitedField> InputPanelFields(const RuleRecord& rule, const CheckContext& context) {
  if (rule.Panel == kNetworkZonePanel) return {};
  return {{"panel", rule.Panel, context.Limits.BoardZonalPanel}};
}

std::vector<LimitedField> LimitedFieldsOfBoardRule(const RuleRecord& rule,
                                                   const CheckContext& context) {
  std::vector<LimitedField> fields = InputPanelFields(rule, context);
  const std::int32_t span = BoardRuleSpan(context.Settings.ModelIndex, rule.Events);
  fields.push_back({"first zone", rule.Zone, BoardRuleFirstZoneLimits(context.ZoneLimits(), span)});
  return fields;
}

std::vector<LimitedField> LimitedFieldsOfZonalRule(const RuleRecord& rule,
                                                   const CheckContext& context) {
  std::vector<LimitedField> fields = InputPanelFields(rule, context);
  const ZoneRange zones = ZoneRange::Unpack(rule.Zone);
  fields.push_back({"first zone", zones.First, context.ZoneLimits()});
  fields.push_back({"last zone", zones.Last, context.ZoneLimits()});
  return fields;
}

bool IsAddressChoice(std::int32_t address) {
  return address == kAnyAddress || address == kNonDevice || address == kAddressNotApplicable;
}

std::vector<LimitedField> LimitedFieldsOfEventLocalRule(const RuleRecord& rule,
                                                        const CheckContext& context) {
  std::vector<LimitedField> fields;
  if (rule.Panel != kAnyPanel) fields.push_back({"panel", rule.Panel, context.Limits.EventPanel});
  const bool virtualLoop = IsVirtualLoop(rule.Loop);
  if (rule.Loop != kAnyLoop && rule.Loop != kNonLoop && !virtualLoop) {
    fields.push_back({"loop", rule.Loop, context.Limits.EventLoop});
  }
  if (rule.Zone != kAnyZone) fields.push_back({"zone", rule.Zone, context.ZoneLimits()});
  if (!IsAddressChoice(rule.Address)) {
    FieldLimits addresses = context.Limits.EventAddress;
    addresses.Max = EventAddressMax(virtualLoop, IsModuleType(rule.DeviceType));
    fields.push_back({"address", rule.Address, addresses});
  }
  return fields;
}

std::vector<LimitedField> LimitedFieldsOfEventNetworkRule(const RuleRecord& rule,
                                                          const CheckContext& context) {
  std::vector<LimitedField> fields;
  if (rule.Zone != kAnyZone) {
    fields.push_back({"network zone", rule.Zone, context.Limits.EventNetworkZone});
  }
  if (rule.Address != kAnyReference) {
    fields.push_back({"reference", rule.Address, context.Limits.EventReference});
  }
  return fields;
}

std::vector<LimitedField> LimitedFieldsOf(const RuleRecord& rule, const CheckContext& context) {
  switch (rule.Kind) {
    case rkBoard:
      return LimitedFieldsOfBoardRule(rule, context);
    case rkZonal:
      return LimitedFieldsOfZonalRule(rule, context);
    case rkEventLocal:
      return LimitedFieldsOfEventLocalRule(rule, context);
    case rkEventNetwork:
      return LimitedFieldsOfEventNetworkRule(rule, context);
    case rkEventGeneral:
      if (rule.Panel == kAnyPanel) return {};
      return {{"panel", rule.Panel, context.Limits.EventPanel}};
    default:
      return {};
  }
}

void CheckInputLimits(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (!context.FitsSystem(rule)) continue;
    for (const LimitedField& field : LimitedFieldsOf(rule.Rule, context)) {
      if (field.Value >= field.Limits.Min && field.Value <= field.Limits.Max) continue;
      reporter.Report({rule.Number}, std::string(field.Name) + " " + std::to_string(field.Value) +
                                         " is outside " + std::to_string(field.Limits.Min) + ".." +
                                         std::to_string(field.Limits.Max) + " on a " +
                                         context.SystemName());
    }
  }
}

void CheckImageCapacity(const CheckContext& context, Reporter& reporter) {
  if (context.Words.Fits()) return;
  reporter.Report({}, "the rules need " + std::to_string(context.Words.NeededWords) +
                          " image words, but only " + std::to_string(context.Words.AvailableWords) +
                          " fit");
}

using RuleField = std::int32_t RuleRecord::*;

// The fields each kind sets when its rule is captured and that carry meaning for it.
constexpr std::array<RuleField, 4> kBoardFields{&RuleRecord::Panel, &RuleRecord::Zone,
                                                &RuleRecord::Events, &RuleRecord::Modifier};
constexpr std::array<RuleField, 4> kZonalFields{&RuleRecord::Panel, &RuleRecord::Zone,
                                                &RuleRecord::Events, &RuleRecord::Output};
constexpr std::array<RuleField, 8> kEventLocalFields{
    &RuleRecord::Panel,      &RuleRecord::Loop,   &RuleRecord::Zone,     &RuleRecord::Address,
    &RuleRecord::DeviceType, &RuleRecord::Events, &RuleRecord::Modifier, &RuleRecord::Output};
constexpr std::array<RuleField, 4> kEventGeneralFields{&RuleRecord::Panel, &RuleRecord::Events,
                                                       &RuleRecord::Modifier, &RuleRecord::Output};
constexpr std::array<RuleField, 6> kEventNetworkFields{
    &RuleRecord::Zone,   &RuleRecord::Address,  &RuleRecord::DeviceType,
    &RuleRecord::Events, &RuleRecord::Modifier, &RuleRecord::Output};

std::span<const RuleField> FieldsOfKind(std::int32_t kind) {
  switch (kind) {
    case rkBoard:
      return kBoardFields;
    case rkZonal:
      return kZonalFields;
    case rkEventLocal:
      return kEventLocalFields;
    case rkEventGeneral:
      return kEventGeneralFields;
    case rkEventNetwork:
      return kEventNetworkFields;
    default:
      return {};
  }
}

// The rule with the fields its kind does not use cleared, and for event rules only the selected
// events kept, so that two rules that mean the same compare equal.
std::array<std::int32_t, kRuleRecordFieldCount> MeaningOf(const RuleRecord& rule) {
  RuleRecord meaning{.Kind = rule.Kind};
  for (const RuleField field : FieldsOfKind(rule.Kind)) meaning.*field = rule.*field;
  if (IsEventKind(rule.Kind)) {
    EventSelection selected;
    const std::array<bool, kEventCount> events = SelectedEvents(rule.Events);
    for (int event = 0; event < kEventCount; ++event) {
      selected.Set(event, events[static_cast<std::size_t>(event)], true);
    }
    meaning.Events = selected.Value();
  }
  std::array<std::int32_t, kRuleRecordFieldCount> values{};
  for (std::size_t field = 0; field < values.size(); ++field) {
    values[field] = meaning.*kRuleRecordFields[field];
  }
  return values;
}

void CheckDuplicateRules(const CheckContext& context, Reporter& reporter) {
  std::map<std::array<std::int32_t, kRuleRecordFieldCount>, std::vector<std::int32_t>> groups;
  for (const NumberedRule& rule : context.Rules)
    groups[MeaningOf(rule.Rule)].push_back(rule.Number);
  for (auto& [meaning, rules] : groups) {
    if (rules.size() < 2) continue;
    reporter.Report(rules, "the rules are the same in every field their kind uses");
  }
}

std::string OutputModeText(std::int32_t output) {
  const OutputWord word(output);
  if (word.IsRelay()) return word.IsSteady() ? "a relay" : "a flashing relay";
  return word.IsSteady() ? "a steady LED" : "a flashing LED";
}

void CheckOutputModes(const CheckContext& context, Reporter& reporter) {
  for (std::size_t slot = 0; slot < context.OutputSlots(); ++slot) {
    const OutputRef output = context.OutputAt(slot);
    // In the order the modes first appear.
    std::vector<std::pair<std::string, std::vector<std::int32_t>>> rulesByMode;
    for (const NumberedRule* rule : context.Use(output).OutputRules) {
      const std::string mode = OutputModeText(rule->Rule.Output);
      auto entry = std::find_if(rulesByMode.begin(), rulesByMode.end(),
                                [&mode](const auto& known) { return known.first == mode; });
      if (entry == rulesByMode.end()) entry = rulesByMode.insert(entry, {mode, {}});
      entry->second.push_back(rule->Number);
    }
    if (rulesByMode.size() < 2) continue;
    std::vector<std::string> modes;
    std::vector<std::int32_t> rules;
    for (const auto& [mode, numbers] : rulesByMode) {
      modes.push_back(mode + " in " + RulesText("rule", numbers));
      rules.insert(rules.end(), numbers.begin(), numbers.end());
    }
    reporter.Report(rules, context.OutputName(output) + " is " + JoinWithAnd(modes));
  }
}

void CheckRelayLinks(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (!HasOutputWord(rule.Rule)) continue;
    const OutputRef output = OutputOfWord(rule.Rule.Output);
    if (output.Kind != obTermination) continue;
    const bool relay = OutputWord(rule.Rule.Output).IsRelay();
    const bool fitted = context.IsRelayLinkFitted(output.Index);
    if (fitted && !relay) {
      reporter.Report({rule.Number}, context.OutputName(output) +
                                         " is set as an LED, but its relay link is fitted");
    } else if (!fitted && relay && context.CapturesLedOutputs()) {
      reporter.Report({rule.Number}, context.OutputName(output) +
                                         " is set as a relay, but its relay link is not fitted");
    }
  }
}

void CheckBoardRuleOutputs(const CheckContext& context, Reporter& reporter) {
  for (std::size_t slot = 0; slot < context.OutputSlots(); ++slot) {
    const OutputRef output = context.OutputAt(slot);
    const OutputUse& use = context.Use(output);
    if (use.BoardRules.empty() || use.OutputRules.empty()) continue;
    std::vector<std::int32_t> others;
    for (const NumberedRule* rule : use.OutputRules) others.push_back(rule->Number);
    std::vector<std::int32_t> rules = use.BoardRules;
    rules.insert(rules.end(), others.begin(), others.end());
    reporter.Report(rules, context.OutputName(output) + " of " +
                               RulesText("board rule", use.BoardRules) + " is also driven by " +
                               RulesText("rule", others));
  }
}

void CheckTurnOffRules(const CheckContext& context, Reporter& reporter) {
  for (const NumberedRule& rule : context.Rules) {
    if (!IsTurnOff(rule.Rule)) continue;
    const OutputRef output = OutputOfWord(rule.Rule.Output);
    if (context.Use(output).TurnedOn) continue;
    reporter.Report({rule.Number}, context.OutputName(output) +
                                       " is turned off by the rule, but no rule turns it on");
  }
}

void CheckSharedBoards(const CheckContext& context, Reporter& reporter) {
  std::map<std::int32_t, std::vector<std::int32_t>> boardRules;
  for (const NumberedRule& rule : context.Rules) {
    if (!HasOutputWord(rule.Rule)) boardRules[rule.Rule.Modifier].push_back(rule.Number);
  }
  for (const auto& [board, rules] : boardRules) {
    if (rules.size() < 2) continue;
    reporter.Report(rules, "board " + std::to_string(board) + " is driven by " +
                               RulesText("board rule", rules));
  }
}

void NoteImageWords(const CheckContext& context, Reporter& reporter) {
  const std::size_t needed = context.Words.NeededWords;
  const std::size_t available = context.Words.AvailableWords;
  reporter.Report({}, "the rules use " + std::to_string(needed) + " of the " +
                          std::to_string(available) + " image words available (" +
                          std::to_string(needed * 100 / available) + "%)");
}

void NoteOutputsPerBoard(const CheckContext& context, Reporter& reporter) {
  std::map<std::pair<OutputBoardKind, int>, int> usedByBoard;
  for (std::size_t slot = 0; slot < context.OutputSlots(); ++slot) {
    const OutputRef output = context.OutputAt(slot);
    if (context.Use(output).InUse()) ++usedByBoard[{output.Kind, context.BoardOf(output)}];
  }
  for (const auto& [board, used] : usedByBoard) {
    const int outputs = OutputsPerBoard(board.first, context.Settings.ModelIndex);
    reporter.Report({}, std::string(board.first == obTermination ? "termination" : "driver") +
                            " board " + std::to_string(board.second) + ": " + std::to_string(used) +
                            " of " + std::to_string(outputs) + " outputs used");
  }
}

struct Check {
  std::string_view Code;
  FindingSeverity Severity;
  void (*Run)(const CheckContext&, Reporter&);
};

constexpr FindingSeverity kError = FindingSeverity::Error;
constexpr FindingSeverity kWarning = FindingSeverity::Warning;
constexpr FindingSeverity kNote = FindingSeverity::Note;

// Every check, once; a code never changes its meaning.
constexpr std::array kChecks{
    Check{"E01", kError, CheckRuleKinds},        Check{"E02", kError, CheckBoardRuleBoards},
    Check{"E03", kError, CheckOutputBoards},     Check{"E04", kError, CheckRequiredSystem},
    Check{"E05", kError, CheckEventSelected},    Check{"E06", kError, CheckEventsOffered},
    Check{"E07", kError, CheckInputLimits},      Check{"E08", kError, CheckImageCapacity},
    Check{"W01", kWarning, CheckDuplicateRules}, Check{"W02", kWarning, CheckOutputModes},
    Check{"W03", kWarning, CheckRelayLinks},     Check{"W04", kWarning, CheckBoardRuleOutputs},
    Check{"W05", kWarning, CheckTurnOffRules},   Check{"W06", kWarning, CheckSharedBoards},
    Check{"N01", kNote, NoteImageWords},         Check{"N02", kNote, NoteOutputsPerBoard},
};

std::int32_t FirstRule(const Finding& finding) {
  return finding.Rules.empty() ? 0 : finding.Rules.front();
}

}  // namespace

std::vector<Finding> CheckConfiguration(const Configuration& configuration) {
  const CheckContext context(configuration);
  std::vector<Finding> findings;
  for (const Check& check : kChecks) {
    Reporter reporter(check.Code, check.Severity, findings);
    check.Run(context, reporter);
  }
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return std::tuple(a.Severity, FirstRule(a), a.Code) <
           std::tuple(b.Severity, FirstRule(b), b.Code);
  });
  return findings;
}

std::string_view SeverityName(FindingSeverity severity) {
  switch (severity) {
    case FindingSeverity::Error:
      return "error";
    case FindingSeverity::Warning:
      return "warning";
    case FindingSeverity::Note:
      return "note";
  }
  return "note";
}

std::string FindingLine(const Finding& finding) {
  std::string line;
  if (!finding.Rules.empty()) line = RulesText("rule", finding.Rules) + ": ";
  return line + std::string(SeverityName(finding.Severity)) + " " + FindingText(finding);
}

std::string FindingRules(const Finding& finding) {
  return JoinNumbers(finding.Rules);
}

std::string FindingText(const Finding& finding) {
  return finding.Code + ": " + finding.Text;
}

std::string FindingsSummary(const std::vector<Finding>& findings) {
  const auto count = [&findings](FindingSeverity severity, std::string_view noun) {
    const auto n = std::count_if(findings.begin(), findings.end(),
                                 [severity](const Finding& f) { return f.Severity == severity; });
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
  };
  return count(FindingSeverity::Error, "error") + ", " +
         count(FindingSeverity::Warning, "warning") + ", " + count(FindingSeverity::Note, "note");
}

bool HasError(const std::vector<Finding>& findings) {
  return CountErrors(findings) > 0;
}

std::size_t CountErrors(const std::vector<Finding>& findings) {
  return static_cast<std::size_t>(
      std::count_if(findings.begin(), findings.end(),
                    [](const Finding& f) { return f.Severity == FindingSeverity::Error; }));
}

}  // namespace trv
