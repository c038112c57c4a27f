#include "controls/up_down.h"

#include <QToolButton>
#include <algorithm>

namespace trv {
namespace {

std::int16_t Low16Bits(int value) {
  return static_cast<std::int16_t>(value);
}

}  // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent),
      FUpButton(NewArrowButton(Qt::UpArrow, btNext)),
      FDownButton(NewArrowButton(Qt::DownArrow, btPrev)) {
  setCursor(Qt::ArrowCursor);
}

QToolButton* TUpDown::NewArrowButton(Qt::ArrowType arrow, TUDBtnType button) {
  auto* arrowButton = new QToolButton(this);
  arrowButton->setArrowType(arrow);
  arrowButton->setFocusPolicy(Qt::NoFocus);
  arrowButton->setAutoRepeat(true);
  connect(arrowButton, &QToolButton::pressed, this, [this, button] { Click(button); });
  return arrowButton;
}

void TUpDown::SetMin(int value) {
  FMin = Low16Bits(value);
  KeepPositionInBounds();
}

void TUpDown::SetMax(int value) {
  FMax = Low16Bits(value);
  KeepPositionInBounds();
}

void TUpDown::SetPosition(int value) {
  FPosition = Low16Bits(value);
  KeepPositionInBounds();
}

// While a new bound crosses the other one the minimum wins, without a fault.
void TUpDown::KeepPositionInBounds() {
  FPosition = std::max(FMin, std::min(FMax, FPosition));
}

void TUpDown::Click(TUDBtnType button) {
  const long long step = button == btNext ? FIncrement : -static_cast<long long>(FIncrement);
  const long long moved = std::clamp<long long>(FPosition + step, FMin, std::max(FMin, FMax));
  FPosition = static_cast<std::int16_t>(moved);
  if (OnClick) OnClick(*this, button);
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int upperHeight = height() / 2;
  FUpButton->setGeometry(0, 0, width(), upperHeight);
  FDownButton->setGeometry(0, upperHeight, width(), height() - upperHeight);
}

}  // namespace trv
