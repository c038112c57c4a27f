#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>

#include "editor/file_commands.h"
#include "editor/rule_list_listener.h"
#include "model/configuration.h"
#include "model/user_queries.h"
#include "shell/dialogs.h"

class QAction;
class QDockWidget;
class QGroupBox;
class QMenu;
class QStatusBar;
class QTabWidget;

namespace trv {

class LanguageModule;
class TControllerPage;
class TControllerState;
class TEditorState;
class TRuleGrid;
class TRuleListCommands;
class TRuleGridView;
class TRulePages;
class TPrintCommands;
class TCompareExportCommands;
class TCheckRulesDock;
class TRecentFilesMenu;
class TProgressForm;
class TTransferCommands;

// The main window: the editor pages on the left, the dockable data panel with the rule grid,
// the menus and the status bar. It owns the configuration for its whole life.
class TToolForm : public QMainWindow, public RuleListListener, public FileCommandsWindow {
  Q_OBJECT

 public:
  static constexpr int kInitialWidth = 788;
  static constexpr int kInitialHeight = 674;
  static constexpr int kMinimumWidth = 377;
  static constexpr int kMinimumHeight = 674;

  // programPath: the program file, whose directory holds the help document and Data.
  TToolForm(const std::filesystem::path& programPath, const std::filesystem::path& dataDirectory,
            QWidget* parent = nullptr);
  ~TToolForm() override;

  Configuration& Config() { return FConfiguration; }
  Dialogs& Dialog() { return *FDialogs; }
  UserQueries& Queries() { return *FQueries; }
  TRuleGrid& Grid() { return *FGrid; }
  TRuleListCommands& RuleList() { return *FRuleList; }
  TEditorState& Editor() { return *FEditor; }
  TControllerState& Controller() { return *FController; }
  TFileCommands& Files() { return *FFiles; }
  TTransferCommands& Transfer() { return *FTransfer; }
  void SetDialogs(std::unique_ptr<Dialogs> dialogs);
  void SetUserQueries(std::unique_ptr<UserQueries> queries);
  // The modal forms behind Tool "Options" and Help "&About...".
  void SetModalForms(QDialog* optionsForm, QDialog* aboutBox);
  // The dialog that runs Send and Get; it asks through the window's user queries.
  void SetProgressForm(TProgressForm& progressForm);

  // Filled by the editor, grid and file commands as they arrive.
  std::function<void(bool keepPages)> RefreshEditor;
  std::function<void(bool clear)> SetUpWorkbook;
  std::function<bool()> SaveRuleFile;  // true when the save completed
  std::function<void(const QString& fileName)> OpenRuleFile;
  // The unit name as the settings page's edit box shows it, committed or not; the report's
  // footer names it.
  std::function<std::string()> UnitNameShown;

  // The window's texts from a language module; the title follows the page caption read.
  void ReadFormResources(const LanguageModule& module);

  MessageAnswer AskToSave() override;
  void SetTitle(const QString& fileName);
  void SetUpFileDialogs();
  const FileDialogSetup& OpenDialogSetup() const;
  const FileDialogSetup& SaveDialogSetup() const;

  // Parameters rejoined with blanks until the text contains "trv".
  static QString CommandLineFileName(const QStringList& parameters);
  void SetCommandLine(const QStringList& parameters) { FParameters = parameters; }
  const QString& CommandLineFile() const { return FCommandLineFile; }

  void BothEditorAndDataClick();
  void DataOnlyClick();
  void EditOnlyClick();
  void ViewEditorMenuItemClick();
  void SpreadsheetMenuItemClick();
  void MenuFileExitClick();
  // File "Import Controller Image...": the open dialog, then the import.
  void MenuFileImportImageClick();
  void MenuToolOptionsClick();
  void MenuHelpAboutClick();
  void MenuTRVToolPDFClick();
  void PageControlTabChange();

  void SetGridCaption(const std::string& caption) override;
  void EnableRuleListCommands(bool enabled) override;
  void ShowRequiredSystem(int requiredSystem) override;
  void LoadRuleIntoPage(const RuleRecord& rule) override;
  void RefreshTitle() override;
  bool DataPanelVisible() const override;
  bool GridVisible() const override;
  void FocusGrid() override;
  void RulesChanged() override;

  FileChooser& Chooser() override { return *FDialogs; }
  // The editor's pages from their states, and the rule pages offered once the controller is set.
  void ShowEditor() override;
  void EnableFileCommands(bool loaded) override;
  void ShowFileInTitle(const std::string& fileName) override;
  void FileOpenedOrSaved(const std::string& path) override;

  int RememberedDataPanelWidth() const;
  bool Docked() const { return FDocked; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void CreatePages();
  void CreateDataPanel();
  void CreateRulePages();
  void CreateControllerPage();
  void CreateFileCommands();
  void OfferRulePages();
  void CreatePrintCommands();
  void CreateCompareExportCommands();
  void CreateCheckRulesDock();
  void CreateTransferCommands();
  void CreateDebugButtons();
  // The editor, grid and pages after a decode replaced the settings and rules.
  void ShowDecodedConfiguration();
  void CreateMenus();
  void CreateFileMenu(QMenu* file);
  bool OpenRecentFile(const std::string& path);
  QAction* AddAction(QMenu* menu, const QString& name, const QString& text,
                     const QKeySequence& shortcut = {});
  void FormCreate();
  void FormShow();
  void ApplyLayout();
  void ShowEditorAndData();
  void UpdateToggleEnabling();
  void SetWindowWidth(int width);
  void DataPanelFloatChanged(bool floating);
  void FormDockDrop();
  void DataPanelEndDock();
  void DataPanelResize();
  void ResetRuleListCommands();
  int CurrentDataPanelWidth() const;
  void RememberDataPanelWidth();
  void ShowSystemError(const std::error_code& error);

  std::filesystem::path FProgramDirectory;
  Configuration FConfiguration;
  std::unique_ptr<UserQueries> FQueries;
  std::unique_ptr<Dialogs> FDialogs;
  // The grid goes before the commands it runs, and they before the configuration.
  std::unique_ptr<TRuleListCommands> FRuleList;
  std::unique_ptr<TRuleGrid> FGrid;
  std::unique_ptr<TEditorState> FEditor;
  std::unique_ptr<TRulePages> FRulePages;  // its widgets' handlers go before the state
  std::unique_ptr<TControllerState> FController;
  std::unique_ptr<TControllerPage> FControllerPage;
  std::unique_ptr<TPrintCommands> FPrint;
  std::unique_ptr<TCompareExportCommands> FCompareExport;
  std::unique_ptr<TFileCommands> FFiles;
  TRecentFilesMenu* FRecentFiles = nullptr;
  std::unique_ptr<TTransferCommands> FTransfer;
  TProgressForm* FProgressForm = nullptr;
  QDialog* FOptionsForm = nullptr;
  QDialog* FAboutBox = nullptr;
  QStringList FParameters;
  QString FCommandLineFile;
  QString FTitleFileName;
  bool FShown = false;
  bool FDocked = true;

  QTabWidget* RulePageControl = nullptr;
  QWidget* ControllerTabSheet = nullptr;
  QWidget* BoardRuleTabSheet = nullptr;
  QWidget* ZonalRuleTabSheet = nullptr;
  QWidget* EventRuleTabSheet = nullptr;
  QDockWidget* DataPanel = nullptr;
  TCheckRulesDock* CheckRulesDock = nullptr;
  QGroupBox* CBEGroupBox = nullptr;
  TRuleGridView* MimicBook = nullptr;
  QStatusBar* StatusBar = nullptr;
  QAction* ViewEditorMenuItem = nullptr;
  QAction* SpreadsheetMenuItem = nullptr;
};

}  // namespace trv
