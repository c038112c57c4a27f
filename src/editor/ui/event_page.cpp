#include "editor/ui/event_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/spin_control.h"
#include "editor/ui/named_widget.h"
#include "editor/ui/rule_pages.h"

namespace trv {
namespace {

using namespace event_choice;
using P = EventPageState;

constexpr int kEventColumns = 3;
constexpr int kFieldWidth = 64;  // four digits beside two captions in the editor's column

QGridLayout* NewTightGrid(QWidget* widget) {
  auto* grid = new QGridLayout(widget);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setVerticalSpacing(0);
  return grid;
}

void ShowBox(QAbstractButton& box, bool checked, bool enabled, bool visible) {
  box.setChecked(checked);
  box.setEnabled(enabled);
  box.setVisible(visible);
}

}  // namespace

void TDropDownComboBox::showPopup() {
  if (OnDropDown) OnDropDown();
  QComboBox::showPopup();
}

TEventPage::TEventPage(TRulePages& pages, QWidget& page) : FPages(pages) {
  auto* layout = new QVBoxLayout(&page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(2);
  EventPageControl = Named(new QTabWidget(&page), "EventPageControl");
  EventPageControl->addTab(CreateLocalTab(), "");
  EventPageControl->addTab(CreateNetworkTab(), "Network Zone");
  QObject::connect(
      EventPageControl, &QTabWidget::currentChanged, EventPageControl, [this](int tab) {
        FPages.Forward([&](TEditorState& s) { s.EventPageChange(static_cast<EventTab>(tab)); });
      });
  layout->addWidget(EventPageControl);
  layout->addWidget(CreateDevicePanel());
  layout->addWidget(CreateEventGroup());
  FOutputSlot = new QVBoxLayout;
  layout->addLayout(FOutputSlot);
  layout->addStretch();
  EventSetRuleBitBtn = Named(new QPushButton("Set Rule", &page), "EventSetRuleBitBtn");
  QObject::connect(EventSetRuleBitBtn, &QPushButton::clicked, EventSetRuleBitBtn, [this] {
    FPages.Forward([](TEditorState& s) { s.EventSetRuleButtonClick(); });
  });
  layout->addWidget(EventSetRuleBitBtn, 0, Qt::AlignRight);
}

QCheckBox* TEventPage::NewBox(QWidget* parent, const char* name, const char* caption,
                              void (EventPageState::*click)(bool)) {
  return FPages.NewCheckBox(parent, name, caption,
                            [click](TEditorState& s, bool checked) { (s.Event.*click)(checked); });
}

void TEventPage::AddChoiceRow(QGridLayout& grid, int row, EventChoice EventPageState::*choice,
                              std::initializer_list<BoxEntry> boxes) {
  ChoiceBoxes* group = nullptr;
  for (ChoiceBoxes& existing : FChoices) {
    if (existing.Choice == choice) group = &existing;
  }
  if (!group) group = &FChoices.emplace_back(ChoiceBoxes{choice, {}});
  int column = 0;
  for (const BoxEntry& entry : boxes) {
    QCheckBox* box = NewBox(grid.parentWidget(), entry.Name, entry.Caption, entry.Click);
    group->Boxes.emplace_back(entry.Position, box);
    grid.addWidget(box, row, column++);
  }
}

void TEventPage::AddField(QGridLayout& grid, int row, EditorField field, const char* name,
                          const char* accessibleName) {
  TSpinControl* spin = Named(FPages.NewField(grid.parentWidget(), field, nullptr), name);
  spin->setFixedWidth(kFieldWidth);
  spin->setAccessibleName(accessibleName);
  grid.addWidget(spin, row, 2);
}

QWidget* TEventPage::CreateLocalTab() {
  auto* tab = Named(new QWidget, "LocalTabSheet");
  QGridLayout* grid = NewTightGrid(tab);
  EventGeneralCheckBox =
      NewBox(tab, "EventGeneralCheckBox", "General Event", &P::EventGeneralClick);
  grid->addWidget(EventGeneralCheckBox, 0, 0);
  AddChoiceRow(
      *grid, 1, &P::Panel,
      {{kAny, "EventAnyPanelCheckBox", "Any Panel", &P::EventAnyPanelClick},
       {kSpecific, "EventSpecificPanelCheckBox", "Specific Panel", &P::EventSpecificPanelClick}});
  AddField(*grid, 1, EditorField::EventPanel, "EventPanelCSpinEdit", "Panel");
  AddChoiceRow(*grid, 2, &P::LocalZone,
               {{kAny, "EventAnyLocalZoneCheckBox", "Any Zone", &P::EventAnyLocalZoneClick},
                {kSpecific, "EventSpecificLocalZoneCheckBox", "Specific Zone",
                 &P::EventSpecificLocalZoneClick}});
  AddField(*grid, 2, EditorField::EventLocalZone, "EventLocalZoneCSpinEdit", "Zone");
  AddChoiceRow(*grid, 3, &P::Loop,
               {{kNone, "EventNonLoopCheckBox", "Non Loop Event", &P::EventNonLoopClick},
                {kVirtual, "EventVirtualLoopCheckBox", "Virtual", &P::EventVirtualLoopClick}});
  AddChoiceRow(
      *grid, 4, &P::Loop,
      {{kAny, "EventAnyLoopCheckBox", "Any Loop", &P::EventAnyLoopClick},
       {kSpecific, "EventSpecificLoopCheckBox", "Specific Loop", &P::EventSpecificLoopClick}});
  AddField(*grid, 4, EditorField::EventLoop, "EventLoopCSpinEdit", "Loop");
  AddChoiceRow(*grid, 5, &P::Address,
               {{kNone, "EventNonDeviceCheckBox", "Non Device Event", &P::EventNonDeviceClick}});
  AddChoiceRow(*grid, 6, &P::Address,
               {{kAny, "EventAnyAddressCheckBox", "Any Address", &P::EventAnyAddressClick},
                {kSpecific, "EventSpecificAddressCheckBox", "Specific Address",
                 &P::EventSpecificAddressClick}});
  AddField(*grid, 6, EditorField::EventAddress, "EventAddressCSpinEdit", "Address");
  grid->setRowStretch(7, 1);
  return tab;
}

QWidget* TEventPage::CreateNetworkTab() {
  auto* tab = Named(new QWidget, "NetworkTabSheet");
  QGridLayout* grid = NewTightGrid(tab);
  AddChoiceRow(*grid, 0, &P::NetworkZone,
               {{kAny, "EventAnyNetworkZoneCheckBox", "Any Zone", &P::EventAnyNetworkZoneClick},
                {kSpecific, "EventSpecificNetworkZoneCheckBox", "Specific Zone",
                 &P::EventSpecificNetworkZoneClick}});
  AddField(*grid, 0, EditorField::EventNetworkZone, "EventNetworkZoneCSpinEdit", "Network Zone");
  AddChoiceRow(*grid, 1, &P::Reference,
               {{kAny, "EventAnyReferenceCheckBox", "Any Reference", &P::EventAnyReferenceClick},
                {kSpecific, "EventSpecificReferenceCheckBox", "Specific Reference",
                 &P::EventSpecificReferenceClick}});
  AddField(*grid, 1, EditorField::EventReference, "EventReferenceCSpinEdit", "Reference");
  grid->setRowStretch(2, 1);
  return tab;
}

QWidget* TEventPage::CreateDevicePanel() {
  DeviceTypePanel = Named(new QWidget, "DeviceTypePanel");
  auto* layout = new QHBoxLayout(DeviceTypePanel);
  layout->setContentsMargins(9, 0, 9, 0);
  SensorRadioButton = Named(new QRadioButton("Sensor", DeviceTypePanel), "SensorRadioButton");
  ModuleRadioButton = Named(new QRadioButton("Module", DeviceTypePanel), "ModuleRadioButton");
  for (QRadioButton* radio : {SensorRadioButton, ModuleRadioButton}) {
    const bool module = radio == ModuleRadioButton;
    QObject::connect(radio, &QRadioButton::clicked, radio, [this, module] {
      FPages.Forward([&](TEditorState& s) { s.Event.DeviceRadioButtonClick(module); });
    });
    layout->addWidget(radio);
  }
  TypeLabel = Named(new QLabel("Type", DeviceTypePanel), "TypeLabel");
  DeviceTypeComboBox = Named(new TDropDownComboBox(DeviceTypePanel), "DeviceTypeComboBox");
  DeviceTypeComboBox->setMaxVisibleItems(10);
  DeviceTypeComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  DeviceTypeComboBox->setMinimumContentsLength(8);
  TypeLabel->setBuddy(DeviceTypeComboBox);
  DeviceTypeComboBox->OnDropDown = [this] {
    FPages.Forward([](TEditorState& s) { s.Event.DeviceTypeComboBoxDropDown(); });
  };
  QObject::connect(
      DeviceTypeComboBox, &QComboBox::activated, DeviceTypeComboBox, [this](int index) {
        FPages.Forward([&](TEditorState& s) { s.Event.DeviceTypeComboBoxChange(index); });
      });
  layout->addWidget(TypeLabel);
  layout->addWidget(DeviceTypeComboBox, 1);
  return DeviceTypePanel;
}

// The boxes the page shows fill the grid in their order; the others are never shown.
QWidget* TEventPage::CreateEventGroup() {
  auto* group = Named(new QGroupBox("Event"), "EventGroupBox");
  QGridLayout* grid = NewTightGrid(group);
  int shown = 0;
  for (int event = 0; event < kEventCount; ++event) {
    const EventCheckBox& entry = kEventCheckBoxes[static_cast<std::size_t>(event)];
    auto* box = Named(
        new QCheckBox(
            QString::fromUtf8(entry.Caption.data(), static_cast<int>(entry.Caption.size())), group),
        entry.Name.data());
    QObject::connect(box, &QCheckBox::clicked, box, [this, event](bool checked) {
      FPages.Forward([&](TEditorState& s) { s.Event.EventClick(event, checked); });
    });
    FEventBoxes[static_cast<std::size_t>(event)] = box;
    if (!FPages.FState.Event.Events[static_cast<std::size_t>(event)].Visible) continue;
    grid->addWidget(box, shown / kEventColumns, shown % kEventColumns);
    ++shown;
  }
  return group;
}

void TEventPage::Show(const EventPageState& state) {
  EventPageControl->setTabVisible(etNetwork, state.NetworkTabVisible);
  EventPageControl->setCurrentIndex(state.Tab);
  EventGeneralCheckBox->setChecked(state.General.Checked);
  for (const ChoiceBoxes& group : FChoices) {
    const EventChoice& choice = state.*group.Choice;
    for (const auto& [position, box] : group.Boxes) {
      const OptionMember& member = choice.Group.Member(position);
      ShowBox(*box, member.Checked, member.Enabled, member.Visible);
    }
  }
  ShowDevicePanel(state);
  for (int event = 0; event < kEventCount; ++event) {
    const CheckState& box = state.Events[static_cast<std::size_t>(event)];
    ShowBox(*FEventBoxes[static_cast<std::size_t>(event)], box.Checked, box.Enabled, box.Visible);
  }
  EventSetRuleBitBtn->setEnabled(state.SetRuleEnabled);
}

void TEventPage::ShowDevicePanel(const EventPageState& state) {
  DeviceTypePanel->setVisible(state.DevicePanelVisible);
  SensorRadioButton->setChecked(!state.Module);
  ModuleRadioButton->setChecked(state.Module);
  const std::span<const std::string_view> items = state.DeviceType.Items;
  if (items.data() != FShownTypes) {
    FShownTypes = items.data();
    DeviceTypeComboBox->clear();
    for (std::string_view item : items) {
      DeviceTypeComboBox->addItem(QString::fromUtf8(item.data(), static_cast<int>(item.size())));
    }
  }
  DeviceTypeComboBox->setCurrentIndex(state.DeviceType.Index);
  DeviceTypeComboBox->setEnabled(state.DeviceTypeEnabled);
  TypeLabel->setEnabled(state.DeviceTypeEnabled);
}

}  // namespace trv
