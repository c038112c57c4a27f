#pragma once

#include "controls/plain_form.h"

namespace trv {

class TAboutBox : public TPlainForm {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr) : TPlainForm("AboutBox", "About", parent) {}
};

}  // namespace trv
