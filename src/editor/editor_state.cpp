#include "editor/editor_state.h"

#include <stdexcept>
#include <string>

#include "model/controller_settings.h"
#include "model/host_system_limits.h"

namespace trv {

TEditorState::TEditorState(Configuration& configuration, TRuleListCommands& ruleList)
    : Event(configuration.ControllerSettings), FConfiguration(configuration), FRuleList(ruleList) {}

void TEditorState::MarkRulePagesForFirstVisit() {
  FFirstVisitPending = {false, true, true, true};
}

LimitsContext TEditorState::CurrentLimitsContext() const {
  return {.SystemIndex = System(),
          .NetworkZoneMode = IsNetworkZoneMode(Settings().ZoneMode),
          .Variant = {.ModelIndex = Model(),
                      .NetworkFitted = Settings().NetworkFitted != 0,
                      .VdsChecked = IsVdsZoneMode(Settings().ZoneMode)}};
}

LimitsEntry TEditorState::CurrentLimitsEntry(LimitsField field) const {
  return LimitsEntryOf(field, CurrentLimitsContext());
}

NumberField& TEditorState::LimitsFieldOf(LimitsField field) {
  switch (field) {
    case lfBoardZonalInput:
      return Input.Panel;
    case lfFirstZone:
      return Input.FirstZone;
    case lfLastZone:
      return Input.LastZone;
    default:
      throw std::invalid_argument("limits field " + std::to_string(field) +
                                  " has no field on the board and zonal pages");
  }
}

void TEditorState::ApplyLimits(LimitsField field, const LimitsEntry& entry, bool runHandler) {
  if (field >= lfEventPanel) {  // the event page's fields close the list
    Event.ApplyLimits(field, entry, runHandler);
    return;
  }
  NumberField& numberField = LimitsFieldOf(field);
  const std::optional<int> checked =
      field == lfBoardZonalInput ? Input.Source.ApplyLimits(entry) : std::nullopt;
  FieldLimits limits = entry.Limits;
  if (field == lfFirstZone && Page == epBoard) {
    limits = BoardRuleFirstZoneLimits(limits, BoardRuleSpan(Model(), Board.BoardEvent.Index));
  }
  numberField.SetLimits(limits);
  if (runHandler) RunLimitsHandler(field, checked);
}

void TEditorState::RunLimitsHandler(LimitsField field, std::optional<int> checkedPosition) {
  if (field == lfFirstZone) FirstZoneChange();
  if (field != lfBoardZonalInput || !checkedPosition) return;
  if (*checkedPosition == InputSourceState::kNetworkZone) NetworkZoneClick(true);
  if (*checkedPosition == InputSourceState::kLocalZone) LocalZoneClick(true);
}

void TEditorState::ApplyCurrentLimits(LimitsField field, bool runHandler) {
  ApplyLimits(field, CurrentLimitsEntry(field), runHandler);
}

void TEditorState::ReapplyFirstZoneLimitsKeepingValue() {
  const std::int32_t firstZone = Input.FirstZone.Value();
  ApplyCurrentLimits(lfFirstZone, false);
  Input.FirstZone.SetValue(firstZone);
}

void TEditorState::RefreshRulePages(bool keepPages) {
  for (LimitsField field :
       {lfBoardZonalInput, lfFirstZone, lfLastZone, lfEventPanel, lfEventLoop, lfEventAddress,
        lfEventNetworkZone, lfEventLocalZone, lfEventReference}) {
    ApplyCurrentLimits(field, keepPages);
  }
  Event.NetworkTabVisible =
      HostSystemLimitsOf(System(), CurrentLimitsContext().Variant).NetworkZonePage;
  Board.BoardEvent.Index = 0;
  Zonal.ZonalEvent.Index = 0;
  Output.Tab = otTermination;
  PageControlTabChange(Page);
  SetOutputLimits();
  Output.Steady = {};
  Output.TurnOff.Checked = false;
  OutputDisplay();
  Event.RefreshForSystem();
}

void TEditorState::SetOutputLimits() {
  const OutputLimits limits = OutputLimitsOf(Model());
  const auto setRange = [](NumberField& field, std::int32_t max) {
    field.SetMin(1);
    field.SetMax(max);
    field.SetValue(field.Min());
  };
  setRange(Output.TerminationBoard, limits.TerminationBoardMax);
  setRange(Output.TerminationBank, limits.TerminationBankMax);
  setRange(Output.TerminationOutput, limits.TerminationOutputMax);
  setRange(Output.DriverBoard, limits.DriverBoardMax);
  setRange(Output.DriverBank, limits.DriverBankMax);
  setRange(Output.DriverOutput, limits.DriverOutputMax);
}

void TEditorState::VisitRulePage(EditorPage page) {
  if (!FFirstVisitPending[page]) return;
  FFirstVisitPending[page] = false;
  if (page == epEvent) {
    Event.RunCheckedHandlers();
    return;
  }
  RunLimitsHandler(lfBoardZonalInput, Input.Source.CheckedPosition());
  RunLimitsHandler(lfFirstZone, std::nullopt);
}

void TEditorState::PageControlTabChange(EditorPage page) {
  Page = page;
  if (page == epController) return;
  VisitRulePage(page);
  ReapplyFirstZoneLimitsKeepingValue();
  MoveSharedGroups(page);
  Output.OutputModeVisible = page == epEvent;
  Output.BankOutputPanelVisible = page != epBoard;
  Input.LastZone.SetEnabled(page != epBoard);  // on the Board page it follows the first zone
  if (page == epBoard) FirstZoneChange();
  ShowOutputTabsOfModel(page);
  OutputDisplay();
}

void TEditorState::MoveSharedGroups(EditorPage page) {
  if (page != epEvent) Input.Page = page;
  Output.Page = page;
}

void TEditorState::ShowOutputTabsOfModel(EditorPage page) {
  const bool slimline = IsSlimlineModel(Model());
  Output.DriverTabVisible = !slimline && page != epBoard;
  Output.TabsShown = !slimline;
  if (!Output.DriverTabVisible) Output.Tab = otTermination;
}

NumberField& TEditorState::Field(EditorField field) {
  switch (field) {
    case EditorField::Panel:
      return Input.Panel;
    case EditorField::FirstZone:
      return Input.FirstZone;
    case EditorField::LastZone:
      return Input.LastZone;
    case EditorField::TerminationBoard:
      return Output.TerminationBoard;
    case EditorField::TerminationBank:
      return Output.TerminationBank;
    case EditorField::TerminationOutput:
      return Output.TerminationOutput;
    case EditorField::DriverBoard:
      return Output.DriverBoard;
    case EditorField::DriverBank:
      return Output.DriverBank;
    case EditorField::DriverOutput:
      return Output.DriverOutput;
    case EditorField::EventPanel:
      return Event.Panel.Field;
    case EditorField::EventLocalZone:
      return Event.LocalZone.Field;
    case EditorField::EventLoop:
      return Event.Loop.Field;
    case EditorField::EventAddress:
      return Event.Address.Field;
    case EditorField::EventNetworkZone:
      return Event.NetworkZone.Field;
    case EditorField::EventReference:
      return Event.Reference.Field;
  }
  throw std::invalid_argument("unknown editor field");
}

const NumberField& TEditorState::Field(EditorField field) const {
  return const_cast<TEditorState&>(*this).Field(field);
}

void TEditorState::NumberFieldChange(EditorField field, std::int32_t value) {
  Field(field).SetValue(value);
  switch (field) {
    case EditorField::Panel:
    case EditorField::LastZone:
    case EditorField::EventPanel:
    case EditorField::EventLocalZone:
    case EditorField::EventLoop:
    case EditorField::EventAddress:
    case EditorField::EventNetworkZone:
    case EditorField::EventReference:
      return;
    case EditorField::FirstZone:
      FirstZoneChange();
      return;
    default:
      OutputChange();
  }
}

RuleTextContext TEditorState::TextContext() const {
  RuleTextContext context = RuleTextContextOf(Settings());
  context.TerminationBankHasRange = Output.TerminationBank.Max() > Output.TerminationBank.Min();
  context.LastZoneMax = Input.LastZone.Max();
  return context;
}

}  // namespace trv
