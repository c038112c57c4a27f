#include "model/program_version.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(ProgramVersion, ThisProgramIsOneZeroZeroZero) {
  EXPECT_EQ(ThisProgramVersion().Text(), "1.0.0.0");
}

TEST(ProgramVersion, RecordHoldsTheProjectVersionAndTheMakersCopyright) {
  const VersionRecord& record = ThisVersionRecord();
  EXPECT_EQ(record.FileVersion, "1.0.0.0");
  EXPECT_EQ(record.ProductVersion, record.FileVersion);
  EXPECT_EQ(ThisProgramVersion().Text(), record.FileVersion);
  EXPECT_THAT(record.LegalCopyright, testing::MatchesRegex("Copyright © 20[0-9][0-9] KORVANEX"));
}

TEST(ProgramVersion, ParsesFourNumbersAndReadsBadPartsAsZero) {
  EXPECT_EQ(ParseProgramVersion("2.13.4.1077").Numbers, (std::array<unsigned, 4>{2, 13, 4, 1077}));
  EXPECT_EQ(ParseProgramVersion("3.x").Numbers, (std::array<unsigned, 4>{3, 0, 0, 0}));
  EXPECT_EQ(ParseProgramVersion("").Numbers, (std::array<unsigned, 4>{}));
  EXPECT_EQ(ParseProgramVersion("1.2.3.4.5").Numbers, (std::array<unsigned, 4>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace trv
