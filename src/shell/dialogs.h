#pragma once

#include "files/file_chooser.h"

class QPrinter;

namespace trv {

// The file and print dialogs of the window, so tests can see each one and answer it. Messages
// and questions go through the core's UserQueries (model/user_queries.h).
class Dialogs : public FileChooser {
 public:
  virtual bool Print(QPrinter& printer) = 0;
  virtual bool PrinterSetup(QPrinter& printer) = 0;
};

}  // namespace trv
