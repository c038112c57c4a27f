#include "editor/configuration_compare.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <numeric>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/event_selection.h"
#include "model/relay_links.h"
#include "transfer/decode_image.h"
#include "transfer/encode_image.h"

namespace trv {

namespace {

// Beyond this many inserted and deleted rules the lists are compared by rule number: matching
// them costs time and memory in the square of the edits.
constexpr std::size_t kMaxMatchedEdits = 1000;

using Rules = std::vector<RuleRecord>;

// One configuration as compared: its settings and rules, and each rule's number and the rule that
// its text shows.
struct Side {
  ControllerSettings Settings;
  Rules Compared;
  std::vector<std::int32_t> Numbers;
  Rules Shown;
  RuleTextContext Context;
};

Rules StoredRules(const Configuration& configuration) {
  Rules rules;
  const std::int32_t count = std::min(configuration.RuleCount, kMaxRows);
  rules.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (std::int32_t n = 1; n <= count; ++n) rules.push_back(configuration.StoredRule(n));
  return rules;
}

Side SideOf(const Configuration& configuration) {
  Rules rules = StoredRules(configuration);
  std::vector<std::int32_t> numbers(rules.size());
  std::iota(numbers.begin(), numbers.end(), 1);
  return {configuration.ControllerSettings, rules, std::move(numbers), rules,
          RuleTextContextOf(configuration.ControllerSettings)};
}

// The configuration as a Get into a fresh configuration would read it back after a send; the
// stamps are not read back. A rule that comes back keeps its number and text in the
// configuration: only cleared and invalid rules stay behind.
Side ThroughImage(const Configuration& configuration) {
  DecodedConfiguration decoded = DecodeImage(EncodeImage(configuration, ImageStamps{}),
                                             ControllerSettings{}, configuration.DefaultBaseName);
  Side side = SideOf(configuration);
  std::vector<std::int32_t> numbers;
  Rules shown;
  for (std::size_t i = 0; i < side.Shown.size(); ++i) {
    if (!IsRuleKind(side.Shown[i].Kind)) continue;
    numbers.push_back(side.Numbers[i]);
    shown.push_back(side.Shown[i]);
  }
  side.Settings = std::move(decoded.Settings);
  side.Compared = std::move(decoded.Rules);
  if (numbers.size() == side.Compared.size()) {
    side.Numbers = std::move(numbers);
    side.Shown = std::move(shown);
  } else {  // not rule for rule: as the image numbers and shows them
    side.Numbers.resize(side.Compared.size());
    std::iota(side.Numbers.begin(), side.Numbers.end(), 1);
    side.Shown = side.Compared;
    side.Context = RuleTextContextOf(side.Settings);
  }
  return side;
}

// Settings.

using NamedValues = std::vector<std::pair<std::string, std::string>>;

template <std::size_t N>
std::string NameAt(const std::array<std::string_view, N>& names, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return std::to_string(index);
  return std::string(names[static_cast<std::size_t>(index)]);
}

std::string LinkState(std::uint8_t link) {
  return link != 0 ? "fitted" : "not fitted";
}

void AddRelayLinks(NamedValues& values, const ControllerSettings& settings) {
  for (int board = 0; board < kRelayLinkBoards; ++board) {
    for (int bank = 0; bank < kRelayLinkBanks; ++bank) {
      for (int group = 0; group < kRelayLinkGroups; ++group) {
        const int first = group * kOutputsPerRelayLinkGroup + 1;
        values.emplace_back("RelayLinks[board " + std::to_string(board + 1) + ", bank " +
                                std::to_string(bank + 1) + ", outputs " + std::to_string(first) +
                                ".." + std::to_string(first + kOutputsPerRelayLinkGroup - 1) + "]",
                            LinkState(settings.RelayLinks[RelayLinkIndex(board, bank, group)]));
      }
    }
  }
  for (int board = 0; board < kRcuRelayLinkBoards; ++board) {
    for (int output = 0; output < kRcuRelayLinkOutputs; ++output) {
      values.emplace_back("RcuRelayLinks[board " + std::to_string(board + 1) + ", output " +
                              std::to_string(output + 1) + "]",
                          LinkState(settings.RcuRelayLinks[RcuRelayLinkIndex(board, output)]));
    }
  }
}

NamedValues SettingValues(const ControllerSettings& settings) {
  NamedValues values{
      {"ModelIndex", NameAt(kControllerModels, settings.ModelIndex)},
      {"SystemIndex", NameAt(kHostSystems, settings.SystemIndex)},
      {"AddressMode", std::to_string(settings.AddressMode)},
      {"SoftAddress", std::to_string(settings.SoftAddress)},
      {"UnitName", settings.UnitName},
      {"BuzzerMode", std::to_string(settings.BuzzerMode)},
      {"ResoundOnNewAlarm", std::to_string(settings.ResoundOnNewAlarm)},
      {"AccessLevel", std::to_string(settings.AccessLevel)},
      {"BuzzerDisplayedEventsOnly", std::to_string(settings.BuzzerDisplayedEventsOnly)},
      {"BuzzerDisableInterval", std::to_string(settings.BuzzerDisableInterval)},
      {"MutedTechAlarmInterval", std::to_string(settings.MutedTechAlarmInterval)},
      {"BoardsInstalled", std::to_string(settings.BoardsInstalled)},
      {"ZoneMode", std::to_string(settings.ZoneMode)},
      {"NetworkFitted", std::to_string(settings.NetworkFitted)},
  };
  AddRelayLinks(values, settings);
  return values;
}

// Both lists hold the same fields in the same order.
std::vector<FieldDifference> DifferingValues(const NamedValues& a, const NamedValues& b) {
  std::vector<FieldDifference> differences;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].second != b[i].second) differences.push_back({a[i].first, a[i].second, b[i].second});
  }
  return differences;
}

// Rules.

constexpr std::array<std::string_view, kRuleRecordFieldCount> kRuleFieldNames{
    "Kind", "Panel", "Loop", "Zone", "Address", "DeviceType", "Events", "Modifier", "Output"};

constexpr unsigned FieldBit(std::int32_t RuleRecord::*field) {
  for (std::size_t i = 0; i < kRuleRecordFields.size(); ++i) {
    if (kRuleRecordFields[i] == field) return 1u << i;
  }
  return 0;
}

constexpr unsigned kEventFields = FieldBit(&RuleRecord::Kind) | FieldBit(&RuleRecord::Events) |
                                  FieldBit(&RuleRecord::Modifier) | FieldBit(&RuleRecord::Output);

// The fields that a rule of the kind uses; the others keep what the editor held before.
unsigned UsedFields(std::int32_t kind) {
  switch (kind) {
    case rkBoard:
      return FieldBit(&RuleRecord::Kind) | FieldBit(&RuleRecord::Panel) |
             FieldBit(&RuleRecord::Zone) | FieldBit(&RuleRecord::Events) |
             FieldBit(&RuleRecord::Modifier);
    case rkZonal:
      return FieldBit(&RuleRecord::Kind) | FieldBit(&RuleRecord::Panel) |
             FieldBit(&RuleRecord::Zone) | FieldBit(&RuleRecord::Events) |
             FieldBit(&RuleRecord::Output);
    case rkEventLocal:
      return kEventFields | FieldBit(&RuleRecord::Panel) | FieldBit(&RuleRecord::Loop) |
             FieldBit(&RuleRecord::Zone) | FieldBit(&RuleRecord::Address) |
             FieldBit(&RuleRecord::DeviceType);
    case rkEventNetwork:
      return kEventFields | FieldBit(&RuleRecord::Zone) | FieldBit(&RuleRecord::Address) |
             FieldBit(&RuleRecord::DeviceType);
    case rkEventGeneral:
      return kEventFields | FieldBit(&RuleRecord::Panel);
    default:  // shown as "Invalid" whatever it holds
      return FieldBit(&RuleRecord::Kind);
  }
}

bool IsEventKind(std::int32_t kind) {
  return kind == rkEventLocal || kind == rkEventNetwork || kind == rkEventGeneral;
}

// Only events checked while enabled count.
std::int32_t CountedEvents(std::int32_t events) {
  const EventSelection selection(events);
  EventSelection counted;
  for (int event = 0; event < kEventCount; ++event) {
    const bool selected = selection.IsSelected(event);
    counted.Set(event, selected, selected);
  }
  return counted.Value();
}

// The rule with every field it does not use at 0: two rules mean the same when these are equal.
RuleRecord MeaningOf(const RuleRecord& rule) {
  const unsigned used = UsedFields(rule.Kind);
  RuleRecord meaning;
  for (std::size_t i = 0; i < kRuleRecordFields.size(); ++i) {
    const auto field = kRuleRecordFields[i];
    meaning.*field = (used & 1u << i) != 0 ? rule.*field : 0;
  }
  if (IsEventKind(rule.Kind)) meaning.Events = CountedEvents(rule.Events);
  return meaning;
}

std::string FieldValueText(std::size_t field, std::int32_t value) {
  if (kRuleRecordFields[field] != &RuleRecord::Events &&
      kRuleRecordFields[field] != &RuleRecord::Output) {
    return std::to_string(value);
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

std::vector<FieldDifference> DifferingFields(const RuleRecord& a, const RuleRecord& b) {
  std::vector<FieldDifference> differences;
  for (std::size_t i = 0; i < kRuleRecordFields.size(); ++i) {
    const std::int32_t valueA = a.*kRuleRecordFields[i];
    const std::int32_t valueB = b.*kRuleRecordFields[i];
    if (valueA == valueB) continue;
    differences.push_back(
        {std::string(kRuleFieldNames[i]), FieldValueText(i, valueA), FieldValueText(i, valueB)});
  }
  return differences;
}

// Rules a[A..AEnd) stand where b has b[B..BEnd).
struct Hunk {
  std::size_t A = 0;
  std::size_t AEnd = 0;
  std::size_t B = 0;
  std::size_t BEnd = 0;
};

// trace[d][k + d]: the furthest x reached on diagonal k = x - y of the edit graph after d edits.
using EditTrace = std::vector<std::vector<std::ptrdiff_t>>;

// Whether the path to diagonal k after d edits comes from diagonal k + 1 (an insertion) rather
// than from k - 1 (a deletion).
template <typename Furthest>
bool ComesFromAbove(std::ptrdiff_t k, std::ptrdiff_t d, const Furthest& furthest) {
  return k == -d || (k != d && furthest(k - 1) < furthest(k + 1));
}

// The hunks along the path that the trace found to (n, m), undoing one edit a step.
std::vector<Hunk> HunksOfTrace(const EditTrace& trace, std::ptrdiff_t n, std::ptrdiff_t m) {
  std::vector<Hunk> hunks;
  std::ptrdiff_t x = n;
  std::ptrdiff_t y = m;
  for (auto step = static_cast<std::ptrdiff_t>(trace.size()) - 1; step > 0; --step) {
    const std::vector<std::ptrdiff_t>& before = trace[static_cast<std::size_t>(step - 1)];
    const auto furthest = [&](std::ptrdiff_t k) {
      return before[static_cast<std::size_t>(k + step - 1)];
    };
    const std::ptrdiff_t k = x - y;
    const bool insertion = ComesFromAbove(k, step, furthest);
    const std::ptrdiff_t startX = furthest(insertion ? k + 1 : k - 1);
    const std::ptrdiff_t startY = startX - (insertion ? k + 1 : k - 1);
    const auto endA = static_cast<std::size_t>(insertion ? startX : startX + 1);
    const auto endB = static_cast<std::size_t>(insertion ? startY + 1 : startY);
    if (hunks.empty() || hunks.back().A != endA || hunks.back().B != endB) {
      hunks.push_back({endA, endA, endB, endB});
    }
    hunks.back().A = static_cast<std::size_t>(startX);
    hunks.back().B = static_cast<std::size_t>(startY);
    x = startX;
    y = startY;
  }
  std::reverse(hunks.begin(), hunks.end());
  return hunks;
}

// The shortest list of deletions from a and insertions of b that turns a into b (Myers' greedy
// search), as hunks; none when it needs more than maxEdits.
std::optional<std::vector<Hunk>> ShortestEdit(std::span<const RuleRecord> a,
                                              std::span<const RuleRecord> b, std::size_t maxEdits) {
  const auto n = static_cast<std::ptrdiff_t>(a.size());
  const auto m = static_cast<std::ptrdiff_t>(b.size());
  const auto limit = static_cast<std::ptrdiff_t>(std::min(a.size() + b.size(), maxEdits));
  std::vector<std::ptrdiff_t> reached(static_cast<std::size_t>(2 * limit + 3), 0);
  const auto furthest = [&](std::ptrdiff_t k) -> std::ptrdiff_t& {
    return reached[static_cast<std::size_t>(k + limit + 1)];
  };
  EditTrace trace;
  for (std::ptrdiff_t d = 0; d <= limit; ++d) {
    bool atEnd = false;
    for (std::ptrdiff_t k = -d; k <= d && !atEnd; k += 2) {
      std::ptrdiff_t x = ComesFromAbove(k, d, furthest) ? furthest(k + 1) : furthest(k - 1) + 1;
      std::ptrdiff_t y = x - k;
      while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) {
        ++x;
        ++y;
      }
      furthest(k) = x;
      atEnd = x >= n && y >= m;
    }
    trace.emplace_back(&furthest(-d), &furthest(d) + 1);
    if (atEnd) return HunksOfTrace(trace, n, m);
  }
  return std::nullopt;
}

// The places where a and b hold different rules, rules beyond the shorter list in one hunk.
std::vector<Hunk> ByRuleNumber(std::span<const RuleRecord> a, std::span<const RuleRecord> b) {
  std::vector<Hunk> hunks;
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    if (!hunks.empty() && hunks.back().AEnd == i) {
      ++hunks.back().AEnd;
      ++hunks.back().BEnd;
    } else {
      hunks.push_back({i, i + 1, i, i + 1});
    }
  }
  if (a.size() != b.size()) hunks.push_back({common, a.size(), common, b.size()});
  return hunks;
}

// The hunks between a and b: the common ends set aside, the rest matched rule by rule, or by rule
// number when matching needs too many edits.
std::vector<Hunk> RuleHunks(const Rules& a, const Rules& b) {
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    ++tail;
  }
  const std::span<const RuleRecord> middleA(a.data() + head, a.size() - head - tail);
  const std::span<const RuleRecord> middleB(b.data() + head, b.size() - head - tail);
  std::optional<std::vector<Hunk>> hunks = ShortestEdit(middleA, middleB, kMaxMatchedEdits);
  if (!hunks) hunks = ByRuleNumber(middleA, middleB);
  for (Hunk& hunk : *hunks) {
    hunk = {hunk.A + head, hunk.AEnd + head, hunk.B + head, hunk.BEnd + head};
  }
  return *hunks;
}

using RuleKey = std::array<std::int32_t, kRuleRecordFieldCount>;

RuleKey KeyOf(const RuleRecord& rule) {
  RuleKey key;
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = rule.*kRuleRecordFields[i];
  return key;
}

class RuleListComparison {
 public:
  RuleListComparison(const Side& a, const Side& b)
      : FA(a),
        FB(b),
        FMeaningA(MeaningsOf(a.Compared)),
        FMeaningB(MeaningsOf(b.Compared)),
        FHunks(RuleHunks(FMeaningA, FMeaningB)) {
    MatchMoves();
  }

  std::vector<RuleDifference> Differences() const {
    std::vector<RuleDifference> differences;
    for (const Hunk& hunk : FHunks) AddHunk(differences, hunk);
    return differences;
  }

 private:
  static Rules MeaningsOf(const Rules& rules) {
    Rules meanings(rules.size());
    std::transform(rules.begin(), rules.end(), meanings.begin(), MeaningOf);
    return meanings;
  }

  // A rule that leaves a at one place and comes into b at another has moved.
  void MatchMoves() {
    std::multimap<RuleKey, std::size_t> arrivals;
    for (const Hunk& hunk : FHunks) {
      for (std::size_t j = hunk.B; j < hunk.BEnd; ++j) arrivals.emplace(KeyOf(FMeaningB[j]), j);
    }
    for (const Hunk& hunk : FHunks) {
      for (std::size_t i = hunk.A; i < hunk.AEnd; ++i) {
        const auto arrival = arrivals.find(KeyOf(FMeaningA[i]));
        if (arrival == arrivals.end()) continue;
        FMovedTo.emplace(i, arrival->second);
        FMovedFrom.emplace(arrival->second, i);
        arrivals.erase(arrival);
      }
    }
  }

  // Rules of a that leave: moved, or changed into the next rule that comes into b at the same
  // place, or only in a. Rules of b left over are only in b.
  void AddHunk(std::vector<RuleDifference>& differences, const Hunk& hunk) const {
    std::size_t j = hunk.B;
    const auto nextArrival = [&] {
      while (j < hunk.BEnd && FMovedFrom.contains(j)) ++j;
      return j;
    };
    for (std::size_t i = hunk.A; i < hunk.AEnd; ++i) {
      if (const auto moved = FMovedTo.find(i); moved != FMovedTo.end()) {
        differences.push_back(Difference(RuleChange::Moved, i, moved->second));
      } else if (nextArrival() < hunk.BEnd) {
        differences.push_back(Difference(RuleChange::Changed, i, j++));
      } else {
        differences.push_back(Difference(RuleChange::OnlyInA, i, std::nullopt));
      }
    }
    while (nextArrival() < hunk.BEnd) {
      differences.push_back(Difference(RuleChange::OnlyInB, std::nullopt, j++));
    }
  }

  RuleDifference Difference(RuleChange change, std::optional<std::size_t> i,
                            std::optional<std::size_t> j) const {
    RuleDifference difference;
    difference.Change = change;
    if (i) {
      difference.NumberA = FA.Numbers[*i];
      difference.TextA = RenderRule(FA.Shown[*i], FA.Context);
    }
    if (j) {
      difference.NumberB = FB.Numbers[*j];
      difference.TextB = RenderRule(FB.Shown[*j], FB.Context);
    }
    if (change == RuleChange::Changed)
      difference.Fields = DifferingFields(FMeaningA[*i], FMeaningB[*j]);
    return difference;
  }

  const Side& FA;
  const Side& FB;
  Rules FMeaningA;
  Rules FMeaningB;
  std::vector<Hunk> FHunks;
  std::map<std::size_t, std::size_t> FMovedTo;    // a's place to b's
  std::map<std::size_t, std::size_t> FMovedFrom;  // b's place to a's
};

}  // namespace

ConfigurationDifferences CompareConfigurations(const Configuration& a, const Configuration& b,
                                               ImageSide imageSide) {
  const Side sideA = imageSide == ImageSide::B ? ThroughImage(a) : SideOf(a);
  const Side sideB = imageSide == ImageSide::A ? ThroughImage(b) : SideOf(b);
  return {.Settings = DifferingValues(SettingValues(sideA.Settings), SettingValues(sideB.Settings)),
          .Rules = RuleListComparison(sideA, sideB).Differences()};
}

}  // namespace trv
