#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "editor/editor_state.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;
class QWidget;

namespace trv {

class TEventPage;
class TSpinControl;

// The Board Rule and Zonal Rule pages with the input source and output groups they share with
// the event page, bound to the editor state: each user action goes to the state's handler, then
// Show puts the whole state on the widgets.
class TRulePages : public QObject {
 public:
  // The pages are RulePageControl's tab sheets; the widgets are created on them.
  TRulePages(TEditorState& state, QWidget& boardPage, QWidget& zonalPage, QWidget& eventPage);
  ~TRulePages() override;

  TEditorState& State() { return FState; }

  // One pass over the controls.
  void Show();
  void PageControlTabChange(EditorPage page);
  void LoadRuleIntoPage(const RuleRecord& rule);

 private:
  // A number field with its caption. A field of a shared group's copy is shown while that copy's
  // page holds the group (Holder: the state's page of the group; none for the event page's own).
  struct FieldBinding {
    EditorField Field;
    TSpinControl* Spin;
    QLabel* Caption;
    const EditorPage* Holder;
    EditorPage Page;
  };
  // The object names a copy of a shared group carries while its page is active, so that the
  // names always find the widgets in view.
  struct BindingNames {
    std::vector<std::pair<QObject*, QString>> Names;
    void Collect(QObject& root);
    void Apply(bool named) const;
    // The captions of a copy built the same way (a language module renames the copy in view).
    void TakeCaptionsFrom(const BindingNames& other) const;
  };
  // Each page that shows a shared group has its own copy of it, bound to the same state: moving
  // one set of widgets between the pages re-polished every one of them on every page change.
  struct InputGroupCopy {
    QGroupBox* InputSourceGroupBox = nullptr;
    QCheckBox* NetworkZoneCheckBox = nullptr;
    QCheckBox* LocalZoneCheckBox = nullptr;
    BindingNames Names;
  };
  struct OutputGroupCopy {
    QGroupBox* OutputGroupBox = nullptr;
    QTabWidget* OutputPageControl = nullptr;
    QLabel* TerminationBoardLabel = nullptr;
    QWidget* BankOutputPanel = nullptr;
    QLineEdit* TerminationEdit = nullptr;
    QLabel* OutputLabel = nullptr;
    QCheckBox* SteadyCheckBox = nullptr;
    QLineEdit* DriverEdit = nullptr;
    QGroupBox* EventModifierGroupBox = nullptr;
    QCheckBox* EventModifierCheckBox = nullptr;
    BindingNames Names;
  };
  // Where a page holds the shared groups.
  struct PageSlots {
    QVBoxLayout* Input = nullptr;
    QVBoxLayout* Output = nullptr;
  };

  void CreateInputSourceGroup(InputGroupCopy& c);
  void CreateOutputGroup(OutputGroupCopy& o);
  QWidget* CreateTerminationTab(OutputGroupCopy& o);
  QWidget* CreateDriverTab(OutputGroupCopy& o);
  void PlaceSharedGroups();
  void NameActiveCopies();
  template <typename Copy>
  void NameActiveCopy(std::array<Copy, kEditorPageCount>& copies, EditorPage& named,
                      EditorPage page);
  // The event choice of a page, and its Set Rule button.
  struct EventChoiceEntry {
    const char* Name;
    const ChoiceState& Choice;
    void (TEditorState::*Change)(int);
  };
  struct SetRuleEntry {
    const char* Name;
    void (TEditorState::*Click)();
  };
  // The Board or Zonal page: slots for the shared groups, its event choice and Set Rule.
  std::pair<QComboBox*, QPushButton*> CreateRulePage(QWidget& page, EditorPage editorPage,
                                                     const EventChoiceEntry& choice,
                                                     const SetRuleEntry& button);
  QComboBox* NewEventChoice(const EventChoiceEntry& entry);
  QPushButton* NewSetRuleButton(const SetRuleEntry& entry);
  QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* caption,
                         std::function<void(TEditorState&, bool)> click);
  // caption: the field's label, which becomes its buddy; none where a check box names the field.
  TSpinControl* NewField(QWidget* parent, EditorField field, QLabel* caption);
  // A number field with its caption label (its buddy) in a row of the grid; the label.
  struct NumberFieldNames {
    EditorField Field;
    const char* SpinName;
    const char* LabelName;
    const char* Caption;
  };
  QLabel* AddNumberField(QGridLayout& grid, int row, const NumberFieldNames& names);
  // Runs the state's handler, then shows the state; nothing while the state is being shown.
  template <typename Handler>
  void Forward(Handler handler) {
    if (FShowing) return;
    handler(FState);
    Show();
  }

  void ShowInputSource();
  void ShowOutputGroup();
  void ShowFields();
  static void ShowCheck(QCheckBox& box, const CheckState& state);

  TEditorState& FState;
  std::array<PageSlots, kEditorPageCount> FSlots{};
  std::vector<FieldBinding> FFields;
  // The copy being created, for its fields' bindings.
  const EditorPage* FCreatingHolder = nullptr;
  EditorPage FCreatingPage = epController;
  std::array<InputGroupCopy, kEditorPageCount> FInput{};
  std::array<OutputGroupCopy, kEditorPageCount> FOutput{};
  EditorPage FNamedInput = epController;  // the pages whose copies carry the names
  EditorPage FNamedOutput = epController;
  bool FShowing = false;
  std::unique_ptr<TEventPage> FEventPage;
  friend class TEventPage;

  QComboBox* BoardEventComboBox = nullptr;
  QPushButton* BoardSetRuleBitBtn = nullptr;
  QComboBox* ZonalEventComboBox = nullptr;
  QPushButton* ZonalSetRuleBitBtn = nullptr;
};

}  // namespace trv
