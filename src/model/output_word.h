#pragma once

#include <cstdint>

namespace trv {

// Model 4 ("Slimline Mimic") is the only model with its own hardware rules: termination boards of
// one bank of 16 outputs, up to 10 boards, and no driver boards.
inline constexpr int kSlimlineModelIndex = 4;
constexpr bool IsSlimlineModel(int modelIndex) {
  return modelIndex == kSlimlineModelIndex;
}

enum OutputBoardKind { obTermination, obDriver };

// An output by its board, bank and output numbers, all from 1.
struct OutputPosition {
  int Board = 1;
  int Bank = 1;
  int Output = 1;
  bool operator==(const OutputPosition&) const = default;
};

// Outputs on one board: termination 64 (model 4: 16), driver 8 (model 4 numbers its outputs as
// termination outputs).
int OutputsPerBoard(OutputBoardKind kind, int modelIndex);

// The output index (from 0) of a position, and back.
int OutputIndexOf(OutputBoardKind kind, int modelIndex, const OutputPosition& position);
OutputPosition OutputPositionOf(OutputBoardKind kind, int modelIndex, int index);

// The 16-bit output word of zonal and event rules, kept as the rule's signed 32-bit Output field.
class OutputWord {
 public:
  static constexpr std::int32_t kTypeShift = 12;
  static constexpr std::int32_t kTypeTermination = 8;
  static constexpr std::int32_t kTypeDriver = 12;
  static constexpr std::int32_t kRelayBit = 0x0800;
  static constexpr std::int32_t kTurnOffBit = 0x0400;  // zero in a rule; the image encoder sets it
  static constexpr std::int32_t kSteadyBit = 0x0200;
  static constexpr std::int32_t kIndexMask = 0x01FF;
  static constexpr int kMaxIndex = kIndexMask;

  constexpr explicit OutputWord(std::int32_t value) : FValue(value) {}

  // A termination output as captured: with the "Steady" choice hidden (the output is on a fitted
  // relay link, or model 4 on a KP4000 or KP6000) a relay and steady, otherwise an LED that is
  // steady when "Steady" is checked.
  static OutputWord Termination(int index, bool steadyHidden, bool steady);
  // A driver output as captured: always relay and steady.
  static OutputWord Driver(int index);

  constexpr std::int32_t Value() const { return FValue; }
  // Type 8 below 0x9000 (as unsigned) is a termination output; every other word a driver output.
  bool IsTermination() const;
  std::int32_t Type() const;
  bool IsRelay() const { return (FValue & kRelayBit) != 0; }
  bool IsSteady() const { return (FValue & kSteadyBit) != 0; }
  int Index() const { return FValue & kIndexMask; }

  bool operator==(const OutputWord&) const = default;

 private:
  std::int32_t FValue;
};

}  // namespace trv
