#pragma once

#include "controls/plain_form.h"

namespace trv {

class TProgressForm : public TPlainForm {
  Q_OBJECT

 public:
  explicit TProgressForm(QWidget* parent = nullptr)
      : TPlainForm("ProgressForm", "Progress", parent) {}
};

}  // namespace trv
