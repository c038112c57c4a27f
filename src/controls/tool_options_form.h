#pragma once

#include "controls/plain_form.h"

namespace trv {

class TToolOptionsForm : public TPlainForm {
  Q_OBJECT

 public:
  explicit TToolOptionsForm(QWidget* parent = nullptr)
      : TPlainForm("ToolOptionsForm", "Tool Options", parent) {}
};

}  // namespace trv
