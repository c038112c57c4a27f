#include "shell/tool_form.h"

#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "main_window_test.h"
#include "shell/language_module.h"
#include "shell/ui_text.h"

using namespace trv;

class ToolFormTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  QTabWidget* Pages() { return Find<QTabWidget>("RulePageControl"); }
  QDockWidget* DataPanel() { return Find<QDockWidget>("DataPanel"); }
  void Click(const char* action) { Find<QAction>(action)->trigger(); }
  bool Checked(const char* action) { return Find<QAction>(action)->isChecked(); }
  void ShowRulePage() { Pages()->setCurrentIndex(1); }

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
    QCOMPARE(form.windowTitle(), UiText(65102) + " - My Site.trv - Zonal Rule");
  }

  void titleEndsWithTheActivePageCaption() {
    for (int page = 0; page < Pages()->count(); ++page) {
      Pages()->setCurrentIndex(page);
      QVERIFY(FForm->windowTitle().endsWith(" - " + Pages()->tabText(page)));
      QVERIFY(FForm->windowTitle().startsWith(UiText(65102) + " - Mimic1 - "));
    }
    FForm->SetTitle("/some/where/Site A.trv");
    QCOMPARE(FForm->windowTitle(), UiText(65102) + " - Site A.trv - Device/Event Rule");
  }

  void fileDialogsStartInTheDataDirectoryWithTheDefaultName() {
    const FileDialogSetup& open = FForm->OpenDialogSetup();
    QCOMPARE(open.FileName, QString("Mimic1"));
    QCOMPARE(open.Filter, UiText(65268) + " (*.trv)|*.trv");
    QCOMPARE(open.DefaultExtension, QString("trv"));
    // A name typed without an extension saves a rule file that the open dialog lists again.
    QCOMPARE(FForm->SaveDialogSetup().Filter, open.Filter);
    QCOMPARE(FForm->SaveDialogSetup().DefaultExtension, QString("trv"));
    QVERIFY(open.InitialDirectory.endsWith("/Data"));
  }

  void closingAsksAboutUnsavedChanges() {
    bool saved = false;
    FForm->SaveRuleFile = [&] { return saved; };
    FForm->Config().Modified = true;

    FDialogs->ExpectMessage(MessageAnswer::Cancel);
    QVERIFY(!FForm->close());
    FDialogs->ExpectMessage(MessageAnswer::Yes);  // and the save is cancelled
    QVERIFY(!FForm->close());
    QCOMPARE(FDialogs->Messages().back().Text, UiText(65270));
    QCOMPARE(FDialogs->Messages().back().Caption, UiText(65242));
    QCOMPARE(FDialogs->Messages().back().Buttons, MessageButtons::YesNoCancel);
    QCOMPARE(FDialogs->Messages().back().Icon, MessageIcon::Question);

    FDialogs->ExpectMessage(MessageAnswer::No);
    QVERIFY(FForm->close());
    QCOMPARE(FDialogs->Messages().size(), std::size_t{3});
  }

  void closingWithoutChangesAsksNothing() {
    QVERIFY(FForm->close());
    QVERIFY(FDialogs->Messages().empty());
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
    QTest::qWait(20);
    QVERIFY(Pages()->isHidden());
    QVERIFY(!Checked("ViewEditorMenuItem"));
    QCOMPARE(FForm->width(), width + 8);
    QVERIFY(!Find<QAction>("SpreadsheetMenuItem")->isEnabled());
    Click("BothEditorAndData");
    QTest::qWait(20);
    QVERIFY(!Pages()->isHidden());
    QCOMPARE(FForm->width(), TToolForm::kMinimumWidth + width);
    QCOMPARE(DataPanel()->width(), width);
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
    DataPanel()->setFloating(true);
    QTest::qWait(20);
    QCOMPARE(FForm->width(), TToolForm::kMinimumWidth);
    QVERIFY(!FForm->Docked());
    QCOMPARE(DataPanel()->width(), width);
    DataPanel()->setFloating(false);
    QTest::qWait(20);
    QVERIFY(FForm->Docked());
    Click("BothEditorAndData");
    QTest::qWait(20);
    QCOMPARE(FForm->RememberedDataPanelWidth(), width);
    QCOMPARE(FForm->width(), TToolForm::kMinimumWidth + width);
  }

  void screenshotOfTheMainWindow() {
    ShowRulePage();
    Click("BothEditorAndData");
    QTest::qWait(20);
    const QString path = qEnvironmentVariable("TRV_SCREENSHOT_DIR");
    if (!path.isEmpty()) QVERIFY(FForm->grab().save(path + "/main-window.png"));
  }

  void missingHelpDocumentShowsTheSystemsError() {
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Click("MenuTRVToolPDF");
    QCOMPARE(FDialogs->Messages().back().Text, QString("No such file or directory"));
    QCOMPARE(FDialogs->Messages().back().Caption, UiText(65240));
  }

  void languageModuleReplacesAStringAndACaption() {
    const auto path = WriteModule("DEU", R"({"strings": {"65205": "Mimik-Regeln"},
        "forms": {"TToolForm": {"ControllerTabSheet": {"caption": "Steuerung"},
                                "MenuFileExit": {"caption": "&Beenden"},
                                "NoSuchControl": {"caption": "x"}}}})");
    const std::optional<LanguageModule> module = LanguageModule::Load(path);
    QVERIFY(module.has_value());
    QVERIFY(module->ApplyStrings().empty());
    FForm->ReadFormResources(*module);
    QCOMPARE(UiText(65205), QString("Mimik-Regeln"));
    QCOMPARE(Pages()->tabText(0), QString("Steuerung"));
    QVERIFY(FForm->windowTitle().endsWith(" - Steuerung"));
    QCOMPARE(Find<QAction>("MenuFileExit")->text(), QString("&Beenden"));
    ShowRulePage();
    QCOMPARE(Find<QGroupBox>("CBEGroupBox")->title(), QString("Mimik-Regeln"));
  }

  void languageModuleWithABadFormatKeepsTheBuiltInText() {
    const QString builtIn = UiText(65267);  // "... rule %d ?"
    const auto path = WriteModule("DEU", R"({"strings": {"65267": "Regel %s ändern?",
                                                         "65205": "Mimik-Regeln"}})");
    const std::optional<LanguageModule> module = LanguageModule::Load(path);
    QVERIFY(module.has_value());
    QCOMPARE(module->ApplyStrings(), std::vector<std::string>{"65267"});
    QCOMPARE(UiText(65267), builtIn);
    QCOMPARE(UiText(65205), QString("Mimik-Regeln"));
  }

  void brokenLanguageModulesAreRefusedWhole() {
    for (const char* text : {R"({"strings": {"65205": "x"}, "forms": )", "[1, 2]",
                             R"({"forms": {"TToolForm": {"RulePageControl": {"caption": 5}}}})",
                             R"({"strings": {"65205": 12}})"}) {
      const auto path = WriteModule("FRA", text);
      QVERIFY_THROWS_EXCEPTION(std::runtime_error, LanguageModule::Load(path));
    }
    QCOMPARE(UiText(65205), QString::fromStdString(StringTable::BuiltIn().Text(65205)));
    QVERIFY(!LanguageModule::Load(FDirectory.path().toStdString() + "/missing.ENG").has_value());
  }

  void storedLanguageCodeComesFirst() {
    const std::filesystem::path program = "/opt/trv dir/trv-config";
    StoreLanguageCode(program, "FRA");
    QCOMPARE(UserLanguageCode(program), QString("FRA"));
    StoreLanguageCode(program, "");
    QCOMPARE(UserLanguageCode(program), QString());  // the C locale has no language code
  }

  void languageModulePathFollowsTheProgram() {
    QCOMPARE(QString::fromStdString(LanguageModulePath("/opt/trv/trv-config", "DEU").string()),
             QString("/opt/trv/DEU/trv-config.DEU"));
  }
};

QTEST_MAIN(ToolFormTest)
#include "tool_form_test.moc"
