#include "shell/start_up.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <cstdio>
#include <memory>
#include <optional>

#include "controls/about_box.h"
#include "controls/debug_form.h"
#include "controls/sort_dialog.h"
#include "controls/splash_screen.h"
#include "controls/tool_options_form.h"
#include "flash/ui/progress_form.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "shell/language_module.h"
#include "shell/tool_form.h"
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

// The forms of the program, created once in this order and kept until the end.
struct Forms {
  Forms(const std::filesystem::path& programPath)
      : ToolForm(programPath, DataDirectoryFor(programPath.parent_path())),
        AboutBox(&ToolForm),
        ProgressForm(&ToolForm),
        ToolOptionsForm(&ToolForm),
        SortDialog(&ToolForm),
        DebugForm(&ToolForm) {
    ToolForm.SetModalForms(&ToolOptionsForm, &AboutBox);
  }

  void ReadFrom(const LanguageModule& module) {
    ToolForm.ReadFormResources(module);
    for (QWidget* form : std::initializer_list<QWidget*>{&AboutBox, &ProgressForm, &ToolOptionsForm,
                                                         &SortDialog, &DebugForm}) {
      module.ApplyForm(*form);
    }
    if (ToolForm.RefreshEditor) ToolForm.RefreshEditor(true);
    ToolOptionsForm.FillPortList();
  }

  TToolForm ToolForm;
  TAboutBox AboutBox;
  TProgressForm ProgressForm;
  TToolOptionsForm ToolOptionsForm;
  TSortDialog SortDialog;
  TDebugForm DebugForm;
};

int RunForms(TrvApplication& application) {
  const std::filesystem::path programPath = application.applicationFilePath().toStdString();
  const std::optional<LanguageModule> module = LoadLanguageModule(programPath);
  auto splash = std::make_unique<TfrmSplashScreen>();
  splash->show();
  application.processEvents();
  Forms forms(programPath);
  if (module) forms.ReadFrom(*module);
  // Closed before the main window is shown: waiting for a window that is not shown yet would
  // hold the start-up for a second.
  splash->close();
  splash.reset();
  forms.ToolForm.SetCommandLine(application.arguments().mid(1));
  forms.ToolForm.show();
  return application.exec();
}

}  // namespace

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
      RunForms(application);
    } catch (const std::exception& error) {
      ShowExceptionBox(QString::fromStdString(error.what()));
    }
  }
  Trace("Function %s Ending\n", "WinMain");
  return 0;
}

}  // namespace trv
