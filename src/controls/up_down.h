#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QToolButton;

namespace trv {

enum TUDBtnType { btNext, btPrev };

// A pair of arrow buttons, one above the other, holding a counter: a signed 16-bit position
// kept within signed 16-bit bounds. A press (and each repeat while held) moves the position by
// Increment within the bounds, then raises OnClick.
class TUpDown : public QWidget {
  Q_OBJECT

 public:
  using TUDClickEvent = std::function<void(QObject& sender, TUDBtnType button)>;

  explicit TUpDown(QWidget* parent);

  // The setters keep the low 16 bits of the value, read as a signed number.
  int Min() const { return FMin; }
  void SetMin(int value);
  int Max() const { return FMax; }
  void SetMax(int value);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }

  TUDClickEvent OnClick;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* NewArrowButton(Qt::ArrowType arrow, TUDBtnType button);
  void Click(TUDBtnType button);
  void KeepPositionInBounds();

  QToolButton* FUpButton;
  QToolButton* FDownButton;
  std::int16_t FMin = 0;
  std::int16_t FMax = 100;
  std::int16_t FPosition = 0;
  int FIncrement = 1;
};

}  // namespace trv
