#pragma once

#include "controls/plain_form.h"

namespace trv {

class TSortDialog : public TPlainForm {
  Q_OBJECT

 public:
  explicit TSortDialog(QWidget* parent = nullptr)
      : TPlainForm("SortDialog", "Sort Mimic Rules", parent) {}
};

}  // namespace trv
