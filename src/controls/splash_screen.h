#pragma once

#include <QSplashScreen>

namespace trv {

// Shown while start-up creates the forms.
class TfrmSplashScreen : public QSplashScreen {
  Q_OBJECT

 public:
  TfrmSplashScreen();
};

}  // namespace trv
