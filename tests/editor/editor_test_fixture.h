#pragma once

#include <string>

#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "editor/rule_list_listener.h"
#include "model/host_system_limits.h"
#include "model/string_table.h"
#include "scripted_user_queries_fixture.h"

namespace trv {

// The window around the grid, which these tests do not look at.
struct NoWindow : RuleListListener {
  void SetGridCaption(const std::string&) override {}
  void EnableRuleListCommands(bool) override {}
  void ShowRequiredSystem(int) override {}
  void LoadRuleIntoPage(const RuleRecord&) override {}
  void RefreshTitle() override {}
  bool DataPanelVisible() const override { return true; }
  bool GridVisible() const override { return true; }
  void FocusGrid() override {}
  void RulesChanged() override { ++Changes; }
  int Changes = 0;
};

struct Controller {
  int Model = 0;
  int System = kSystemKP6000;
  bool NetworkZones = false;
};

template <typename Base = ::testing::Test>
class EditorTest : public test::WithScriptedUserQueries<Base> {
 public:
  EditorTest() {
    ResetActiveStrings();
    Start({});
  }

  // The editor as the settings page leaves it after the controller is set.
  void Start(const Controller& controller) {
    ControllerSettings& settings = FConfiguration.ControllerSettings;
    settings.ModelIndex = controller.Model;
    settings.SystemIndex = static_cast<std::int8_t>(controller.System);
    settings.ZoneMode = ZoneModeOf(controller.NetworkZones, false);
    FCommands.SetUpWorkbook(true);
    FState.MarkRulePagesForFirstVisit();
    FState.RefreshRulePages(true);
  }

  void SetRule(EditorPage page) {
    if (page == epBoard) {
      FState.BoardSetRuleButtonClick();
    } else {
      FState.ZonalSetRuleButtonClick();
    }
  }
  std::string Text(int row, int column) {
    return FConfiguration.MimicBook.Text(kRuleTextSheet, row, column);
  }
  void ActivateRow(int row) { FConfiguration.MimicBook.SetActiveCell(row, 1); }

  Configuration FConfiguration{"/nonexistent/trv", "/nonexistent/trv/Data"};
  NoWindow FWindow;
  TRuleListCommands FCommands{FConfiguration, this->FQueries, FWindow};
  TEditorState FState{FConfiguration, FCommands};
};

}  // namespace trv
