#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "model/controller_settings.h"
#include "model/program_version.h"
#include "model/rule_record.h"
#include "model/workbook.h"

namespace trv {

inline constexpr std::string_view kRuleFileExtension = "trv";
inline constexpr std::string_view kHexFileExtension = "hex";

// <programDirectory>/Data when the program may write there (a portable install, the build tree),
// otherwise <userDataDirectory>/Data. A program in a "bin" directory shares it with every other
// installed program and keeps its data per user, even when run by one who may write there. Created
// when missing; a directory that cannot be created is still returned, and saving there reports the
// fault.
std::filesystem::path ChooseDataDirectory(const std::filesystem::path& programDirectory,
                                          const std::filesystem::path& userDataDirectory);

// "Mimic" + N for the first N from 1 for which neither a .trv nor a .hex file of that name
// exists in dataDirectory.
std::string FindDefaultBaseName(const std::filesystem::path& dataDirectory);

// The configuration of one controller: settings, the rule list in the rule data sheet of the
// workbook, the working rule and the state that goes with them.
class Configuration {
 public:
  Configuration(std::filesystem::path programDirectory, std::filesystem::path dataDirectory);

  // The data side of start-up, File New and File Open: every default, no rules, nothing
  // selected, not modified, settings unlocked, a fresh DefaultBaseName and file names. The
  // workbook is left to the grid's set-up.
  void ResetToDefaults();

  // WorkingRule from row n of the rule data sheet; only its kind, -1, for n outside 1..count.
  void LoadWorkingRule(std::int32_t n);
  // WorkingRule into row n of the rule data sheet; std::out_of_range for a row outside 1..65536.
  void StoreWorkingRule(std::int32_t n) { StoreRule(n, WorkingRule); }

  // Row n of the rule data sheet, every field read by truncation; kind -1 for a row outside
  // 1..65536.
  RuleRecord StoredRule(std::int32_t n) const;
  void StoreRule(std::int32_t n, const RuleRecord& rule);

  // RequiredSystem as rules 1..count need it (after a delete).
  void RecomputeRequiredSystem();

  // The settings and the rule count into the settings sheet, as a save writes them.
  void WriteSettingsToSheet();

  trv::ControllerSettings ControllerSettings;
  Workbook MimicBook;
  std::int32_t RuleCount = 0;
  RuleRecord WorkingRule;
  std::int32_t TargetRule = 0;  // the row the next Set Rule writes
  int SelectedRow = 0;          // grid heading last clicked, 0 for none
  int SelectedColumn = 0;
  bool ClipboardHoldsRule = false;
  bool Modified = false;
  int RequiredSystem = 0;
  bool SettingsLocked = false;
  bool LinkWarningPending = false;
  std::filesystem::path ProgramDirectory;
  std::filesystem::path DataDirectory;
  std::string DefaultBaseName;
  // DefaultBaseName with the extensions after a reset; the file commands change them.
  std::string RuleFileName;
  std::string HexFileName;
  ProgramVersion Version = ThisProgramVersion();
  int DataPanelWidth = 0;  // last non-zero width of the data panel
};

}  // namespace trv
