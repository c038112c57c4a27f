// Runs the real trvcfg program on rule data files made here.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "files/workbook_file.h"
#include "flash/binary_image.h"
#include "model/configuration.h"
#include "model/program_version.h"
#include "model/zone_range.h"
#include "trvcfg_program.h"

namespace trv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::int32_t kFire = 0b11;
constexpr std::int32_t kFault = 0b11 << 8;
constexpr std::int32_t kPowerOK = 0b11 << 30;

class TrvcfgTest : public TrvcfgProgramTest {
 protected:
  TrvcfgTest() : TrvcfgProgramTest("trvcfg-test") {}

  // A board, a zonal rule and one rule of each event kind.
  std::string SaveSite() const {
    Configuration site(FDirectory, FDirectory);
    site.ControllerSettings.BoardsInstalled = 2;
    RuleRecord board{.Kind = rkBoard, .Panel = 0, .Zone = 1, .Events = 0, .Modifier = 1};
    RuleRecord zonal{.Kind = rkZonal,
                     .Panel = 0,
                     .Zone = ZoneRange{10, 12}.Packed(),
                     .Events = kZonalEventFault,
                     .Output = 0x8A05};
    RuleRecord local{.Kind = rkEventLocal,
                     .Panel = 1,
                     .Loop = 2,
                     .Zone = 5,
                     .Address = 17,
                     .DeviceType = 3,
                     .Events = kFire | kFault,
                     .Modifier = 0,
                     .Output = 0x820A};
    RuleRecord network{.Kind = rkEventNetwork,
                       .Panel = 1,
                       .Loop = 1024,  // carried from an earlier rule
                       .Zone = 20,
                       .Address = 3,
                       .DeviceType = 257,
                       .Events = kFire,
                       .Modifier = 1,
                       .Output = 0xCA00 + 9};
    RuleRecord general{.Kind = rkEventGeneral,
                       .Panel = -1,
                       .Events = kFire | kFault | kPowerOK,
                       .Modifier = 0,
                       .Output = 0x8000 + 100};
    for (const RuleRecord& rule : {board, zonal, local, network, general}) {
      site.StoreRule(++site.RuleCount, rule);
    }
    return Save(site, "Site.trv");
  }
};

// The stream words of a raw image up to the first 0xFFFF.
std::vector<std::uint16_t> StreamWords(const std::string& image) {
  std::vector<std::uint16_t> words;
  for (std::size_t offset = 4352; offset + 1 < image.size(); offset += 2) {
    const auto word =
        static_cast<std::uint16_t>(static_cast<unsigned char>(image[offset]) |
                                   static_cast<unsigned char>(image[offset + 1]) << 8);
    if (word == 0xFFFF) break;
    words.push_back(word);
  }
  return words;
}

TEST_F(TrvcfgTest, VersionNamesTheProgramAndItsCopyright) {
  const ProgramRun run = Trvcfg({"--version"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_THAT(run.Out, StartsWith("trvcfg " + ThisProgramVersion().Text() + "\n"));
  EXPECT_EQ(run.Out, "trvcfg " + ThisVersionRecord().ProductVersion + "\n" +
                         ThisVersionRecord().LegalCopyright + "\n");
}

TEST_F(TrvcfgTest, BadUsageEndsWithStatus2AndTheUsage) {
  const std::string site = SaveSite();
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"show"},
           {"show", site, site},
           {"show", site, "--colour", "red"},
           {"encode", site},
           {"encode", site, "-o"},
           {"encode", site, "-o", Path("image.txt")},
           {"encode", site, "-o", Path("a.bin"), "-o", Path("b.bin")},
           {"check"},
           {"check", site, site}}) {
    const ProgramRun run = Trvcfg(words);
    EXPECT_EQ(run.Status, 2) << ::testing::PrintToString(words);
    EXPECT_THAT(run.Err, HasSubstr("usage:"));
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(Path("image.txt")));
}

TEST_F(TrvcfgTest, EveryWordAfterDoubleDashIsAFile) {
  std::filesystem::copy_file(SaveSite(), Path("-odd.trv"));
  const ProgramRun refused = Trvcfg({"show", "-odd.trv"});
  EXPECT_EQ(refused.Status, 2);
  EXPECT_THAT(refused.Err, HasSubstr("unknown option \"-odd.trv\""));

  const ProgramRun show = Trvcfg({"show", "--", "-odd.trv"});
  EXPECT_EQ(show.Status, 0) << show.Err;
  EXPECT_EQ(show.Out, Trvcfg({"show", Path("Site.trv")}).Out);
  EXPECT_EQ(Lines(show.Out).size(), 5u);

  EXPECT_EQ(Trvcfg({"encode", "-o", "-odd.bin", "--", "-odd.trv"}).Status, 0);
  EXPECT_EQ(std::filesystem::file_size(Path("-odd.bin")), 65280u);
  // An option after the end of the options is a file.
  EXPECT_EQ(Trvcfg({"encode", "--", "-odd.trv", "-o", "x.bin"}).Status, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("x.bin")));
}

TEST_F(TrvcfgTest, ShowPrintsOneRuleALine) {
  const ProgramRun run = Trvcfg({"show", SaveSite()});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_THAT(
      Lines(run.Out),
      ElementsAre(
          "1\tBoard\t  0\tn/a\t(1..64)\tn/a\tn/a\tFire\tBoard 1\t(1..64)",
          "2\tZonal\t  0\tn/a\t(  10..  12)\tn/a\tn/a\tFault\tT. Board 1, Bank 1, Output 6\t"
          "Relay   6",
          "3\tEvent (Local)\t  1\t2\t   5\t 17\tSensor\tFire, Fault\t"
          "T. Board 1, Bank 1, Output 11\tLED  11 (steady)",
          "4\tEvent (Network)\tn/a\tn/a\t  20\t  3\tModule\tFire\tD. Board 2, Output 2\t"
          "Relay  10 (off)",
          "5\tEvent (General)\tAny panel\tn/a\tn/a\tn/a\tn/a\tFire, Fault, Power OK\t"
          "T. Board 2, Bank 2, Output 5\tLED 101"));
}

TEST_F(TrvcfgTest, EncodeWritesTheRawImage) {
  const std::string image = Path("site.bin");
  const ProgramRun run = Trvcfg({"encode", SaveSite(), "-o", image});
  EXPECT_EQ(run.Status, 0) << run.Err;
  const std::string bytes = ReadAll(image);
  ASSERT_EQ(bytes.size(), 65280u);
  EXPECT_EQ(bytes.substr(0, 4), "0000");
  const std::vector<std::uint16_t> words = StreamWords(bytes);
  ASSERT_EQ(words.size(), 1u + 256 + 8 + 8 + 6 + 3);
  EXPECT_EQ(words[0], 0xA802);
  EXPECT_THAT(std::vector(words.begin() + 1, words.begin() + 5),
              ElementsAre(0x8000, 0x9800, 0x0000, 0x2000));
  EXPECT_THAT(std::vector(words.begin() + 253, words.begin() + 257),
              ElementsAre(0x803F, 0x9800, 0x0000, 0x203F));
  EXPECT_THAT(std::vector(words.begin() + 257, words.end()),
              ElementsAre(0xAE03, 0x8A05, 0x9100, 0x0000, 0xD800, 0x2009, 0x200B, 0x7100,  //
                          0xAE01, 0x820A, 0x9900, 0x0001, 0x2004, 0x1002, 0x5011, 0x7103,  //
                          0xAE02, 0xC441, 0x9800, 0x2013, 0x5803, 0x7108,                  //
                          0xAE04, 0x8064, 0xE013));
}

TEST_F(TrvcfgTest, EncodeWritesTheImageAsIntelHexWithErasedBytesLeftOut) {
  const std::string site = SaveSite();
  ASSERT_EQ(Trvcfg({"encode", site, "-o", Path("site.bin")}).Status, 0);
  const ProgramRun run = Trvcfg({"encode", site, "-o", Path("site.HEX")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_THAT(ReadAll(Path("site.HEX")), StartsWith(":02000004000CEE\r\n"));

  const std::string bytes = ReadAll(Path("site.bin"));
  TBinaryImage image(0xC0100, 0xFF00);
  image.LoadFromHexFile(Path("site.HEX"));
  for (std::uint32_t offset = 0; offset < 0xFF00; ++offset) {
    const auto byte = static_cast<unsigned char>(bytes[offset]);
    // The time stamps may have moved on by a minute between the two runs.
    if (offset >= 16 && offset < 28) continue;
    ASSERT_EQ(image.Cell(0xC0100 + offset), byte == 0xFF ? TBinaryImage::EmptyCell : byte)
        << offset;
  }
}

TEST_F(TrvcfgTest, ErrorsGoToStandardErrorWithStatus1) {
  const ProgramRun missing = Trvcfg({"show", Path("missing.trv")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_THAT(missing.Err, HasSubstr("missing.trv"));
  EXPECT_EQ(missing.Out, "");

  std::ofstream(Path("junk.trv")) << "not a workbook";
  EXPECT_EQ(Trvcfg({"encode", Path("junk.trv"), "-o", Path("junk.bin")}).Status, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("junk.bin")));

  Configuration future(FDirectory, FDirectory);
  future.WriteSettingsToSheet();
  future.MimicBook.SetNumber(kSettingsSheet, 1, 1, 2);
  WriteWorkbookFile(future.MimicBook, Path("future.trv"));
  const ProgramRun refused = Trvcfg({"show", Path("future.trv")});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Err, "The selected rule data file (" + Path("future.trv") +
                             ")\ncannot be opened because it was saved using an older version "
                             "of this program\n");

  EXPECT_EQ(Trvcfg({"encode", SaveSite(), "-o", Path("no-such-dir/site.bin")}).Status, 1);
  std::filesystem::create_directory(Path("taken.bin"));  // cannot be replaced by the image
  EXPECT_EQ(Trvcfg({"encode", SaveSite(), "-o", Path("taken.bin")}).Status, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("taken.bin.partial")));
}

TEST_F(TrvcfgTest, FileWithoutRulesWarnsAndStillEncodes) {
  Configuration empty(FDirectory, FDirectory);
  const std::string file = Save(empty, "empty.trv");
  const ProgramRun show = Trvcfg({"show", file});
  EXPECT_EQ(show.Status, 0);
  EXPECT_EQ(show.Out, "");
  EXPECT_EQ(show.Err,
            "The selected rule data file (" + file + ")\ndoes not contain any rule information.\n");
  ASSERT_EQ(Trvcfg({"encode", file, "-o", Path("empty.bin")}).Status, 0);
  EXPECT_THAT(StreamWords(ReadAll(Path("empty.bin"))), ElementsAre(0xA808));

  // A send is refused before any port is touched.
  const ProgramRun send = Trvcfg({"send", file, "--port", "COM8"});
  EXPECT_EQ(send.Status, 1);
  EXPECT_THAT(send.Err,
              HasSubstr("No rules are currently defined, so this operation cannot proceed."));
}

TEST_F(TrvcfgTest, CheckOfASiteWithoutErrorsListsItsWarningsAndNotes) {
  const ProgramRun run = Trvcfg({"check", SaveSite()});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_THAT(
      Lines(run.Out),
      ElementsAre("rules 1, 2: warning W04: output 6 (board 1, bank 1, output 6) of board rule 1 "
                  "is also driven by rule 2",
                  "rules 1, 3: warning W04: output 11 (board 1, bank 1, output 11) of board rule "
                  "1 is also driven by rule 3",
                  "rule 2: warning W03: output 6 (board 1, bank 1, output 6) is set as a relay, "
                  "but its relay link is not fitted",
                  "rule 4: warning W05: driver output 10 (board 2, output 2) is turned off by the "
                  "rule, but no rule turns it on",
                  "note N01: the rules use 281 of the 30462 image words available (0%)",
                  "note N02: termination board 1: 64 of 64 outputs used",
                  "note N02: termination board 2: 1 of 64 outputs used",
                  "note N02: driver board 2: 1 of 8 outputs used",
                  "0 errors, 4 warnings, 4 notes"));
}

TEST_F(TrvcfgTest, CheckEndsWithStatus1OnAnError) {
  Configuration site(FDirectory, FDirectory);
  site.ControllerSettings.BoardsInstalled = 1;
  for (int output = 0; output < 12; ++output) {
    const std::int32_t index = output < 11 ? output : 64;
    site.StoreRule(++site.RuleCount, {.Kind = rkZonal,
                                      .Panel = 0,
                                      .Zone = ZoneRange{output + 1, output + 1}.Packed(),
                                      .Events = kZonalEventFire,
                                      .Output = 0x8200 + index});
  }
  const ProgramRun run = Trvcfg({"check", Save(site, "Site.trv")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "");
  EXPECT_THAT(Lines(run.Out),
              ElementsAre("rule 12: error E03: output 65 (board 2, bank 1, output 1) is on board "
                          "2, but 1 board is installed",
                          "note N01: the rules use 72 of the 30462 image words available (0%)",
                          "note N02: termination board 1: 11 of 64 outputs used",
                          "note N02: termination board 2: 1 of 64 outputs used",
                          "1 error, 0 warnings, 3 notes"));
}

TEST_F(TrvcfgTest, CheckReadsImagesAsAGetDecodesThem) {
  Configuration site(FDirectory, FDirectory);
  site.StoreRule(++site.RuleCount, {.Kind = rkZonal,
                                    .Panel = 0,
                                    .Zone = ZoneRange{250, 300}.Packed(),
                                    .Events = kZonalEventFire,
                                    .Output = 0x8205});
  const std::string file = Save(site, "Zones.trv");
  for (const std::string image : {"zones.bin", "zones.hex"}) {
    ASSERT_EQ(Trvcfg({"encode", file, "-o", Path(image)}).Status, 0);
    const ProgramRun run = Trvcfg({"check", Path(image)});
    EXPECT_EQ(run.Status, 1) << image;
    EXPECT_THAT(Lines(run.Out).front(),
                StartsWith("rule 1: error E07: last zone 300 is outside 1..255 on a KP6000"));
    EXPECT_EQ(Lines(run.Out).back(), "1 error, 0 warnings, 2 notes");
  }

  std::ofstream(Path("blank.bin"), std::ios::binary) << std::string(65280, '\xFF');
  const ProgramRun blank = Trvcfg({"check", Path("blank.bin")});
  EXPECT_EQ(blank.Status, 1);
  EXPECT_EQ(blank.Out, "");
  EXPECT_EQ(blank.Err, "No configuration data present\n");
}

}  // namespace
}  // namespace trv
