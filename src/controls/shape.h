#pragma once

#include <QPalette>
#include <QWidget>
#include <optional>

namespace trv {

// A plain rectangle in palette colours: an optional one-pixel outline and an optional fill.
// Drawn like the platform's rectangle shape: without an outline the fill leaves out the last
// column and row. It never takes mouse input; the widget below gets it.
class TShape : public QWidget {
  Q_OBJECT

 public:
  TShape(std::optional<QPalette::ColorRole> fill, std::optional<QPalette::ColorRole> outline,
         QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<QPalette::ColorRole> FFill;
  std::optional<QPalette::ColorRole> FOutline;
};

}  // namespace trv
