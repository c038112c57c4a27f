#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

#include "scripted_dialogs.h"
#include "scripted_user_queries.h"
#include "shell/tool_form.h"

namespace trv::test {

// The base of the window's tests: a main window on a temporary program directory, shown and
// active, whose user queries and dialogs are scripted.
class MainWindowTest : public QObject {
 protected:
  // From init(): a new window with the built-in texts.
  void OpenWindow();
  // From cleanup(): fails when the window showed anything the test did not expect, or did not
  // ask something the test scripted an answer for.
  void CloseWindow();

  // The controller set as it stands, answering Yes: the rule pages are offered.
  void SetController();

  template <typename T>
  T* Find(const char* name) {
    T* found = FForm->findChild<T*>(name);
    if (!found) qFatal("no control named %s", name);
    return found;
  }

  std::unique_ptr<TToolForm> FForm;
  ScriptedDialogs* FDialogs = nullptr;
  ScriptedUserQueries* FQueries = nullptr;
  QTemporaryDir FDirectory;
};

}  // namespace trv::test
