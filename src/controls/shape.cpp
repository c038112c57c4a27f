#include "controls/shape.h"

#include <QPainter>

namespace trv {

TShape::TShape(std::optional<QPalette::ColorRole> fill, std::optional<QPalette::ColorRole> outline,
               QWidget* parent)
    : QWidget(parent), FFill(fill), FOutline(outline) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect lastPixels(0, 0, width() - 1, height() - 1);
  if (FOutline) {
    painter.setPen(palette().color(*FOutline));
    painter.setBrush(FFill ? QBrush(palette().color(*FFill)) : QBrush(Qt::NoBrush));
    painter.drawRect(lastPixels);
  } else if (FFill) {
    painter.fillRect(lastPixels, palette().color(*FFill));
  }
}

}  // namespace trv
