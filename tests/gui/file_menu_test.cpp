#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "editor/rule_list_commands.h"
#include "editor/ui/rule_grid_view.h"
#include "main_window_test.h"
#include "model/string_ids.h"
#include "sample_rules.h"
#include "screenshot.h"
#include "shell/ui_text.h"

using namespace trv;

class FileMenuTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  Configuration& Config() { return FForm->Config(); }
  void Trigger(const char* action) { Find<QAction>(action)->trigger(); }
  std::filesystem::path File(const char* name) const {
    return std::filesystem::path(FDirectory.path().toStdString()) / name;
  }
  QString Path(const std::filesystem::path& file) { return QString::fromStdString(file.string()); }

  void AddRules(int count) {
    for (int n = 1; n <= count; ++n) {
      Config().MimicBook.SetActiveCell(n, 1);
      Config().WorkingRule = test::SampleRule(n);
      QVERIFY(FForm->RuleList().ChooseTargetRow());
      FForm->RuleList().AppendOrOverwrite(static_cast<RuleKind>(Config().WorkingRule.Kind));
    }
  }
  void SaveAs(const std::filesystem::path& file) {
    FDialogs->ExpectFile(Path(file));
    Trigger("MenuFileSaveAs");
    QVERIFY(!Config().Modified);
  }
  QMenu* RecentMenu() {
    auto* menu = Find<QMenu>("MenuFileOpenRecent");
    emit menu->aboutToShow();
    return menu;
  }
  void Shoot(QWidget* widget, const QString& name) {
    QVERIFY(test::SaveScreenshot(widget->grab(), name));
  }

 private slots:
  void init() { OpenWindow(); }
  void cleanup() { CloseWindow(); }

  void savedRulesComeBackAfterNewAndOpen() {
    SetController();
    AddRules(4);
    SaveAs(File("Site.trv"));
    QVERIFY(std::filesystem::exists(File("Site.trv")));
    QVERIFY(FForm->windowTitle().contains(" - Site.trv - "));

    FQueries->ExpectMessage(MessageAnswer::Yes);  // reset to defaults
    Trigger("MenuFileNew");
    QCOMPARE(Config().RuleCount, 0);
    QVERIFY(!Find<QAction>("MenuFileSaveAs")->isEnabled());
    QVERIFY(Find<QPushButton>("ControllerSetBitBtn")->isEnabled());

    FDialogs->ExpectFile(Path(File("Site.trv")));
    Trigger("MenuFileOpen");
    QCOMPARE(Config().RuleCount, 4);
    QCOMPARE(Find<TRuleGridView>("MimicBook")->model()->rowCount(), 5);
    QVERIFY(!Find<QPushButton>("ControllerSetBitBtn")->isEnabled());
    QVERIFY(Find<QTabWidget>("RulePageControl")->isTabVisible(1));
    QVERIFY(Find<QAction>("MenuFileSaveAs")->isEnabled());
    QVERIFY(Find<QAction>("MenuFilePrint")->isEnabled());
    QVERIFY(!Config().Modified);
    Find<QTabWidget>("RulePageControl")->setCurrentIndex(1);
    QCOMPARE(FForm->windowTitle(), UiText(string_id::kProductTitle) + " - Site.trv - Board Rule");
    Shoot(FForm.get(), "file-opened");
    Find<QTabWidget>("RulePageControl")->setCurrentIndex(0);
    Shoot(FForm.get(), "file-opened-controller");
  }

  void theFileOnTheCommandLineOpensAtStartUp() {
    std::filesystem::create_directories(File("My Sites"));
    SetController();
    AddRules(2);
    SaveAs(File("My Sites") / "North Wing.trv");
    const std::filesystem::path directory = FDirectory.path().toStdString();
    TToolForm form(directory / "trv-config", directory / "Data");
    const QString sites = Path(File("My Sites"));
    form.SetCommandLine({sites.left(sites.size() - 6), "Sites/North", "Wing.trv", "extra"});
    form.show();
    QCOMPARE(form.Config().RuleCount, 2);
    QCOMPARE(form.Config().StoredRule(2), test::SampleRule(2));
    QVERIFY(form.windowTitle().contains(" - North Wing.trv - "));
    QVERIFY(!form.Config().Modified);
  }

  // A file that no longer opens is dropped with its message; the others stay.
  void openRecentOffersTheLastFilesAndDropsOneThatFails() {
    SetController();
    AddRules(1);
    SaveAs(File("A.trv"));
    SaveAs(File("B.trv"));
    QMenu* recent = RecentMenu();
    const qsizetype entries = recent->actions().size();
    QVERIFY(entries >= 2);
    QVERIFY(recent->actions()[0]->text().endsWith("B.trv"));
    QVERIFY(recent->actions()[1]->text().endsWith("A.trv"));
    recent->popup(FForm->pos());
    QTRY_VERIFY(recent->isVisible());
    Shoot(recent, "file-open-recent");
    recent->hide();

    std::ofstream(File("B.trv")) << "not a rule data file";
    FQueries->ExpectMessage(MessageAnswer::Ok);
    Find<QAction>("MenuFileOpenRecent1")->trigger();
    QTRY_COMPARE(recent->actions().size(), entries - 1);
    QVERIFY(FQueries->LastMessage().Text.find("B.trv") != std::string::npos);
    QVERIFY(recent->actions()[0]->text().endsWith("A.trv"));

    std::filesystem::remove(File("A.trv"));
    QCOMPARE(RecentMenu()->actions().size(), entries - 2);
  }
};

QTEST_MAIN(FileMenuTest)
#include "file_menu_test.moc"
