// trvcfg diff and export: two configurations compared, and the rule table for spreadsheets.

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "editor/comparison_rows.h"
#include "editor/configuration_compare.h"
#include "files/file_extension.h"
#include "files/replacing_write.h"
#include "files/rule_table_export.h"
#include "model/configuration.h"
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
      return "rule " + std::to_string(rule.NumberA) + " only in A: " + RuleTextLine(rule.TextA);
    case RuleChange::OnlyInB:
      return "rule " + std::to_string(rule.NumberB) + " only in B: " + RuleTextLine(rule.TextB);
    case RuleChange::Moved:
      return "rule " + RuleNumbers(rule) + " moved: " + RuleTextLine(rule.TextA);
    case RuleChange::Changed:
      break;
  }
  // Rules that read the same differ in what the rule text leaves out.
  const std::string fields = rule.TextA == rule.TextB ? FieldsText(rule.Fields) : "";
  return "rule " + RuleNumbers(rule) + ": " + RuleTextLine(rule.TextA) + " | " +
         RuleTextLine(rule.TextB) + fields;
}

int Diff(const std::filesystem::path& a, const std::filesystem::path& b) {
  const ConfigurationDifferences differences =
      CompareConfigurations(LoadRuleOrImage(a), LoadRuleOrImage(b), ImageSideOf(a, b));
  std::string out;
  for (const FieldDifference& setting : differences.Settings) {
    out += setting.Field + ": " + setting.ValueA + " | " + setting.ValueB + '\n';
  }
  for (const RuleDifference& rule : differences.Rules) out += RuleLine(rule) + '\n';
  std::cout << out << ComparisonSummary(differences, {"A", "B"}) << '\n' << std::flush;
  return differences.Empty() ? kDiffEqual : kDiffDifferent;
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
  WriteFileReplacing(output, table);
  return 0;
}

}  // namespace trv::cli
