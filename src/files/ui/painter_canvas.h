#pragma once

#include <QPainter>
#include <QString>
#include <functional>

#include "files/report_canvas.h"

class QPagedPaintDevice;

namespace trv {

// The report's canvas on a printer or a PDF file: one painter on the paged device. Fonts are
// matched by Qt on that device ("Arial Narrow" where it is installed, the closest narrow sans
// otherwise), and the extents measure the font actually drawn.
class TPainterCanvas : public ReportCanvas {
 public:
  // The device's own way of naming the document (a printer's document name, a PDF's title).
  using TitleSetter = std::function<void(const QString& title)>;

  TPainterCanvas(QPagedPaintDevice& device, TitleSetter setTitle);

  void SetOrientation(PageOrientation orientation) override;
  PageOrientation Orientation() const override;
  void SetTitle(std::string_view title) override;
  void BeginDoc() override;
  void NewPage() override;
  void EndDoc() override;
  int PageNumber() const override { return FPage; }
  int PageWidth() const override;
  int PageHeight() const override;
  PhysicalPageSize PhysicalSize() const override;
  void SetFont(const ReportFont& font) override;
  TextExtent Extent(std::string_view text) const override;
  void TextOut(int x, int y, std::string_view text) override;

 private:
  QPagedPaintDevice& FDevice;
  TitleSetter FSetTitle;
  QPainter FPainter;
  int FPage = 0;
};

}  // namespace trv
