#include "editor/ui/rule_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <tuple>

#include "controls/spin_control.h"
#include "editor/ui/event_page.h"
#include "editor/ui/named_widget.h"

namespace trv {
namespace {

constexpr int kFieldWidth = 84;
constexpr int kCaptionWidth = 72;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* NewCaption(QWidget* parent, const char* name, const char* caption) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->setMinimumWidth(kCaptionWidth);
  return label;
}

QLineEdit* NewNumberBox(QWidget* parent, const char* name) {
  auto* box = Named(new QLineEdit(parent), name);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::NoFocus);
  box->setFixedWidth(kFieldWidth);
  box->setAlignment(Qt::AlignRight);
  return box;
}

QGridLayout* NewGrid(QWidget* widget) {
  auto* grid = new QGridLayout(widget);
  grid->setColumnStretch(4, 1);
  return grid;
}

void AddField(QGridLayout& grid, int row, int column, QLabel* caption, QWidget* field) {
  grid.addWidget(caption, row, column);
  grid.addWidget(field, row, column + 1);
}

}  // namespace

TRulePages::TRulePages(TEditorState& state, QWidget& boardPage, QWidget& zonalPage,
                       QWidget& eventPage)
    : FState(state) {
  std::tie(BoardEventComboBox, BoardSetRuleBitBtn) = CreateRulePage(
      boardPage, epBoard,
      {"BoardEventComboBox", FState.Board.BoardEvent, &TEditorState::BoardEventComboBoxChange},
      {"BoardSetRuleBitBtn", &TEditorState::BoardSetRuleButtonClick});
  std::tie(ZonalEventComboBox, ZonalSetRuleBitBtn) = CreateRulePage(
      zonalPage, epZonal,
      {"ZonalEventComboBox", FState.Zonal.ZonalEvent, &TEditorState::ZonalEventComboBoxChange},
      {"ZonalSetRuleBitBtn", &TEditorState::ZonalSetRuleButtonClick});
  FEventPage = std::make_unique<TEventPage>(*this, eventPage);
  FSlots[epEvent].Output = &FEventPage->OutputSlot();
  PlaceSharedGroups();
  Show();
}

void TRulePages::PlaceSharedGroups() {
  FCreatingHolder = &FState.Input.Page;
  for (EditorPage page : {epBoard, epZonal}) {
    FCreatingPage = page;
    InputGroupCopy& copy = FInput[page];
    CreateInputSourceGroup(copy);
    FSlots[page].Input->addWidget(copy.InputSourceGroupBox);
    copy.Names.Collect(*copy.InputSourceGroupBox);
    copy.Names.Apply(false);
  }
  FCreatingHolder = &FState.Output.Page;
  for (EditorPage page : {epBoard, epZonal, epEvent}) {
    FCreatingPage = page;
    OutputGroupCopy& copy = FOutput[page];
    CreateOutputGroup(copy);
    FSlots[page].Output->addWidget(copy.OutputGroupBox);
    copy.Names.Collect(*copy.OutputGroupBox);
    copy.Names.Apply(false);
  }
  FCreatingHolder = nullptr;
}

void TRulePages::BindingNames::Collect(QObject& root) {
  const auto add = [this](QObject* object) {
    const QString name = object->objectName();
    if (!name.isEmpty() && !name.startsWith("qt_")) Names.emplace_back(object, name);
  };
  add(&root);
  for (QObject* child : root.findChildren<QObject*>()) add(child);
}

void TRulePages::BindingNames::Apply(bool named) const {
  for (const auto& [object, name] : Names) object->setObjectName(named ? name : QString());
}

void TRulePages::BindingNames::TakeCaptionsFrom(const BindingNames& other) const {
  for (std::size_t n = 0; n < Names.size() && n < other.Names.size(); ++n) {
    QObject* to = Names[n].first;
    const QObject* from = other.Names[n].first;
    if (auto* button = qobject_cast<QAbstractButton*>(to)) {
      button->setText(qobject_cast<const QAbstractButton*>(from)->text());
    } else if (auto* group = qobject_cast<QGroupBox*>(to)) {
      group->setTitle(qobject_cast<const QGroupBox*>(from)->title());
    } else if (auto* label = qobject_cast<QLabel*>(to)) {
      label->setText(qobject_cast<const QLabel*>(from)->text());
    } else if (auto* tabs = qobject_cast<QTabWidget*>(to)) {
      const auto* source = qobject_cast<const QTabWidget*>(from);
      for (int tab = 0; tab < tabs->count(); ++tab) {
        if (tabs->tabText(tab) != source->tabText(tab)) tabs->setTabText(tab, source->tabText(tab));
      }
    }
  }
}

// The shared groups' names, and the captions that came with them, follow the pages that hold
// them.
template <typename Copy>
void TRulePages::NameActiveCopy(std::array<Copy, kEditorPageCount>& copies, EditorPage& named,
                                EditorPage page) {
  if (named == page) return;
  if (named != epController) {
    copies[page].Names.TakeCaptionsFrom(copies[named].Names);
    copies[named].Names.Apply(false);
  }
  named = page;
  copies[named].Names.Apply(true);
}

void TRulePages::NameActiveCopies() {
  NameActiveCopy(FInput, FNamedInput, FState.Input.Page);
  NameActiveCopy(FOutput, FNamedOutput, FState.Output.Page);
}

TRulePages::~TRulePages() = default;

QCheckBox* TRulePages::NewCheckBox(QWidget* parent, const char* name, const char* caption,
                                   std::function<void(TEditorState&, bool)> click) {
  auto* box = Named(new QCheckBox(caption, parent), name);
  connect(box, &QCheckBox::clicked, this, [this, click = std::move(click)](bool checked) {
    Forward([&](TEditorState& s) { click(s, checked); });
  });
  return box;
}

TSpinControl* TRulePages::NewField(QWidget* parent, EditorField field, QLabel* caption) {
  auto* spin = new TSpinControl(parent);
  spin->SetControlOptions({cpUpDown});
  spin->setFixedWidth(kFieldWidth);
  if (caption) caption->setBuddy(spin);
  spin->OnChange = [this, field, spin](QObject&) {
    Forward([&](TEditorState& s) { s.NumberFieldChange(field, spin->GetValue()); });
  };
  FFields.push_back({field, spin, caption, FCreatingHolder, FCreatingPage});
  return spin;
}

QComboBox* TRulePages::NewEventChoice(const EventChoiceEntry& entry) {
  auto* combo = Named(new QComboBox, entry.Name);
  for (std::string_view item : entry.Choice.Items) combo->addItem(Text(std::string(item)));
  connect(combo, &QComboBox::activated, this, [this, change = entry.Change](int index) {
    Forward([&](TEditorState& s) { (s.*change)(index); });
  });
  return combo;
}

QPushButton* TRulePages::NewSetRuleButton(const SetRuleEntry& entry) {
  auto* button = Named(new QPushButton("Set Rule"), entry.Name);
  connect(button, &QPushButton::clicked, this,
          [this, click = entry.Click] { Forward([&](TEditorState& s) { (s.*click)(); }); });
  return button;
}

void TRulePages::CreateInputSourceGroup(InputGroupCopy& c) {
  c.InputSourceGroupBox = Named(new QGroupBox("Input Source"), "InputSourceGroupBox");
  QGroupBox* group = c.InputSourceGroupBox;
  QGridLayout* grid = NewGrid(group);
  c.NetworkZoneCheckBox =
      NewCheckBox(group, "NetworkZoneCheckBox", "Network Zone", &TEditorState::NetworkZoneClick);
  c.LocalZoneCheckBox =
      NewCheckBox(group, "LocalZoneCheckBox", "Local Zone", &TEditorState::LocalZoneClick);
  grid->addWidget(c.NetworkZoneCheckBox, 0, 0, 1, 2);
  grid->addWidget(c.LocalZoneCheckBox, 0, 2, 1, 2);
  AddNumberField(*grid, 1, {EditorField::Panel, "PanelCSpinEdit", "PanelLabel", "Panel"});
  AddNumberField(*grid, 2,
                 {EditorField::FirstZone, "FirstZoneCSpinEdit", "FirstZoneLabel", "First Zone"});
  AddNumberField(*grid, 3,
                 {EditorField::LastZone, "LastZoneCSpinEdit", "LastZoneLabel", "Last Zone"});
}

void TRulePages::CreateOutputGroup(OutputGroupCopy& o) {
  o.OutputGroupBox = Named(new QGroupBox("Output Board"), "OutputGroupBox");
  auto* layout = new QVBoxLayout(o.OutputGroupBox);
  o.OutputPageControl = Named(new QTabWidget(o.OutputGroupBox), "OutputPageControl");
  o.OutputPageControl->addTab(CreateTerminationTab(o), "Termination PCB");
  o.OutputPageControl->addTab(CreateDriverTab(o), "Driver PCB");
  connect(o.OutputPageControl, &QTabWidget::currentChanged, this, [this](int tab) {
    Forward([&](TEditorState& s) { s.OutputPageControlChange(static_cast<OutputTab>(tab)); });
  });
  layout->addWidget(o.OutputPageControl);
  o.EventModifierGroupBox =
      Named(new QGroupBox("Output Mode", o.OutputGroupBox), "EventModifierGroupBox");
  auto* modeLayout = new QVBoxLayout(o.EventModifierGroupBox);
  o.EventModifierCheckBox = NewCheckBox(o.EventModifierGroupBox, "EventModifierCheckBox",
                                        "Turn Off", &TEditorState::TurnOffClick);
  modeLayout->addWidget(o.EventModifierCheckBox);
  layout->addWidget(o.EventModifierGroupBox);
}

QLabel* TRulePages::AddNumberField(QGridLayout& grid, int row, const NumberFieldNames& names) {
  QWidget* parent = grid.parentWidget();
  QLabel* label = NewCaption(parent, names.LabelName, names.Caption);
  AddField(grid, row, 0, label, Named(NewField(parent, names.Field, label), names.SpinName));
  return label;
}

QWidget* TRulePages::CreateTerminationTab(OutputGroupCopy& o) {
  auto* tab = Named(new QWidget, "TerminationTabSheet");
  auto* layout = new QVBoxLayout(tab);
  auto* boardRow = new QWidget(tab);
  QGridLayout* boardGrid = NewGrid(boardRow);
  boardGrid->setContentsMargins(0, 0, 0, 0);
  o.TerminationBoardLabel =
      AddNumberField(*boardGrid, 0,
                     {EditorField::TerminationBoard, "TerminationBoardCSpinEdit",
                      "TerminationBoardLabel", "Board"});
  layout->addWidget(boardRow);

  o.BankOutputPanel = Named(new QWidget(tab), "BankOutputPanel");
  QGridLayout* grid = NewGrid(o.BankOutputPanel);
  grid->setContentsMargins(0, 0, 0, 0);
  AddNumberField(
      *grid, 0,
      {EditorField::TerminationBank, "TerminationBankCSpinEdit", "TerminationBankLabel", "Bank"});
  AddNumberField(*grid, 1,
                 {EditorField::TerminationOutput, "TerminationOutputCSpinEdit",
                  "TerminationOutputLabel", "Output"});
  o.OutputLabel = NewCaption(o.BankOutputPanel, "OutputLabel", "");
  o.TerminationEdit = NewNumberBox(o.BankOutputPanel, "TerminationEdit");
  o.OutputLabel->setBuddy(o.TerminationEdit);
  AddField(*grid, 2, 0, o.OutputLabel, o.TerminationEdit);
  o.SteadyCheckBox =
      NewCheckBox(o.BankOutputPanel, "SteadyCheckBox", "Steady", &TEditorState::SteadyClick);
  grid->addWidget(o.SteadyCheckBox, 2, 2);
  layout->addWidget(o.BankOutputPanel);
  layout->addStretch();
  return tab;
}

QWidget* TRulePages::CreateDriverTab(OutputGroupCopy& o) {
  auto* tab = Named(new QWidget, "DriverTabSheet");
  QGridLayout* grid = NewGrid(tab);
  AddNumberField(*grid, 0,
                 {EditorField::DriverBoard, "DriverBoardCSpinEdit", "DriverBoardLabel", "Board"});
  AddNumberField(*grid, 1,
                 {EditorField::DriverBank, "DriverBankCSpinEdit", "DriverBankLabel", "Bank"});
  AddNumberField(
      *grid, 2,
      {EditorField::DriverOutput, "DriverOutputCSpinEdit", "DriverOutputLabel", "Output"});
  QLabel* relay = NewCaption(tab, "DriverLabel", "Relay");
  o.DriverEdit = NewNumberBox(tab, "DriverEdit");
  relay->setBuddy(o.DriverEdit);
  AddField(*grid, 3, 0, relay, o.DriverEdit);
  grid->setRowStretch(4, 1);
  return tab;
}

std::pair<QComboBox*, QPushButton*> TRulePages::CreateRulePage(QWidget& page, EditorPage editorPage,
                                                               const EventChoiceEntry& choice,
                                                               const SetRuleEntry& button) {
  QComboBox* eventChoice = NewEventChoice(choice);
  QPushButton* setRule = NewSetRuleButton(button);
  auto* layout = new QVBoxLayout(&page);
  FSlots[editorPage].Input = new QVBoxLayout;
  layout->addLayout(FSlots[editorPage].Input);
  auto* eventRow = new QHBoxLayout;
  auto* caption = new QLabel("Event", &page);
  caption->setMinimumWidth(kCaptionWidth);
  caption->setBuddy(eventChoice);
  eventRow->addWidget(caption);
  eventRow->addWidget(eventChoice, 1);
  layout->addLayout(eventRow);
  FSlots[editorPage].Output = new QVBoxLayout;
  layout->addLayout(FSlots[editorPage].Output);
  layout->addStretch();
  layout->addWidget(setRule, 0, Qt::AlignRight);
  return {eventChoice, setRule};
}

void TRulePages::PageControlTabChange(EditorPage page) {
  if (FState.Page != page) FState.PageControlTabChange(page);
  Show();
}

void TRulePages::LoadRuleIntoPage(const RuleRecord& rule) {
  FState.LoadRuleIntoPage(rule);
  Show();
}

void TRulePages::Show() {
  FShowing = true;
  NameActiveCopies();
  ShowInputSource();
  BoardEventComboBox->setCurrentIndex(FState.Board.BoardEvent.Index);
  ZonalEventComboBox->setCurrentIndex(FState.Zonal.ZonalEvent.Index);
  ShowOutputGroup();
  FEventPage->Show(FState.Event);
  ShowFields();
  FShowing = false;
}

void TRulePages::ShowInputSource() {
  const InputGroupCopy& c = FInput[FState.Input.Page];
  const OptionGroup& source = FState.Input.Source;
  for (auto [box, position] : {std::pair{c.NetworkZoneCheckBox, InputSourceState::kNetworkZone},
                               std::pair{c.LocalZoneCheckBox, InputSourceState::kLocalZone}}) {
    const OptionMember& member = source.Member(position);
    ShowCheck(*box, {member.Checked, member.Enabled, member.Visible});
  }
}

void TRulePages::ShowCheck(QCheckBox& box, const CheckState& state) {
  box.setChecked(state.Checked);
  box.setEnabled(state.Enabled);
  box.setVisible(state.Visible);
}

void TRulePages::ShowOutputGroup() {
  const OutputGroupCopy& o = FOutput[FState.Output.Page];
  const OutputGroupState& output = FState.Output;
  o.OutputPageControl->setTabVisible(otDriver, output.DriverTabVisible);
  o.OutputPageControl->tabBar()->setVisible(output.TabsShown);
  o.OutputPageControl->setFocusPolicy(output.TabsShown ? Qt::TabFocus : Qt::NoFocus);
  o.OutputPageControl->tabBar()->setFocusPolicy(output.TabsShown ? Qt::TabFocus : Qt::NoFocus);
  o.OutputPageControl->setCurrentIndex(output.Tab);
  o.TerminationBoardLabel->setText(Text(output.TerminationBoardLabel));
  o.BankOutputPanel->setVisible(output.BankOutputPanelVisible);
  o.TerminationEdit->setText(Text(output.TerminationEdit.Text));
  o.OutputLabel->setText(Text(output.OutputLabel));
  ShowCheck(*o.SteadyCheckBox, output.Steady);
  o.DriverEdit->setText(Text(output.DriverEdit.Text));
  o.EventModifierGroupBox->setVisible(output.OutputModeVisible);
  ShowCheck(*o.EventModifierCheckBox, output.TurnOff);
}

// Each field with its caption, which follows it into hiding and greying.
void TRulePages::ShowFields() {
  for (const FieldBinding& binding : FFields) {
    if (binding.Holder && *binding.Holder != binding.Page) continue;  // a copy out of view
    const NumberField& field = FState.Field(binding.Field);
    binding.Spin->SetMin(field.Min());
    binding.Spin->SetMax(field.Max());
    binding.Spin->SetValue(field.Value());
    binding.Spin->SetEnabled(field.Enabled());
    binding.Spin->setVisible(field.Visible());
    if (!binding.Caption) continue;
    binding.Caption->setEnabled(field.Enabled());
    binding.Caption->setVisible(field.Visible());
  }
}

}  // namespace trv
