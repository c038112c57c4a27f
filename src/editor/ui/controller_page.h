#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <span>

#include "editor/controller_state.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QWidget;

namespace trv {

class TSpinControl;

// The Controller page bound to the controller state: each user action goes to the state's
// handler, then Show puts the whole state on the widgets and Changed tells the window, whose rule
// pages and tabs follow the settings.
class TControllerPage : public QObject {
 public:
  // The page is RulePageControl's ControllerTabSheet; the widgets are created on it.
  TControllerPage(TControllerState& state, QWidget& page);

  // After every user action on the page, once the page shows the state.
  std::function<void()> Changed;

  // One pass over the controls.
  void Show();

 private:
  QGroupBox* CreateDescriptionGroup();
  QWidget* CreateBuzzerOptionsPanel();
  QGroupBox* CreateBoardInstallationGroup();
  using LinkBoxText = std::function<QString(int)>;
  QGroupBox* CreateLinkGroup(const char* name, std::span<QCheckBox*> boxes,
                             const LinkBoxText& boxName, const LinkBoxText& boxCaption,
                             const LinkBoxText& rowCaption);
  QGroupBox* CreateMimicLinkGroup();
  QGroupBox* CreateRcuLinkGroup();
  QComboBox* NewComboBox(QWidget* parent, const char* name, const ComboState& state,
                         void (TControllerState::*change)(int));
  QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* caption,
                         void (TControllerState::*click)(bool));
  QRadioButton* NewRadioButton(QWidget* parent, const char* name, const char* caption,
                               void (TControllerState::*click)());
  TSpinControl* NewField(QWidget* parent, const char* name, QLabel* caption,
                         void (TControllerState::*change)(std::int32_t));
  QCheckBox* NewRelayLinkBox(QWidget* parent, const QString& name, const QString& caption, int box);
  // Runs the state's handler, shows the state, then tells the window; nothing while showing.
  template <typename Handler>
  void Forward(Handler handler);

  void ShowDescription();
  void ShowBuzzerOptions();
  void ShowBoardInstallation();
  void ShowRelayLinkTabs();

  TControllerState& FState;
  bool FShowing = false;

  QComboBox* ControllerModelComboBox = nullptr;
  QComboBox* ControllerSystemComboBox = nullptr;
  QCheckBox* VdSCheckBox = nullptr;
  QCheckBox* KPNetCheckBox = nullptr;
  QRadioButton* LocalZoneRadioButton = nullptr;
  QRadioButton* NetworkZoneRadioButton = nullptr;
  QCheckBox* ControllerAddressDIPCheckBox = nullptr;
  QCheckBox* ControllerAddressSoftCheckBox = nullptr;
  TSpinControl* ControllerAddressCSpinEdit = nullptr;
  QLabel* ListenOnly = nullptr;
  QLineEdit* ControllerUnitEdit = nullptr;
  QComboBox* ControllerBuzzerComboBox = nullptr;
  QWidget* BuzzerOptionsPanel = nullptr;
  QCheckBox* BuzzerSoundCheckBox = nullptr;
  QCheckBox* BuzzerControlCheckBox = nullptr;
  TSpinControl* BuzzerDisableCSpinEdit = nullptr;
  TSpinControl* MutedTechAlarmIntervalCSpinEdit = nullptr;
  QLabel* ControllerMuteLabel = nullptr;
  QComboBox* ControllerMuteComboBox = nullptr;
  QGroupBox* BoardInstallationGroupBox = nullptr;
  TSpinControl* ControllerBoardCSpinEdit = nullptr;
  QLabel* BoardTypeLabel = nullptr;
  QTabBar* tbcRelayDrivingLinks = nullptr;
  QGroupBox* MimicControllerOutputGroupBox = nullptr;
  QGroupBox* RCUControllerOutputGroupBox = nullptr;
  std::array<QCheckBox*, kRelayLinkBanks * kRelayLinkGroups> FMimicLinkBoxes{};
  std::array<QCheckBox*, RelayLinkBoardState::kBoxes> FRcuLinkBoxes{};
  QPushButton* ControllerSetBitBtn = nullptr;
};

}  // namespace trv
