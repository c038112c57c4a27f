// trvcfg diff and export: two configurations compared, and the rule table for spreadsheets.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "app/trvcfg_commands.h"
#include "editor/configuration_compare.h"
#include "files/file_extension.h"
#include "files/replacing_write.h"
#include "files/rule_table_export.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "transfer/image_file.h"

namespace trv::cli {

namespace {

// diff: 1 is the answer "different", so a failure cannot end with it.
constexpr int kDiffEqual = 0;
constexpr int kDiffDifferent = 1;
constexpr int kDiffTrouble = 2;

bool IsRuleFile(const std::filesystem::path& path) {
  return LowerCaseExtension(path) == ".trv";
}

ImageSide ImageSideOf(const std::filesystem::path& a, const std::filesystem::path& b) {
  if (IsImageFile(a) == IsImageFile(b)) return ImageSide::None;
  return IsImageFile(a) ? ImageSide::A : ImageSide::B;
}

// The cells the grid shows, on one line: padding and "n/a" left out.
std::string OneLine(const RuleText& cells) {
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

std::string FieldsText(const std::vector<FieldDifference>& fields) {
  std::string text;
  for (const FieldDifference& field : fields) {
    text += (text.empty() ? " (" : ", ") + field.Field + " " + field.ValueA + " | " + field.ValueB;
  }
  return text.empty() ? text : text + ")";
}

std::string RuleNumbers(const RuleDifference& rule) {
  const std::string a = std::to_string(rule.NumberA);
  return rule.NumberA == rule.NumberB ? a : a + " | " + std::to_string(rule.NumberB);
}

std::string RuleLine(const RuleDifference& rule) {
  switch (rule.Change) {
    case RuleChange::OnlyInA:
      return "rule " + std::to_string(rule.NumberA) + " only in A: " + OneLine(rule.TextA);
    case RuleChange::OnlyInB:
      return "rule " + std::to_string(rule.NumberB) + " only in B: " + OneLine(rule.TextB);
    case RuleChange::Moved:
      return "rule " + RuleNumbers(rule) + " moved: " + OneLine(rule.TextA);
    case RuleChange::Changed:
      break;
  }
  // Rules that read the same differ in what the rule text leaves out.
  const std::string fields = rule.TextA == rule.TextB ? FieldsText(rule.Fields) : "";
  return "rule " + RuleNumbers(rule) + ": " + OneLine(rule.TextA) + " | " + OneLine(rule.TextB) +
         fields;
}

std::string Counted(std::size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// "2 settings, 3 rules (1 changed, 2 only in B)"; the kinds of rule difference that occur.
std::string Summary(const ConfigurationDifferences& differences) {
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
  addKind(RuleChange::OnlyInA, "only in A");
  addKind(RuleChange::OnlyInB, "only in B");
  addKind(RuleChange::Moved, "moved");
  return "differences: " + Counted(differences.Settings.size(), "setting") + ", " +
         Counted(differences.Rules.size(), "rule") + (kinds.empty() ? "" : kinds + ")");
}

int Diff(const std::filesystem::path& a, const std::filesystem::path& b) {
  const ConfigurationDifferences differences =
      CompareConfigurations(LoadRuleOrImage(a), LoadRuleOrImage(b), ImageSideOf(a, b));
  std::string out;
  for (const FieldDifference& setting : differences.Settings) {
    out += setting.Field + ": " + setting.ValueA + " | " + setting.ValueB + '\n';
  }
  for (const RuleDifference& rule : differences.Rules) out += RuleLine(rule) + '\n';
  std::cout << out << Summary(differences) << '\n' << std::flush;
  return differences.Empty() ? kDiffEqual : kDiffDifferent;
}

void WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) throw std::runtime_error(path.string() + ": " + std::generic_category().message(errno));
}

}  // namespace

int DiffCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {});
  const std::vector<std::string>& files = arguments.Positional();
  if (files.size() != 2) throw UsageError("give two files to compare");
  for (const std::filesystem::path file : files) {
    if (!IsRuleFile(file) && !IsImageFile(file)) {
      throw UsageError("compare .trv, .bin and .hex files");
    }
  }
  try {
    return Diff(files[0], files[1]);
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return kDiffTrouble;
  }
}

int ExportCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {"-o"});
  const std::filesystem::path output = arguments.RequiredValue("-o");
  if (LowerCaseExtension(output) != ".csv") throw UsageError("the rule table goes to a .csv file");
  const Configuration configuration = LoadRuleDataFile(arguments.OnlyPositional());
  const std::string table =
      ExportRuleTable(configuration, RuleTextContextOf(configuration.ControllerSettings));
  WriteReplacing(output, [&](const std::filesystem::path& file) { WriteTextFile(file, table); });
  return 0;
}

}  // namespace trv::cli
