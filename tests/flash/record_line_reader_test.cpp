#include "flash/record_line_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace trv {
namespace {

// Every line of text as the reader hands it out, an over-long one as "<over-long>".
std::vector<std::string> LinesOf(const std::string& text) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("trv_lines_" + std::to_string(::getpid()) + ".txt"))
                               .string();
  std::ofstream(path, std::ios::binary) << text;
  TRecordLineReader reader(path);
  std::vector<std::string> lines;
  std::string line;
  for (auto status = reader.NextLine(line); status != TRecordLineReader::TLineStatus::lsEndOfFile;
       status = reader.NextLine(line)) {
    lines.push_back(status == TRecordLineReader::TLineStatus::lsOverLong ? "<over-long>" : line);
  }
  std::filesystem::remove(path);
  return lines;
}

using TLines = std::vector<std::string>;

TEST(RecordLineReaderTest, LineEndings) {
  EXPECT_EQ(LinesOf(""), TLines{});
  EXPECT_EQ(LinesOf("a"), TLines{"a"});
  EXPECT_EQ(LinesOf("a\n"), TLines{"a"});
  EXPECT_EQ(LinesOf("a\r\nb\rc\nd"), (TLines{"a", "b", "c", "d"}));
  EXPECT_EQ(LinesOf("\n\r\n\r\r"), (TLines{"", "", "", ""}));
  EXPECT_EQ(LinesOf("a\n\rb"), (TLines{"a", "", "b"}));
  EXPECT_EQ(LinesOf(std::string("a\0b\n", 4)), TLines{std::string("a\0b", 3)});
}

TEST(RecordLineReaderTest, AnOverLongLineIsCutAndReadingGoesOnAfterIt) {
  const std::string longest(TRecordLineReader::MaxLineLength, 'x');
  EXPECT_EQ(LinesOf(longest + "\r\nnext"), (TLines{longest, "next"}));
  EXPECT_EQ(LinesOf(longest + "y\r\nnext\n"), (TLines{"<over-long>", "next"}));
  EXPECT_EQ(LinesOf("a\n" + std::string(200000, 'y') + "\rnext"),
            (TLines{"a", "<over-long>", "next"}));
}

}  // namespace
}  // namespace trv
