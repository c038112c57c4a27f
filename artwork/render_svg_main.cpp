// trv-render-svg IN.svg OUT.png WIDTH HEIGHT: the build's picture of a piece of artwork.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: trv-render-svg IN.svg OUT.png WIDTH HEIGHT\n");
    return 2;
  }
  // Lettering needs the font database, and the build has no screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QStringList arguments = application.arguments();
  QSvgRenderer renderer(arguments[1]);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "trv-render-svg: %s is not a picture\n", argv[1]);
    return 1;
  }
  QImage image(arguments[3].toInt(), arguments[4].toInt(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
  renderer.render(&painter);
  painter.end();
  if (!image.save(arguments[2])) {
    std::fprintf(stderr, "trv-render-svg: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
