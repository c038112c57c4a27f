#include "model/configuration.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <vector>

#include "model/required_system.h"

namespace trv {

namespace {

constexpr std::string_view kDefaultNamePrefix = "Mimic";

bool ExistsIn(const std::filesystem::path& directory, const std::string& baseName,
              std::string_view extension) {
  std::error_code error;
  return std::filesystem::exists(directory / (baseName + "." + std::string(extension)), error);
}

// Creates the directory when missing; true when it exists afterwards and may be written.
bool EnsureWritableDirectory(const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  return std::filesystem::is_directory(directory, error) && ::access(directory.c_str(), W_OK) == 0;
}

}  // namespace

std::filesystem::path ChooseDataDirectory(const std::filesystem::path& programDirectory,
                                          const std::filesystem::path& userDataDirectory) {
  const auto portable = programDirectory / "Data";
  if (programDirectory.filename() != "bin" && EnsureWritableDirectory(portable)) return portable;
  const auto perUser = userDataDirectory / "Data";
  EnsureWritableDirectory(perUser);
  return perUser;
}

std::string FindDefaultBaseName(const std::filesystem::path& dataDirectory) {
  for (unsigned long number = 1;; ++number) {
    std::string candidate = std::string(kDefaultNamePrefix) + std::to_string(number);
    if (!ExistsIn(dataDirectory, candidate, kRuleFileExtension) &&
        !ExistsIn(dataDirectory, candidate, kHexFileExtension)) {
      return candidate;
    }
  }
}

Configuration::Configuration(std::filesystem::path programDirectory,
                             std::filesystem::path dataDirectory)
    : ProgramDirectory(std::move(programDirectory)), DataDirectory(std::move(dataDirectory)) {
  ResetToDefaults();
}

void Configuration::ResetToDefaults() {
  DefaultBaseName = FindDefaultBaseName(DataDirectory);
  RuleFileName = DefaultBaseName + "." + std::string(kRuleFileExtension);
  HexFileName = DefaultBaseName + "." + std::string(kHexFileExtension);
  ControllerSettings = {};
  ControllerSettings.UnitName = DefaultBaseName;
  RuleCount = 0;
  WorkingRule = {};
  TargetRule = 0;
  SelectedRow = 0;
  SelectedColumn = 0;
  ClipboardHoldsRule = false;
  Modified = false;
  RequiredSystem = 0;
  SettingsLocked = false;
  LinkWarningPending = false;
}

void Configuration::LoadWorkingRule(std::int32_t n) {
  if (n < 1 || n > RuleCount) {
    WorkingRule.Kind = rkInvalid;
    return;
  }
  WorkingRule = StoredRule(n);
}

RuleRecord Configuration::StoredRule(std::int32_t n) const {
  RuleRecord rule;
  if (n < 1 || n > kMaxRows) return rule;
  for (std::size_t field = 0; field < kRuleRecordFields.size(); ++field) {
    rule.*kRuleRecordFields[field] =
        MimicBook.Integer(kRuleDataSheet, n, static_cast<int>(field) + 1);
  }
  return rule;
}

void Configuration::StoreRule(std::int32_t n, const RuleRecord& rule) {
  for (std::size_t field = 0; field < kRuleRecordFields.size(); ++field) {
    MimicBook.SetNumber(kRuleDataSheet, n, static_cast<int>(field) + 1,
                        rule.*kRuleRecordFields[field]);
  }
}

void Configuration::RecomputeRequiredSystem() {
  std::vector<RuleRecord> rules;
  rules.reserve(static_cast<std::size_t>(std::max(RuleCount, 0)));
  for (std::int32_t n = 1; n <= RuleCount; ++n) rules.push_back(StoredRule(n));
  RequiredSystem = RequiredSystemOfStoredRules(rules, ControllerSettings.ModelIndex,
                                               ControllerSettings.SystemIndex);
}

void Configuration::WriteSettingsToSheet() {
  WriteSettingsSheet(MimicBook, ControllerSettings, RuleCount, Version);
}

}  // namespace trv
