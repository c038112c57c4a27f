#include "controls/splash_screen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "artwork/brand_artwork.h"

namespace trv {
namespace {

// How long the start-up waits for the window system to map the splash.
constexpr int kExposeTimeoutMs = 1000;

}  // namespace

TfrmSplashScreen::TfrmSplashScreen()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("frmSplashScreen");
  resize(kDesignWidth, kDesignHeight);
  if (const QScreen* screen = this->screen()) {
    move(screen->geometry().center() - rect().center());
  }
  KorvanexImage = new QLabel(this);
  KorvanexImage->setObjectName("KorvanexImage");
  KorvanexImage->setPixmap(KorvanexSplashPicture());
  KorvanexImage->setScaledContents(true);
  KorvanexImage->hide();
  FormCreate();
}

void TfrmSplashScreen::FormCreate() {
  auto* fill = new QVBoxLayout(this);
  fill->setContentsMargins(0, 0, 0, 0);
  fill->addWidget(KorvanexImage);
  // The picture may be stretched to any screen's shape.
  KorvanexImage->setMinimumSize(1, 1);
  KorvanexImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  KorvanexImage->show();
}

void TfrmSplashScreen::ShowAndPaint() {
  showMaximized();
  const QDeadlineTimer deadline(kExposeTimeoutMs);
  while (!windowHandle()->isExposed() && !deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  repaint();
  QApplication::processEvents();
}

}  // namespace trv
