#include "model/relay_links.h"

#include "model/output_word.h"

namespace trv {
namespace {

bool IsOnBoards(const OutputPosition& position, int boards, int banks, int outputs) {
  return position.Board >= 1 && position.Board <= boards && position.Bank >= 1 &&
         position.Bank <= banks && position.Output >= 1 && position.Output <= outputs;
}

std::optional<std::size_t> RelayLinkOfPosition(int modelIndex, const OutputPosition& position) {
  if (IsSlimlineModel(modelIndex)) {
    if (!IsOnBoards(position, kRcuRelayLinkBoards, 1, kRcuRelayLinkOutputs)) return std::nullopt;
    return RcuRelayLinkIndex(position.Board - 1, position.Output - 1);
  }
  if (!IsOnBoards(position, kRelayLinkBoards, kRelayLinkBanks,
                  kRelayLinkGroups * kOutputsPerRelayLinkGroup)) {
    return std::nullopt;
  }
  return RelayLinkIndex(position.Board - 1, position.Bank - 1,
                        (position.Output - 1) / kOutputsPerRelayLinkGroup);
}

std::optional<OutputPosition> PositionOfIndex(int modelIndex, int outputIndex) {
  if (outputIndex < 0) return std::nullopt;
  return OutputPositionOf(obTermination, modelIndex, outputIndex);
}

}  // namespace

std::optional<std::size_t> RelayLinkOfOutputIndex(int modelIndex, int outputIndex) {
  const auto position = PositionOfIndex(modelIndex, outputIndex);
  if (!position) return std::nullopt;
  return RelayLinkOfPosition(modelIndex, *position);
}

bool RelayLinkTest::IsRelayOutput(int board, int bank, int output) const {
  const auto link = RelayLinkOfPosition(FModelIndex, {board, bank, output});
  if (!link) return false;
  return (IsSlimlineModel(FModelIndex) ? FRcuLinks[*link] : FLinks[*link]) != 0;
}

bool RelayLinkTest::IsRelayOutputIndex(int outputIndex) const {
  const auto position = PositionOfIndex(FModelIndex, outputIndex);
  return position && IsRelayOutput(position->Board, position->Bank, position->Output);
}

bool RelayLinkTest::IsRelayOutputOnBoard(int boardIndex, int outputIndex) const {
  const auto position = PositionOfIndex(FModelIndex, outputIndex);
  return position && position->Board == boardIndex + 1 &&
         IsRelayOutput(position->Board, position->Bank, position->Output);
}

void FitRelayLinkOfOutputIndex(RelayLinks& links, RcuRelayLinks& rcuLinks, int modelIndex,
                               int outputIndex) {
  const auto link = RelayLinkOfOutputIndex(modelIndex, outputIndex);
  if (!link) return;
  (IsSlimlineModel(modelIndex) ? rcuLinks[*link] : links[*link]) = 1;
}

}  // namespace trv
