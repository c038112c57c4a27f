#include "files/workbook_file.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <system_error>
#include <vector>

namespace trv {

namespace {

constexpr std::string_view kFormat = "trv-workbook";
constexpr std::int64_t kVersion = 1;
constexpr std::string_view kCellsKey = "cells";
constexpr std::string_view kWidthsKey = "columnWidths";
constexpr std::string_view kHeadingsKey = "columnHeadings";

WorkbookFileError ReadError(std::string_view source, const std::string& fault) {
  return WorkbookFileError("Cannot read rule data file \"" + std::string(source) + "\": " + fault);
}

WorkbookFileError WriteError(const std::filesystem::path& path, const std::string& fault) {
  return WorkbookFileError("Cannot write rule data file \"" + path.string() + "\": " + fault);
}

std::string SystemText(int error) {
  return std::error_code(error, std::system_category()).message();
}

std::string CellName(int sheet, int row, int column) {
  return "cell " + std::to_string(row) + "," + std::to_string(column) + " of sheet " +
         std::to_string(sheet);
}

// ---- Writing

void AppendNumber(std::string& out, double value) {
  // "-0" would read back as an integer and lose its sign.
  if (value == 0.0 && std::signbit(value)) {
    out += "-0.0";
    return;
  }
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  out.append(text.data(), result.ptr);
}

// place() names the text in the error when it is not UTF-8.
template <typename Place>
void AppendText(std::string& out, const std::string& text, Place place) {
  try {
    out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
  } catch (const nlohmann::json::type_error&) {
    throw WorkbookFileError(place() + " is not UTF-8");
  }
}

void AppendValue(std::string& out, const CellValue& value, int sheet, int row, int column) {
  if (const auto* number = std::get_if<double>(&value)) {
    if (!std::isfinite(*number)) {
      throw WorkbookFileError(CellName(sheet, row, column) + " holds a number that is not finite");
    }
    AppendNumber(out, *number);
    return;
  }
  AppendText(out, std::get<std::string>(value),
             [&] { return "the text of " + CellName(sheet, row, column); });
}

// One workbook row a line.
void AppendCells(std::string& out, const Workbook& book, int sheet) {
  out += "{\"cells\": [";
  int lastRow = 0;
  book.ForEachCell(sheet, [&](int row, int column, const CellValue& value) {
    out += lastRow == 0 ? "\n   " : (row != lastRow ? ",\n   " : ", ");
    lastRow = row;
    out += '[' + std::to_string(row) + ", " + std::to_string(column) + ", ";
    AppendValue(out, value, sheet, row, column);
    out += ']';
  });
  out += ']';
}

template <typename Value, typename AppendEntry>
void AppendColumnList(std::string& out, std::string_view key, const std::map<int, Value>& entries,
                      AppendEntry appendEntry) {
  if (entries.empty()) return;
  out += ",\n   \"" + std::string(key) + "\": [";
  bool first = true;
  for (const auto& [column, entry] : entries) {
    out += first ? "[" : ", [";
    first = false;
    out += std::to_string(column) + ", ";
    appendEntry(out, entry);
    out += ']';
  }
  out += ']';
}

void AppendSheet(std::string& out, const Workbook& book, int sheet) {
  AppendCells(out, book, sheet);
  AppendColumnList(out, kWidthsKey, book.ColumnWidths(sheet),
                   [](std::string& text, int width) { text += std::to_string(width); });
  AppendColumnList(out, kHeadingsKey, book.ColumnHeadings(sheet),
                   [sheet](std::string& text, const std::string& heading) {
                     AppendText(text, heading, [sheet] {
                       return "a column heading of sheet " + std::to_string(sheet);
                     });
                   });
  out += '}';
}

// ---- Reading

using Scalar = std::variant<std::nullptr_t, bool, std::int64_t, std::uint64_t, double, std::string>;

struct PendingCell {
  int Sheet = 0;
  int Row = 0;
  int Column = 0;
  CellValue Value;
};

std::optional<std::int64_t> WholeNumber(const Scalar& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  if (const auto* number = std::get_if<std::uint64_t>(&value)) {
    constexpr auto kLargest = std::numeric_limits<std::int64_t>::max();
    return *number > static_cast<std::uint64_t>(kLargest) ? kLargest
                                                          : static_cast<std::int64_t>(*number);
  }
  return std::nullopt;
}

std::optional<CellValue> CellValueOf(Scalar& value) {
  if (auto* text = std::get_if<std::string>(&value)) return CellValue(std::move(*text));
  if (const auto* number = std::get_if<double>(&value)) {
    if (!std::isfinite(*number)) return std::nullopt;
    return CellValue(*number);
  }
  if (const auto* number = std::get_if<std::int64_t>(&value)) {
    return CellValue(static_cast<double>(*number));
  }
  if (const auto* number = std::get_if<std::uint64_t>(&value)) {
    return CellValue(static_cast<double>(*number));
  }
  return std::nullopt;
}

// Follows the parser's events with a stack of the places it is in, so the document is checked
// and gathered in one pass without a parsed tree.
class DocumentReader {
 public:
  // The parser's event interface.
  bool null() { return OnScalar(nullptr); }
  bool boolean(bool value) { return OnScalar(value); }
  bool number_integer(std::int64_t value) { return OnScalar(value); }
  bool number_unsigned(std::uint64_t value) { return OnScalar(value); }
  bool number_float(double value, const std::string&) { return OnScalar(value); }
  bool string(std::string& value) { return OnScalar(std::move(value)); }
  bool binary(nlohmann::json::binary_t&) { return Fail("holds binary data"); }
  bool start_object(std::size_t) { return OnOpen(false); }
  bool end_object() { return OnClose(); }
  bool start_array(std::size_t) { return OnOpen(true); }
  bool end_array() { return OnClose(); }
  bool key(std::string& name);
  bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception& error);

  const std::string& Fault() const { return FFault; }
  bool Complete() const { return FComplete; }
  // The workbook once the document is complete; none when a cell appears twice.
  std::optional<Workbook> TakeWorkbook();

 private:
  enum class Place {
    Document,
    Root,
    Sheets,
    Sheet,
    Cells,
    Cell,
    Widths,
    Width,
    Headings,
    Heading,
    Unknown
  };
  struct Frame {
    Place Where;
    int Items = 0;
  };

  bool Fail(const std::string& fault);
  bool OnScalar(Scalar value);
  bool OnOpen(bool array);
  bool OnClose();
  bool RootValue(const Scalar& value);
  bool OpenInRoot(bool array);
  bool OpenInSheet(bool array);
  bool CellItem(Scalar& value, int item);
  bool ColumnEntryItem(Scalar& value, int item, bool heading);
  bool CloseCell(int items);
  bool CloseColumnEntry(int items);
  bool CloseRoot();
  bool Push(Place where);
  bool Seen(std::vector<std::string>& keys, const std::string& what);
  std::string CellPlace() const;
  std::optional<int> Index(const Scalar& value, int last, const char* what);

  std::vector<Frame> FFrames{{Place::Document}};
  std::string FKey;
  std::vector<std::string> FRootKeys;   // known keys seen in the root
  std::vector<std::string> FSheetKeys;  // known keys seen in the open sheet
  bool FFormatSeen = false;
  bool FVersionSeen = false;
  bool FSheetsSeen = false;
  int FSheets = 0;
  int FCellsOfSheet = 0;
  PendingCell FCell;
  int FEntryColumn = 0;
  std::vector<PendingCell> FCells;
  Workbook FBook;
  std::string FFault;
  bool FComplete = false;
};

bool DocumentReader::Fail(const std::string& fault) {
  if (FFault.empty()) FFault = fault;
  return false;
}

bool DocumentReader::parse_error(std::size_t, const std::string&,
                                 const nlohmann::json::exception& error) {
  // "[json.exception.parse_error.101] parse error at line 1, column 4: ..." without its tag.
  const std::string_view text = error.what();
  const auto tagEnd = text.find("] ");
  return Fail("not valid JSON: " +
              std::string(tagEnd == std::string_view::npos ? text : text.substr(tagEnd + 2)));
}

bool DocumentReader::Push(Place where) {
  if (FFrames.size() > kMaxWorkbookFileDepth) {  // the first frame stands for no container
    return Fail("nested deeper than " + std::to_string(kMaxWorkbookFileDepth) + " levels");
  }
  FFrames.push_back({where});
  return true;
}

bool DocumentReader::Seen(std::vector<std::string>& keys, const std::string& what) {
  if (std::find(keys.begin(), keys.end(), what) != keys.end()) {
    return Fail("\"" + what + "\" appears twice");
  }
  keys.push_back(what);
  return true;
}

std::string DocumentReader::CellPlace() const {
  return "cell " + std::to_string(FCellsOfSheet) + " of sheet " + std::to_string(FSheets);
}

bool DocumentReader::key(std::string& name) {
  FKey = std::move(name);
  const Place where = FFrames.back().Where;
  if (where == Place::Root && (FKey == "format" || FKey == "version" || FKey == "sheets")) {
    return Seen(FRootKeys, FKey);
  }
  if (where == Place::Sheet && (FKey == kCellsKey || FKey == kWidthsKey || FKey == kHeadingsKey)) {
    return Seen(FSheetKeys, FKey);
  }
  return true;
}

bool DocumentReader::OnScalar(Scalar value) {
  Frame& frame = FFrames.back();
  switch (frame.Where) {
    case Place::Document:
      return Fail("not a trv-workbook document");
    case Place::Root:
      return RootValue(value);
    case Place::Sheets:
      return Fail("sheet " + std::to_string(FSheets + 1) + " is not an object");
    case Place::Sheet:
      return FKey != kCellsKey && FKey != kWidthsKey && FKey != kHeadingsKey
                 ? true
                 : Fail("\"" + FKey + "\" of sheet " + std::to_string(FSheets) + " is not a list");
    case Place::Cells:
      ++FCellsOfSheet;
      return Fail(CellPlace() + " is not [row, column, value]");
    case Place::Cell:
      return CellItem(value, frame.Items++);
    case Place::Widths:
    case Place::Headings:
      return Fail("an entry of \"" + FKey + "\" of sheet " + std::to_string(FSheets) +
                  " is not a list");
    case Place::Width:
      return ColumnEntryItem(value, frame.Items++, false);
    case Place::Heading:
      return ColumnEntryItem(value, frame.Items++, true);
    case Place::Unknown:
      return true;
  }
  return true;
}

bool DocumentReader::RootValue(const Scalar& value) {
  if (FKey == "format") {
    const auto* text = std::get_if<std::string>(&value);
    FFormatSeen = true;
    return text != nullptr && *text == kFormat ? true : Fail("\"format\" is not \"trv-workbook\"");
  }
  if (FKey == "version") {
    FVersionSeen = true;
    return WholeNumber(value) == kVersion ? true : Fail("\"version\" is not 1");
  }
  if (FKey == "sheets") return Fail("\"sheets\" is not a list");
  return true;
}

bool DocumentReader::OnOpen(bool array) {
  Frame& frame = FFrames.back();
  switch (frame.Where) {
    case Place::Document:
      return !array ? Push(Place::Root) : Fail("not a trv-workbook document");
    case Place::Root:
      return OpenInRoot(array);
    case Place::Sheets:
      if (array) return Fail("sheet " + std::to_string(FSheets + 1) + " is not an object");
      if (++FSheets > kWorkbookSheets) return Fail("has more than three sheets");
      FCellsOfSheet = 0;
      FSheetKeys.clear();
      return Push(Place::Sheet);
    case Place::Sheet:
      return OpenInSheet(array);
    case Place::Cells:
      ++FCellsOfSheet;
      return array ? Push(Place::Cell) : Fail(CellPlace() + " is not [row, column, value]");
    case Place::Cell:
      return Fail(CellPlace() + " is not [row, column, value]");
    case Place::Widths:
    case Place::Headings:
      if (!array) return Fail("an entry of \"" + FKey + "\" is not a list");
      return Push(frame.Where == Place::Widths ? Place::Width : Place::Heading);
    case Place::Width:
    case Place::Heading:
      return Fail("an entry of \"" + FKey + "\" is not [column, value]");
    case Place::Unknown:
      return Push(Place::Unknown);
  }
  return true;
}

bool DocumentReader::OpenInRoot(bool array) {
  if (FKey == "sheets") {
    FSheetsSeen = true;
    return array ? Push(Place::Sheets) : Fail("\"sheets\" is not a list");
  }
  if (FKey == "format" || FKey == "version") return RootValue(nullptr);
  return Push(Place::Unknown);
}

bool DocumentReader::OpenInSheet(bool array) {
  const bool known = FKey == kCellsKey || FKey == kWidthsKey || FKey == kHeadingsKey;
  if (!known) return Push(Place::Unknown);
  if (!array)
    return Fail("\"" + FKey + "\" of sheet " + std::to_string(FSheets) + " is not a list");
  if (FKey == kCellsKey) return Push(Place::Cells);
  return Push(FKey == kWidthsKey ? Place::Widths : Place::Headings);
}

std::optional<int> DocumentReader::Index(const Scalar& value, int last, const char* what) {
  const auto number = WholeNumber(value);
  if (!number || *number < 1 || *number > last) {
    Fail(CellPlace() + ": the " + what + " is not a whole number in 1.." + std::to_string(last));
    return std::nullopt;
  }
  return static_cast<int>(*number);
}

bool DocumentReader::CellItem(Scalar& value, int item) {
  if (item == 0) {
    const auto row = Index(value, kMaxRows, "row");
    FCell.Row = row.value_or(0);
    return row.has_value();
  }
  if (item == 1) {
    const auto column = Index(value, kMaxColumns, "column");
    FCell.Column = column.value_or(0);
    return column.has_value();
  }
  if (item > 2) return Fail(CellPlace() + " is not [row, column, value]");
  auto cell = CellValueOf(value);
  if (!cell) return Fail(CellPlace() + ": the value is neither a finite number nor a text");
  FCell.Value = std::move(*cell);
  return true;
}

bool DocumentReader::ColumnEntryItem(Scalar& value, int item, bool heading) {
  const std::string where = "an entry of \"" + FKey + "\" of sheet " + std::to_string(FSheets);
  if (item == 0) {
    const auto column = WholeNumber(value);
    if (!column || *column < 1 || *column > kMaxColumns) {
      return Fail(where + " has no column in 1.." + std::to_string(kMaxColumns));
    }
    FEntryColumn = static_cast<int>(*column);
    return true;
  }
  if (item > 1) return Fail(where + " is not [column, value]");
  FBook.SetSelectedSheet(FSheets);
  if (heading) {
    auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) return Fail(where + " has no text");
    FBook.SetColumnHeading(FEntryColumn, std::move(*text));
    return true;
  }
  const auto width = WholeNumber(value);
  if (!width || *width < 0 || *width > kMaxColumnWidth) {
    return Fail(where + " has no width in 0.." + std::to_string(kMaxColumnWidth));
  }
  FBook.SetColumnWidth(FEntryColumn, static_cast<int>(*width));
  return true;
}

bool DocumentReader::CloseCell(int items) {
  if (items != 3) return Fail(CellPlace() + " is not [row, column, value]");
  FCell.Sheet = FSheets;
  FCells.push_back(std::move(FCell));
  FCell = {};
  return true;
}

bool DocumentReader::CloseColumnEntry(int items) {
  return items == 2 ? true : Fail("an entry of \"" + FKey + "\" is not [column, value]");
}

bool DocumentReader::CloseRoot() {
  if (!FFormatSeen) return Fail("has no \"format\"");
  if (!FVersionSeen) return Fail("has no \"version\"");
  if (!FSheetsSeen) return Fail("has no \"sheets\"");
  FComplete = true;
  return true;
}

bool DocumentReader::OnClose() {
  const Frame frame = FFrames.back();
  FFrames.pop_back();
  switch (frame.Where) {
    case Place::Root:
      return CloseRoot();
    case Place::Sheets:
      return FSheets == kWorkbookSheets
                 ? true
                 : Fail("has " + std::to_string(FSheets) + " sheets, not three");
    case Place::Sheet: {
      const bool hasCells =
          std::find(FSheetKeys.begin(), FSheetKeys.end(), kCellsKey) != FSheetKeys.end();
      return hasCells ? true : Fail("sheet " + std::to_string(FSheets) + " has no \"cells\"");
    }
    case Place::Cell:
      return CloseCell(frame.Items);
    case Place::Width:
    case Place::Heading:
      return CloseColumnEntry(frame.Items);
    default:
      return true;
  }
}

std::optional<Workbook> DocumentReader::TakeWorkbook() {
  const auto position = [](const PendingCell& cell) {
    return std::tuple(cell.Sheet, cell.Row, cell.Column);
  };
  std::sort(FCells.begin(), FCells.end(), [&](const PendingCell& left, const PendingCell& right) {
    return position(left) < position(right);
  });
  const auto twice = std::adjacent_find(FCells.begin(), FCells.end(),
                                        [&](const PendingCell& left, const PendingCell& right) {
                                          return position(left) == position(right);
                                        });
  if (twice != FCells.end()) {
    Fail(CellName(twice->Sheet, twice->Row, twice->Column) + " appears twice");
    return std::nullopt;
  }
  for (PendingCell& cell : FCells) {
    FBook.SetCell(cell.Sheet, cell.Row, cell.Column, std::move(cell.Value));
  }
  FBook.SetSelectedSheet(1);
  return std::move(FBook);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string ReadBoundedFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) throw ReadError(path.string(), error.message());
  if (!std::filesystem::is_regular_file(status)) throw ReadError(path.string(), "not a file");
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw ReadError(path.string(), SystemText(errno));
  std::string text;
  std::array<char, 65536> chunk{};
  while (text.size() <= kMaxWorkbookFileSize) {
    const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file.get());
    text.append(chunk.data(), count);
    if (count < chunk.size()) break;
  }
  if (std::ferror(file.get())) throw ReadError(path.string(), SystemText(errno));
  return text;
}

}  // namespace

std::string WorkbookToJson(const Workbook& book) {
  std::string out = "{\"format\": \"trv-workbook\", \"version\": 1,\n \"sheets\": [\n  ";
  for (int sheet = 1; sheet <= kWorkbookSheets; ++sheet) {
    if (sheet > 1) out += ",\n  ";
    AppendSheet(out, book, sheet);
  }
  out += "\n ]}\n";
  return out;
}

Workbook WorkbookFromJson(std::string_view text, std::string_view sourceName) {
  if (text.size() > kMaxWorkbookFileSize) throw ReadError(sourceName, "larger than 16 MiB");
  DocumentReader reader;
  bool parsed = false;
  try {
    parsed = nlohmann::json::sax_parse(text, &reader);
  } catch (const nlohmann::json::exception& error) {
    throw ReadError(sourceName, std::string("not valid JSON: ") + error.what());
  }
  std::optional<Workbook> book;
  if (parsed && reader.Complete()) book = reader.TakeWorkbook();
  if (!book) {
    throw ReadError(sourceName,
                    reader.Fault().empty() ? "not a trv-workbook document" : reader.Fault());
  }
  return std::move(*book);
}

void WriteWorkbookFile(const Workbook& book, const std::filesystem::path& path) {
  std::string document;
  try {
    document = WorkbookToJson(book);
  } catch (const WorkbookFileError& error) {
    throw WriteError(path, error.what());
  }
  if (document.size() > kMaxWorkbookFileSize) {
    throw WriteError(path, "the workbook needs more than 16 MiB and could not be read back");
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) throw WriteError(path, SystemText(errno));
  const bool written =
      std::fwrite(document.data(), 1, document.size(), file.get()) == document.size();
  const int writeError = errno;
  // On the disk before anyone copies or renames it over a rule file; a file that cannot be
  // synchronised (EINVAL) is written as far as it can be.
  const bool synced = written && std::fflush(file.get()) == 0 &&
                      (::fsync(::fileno(file.get())) == 0 || errno == EINVAL);
  const int syncError = errno;
  const int closed = std::fclose(file.release());
  if (!written) throw WriteError(path, SystemText(writeError));
  if (!synced) throw WriteError(path, SystemText(syncError));
  if (closed != 0) throw WriteError(path, SystemText(errno));
}

Workbook ReadWorkbookFile(const std::filesystem::path& path) {
  return WorkbookFromJson(ReadBoundedFile(path), path.string());
}

}  // namespace trv
