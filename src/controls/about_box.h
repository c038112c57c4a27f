#pragma once

#include "controls/plain_form.h"

class QFrame;
class QLabel;
class QPushButton;

namespace trv {

// Names the maker and the product and shows the version and copyright of the version record.
class TAboutBox : public TPlainForm {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 392;
  static constexpr int kClientHeight = 236;

  explicit TAboutBox(QWidget* parent = nullptr);

  // The two names from the active string table, the version and copyright from the record.
  void FillAboutBox();

 private:
  QLabel* AboutCompanyImage = nullptr;
  QLabel* AboutCompanyNameLabel = nullptr;
  QLabel* AboutProductNameLabel = nullptr;
  QLabel* AboutProductVersionLabel = nullptr;
  QLabel* AboutProductVersion = nullptr;
  QLabel* AboutCopyrightLabel = nullptr;
  QFrame* Bevel1 = nullptr;
  QLabel* KorvanexIcon = nullptr;
  QPushButton* AboutOkButton = nullptr;
};

}  // namespace trv
