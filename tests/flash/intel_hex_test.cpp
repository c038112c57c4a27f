#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "flash/binary_image.h"

namespace trv {
namespace {

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

  std::string WriteFile(const std::string& text, const std::string& name = "in.hex") const {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The message of the THexFileError that loading text into image raises.
  std::string LoadError(TBinaryImage& image, const std::string& text) const {
    const std::string path = WriteFile(text);
    try {
      image.LoadFromHexFile(path);
    } catch (const THexFileError& error) {
      return error.what();
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

int Parse(std::string_view line, TBinaryImage::TRecordBuffer& data, std::uint32_t& address,
          int& count) {
  return TBinaryImage::ParseIntelHexLine(line, data, address, count);
}

TEST(ParseIntelHexLineTest, DataRecordInEitherCase) {
  for (const std::string line : {":10010000214601360121470136007EFE09D2190140",
                                 ":10010000214601360121470136007efe09d2190140"}) {
    TBinaryImage::TRecordBuffer data{};
    std::uint32_t address = 0;
    int count = 0;
    ASSERT_EQ(Parse(line, data, address, count), 0) << line;
    EXPECT_EQ(address, 0x0100u);
    ASSERT_EQ(count, 16);
    EXPECT_EQ(data[0], 0x21);
    EXPECT_EQ(data[10], 0x7E);
    EXPECT_EQ(data[15], 0x01);
  }
}

TEST(ParseIntelHexLineTest, BlanksAndControlCharactersAroundTheRecordAreIgnored) {
  TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int count = -5;
  EXPECT_EQ(Parse(" \t\x01:00000001FF \r\x7f", data, address, count), 1);
  EXPECT_EQ(count, 0);
}

TEST(ParseIntelHexLineTest, MalformedLinesAreNotValidRecords) {
  TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int count = 0;
  for (const std::string line : {"", "   ", ":00000001F", ":00000001FF0", "00000001FFF",
                                 ";00000001FF", ":0000 001FF", ":00000001FG"}) {
    EXPECT_EQ(Parse(line, data, address, count), TBinaryImage::InvalidRecord) << line;
  }
}

TEST(ParseIntelHexLineTest, AMalformedPairWinsOverAWrongChecksum) {
  TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int count = 0;
  EXPECT_EQ(Parse(":0100000011EF", data, address, count), TBinaryImage::InvalidChecksum);
  EXPECT_EQ(Parse(":01000000X1EF", data, address, count), TBinaryImage::InvalidRecord);
  EXPECT_EQ(Parse(":0100000011E", data, address, count), TBinaryImage::InvalidRecord);
}

TEST(ParseIntelHexLineTest, CountMustFitTheLine) {
  TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int count = 0;
  // Count 05 with two data bytes, checksum right.
  EXPECT_EQ(Parse(":050000000102F8", data, address, count), TBinaryImage::InvalidRecord);
  // Count 01 with two data bytes: the extra byte counts only for the checksum.
  EXPECT_EQ(Parse(":01001000AABB8A", data, address, count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(data[0], 0xAA);
}

std::string RecordLine(std::uint8_t type, const std::vector<std::uint8_t>& data) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()), 0, 0, type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  std::uint8_t sum = 0;
  for (const std::uint8_t b : bytes) sum += b;
  bytes.push_back(static_cast<std::uint8_t>(-sum));
  std::string line = ":";
  for (const std::uint8_t b : bytes) {
    line += Digits[b >> 4];
    line += Digits[b & 15];
  }
  return line;
}

TEST(ParseIntelHexLineTest, AFullRecordFitsAndALongerLineIsRefused) {
  TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int count = 0;
  std::vector<std::uint8_t> bytes(255, 0x5A);
  const std::string full = RecordLine(0, bytes);
  ASSERT_EQ(full.size(), 521u);
  EXPECT_EQ(Parse(full, data, address, count), 0);
  EXPECT_EQ(count, 255);
  EXPECT_EQ(data[254], 0x5A);
  // One more pair (count still 255, checksum still 0).
  EXPECT_EQ(Parse(full.substr(0, 519) + "00" + full.substr(519), data, address, count),
            TBinaryImage::InvalidRecord);
}

TEST_F(IntelHexFileTest, EndRecordAloneLoadsNothing) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(LoadError(image, ":00000001FF\r\n"), "no error");
  for (std::uint32_t a = 0; a < 16; ++a) EXPECT_EQ(image.Cell(a), TBinaryImage::EmptyCell);
}

TEST_F(IntelHexFileTest, LineErrorsNameTheFileAndLine) {
  TBinaryImage image(0, 0x20);
  const std::string path = PathOf("in.hex");
  const std::string good = ":0100000011EE\n";
  EXPECT_EQ(LoadError(image, ":0100000011EE\n:0100010022DD\n"),
            path + " - Line 2 has an invalid checksum");
  image.ClearRange(0, 0x20);
  EXPECT_EQ(LoadError(image, good + "\n:00000001FF\n"), path + " - Line 2 is not a valid record");
  image.ClearRange(0, 0x20);
  EXPECT_EQ(LoadError(image, good + "  \t \n:00000001FF\n"),
            path + " - Line 2 is not a valid record");
  image.ClearRange(0, 0x20);
  EXPECT_EQ(LoadError(image, good + ":0000001FF\n"), path + " - Line 2 is not a valid record");
  image.ClearRange(0, 0x20);
  EXPECT_EQ(LoadError(image, good + ":000000001FF\n"), path + " - Line 2 is not a valid record");
  image.ClearRange(0, 0x20);
  EXPECT_EQ(LoadError(image, good), path + " - Failed to locate end record marker");
  EXPECT_EQ(LoadError(image, ""), path + " - Failed to locate end record marker");
}

TEST_F(IntelHexFileTest, TheMessageUsesTheFileNameAsGiven) {
  WriteFile(":00000001FF\n:0100000011EE\n:00000001FF\n", "cfg.hex");
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

TEST_F(IntelHexFileTest, LinesAfterTheEndRecordAreNeverRead) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(LoadError(image, "  :00000001ff  \r\n:zz\n" + std::string(100000, '\0')), "no error");
}

TEST_F(IntelHexFileTest, AnyLineEndingAndLowerCase) {
  for (const std::string ending : {"\n", "\r", "\r\n"}) {
    TBinaryImage image(0, 16);
    EXPECT_EQ(LoadError(image, ":0100000011ee" + ending + ":0100010022dc" + ending + ":00000001ff"),
              "no error");
    EXPECT_EQ(image.Cell(0), 0x11);
    EXPECT_EQ(image.Cell(1), 0x22);
  }
}

TEST_F(IntelHexFileTest, CarriageReturnLineFeedIsOneLineEnding) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(LoadError(image, ":0100000011EE\r\n\r\n:00000001FF\r\n"),
            PathOf("in.hex") + " - Line 2 is not a valid record");
}

TEST_F(IntelHexFileTest, StartAddressRecordsAreSkipped) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(
      LoadError(image, ":0400000300003800C1\n:0400000500000000F7\n:0100000011EE\n:00000001FF\n"),
      "no error");
  EXPECT_EQ(image.Cell(0), 0x11);
}

TEST_F(IntelHexFileTest, ExtendedSegmentAddress) {
  TBinaryImage image(0x12340, 0x20);
  EXPECT_EQ(LoadError(image, ":020000021234B6\n:03001000010203E7\n:00000001FF\n"), "no error");
  EXPECT_EQ(image.Cell(0x1234F), TBinaryImage::EmptyCell);
  EXPECT_EQ(image.Cell(0x12350), 0x01);
  EXPECT_EQ(image.Cell(0x12352), 0x03);
}

TEST_F(IntelHexFileTest, ExtendedLinearAddressDoesNotWrapAt64K) {
  TBinaryImage image(0xCFFFF, 2);
  EXPECT_EQ(LoadError(image, ":02000004000CEE\n:02FFFF00AABB9B\n:00000001FF\n"), "no error");
  EXPECT_EQ(image.Cell(0xCFFFF), 0xAA);
  EXPECT_EQ(image.Cell(0xD0000), 0xBB);
}

TEST_F(IntelHexFileTest, AddressRecordsWithoutTheirTwoBytesAreRefused) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(LoadError(image, ":00000004FC\n:00000001FF\n"),
            PathOf("in.hex") + " - Line 1 is not a valid record");
}

TEST_F(IntelHexFileTest, OverwriteNamesTheSecondRecord) {
  TBinaryImage image(0, 0x20);
  EXPECT_EQ(LoadError(image, ":02001000AABB89\n:01001100CC22\n:00000001FF\n"),
            PathOf("in.hex") + " - Line 2 has overwritten existing data");
  EXPECT_EQ(image.Cell(0x11), 0xBB);
}

TEST_F(IntelHexFileTest, DataAlreadyInTheImageIsNotOverwritten) {
  TBinaryImage image(0, 0x20);
  image.SetCell(0x11, 0x77);
  EXPECT_EQ(LoadError(image, ":02001000AABB89\n:00000001FF\n"),
            PathOf("in.hex") + " - Line 1 has overwritten existing data");
  EXPECT_EQ(image.Cell(0x10), 0xAA);
  EXPECT_EQ(image.Cell(0x11), 0x77);
}

TEST_F(IntelHexFileTest, OneBytePastTheEndKeepsTheEarlierBytes) {
  TBinaryImage image(0, 0x11);
  EXPECT_EQ(LoadError(image, ":02001000AABB89\n:00000001FF\n"),
            PathOf("in.hex") + " - Line 1 has an invalid address range");
  EXPECT_EQ(image.Cell(0x10), 0xAA);
}

TEST_F(IntelHexFileTest, AnOverLongLineFailsWithoutReadingItAll) {
  TBinaryImage image(0, 16);
  // 64 MB of junk in the first line.
  const std::string path = PathOf("in.hex");
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, 'A');
    for (int i = 0; i < 64; ++i) out << block;
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(
      {
        try {
          image.LoadFromHexFile(path);
        } catch (const THexFileError& error) {
          EXPECT_EQ(std::string(error.what()), path + " - Line 1 is not a valid record");
          throw;
        }
      },
      THexFileError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(IntelHexFileTest, BlanksAroundARecordMayFillALongLine) {
  TBinaryImage image(0, 16);
  EXPECT_EQ(LoadError(image, std::string(2000, ' ') + ":00000001FF" + std::string(2000, ' ')),
            "no error");
}

TEST_F(IntelHexFileTest, FilesThatCannotBeReadRaiseTheSystemError) {
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

TEST_F(IntelHexFileTest, ACustomParserIsHeldToTheBuffer) {
  TBinaryImage image(0, 16);
  const std::string path = WriteFile("x\n");
  EXPECT_THROW(image.LoadFromFile(
                   path,
                   [](std::string_view, TBinaryImage::TRecordBuffer&, std::uint32_t&, int& count) {
                     count = 300;
                     return 0;
                   }),
               THexFileError);
}

TEST_F(IntelHexFileTest, SavingAnEmptyImageWritesTheEndRecord) {
  EXPECT_EQ(SavedText(TBinaryImage(0xC0100, 0xFF00)), ":00000001FF\r\n");
}

TEST_F(IntelHexFileTest, SavingSplitsAt32BytesAndAtGaps) {
  TBinaryImage image(0, 0x200);
  for (std::uint32_t a = 0; a < 33; ++a) image.SetCell(a, static_cast<int>(a));
  image.SetCell(0x100, 0xAB);
  image.SetCell(0x102, 0xCD);
  EXPECT_EQ(SavedText(image),
            ":20000000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FF0\r\n"
            ":0100200020BF\r\n"
            ":01010000AB53\r\n"
            ":01010200CD2F\r\n"
            ":00000001FF\r\n");
}

TEST_F(IntelHexFileTest, SavingAcrossA64KBoundary) {
  TBinaryImage image(0xCFFFE, 4);
  for (const int value : {0xAA, 0xBB, 0xCC, 0xDD}) {
    image.SetCell(0xCFFFE + static_cast<std::uint32_t>(value - 0xAA) / 0x11, value);
  }
  EXPECT_EQ(SavedText(image),
            ":02000004000CEE\r\n"
            ":02FFFE00AABB9C\r\n"
            ":02000004000DED\r\n"
            ":02000000CCDD55\r\n"
            ":00000001FF\r\n");
}

TEST_F(IntelHexFileTest, TheConfigurationImageBeginsWithItsUpperHalf) {
  TBinaryImage image(0xC0100, 0xFF00);
  image.SetCell(0xC0100, 0x12);
  image.SetCell(0xC0101, 0x34);
  EXPECT_EQ(SavedText(image), ":02000004000CEE\r\n:020100001234B7\r\n:00000001FF\r\n");
}

TEST_F(IntelHexFileTest, SavingReplacesTheFile) {
  const std::string path = WriteFile(std::string(1000, 'x'), "out.hex");
  EXPECT_EQ(SavedText(TBinaryImage(0, 1)), ":00000001FF\r\n");
  EXPECT_EQ(ReadFile(path), ":00000001FF\r\n");
}

TEST_F(IntelHexFileTest, RandomSparseImagesComeBackCellForCell) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
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
      if (copy.Cell(a) != image.Cell(a)) {
        FAIL() << "seed " << seed << " address " << a << ": " << copy.Cell(a) << " read back, "
               << image.Cell(a) << " saved";
      }
    }
  }
}

}  // namespace
}  // namespace trv
