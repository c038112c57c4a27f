#pragma once

#include <QStringList>
#include <filesystem>
#include <memory>

#include "controls/about_box.h"
#include "controls/debug_form.h"
#include "controls/sort_dialog.h"
#include "controls/tool_options_form.h"
#include "flash/ui/progress_form.h"
#include "shell/tool_form.h"

namespace trv {

// The forms of the program, created once in this order and kept until the end.
struct Forms {
  explicit Forms(const std::filesystem::path& programPath);

  // Every form's texts from the module, then what the program fills in from the string table.
  void ReadFrom(const LanguageModule& module);

  TToolForm ToolForm;
  TAboutBox AboutBox;
  TProgressForm ProgressForm;
  TToolOptionsForm ToolOptionsForm;
  TSortDialog SortDialog;
  TDebugForm DebugForm;
};

// Start-up up to the message loop: the language module, the splash while the forms are created
// and re-read from it, then the main window shown with the file named by the parameters.
std::unique_ptr<Forms> StartUp(const std::filesystem::path& programPath,
                               const QStringList& parameters);

// The whole life of the program: language module, splash, forms, message loop. Returns 0.
int RunProgram(int argc, char** argv);

// The Data directory of the program, or of the user when the program's is not writable.
std::filesystem::path DataDirectoryFor(const std::filesystem::path& programDirectory);

}  // namespace trv
