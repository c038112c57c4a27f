#include "transfer/rule_word.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(RuleWordTest, EveryTypeStartsWithItsStartValue) {
  EXPECT_EQ(RuleWord(RuleWordType::Control).Value(), 0xAE00);
  EXPECT_EQ(RuleWord(RuleWordType::ZoneRangeMarker).Value(), 0xD800);
  EXPECT_EQ(RuleWord(RuleWordType::EndOfStream).Value(), 0xFFFF);
  EXPECT_EQ(RuleWord(RuleWordType::Panel).Value(), 0x0000);
  EXPECT_EQ(RuleWord(RuleWordType::Zone).Value(), 0x2000);
  EXPECT_EQ(RuleWord(RuleWordType::GeneralEvents).Value(), 0xE000);
  EXPECT_EQ(RuleWord(RuleWordType::DriverOutput).Type(), RuleWordType::DriverOutput);
}

TEST(RuleWordTest, FieldsTakeTheLowBitsAndNeverTouchTheType) {
  RuleWord word(RuleWordType::Zone);
  word.SetField(0, 12, 4100);  // 4100 mod 4096
  EXPECT_EQ(word.Value(), 0x2004);
  word.SetField(0, 12, -1);
  EXPECT_EQ(word.Value(), 0x2FFF);
  word.SetField(0, 12, 0).SetBit(11, true);
  EXPECT_EQ(word.Value(), 0x2800);

  RuleWord control(RuleWordType::Control);
  control.SetField(9, 3, 4).SetField(0, 9, 3);
  EXPECT_EQ(control.Value(), 0xA803);
  control.SetField(0, 16, 0xFFFF);  // reaches into the type bits: they stay
  EXPECT_EQ(control.Value(), 0xAFFF);
}

}  // namespace
}  // namespace trv
