#include "editor/ui/controller_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <span>

#include "controls/spin_control.h"
#include "editor/ui/named_widget.h"

namespace trv {
namespace {

constexpr int kFieldWidth = 84;
constexpr int kLinkBoxesInARow = 4;

QLabel* NewCaption(QWidget* parent, const char* name, const char* caption, QWidget* buddy) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->setBuddy(buddy);
  return label;
}

// A column of rows without margins, as a panel inside a group.
QVBoxLayout* NewTightColumn(QWidget* widget) {
  auto* layout = new QVBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  return layout;
}

}  // namespace

TControllerPage::TControllerPage(TControllerState& state, QWidget& page) : FState(state) {
  auto* layout = new QVBoxLayout(&page);
  layout->setSpacing(4);
  layout->addWidget(CreateDescriptionGroup());
  layout->addWidget(CreateBoardInstallationGroup());
  layout->addStretch();
  ControllerSetBitBtn = Named(new QPushButton("Set Controller", &page), "ControllerSetBitBtn");
  connect(ControllerSetBitBtn, &QPushButton::clicked, this,
          [this] { Forward([](TControllerState& s) { s.ControllerSetButtonClick(); }); });
  layout->addWidget(ControllerSetBitBtn, 0, Qt::AlignRight);
  Show();
}

template <typename Handler>
void TControllerPage::Forward(Handler handler) {
  if (FShowing) return;
  handler(FState);
  Show();
  if (Changed) Changed();
}

QComboBox* TControllerPage::NewComboBox(QWidget* parent, const char* name, const ComboState& state,
                                        void (TControllerState::*change)(int)) {
  auto* combo = Named(new QComboBox(parent), name);
  for (std::string_view item : state.Choice.Items) {
    combo->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
  }
  connect(combo, &QComboBox::activated, this,
          [this, change](int index) { Forward([&](TControllerState& s) { (s.*change)(index); }); });
  return combo;
}

QCheckBox* TControllerPage::NewCheckBox(QWidget* parent, const char* name, const char* caption,
                                        void (TControllerState::*click)(bool)) {
  auto* box = Named(new QCheckBox(caption, parent), name);
  connect(box, &QCheckBox::clicked, this, [this, click](bool checked) {
    Forward([&](TControllerState& s) { (s.*click)(checked); });
  });
  return box;
}

QRadioButton* TControllerPage::NewRadioButton(QWidget* parent, const char* name,
                                              const char* caption,
                                              void (TControllerState::*click)()) {
  auto* button = Named(new QRadioButton(caption, parent), name);
  button->setAutoExclusive(false);  // the state checks one of the two
  connect(button, &QRadioButton::clicked, this,
          [this, click] { Forward([&](TControllerState& s) { (s.*click)(); }); });
  return button;
}

TSpinControl* TControllerPage::NewField(QWidget* parent, const char* name, QLabel* caption,
                                        void (TControllerState::*change)(std::int32_t)) {
  auto* spin = Named(new TSpinControl(parent), name);
  spin->SetControlOptions({cpUpDown});
  spin->setFixedWidth(kFieldWidth);
  caption->setBuddy(spin);
  spin->OnChange = [this, spin, change](QObject&) {
    Forward([&](TControllerState& s) { (s.*change)(spin->GetValue()); });
  };
  return spin;
}

QGroupBox* TControllerPage::CreateDescriptionGroup() {
  auto* group = Named(new QGroupBox("Description"), "DescriptionGroupBox");
  auto* grid = new QGridLayout(group);
  grid->setVerticalSpacing(4);
  grid->setColumnStretch(2, 1);
  ControllerModelComboBox = NewComboBox(group, "ControllerModelComboBox", FState.Model,
                                        &TControllerState::ControllerModelChange);
  ControllerSystemComboBox = NewComboBox(group, "ControllerSystemComboBox", FState.System,
                                         &TControllerState::ControllerSystemChange);
  VdSCheckBox = NewCheckBox(group, "VdSCheckBox", "VdS", &TControllerState::VdSCheckBoxClick);
  KPNetCheckBox =
      NewCheckBox(group, "KPNetCheckBox", "KPNet", &TControllerState::KPNetCheckBoxClick);
  LocalZoneRadioButton = NewRadioButton(group, "LocalZoneRadioButton", "Local",
                                        &TControllerState::LocalZoneRadioButtonClick);
  NetworkZoneRadioButton = NewRadioButton(group, "NetworkZoneRadioButton", "Network",
                                          &TControllerState::NetworkZoneRadioButtonClick);
  ControllerAddressDIPCheckBox = NewCheckBox(group, "ControllerAddressDIPCheckBox", "&DIP switches",
                                             &TControllerState::ControllerAddressDIPClick);
  ControllerAddressSoftCheckBox =
      NewCheckBox(group, "ControllerAddressSoftCheckBox", "&Soft Address",
                  &TControllerState::ControllerAddressSoftClick);
  QLabel* address = Named(new QLabel("Address", group), "ControllerAddressLabel");
  ControllerAddressCSpinEdit = NewField(group, "ControllerAddressCSpinEdit", address,
                                        &TControllerState::ControllerAddressChange);
  ListenOnly = Named(new QLabel("Listen Only", group), "ListenOnly");
  ControllerUnitEdit = Named(new QLineEdit(group), "ControllerUnitEdit");
  connect(ControllerUnitEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    Forward([&](TControllerState& s) { s.ControllerUnitEditChange(text.toStdString()); });
  });
  connect(ControllerUnitEdit, &QLineEdit::editingFinished, this,
          [this] { Forward([](TControllerState& s) { s.ControllerUnitEditExit(); }); });
  ControllerBuzzerComboBox = NewComboBox(group, "ControllerBuzzerComboBox", FState.Buzzer,
                                         &TControllerState::ControllerBuzzerChange);

  grid->addWidget(NewCaption(group, "ControllerModelLabel", "TRV &Model", ControllerModelComboBox),
                  0, 0);
  grid->addWidget(ControllerModelComboBox, 0, 1, 1, 2);
  grid->addWidget(NewCaption(group, "ControllerSystemLabel", "S&ystem", ControllerSystemComboBox),
                  1, 0);
  grid->addWidget(ControllerSystemComboBox, 1, 1);
  auto* network = new QHBoxLayout;
  network->addWidget(VdSCheckBox);
  network->addWidget(KPNetCheckBox);
  grid->addLayout(network, 1, 2);
  grid->addWidget(NewCaption(group, "ZoneTypeLabel", "&Zones", LocalZoneRadioButton), 2, 0);
  grid->addWidget(LocalZoneRadioButton, 2, 1);
  grid->addWidget(NetworkZoneRadioButton, 2, 2);
  grid->addWidget(ControllerAddressDIPCheckBox, 3, 1);
  grid->addWidget(ControllerAddressSoftCheckBox, 3, 2);
  grid->addWidget(address, 4, 0);
  grid->addWidget(ControllerAddressCSpinEdit, 4, 1);
  grid->addWidget(ListenOnly, 4, 2);
  grid->addWidget(NewCaption(group, "ControllerUnitLabel", "&Unit", ControllerUnitEdit), 5, 0);
  grid->addWidget(ControllerUnitEdit, 5, 1, 1, 2);
  grid->addWidget(NewCaption(group, "ControllerBuzzerLabel", "&Buzzer", ControllerBuzzerComboBox),
                  6, 0);
  grid->addWidget(ControllerBuzzerComboBox, 6, 1);
  grid->addWidget(CreateBuzzerOptionsPanel(), 7, 0, 1, 3);
  return group;
}

// The model-4 options hide by themselves: the rows of the others close up.
QWidget* TControllerPage::CreateBuzzerOptionsPanel() {
  BuzzerOptionsPanel = Named(new QWidget, "BuzzerOptionsPanel");
  QVBoxLayout* layout = NewTightColumn(BuzzerOptionsPanel);
  BuzzerSoundCheckBox =
      NewCheckBox(BuzzerOptionsPanel, "BuzzerSoundCheckBox", "Resound on new alarm in same zone",
                  &TControllerState::BuzzerSoundCheckBoxClick);
  layout->addWidget(BuzzerSoundCheckBox);
  auto* options = Named(new QWidget(BuzzerOptionsPanel), "RCUBuzzerOptions");
  QVBoxLayout* optionsLayout = NewTightColumn(options);
  BuzzerControlCheckBox =
      NewCheckBox(options, "BuzzerControlCheckBox", "Buzzer active for displayed events only",
                  &TControllerState::BuzzerControlCheckBoxClick);
  optionsLayout->addWidget(BuzzerControlCheckBox);
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(2);
  grid->setColumnStretch(0, 1);
  QLabel* disable =
      Named(new QLabel("Buzzer Disable Interval (minutes)", options), "BuzzerDisableLabel");
  BuzzerDisableCSpinEdit = NewField(options, "BuzzerDisableCSpinEdit", disable,
                                    &TControllerState::BuzzerDisableCSpinEdit1Change);
  grid->addWidget(disable, 0, 0);
  grid->addWidget(BuzzerDisableCSpinEdit, 0, 1);
  QLabel* muted =
      Named(new QLabel("Muted Tech Alarm\nInterval (minutes)", options), "MutedTechAlarmLabel");
  MutedTechAlarmIntervalCSpinEdit =
      NewField(options, "MutedTechAlarmIntervalCSpinEdit", muted,
               &TControllerState::MutedTechAlarmIntervalCSpinEdit1Change);
  grid->addWidget(muted, 1, 0);
  grid->addWidget(MutedTechAlarmIntervalCSpinEdit, 1, 1);
  optionsLayout->addLayout(grid);
  auto* mute = new QHBoxLayout;
  ControllerMuteComboBox = NewComboBox(options, "ControllerMuteComboBox", FState.Mute,
                                       &TControllerState::ControllerMuteComboBoxChange);
  ControllerMuteLabel = NewCaption(options, "ControllerMuteLabel", "&Mute", ControllerMuteComboBox);
  mute->addWidget(ControllerMuteLabel, 1);
  mute->addWidget(ControllerMuteComboBox);
  optionsLayout->addLayout(mute);
  layout->addWidget(options);
  return BuzzerOptionsPanel;
}

QGroupBox* TControllerPage::CreateBoardInstallationGroup() {
  BoardInstallationGroupBox =
      Named(new QGroupBox("Board Installation"), "BoardInstallationGroupBox");
  auto* layout = new QVBoxLayout(BoardInstallationGroupBox);
  layout->setSpacing(2);
  auto* boards = new QHBoxLayout;
  QLabel* caption = Named(new QLabel("Boards Installed"), "ControllerBoardLabel");
  ControllerBoardCSpinEdit = NewField(BoardInstallationGroupBox, "ControllerBoardCSpinEdit",
                                      caption, &TControllerState::ControllerBoardCSpinEditChange);
  BoardTypeLabel = Named(new QLabel, "BoardTypeLabel");
  boards->addWidget(caption);
  boards->addWidget(ControllerBoardCSpinEdit);
  boards->addWidget(BoardTypeLabel, 1);
  layout->addLayout(boards);
  tbcRelayDrivingLinks = Named(new QTabBar, "tbcRelayDrivingLinks");
  tbcRelayDrivingLinks->setExpanding(false);
  tbcRelayDrivingLinks->setUsesScrollButtons(false);
  tbcRelayDrivingLinks->setStyleSheet("QTabBar::tab { padding: 2px 0px; min-width: 24px; }");
  connect(tbcRelayDrivingLinks, &QTabBar::currentChanged, this, [this](int tab) {
    Forward([&](TControllerState& s) { s.tbcRelayDrivingLinksChange(tab); });
  });
  layout->addWidget(tbcRelayDrivingLinks);
  layout->addWidget(CreateMimicLinkGroup());
  layout->addWidget(CreateRcuLinkGroup());
  return BoardInstallationGroupBox;
}

QCheckBox* TControllerPage::NewRelayLinkBox(QWidget* parent, const QString& name,
                                            const QString& caption, int box) {
  auto* check = new QCheckBox(caption, parent);
  check->setObjectName(name);
  connect(check, &QCheckBox::clicked, this, [this, box](bool checked) {
    Forward([&](TControllerState& s) { s.ControllerRelayLinkCheckBoxClick(box, checked); });
  });
  return check;
}

// A "Relay Driving Links Fitted" group: its boxes four to a row, a row caption before each row
// that has one.
QGroupBox* TControllerPage::CreateLinkGroup(const char* name, std::span<QCheckBox*> boxes,
                                            const LinkBoxText& boxName,
                                            const LinkBoxText& boxCaption,
                                            const LinkBoxText& rowCaption) {
  auto* group = Named(new QGroupBox("Relay Driving Links Fitted"), name);
  auto* grid = new QGridLayout(group);
  grid->setVerticalSpacing(2);
  for (int box = 0; box < static_cast<int>(boxes.size()); ++box) {
    const int row = box / kLinkBoxesInARow;
    if (box % kLinkBoxesInARow == 0 && !rowCaption(row).isEmpty()) {
      grid->addWidget(new QLabel(rowCaption(row), group), row, 0);
    }
    boxes[box] = NewRelayLinkBox(group, boxName(box), boxCaption(box), box);
    grid->addWidget(boxes[box], row, box % kLinkBoxesInARow + 1);
  }
  return group;
}

// Bank 1 and bank 2, each a row of its four groups of eight outputs.
QGroupBox* TControllerPage::CreateMimicLinkGroup() {
  constexpr std::array<const char*, kRelayLinkGroups> captions{"1..8", "9..16", "17..24", "25..32"};
  MimicControllerOutputGroupBox = CreateLinkGroup(
      "MimicControllerOutputGroupBox", FMimicLinkBoxes,
      [](int box) {
        return QString("MimicControllerRelayLink%1%2CheckBox")
            .arg(box / kRelayLinkGroups)
            .arg(box % kRelayLinkGroups);
      },
      [&](int box) { return QString(captions[box % kRelayLinkGroups]); },
      [](int row) { return QString("Bank %1").arg(row + 1); });
  return MimicControllerOutputGroupBox;
}

// Outputs 1..16 of the board.
QGroupBox* TControllerPage::CreateRcuLinkGroup() {
  RCUControllerOutputGroupBox = CreateLinkGroup(
      "RCUControllerOutputGroupBox", FRcuLinkBoxes,
      [](int box) {
        return QString("RCUControllerRelayLink%1CheckBox").arg(box, 2, 10, QChar('0'));
      },
      [](int box) { return QString::number(box + 1); }, [](int) { return QString(); });
  return RCUControllerOutputGroupBox;
}

void TControllerPage::Show() {
  FShowing = true;
  ShowDescription();
  ShowBuzzerOptions();
  ShowBoardInstallation();
  ControllerSetBitBtn->setEnabled(FState.SetControllerEnabled);
  FShowing = false;
}

namespace {

void ShowCombo(QComboBox& combo, const ComboState& state) {
  combo.setCurrentIndex(state.Choice.Index);
  combo.setEnabled(state.Enabled);
  combo.setVisible(state.Visible);
}

template <typename Button>
void ShowCheck(Button& button, bool checked, bool enabled, bool visible) {
  button.setChecked(checked);
  button.setEnabled(enabled);
  button.setVisible(visible);
}

void ShowCheck(QCheckBox& box, const CheckState& state) {
  ShowCheck(box, state.Checked, state.Enabled, state.Visible);
}

template <typename Button>
void ShowMember(Button& button, const OptionMember& member) {
  ShowCheck(button, member.Checked, member.Enabled, member.Visible);
}

void ShowField(TSpinControl& spin, const NumberField& field) {
  spin.SetMin(field.Min());
  spin.SetMax(field.Max());
  spin.SetValue(field.Value());
  spin.SetEnabled(field.Enabled());
}

}  // namespace

void TControllerPage::ShowDescription() {
  ShowCombo(*ControllerModelComboBox, FState.Model);
  ShowCombo(*ControllerSystemComboBox, FState.System);
  ShowCheck(*VdSCheckBox, FState.Vds);
  ShowCheck(*KPNetCheckBox, FState.KPNet);
  ShowMember(*LocalZoneRadioButton, FState.ZoneType.Member(TControllerState::kLocalZones));
  ShowMember(*NetworkZoneRadioButton, FState.ZoneType.Member(TControllerState::kNetworkZones));
  ShowMember(*ControllerAddressDIPCheckBox,
             FState.AddressMode.Member(TControllerState::kDipSwitches));
  ShowMember(*ControllerAddressSoftCheckBox,
             FState.AddressMode.Member(TControllerState::kSoftAddress));
  ShowField(*ControllerAddressCSpinEdit, FState.Address);
  ListenOnly->setVisible(FState.ListenOnlyVisible);
  const QString unit = QString::fromStdString(FState.UnitEdit);
  if (ControllerUnitEdit->text() != unit) ControllerUnitEdit->setText(unit);
  ShowCombo(*ControllerBuzzerComboBox, FState.Buzzer);
}

void TControllerPage::ShowBuzzerOptions() {
  BuzzerOptionsPanel->setVisible(FState.BuzzerOptionsVisible);
  ShowCheck(*BuzzerSoundCheckBox, FState.BuzzerSound);
  ShowCheck(*BuzzerControlCheckBox, FState.BuzzerControl);
  ShowField(*BuzzerDisableCSpinEdit, FState.BuzzerDisable);
  ShowField(*MutedTechAlarmIntervalCSpinEdit, FState.MutedTechAlarmInterval);
  ShowCombo(*ControllerMuteComboBox, FState.Mute);
  ControllerMuteLabel->setVisible(FState.Mute.Visible);
}

void TControllerPage::ShowBoardInstallation() {
  const RelayLinkBoardState& links = FState.RelayLinks;
  BoardInstallationGroupBox->setVisible(FState.BoardInstallationVisible);
  ShowField(*ControllerBoardCSpinEdit, FState.Boards);
  BoardTypeLabel->setText(QString::fromStdString(links.BoardTypeLabel));
  ShowRelayLinkTabs();
  MimicControllerOutputGroupBox->setVisible(!links.SlimlineGroupVisible);
  RCUControllerOutputGroupBox->setVisible(links.SlimlineGroupVisible);
  for (std::size_t box = 0; box < FMimicLinkBoxes.size(); ++box) {
    FMimicLinkBoxes[box]->setChecked(links.Fitted[box]);
  }
  for (std::size_t box = 0; box < FRcuLinkBoxes.size(); ++box) {
    FRcuLinkBoxes[box]->setChecked(links.Fitted[box]);
  }
}

// One tab a board, captioned with its number.
void TControllerPage::ShowRelayLinkTabs() {
  const RelayLinkBoardState& links = FState.RelayLinks;
  while (tbcRelayDrivingLinks->count() > links.Tabs) {
    tbcRelayDrivingLinks->removeTab(tbcRelayDrivingLinks->count() - 1);
  }
  while (tbcRelayDrivingLinks->count() < links.Tabs) {
    tbcRelayDrivingLinks->addTab(QString::number(tbcRelayDrivingLinks->count() + 1));
  }
  tbcRelayDrivingLinks->updateGeometry();  // a bar not yet shown keeps the height it had
  tbcRelayDrivingLinks->setCurrentIndex(links.SelectedTab);
}

}  // namespace trv
