#include "files/workbook_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <tuple>
#include <vector>

namespace trv {
namespace {

using ::testing::HasSubstr;

class WorkbookFile : public ::testing::Test {
 protected:
  void SetUp() override {
    FDirectory =
        std::filesystem::temp_directory_path() /
        ("trv_workbook_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(FDirectory);
  }
  void TearDown() override { std::filesystem::remove_all(FDirectory); }

  std::filesystem::path FileWith(const std::string& name, const std::string& content) const {
    const auto path = FDirectory / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::filesystem::path FDirectory;
};

// Every cell of every sheet, doubles compared by their bits so -0.0 and 0.0 differ.
using CellList = std::vector<std::tuple<int, int, int, std::string>>;
CellList AllCells(const Workbook& book) {
  CellList cells;
  for (int sheet = 1; sheet <= kWorkbookSheets; ++sheet) {
    book.ForEachCell(sheet, [&](int row, int column, const CellValue& value) {
      std::string image;
      if (const auto* number = std::get_if<double>(&value)) {
        image.resize(sizeof(double));
        std::memcpy(image.data(), number, sizeof(double));
        image = "n" + image;
      } else {
        image = "t" + std::get<std::string>(value);
      }
      cells.emplace_back(sheet, row, column, image);
    });
  }
  return cells;
}

Workbook VariedWorkbook() {
  Workbook book;
  const std::vector<double> numbers{0.0,
                                    -0.0,
                                    1.0,
                                    -1.0,
                                    -2147483648.0,
                                    4294967295.0,
                                    0.1,
                                    1.0 / 3.0,
                                    1e300,
                                    -1e-300,
                                    5e-324,
                                    9007199254740993.0,
                                    std::numeric_limits<double>::max(),
                                    123456789012345678.0};
  for (std::size_t index = 0; index < numbers.size(); ++index) {
    book.SetNumber(2, 7, static_cast<int>(index) + 1, numbers[index]);
  }
  book.SetText(1, 6, 1, "Mimic1");
  book.SetText(1, 7, 1, "");
  book.SetText(3, 1, 1, "Zählerstand \u6E29\u5EA6 \U0001F525 \"quoted\" back\\slash\ttab\nline");
  book.SetText(3, 2, 1, std::string("nul\0inside", 10));
  book.SetNumber(3, kMaxRows, kMaxColumns, 42.0);
  book.SetSelectedSheet(3);
  book.SetColumnWidths(1, 9, 3150);
  book.SetColumnHeading(1, "Rule");
  book.SetColumnHeading(4, "Zone \u00B0");
  return book;
}

TEST_F(WorkbookFile, WritesTheDocumentByteForByte) {
  Workbook book;
  book.SetNumber(1, 1, 1, 1.0);
  book.SetNumber(1, 1, 2, 0.0);
  book.SetText(1, 6, 1, "Mimic1");
  book.SetNumber(2, 1, 1, 3.0);
  book.SetNumber(2, 1, 2, -0.5);
  book.SetSelectedSheet(3);
  book.SetText(1, 1, "Zonal");
  book.SetColumnWidth(2, 3150);
  book.SetColumnHeading(1, "Rule");
  EXPECT_EQ(WorkbookToJson(book),
            "{\"format\": \"trv-workbook\", \"version\": 1,\n"
            " \"sheets\": [\n"
            "  {\"cells\": [\n"
            "   [1, 1, 1], [1, 2, 0],\n"
            "   [6, 1, \"Mimic1\"]]},\n"
            "  {\"cells\": [\n"
            "   [1, 1, 3], [1, 2, -0.5]]},\n"
            "  {\"cells\": [\n"
            "   [1, 1, \"Zonal\"]],\n"
            "   \"columnWidths\": [[2, 3150]],\n"
            "   \"columnHeadings\": [[1, \"Rule\"]]}\n"
            " ]}\n");
  EXPECT_EQ(WorkbookToJson(Workbook()),
            "{\"format\": \"trv-workbook\", \"version\": 1,\n"
            " \"sheets\": [\n"
            "  {\"cells\": []},\n"
            "  {\"cells\": []},\n"
            "  {\"cells\": []}\n"
            " ]}\n");
}

TEST_F(WorkbookFile, RoundTripKeepsEveryCellExactly) {
  const Workbook book = VariedWorkbook();
  const auto path = FDirectory / "Site.trv";
  WriteWorkbookFile(book, path);
  const Workbook read = ReadWorkbookFile(path);
  EXPECT_EQ(AllCells(read), AllCells(book));
  EXPECT_EQ(read.ColumnWidths(3), book.ColumnWidths(3));
  EXPECT_EQ(read.ColumnHeadings(3), book.ColumnHeadings(3));
  EXPECT_EQ(read.SelectedSheet(), 1);
  EXPECT_TRUE(std::signbit(read.Number(2, 7, 2)));
  EXPECT_EQ(read.Text(3, 2, 1).size(), 10u);
}

TEST_F(WorkbookFile, ReadsTheDocumentOfTheReadmeAndIgnoresUnknownKeys) {
  const Workbook book = WorkbookFromJson(
      R"({"format": "trv-workbook", "version": 1, "window": {"x": [1, {"y": null}]},
          "sheets": [ {"cells": [[1, 1, 1], [1, 2, 0], [6, 1, "Mimic1"]], "zoom": 2},
                      {"cells": [[1, 1, 3], [1, 2, 0]]},
                      {"cells": [[1, 1, "Zonal"]]} ]})",
      "readme");
  EXPECT_EQ(book.Number(1, 1, 1), 1.0);
  EXPECT_EQ(book.Text(1, 6, 1), "Mimic1");
  EXPECT_EQ(book.Number(2, 1, 1), 3.0);
  EXPECT_EQ(book.Text(3, 1, 1), "Zonal");
  EXPECT_EQ(AllCells(book).size(), 6u);
}

struct Hostile {
  const char* Name;
  std::string Text;
  const char* Fault;
};

const std::string kEmptySheet = R"({"cells": []})";

std::string Sheets(const std::string& sheets) {
  return R"({"format": "trv-workbook", "version": 1, "sheets": [)" + sheets + "]}";
}

// A document whose first sheet is given and whose other two are empty.
std::string FirstSheet(const std::string& sheet) {
  return Sheets(sheet + "," + kEmptySheet + "," + kEmptySheet);
}

TEST_F(WorkbookFile, HostileDocumentsGiveOneClearErrorNamingTheSource) {
  const std::string empty = kEmptySheet;
  const std::vector<Hostile> cases{
      {"junk", "not json at all", "not valid JSON: parse error at line 1, column 2"},
      {"trailing", Sheets(empty + "," + empty + "," + empty) + " x", "not valid JSON"},
      {"array root", "[1, 2]", "not a trv-workbook document"},
      {"format", R"({"format": "xls", "version": 1, "sheets": []})", "\"format\" is not"},
      {"no format", R"({"version": 1, "sheets": [{"cells": []}, {"cells": []}, {"cells": []}]})",
       "has no \"format\""},
      {"version", R"({"format": "trv-workbook", "version": 2, "sheets": []})",
       "\"version\" is not 1"},
      {"version text", R"({"format": "trv-workbook", "version": "1", "sheets": []})",
       "\"version\" is not 1"},
      {"two sheets", Sheets(empty + "," + empty), "has 2 sheets, not three"},
      {"four sheets", Sheets(empty + "," + empty + "," + empty + "," + empty),
       "more than three sheets"},
      {"sheets object", R"({"format": "trv-workbook", "version": 1, "sheets": {}})",
       "\"sheets\" is not a list"},
      {"no cells", Sheets(empty + ",{}," + empty), "sheet 2 has no \"cells\""},
      {"row zero", Sheets(empty + "," + R"({"cells": [[0, 1, 1]]})" + "," + empty),
       "cell 1 of sheet 2: the row is not a whole number in 1..65536"},
      {"huge row", FirstSheet(R"({"cells": [[1, 1, 1], [65537, 1, 1]]})"),
       "cell 2 of sheet 1: the row"},
      {"enormous row", FirstSheet(R"({"cells": [[18446744073709551615, 1, 1]]})"), "the row"},
      {"negative column", FirstSheet(R"({"cells": [[1, -1, 1]]})"), "the column"},
      {"fractional row", FirstSheet(R"({"cells": [[1.5, 1, 1]]})"), "the row"},
      {"text row", FirstSheet(R"({"cells": [["1", 1, 1]]})"), "the row"},
      {"bool value", FirstSheet(R"({"cells": [[1, 1, true]]})"),
       "neither a finite number nor a text"},
      {"null value", FirstSheet(R"({"cells": [[1, 1, null]]})"),
       "neither a finite number nor a text"},
      {"object value", FirstSheet(R"({"cells": [[1, 1, {}]]})"), "is not [row, column, value]"},
      {"infinite value", FirstSheet(R"({"cells": [[1, 1, 1e999]]})"), "number overflow"},
      {"short cell", FirstSheet(R"({"cells": [[1, 1]]})"), "is not [row, column, value]"},
      {"long cell", FirstSheet(R"({"cells": [[1, 1, 1, 1]]})"), "is not [row, column, value]"},
      {"twice", Sheets(empty + "," + empty + "," + R"({"cells": [[2, 3, 1], [2, 3, "x"]]})"),
       "cell 2,3 of sheet 3 appears twice"},
      {"duplicate key", R"({"format": "trv-workbook", "format": "trv-workbook"})", "appears twice"},
      {"bad width", FirstSheet(R"({"cells": [], "columnWidths": [[1, -5]]})"), "no width"},
      {"bad heading", FirstSheet(R"({"cells": [], "columnHeadings": [[1, 5]]})"), "no text"},
      {"bad utf8", FirstSheet(R"({"cells": [[1, 1, ")" + std::string("\xC3\x28") + R"("]]})"),
       "not valid JSON"},
      {"deep",
       R"({"format": "trv-workbook", "x": )" + std::string(100000, '[') + std::string(100000, ']') +
           "}",
       "nested deeper than 32 levels"},
  };
  for (const Hostile& hostile : cases) {
    SCOPED_TRACE(hostile.Name);
    try {
      (void)WorkbookFromJson(hostile.Text, "Site.trv");
      ADD_FAILURE() << "read without error";
    } catch (const WorkbookFileError& error) {
      EXPECT_THAT(error.what(), HasSubstr("Cannot read rule data file \"Site.trv\": "));
      EXPECT_THAT(error.what(), HasSubstr(hostile.Fault));
    }
  }
}

TEST_F(WorkbookFile, UnknownKeysMayNestUpToTheDepthBound) {
  const auto nested = [](std::size_t depth) {
    // The root object is one level: depth - 1 arrays under an unknown key.
    return Sheets(kEmptySheet + "," + kEmptySheet + "," + kEmptySheet)
        .insert(1,
                R"("extra": )" + std::string(depth - 1, '[') + std::string(depth - 1, ']') + ", ");
  };
  EXPECT_NO_THROW((void)WorkbookFromJson(nested(kMaxWorkbookFileDepth), "deep"));
  EXPECT_THROW((void)WorkbookFromJson(nested(kMaxWorkbookFileDepth + 1), "deep"),
               WorkbookFileError);
}

TEST_F(WorkbookFile, EveryTruncationOfAGoodFileIsRefused) {
  const std::string whole = WorkbookToJson(VariedWorkbook());
  for (std::size_t length = 0; length < whole.size(); ++length) {
    // The last bytes are a newline after the closing brace: that prefix is still whole.
    if (whole.substr(0, length).find_last_not_of('\n') == whole.size() - 2) continue;
    EXPECT_THROW((void)WorkbookFromJson(std::string_view(whole).substr(0, length), "cut"),
                 WorkbookFileError)
        << length;
  }
}

TEST_F(WorkbookFile, AFailedReadLeavesTheOpenWorkbookAsItWas) {
  Workbook open = VariedWorkbook();
  const CellList before = AllCells(open);
  const auto broken =
      FileWith("Broken.trv", Sheets(R"({"cells": [[1, 1, 5]]}, {"cells": [[70000, 1, 1]]})"));
  EXPECT_THROW(open = ReadWorkbookFile(broken), WorkbookFileError);
  EXPECT_EQ(AllCells(open), before);
}

TEST_F(WorkbookFile, FileFaultsNameTheFile) {
  const auto junk = FileWith("Junk.trv", std::string(20 * 1024 * 1024, 'x'));
  const auto missing = FDirectory / "Missing.trv";
  const std::vector<std::pair<std::filesystem::path, std::string>> cases{
      {junk, "larger than 16 MiB"},
      {missing, "No such file or directory"},
      {FDirectory, "not a file"},
  };
  for (const auto& [path, fault] : cases) {
    SCOPED_TRACE(path);
    try {
      (void)ReadWorkbookFile(path);
      ADD_FAILURE() << "read without error";
    } catch (const WorkbookFileError& error) {
      EXPECT_THAT(error.what(), HasSubstr("\"" + path.string() + "\""));
      EXPECT_THAT(error.what(), HasSubstr(fault));
    }
  }
}

TEST_F(WorkbookFile, WriteFaultsAreErrorsNamingTheFile) {
  Workbook book;
  const auto nowhere = FDirectory / "no such folder" / "Site.trv";
  EXPECT_THAT([&] { WriteWorkbookFile(book, nowhere); },
              ::testing::ThrowsMessage<WorkbookFileError>(
                  HasSubstr("\"" + nowhere.string() + "\": No such file or directory")));
  // A full disk shows only when the buffered bytes go out.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_THAT([&] { WriteWorkbookFile(book, "/dev/full"); },
                ::testing::ThrowsMessage<WorkbookFileError>(HasSubstr("No space left on device")));
  }
  book.SetNumber(2, 3, 4, std::nan(""));
  EXPECT_THAT([&] { WriteWorkbookFile(book, FDirectory / "Nan.trv"); },
              ::testing::ThrowsMessage<WorkbookFileError>(
                  HasSubstr("cell 3,4 of sheet 2 holds a number that is not finite")));
  book.SetNumber(2, 3, 4, 1.0);
  book.SetText(1, 6, 1, "\xE9t\xE9");
  EXPECT_THAT([&] { WriteWorkbookFile(book, FDirectory / "Latin.trv"); },
              ::testing::ThrowsMessage<WorkbookFileError>(
                  HasSubstr("the text of cell 6,1 of sheet 1 is not UTF-8")));
  EXPECT_FALSE(std::filesystem::exists(FDirectory / "Latin.trv"));
}

}  // namespace
}  // namespace trv
