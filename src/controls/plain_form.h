#pragma once

#include <QDialog>

namespace trv {

// A dialog form with its object name and caption, centred on its parent.
class TPlainForm : public QDialog {
  Q_OBJECT

 public:
  TPlainForm(const char* objectName, const QString& caption, QWidget* parent) : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(caption);
  }
};

}  // namespace trv
