#include "files/ui/painter_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <stdexcept>
#include <utility>

namespace trv {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TPainterCanvas::TPainterCanvas(QPagedPaintDevice& device, TitleSetter setTitle)
    : FDevice(device), FSetTitle(std::move(setTitle)) {}

void TPainterCanvas::SetOrientation(PageOrientation orientation) {
  FDevice.setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                       : QPageLayout::Portrait);
}

PageOrientation TPainterCanvas::Orientation() const {
  return FDevice.pageLayout().orientation() == QPageLayout::Landscape ? PageOrientation::Landscape
                                                                      : PageOrientation::Portrait;
}

void TPainterCanvas::SetTitle(std::string_view title) {
  FSetTitle(FromUtf8(title));
}

void TPainterCanvas::BeginDoc() {
  if (!FPainter.begin(&FDevice)) throw std::runtime_error("The printer cannot start the report");
  FPage = 1;
}

void TPainterCanvas::NewPage() {
  if (!FDevice.newPage()) throw std::runtime_error("The printer cannot start a new page");
  ++FPage;
}

void TPainterCanvas::EndDoc() {
  if (!FPainter.end()) throw std::runtime_error("The printer cannot finish the report");
}

int TPainterCanvas::PageWidth() const {
  return FDevice.width();
}

int TPainterCanvas::PageHeight() const {
  return FDevice.height();
}

// The device measures the page in the orientation it prints; the capabilities hold it in
// portrait.
PhysicalPageSize TPainterCanvas::PhysicalSize() const {
  const QRectF page = FDevice.pageLayout().paintRect(QPageLayout::Millimeter);
  if (Orientation() == PageOrientation::Landscape) return {page.height(), page.width()};
  return {page.width(), page.height()};
}

void TPainterCanvas::SetFont(const ReportFont& font) {
  QFont chosen(FromUtf8(font.Name), font.Points, font.Bold ? QFont::Bold : QFont::Normal);
  chosen.setStyleHint(QFont::SansSerif);
  chosen.setStretch(QFont::Condensed);
  FPainter.setFont(chosen);
}

TextExtent TPainterCanvas::Extent(std::string_view text) const {
  const QFontMetrics metrics = FPainter.fontMetrics();
  return {metrics.horizontalAdvance(FromUtf8(text)), metrics.height()};
}

void TPainterCanvas::TextOut(int x, int y, std::string_view text) {
  FPainter.drawText(x, y + FPainter.fontMetrics().ascent(), FromUtf8(text));
}

}  // namespace trv
