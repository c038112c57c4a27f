#include <gtest/gtest.h>

#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/rule_record.h"

namespace trv {
namespace {

constexpr int kOtherModel = 0;
constexpr int kModel4 = kSlimlineModelIndex;

TEST(RuleRecord, KindsSentinelsAndFieldOrder) {
  EXPECT_EQ(RuleRecord{}.Kind, -1);
  for (int kind = -5; kind <= 6; ++kind) EXPECT_EQ(IsRuleKind(kind), kind >= 0 && kind <= 4);
  EXPECT_TRUE(IsVirtualLoop(1024) && IsVirtualLoop(2048));
  EXPECT_FALSE(IsVirtualLoop(1023) || IsVirtualLoop(kAnyLoop) || IsVirtualLoop(kNonLoop));
  EXPECT_FALSE(IsDeviceTypeApplicable(-3) || IsDeviceTypeApplicable(-4));
  EXPECT_TRUE(IsDeviceTypeApplicable(0) && IsDeviceTypeApplicable(256));
  RuleRecord record;
  for (std::size_t i = 0; i < kRuleRecordFields.size(); ++i) {
    record.*kRuleRecordFields[i] = static_cast<std::int32_t>(i + 1);
  }
  EXPECT_EQ(record, (RuleRecord{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

struct BoardLayout {
  OutputBoardKind Kind;
  int ModelIndex;
  int Boards, Banks, Outputs;
};

constexpr BoardLayout kLayouts[] = {
    {obTermination, kOtherModel, 8, 2, 32},
    {obTermination, kModel4, 10, 1, 16},
    {obDriver, kOtherModel, 8, 1, 8},
    {obDriver, kModel4, 10, 1, 16},
};

TEST(OutputIndex, EveryPositionHasItsOwnIndexInOrderAndComesBack) {
  for (const BoardLayout& layout : kLayouts) {
    int expected = 0;
    for (int board = 1; board <= layout.Boards; ++board) {
      for (int bank = 1; bank <= layout.Banks; ++bank) {
        for (int output = 1; output <= layout.Outputs; ++output, ++expected) {
          const OutputPosition position{board, bank, output};
          const int index = OutputIndexOf(layout.Kind, layout.ModelIndex, position);
          ASSERT_EQ(index, expected) << board << "/" << bank << "/" << output;
          ASSERT_EQ(OutputPositionOf(layout.Kind, layout.ModelIndex, index), position);
        }
      }
    }
    EXPECT_LE(expected, OutputWord::kMaxIndex + 1);
    EXPECT_EQ(expected, layout.Boards * OutputsPerBoard(layout.Kind, layout.ModelIndex));
  }
}

TEST(OutputIndex, BoardAndBankBoundaries) {
  EXPECT_EQ(OutputPositionOf(obTermination, kOtherModel, 63), (OutputPosition{1, 2, 32}));
  EXPECT_EQ(OutputPositionOf(obTermination, kOtherModel, 64), (OutputPosition{2, 1, 1}));
  EXPECT_EQ(OutputPositionOf(obTermination, kOtherModel, 511), (OutputPosition{8, 2, 32}));
  EXPECT_EQ(OutputPositionOf(obTermination, kModel4, 16), (OutputPosition{2, 1, 1}));
  EXPECT_EQ(OutputPositionOf(obDriver, kOtherModel, 8), (OutputPosition{2, 1, 1}));
  EXPECT_EQ(OutputPositionOf(obDriver, kModel4, 16), (OutputPosition{2, 1, 1}));
  // One bank: a bank number above 1 adds a whole board, as the numbering has always done.
  EXPECT_EQ(OutputIndexOf(obDriver, kOtherModel, {1, 2, 1}), 8);
  EXPECT_EQ(OutputIndexOf(obTermination, kModel4, {1, 2, 1}), 16);
  EXPECT_EQ(OutputsPerBoard(obTermination, kOtherModel), 64);
  EXPECT_EQ(OutputsPerBoard(obTermination, kModel4), 16);
  EXPECT_EQ(OutputsPerBoard(obDriver, kOtherModel), 8);
}

TEST(OutputWord, CapturedWordsHaveExactBits) {
  EXPECT_EQ(OutputWord::Termination(0, false, false).Value(), 0x8000);
  EXPECT_EQ(OutputWord::Termination(5, false, true).Value(), 0x8205);
  EXPECT_EQ(OutputWord::Termination(511, true, false).Value(), 0x8BFF);
  EXPECT_EQ(OutputWord::Termination(64, true, true).Value(), 0x8A40);
  EXPECT_EQ(OutputWord::Driver(0).Value(), 0xCA00);
  EXPECT_EQ(OutputWord::Driver(63).Value(), 0xCA3F);
}

TEST(OutputWord, EveryCapturedWordReadsBack) {
  for (int index = 0; index <= OutputWord::kMaxIndex; ++index) {
    for (const bool relay : {false, true}) {
      for (const bool steady : {false, true}) {
        const OutputWord word = OutputWord::Termination(index, relay, steady);
        ASSERT_TRUE(word.IsTermination());
        ASSERT_EQ(word.Type(), OutputWord::kTypeTermination);
        ASSERT_EQ(word.Index(), index);
        ASSERT_EQ(word.IsRelay(), relay);
        ASSERT_EQ(word.IsSteady(), relay || steady);
        ASSERT_EQ(word.Value() & OutputWord::kTurnOffBit, 0);
      }
    }
    const OutputWord driver = OutputWord::Driver(index);
    ASSERT_FALSE(driver.IsTermination());
    ASSERT_EQ(driver.Type(), OutputWord::kTypeDriver);
    ASSERT_EQ(driver.Index(), index);
    ASSERT_TRUE(driver.IsRelay() && driver.IsSteady());
  }
}

TEST(OutputWord, OnlyType8Below0x9000IsTermination) {
  EXPECT_TRUE(OutputWord(0x8000).IsTermination());
  EXPECT_TRUE(OutputWord(0x8FFF).IsTermination());
  EXPECT_FALSE(OutputWord(0x7FFF).IsTermination());
  EXPECT_FALSE(OutputWord(0x9000).IsTermination());
  EXPECT_FALSE(OutputWord(0).IsTermination());
  EXPECT_FALSE(OutputWord(0x18000).IsTermination());  // above 16 bits, from a hostile file
  EXPECT_FALSE(OutputWord(-0x8000).IsTermination());  // negative reads as a large unsigned
}

// Flat link order matches output order: link i/8 serves output index i (model 4: link i).
TEST(RelayLinks, EachOutputIsServedByItsOwnLink) {
  EXPECT_EQ(RelayLinkIndex(7, 1, 3), 63u);
  EXPECT_EQ(RcuRelayLinkIndex(9, 15), 159u);
  for (int index = 0; index <= OutputWord::kMaxIndex; ++index) {
    ASSERT_EQ(RelayLinkOfOutputIndex(kOtherModel, index), static_cast<std::size_t>(index / 8));
    const auto rcuLink = RelayLinkOfOutputIndex(kModel4, index);
    ASSERT_EQ(rcuLink, index < 160 ? std::optional<std::size_t>(index) : std::nullopt);
  }
  RelayLinks links{};
  links[RelayLinkIndex(1, 1, 2)] = 1;  // board 2, bank 2, outputs 17..24
  const RelayLinkTest test(links, RcuRelayLinks{}, kOtherModel);
  for (int output = 1; output <= 32; ++output) {
    EXPECT_EQ(test.IsRelayOutput(2, 2, output), output >= 17 && output <= 24) << output;
    EXPECT_FALSE(test.IsRelayOutput(2, 1, output));
  }
  EXPECT_TRUE(test.IsRelayOutputIndex(64 + 32 + 16));
  EXPECT_FALSE(test.IsRelayOutputIndex(64 + 32 + 15));
  RcuRelayLinks rcuLinks{};
  rcuLinks[RcuRelayLinkIndex(2, 5)] = 1;
  const RelayLinkTest model4(links, rcuLinks, kModel4);
  EXPECT_TRUE(model4.IsRelayOutput(3, 1, 6));
  EXPECT_FALSE(model4.IsRelayOutputIndex(64 + 32 + 16));  // RelayLinks mean nothing on model 4
}

TEST(RelayLinks, OutputsOffTheBoardsAreNeverRelays) {
  RelayLinks links;
  links.fill(1);
  RcuRelayLinks rcuLinks;
  rcuLinks.fill(1);
  const RelayLinkTest other(links, rcuLinks, kOtherModel);
  const RelayLinkTest model4(links, rcuLinks, kModel4);
  EXPECT_TRUE(other.IsRelayOutput(8, 2, 32) && model4.IsRelayOutput(10, 1, 16));
  for (const OutputPosition off : {OutputPosition{9, 1, 1},
                                   {0, 1, 1},
                                   {1, 3, 1},
                                   {1, 1, 33},
                                   {1, 1, 0},
                                   {1, 0, 1},
                                   {-7, 1, 1}}) {
    EXPECT_FALSE(other.IsRelayOutput(off.Board, off.Bank, off.Output));
  }
  EXPECT_FALSE(model4.IsRelayOutput(11, 1, 1) || model4.IsRelayOutput(1, 2, 1) ||
               model4.IsRelayOutput(1, 1, 17));
  EXPECT_FALSE(other.IsRelayOutputIndex(-1) || other.IsRelayOutputIndex(512));
  EXPECT_FALSE(model4.IsRelayOutputIndex(160) || model4.IsRelayOutputIndex(511));
  RelayLinks noLinks{};
  RcuRelayLinks noRcuLinks{};
  FitRelayLinkOfOutputIndex(noLinks, noRcuLinks, kOtherModel, 512);
  FitRelayLinkOfOutputIndex(noLinks, noRcuLinks, kModel4, 160);
  FitRelayLinkOfOutputIndex(noLinks, noRcuLinks, kModel4, -1);
  EXPECT_EQ(noLinks, RelayLinks{});
  EXPECT_EQ(noRcuLinks, RcuRelayLinks{});
}

TEST(RelayLinks, OnBoardTestAndFitting) {
  RelayLinks links{};
  RcuRelayLinks rcuLinks{};
  FitRelayLinkOfOutputIndex(links, rcuLinks, kOtherModel, 70);  // board 2, bank 1, outputs 1..8
  FitRelayLinkOfOutputIndex(links, rcuLinks, kModel4, 37);      // board 3, output 6
  EXPECT_EQ(links[RelayLinkIndex(1, 0, 0)], 1);
  EXPECT_EQ(rcuLinks[RcuRelayLinkIndex(2, 5)], 1);
  const RelayLinkTest other(links, rcuLinks, kOtherModel);
  EXPECT_TRUE(other.IsRelayOutputOnBoard(1, 64) && other.IsRelayOutputOnBoard(1, 71));
  EXPECT_FALSE(other.IsRelayOutputOnBoard(1, 72) || other.IsRelayOutputOnBoard(0, 64));
  const RelayLinkTest model4(links, rcuLinks, kModel4);
  EXPECT_TRUE(model4.IsRelayOutputOnBoard(2, 37));
  EXPECT_FALSE(model4.IsRelayOutputOnBoard(1, 37) || model4.IsRelayOutputOnBoard(2, 36));
}

}  // namespace
}  // namespace trv
