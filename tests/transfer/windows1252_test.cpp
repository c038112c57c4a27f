#include "model/windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace trv {
namespace {

TEST(Windows1252Test, KeepsAsciiAndLatin1AndMapsTheHighBlock) {
  EXPECT_EQ(Utf8ToWindows1252("Mimic 1"), "Mimic 1");
  EXPECT_EQ(Utf8ToWindows1252("M\xC3\xBCller"), "M\xFCller");        // u umlaut
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x82\xAC 5"), "\x80 5");          // euro sign
  EXPECT_EQ(Utf8ToWindows1252("\xC5\x93\xE2\x84\xA2"), "\x9C\x99");  // oe ligature, TM
  EXPECT_EQ(Utf8ToWindows1252("\xC3\xBF\xC2\xA0"), "\xFF\xA0");
}

TEST(Windows1252Test, EveryCharacterItCannotHoldBecomesOneQuestionMark) {
  EXPECT_EQ(Utf8ToWindows1252("\xD0\x96"), "?");            // Cyrillic Zhe
  EXPECT_EQ(Utf8ToWindows1252("a\xE6\x97\xA5z"), "a?z");    // CJK
  EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x94\xA5!"), "?!");  // emoji, four bytes
}

TEST(Windows1252Test, MalformedUtf8BecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToWindows1252("\xFF"), "?");
  EXPECT_EQ(Utf8ToWindows1252("a\x80z"), "a?z");          // stray continuation byte
  EXPECT_EQ(Utf8ToWindows1252("\xC3"), "?");              // cut off at the end
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x82z"), "?z");        // cut off before a plain byte
  EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF"), "?");          // overlong '/'
  EXPECT_EQ(Utf8ToWindows1252("\xED\xA0\x80"), "?");      // surrogate
  EXPECT_EQ(Utf8ToWindows1252("\xF4\x90\x80\x80"), "?");  // above U+10FFFF
}

TEST(Windows1252Test, EveryByteSurvivesTheRoundTrip) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string text(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(text)), text) << byte;
  }
  EXPECT_EQ(Windows1252ToUtf8("\x80\x81\xFC"), "\xE2\x82\xAC\xC2\x81\xC3\xBC");
}

}  // namespace
}  // namespace trv
