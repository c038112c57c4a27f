#include "screenshot.h"

#include <QImage>
#include <QPixmap>

namespace trv::test {
namespace {

QString ScreenshotDirectory() {
  return qEnvironmentVariable("TRV_SCREENSHOT_DIR");
}

}  // namespace

bool ScreenshotsWanted() {
  return !ScreenshotDirectory().isEmpty();
}

QString ScreenshotPath(const QString& name) {
  return ScreenshotDirectory() + "/" + name + ".png";
}

bool SaveScreenshot(const QImage& picture, const QString& name) {
  return !ScreenshotsWanted() || picture.save(ScreenshotPath(name));
}

bool SaveScreenshot(const QPixmap& picture, const QString& name) {
  return !ScreenshotsWanted() || picture.save(ScreenshotPath(name));
}

}  // namespace trv::test
