#include "shell/tool_form.h"

#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDockWidget>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cerrno>
#include <system_error>

#include "editor/controller_state.h"
#include "editor/editor_state.h"
#include "editor/rule_checker.h"
#include "editor/rule_list_commands.h"
#include "editor/ui/controller_page.h"
#include "editor/ui/rule_grid.h"
#include "editor/ui/rule_grid_view.h"
#include "editor/ui/rule_pages.h"
#include "files/ui/compare_export_commands.h"
#include "files/ui/print_commands.h"
#include "files/ui/recent_files_menu.h"
#include "flash/ui/progress_form.h"
#include "model/string_ids.h"
#include "shell/check_rules_dock.h"
#include "shell/help_document.h"
#include "shell/language_module.h"
#include "shell/qt_dialogs.h"
#include "shell/qt_user_queries.h"
#include "shell/ui_text.h"
#include "transfer/transfer_commands.h"

namespace trv {
namespace {

QWidget* NamedPage(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  return page;
}

// The default rule file name without its extension.
QString BaseNameOf(const std::string& ruleFileName) {
  const QString name = QString::fromStdString(ruleFileName);
  return name.left(std::max<qsizetype>(0, name.size() - 4));
}

}  // namespace

TToolForm::TToolForm(const std::filesystem::path& programPath,
                     const std::filesystem::path& dataDirectory, QWidget* parent)
    : QMainWindow(parent),
      FProgramDirectory(programPath.parent_path()),
      FConfiguration(FProgramDirectory, dataDirectory),
      FQueries(std::make_unique<QtUserQueries>(this)),
      FDialogs(std::make_unique<QtDialogs>(this)) {
  setObjectName("ToolForm");
  CreatePages();
  CreateDataPanel();
  CreateRulePages();
  CreateFileCommands();
  CreatePrintCommands();
  CreateCompareExportCommands();
  CreateCheckRulesDock();
  CreateTransferCommands();
  CreateMenus();
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName("StatusBar");
  setStatusBar(StatusBar);
  CreateDebugButtons();
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(kInitialWidth, kInitialHeight);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate();
  // The panel's width from the start: floating and docking it back before any View command
  // must find the width it had.
  RememberDataPanelWidth();
}

TToolForm::~TToolForm() = default;

void TToolForm::SetDialogs(std::unique_ptr<Dialogs> dialogs) {
  FDialogs = std::move(dialogs);
}

void TToolForm::SetUserQueries(std::unique_ptr<UserQueries> queries) {
  FQueries = std::move(queries);
  FRuleList->SetUserQueries(*FQueries);
  FController->SetUserQueries(*FQueries);
  FTransfer->SetUserQueries(*FQueries);
  if (FProgressForm) FProgressForm->SetUserQueries(*FQueries);
}

void TToolForm::SetModalForms(QDialog* optionsForm, QDialog* aboutBox) {
  FOptionsForm = optionsForm;
  FAboutBox = aboutBox;
}

void TToolForm::SetProgressForm(TProgressForm& progressForm) {
  FProgressForm = &progressForm;
  FProgressForm->SetUserQueries(*FQueries);
  FTransfer->SetRunner(progressForm);
  FProgressForm->BackupPlace = [this] {
    return SendBackupPlace{FConfiguration.DataDirectory,
                           FConfiguration.ControllerSettings.UnitName};
  };
  FProgressForm->ChooseTraceFile = [this] {
    return FDialogs->SaveFile(TraceDialogSetup(FConfiguration.DataDirectory));
  };
}

void TToolForm::CreatePages() {
  RulePageControl = new QTabWidget(this);
  RulePageControl->setObjectName("RulePageControl");
  ControllerTabSheet = NamedPage("ControllerTabSheet");
  BoardRuleTabSheet = NamedPage("BoardRuleTabSheet");
  ZonalRuleTabSheet = NamedPage("ZonalRuleTabSheet");
  EventRuleTabSheet = NamedPage("EventRuleTabSheet");
  // Four captions side by side in the editor's width.
  RulePageControl->setStyleSheet(
      "QTabBar::tab { padding: 4px 6px; border: 1px solid #b0b0b0; border-bottom: none;"
      " background: #e4e4e4; margin-right: 1px; }"
      " QTabBar::tab:selected { background: #fafafa; }");
  RulePageControl->addTab(ControllerTabSheet, "Controller");
  RulePageControl->addTab(BoardRuleTabSheet, "Board Rule");
  RulePageControl->addTab(ZonalRuleTabSheet, "Zonal Rule");
  RulePageControl->addTab(EventRuleTabSheet, "Device/Event Rule");
  // The editor and the panel's separator fill the minimum width; the panel takes the rest.
  RulePageControl->setFixedWidth(kMinimumWidth -
                                 style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent));
  setCentralWidget(RulePageControl);
  connect(RulePageControl, &QTabWidget::currentChanged, this, [this] { PageControlTabChange(); });
}

// The rule pages follow the editor state, which reads the controller settings of the
// configuration and writes rules through the rule list commands.
void TToolForm::CreateRulePages() {
  FEditor = std::make_unique<TEditorState>(FConfiguration, *FRuleList);
  FRulePages = std::make_unique<TRulePages>(*FEditor, *BoardRuleTabSheet, *ZonalRuleTabSheet,
                                            *EventRuleTabSheet);
  FRuleList->TextContext = [this] { return FEditor->TextContext(); };
  CreateControllerPage();
}

// The controller settings drive the rule pages: their refresh runs the rule pages' one.
void TToolForm::CreateControllerPage() {
  FController = std::make_unique<TControllerState>(FConfiguration, *FEditor, *FRuleList, *FQueries);
  FControllerPage = std::make_unique<TControllerPage>(*FController, *ControllerTabSheet);
  FControllerPage->Changed = [this] {
    FRulePages->Show();
    OfferRulePages();
  };
  RefreshEditor = [this](bool keepPages) {
    FController->EditorRefresh(keepPages, false);
    ShowEditor();
  };
}

// The window's save and open hooks are the file commands'; the unsaved-changes question runs the
// hook, so that a caller may put its own save there.
void TToolForm::CreateFileCommands() {
  FFiles =
      std::make_unique<TFileCommands>(FConfiguration, *FEditor, *FController, *FRuleList, *this);
  SaveRuleFile = [this] { return FFiles->MenuFileSaveAsClick(); };
  OpenRuleFile = [this](const QString& fileName) { FFiles->OpenRuleFile(fileName.toStdString()); };
}

void TToolForm::ShowEditor() {
  FRulePages->Show();
  FControllerPage->Show();
  OfferRulePages();
}

void TToolForm::OfferRulePages() {
  const bool shown = FController->RulePagesShown;
  for (int page = epBoard; page <= epEvent; ++page) RulePageControl->setTabVisible(page, shown);
  if (!shown) RulePageControl->setCurrentWidget(ControllerTabSheet);
}

void TToolForm::CreateDataPanel() {
  DataPanel = new QDockWidget(this);
  DataPanel->setObjectName("DataPanel");
  DataPanel->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  DataPanel->setAllowedAreas(Qt::RightDockWidgetArea);
  auto* holder = new QWidget(DataPanel);
  auto* layout = new QVBoxLayout(holder);
  layout->setContentsMargins(0, 0, 0, 0);
  CBEGroupBox = new QGroupBox(holder);
  CBEGroupBox->setObjectName("CBEGroupBox");
  auto* groupLayout = new QVBoxLayout(CBEGroupBox);
  FRuleList = std::make_unique<TRuleListCommands>(FConfiguration, *FQueries, *this);
  FGrid = std::make_unique<TRuleGrid>(*FRuleList, FConfiguration.MimicBook, CBEGroupBox);
  SetUpWorkbook = [this](bool clear) { FRuleList->SetUpWorkbook(clear); };
  MimicBook = FGrid->MimicBook();
  groupLayout->addWidget(MimicBook);
  layout->addWidget(CBEGroupBox);
  DataPanel->setWidget(holder);
  addDockWidget(Qt::RightDockWidgetArea, DataPanel);
  DataPanel->installEventFilter(this);
  connect(DataPanel, &QDockWidget::topLevelChanged, this,
          [this](bool floating) { DataPanelFloatChanged(floating); });
}

void TToolForm::CreatePrintCommands() {
  UnitNameShown = [this] { return FController->UnitEdit; };
  FPrint = std::make_unique<TPrintCommands>(
      FConfiguration, [this](QPrinter& printer) { return FDialogs->Print(printer); },
      [this](QPrinter& printer) { return FDialogs->PrinterSetup(printer); },
      [this] { return UnitNameShown(); });
}

// Export and compare read the configuration and never change it.
void TToolForm::CreateCompareExportCommands() {
  const std::string directory = FConfiguration.DataDirectory.string();
  const auto chooser = [this, directory](std::string filter, std::string extension, bool save) {
    return [=, this]() -> std::optional<QString> {
      const FileDialogSetup setup{BaseNameOf(FConfiguration.RuleFileName).toStdString(), filter,
                                  directory, extension};
      const std::optional<std::string> chosen =
          save ? FDialogs->SaveFile(setup) : FDialogs->OpenFile(setup);
      if (!chosen) return std::nullopt;
      return QString::fromStdString(*chosen);
    };
  };
  FCompareExport = std::make_unique<TCompareExportCommands>(
      FConfiguration,
      TCompareExportCommands::Window{
          chooser("Rule Tables (*.csv)|*.csv", "csv", true),
          chooser("Rule Data Files and Configuration Images (*.trv *.bin *.hex)|*.trv *.bin *.hex",
                  "trv", false),
          [this] { return FTransfer->GetUnitConfiguration(); },
          [this](const std::string& text) {
            FQueries->Message(text, ActiveText(string_id::kError), MessageButtons::Ok,
                              MessageIcon::Error);
          },
          [this] { return FEditor->TextContext(); }, this});
}

// The findings follow the rule list while they are shown.
void TToolForm::CreateCheckRulesDock() {
  CheckRulesDock = new TCheckRulesDock(FConfiguration, *FRuleList, this);
  addDockWidget(Qt::BottomDockWidgetArea, CheckRulesDock);
}

// The status text is shown at once: the transfer prompt comes before the window repaints.
void TToolForm::CreateTransferCommands() {
  FTransfer = std::make_unique<TTransferCommands>(
      FConfiguration, *FQueries,
      TransferWindow{[this] { return AskToSave(); }, [this] { FFiles->MenuFileNewClick(); },
                     [this] { FFiles->ResetToNew(); }, [this] { ShowDecodedConfiguration(); },
                     [this] { return StatusBar->currentMessage().toStdString(); },
                     [this](const std::string& text) {
                       StatusBar->showMessage(QString::fromStdString(text));
                       StatusBar->repaint();
                     }},
      DebugImageFile(FConfiguration.DataDirectory));
  FTransfer->SetErrorCounter([](const Configuration& configuration) {
    return CountErrors(CheckConfiguration(configuration));
  });
}

// Read, Write and Quick Test try the image format without a controller; the user never sees
// them.
void TToolForm::CreateDebugButtons() {
  const auto addButton = [this](const char* name, const char* text,
                                void (TTransferCommands::*click)()) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setVisible(false);
    connect(button, &QPushButton::clicked, this, [this, click] { ((*FTransfer).*click)(); });
  };
  addButton("ReadData", "Read", &TTransferCommands::ReadDataClick);
  addButton("WriteData", "Write", &TTransferCommands::WriteDataClick);
  addButton("QuickTest", "Quick Test", &TTransferCommands::QuickTestClick);
}

void TToolForm::ShowDecodedConfiguration() {
  if (RefreshEditor) RefreshEditor(true);
  FController->LockSettings();
  ShowEditor();
  EnableRuleListCommands(true);
  RulesChanged();
}

void TToolForm::RulesChanged() {
  if (CheckRulesDock) CheckRulesDock->RulesChanged();
}

QAction* TToolForm::AddAction(QMenu* menu, const QString& name, const QString& text,
                              const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  action->setObjectName(name);
  action->setShortcut(shortcut);
  return action;
}

void TToolForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("ControlMenu");
  QMenu* file = bar->addMenu("&File");
  file->setObjectName("MenuFile");
  CreateFileMenu(file);
  connect(AddAction(file, "MenuFileImportImage", "&Import Controller Image..."),
          &QAction::triggered, this, [this] { MenuFileImportImageClick(); });
  connect(AddAction(file, "MenuFileExportRules", "&Export Rules..."), &QAction::triggered, this,
          [this] { FCompareExport->MenuFileExportRulesClick(); });
  connect(AddAction(file, "MenuFileCompareWithFile", "&Compare with File..."), &QAction::triggered,
          this, [this] { FCompareExport->MenuFileCompareWithFileClick(); });
  connect(AddAction(file, "MenuFilePrint", "&Print...", QKeySequence(Qt::CTRL | Qt::Key_P)),
          &QAction::triggered, this, [this] { FPrint->MenuFilePrintClick(); });
  connect(AddAction(file, "MenuFilePrinterSetup", "P&rinter Setup..."), &QAction::triggered, this,
          [this] { FPrint->MenuFilePrintSetupClick(); });
  file->addSeparator();
  connect(AddAction(file, "MenuFileExit", "E&xit"), &QAction::triggered, this,
          [this] { MenuFileExitClick(); });

  QMenu* view = bar->addMenu("&View");
  view->setObjectName("MenuView");
  auto* layouts = new QActionGroup(view);
  const auto addLayout = [&](const char* name, const char* text, void (TToolForm::*click)()) {
    QAction* action = AddAction(view, name, text);
    action->setCheckable(true);
    layouts->addAction(action);
    connect(action, &QAction::triggered, this, [this, click] { (this->*click)(); });
    return action;
  };
  addLayout("BothEditorAndData", "&Both Editor and Data", &TToolForm::BothEditorAndDataClick)
      ->setChecked(true);
  addLayout("DataOnly", "&Data Only", &TToolForm::DataOnlyClick);
  addLayout("EditOnly", "&Editor Only", &TToolForm::EditOnlyClick);
  ViewEditorMenuItem = AddAction(view, "ViewEditorMenuItem", "Editor");
  SpreadsheetMenuItem = AddAction(view, "SpreadsheetMenuItem", "Data");
  for (QAction* toggle : {ViewEditorMenuItem, SpreadsheetMenuItem}) {
    toggle->setCheckable(true);
    toggle->setChecked(true);
    toggle->setVisible(false);
  }
  connect(ViewEditorMenuItem, &QAction::triggered, this, [this] { ViewEditorMenuItemClick(); });
  connect(SpreadsheetMenuItem, &QAction::triggered, this, [this] { SpreadsheetMenuItemClick(); });

  QMenu* connectMenu = bar->addMenu("&Connect");
  connectMenu->setObjectName("MenuConnect");
  connect(AddAction(connectMenu, "MenuConnectSendRules", "&Send Data to Unit"), &QAction::triggered,
          this, [this] { FTransfer->MenuConnectSendRuleClick(); });
  connect(AddAction(connectMenu, "MenuConnectGetRules", "&Get Data from Unit"), &QAction::triggered,
          this, [this] { FTransfer->MenuConnectGetRulesClick(); });
  connect(AddAction(connectMenu, "MenuConnectCompareUnit", "Compare with &Unit"),
          &QAction::triggered, this, [this] { FCompareExport->MenuConnectCompareUnitClick(); });

  QMenu* information = bar->addMenu("&Information");
  information->setObjectName("InformationMenu");
  information->menuAction()->setVisible(false);
  information->menuAction()->setEnabled(false);

  QMenu* tool = bar->addMenu("&Tool");
  tool->setObjectName("MenuTool");
  connect(AddAction(tool, "MenuToolCheckRules", "&Check Rules"), &QAction::triggered, this,
          [this] { CheckRulesDock->MenuToolCheckRulesClick(); });
  connect(AddAction(tool, "MenuToolOptions", "Options"), &QAction::triggered, this,
          [this] { MenuToolOptionsClick(); });

  QMenu* help = bar->addMenu("&Help");
  help->setObjectName("MenuHelp");
  connect(AddAction(help, "MenuTRVToolPDF", "TRV &Tool PDF"), &QAction::triggered, this,
          [this] { MenuTRVToolPDFClick(); });
  connect(AddAction(help, "MenuHelpAbout", "&About..."), &QAction::triggered, this,
          [this] { MenuHelpAboutClick(); });
}

void TToolForm::CreateFileMenu(QMenu* file) {
  connect(AddAction(file, "MenuFileNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N)),
          &QAction::triggered, this, [this] { FFiles->MenuFileNewClick(); });
  connect(AddAction(file, "MenuFileOpen", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O)),
          &QAction::triggered, this, [this] { FFiles->MenuFileOpenClick(); });
  QMenu* recent = file->addMenu("Open &Recent");
  recent->setObjectName("MenuFileOpenRecent");
  FRecentFiles = new TRecentFilesMenu(
      *recent, [this](const std::string& path) { return OpenRecentFile(path); });
  connect(AddAction(file, "MenuFileSaveAs", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S)),
          &QAction::triggered, this, [this] { FFiles->MenuFileSaveAsClick(); });
}

void TToolForm::MenuFileImportImageClick() {
  const std::optional<std::string> file =
      FDialogs->OpenFile(ImportImageDialogSetup(FConfiguration.DataDirectory));
  if (file) FTransfer->ImportImageFile(*file);
}

// Open without its dialog; a Cancel to the unsaved-changes question is no failure of the file.
bool TToolForm::OpenRecentFile(const std::string& path) {
  return AskToSave() == MessageAnswer::Cancel || FFiles->OpenRuleFile(path);
}

void TToolForm::FormCreate() {
  setWindowTitle(UiText(string_id::kProductTitle));
  FEditor->MarkRulePagesForFirstVisit();
  if (RefreshEditor) RefreshEditor(true);
  if (SetUpWorkbook) SetUpWorkbook(true);
  FConfiguration.Modified = false;
  FDocked = true;
  ResetRuleListCommands();
  RulePageControl->setCurrentWidget(ControllerTabSheet);
  CBEGroupBox->hide();
  SetUpFileDialogs();
}

void TToolForm::SetUpFileDialogs() {
  FFiles->SetUpFileDialogs();
}

const FileDialogSetup& TToolForm::OpenDialogSetup() const {
  return FFiles->OpenDialogSetup();
}

const FileDialogSetup& TToolForm::SaveDialogSetup() const {
  return FFiles->SaveDialogSetup();
}

void TToolForm::ShowFileInTitle(const std::string& fileName) {
  SetTitle(QString::fromStdString(fileName));
}

void TToolForm::FileOpenedOrSaved(const std::string& path) {
  FRecentFiles->Add(path);
}

void TToolForm::SetTitle(const QString& fileName) {
  FTitleFileName = fileName;
  const QString title = UiText(string_id::kProductTitle) + " - " + QFileInfo(fileName).fileName() +
                        " - " + RulePageControl->tabText(RulePageControl->currentIndex());
  setWindowTitle(title);
}

QString TToolForm::CommandLineFileName(const QStringList& parameters) {
  if (parameters.isEmpty()) return {};
  QString name = parameters.front();
  for (qsizetype next = 1; !name.contains("trv") && next < parameters.size(); ++next) {
    name += " " + parameters[next];
  }
  return name;
}

void TToolForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShown) return;
  FShown = true;
  FormShow();
}

void TToolForm::FormShow() {
  FCommandLineFile = CommandLineFileName(FParameters);
  if (FCommandLineFile.isEmpty()) return;
  if (OpenRuleFile) OpenRuleFile(FCommandLineFile);
  SetTitle(FCommandLineFile);
}

void TToolForm::ReadFormResources(const LanguageModule& module) {
  module.ApplyForm(*this);
  RefreshTitle();
}

MessageAnswer TToolForm::AskToSave() {
  return AskToSaveChanges(FConfiguration, *FQueries, SaveRuleFile);
}

void TToolForm::closeEvent(QCloseEvent* event) {
  if (AskToSave() == MessageAnswer::Cancel) {
    event->ignore();
    return;
  }
  event->accept();
}

void TToolForm::MenuFileExitClick() {
  close();
}

void TToolForm::PageControlTabChange() {
  CBEGroupBox->setTitle(UiText(string_id::kMimicRules));
  RefreshTitle();
  const auto page = static_cast<EditorPage>(RulePageControl->currentIndex());
  CBEGroupBox->setVisible(page != epController);
  if (page == epController) return;
  FRulePages->PageControlTabChange(page);
  if (DataPanelVisible()) FocusGrid();
}

void TToolForm::SetGridCaption(const std::string& caption) {
  CBEGroupBox->setTitle(QString::fromStdString(caption));
}

bool TToolForm::DataPanelVisible() const {
  return DataPanel->isVisible();
}

bool TToolForm::GridVisible() const {
  return MimicBook->isVisible();
}

void TToolForm::FocusGrid() {
  MimicBook->setFocus();
}

void TToolForm::ShowRequiredSystem(int requiredSystem) {
  FController->ShowRequiredSystem(requiredSystem);
  FControllerPage->Show();
}

void TToolForm::EnableRuleListCommands(bool enabled) {
  for (const char* name : {"MenuFileSaveAs", "MenuFilePrint", "MenuConnectSendRules"}) {
    if (auto* action = findChild<QAction*>(name)) action->setEnabled(enabled);
  }
}

void TToolForm::EnableFileCommands(bool loaded) {
  if (loaded) {
    EnableRuleListCommands(true);
  } else {
    ResetRuleListCommands();
  }
}

// After a reset: nothing to save or print yet; Send stays offered and says why it cannot run.
void TToolForm::ResetRuleListCommands() {
  EnableRuleListCommands(false);
  if (auto* send = findChild<QAction*>("MenuConnectSendRules")) send->setEnabled(true);
}

// The file the title names stays until another is named: a file opened from the command line
// as much as one chosen in a dialog.
void TToolForm::RefreshTitle() {
  SetTitle(FTitleFileName);
}

// The rule's page, filled and activated without the page change's reset of the grid caption.
// A rule page shows the grid, also when the rule comes from elsewhere than the grid.
void TToolForm::LoadRuleIntoPage(const RuleRecord& rule) {
  FRulePages->LoadRuleIntoPage(rule);
  const QSignalBlocker blocker(RulePageControl);
  RulePageControl->setCurrentIndex(FEditor->Page);
  CBEGroupBox->show();
}

void TToolForm::BothEditorAndDataClick() {
  ViewEditorMenuItem->setChecked(true);
  SpreadsheetMenuItem->setChecked(true);
  ApplyLayout();
}

void TToolForm::DataOnlyClick() {
  ViewEditorMenuItem->setChecked(false);
  SpreadsheetMenuItem->setChecked(true);
  ApplyLayout();
}

void TToolForm::EditOnlyClick() {
  ViewEditorMenuItem->setChecked(true);
  SpreadsheetMenuItem->setChecked(false);
  ApplyLayout();
}

// The hidden toggles have already inverted themselves when their click arrives.
void TToolForm::ViewEditorMenuItemClick() {
  ApplyLayout();
}
void TToolForm::SpreadsheetMenuItemClick() {
  ApplyLayout();
}

int TToolForm::RememberedDataPanelWidth() const {
  return FConfiguration.DataPanelWidth;
}

void TToolForm::SetWindowWidth(int width) {
  resize(std::max(width, kMinimumWidth), height());
}

// The width the user gave the panel: floating, or docked beside the editor. A docked panel has
// no room of its own at the window's minimum width, and alone it only follows the window.
int TToolForm::CurrentDataPanelWidth() const {
  layout()->activate();  // a width set a moment ago reaches the panel first
  if (DataPanel->isHidden()) return 0;
  if (DataPanel->isFloating()) return DataPanel->width();
  if (RulePageControl->isHidden() || width() <= kMinimumWidth) return 0;
  return DataPanel->width();
}

void TToolForm::RememberDataPanelWidth() {
  if (const int current = CurrentDataPanelWidth(); current != 0) {
    FConfiguration.DataPanelWidth = current;
  }
}

void TToolForm::ApplyLayout() {
  RememberDataPanelWidth();
  if (!SpreadsheetMenuItem->isChecked()) {
    ViewEditorMenuItem->setChecked(true);
    SetWindowWidth(kMinimumWidth);
    DataPanel->hide();
    RulePageControl->show();
  } else if (DataPanel->isFloating()) {
    ViewEditorMenuItem->setChecked(true);
    DataPanel->show();
    RulePageControl->show();
    SetWindowWidth(kMinimumWidth);
  } else if (!ViewEditorMenuItem->isChecked() && !CBEGroupBox->isHidden()) {
    DataPanel->show();
    RulePageControl->hide();
    SetWindowWidth(FConfiguration.DataPanelWidth + 8);
    resizeDocks({DataPanel}, {FConfiguration.DataPanelWidth}, Qt::Horizontal);
    MimicBook->setFocus();
  } else {
    // Data only with the grid hidden (Controller page) shows both.
    ViewEditorMenuItem->setChecked(true);
    ShowEditorAndData();
  }
  UpdateToggleEnabling();
}

void TToolForm::ShowEditorAndData() {
  RulePageControl->show();
  DataPanel->show();
  SetWindowWidth(kMinimumWidth + FConfiguration.DataPanelWidth);
  resizeDocks({DataPanel}, {FConfiguration.DataPanelWidth}, Qt::Horizontal);
}

void TToolForm::UpdateToggleEnabling() {
  SpreadsheetMenuItem->setEnabled(ViewEditorMenuItem->isChecked());
  ViewEditorMenuItem->setEnabled(SpreadsheetMenuItem->isChecked());
}

void TToolForm::DataPanelFloatChanged(bool floating) {
  if (floating) {
    // A floated panel keeps the width it had in the window.
    DataPanel->resize(std::max(FConfiguration.DataPanelWidth, DataPanel->width()),
                      DataPanel->height());
  } else {
    FormDockDrop();
  }
  DataPanelEndDock();
}

void TToolForm::FormDockDrop() {
  // The panel is back in the window already; the width it had while floating is the one kept.
  const int panelWidth = std::max(FConfiguration.DataPanelWidth, DataPanel->minimumWidth());
  SetWindowWidth(panelWidth + kMinimumWidth);
  resizeDocks({DataPanel}, {panelWidth}, Qt::Horizontal);
  FDocked = true;
}

void TToolForm::DataPanelEndDock() {
  if (DataPanel->isFloating()) {
    SetWindowWidth(kMinimumWidth);
    activateWindow();
  } else {
    ApplyLayout();
  }
  if (FDocked) {
    if (DataPanel->isFloating()) FDocked = false;
    DataPanel->show();
    activateWindow();
    SetWindowWidth(kMinimumWidth);
  }
}

void TToolForm::DataPanelResize() {
  RememberDataPanelWidth();
}

// The user sizes the panel by its floating frame or, docked, by the window's separator; the
// layouts' own resizes are not the user's choice.
bool TToolForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DataPanel && event->type() == QEvent::Resize && DataPanel->isFloating()) {
    DataPanelResize();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TToolForm::mouseReleaseEvent(QMouseEvent* event) {
  QMainWindow::mouseReleaseEvent(event);
  DataPanelResize();
}

void TToolForm::MenuToolOptionsClick() {
  if (FOptionsForm) FOptionsForm->exec();
}

void TToolForm::MenuHelpAboutClick() {
  if (FAboutBox) FAboutBox->exec();
}

void TToolForm::MenuTRVToolPDFClick() {
  const std::filesystem::path document = HelpDocumentPath(FProgramDirectory);
  if (::access(document.c_str(), R_OK) != 0) {
    ShowSystemError(std::error_code(errno, std::system_category()));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(document.string())));
}

void TToolForm::ShowSystemError(const std::error_code& error) {
  if (!error) return;
  FQueries->Message(error.message(), ActiveText(string_id::kError), MessageButtons::Ok,
                    MessageIcon::Error);
}

}  // namespace trv
