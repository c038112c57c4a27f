#pragma once

#include <QComboBox>
#include <array>
#include <functional>
#include <vector>

#include "editor/editor_state.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QVBoxLayout;
class QWidget;

namespace trv {

class TRulePages;

// A drop-down list that says when it is dropped down, so that its items can be refilled first.
class TDropDownComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> OnDropDown;
  void showPopup() override;
};

// The Device/Event Rule page's own widgets, bound to the editor state's event page through the
// rule pages that own it. The device-type panel sits under the tabs and serves whichever is
// active.
class TEventPage {
 public:
  TEventPage(TRulePages& pages, QWidget& page);

  // Where the page holds the output group.
  QVBoxLayout& OutputSlot() { return *FOutputSlot; }
  void Show(const EventPageState& state);

 private:
  // The check boxes of one option group, by member position.
  struct ChoiceBoxes {
    EventChoice EventPageState::*Choice;
    std::vector<std::pair<int, QCheckBox*>> Boxes;
  };
  struct BoxEntry {
    int Position;
    const char* Name;
    const char* Caption;
    void (EventPageState::*Click)(bool);
  };

  QWidget* CreateLocalTab();
  QWidget* CreateNetworkTab();
  QWidget* CreateDevicePanel();
  QWidget* CreateEventGroup();
  QCheckBox* NewBox(QWidget* parent, const char* name, const char* caption,
                    void (EventPageState::*click)(bool));
  // A group's boxes and field on one row of the grid, or the boxes alone.
  void AddChoiceRow(QGridLayout& grid, int row, EventChoice EventPageState::*choice,
                    std::initializer_list<BoxEntry> boxes);
  void AddField(QGridLayout& grid, int row, EditorField field, const char* name,
                const char* accessibleName);
  void ShowDevicePanel(const EventPageState& state);

  TRulePages& FPages;
  std::vector<ChoiceBoxes> FChoices;
  QVBoxLayout* FOutputSlot = nullptr;
  const std::string_view* FShownTypes = nullptr;  // the list the drop-down holds

  QTabWidget* EventPageControl = nullptr;
  QCheckBox* EventGeneralCheckBox = nullptr;
  QWidget* DeviceTypePanel = nullptr;
  QRadioButton* SensorRadioButton = nullptr;
  QRadioButton* ModuleRadioButton = nullptr;
  QLabel* TypeLabel = nullptr;
  TDropDownComboBox* DeviceTypeComboBox = nullptr;
  std::array<QCheckBox*, kEventCount> FEventBoxes{};
  QPushButton* EventSetRuleBitBtn = nullptr;
};

}  // namespace trv
