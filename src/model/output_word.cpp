#include "model/output_word.h"

namespace trv {
namespace {

constexpr int kTerminationOutputsPerBank = 32;
constexpr int kTerminationBanks = 2;
constexpr int kSlimlineOutputsPerBoard = 16;
constexpr int kDriverOutputsPerBoard = 8;

// Model 4 and driver boards have one bank; a position's bank then adds as much as a board does.
int OutputsPerBank(OutputBoardKind kind, int modelIndex) {
  if (kind == obTermination && !IsSlimlineModel(modelIndex)) return kTerminationOutputsPerBank;
  return OutputsPerBoard(kind, modelIndex);
}

int BanksPerBoard(OutputBoardKind kind, int modelIndex) {
  return OutputsPerBoard(kind, modelIndex) / OutputsPerBank(kind, modelIndex);
}

}  // namespace

int OutputsPerBoard(OutputBoardKind kind, int modelIndex) {
  if (IsSlimlineModel(modelIndex)) return kSlimlineOutputsPerBoard;
  return kind == obTermination ? kTerminationBanks * kTerminationOutputsPerBank
                               : kDriverOutputsPerBoard;
}

int OutputIndexOf(OutputBoardKind kind, int modelIndex, const OutputPosition& position) {
  return (position.Board - 1) * OutputsPerBoard(kind, modelIndex) +
         (position.Bank - 1) * OutputsPerBank(kind, modelIndex) + (position.Output - 1);
}

OutputPosition OutputPositionOf(OutputBoardKind kind, int modelIndex, int index) {
  const int perBoard = OutputsPerBoard(kind, modelIndex);
  const int perBank = OutputsPerBank(kind, modelIndex);
  return {.Board = index / perBoard + 1,
          .Bank = (index / perBank) % BanksPerBoard(kind, modelIndex) + 1,
          .Output = index % perBank + 1};
}

OutputWord OutputWord::Termination(int index, bool steadyHidden, bool steady) {
  const std::int32_t flags = steadyHidden ? kRelayBit | kSteadyBit : (steady ? kSteadyBit : 0);
  return OutputWord((kTypeTermination << kTypeShift) | flags | (index & kIndexMask));
}

OutputWord OutputWord::Driver(int index) {
  return OutputWord((kTypeDriver << kTypeShift) | kRelayBit | kSteadyBit | (index & kIndexMask));
}

std::int32_t OutputWord::Type() const {
  return (FValue >> kTypeShift) & 0xF;
}

bool OutputWord::IsTermination() const {
  constexpr std::uint32_t kFirstAboveTermination = 0x9000;
  return static_cast<std::uint32_t>(FValue) < kFirstAboveTermination && Type() == kTypeTermination;
}

}  // namespace trv
