#include <gtest/gtest.h>

#include "model/output_word.h"
#include "model/relay_links.h"
#include "model/rule_record.h"

namespace trv {
namespace {

constexpr int kOtherModel = 0;
constexpr int kModel4 = kSlimlineModelIndex;

TEST(RuleRecord, DefaultIsInvalidAndOnlyKindsZeroToFourAreRules) {
  EXPECT_EQ(RuleRecord{}.Kind, -1);
  EXPECT_EQ(rkBoard, 0);
  EXPECT_EQ(rkEventLocal, 1);
  EXPECT_EQ(rkEventNetwork, 2);
  EXPECT_EQ(rkZonal, 3);
  EXPECT_EQ(rkEventGeneral, 4);
  EXPECT_EQ(rkCleared, -2);
  for (int kind = -5; kind <= 6; ++kind) EXPECT_EQ(IsRuleKind(kind), kind >= 0 && kind <= 4);
}

TEST(RuleRecord, FieldsAreInColumnOrder) {
  RuleRecord record;
  for (std::size_t i = 0; i < kRuleRecordFields.size(); ++i) {
    record.*kRuleRecordFields[i] = static_cast<std::int32_t>(i + 1);
  }
  EXPECT_EQ(record, (RuleRecord{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(RuleRecord, VirtualLoopIsEveryLoopFrom1024) {
  EXPECT_TRUE(IsVirtualLoop(1024));
  EXPECT_TRUE(IsVirtualLoop(2048));
  EXPECT_FALSE(IsVirtualLoop(1023));
  EXPECT_FALSE(IsVirtualLoop(kAnyLoop));
  EXPECT_FALSE(IsVirtualLoop(kNonLoop));
  EXPECT_FALSE(IsDeviceTypeApplicable(-3));
  EXPECT_FALSE(IsDeviceTypeApplicable(-4));
  EXPECT_TRUE(IsDeviceTypeApplicable(0));
  EXPECT_TRUE(IsDeviceTypeApplicable(256));
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

TEST(RelayLinks, FlatIndexesFollowTheArrayOrder) {
  EXPECT_EQ(RelayLinks{}.size(), 64u);
  EXPECT_EQ(RcuRelayLinks{}.size(), 160u);
  std::size_t expected = 0;
  for (int board = 0; board < kRelayLinkBoards; ++board) {
    for (int bank = 0; bank < kRelayLinkBanks; ++bank) {
      for (int group = 0; group < kRelayLinkGroups; ++group) {
        ASSERT_EQ(RelayLinkIndex(board, bank, group), expected++);
      }
    }
  }
  expected = 0;
  for (int board = 0; board < kRcuRelayLinkBoards; ++board) {
    for (int output = 0; output < kRcuRelayLinkOutputs; ++output) {
      ASSERT_EQ(RcuRelayLinkIndex(board, output), expected++);
    }
  }
}

// Each single link, fitted alone, makes exactly its own outputs relay outputs.
TEST(RelayLinks, EachLinkServesExactlyItsGroupOfEightOutputs) {
  const RcuRelayLinks noRcuLinks{};
  for (std::size_t fitted = 0; fitted < RelayLinks{}.size(); ++fitted) {
    RelayLinks links{};
    links[fitted] = 1;
    const RelayLinkTest test(links, noRcuLinks, kOtherModel);
    for (int index = 0; index <= OutputWord::kMaxIndex; ++index) {
      const OutputPosition position = OutputPositionOf(obTermination, kOtherModel, index);
      const bool expected = RelayLinkIndex(position.Board - 1, position.Bank - 1,
                                           (position.Output - 1) / 8) == fitted;
      ASSERT_EQ(test.IsRelayOutput(position.Board, position.Bank, position.Output), expected);
      ASSERT_EQ(test.IsRelayOutputIndex(index), expected);
      ASSERT_EQ(RelayLinkOfOutputIndex(kOtherModel, index),
                RelayLinkIndex(position.Board - 1, position.Bank - 1, (position.Output - 1) / 8));
    }
  }
}

TEST(RelayLinks, Model4HasOneLinkPerOutput) {
  const RelayLinks allLinks = [] {
    RelayLinks links;
    links.fill(1);
    return links;
  }();
  for (std::size_t fitted = 0; fitted < RcuRelayLinks{}.size(); ++fitted) {
    RcuRelayLinks rcuLinks{};
    rcuLinks[fitted] = 1;
    const RelayLinkTest test(allLinks, rcuLinks, kModel4);
    for (int index = 0; index < 160; ++index) {
      const OutputPosition position = OutputPositionOf(obTermination, kModel4, index);
      ASSERT_EQ(test.IsRelayOutput(position.Board, 1, position.Output),
                static_cast<std::size_t>(index) == fitted);
      ASSERT_EQ(test.IsRelayOutputIndex(index), static_cast<std::size_t>(index) == fitted);
    }
  }
}

TEST(RelayLinks, OutputsOffTheBoardsAreNeverRelays) {
  RelayLinks links;
  links.fill(1);
  RcuRelayLinks rcuLinks;
  rcuLinks.fill(1);
  const RelayLinkTest other(links, rcuLinks, kOtherModel);
  const RelayLinkTest model4(links, rcuLinks, kModel4);
  EXPECT_TRUE(other.IsRelayOutput(8, 2, 32));
  EXPECT_FALSE(other.IsRelayOutput(9, 1, 1));
  EXPECT_FALSE(other.IsRelayOutput(0, 1, 1));
  EXPECT_FALSE(other.IsRelayOutput(1, 3, 1));
  EXPECT_FALSE(other.IsRelayOutput(1, 1, 33));
  EXPECT_FALSE(other.IsRelayOutput(1, 1, 0));
  EXPECT_FALSE(other.IsRelayOutputIndex(-1));
  EXPECT_FALSE(other.IsRelayOutputIndex(512));
  EXPECT_TRUE(model4.IsRelayOutput(10, 1, 16));
  EXPECT_FALSE(model4.IsRelayOutput(11, 1, 1));
  EXPECT_FALSE(model4.IsRelayOutput(1, 2, 1));
  EXPECT_FALSE(model4.IsRelayOutput(1, 1, 17));
  EXPECT_FALSE(model4.IsRelayOutputIndex(160));
  EXPECT_FALSE(model4.IsRelayOutputIndex(511));
}

TEST(RelayLinks, OnBoardTestNeedsTheOutputOnTheSelectedBoard) {
  RelayLinks links{};
  links[RelayLinkIndex(1, 0, 0)] = 1;  // board 2, bank 1, outputs 1..8
  const RelayLinkTest test(links, RcuRelayLinks{}, kOtherModel);
  EXPECT_TRUE(test.IsRelayOutputOnBoard(1, 64));
  EXPECT_TRUE(test.IsRelayOutputOnBoard(1, 71));
  EXPECT_FALSE(test.IsRelayOutputOnBoard(1, 72));
  EXPECT_FALSE(test.IsRelayOutputOnBoard(0, 64));
  EXPECT_FALSE(test.IsRelayOutputOnBoard(1, 0));
  RcuRelayLinks rcuLinks{};
  rcuLinks[RcuRelayLinkIndex(2, 5)] = 1;
  const RelayLinkTest model4(links, rcuLinks, kModel4);
  EXPECT_TRUE(model4.IsRelayOutputOnBoard(2, 37));
  EXPECT_FALSE(model4.IsRelayOutputOnBoard(1, 37));
  EXPECT_FALSE(model4.IsRelayOutputOnBoard(2, 36));
}

TEST(RelayLinks, FittingTheLinkOfAnOutputMakesItARelay) {
  for (const int model : {kOtherModel, kModel4}) {
    const int outputs = model == kModel4 ? 160 : 512;
    for (int index = 0; index < outputs; ++index) {
      RelayLinks links{};
      RcuRelayLinks rcuLinks{};
      FitRelayLinkOfOutputIndex(links, rcuLinks, model, index);
      ASSERT_TRUE(RelayLinkTest(links, rcuLinks, model).IsRelayOutputIndex(index));
    }
    RelayLinks links{};
    RcuRelayLinks rcuLinks{};
    FitRelayLinkOfOutputIndex(links, rcuLinks, model, outputs);
    FitRelayLinkOfOutputIndex(links, rcuLinks, model, -1);
    EXPECT_EQ(links, RelayLinks{});
    EXPECT_EQ(rcuLinks, RcuRelayLinks{});
  }
}

}  // namespace
}  // namespace trv
