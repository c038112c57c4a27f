#include "transfer/image_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "flash/binary_image.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ImageFileTest : public ::testing::Test {
 protected:
  ImageFileTest() { std::filesystem::create_directories(FDirectory); }
  ~ImageFileTest() override { std::filesystem::remove_all(FDirectory); }

  std::filesystem::path Path(const std::string& name) const { return FDirectory / name; }

  static std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // A version, a byte after an erased one and the last byte of the image.
  static ConfigurationImage SampleImage() {
    ConfigurationImage image;
    image.SetByte(0, '0');
    image.SetByte(1, '0');
    image.SetByte(2, '0');
    image.SetByte(3, '2');
    image.SetByte(5, 0x00);
    image.SetByte(ConfigurationImage::kSize - 1, 0x12);
    return image;
  }

  template <typename Action>
  static std::string RaisedText(Action action) {
    try {
      action();
    } catch (const std::exception& error) {
      return error.what();
    }
    return "(nothing raised)";
  }

  const std::filesystem::path FDirectory =
      std::filesystem::temp_directory_path() / ("image-file-" + std::to_string(getpid()));
};

TEST_F(ImageFileTest, ImageFilesAreBinAndHexInAnyCase) {
  for (const char* name : {"a.bin", "a.hex", "A.BIN", "a.Hex"}) EXPECT_TRUE(IsImageFile(name));
  for (const char* name : {"a.trv", "a.bin.txt", "bin", "a."}) EXPECT_FALSE(IsImageFile(name));
}

TEST_F(ImageFileTest, BinHoldsExactlyTheImageBytes) {
  const ConfigurationImage image = SampleImage();
  WriteImageFile(image, Path("site.bin"));
  const std::string bytes = ReadAll(Path("site.bin"));
  ASSERT_EQ(bytes.size(), ConfigurationImage::kSize);
  EXPECT_EQ(bytes.substr(0, 7), std::string("0002\xFF\x00\xFF", 7));
  EXPECT_EQ(bytes.back(), '\x12');
  EXPECT_EQ(bytes.find_first_not_of('\xFF', 6), bytes.size() - 1);
  EXPECT_EQ(ReadImageFile(Path("site.bin")), image);
}

TEST_F(ImageFileTest, HexHoldsTheBytesAtTheControllerAddressWithErasedBytesLeftOut) {
  const ConfigurationImage image = SampleImage();
  WriteImageFile(image, Path("site.HEX"));
  EXPECT_THAT(Lines(ReadAll(Path("site.HEX"))),
              ElementsAre(":02000004000CEE\r", ":040100003030303239\r", ":0101050000F9\r",
                          ":01FFFF0012EF\r", ":00000001FF\r"));
  EXPECT_EQ(ReadImageFile(Path("site.HEX")), image);
}

TEST_F(ImageFileTest, BinOfAnotherSizeIsRefusedNamingTheFileAndTheSizes) {
  std::ofstream(Path("short.bin"), std::ios::binary) << std::string(4352, '\xFF');
  EXPECT_EQ(
      RaisedText([&] { ReadImageFile(Path("short.bin")); }),
      Path("short.bin").string() + ": not a configuration image (4352 bytes, 65280 expected)");
  std::ofstream(Path("long.bin"), std::ios::binary) << std::string(65281, '\xFF');
  EXPECT_THAT(RaisedText([&] { ReadImageFile(Path("long.bin")); }),
              HasSubstr("(65281 bytes, 65280 expected)"));
  EXPECT_THAT(RaisedText([&] { ReadImageFile(Path("missing.bin")); }),
              HasSubstr(Path("missing.bin").string()));
}

TEST_F(ImageFileTest, HexWithBytesOutsideTheImageIsRefused) {
  std::ofstream(Path("flash.hex")) << ":02000004000CEE\n:0100FF0000\n:00000001FF\n";
  EXPECT_THROW(ReadImageFile(Path("flash.hex")), THexFileError);
  std::ofstream(Path("cut.hex")) << ":02000004000CEE\n";
  EXPECT_THROW(ReadImageFile(Path("cut.hex")), THexFileError);
}

TEST_F(ImageFileTest, FailedWriteLeavesWhatWasThereAndNoSibling) {
  std::filesystem::create_directory(Path("taken.bin"));
  EXPECT_THROW(WriteImageFile(SampleImage(), Path("taken.bin")), std::exception);
  EXPECT_TRUE(std::filesystem::is_directory(Path("taken.bin")));
  EXPECT_FALSE(std::filesystem::exists(Path("taken.bin.partial")));
  EXPECT_THROW(WriteImageFile(SampleImage(), Path("no-such-dir/site.hex")), std::exception);
}

}  // namespace
}  // namespace trv
