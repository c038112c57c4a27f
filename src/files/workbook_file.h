#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/workbook.h"

namespace trv {

// A rule data file that cannot be read or written; the message names the file and the fault.
class WorkbookFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kMaxWorkbookFileSize = 16 * 1024 * 1024;
// Containers nested in one another, the root included; the document itself needs five.
inline constexpr std::size_t kMaxWorkbookFileDepth = 32;

// The whole workbook: three sheets of [row, column, value] cells, empty cells left out, and per
// sheet the column headings and the widths other than the default. The selected sheet, the
// selection and the clipboard are not kept; a read workbook has sheet 1 selected.
std::string WorkbookToJson(const Workbook& book);
// Reads strictly into a new workbook; sourceName names the text in the error.
Workbook WorkbookFromJson(std::string_view text, std::string_view sourceName);

// Throws WorkbookFileError, also for a document that would be too large to read back. The file
// is synchronised to the disk before it returns.
void WriteWorkbookFile(const Workbook& book, const std::filesystem::path& path);
// Throws WorkbookFileError; nothing is returned unless the whole file was read.
Workbook ReadWorkbookFile(const std::filesystem::path& path);

}  // namespace trv
