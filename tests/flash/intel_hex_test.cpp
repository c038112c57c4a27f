#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "flash/binary_image.h"

namespace trv {
namespace {

using TCells = std::map<std::uint32_t, int>;

// A fresh directory per test for the files it reads and writes.
class IntelHexFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FDirectory = std::filesystem::temp_directory_path() /
                 ("trv_hex_" + std::to_string(::getpid()) + "_" + info->name());
    std::filesystem::remove_all(FDirectory);
    std::filesystem::create_directories(FDirectory);
  }
  void TearDown() override { std::filesystem::remove_all(FDirectory); }

  std::string PathOf(const std::string& name) const { return (FDirectory / name).string(); }

  std::string WriteFile(const std::string& text) const {
    const std::string path = PathOf("in.hex");
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The message of the THexFileError that loading text raises, after the file name.
  std::string LoadError(TBinaryImage& image, const std::string& text) const {
    const std::string path = WriteFile(text);
    try {
      image.LoadFromHexFile(path);
    } catch (const THexFileError& error) {
      const std::string message = error.what();
      return message.starts_with(path) ? message.substr(path.size()) : message;
    }
    return "no error";
  }

  std::string SavedText(const TBinaryImage& image) const {
    const std::string path = PathOf("out.hex");
    image.SaveToHexFile(path);
    return ReadFile(path);
  }

  std::filesystem::path FDirectory;
};

// Every cell of the image that holds a byte.
TCells FilledCells(const TBinaryImage& image) {
  TCells cells;
  for (std::uint32_t a = image.StartAddress(); a - image.StartAddress() < image.Size(); ++a) {
    if (image.Cell(a) != TBinaryImage::EmptyCell) cells[a] = image.Cell(a);
  }
  return cells;
}

int Parse(const std::string& line, TBinaryImage::TRecordBuffer& data, int& count) {
  std::uint32_t address = 0;
  return TBinaryImage::ParseIntelHexLine(line, data, address, count);
}

TEST(ParseIntelHexLineTest, ResultsOfWellAndBadlyFormedLines) {
  const std::vector<std::pair<std::string, int>> cases{
      {":00000001FF", 1},
      {" \t\x01:00000001ff \r\x7f", 1},  // blanks and control characters around it
      {":0400000300003800C1", 3},        // other types pass the checks
      {":0100000011EF", -2},             // wrong checksum
      {":01000000X1EF", -1},             // a malformed pair wins over the wrong checksum
      {":050000000102F8", -1},           // count 5 with two data bytes, checksum right
      {"", -1},
      {"   ", -1},
      {":00000001F", -1},    // shorter than 11
      {":00000001FF0", -1},  // even length
      {";00000001FF", -1},
      {":0000 001FF", -1},
  };
  for (const auto& [line, result] : cases) {
    TBinaryImage::TRecordBuffer data{};
    int count = 0;
    EXPECT_EQ(Parse(line, data, count), result) << line;
  }
}

TEST(ParseIntelHexLineTest, DataComesFirstInTheBuffer) {
  TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int count = 0;
  ASSERT_EQ(TBinaryImage::ParseIntelHexLine(":10010000214601360121470136007efe09d2190140", data,
                                            address, count),
            0);
  EXPECT_EQ(address, 0x0100u);
  ASSERT_EQ(count, 16);
  EXPECT_EQ(data[0], 0x21);
  EXPECT_EQ(data[10], 0x7E);
  EXPECT_EQ(data[15], 0x01);
  // Count 1 with two data bytes: the extra byte only counts for the checksum.
  EXPECT_EQ(Parse(":01001000AABB8A", data, count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(data[0], 0xAA);
}

TEST(ParseIntelHexLineTest, AFullRecordFitsAndALongerLineIsRefused) {
  std::string bytes;
  for (int k = 0; k < 255; ++k) bytes += "01";
  // 0xFF + 255 x 0x01 = 0x1FE: checksum 0x02.
  const std::string line = ":FF000000" + bytes + "02";
  ASSERT_EQ(line.size(), 521u);
  TBinaryImage::TRecordBuffer data{};
  int count = 0;
  EXPECT_EQ(Parse(line, data, count), 0);
  EXPECT_EQ(count, 255);
  EXPECT_EQ(data[254], 0x01);
  EXPECT_EQ(Parse(line.substr(0, 519) + "00" + line.substr(519), data, count), -1);
}

TEST_F(IntelHexFileTest, RecordsThatLoad) {
  struct TCase {
    std::string Text;
    std::uint32_t Start;
    TCells Cells;
  };
  // Skipped records whose CR LF straddles offset 65536 of the file.
  std::string straddling(17, ' ');
  for (int k = 0; k < 3200; ++k) straddling += ":0400000300003800C1\r\n";
  const std::vector<TCase> cases{
      {":00000001FF\r\n", 0, {}},
      {straddling + ":00000001FF\r\n", 0, {}},
      {"  :00000001ff  \r\n:zz\n" + std::string(1000, '\0'), 0, {}},
      {":0100000011ee\n:0100010022dc\n:00000001ff", 0, {{0, 0x11}, {1, 0x22}}},
      {":0100000011EE\r:0100010022DC\r:00000001FF\r", 0, {{0, 0x11}, {1, 0x22}}},
      {":0100000011EE\r\n:0100010022DC\r\n:00000001FF\r\n", 0, {{0, 0x11}, {1, 0x22}}},
      {":0400000300003800C1\n:0400000500000000F7\n:0100000011EE\n:00000001FF\n", 0, {{0, 0x11}}},
      {":020000021234B6\n:03001000010203E7\n:00000001FF\n",
       0x12340,
       {{0x12350, 1}, {0x12351, 2}, {0x12352, 3}}},
      {":02000004000CEE\n:02FFFF00AABB9B\n:00000001FF\n",
       0xCFFF0,
       {{0xCFFFF, 0xAA}, {0xD0000, 0xBB}}},
  };
  for (const TCase& test : cases) {
    TBinaryImage image(test.Start, 0x20);
    EXPECT_EQ(LoadError(image, test.Text), "no error") << test.Text;
    EXPECT_EQ(FilledCells(image), test.Cells) << test.Text;
  }
}

TEST_F(IntelHexFileTest, RecordsThatAreRefused) {
  const std::string good = ":0100000011EE\n";
  const std::vector<std::pair<std::string, std::string>> cases{
      {good + ":0100010022DD\n", " - Line 2 has an invalid checksum"},
      {good + "\n:00000001FF\n", " - Line 2 is not a valid record"},
      {good + "\r\n\r\n:00000001FF\n", " - Line 2 is not a valid record"},
      {good + "  \t \n:00000001FF\n", " - Line 2 is not a valid record"},
      {good + ":0000001FF\n", " - Line 2 is not a valid record"},
      {good + ":000000001FF\n", " - Line 2 is not a valid record"},
      {":00000004FC\n:00000001FF\n", " - Line 1 is not a valid record"},
      {":02001000AABB89\n:01001100CC22\n:00000001FF\n", " - Line 2 has overwritten existing data"},
      {":02001F00AABB7A\n:00000001FF\n", " - Line 1 has an invalid address range"},
      {":02000004FFFFFC\n:02FFFF00AABB9B\n:00000001FF\n", " - Line 2 has an invalid address range"},
      {good, " - Failed to locate end record marker"},
      {"", " - Failed to locate end record marker"},
  };
  for (const auto& [text, message] : cases) {
    TBinaryImage image(0, 0x20);
    EXPECT_EQ(LoadError(image, text), message) << text;
  }
}

TEST_F(IntelHexFileTest, BytesStoredBeforeTheErrorStay) {
  TBinaryImage image(0, 0x20);
  image.SetCell(0x12, 0x77);
  EXPECT_EQ(LoadError(image, ":03001000AABBCCBC\n:00000001FF\n"),
            " - Line 1 has overwritten existing data");
  EXPECT_EQ(FilledCells(image), (TCells{{0x10, 0xAA}, {0x11, 0xBB}, {0x12, 0x77}}));
  TBinaryImage small(0, 0x11);
  EXPECT_EQ(LoadError(small, ":02001000AABB89\n:00000001FF\n"),
            " - Line 1 has an invalid address range");
  EXPECT_EQ(FilledCells(small), (TCells{{0x10, 0xAA}}));
}

TEST_F(IntelHexFileTest, TheMessageUsesTheFileNameAsGiven) {
  std::ofstream(PathOf("cfg.hex")) << "x\n";
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(FDirectory);
  TBinaryImage image(0, 16);
  std::string message;
  try {
    image.LoadFromFile("cfg.hex", [](std::string_view, TBinaryImage::TRecordBuffer&, std::uint32_t&,
                                     int&) { return -2; });
  } catch (const THexFileError& error) {
    message = error.what();
  }
  std::filesystem::current_path(old);
  EXPECT_EQ(message, "cfg.hex - Line 1 has an invalid checksum");
}

TEST_F(IntelHexFileTest, ACustomParserIsHeldToTheBuffer) {
  TBinaryImage image(0, 16);
  const std::string path = WriteFile("x\n");
  const auto tooMany = [](std::string_view, TBinaryImage::TRecordBuffer&, std::uint32_t&,
                          int& count) {
    count = 300;
    return 0;
  };
  EXPECT_THROW(image.LoadFromFile(path, tooMany), THexFileError);
}

TEST(IntelHexFileLimitTest, AnEndlessFirstLineFailsAtOnce) {
  TBinaryImage image(0, 16);
  try {
    image.LoadFromHexFile("/dev/zero");
    ADD_FAILURE() << "no error";
  } catch (const THexFileError& error) {
    EXPECT_STREQ(error.what(), "/dev/zero - Line 1 is not a valid record");
  }
}

TEST_F(IntelHexFileTest, BlanksAroundARecordMayFillALongLine) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(LoadError(image, std::string(2000, ' ') + ":00000001FF" + std::string(2000, ' ')),
            "no error");
}

TEST_F(IntelHexFileTest, FilesThatCannotBeUsedRaiseTheSystemError) {
  TBinaryImage image(0, 16);
  try {
    image.LoadFromHexFile(PathOf("missing.hex"));
    ADD_FAILURE() << "no error";
  } catch (const std::filesystem::filesystem_error& error) {
    EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
  }
  EXPECT_THROW(image.LoadFromHexFile(FDirectory.string()), std::filesystem::filesystem_error);
  EXPECT_THROW(image.SaveToHexFile(PathOf("no/such/dir.hex")), std::filesystem::filesystem_error);
}

TEST_F(IntelHexFileTest, SavedText) {
  struct TCase {
    std::uint32_t Start;
    std::uint32_t Size;
    TCells Cells;
    std::string Text;
  };
  TCells run33;
  for (std::uint32_t a = 0; a < 33; ++a) run33[a] = static_cast<int>(a);
  const std::vector<TCase> cases{
      {0xC0100, 0xFF00, {}, ":00000001FF\r\n"},
      {0, 0x40, run33,
       ":20000000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FF0\r\n"
       ":0100200020BF\r\n:00000001FF\r\n"},
      {0x100,
       3,
       {{0x100, 0xAB}, {0x102, 0xCD}},
       ":01010000AB53\r\n:01010200CD2F\r\n:00000001FF\r\n"},
      {0xCFFFE,
       4,
       {{0xCFFFE, 0xAA}, {0xCFFFF, 0xBB}, {0xD0000, 0xCC}, {0xD0001, 0xDD}},
       ":02000004000CEE\r\n:02FFFE00AABB9C\r\n:02000004000DED\r\n:02000000CCDD55\r\n"
       ":00000001FF\r\n"},
      {0xC0100,
       0xFF00,
       {{0xC0100, 0x12}, {0xC0101, 0x34}},
       ":02000004000CEE\r\n:020100001234B7\r\n:00000001FF\r\n"},
  };
  for (const TCase& test : cases) {
    TBinaryImage image(test.Start, test.Size);
    for (const auto& [address, value] : test.Cells) image.SetCell(address, value);
    EXPECT_EQ(SavedText(image), test.Text);
  }
}

TEST_F(IntelHexFileTest, SavingReplacesTheFile) {
  std::ofstream(PathOf("out.hex")) << std::string(1000, 'x');
  EXPECT_EQ(SavedText(TBinaryImage(0, 1)), ":00000001FF\r\n");
}

TEST_F(IntelHexFileTest, RandomSparseImagesComeBackCellForCell) {
  for (unsigned seed = 1; seed <= 100; ++seed) {
    std::mt19937 random(seed);
    const std::uint32_t start = random() % 0x20000;
    const std::uint32_t size = 1 + random() % 0x12000;
    TBinaryImage image(start, size);
    // Runs of bytes and gaps of random lengths, some long enough to cross 64 KB.
    const unsigned longestRun = 1u << (random() % 12);
    for (std::uint32_t a = start; a - start < size;) {
      const std::uint32_t run = 1 + random() % longestRun;
      const bool filled = random() % 2 == 0;
      for (std::uint32_t k = 0; k < run && a - start < size; ++k, ++a) {
        if (filled) image.SetCell(a, static_cast<int>(random() % 256));
      }
    }
    const std::string path = PathOf("round.hex");
    image.SaveToHexFile(path);
    TBinaryImage copy(start, size);
    ASSERT_NO_THROW(copy.LoadFromHexFile(path)) << "seed " << seed;
    for (std::uint32_t a = start; a - start < size; ++a) {
      if (copy.Cell(a) != image.Cell(a)) FAIL() << "seed " << seed << " address " << a;
    }
  }
}

}  // namespace
}  // namespace trv
