#pragma once

#include "controls/plain_form.h"

namespace trv {

class TDebugForm : public TPlainForm {
  Q_OBJECT

 public:
  explicit TDebugForm(QWidget* parent = nullptr) : TPlainForm("DebugForm", "DebugForm", parent) {}
};

}  // namespace trv
