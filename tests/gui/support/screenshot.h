#pragma once

#include <QString>

class QImage;
class QPixmap;

namespace trv::test {

// The tests' grabs for the user guide and the README: <TRV_SCREENSHOT_DIR>/<name>.png, wanted
// only when the variable names a directory.
bool ScreenshotsWanted();
QString ScreenshotPath(const QString& name);
// Saves the picture as the grab called name; true also when no grab is wanted.
bool SaveScreenshot(const QImage& picture, const QString& name);
bool SaveScreenshot(const QPixmap& picture, const QString& name);

}  // namespace trv::test
