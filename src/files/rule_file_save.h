#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

#include "model/user_queries.h"
#include "model/workbook.h"

namespace trv {

// Texts of the save that are fixed in the program, not in the string table.
inline constexpr std::string_view kProblemSavingText =
    "Problem saving data, try saving again elsewhere";
inline constexpr std::string_view kProblemSavingCaption = "ERROR";

// The file operations of a save. Tests derive from it to make one step fail.
class RuleFileSystem {
 public:
  virtual ~RuleFileSystem() = default;
  virtual bool Exists(const std::filesystem::path& path);
  // No write permission for anyone: the file would not be deleted without asking.
  virtual bool IsReadOnly(const std::filesystem::path& path);
  virtual std::error_code ClearReadOnly(const std::filesystem::path& path);
  virtual std::error_code Remove(const std::filesystem::path& path);
  // Fails when a file is at `to`.
  virtual std::error_code RenameNoReplace(const std::filesystem::path& from,
                                          const std::filesystem::path& to);
  // Throws WorkbookFileError; the file is on the disk when it returns.
  virtual void WriteWorkbook(const Workbook& book, const std::filesystem::path& path);
  // Creates `to` with the bytes of `from`, on the disk when it returns; fails when a file is at
  // `to`, and leaves no cut-off copy behind.
  virtual std::error_code CopyToNewFile(const std::filesystem::path& from,
                                        const std::filesystem::path& to);
};

// The path with the third-last character of its file name replaced by "~" (Site.trv: Site.~rv);
// a file name shorter than that gets "~" appended, so the backup stays in the same directory.
std::filesystem::path BackupName(const std::filesystem::path& path);

// The names of the temporary files a save writes: "TMP" + counter + ".$$$", the counter
// counting on from 1 for as long as its owner lives.
class TemporaryFileNames {
 public:
  // The next name that names no file in the directory.
  std::filesystem::path Next(const std::filesystem::path& directory, RuleFileSystem& files);

 private:
  unsigned long FCounter = 0;
};

// Moves the file at path aside to its backup name, replacing an older backup; a backup that
// cannot be deleted is deleted only after the user's Yes. False when the file is still there.
bool BackupRuleFile(const std::filesystem::path& path, RuleFileSystem& files, UserQueries& queries);

// The backup of the file at path, then the workbook written to a temporary file in its
// directory and copied to path. Every failure is shown; true only when path holds the workbook
// and the temporary file is gone.
bool SaveWorkbookWithBackup(const Workbook& book, const std::filesystem::path& path,
                            RuleFileSystem& files, TemporaryFileNames& temporaryNames,
                            UserQueries& queries);

}  // namespace trv
