#include "controls/slider_control.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <algorithm>
#include <limits>

#include "controls/shape.h"

namespace trv {
namespace {

// The track bar's channel starts and ends this far inside it: half a thumb and its margin.
constexpr int kChannelInset = 9;
constexpr int kPopupGap = 7;
constexpr int kThumbToPoint = 11;

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

// Keeps [start, start + length) within [low, low + span): a start before low becomes low,
// otherwise an end beyond the span is brought back to it.
int KeepOnScreen(int start, int length, int low, int span) {
  if (start < low) return low;
  return std::min(start, low + span - length);
}

}  // namespace

TfrmSliderControl::TfrmSliderControl(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      Shape2(NewFrameShape("Shape2", {0, 0, 134, 34}, QPalette::Dark)),
      Shape3(NewFrameShape("Shape3", {1, 1, 133, 33}, QPalette::Shadow)),
      Shape1(NewFrameShape("Shape1", {0, 0, 133, 33}, QPalette::Button)),
      Shape4(NewFrameShape("Shape4", {1, 1, 131, 31}, QPalette::Light)),
      Shape5(NewFrameShape("Shape5", {2, 2, 131, 31}, QPalette::Dark)),
      TrackBar1(new QSlider(Qt::Horizontal, this)) {
  setObjectName("frmSliderControl");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  resize(kClientWidth, kClientHeight);
  TrackBar1->setObjectName("TrackBar1");
  TrackBar1->setGeometry(2, 2, 130, 30);
  TrackBar1->setAttribute(Qt::WA_TransparentForMouseEvents);
  TrackBar1->setFocusPolicy(Qt::NoFocus);
  TrackBar1->setRange(0, 100);
  TrackBar1->setPageStep(10);
  TrackBar1->setTickInterval(10);
  TrackBar1->setTickPosition(QSlider::TicksAbove);
}

TShape* TfrmSliderControl::NewFrameShape(const char* name, QRect geometry,
                                         QPalette::ColorRole outline) {
  auto* shape = new TShape(std::nullopt, outline, this);
  shape->setObjectName(name);
  shape->setGeometry(geometry);
  return shape;
}

void TfrmSliderControl::ShowSlider(QWidget& control, int maximum, int value, int minimum) {
  TrackBar1->setRange(minimum, maximum);
  TrackBar1->setValue(value);
  const int tickFrequency = (TrackBar1->maximum() - TrackBar1->minimum()) / 10;
  TrackBar1->setTickInterval(tickFrequency == 0 ? 1 : tickFrequency);

  const QPoint point = control.mapToGlobal(QPoint(control.width() / 2, control.height()));
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = control.screen();
  const QRect area = screen->geometry();
  const int top = KeepOnScreen(point.y() + kPopupGap, height(), area.top(), area.height());
  const int left =
      KeepOnScreen(point.x() - ThumbOffset() - kThumbToPoint, width(), area.left(), area.width());
  move(left, top);
  show();
}

// How far right of the channel's start the thumb of the current position sits.
int TfrmSliderControl::ThumbOffset() const {
  const long long range = static_cast<long long>(TrackBar1->maximum()) - TrackBar1->minimum();
  if (range <= 0) return 0;
  const long long usable = TrackBar1->width() - 2 * kChannelInset;
  return ClampToInt((TrackBar1->value() - static_cast<long long>(TrackBar1->minimum())) * usable /
                    range);
}

void TfrmSliderControl::FormMouseMove(QObject&, Qt::KeyboardModifiers, int x, int) {
  const long long range = static_cast<long long>(TrackBar1->maximum()) - TrackBar1->minimum();
  const long long usable = TrackBar1->width() - 2 * kChannelInset;
  if (range <= 0 || usable <= 0) return;
  const long long halfStep = (usable / range) / 2;
  const long long channelX = static_cast<long long>(x) - (TrackBar1->x() + kChannelInset);
  TrackBar1->setValue(
      ClampToInt(range * (channelX + halfStep + 1) / usable + TrackBar1->minimum()));
  if (OnSliderMove) OnSliderMove(TrackBar1->value());
}

void TfrmSliderControl::FormResize(QObject&) {
  TrackBar1->resize(width() - 4, TrackBar1->height());
  Shape1->resize(width() - 1, Shape1->height());
  Shape2->resize(width(), Shape2->height());
  Shape3->resize(width() - 1, Shape3->height());
  Shape4->resize(width() - 3, Shape4->height());
  Shape5->resize(width() - 3, Shape5->height());
}

void TfrmSliderControl::resizeEvent(QResizeEvent*) {
  FormResize(*this);
}

}  // namespace trv
