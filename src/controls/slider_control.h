#pragma once

#include <QWidget>
#include <functional>

class QSlider;

namespace trv {

class TShape;

// The spin control's slider popup: a borderless window that stays on top, with a 3-D frame
// around a horizontal track bar. Its owner feeds it the mouse while the slider button is held.
class TfrmSliderControl : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 134;
  static constexpr int kClientHeight = 34;

  explicit TfrmSliderControl(QWidget* owner);

  // Sets the track bar and shows the popup below the middle of control's bottom edge, with the
  // thumb of value under that point, moved back onto the screen where needed.
  void ShowSlider(QWidget& control, int maximum, int value, int minimum);
  // Maps popup coordinate x to a track bar position and reports it through OnSliderMove.
  void FormMouseMove(QObject& sender, Qt::KeyboardModifiers shift, int x, int y);
  // Sizes the track bar and the frame shapes to the popup's width.
  void FormResize(QObject& sender);

  std::function<void(int position)> OnSliderMove;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  TShape* NewFrameShape(const char* name, QRect geometry, QPalette::ColorRole outline);
  int ThumbOffset() const;

  TShape* Shape2;
  TShape* Shape3;
  TShape* Shape1;
  TShape* Shape4;
  TShape* Shape5;
  QSlider* TrackBar1;
};

}  // namespace trv
