#pragma once

#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "controls/up_down.h"

class QFrame;
class QTimer;
class QToolButton;

namespace trv {

class TShape;
class TfrmSliderControl;

enum TControlParts : std::uint8_t { cpQuickSelect = 0, cpUpDown = 1, cpSlider = 2 };

// A set of TControlParts in one byte, element n in bit n.
class TControlPartSet {
 public:
  constexpr TControlPartSet() = default;
  constexpr TControlPartSet(std::initializer_list<TControlParts> parts) {
    for (TControlParts part : parts) FBits |= Bit(part);
  }
  constexpr bool Contains(TControlParts part) const { return (FBits & Bit(part)) != 0; }
  constexpr std::uint8_t Bits() const { return FBits; }
  friend constexpr bool operator==(TControlPartSet, TControlPartSet) = default;

 private:
  static constexpr std::uint8_t Bit(TControlParts part) {
    return static_cast<std::uint8_t>(1u << part);
  }
  std::uint8_t FBits = 0;
};

// An edit box for one whole number between Min and Max, with optional up/down buttons, a
// slider button whose popup sets the value while the mouse is held on it, and a quick-select
// strip along the bottom edge. Typed digits are taken over about 1.5 s after the last accepted
// keystroke; every take-over raises OnChange.
class TSpinControl : public QLineEdit {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(QObject& sender)>;

  static constexpr int kInitialWidth = 65;
  static constexpr int kButtonWidth = 12;
  static constexpr int kButtonHeight = 17;
  static constexpr int kStripHeight = 4;
  static constexpr int kShortInterval = 100;
  static constexpr int kLongInterval = 1400;
  static constexpr int kMinTrackBarWidth = 50;
  static constexpr int kMaxTrackBarWidth = 2000;

  explicit TSpinControl(QWidget* parent = nullptr);
  ~TSpinControl() override;

  // The counter keeps the low 16 bits of each, read as a signed number.
  int GetValue() const;
  void SetValue(int value);
  int GetMin() const;
  void SetMin(int value);
  int GetMax() const;
  void SetMax(int value);
  int GetIncrement() const;
  void SetIncrement(int value);

  TControlPartSet ControlOptions() const { return FControlOptions; }
  void SetControlOptions(TControlPartSet options);
  int TrackBarWidth() const { return FTrackBarWidth; }
  void SetTrackBarWidth(int width);
  bool GetEnabled() const;
  void SetEnabled(bool enabled);
  int GetMinHeight() const;
  // The text area inside the border, clear of the visible parts.
  QRect EditRect() const;
  QSize minimumSizeHint() const override;

  void UpdateValue();
  // The commit step: takes the text over as the value unless typing is pending.
  void OnChangeEvent(QObject& sender);
  // The debounce timer's tick: the short stage moves to the long one, the long one commits.
  void TimerEvent(QObject& sender);

  TNotifyEvent OnChange;

 protected:
  void KeyDown(int key, Qt::KeyboardModifiers shift);
  void KeyPress(QChar& key);
  void OnUpDownClick(QObject& sender, TUDBtnType button);
  void FPanelMouseDown(QObject& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                       int y);
  void FPanelMouseMove(QObject& sender, Qt::KeyboardModifiers shift, int x, int y);
  void FPanelMouseUp(QObject& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                     int y);
  void ShowSliderButtonForm(QObject& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                            int x, int y);
  void UpdateSliderButtonForm(QObject& sender, Qt::KeyboardModifiers shift, int x, int y);
  void HideSliderButtonForm(QObject& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                            int x, int y);
  // The platform's beep for a refused character.
  virtual void Beep();

  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QToolButton* NewSliderButton();
  QFrame* NewStrip();
  TShape* NewStripShape(const char* name, QPalette::ColorRole fill);
  void ShowPart(QWidget& part, bool show, QSize size);
  void InstallTextChangeHandler();
  void RemoveTextChangeHandler();
  void TakeOverText(QObject& sender);
  void CommitPendingEntry(QObject& sender);
  void StartDebounce();
  void StepValue(int direction);
  bool TextIsFull() const;
  void Refuse(QChar& key);
  int StripBarWidth() const;
  void DragOnStrip(int x);
  void TakeFocus();
  void DestroySliderForm();
  void LayOutParts();
  void PlaceInClient(QWidget& part, int left, int top, int width, int height);
  void SetEditRect();
  bool FilterSliderButton(QEvent& event);
  bool FilterStrip(QEvent& event);

  bool FDragging = false;
  TUpDown* FUpDown = nullptr;
  QToolButton* FSliderButton = nullptr;
  QFrame* FPanel = nullptr;
  TShape* FTrack = nullptr;
  TShape* FBar = nullptr;
  TControlPartSet FControlOptions;
  std::unique_ptr<TfrmSliderControl> FSliderForm;
  int FTrackBarWidth = 130;
  QTimer* FTimer = nullptr;
  QMetaObject::Connection FTextChangeHandler;
  // The focus went to a menu or another window, and coming back is no entry.
  bool FFocusLeftWithWindow = false;
};

}  // namespace trv
