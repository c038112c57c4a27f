// File Export Rules, Compare with File and with Unit, the Check Rules list and the check before
// Send, through the scripted dialogs and a unit that answers at once.

#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "editor/rule_checker.h"
#include "editor/rule_list_commands.h"
#include "files/workbook_file.h"
#include "main_window_test.h"
#include "model/output_word.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "model/zone_range.h"
#include "sample_rules.h"
#include "screenshot.h"
#include "transfer/encode_image.h"
#include "transfer/image_file.h"
#include "transfer/transfer_commands.h"

using namespace trv;

namespace {

// Output 65, on board 2: an error while one board is installed.
RuleRecord BeyondTheBoards() {
  return {.Kind = rkZonal,
          .Panel = 1,
          .Zone = ZoneRange{1, 1}.Packed(),
          .Output = OutputWord::Termination(64, false, true).Value()};
}

// The progress dialog: a get brings this image back; without one the transfer is cancelled.
class FakeUnit : public TransferRunner {
 public:
  TransferResult RunTransfer(ConfigurationImage& buffer, TransferDirection) override {
    ++Runs;
    if (!Image) return TransferResult::Cancel;
    buffer = *Image;
    return TransferResult::Ok;
  }
  std::optional<ConfigurationImage> Image;
  int Runs = 0;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

class CompareCheckTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  Configuration& Config() { return FForm->Config(); }
  TRuleListCommands& RuleList() { return FForm->RuleList(); }
  std::filesystem::path File(const char* name) const {
    return std::filesystem::path(FDirectory.path().toStdString()) / name;
  }
  void Trigger(const char* action) { Find<QAction>(action)->trigger(); }

  void SetRule(int row, const RuleRecord& rule) {
    Config().MimicBook.SetActiveCell(row, 1);
    Config().WorkingRule = rule;
    FQueries->ExpectMessage(MessageAnswer::Yes);  // a row that holds a rule is overwritten
    QVERIFY(RuleList().ChooseTargetRow());
    RuleList().AppendOrOverwrite(static_cast<RuleKind>(rule.Kind));
  }
  void AddRule(const RuleRecord& rule) {
    Config().MimicBook.SetActiveCell(Config().RuleCount + 1, 1);
    Config().WorkingRule = rule;
    QVERIFY(RuleList().ChooseTargetRow());
    RuleList().AppendOrOverwrite(static_cast<RuleKind>(rule.Kind));
  }
  // The sample rules on a controller with one board.
  void AddRules(int count) {
    Config().ControllerSettings.BoardsInstalled = 1;
    for (int n = 1; n <= count; ++n) AddRule(test::SampleRule(n));
  }
  void DeleteRule(int row) {
    Config().MimicBook.SetSelection({row, 1, row, static_cast<int>(kRuleTextColumns)});
    RuleList().MimicBookClick(row, 0);
    FQueries->ExpectMessage(MessageAnswer::Ok);
    RuleList().SpreadsheetMenuDeleteClick();
  }

  std::filesystem::path SaveCopy(const char* name) {
    Configuration copy = Config();
    copy.WriteSettingsToSheet();
    WriteWorkbookFile(copy.MimicBook, File(name));
    return File(name);
  }

  // The dialog Compare with File shows for this file.
  QDialog* CompareWith(const std::filesystem::path& file) {
    FDialogs->ExpectFile(QString::fromStdString(file.string()));
    Trigger("MenuFileCompareWithFile");
    return FForm->findChild<QDialog*>("CompareDialog");
  }
  static QStringList Rows(QDialog* dialog) {
    QStringList rows;
    const QTreeWidget* list = dialog->findChild<QTreeWidget*>("CompareList");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      rows << list->topLevelItem(i)->text(0) + " | " + list->topLevelItem(i)->text(1);
    }
    return rows;
  }
  static QString Summary(QDialog* dialog) {
    return dialog->findChild<QLabel*>("CompareSummary")->text();
  }

  FakeUnit FUnit;

  QTreeWidget* Findings() { return Find<QTreeWidget>("CheckRulesList"); }
  int ExpectedFindings() { return static_cast<int>(CheckConfiguration(Config()).size()); }
  // The first finding of this severity that names these rules; null when there is none.
  QTreeWidgetItem* FindingOf(const QString& severity, const QString& rules) {
    for (int i = 0; i < Findings()->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = Findings()->topLevelItem(i);
      if (item->text(0) == severity && item->text(1) == rules) return item;
    }
    return nullptr;
  }

  std::set<std::filesystem::path> FilesInDirectory() const {
    std::set<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(FDirectory.path().toStdString())) {
      files.insert(entry.path());
    }
    return files;
  }

 private slots:
  void init() {
    OpenWindow();
    FUnit = {};
    FForm->Transfer().SetRunner(FUnit);
  }
  void cleanup() { CloseWindow(); }

  void exportWritesTheRuleTableAsTheGridShowsIt() {
    AddRules(3);
    FDialogs->ExpectFile(QString::fromStdString(File("rules.csv").string()));
    Trigger("MenuFileExportRules");
    QCOMPARE(FDialogs->FileDialogs().back().DefaultExtension, std::string("csv"));
    const std::string csv = ReadFile(File("rules.csv"));
    QVERIFY(csv.starts_with("\xEF\xBB\xBF,Rule,"));
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), std::ptrdiff_t{4});
    QCOMPARE(std::count(csv.begin(), csv.end(), '\r'), std::ptrdiff_t{4});
    const std::string lastCell = Config().MimicBook.Text(kRuleTextSheet, 3, 9);
    QVERIFY(csv.find("\r\n3,") != std::string::npos);
    QVERIFY(csv.ends_with(lastCell + "\r\n"));
  }

  void cancelledOrFailedExportWritesNothing() {
    AddRules(2);
    const std::set<std::filesystem::path> before = FilesInDirectory();
    FDialogs->ExpectFile("");
    Trigger("MenuFileExportRules");
    const std::filesystem::path missing = File("missing") / "rules.csv";
    FDialogs->ExpectFile(QString::fromStdString(missing.string()));
    FQueries->ExpectMessage(MessageAnswer::Ok);
    Trigger("MenuFileExportRules");
    const test::ShownMessage& message = FQueries->LastMessage();
    QCOMPARE(message.Icon, MessageIcon::Error);
    QVERIFY(message.Text.find("could not be written") != std::string::npos);
    QVERIFY(message.Text.find("export again") != std::string::npos);
    QVERIFY(FilesInDirectory() == before);
  }

  void compareShowsAChangedAnInsertedAndADeletedRule() {
    AddRules(4);
    Config().ControllerSettings.UnitName = "West";
    const std::filesystem::path file = SaveCopy("site.trv");
    Config().ControllerSettings.UnitName = "East";
    SetRule(1, test::SampleRule(5));
    DeleteRule(3);
    AddRule(test::SampleRule(6));
    Config().Modified = false;
    QDialog* dialog = CompareWith(file);
    QVERIFY(dialog);
    QCOMPARE(Summary(dialog), QString("differences: 1 setting, 3 rules (1 changed, 1 only in this "
                                      "configuration, 1 only in the file)"));
    const QStringList rows = Rows(dialog);
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows[0], QString("Settings | "));
    QCOMPARE(rows[1], QString("UnitName: East | UnitName: West"));
    QCOMPARE(rows[2], QString("Rules | "));
    QVERIFY(rows[3].startsWith("rule 1: ") && rows[3].contains(" | rule 1: "));
    QVERIFY(rows[4].startsWith(" | rule 3: "));
    QVERIFY(rows[5].startsWith("rule 4: ") && rows[5].endsWith(" | "));
    QVERIFY(test::SaveScreenshot(dialog->grab(), "compare-dialog"));
    QTest::mouseClick(dialog->findChild<QPushButton*>("CompareCloseButton"), Qt::LeftButton);
    QTRY_VERIFY(!FForm->findChild<QDialog*>("CompareDialog"));
    QCOMPARE(Config().RuleCount, 4);
    QVERIFY(!Config().Modified);
  }

  void compareWithItsOwnImageShowsNoDifference() {
    AddRules(6);
    WriteImageFile(EncodeImage(Config()), File("unit.hex"));
    QDialog* dialog = CompareWith(File("unit.hex"));
    QVERIFY(dialog);
    QCOMPARE(Summary(dialog), QString("no differences"));
    QVERIFY(Rows(dialog).isEmpty());
    dialog->close();
  }

  // The unit holds the rules as they were before rule 2 changed.
  void compareWithUnitShowsWhatTheUnitHoldsAndChangesNothing() {
    AddRules(4);
    FUnit.Image = EncodeImage(Config());
    SetRule(2, test::SampleRule(6));
    Config().Modified = false;
    const RuleRecord rule2 = Config().StoredRule(2);
    FQueries->ExpectMessage(MessageAnswer::Ok);  // the transfer prompt
    Trigger("MenuConnectCompareUnit");
    QDialog* dialog = FForm->findChild<QDialog*>("CompareDialog");
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("Compare with Unit"));
    QCOMPARE(Summary(dialog), QString("differences: 0 settings, 1 rule (1 changed)"));
    QVERIFY(Rows(dialog).last().startsWith("rule 2: "));
    QVERIFY(test::SaveScreenshot(dialog->grab(), "compare-unit"));
    dialog->close();
    QTRY_VERIFY(!FForm->findChild<QDialog*>("CompareDialog"));
    QVERIFY(Config().StoredRule(2) == rule2);
    QVERIFY(!Config().Modified);
    QVERIFY(!Config().SettingsLocked);

    FUnit.Image.reset();
    FQueries->ExpectMessage(MessageAnswer::Ok);
    Trigger("MenuConnectCompareUnit");
    QCOMPARE(FUnit.Runs, 2);
    QVERIFY(!FForm->findChild<QDialog*>("CompareDialog"));

    // A configuration that cannot become an image is refused before the unit is read.
    for (int n = 0; n < 119; ++n) {
      Config().StoreRule(++Config().RuleCount, {.Kind = rkBoard, .Panel = 0, .Zone = 1});
    }
    FQueries->ExpectMessage(MessageAnswer::Ok);
    Trigger("MenuConnectCompareUnit");
    QVERIFY(FQueries->LastMessage().Text.starts_with(
        "This configuration could not be compared with the unit's:\n"));
    QCOMPARE(FUnit.Runs, 2);
  }

  void sendAsksFirstWhenTheCheckerFindsErrors() {
    AddRules(1);
    AddRule(BeyondTheBoards());
    FQueries->ExpectMessage(MessageAnswer::No);
    Trigger("MenuConnectSendRules");
    QCOMPARE(FQueries->LastMessage().Caption, std::string("Warning"));
    QVERIFY(FQueries->LastMessage().Text.starts_with("The rule checker finds 1 error "));
    QCOMPARE(FUnit.Runs, 0);
  }

  void aFileThatCannotBeReadShowsWhyAndNothingElse() {
    AddRules(2);
    std::ofstream(File("broken.trv")) << "{\"format\": \"trv-workbook\", \"sheets\": [";
    FQueries->ExpectMessage(MessageAnswer::Ok);
    QVERIFY(!CompareWith(File("broken.trv")));
    const test::ShownMessage& message = FQueries->LastMessage();
    QCOMPARE(message.Icon, MessageIcon::Error);
    QCOMPARE(message.Caption, ActiveText(string_id::kError));
    QVERIFY(message.Text.find("broken.trv") != std::string::npos);
    QVERIFY(message.Text.find("Choose a rule data file") != std::string::npos);
    QCOMPARE(Config().RuleCount, 2);
  }

  void checkRulesListsTheFindingsAndLoadsARule() {
    AddRules(3);
    AddRule(BeyondTheBoards());
    AddRule(test::SampleRule(1));  // the same as rule 1: a warning
    QVERIFY(Find<QDockWidget>("CheckRulesDock")->isHidden());
    Trigger("MenuToolCheckRules");
    QVERIFY(Find<QDockWidget>("CheckRulesDock")->isVisible());
    QCOMPARE(Findings()->topLevelItemCount(), ExpectedFindings());
    QTreeWidgetItem* error = FindingOf("error", "4");
    QVERIFY(error);
    QVERIFY(error->text(2).startsWith("E03: output 65 "));
    QVERIFY(!error->icon(0).isNull());
    Config().MimicBook.SetActiveCell(1, 1);
    emit Findings()->itemDoubleClicked(error, 2);
    QCOMPARE(Config().MimicBook.ActiveCell().Row, 4);
    QVERIFY(Config().WorkingRule == Config().StoredRule(4));
    QCOMPARE(Find<QGroupBox>("CBEGroupBox")->title(), QString("Rule 4"));
    QVERIFY(Find<QGroupBox>("CBEGroupBox")->isVisible());
    QVERIFY(test::SaveScreenshot(FForm->grab(), "check-rules"));
  }

  void checkRulesFollowsEveryChangeWhileShown() {
    AddRules(3);
    Trigger("MenuToolCheckRules");
    const int before = Findings()->topLevelItemCount();
    AddRule(BeyondTheBoards());
    QTRY_VERIFY(FindingOf("error", "4"));
    QCOMPARE(Findings()->topLevelItemCount(), ExpectedFindings());
    DeleteRule(4);
    QTRY_VERIFY(!FindingOf("error", "4"));
    QCOMPARE(Findings()->topLevelItemCount(), before);
  }
};

QTEST_MAIN(CompareCheckTest)
#include "compare_check_test.moc"
