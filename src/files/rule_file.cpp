#include "files/rule_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "files/workbook_file.h"
#include "model/configuration.h"
#include "model/controller_settings.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {

namespace {

RuleFileMessage Message(int textId, const std::filesystem::path& path, bool isError) {
  return {.TextId = textId,
          .CaptionId = string_id::kError,
          .Text = FormatText(ActiveText(textId), path.string()),
          .IsError = isError};
}

// Files of this major version open when they are not of a newer minor version.
bool IsReadableVersion(const std::array<std::int32_t, 3>& fileVersion,
                       const ProgramVersion& program) {
  return fileVersion[0] == static_cast<std::int64_t>(program.Numbers[0]) &&
         fileVersion[1] <= static_cast<std::int64_t>(program.Numbers[1]);
}

}  // namespace

std::string FileBaseNameOfUnit(std::string_view unitName) {
  constexpr std::string_view kReserved = "/\\:*?\"<>|";
  std::string name(unitName);
  for (char& character : name) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7F || kReserved.find(character) != std::string_view::npos) {
      character = '_';
    }
  }
  return name;
}

RuleFileLoad LoadRuleFile(const std::filesystem::path& path, Configuration& configuration) {
  Workbook book = ReadWorkbookFile(path);
  if (!IsReadableVersion(ReadSettingsSheetVersion(book), configuration.Version)) {
    return {.Loaded = false, .Message = Message(string_id::kOlderVersionFile, path, true)};
  }
  RuleFileLoad load{.Loaded = true, .Message = std::nullopt};
  // A count beyond the stored rows would make empty rows, which read as zeros, Board rules that
  // drive real outputs.
  const std::int32_t ruleCount = std::min(ReadRuleCount(book), book.LastRow(kRuleDataSheet));
  if (ruleCount == 0) load.Message = Message(string_id::kNoRuleInformation, path, false);

  configuration.ControllerSettings = ReadSettingsSheet(book, configuration.ControllerSettings);
  const std::string baseName = FileBaseNameOfUnit(configuration.ControllerSettings.UnitName);
  configuration.RuleFileName = baseName + "." + std::string(kRuleFileExtension);
  configuration.HexFileName = baseName + "." + std::string(kHexFileExtension);
  configuration.RuleCount = ruleCount;
  configuration.MimicBook = std::move(book);
  configuration.MimicBook.SetSelectedSheet(kRuleTextSheet);
  return load;
}

}  // namespace trv
