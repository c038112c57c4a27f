#include "shell/tool_form.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fstream>

#include "main_window_test.h"
#include "model/string_ids.h"
#include "screenshot.h"
#include "shell/language_module.h"
#include "shell/ui_text.h"

using namespace trv;

namespace {

// String ids as a language module's "strings" object names them.
const std::string kMimicRulesKey = std::to_string(string_id::kMimicRules);
const std::string kModifyRuleKey = std::to_string(string_id::kModifyRuleQuestion);

// Probes of the files a default rule file name must not clash with, counted while set.
std::atomic<const char*> gCountedDirectory = nullptr;
std::atomic<int> gDefaultNameProbes = 0;

}  // namespace

// Every file status the program asks for passes here first.
extern "C" int stat(const char* path, struct stat* status) noexcept {
  using Stat = int (*)(const char*, struct stat*);
  static const auto next = reinterpret_cast<Stat>(dlsym(RTLD_NEXT, "stat"));
  const char* directory = gCountedDirectory;
  if (directory && std::string_view(path).starts_with(std::string(directory) + "/Mimic")) {
    ++gDefaultNameProbes;
  }
  return next(path, status);
}

class ToolFormTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  QTabWidget* Pages() { return Find<QTabWidget>("RulePageControl"); }
  QDockWidget* DataPanel() { return Find<QDockWidget>("DataPanel"); }
  void Click(const char* action) { Find<QAction>(action)->trigger(); }
  bool Checked(const char* action) { return Find<QAction>(action)->isChecked(); }
  void ShowRulePage() {
    SetController();
    Pages()->setCurrentIndex(1);
  }

  void FloatAndDockTheDataPanel(int width) {
    DataPanel()->setFloating(true);
    QTRY_COMPARE(FForm->width(), TToolForm::kMinimumWidth);
    QVERIFY(!FForm->Docked());
    QCOMPARE(DataPanel()->width(), width);
    DataPanel()->setFloating(false);
    QTRY_VERIFY(FForm->Docked());
  }

  std::filesystem::path WriteModule(const std::string& code, const std::string& text) {
    const std::filesystem::path program =
        std::filesystem::path(FDirectory.path().toStdString()) / "trv-config";
    const std::filesystem::path path = LanguageModulePath(program, QString::fromStdString(code));
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
    return path;
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() { OpenWindow(); }
  void cleanup() { CloseWindow(); }

  void startsWithTheLayoutOfTheMainWindow() {
    QCOMPARE(FForm->size(), QSize(788, 674));
    QCOMPARE(FForm->minimumSize(), QSize(377, 674));
    QCOMPARE(Pages()->count(), 4);
    QCOMPARE(Pages()->tabText(0), QString("Controller"));
    QCOMPARE(Pages()->tabText(3), QString("Device/Event Rule"));
    QCOMPARE(Pages()->currentWidget()->objectName(), QString("ControllerTabSheet"));
    QVERIFY(Find<QGroupBox>("CBEGroupBox")->isHidden());
    QCOMPARE(Find<QAction>("MenuFileOpen")->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(Find<QAction>("MenuFileSaveAs")->text(), QString("&Save"));
    QVERIFY(!Find<QAction>("ViewEditorMenuItem")->isVisible());
    QVERIFY(Checked("ViewEditorMenuItem") && Checked("SpreadsheetMenuItem"));
    QVERIFY(Find<QObject>("ControlMenu"));
    QVERIFY(!Find<QAction>("MenuFileSaveAs")->isEnabled());
    QVERIFY(!Find<QAction>("MenuFilePrint")->isEnabled());
    QVERIFY(Find<QAction>("MenuConnectSendRules")->isEnabled());
  }

  void rejoinsCommandLineParametersUntilTheTextNamesARuleFile() {
    QCOMPARE(TToolForm::CommandLineFileName({"C:\\My", "Rules\\a.trv", "extra"}),
             QString("C:\\My Rules\\a.trv"));
    QCOMPARE(TToolForm::CommandLineFileName({"/tmp/site.trv"}), QString("/tmp/site.trv"));
    QCOMPARE(TToolForm::CommandLineFileName({"no", "rule", "file"}), QString("no rule file"));
    QCOMPARE(TToolForm::CommandLineFileName({}), QString());
  }

  void aFileFromTheCommandLineStaysInTheTitleOnEveryPage() {
    const std::filesystem::path directory = FDirectory.path().toStdString();
    TToolForm form(directory / "trv-config", directory / "Data");
    QString opened;
    form.OpenRuleFile = [&](const QString& name) { opened = name; };
    form.SetCommandLine({"/sites/My", "Site.trv"});
    form.show();
    QCOMPARE(opened, QString("/sites/My Site.trv"));
    form.findChild<QTabWidget*>("RulePageControl")->setCurrentIndex(2);
    QCOMPARE(form.windowTitle(), UiText(string_id::kProductTitle) + " - My Site.trv - Zonal Rule");
  }

  // The configuration finds its default name once: the window does not reset it again.
  void theDataDirectoryIsScannedOnceAtCreation() {
    const std::filesystem::path directory = FDirectory.path().toStdString();
    const std::string data = (directory / "Data").string();
    gDefaultNameProbes = 0;
    gCountedDirectory = data.c_str();
    { TToolForm form(directory / "trv-config", directory / "Data"); }
    gCountedDirectory = nullptr;
    QCOMPARE(gDefaultNameProbes.load(), 2);  // Mimic1.trv and Mimic1.hex
  }

  void titleEndsWithTheActivePageCaption() {
    SetController();
    for (int page = 0; page < Pages()->count(); ++page) {
      Pages()->setCurrentIndex(page);
      QVERIFY(FForm->windowTitle().endsWith(" - " + Pages()->tabText(page)));
      QVERIFY(FForm->windowTitle().startsWith(UiText(string_id::kProductTitle) + " - Mimic1 - "));
    }
    FForm->SetTitle("/some/where/Site A.trv");
    QCOMPARE(FForm->windowTitle(),
             UiText(string_id::kProductTitle) + " - Site A.trv - Device/Event Rule");
  }

  void fileDialogsStartInTheDataDirectoryWithTheDefaultName() {
    const FileDialogSetup& open = FForm->OpenDialogSetup();
    QCOMPARE(open.FileName, std::string("Mimic1"));
    QCOMPARE(QString::fromStdString(open.Filter),
             UiText(string_id::kRuleFileFilter) + " (*.trv)|*.trv");
    QCOMPARE(open.DefaultExtension, std::string("trv"));
    // A name typed without an extension saves a rule file that the open dialog lists again.
    QCOMPARE(FForm->SaveDialogSetup().Filter, open.Filter);
    QCOMPARE(FForm->SaveDialogSetup().DefaultExtension, std::string("trv"));
    QVERIFY(open.InitialDirectory.ends_with("/Data"));
  }

  void closingAsksAboutUnsavedChanges() {
    bool saved = false;
    FForm->SaveRuleFile = [&] { return saved; };
    FForm->Config().Modified = true;

    FQueries->ExpectMessage(MessageAnswer::Cancel);
    QVERIFY(!FForm->close());
    FQueries->ExpectMessage(MessageAnswer::Yes);  // and the save is cancelled
    QVERIFY(!FForm->close());
    QCOMPARE(FQueries->LastMessage().Text, ActiveText(string_id::kSaveChangesQuestion));
    QCOMPARE(FQueries->LastMessage().Caption, ActiveText(string_id::kWarning));
    QCOMPARE(FQueries->LastMessage().Buttons, MessageButtons::YesNoCancel);
    QCOMPARE(FQueries->LastMessage().Icon, MessageIcon::Question);

    FQueries->ExpectMessage(MessageAnswer::No);
    QVERIFY(FForm->close());
    QCOMPARE(FQueries->Messages().size(), std::size_t{3});
  }

  void closingWithoutChangesAsksNothing() {
    QVERIFY(FForm->close());
    QVERIFY(FQueries->Messages().empty());
  }

  void dataOnlyOnTheControllerPageShowsBothPanels() {
    Click("DataOnly");
    QVERIFY(Checked("ViewEditorMenuItem"));
    QVERIFY(!Pages()->isHidden());
    QVERIFY(!DataPanel()->isHidden());
  }

  void dataOnlyOnARulePageHidesTheEditor() {
    ShowRulePage();
    Click("BothEditorAndData");
    const int width = FForm->RememberedDataPanelWidth();
    Click("DataOnly");
    QTRY_COMPARE(FForm->width(), width + 8);
    QVERIFY(Pages()->isHidden());
    QVERIFY(!Checked("ViewEditorMenuItem"));
    QVERIFY(!Find<QAction>("SpreadsheetMenuItem")->isEnabled());
    Click("BothEditorAndData");
    QTRY_COMPARE(FForm->width(), TToolForm::kMinimumWidth + width);
    QTRY_COMPARE(DataPanel()->width(), width);
    QVERIFY(!Pages()->isHidden());
  }

  void editorOnlyHidesTheDataPanel() {
    Click("EditOnly");
    QVERIFY(DataPanel()->isHidden());
    QCOMPARE(FForm->width(), TToolForm::kMinimumWidth);
    QVERIFY(!Find<QAction>("ViewEditorMenuItem")->isEnabled());
  }

  void floatingAndDockingAgainKeepsThePanelWidth() {
    ShowRulePage();
    Click("BothEditorAndData");
    const int width = FForm->RememberedDataPanelWidth();
    QVERIFY(width > 0);
    FloatAndDockTheDataPanel(width);
    Click("BothEditorAndData");
    QTRY_COMPARE(FForm->width(), TToolForm::kMinimumWidth + width);
    QCOMPARE(FForm->RememberedDataPanelWidth(), width);
  }

  // Before any View command: the width the panel started with is the one kept.
  void floatingAndDockingBeforeAnyViewCommandKeepsTheStartingWidth() {
    ShowRulePage();
    const int width = TToolForm::kInitialWidth - TToolForm::kMinimumWidth;
    FloatAndDockTheDataPanel(width);
    Click("BothEditorAndData");
    QTRY_COMPARE(FForm->width(), TToolForm::kInitialWidth);
    QTRY_COMPARE(DataPanel()->width(), width);
    QCOMPARE(FForm->RememberedDataPanelWidth(), width);
  }

  void screenshotOfTheMainWindow() {
    ShowRulePage();
    Click("BothEditorAndData");
    QTRY_VERIFY(!DataPanel()->isHidden() && DataPanel()->width() > 0);
    QVERIFY(test::SaveScreenshot(FForm->grab(), "main-window"));
  }

  void missingHelpDocumentShowsTheSystemsError() {
    FQueries->ExpectMessage(MessageAnswer::Ok);
    Click("MenuTRVToolPDF");
    QCOMPARE(FQueries->LastMessage().Text, std::string("No such file or directory"));
    QCOMPARE(FQueries->LastMessage().Caption, ActiveText(string_id::kError));
  }

  void languageModuleReplacesAStringAndACaption() {
    const auto path =
        WriteModule("DEU", R"({"strings": {")" + kMimicRulesKey + R"(": "Mimik-Regeln"},
        "forms": {"TToolForm": {"ControllerTabSheet": {"caption": "Steuerung"},
                                "MenuFileExit": {"caption": "&Beenden"},
                                "NoSuchControl": {"caption": "x"}}}})");
    const std::optional<LanguageModule> module = LanguageModule::Load(path);
    QVERIFY(module.has_value());
    QVERIFY(module->ApplyStrings().empty());
    FForm->ReadFormResources(*module);
    QCOMPARE(UiText(string_id::kMimicRules), QString("Mimik-Regeln"));
    QCOMPARE(Pages()->tabText(0), QString("Steuerung"));
    QVERIFY(FForm->windowTitle().endsWith(" - Steuerung"));
    QCOMPARE(Find<QAction>("MenuFileExit")->text(), QString("&Beenden"));
    ShowRulePage();
    QCOMPARE(Find<QGroupBox>("CBEGroupBox")->title(), QString("Mimik-Regeln"));
  }

  void languageModuleWithABadFormatKeepsTheBuiltInText() {
    const QString builtIn = UiText(string_id::kModifyRuleQuestion);  // "... rule %d ?"
    const auto path =
        WriteModule("DEU", R"({"strings": {")" + kModifyRuleKey + R"(": "Regel %s ändern?", ")" +
                               kMimicRulesKey + R"(": "Mimik-Regeln"}})");
    const std::optional<LanguageModule> module = LanguageModule::Load(path);
    QVERIFY(module.has_value());
    QCOMPARE(module->ApplyStrings(), std::vector<std::string>{kModifyRuleKey});
    QCOMPARE(UiText(string_id::kModifyRuleQuestion), builtIn);
    QCOMPARE(UiText(string_id::kMimicRules), QString("Mimik-Regeln"));
  }

  void brokenLanguageModulesAreRefusedWhole() {
    for (const std::string& text :
         {R"({"strings": {")" + kMimicRulesKey + R"(": "x"}, "forms": )", std::string("[1, 2]"),
          std::string(R"({"forms": {"TToolForm": {"RulePageControl": {"caption": 5}}}})"),
          R"({"strings": {")" + kMimicRulesKey + R"(": 12}})"}) {
      const auto path = WriteModule("FRA", text);
      QVERIFY_THROWS_EXCEPTION(std::runtime_error, LanguageModule::Load(path));
    }
    QCOMPARE(UiText(string_id::kMimicRules),
             QString::fromStdString(StringTable::BuiltIn().Text(string_id::kMimicRules)));
    QVERIFY(!LanguageModule::Load(FDirectory.path().toStdString() + "/missing.ENG").has_value());
  }

  void storedLanguageCodeComesFirst() {
    const std::filesystem::path program = "/opt/trv dir/trv-config";
    StoreLanguageCode(program, "FRA");
    QCOMPARE(UserLanguageCode(program), QString("FRA"));
    StoreLanguageCode(program, "");
    QCOMPARE(UserLanguageCode(program), QString());  // the C locale has no language code
  }

  void systemLocaleGivesTheTerminologicalCode() {
    const std::filesystem::path program = "/opt/trv dir/trv-config";
    StoreLanguageCode(program, "");
    const QString code = UserLanguageCode(program, QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(code, QString("DEU"));
    QCOMPARE(QString::fromStdString(LanguageModulePath(program, code).string()),
             QString("/opt/trv dir/DEU/trv-config.DEU"));
  }

  void languageModulePathFollowsTheProgram() {
    QCOMPARE(QString::fromStdString(LanguageModulePath("/opt/trv/trv-config", "DEU").string()),
             QString("/opt/trv/DEU/trv-config.DEU"));
  }
};

QTEST_MAIN(ToolFormTest)
#include "tool_form_test.moc"
