#pragma once

#include <string_view>

namespace trv {

struct ReportFont {
  std::string_view Name;
  int Points = 10;
  bool Bold = false;
};

struct TextExtent {
  int Width = 0;
  int Height = 0;
};

// The page's size in millimetres as the printer's device capabilities give it: horizontal and
// vertical size of the page held in portrait, whatever orientation it prints in.
struct PhysicalPageSize {
  double Horizontal = 0;
  double Vertical = 0;
};

enum class PageOrientation { Portrait, Landscape };

// A printer and its canvas, as the printed report uses them. Positions and sizes are in the
// printer's dots of the page as it reports it; y grows downwards.
class ReportCanvas {
 public:
  virtual ~ReportCanvas() = default;

  // Before BeginDoc. A printer may keep its orientation; Orientation() tells what it holds.
  virtual void SetOrientation(PageOrientation orientation) = 0;
  virtual PageOrientation Orientation() const = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual void BeginDoc() = 0;
  virtual void NewPage() = 0;
  virtual void EndDoc() = 0;
  // 1 on the first page.
  virtual int PageNumber() const = 0;
  virtual int PageWidth() const = 0;
  virtual int PageHeight() const = 0;
  virtual PhysicalPageSize PhysicalSize() const = 0;

  virtual void SetFont(const ReportFont& font) = 0;
  // Of the current font.
  virtual TextExtent Extent(std::string_view text) const = 0;
  // With the text's top left corner at (x, y).
  virtual void TextOut(int x, int y, std::string_view text) = 0;
};

}  // namespace trv
