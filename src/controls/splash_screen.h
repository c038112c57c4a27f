#pragma once

#include <QWidget>

class QLabel;

namespace trv {

// The maker's picture over the whole screen while start-up creates the forms.
class TfrmSplashScreen : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDesignWidth = 312;
  static constexpr int kDesignHeight = 202;

  TfrmSplashScreen();

  // Maximised, and painted before the caller goes on creating forms.
  void ShowAndPaint();

 private:
  void FormCreate();

  QLabel* KorvanexImage = nullptr;
};

}  // namespace trv
