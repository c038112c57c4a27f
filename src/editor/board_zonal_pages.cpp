// The Board and Zonal pages of the editor state: the input source, the zones, the event choices,
// and their rules.

#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "model/host_system_limits.h"
#include "model/required_system.h"
#include "model/zone_range.h"

namespace trv {

void TEditorState::NetworkZoneClick(bool checked) {
  InputSourceClick(InputSourceState::kNetworkZone, checked);
}

void TEditorState::LocalZoneClick(bool checked) {
  InputSourceClick(InputSourceState::kLocalZone, checked);
}

// Unchecking the checked member chooses the other one, unless the zone type lock disabled it.
void TEditorState::InputSourceClick(int position, bool checked) {
  const int other = position == InputSourceState::kNetworkZone ? InputSourceState::kLocalZone
                                                               : InputSourceState::kNetworkZone;
  const int chosen = checked || !Input.Source.Member(other).Enabled ? position : other;
  Input.Source.Check(chosen);
  if (chosen == InputSourceState::kNetworkZone) {
    ChooseNetworkZone();
  } else {
    ChooseLocalZone();
  }
}

void TEditorState::ChooseNetworkZone() {
  Event.SwitchTab(etNetwork);
  Input.Panel.SetEnabled(false);
  ReapplyZoneLimits();
}

void TEditorState::ChooseLocalZone() {
  Event.SwitchTab(etLocal);
  Input.Panel.SetEnabled(true);
  ReapplyZoneLimits();
}

void TEditorState::ReapplyZoneLimits() {
  ApplyCurrentLimits(lfFirstZone, false);
  ApplyCurrentLimits(lfLastZone, false);
  FirstZoneChange();
}

void TEditorState::FirstZoneChange() {
  const std::int32_t firstZone = Input.FirstZone.Value();
  if (Page == epBoard) {
    Input.LastZone.SetValue(firstZone + BoardRuleSpan(Model(), Board.BoardEvent.Index) - 1);
  }
  Input.LastZone.SetMin(firstZone);
}

void TEditorState::BoardEventComboBoxChange(int index) {
  Board.BoardEvent.Index = index;
  ReapplyFirstZoneLimitsKeepingValue();
  FirstZoneChange();
}

void TEditorState::ZonalEventComboBoxChange(int index) {
  Zonal.ZonalEvent.Index = index;
}

RuleRecord TEditorState::CaptureBoardRule(RuleRecord rule) const {
  rule.Kind = rkBoard;
  rule.Panel = Input.NetworkZone() ? kNetworkZonePanel : Input.Panel.Value();
  rule.Zone = Input.FirstZone.Value();
  rule.Events = Board.BoardEvent.Index;
  rule.Modifier = Output.TerminationBoard.Value();
  return rule;
}

RuleRecord TEditorState::CaptureZonalRule(RuleRecord rule) const {
  rule.Kind = rkZonal;
  rule.Panel = Input.NetworkZone() ? kNetworkZonePanel : Input.Panel.Value();
  rule.Zone = ZoneRange{Input.FirstZone.Value(), Input.LastZone.Value()}.Packed();
  rule.Events = Zonal.ZonalEvent.Index;
  rule.Output = CaptureOutput().Value();
  return rule;
}

void TEditorState::LoadRuleIntoPage(const RuleRecord& rule) {
  switch (rule.Kind) {
    case rkBoard:
      PageControlTabChange(epBoard);
      LoadBoardRule(rule);
      break;
    case rkZonal:
      PageControlTabChange(epZonal);
      LoadZonalRule(rule);
      break;
    case rkEventLocal:
    case rkEventGeneral:
    case rkEventNetwork:
      PageControlTabChange(epEvent);
      LoadEventRule(rule);
      break;
    default:
      break;
  }
}

void TEditorState::LoadInputSource(const RuleRecord& rule) {
  if (rule.Panel == kNetworkZonePanel) {
    Input.Source.Check(InputSourceState::kNetworkZone);
    Input.Panel.SetValue(Input.Panel.Min());
    NetworkZoneClick(true);
  } else {
    Input.Source.Check(InputSourceState::kLocalZone);
    Input.Panel.SetValue(rule.Panel);
    LocalZoneClick(true);
  }
}

// The event choice goes first: it sets how far the first zone may go.
void TEditorState::LoadBoardRule(const RuleRecord& rule) {
  LoadInputSource(rule);
  BoardEventComboBoxChange(rule.Events);
  Input.FirstZone.SetValue(rule.Zone);
  FirstZoneChange();
  Output.TerminationBoard.SetValue(rule.Modifier);
  OutputDisplay();
}

void TEditorState::LoadZonalRule(const RuleRecord& rule) {
  LoadInputSource(rule);
  const ZoneRange zones = ZoneRange::Unpack(rule.Zone);
  Input.FirstZone.SetValue(zones.First);
  FirstZoneChange();
  Input.LastZone.SetValue(zones.Last);
  ZonalEventComboBoxChange(rule.Events);
  LoadOutput(OutputWord(rule.Output));
}

void TEditorState::BoardSetRuleButtonClick() {
  SetRule(rkBoard, RequiredSystemOfBoardRule(Input.NetworkZone(), Input.Panel.Value(),
                                             Input.LastZone.Value()));
}

void TEditorState::ZonalSetRuleButtonClick() {
  SetRule(rkZonal, RequiredSystemOfZonalRule(Input.NetworkZone(), Input.Panel.Value(),
                                             Input.LastZone.Value()));
}

void TEditorState::SetRule(RuleKind kind, int ruleLevel) {
  if (!FRuleList.ChooseTargetRow()) return;
  const RuleRecord& working = FConfiguration.WorkingRule;
  WriteWorkingRule(kind == rkBoard ? CaptureBoardRule(working) : CaptureZonalRule(working),
                   ruleLevel);
  LockZoneType();
}

void TEditorState::WriteWorkingRule(const RuleRecord& rule, int ruleLevel) {
  FConfiguration.WorkingRule = rule;
  FRuleList.AppendOrOverwrite(static_cast<RuleKind>(rule.Kind));
  FConfiguration.RequiredSystem = RaisedRequiredSystem(FConfiguration.RequiredSystem, ruleLevel);
}

// The rules of one configuration all take their zones from one zone type.
void TEditorState::LockZoneType() {
  if (Input.NetworkZone()) {
    Input.Source.SetEnabled(InputSourceState::kLocalZone, false);
    return;
  }
  Input.Source.SetEnabled(InputSourceState::kNetworkZone, false);
  Event.SwitchTab(etLocal);
  Event.NetworkTabVisible = false;
}

}  // namespace trv
