// File Print and Printer Setup through the scripted dialogs, printing to PDF files.

#include <QAction>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "editor/rule_list_commands.h"
#include "files/ui/report_pdf.h"
#include "main_window_test.h"
#include "pdf_text.h"
#include "sample_rules.h"
#include "screenshot.h"

using namespace trv;

class PrintTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  std::filesystem::path File(const char* name) const {
    return std::filesystem::path(FDirectory.path().toStdString()) / name;
  }

  void AddRules(int count) {
    for (int n = 1; n <= count; ++n) {
      FForm->Config().WorkingRule = test::SampleRule(n);
      QVERIFY(FForm->RuleList().ChooseTargetRow());
      FForm->RuleList().AppendOrOverwrite(static_cast<RuleKind>(test::SampleRule(n).Kind));
    }
  }

  void PrintToFile(const std::filesystem::path& pdf) {
    FDialogs->ExpectPrintToFile(QString::fromStdString(pdf.string()));
    Find<QAction>("MenuFilePrint")->trigger();
  }

  // Every word with its place, the time of printing left out.
  static QString WordsWithoutTime(const std::filesystem::path& pdf) {
    static const QRegularExpression time(R"(>(\d+/[^<]+/\d{4}|\d+:\d\d|am|pm)</word>)");
    QStringList kept;
    for (const QString& line : QString::fromStdString(test::PdfText(pdf, {"-bbox"})).split('\n')) {
      if (line.contains("<word") && !time.match(line).hasMatch()) kept << line;
    }
    return kept.join('\n');
  }

 private slots:
  void init() { OpenWindow(); }
  void cleanup() { CloseWindow(); }

  void cancellingThePrintDialogPrintsNothing() {
    AddRules(3);
    const std::filesystem::path pdf = File("cancelled.pdf");
    FDialogs->ExpectPrintToFile(QString::fromStdString(pdf.string()), false);
    Find<QAction>("MenuFilePrint")->trigger();
    QVERIFY(!std::filesystem::exists(pdf));
  }

  void printerSetupShowsItsDialog() {
    FDialogs->ExpectPrint(true);
    Find<QAction>("MenuFilePrinterSetup")->trigger();
    QVERIFY(FDialogs->Finished());
  }

  // The footer names what the settings page shows, even before it is committed.
  void printsTheRuleTableWithTheUnitNameShown() {
    AddRules(5);
    FForm->UnitNameShown = [] { return "Typed unit"; };
    const std::filesystem::path pdf = File("report.pdf");
    PrintToFile(pdf);
    const std::vector<std::string> pages = test::PdfPages(pdf, {"-layout"});
    QCOMPARE(pages.size(), std::size_t{1});
    // pdftotext spaces the words by their places.
    static const QRegularExpression blanks(R"(\s)");
    const QString page = QString::fromStdString(pages.front()).remove(blanks);
    QVERIFY(page.contains("MimicRules"));
    QVERIFY(page.contains("KORVANEXTRVConfigurationTool-Typedunit"));
    QVERIFY(page.contains("Page1"));
    const std::string lastCell = FForm->Config().MimicBook.Text(kRuleTextSheet, 5, 9);
    QVERIFY(page.contains(QString::fromStdString(lastCell).remove(blanks)));
  }

  // TRV_SCREENSHOT_DIR=dir: the first page as dir/printed-report.png.
  void printingToAFileGivesThePagesOfTheReportFile() {
    AddRules(120);
    const std::filesystem::path printed = File("printed.pdf");
    PrintToFile(printed);
    const std::filesystem::path written = File("written.pdf");
    WriteReportPdf(FForm->Config(), FForm->Config().ControllerSettings.UnitName, written,
                   ReportPaper::A4);
    QCOMPARE(test::PdfPages(printed).size(), std::size_t{3});
    const QString words = WordsWithoutTime(printed);
    QVERIFY(words.count("<word") > 120 * 5);
    QCOMPARE(words, WordsWithoutTime(written));
    if (test::ScreenshotsWanted()) {
      QVERIFY(test::RenderPdfPage(printed, 1, 100,
                                  test::ScreenshotPath("printed-report").toStdString()));
    }
  }
};

QTEST_MAIN(PrintTest)
#include "print_test.moc"
