#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace trv {

// A set flag means the relay driving link of those outputs is fitted: they drive relays, not LEDs.
// A settings field of the same name must name these types qualified (trv::RelayLinks RelayLinks).

// Other models: [board 0..7][bank 0..1][group 0..3], group g covering outputs 8g+1..8g+8.
inline constexpr int kRelayLinkBoards = 8;
inline constexpr int kRelayLinkBanks = 2;
inline constexpr int kRelayLinkGroups = 4;
inline constexpr int kOutputsPerRelayLinkGroup = 8;
using RelayLinks = std::array<std::uint8_t, kRelayLinkBoards * kRelayLinkBanks * kRelayLinkGroups>;

// Model 4: [board 0..9][output 0..15].
inline constexpr int kRcuRelayLinkBoards = 10;
inline constexpr int kRcuRelayLinkOutputs = 16;
using RcuRelayLinks = std::array<std::uint8_t, kRcuRelayLinkBoards * kRcuRelayLinkOutputs>;

// Flat indexes, all arguments from 0.
constexpr std::size_t RelayLinkIndex(int board, int bank, int group) {
  return static_cast<std::size_t>(board * kRelayLinkBanks * kRelayLinkGroups +
                                  bank * kRelayLinkGroups + group);
}
constexpr std::size_t RcuRelayLinkIndex(int board, int output) {
  return static_cast<std::size_t>(board * kRcuRelayLinkOutputs + output);
}

// The relay links of a controller, read through the numbering of its model. It keeps its own copy
// of the links (224 bytes).
class RelayLinkTest {
 public:
  RelayLinkTest(const RelayLinks& links, const RcuRelayLinks& rcuLinks, int modelIndex)
      : FLinks(links), FRcuLinks(rcuLinks), FModelIndex(modelIndex) {}

  // Termination output (board, bank, output), all from 1; false for an output off the boards.
  bool IsRelayOutput(int board, int bank, int output) const;
  // Termination output by its output index; false for an index off the boards.
  bool IsRelayOutputIndex(int outputIndex) const;
  // True when the termination output index lies on boardIndex (from 0) and its link is fitted.
  bool IsRelayOutputOnBoard(int boardIndex, int outputIndex) const;

 private:
  RelayLinks FLinks;
  RcuRelayLinks FRcuLinks;
  int FModelIndex;
};

// The flat index of the link that serves a termination output index, in the array of the model
// (RcuRelayLinks for model 4, RelayLinks otherwise); none when the index is off the boards.
std::optional<std::size_t> RelayLinkOfOutputIndex(int modelIndex, int outputIndex);

// Fits the link that serves a termination output index (nothing for an index off the boards).
void FitRelayLinkOfOutputIndex(RelayLinks& links, RcuRelayLinks& rcuLinks, int modelIndex,
                               int outputIndex);

}  // namespace trv
