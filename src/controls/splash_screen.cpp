#include "controls/splash_screen.h"

#include <QPainter>
#include <QPixmap>

#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

QPixmap SplashPicture() {
  QPixmap picture(480, 200);
  picture.fill(QColor(0x8b, 0x10, 0x10));
  QPainter painter(&picture);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(34);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 30, 480, 70), Qt::AlignCenter,
                   QString::fromStdString(ActiveText(string_id::kCompanyName)));
  font.setPixelSize(22);
  painter.setFont(font);
  painter.drawText(QRect(0, 100, 480, 60), Qt::AlignCenter,
                   QString::fromStdString(ActiveText(string_id::kProductName)));
  return picture;
}

}  // namespace

TfrmSplashScreen::TfrmSplashScreen() : QSplashScreen(SplashPicture()) {
  setObjectName("frmSplashScreen");
}

}  // namespace trv
