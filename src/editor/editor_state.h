#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "editor/control_states.h"
#include "editor/event_page.h"
#include "editor/number_field.h"
#include "editor/option_group.h"
#include "model/configuration.h"
#include "model/limits_entry.h"
#include "model/output_word.h"
#include "model/rule_record.h"
#include "model/rule_text.h"

namespace trv {

class TRuleListCommands;

// The pages of RulePageControl, in tab order.
enum EditorPage { epController, epBoard, epZonal, epEvent };
inline constexpr int kEditorPageCount = 4;

// The tabs of OutputPageControl.
enum OutputTab { otTermination, otDriver };

// The number fields of the pages, for the binding that forwards a user's entry.
enum class EditorField {
  Panel,
  FirstZone,
  LastZone,
  TerminationBoard,
  TerminationBank,
  TerminationOutput,
  DriverBoard,
  DriverBank,
  DriverOutput,
  EventPanel,
  EventLocalZone,
  EventLoop,
  EventAddress,
  EventNetworkZone,
  EventReference,
};

// A read-only number box: the LED or relay number it shows, and the output index behind it,
// which a captured rule takes.
struct OutputNumberBox {
  std::string Text;
  int Index = 0;
  bool operator==(const OutputNumberBox&) const = default;
};

// InputSourceGroupBox: shared by the Board and Zonal pages, shown on the active one.
struct InputSourceState {
  static constexpr int kNetworkZone = 1;  // positions of the board/zonal input limits entry
  static constexpr int kLocalZone = 2;

  OptionGroup Source{{kNetworkZone, kLocalZone}, kLocalZone};
  NumberField Panel;
  NumberField FirstZone;
  NumberField LastZone;
  EditorPage Page = epBoard;  // the page that holds the group

  bool NetworkZone() const { return Source.Checked(kNetworkZone); }
  bool operator==(const InputSourceState&) const = default;
};

struct BoardPageState {
  ChoiceState BoardEvent{kBoardEventChoiceTexts};
  bool operator==(const BoardPageState&) const = default;
};

struct ZonalPageState {
  ChoiceState ZonalEvent{kZonalEventChoiceTexts};
  bool operator==(const ZonalPageState&) const = default;
};

// OutputGroupBox: shared by the three rule pages, shown on the active one.
struct OutputGroupState {
  EditorPage Page = epBoard;  // the page that holds the group
  OutputTab Tab = otTermination;
  bool DriverTabVisible = true;
  bool TabsShown = true;  // false: the tabs shrunk to nothing and no tab stop (model 4)
  std::string TerminationBoardLabel;
  NumberField TerminationBoard;
  bool BankOutputPanelVisible = true;
  NumberField TerminationBank;
  NumberField TerminationOutput;
  OutputNumberBox TerminationEdit;
  std::string OutputLabel;  // "LED" or "Relay"
  CheckState Steady;
  NumberField DriverBoard;
  NumberField DriverBank;
  NumberField DriverOutput;
  OutputNumberBox DriverEdit;
  bool OutputModeVisible = false;  // EventModifierGroupBox, event page only
  CheckState TurnOff;

  bool operator==(const OutputGroupState&) const = default;
};

// The editor's pages as one state: what every control shows (visible, enabled, checked, value,
// range, items, captions) and the handlers that change it. The widgets only show this state and
// forward the user's actions to the handlers. The controller settings come from the
// configuration; the rule list commands choose the row a Set Rule writes and write it.
class TEditorState {
 public:
  TEditorState(Configuration& configuration, TRuleListCommands& ruleList);

  // Start-up, File New and File Open: each rule page runs its groups' handlers on its first visit.
  void MarkRulePagesForFirstVisit();
  // The rule pages after a change of the controller settings: host system limits, first choices,
  // output limits. The limits handlers run only when keeping the active pages.
  void RefreshRulePages(bool keepPages);

  // A limits entry onto its group and number field; runHandler runs the checked member's handler.
  void ApplyLimits(LimitsField field, const LimitsEntry& entry, bool runHandler);
  LimitsEntry CurrentLimitsEntry(LimitsField field) const;
  void SetOutputLimits();

  // The rule-page part of a change of RulePageControl's page.
  void PageControlTabChange(EditorPage page);

  void NetworkZoneClick(bool checked);
  void LocalZoneClick(bool checked);
  void FirstZoneChange();
  void BoardEventComboBoxChange(int index);
  void ZonalEventComboBoxChange(int index);
  // A value entered into a number field, with the handling that follows a change of it.
  void NumberFieldChange(EditorField field, std::int32_t value);

  void OutputPageControlChange(OutputTab tab);
  void OutputChange();
  void OutputDisplay();
  void SteadyClick(bool checked);
  void TurnOffClick(bool checked);

  // The working rule with the fields of the kind taken from the pages.
  RuleRecord CaptureBoardRule(RuleRecord rule) const;
  RuleRecord CaptureZonalRule(RuleRecord rule) const;
  OutputWord CaptureOutput() const;
  // A rule clicked in the grid into its page, which becomes the active one. Only board and zonal
  // rules fill their page; the event page's fields come with that page.
  void LoadRuleIntoPage(const RuleRecord& rule);

  void BoardSetRuleButtonClick();
  void ZonalSetRuleButtonClick();
  // The zone type of the input source in force: the other one disabled (and, for local zones,
  // the event page's network zone tab hidden). After a Set Rule and a Set Controller.
  void LockZoneType();

  // The Device/Event page's handlers that reach the other pages (event_page.cpp); its
  // own are those of Event.
  void EventPageChange(EventTab tab);
  void EventSetRuleButtonClick();
  RuleRecord CaptureEventRule(RuleRecord rule) const;

  // The editor's captions and fields that the rule text reads.
  RuleTextContext TextContext() const;

  NumberField& Field(EditorField field);
  const NumberField& Field(EditorField field) const;

  EditorPage Page = epController;
  InputSourceState Input;
  BoardPageState Board;
  ZonalPageState Zonal;
  OutputGroupState Output;
  EventPageState Event;

 private:
  const ControllerSettings& Settings() const { return FConfiguration.ControllerSettings; }
  int Model() const { return Settings().ModelIndex; }
  int System() const { return Settings().SystemIndex; }
  LimitsContext CurrentLimitsContext() const;
  NumberField& LimitsFieldOf(LimitsField field);
  void RunLimitsHandler(LimitsField field, std::optional<int> checkedPosition);
  void ApplyCurrentLimits(LimitsField field, bool runHandler);
  void ReapplyFirstZoneLimitsKeepingValue();
  void ReapplyZoneLimits();
  void VisitRulePage(EditorPage page);
  void MoveSharedGroups(EditorPage page);
  void ShowOutputTabsOfModel(EditorPage page);

  void InputSourceClick(int position, bool checked);
  void ChooseNetworkZone();
  void ChooseLocalZone();
  void LoadInputSource(const RuleRecord& rule);
  void LoadBoardRule(const RuleRecord& rule);
  void LoadZonalRule(const RuleRecord& rule);
  void LoadOutput(OutputWord word);
  void SetRule(RuleKind kind, int ruleLevel);
  void WriteWorkingRule(const RuleRecord& rule, int ruleLevel);
  void LoadEventRule(const RuleRecord& rule);
  bool ConfirmInvertRule();

  bool SteadyShownForModel() const;
  void DisplayTerminationOutput();
  void DisplayDriverOutput();

  Configuration& FConfiguration;
  TRuleListCommands& FRuleList;
  std::array<bool, kEditorPageCount> FFirstVisitPending{};
};

}  // namespace trv
