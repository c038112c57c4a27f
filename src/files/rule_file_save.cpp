#include "files/rule_file_save.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>

#include "files/workbook_file.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() {
  return {errno, std::system_category()};
}

constexpr fs::perms kWritePermissions =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// The bytes of one open file into another, synchronised to the disk; a file that cannot be
// synchronised (EINVAL) is written as far as it can be.
std::error_code CopyBytes(int in, int out) {
  std::array<char, 65536> buffer{};
  for (;;) {
    const ssize_t count = ::read(in, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return LastError();
    if (count == 0) break;
    for (ssize_t done = 0; done < count;) {
      const ssize_t written =
          ::write(out, buffer.data() + done, static_cast<std::size_t>(count - done));
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) return LastError();
      done += written;
    }
  }
  if (::fsync(out) != 0 && errno != EINVAL) return LastError();
  return {};
}

fs::path DirectoryOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

void ShowSystemError(const std::error_code& error, UserQueries& queries) {
  queries.Message(error.message(), ActiveText(string_id::kError), MessageButtons::Ok,
                  MessageIcon::Warning);
}

}  // namespace

bool RuleFileSystem::Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

bool RuleFileSystem::IsReadOnly(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  return !error && (status.permissions() & kWritePermissions) == fs::perms::none;
}

std::error_code RuleFileSystem::ClearReadOnly(const fs::path& path) {
  std::error_code error;
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
  return error;
}

std::error_code RuleFileSystem::Remove(const fs::path& path) {
  std::error_code error;
  fs::remove(path, error);
  return error;
}

std::error_code RuleFileSystem::RenameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL) return LastError();
  // A file system that cannot refuse the replacement itself.
  if (Exists(to)) return std::make_error_code(std::errc::file_exists);
  std::error_code error;
  fs::rename(from, to, error);
  return error;
}

void RuleFileSystem::WriteWorkbook(const Workbook& book, const fs::path& path) {
  WriteWorkbookFile(book, path);
}

std::error_code RuleFileSystem::CopyToNewFile(const fs::path& from, const fs::path& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return LastError();
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out < 0) {
    const std::error_code error = LastError();
    ::close(in);
    return error;
  }
  std::error_code error = CopyBytes(in, out);
  if (::close(out) != 0 && !error) error = LastError();
  ::close(in);
  // Only our own copy is removed: O_EXCL made sure no file was there before.
  if (error) ::unlink(to.c_str());
  return error;
}

fs::path BackupName(const fs::path& path) {
  std::string name = path.filename().string();
  if (name.size() >= 3) {
    name[name.size() - 3] = '~';
  } else {
    name += '~';
  }
  return path.parent_path() / name;
}

fs::path TemporaryFileNames::Next(const fs::path& directory, RuleFileSystem& files) {
  for (;;) {
    std::string name = "TMP";
    name += std::to_string(++FCounter);
    name += ".$$$";
    fs::path candidate = directory / name;
    if (!files.Exists(candidate)) return candidate;
  }
}

bool BackupRuleFile(const fs::path& path, RuleFileSystem& files, UserQueries& queries) {
  if (!files.Exists(path)) return true;
  const fs::path backup = BackupName(path);
  const bool deleted =
      !files.Exists(backup) || (!files.IsReadOnly(backup) && !files.Remove(backup));
  if (!deleted && queries.Message(ActiveText(string_id::kDeleteBackup) + backup.string(),
                                  ActiveText(string_id::kWarning), MessageButtons::YesNo,
                                  MessageIcon::Warning) == MessageAnswer::Yes) {
    files.ClearReadOnly(backup);
    files.Remove(backup);
  }
  if (!files.RenameNoReplace(path, backup)) return true;
  queries.Message(ActiveText(string_id::kBackupFailed) + path.string(),
                  ActiveText(string_id::kWarning), MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

// A file left where the backup could not move the old one aside makes the copy fail, which
// reports it. The temporary file is removed whatever happens, unless its delete is what failed.
bool SaveWorkbookWithBackup(const Workbook& book, const fs::path& path, RuleFileSystem& files,
                            TemporaryFileNames& temporaryNames, UserQueries& queries) {
  BackupRuleFile(path, files, queries);
  const fs::path temporary = temporaryNames.Next(DirectoryOf(path), files);
  try {
    files.WriteWorkbook(book, temporary);
  } catch (const std::exception&) {
    files.Remove(temporary);
    queries.Message(std::string(kProblemSavingText), std::string(kProblemSavingCaption),
                    MessageButtons::Ok, MessageIcon::None);
    return false;
  }
  const std::error_code copyError = files.CopyToNewFile(temporary, path);
  const std::error_code removeError = files.Remove(temporary);
  const std::error_code error = copyError ? copyError : removeError;
  if (error) ShowSystemError(error, queries);
  return !error;
}

}  // namespace trv
