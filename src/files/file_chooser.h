#pragma once

#include <optional>
#include <string>

namespace trv {

// What a file dialog starts with. The filter is in the "description|pattern" form the rule file
// commands build; texts and paths are UTF-8.
struct FileDialogSetup {
  std::string FileName;
  std::string Filter;
  std::string InitialDirectory;
  std::string DefaultExtension;

  bool operator==(const FileDialogSetup&) const = default;
};

// The open and save dialogs as the core's commands see them, so that tests can answer them.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogSetup& setup) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogSetup& setup) = 0;
};

}  // namespace trv
