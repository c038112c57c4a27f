// trvcfg print: the printed report of a rule data file as a PDF file, without a display.

#include <QGuiApplication>
#include <QtGlobal>
#include <filesystem>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/ui/report_pdf.h"
#include "model/configuration.h"
#include "model/rule_text.h"
#include "model/rule_workbook.h"

namespace trv::cli {

namespace {

ReportPaper PaperOf(const CommandArguments& arguments) {
  const std::vector<std::string> papers = arguments.Values("--paper");
  if (papers.empty()) return ReportPaper::A4;
  const std::string paper = arguments.RequiredValue("--paper");
  if (paper == "a4") return ReportPaper::A4;
  if (paper == "letter") return ReportPaper::Letter;
  throw UsageError("the paper is a4 or letter");
}

// Fonts need a GUI application; the offscreen platform needs no display.
class OffscreenApplication {
  // Before the application chooses its platform.
  bool FOffscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
  int FArgc = 1;
  char FName[7] = "trvcfg";
  char* FArgv[2] = {FName, nullptr};
  QGuiApplication FApplication{FArgc, FArgv};
};

}  // namespace

int PrintCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {"-o", "--paper"});
  const std::filesystem::path output = arguments.RequiredValue("-o");
  const ReportPaper paper = PaperOf(arguments);
  Configuration configuration = LoadRuleDataFile(arguments.OnlyPositional());
  // The rule table as the grid shows a file just opened.
  SetUpRuleTextSheet(configuration.MimicBook, configuration.RuleCount);
  RenderAllRules(configuration, RuleTextContextOf(configuration.ControllerSettings));
  const OffscreenApplication application;
  WriteReportPdf(configuration, configuration.ControllerSettings.UnitName, output, paper);
  return 0;
}

}  // namespace trv::cli
