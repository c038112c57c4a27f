#include "shell/start_up.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <cstdio>
#include <memory>
#include <optional>

#include "artwork/brand_artwork.h"
#include "controls/splash_screen.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "shell/language_module.h"
#include "shell/ui_text.h"

namespace trv {
namespace {

void Trace(const char* format, const char* function) {
  std::fprintf(stderr, format, function);
}

void ShowExceptionBox(const QString& text) {
  QMessageBox::critical(QApplication::activeWindow(), UiText(string_id::kError), text);
}

// Shows what escapes an event handler and keeps the message loop running.
class TrvApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      ShowExceptionBox(QString::fromStdString(error.what()));
    } catch (...) {
      ShowExceptionBox("Unknown error");
    }
    return false;
  }
};

std::optional<LanguageModule> LoadLanguageModule(const std::filesystem::path& programPath) {
  const QString code = UserLanguageCode(programPath);
  if (code.isEmpty()) return std::nullopt;
  try {
    std::optional<LanguageModule> module =
        LanguageModule::Load(LanguageModulePath(programPath, code));
    if (module) {
      for (const std::string& key : module->ApplyStrings()) {
        std::fprintf(stderr, "Language module: string %s refused, built-in text kept\n",
                     key.c_str());
      }
    }
    return module;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return std::nullopt;
  }
}

}  // namespace

Forms::Forms(const std::filesystem::path& programPath)
    : ToolForm(programPath, DataDirectoryFor(programPath.parent_path())),
      AboutBox(&ToolForm),
      ProgressForm(&ToolForm),
      ToolOptionsForm(&ToolForm),
      SortDialog(&ToolForm),
      DebugForm(&ToolForm) {
  ToolForm.SetModalForms(&ToolOptionsForm, &AboutBox);
  ToolForm.SetProgressForm(ProgressForm);
  ProgressForm.ReadOptions = [this] { return LineTextsOf(ToolOptionsForm); };
}

void Forms::ReadFrom(const LanguageModule& module) {
  ToolForm.ReadFormResources(module);
  for (QWidget* form : std::initializer_list<QWidget*>{&AboutBox, &ProgressForm, &ToolOptionsForm,
                                                       &SortDialog, &DebugForm}) {
    module.ApplyForm(*form);
  }
  if (ToolForm.RefreshEditor) ToolForm.RefreshEditor(true);
  AboutBox.FillAboutBox();
  ToolOptionsForm.FillPortList();
}

std::unique_ptr<Forms> StartUp(const std::filesystem::path& programPath,
                               const QStringList& parameters) {
  QApplication::setWindowIcon(ProductIcon());
  const std::optional<LanguageModule> module = LoadLanguageModule(programPath);
  auto splash = std::make_unique<TfrmSplashScreen>();
  splash->ShowAndPaint();
  auto forms = std::make_unique<Forms>(programPath);
  if (module) forms->ReadFrom(*module);
  // Gone before the main window is shown, so that it never covers the window taking input.
  splash->close();
  splash.reset();
  forms->ToolForm.SetCommandLine(parameters);
  forms->ToolForm.show();
  return forms;
}

std::filesystem::path DataDirectoryFor(const std::filesystem::path& programDirectory) {
  const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  return ChooseDataDirectory(programDirectory, userData.toStdString());
}

int RunProgram(int argc, char** argv) {
  Trace("Function %s Starting\n", "WinMain");
  {
    TrvApplication application(argc, argv);
    application.setOrganizationName("KORVANEX");
    application.setApplicationName("TRV Configuration Tool");
    try {
      const std::unique_ptr<Forms> forms =
          StartUp(application.applicationFilePath().toStdString(), application.arguments().mid(1));
      application.exec();
    } catch (const std::exception& error) {
      ShowExceptionBox(QString::fromStdString(error.what()));
    }
  }
  Trace("Function %s Ending\n", "WinMain");
  return 0;
}

}  // namespace trv
