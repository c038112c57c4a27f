// The output group of the editor state: which termination or driver output a rule drives, and
// whether it is an LED or a relay.

#include "editor/editor_state.h"
#include "model/host_system_limits.h"
#include "model/relay_links.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

OutputNumberBox NumberBoxOf(int index) {
  return {FormatText("%4.d", index + 1), index};
}

OutputPosition PositionOf(const NumberField& board, const NumberField& bank,
                          const NumberField& output) {
  return {board.Value(), bank.Value(), output.Value()};
}

void SetPosition(NumberField& board, NumberField& bank, NumberField& output,
                 const OutputPosition& position) {
  board.SetValue(position.Board);
  bank.SetValue(position.Bank);
  output.SetValue(position.Output);
}

// A bank field, and its label, only when there is a choice of bank.
void ShowBankWhenChoice(NumberField& bank) {
  bank.SetVisible(bank.Max() > bank.Min());
}

}  // namespace

void TEditorState::OutputPageControlChange(OutputTab tab) {
  Output.Tab = tab;
  OutputDisplay();
}

void TEditorState::OutputChange() {
  OutputDisplay();
}

void TEditorState::SteadyClick(bool checked) {
  Output.Steady.Checked = checked;
}

void TEditorState::TurnOffClick(bool checked) {
  Output.TurnOff.Checked = checked;
}

// Model 4 on the large panels drives no steady LEDs of its own choosing.
bool TEditorState::SteadyShownForModel() const {
  return !IsSlimlineModel(Model()) || System() == kSystemKP10;
}

void TEditorState::OutputDisplay() {
  ShowBankWhenChoice(Output.TerminationBank);
  ShowBankWhenChoice(Output.DriverBank);
  if (Output.Tab == otTermination) {
    DisplayTerminationOutput();
  } else {
    DisplayDriverOutput();
  }
  const bool mainBoard = Output.TerminationBoard.Value() == 1;
  const int boardLabel = !IsSlimlineModel(Model()) ? string_id::kBoard
                         : mainBoard               ? string_id::kMainBoard
                                                   : string_id::kExpansionBoard;
  Output.TerminationBoardLabel = ActiveText(boardLabel);
}

void TEditorState::DisplayTerminationOutput() {
  const OutputPosition position =
      PositionOf(Output.TerminationBoard, Output.TerminationBank, Output.TerminationOutput);
  Output.TerminationEdit = NumberBoxOf(OutputIndexOf(obTermination, Model(), position));
  const RelayLinkTest links(Settings().RelayLinks, Settings().RcuRelayLinks, Model());
  const bool relay = links.IsRelayOutput(position.Board, position.Bank, position.Output);
  Output.OutputLabel = ActiveText(relay ? string_id::kRelay : string_id::kLed);
  Output.Steady.Visible = !relay && SteadyShownForModel();
}

void TEditorState::DisplayDriverOutput() {
  Output.Steady.Visible = SteadyShownForModel();
  const OutputPosition position =
      PositionOf(Output.DriverBoard, Output.DriverBank, Output.DriverOutput);
  Output.DriverEdit = NumberBoxOf(OutputIndexOf(obDriver, Model(), position));
}

OutputWord TEditorState::CaptureOutput() const {
  if (Output.Tab == otDriver) return OutputWord::Driver(Output.DriverEdit.Index);
  return OutputWord::Termination(Output.TerminationEdit.Index, !Output.Steady.Visible,
                                 Output.Steady.Checked);
}

void TEditorState::LoadOutput(OutputWord word) {
  if (word.IsTermination()) {
    SetPosition(Output.TerminationBoard, Output.TerminationBank, Output.TerminationOutput,
                OutputPositionOf(obTermination, Model(), word.Index()));
    Output.Steady.Checked = word.IsSteady();
    Output.Tab = otTermination;
  } else {
    SetPosition(Output.DriverBoard, Output.DriverBank, Output.DriverOutput,
                OutputPositionOf(obDriver, Model(), word.Index()));
    Output.Tab = otDriver;
  }
  OutputDisplay();
}

}  // namespace trv
