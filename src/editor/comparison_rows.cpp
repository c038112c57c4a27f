#include "editor/comparison_rows.h"

#include <algorithm>
#include <cctype>

#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

std::string Counted(std::size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// "rule 4: Zonal / ...", with the rule's fields that differ on this side when the texts do not
// tell the two sides apart; empty on a side without the rule.
std::string RuleSide(std::int32_t number, const RuleText& text,
                     const std::vector<FieldDifference>& fields,
                     std::string FieldDifference::*value) {
  if (number == 0) return {};
  std::string side = "rule " + std::to_string(number) + ": " + RuleTextLine(text);
  std::string shown;
  for (const FieldDifference& field : fields) {
    shown += (shown.empty() ? " (" : ", ") + field.Field + " " + field.*value;
  }
  return shown.empty() ? side : side + shown + ")";
}

ComparisonMark MarkOf(RuleChange change) {
  switch (change) {
    case RuleChange::OnlyInA:
      return ComparisonMark::OnlyInA;
    case RuleChange::OnlyInB:
      return ComparisonMark::OnlyInB;
    case RuleChange::Moved:
      return ComparisonMark::Moved;
    case RuleChange::Changed:
      break;
  }
  return ComparisonMark::Changed;
}

ComparisonRow RowOf(const RuleDifference& rule) {
  static const std::vector<FieldDifference> kNoFields;
  const std::vector<FieldDifference>& fields = rule.TextA == rule.TextB ? rule.Fields : kNoFields;
  return {MarkOf(rule.Change), RuleSide(rule.NumberA, rule.TextA, fields, &FieldDifference::ValueA),
          RuleSide(rule.NumberB, rule.TextB, fields, &FieldDifference::ValueB)};
}

}  // namespace

std::string RuleTextLine(const RuleText& cells) {
  std::string line;
  for (const std::string& cell : cells) {
    std::string text;
    for (const char c : cell) {
      const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
      if (space && (text.empty() || text.back() == ' ')) continue;
      text += space ? ' ' : c;
    }
    if (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.empty() || text == ActiveText(string_id::kNotApplicable)) continue;
    if (!line.empty()) line += " / ";
    line += text;
  }
  return line;
}

std::vector<ComparisonRow> ComparisonRows(const ConfigurationDifferences& differences) {
  std::vector<ComparisonRow> rows;
  if (!differences.Settings.empty()) rows.push_back({ComparisonMark::Heading, "Settings", ""});
  for (const FieldDifference& setting : differences.Settings) {
    rows.push_back({ComparisonMark::Setting, setting.Field + ": " + setting.ValueA,
                    setting.Field + ": " + setting.ValueB});
  }
  if (!differences.Rules.empty()) rows.push_back({ComparisonMark::Heading, "Rules", ""});
  for (const RuleDifference& rule : differences.Rules) rows.push_back(RowOf(rule));
  return rows;
}

std::string ComparisonSummary(const ConfigurationDifferences& differences,
                              const ComparisonSides& sides) {
  if (differences.Empty()) return "no differences";
  std::string kinds;
  const auto addKind = [&](RuleChange change, const std::string& text) {
    const auto count =
        std::count_if(differences.Rules.begin(), differences.Rules.end(),
                      [&](const RuleDifference& rule) { return rule.Change == change; });
    if (count == 0) return;
    kinds += (kinds.empty() ? " (" : ", ") + std::to_string(count) + " " + text;
  };
  addKind(RuleChange::Changed, "changed");
  addKind(RuleChange::OnlyInA, "only in " + sides.A);
  addKind(RuleChange::OnlyInB, "only in " + sides.B);
  addKind(RuleChange::Moved, "moved");
  return "differences: " + Counted(differences.Settings.size(), "setting") + ", " +
         Counted(differences.Rules.size(), "rule") + (kinds.empty() ? "" : kinds + ")");
}

}  // namespace trv
