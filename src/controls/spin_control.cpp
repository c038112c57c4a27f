#include "controls/spin_control.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <limits>
#include <optional>

#include "controls/shape.h"
#include "controls/slider_control.h"

namespace trv {
namespace {

// The parts sit inside the edit box's 3-D edge, as in its client area.
constexpr int kEdge = 2;
constexpr int kBorderHeight = 1;
constexpr int kTextGap = 2;

// The slider button's glyph, 8 x 11: a track bar thumb over its channel.
constexpr const char* kSliderGlyph[] = {
    ".######.", ".#....#.", ".#....#.", ".#....#.", ".#....#.", "..#..#..",
    "...##...", "........", "########", "........", "........",
};

QPixmap GlyphPixmap(const QColor& ink, const QColor& emboss) {
  QPixmap pixmap(8, 11);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  int y = 0;
  for (const char* row : kSliderGlyph) {
    for (int x = 0; row[x] != '\0'; ++x) {
      if (row[x] != '#') continue;
      if (emboss.isValid()) painter.fillRect(x + 1, y + 1, 1, 1, emboss);
      painter.fillRect(x, y, 1, 1, ink);
    }
    ++y;
  }
  return pixmap;
}

// The normal image, and the disabled one embossed in the button's light colour.
QIcon SliderButtonGlyph(const QPalette& palette) {
  QIcon glyph;
  glyph.addPixmap(GlyphPixmap(palette.color(QPalette::Active, QPalette::ButtonText), QColor()),
                  QIcon::Normal);
  glyph.addPixmap(GlyphPixmap(palette.color(QPalette::Disabled, QPalette::ButtonText),
                              palette.color(QPalette::Light)),
                  QIcon::Disabled);
  return glyph;
}

int SaturateToInt16(long long value) {
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<std::int16_t>::min(),
                                                std::numeric_limits<std::int16_t>::max()));
}

// The character a key types into an edit box: any text but control characters, and backspace,
// Return or Escape. The edit box inserts the text of every chord but Ctrl and Ctrl+Shift (Meta,
// AltGr as Ctrl+Alt, Ctrl on the keypad), and format characters such as the zero-width
// non-joiner too, so all of them come here. Ctrl and Ctrl+Shift chords are shortcuts (copy, cut,
// paste, undo) and type none, nor do keys such as the arrows, Tab and Delete.
std::optional<QChar> TypedCharacter(const QKeyEvent& event) {
  const QString& text = event.text();
  const Qt::KeyboardModifiers chord = event.modifiers();
  if (text.isEmpty() || chord == Qt::ControlModifier ||
      chord == (Qt::ControlModifier | Qt::ShiftModifier)) {
    return std::nullopt;
  }
  if (text.size() > 1) return QChar(QChar::ReplacementCharacter);
  const QChar key = text.front();
  if (key.category() != QChar::Other_Control || key == u'\b' || key == u'\r' || key == u'\x1b') {
    return key;
  }
  return std::nullopt;
}

bool IsPress(const QEvent& event) {
  return event.type() == QEvent::MouseButtonPress || event.type() == QEvent::MouseButtonDblClick;
}

bool WindowOrMenuFocus(const QFocusEvent& event) {
  return event.reason() == Qt::PopupFocusReason || event.reason() == Qt::ActiveWindowFocusReason;
}

}  // namespace

TSpinControl::TSpinControl(QWidget* parent) : QLineEdit(parent) {
  FTimer = new QTimer(this);
  FTimer->setObjectName("DebounceTimer");
  FTimer->setInterval(kShortInterval);
  connect(FTimer, &QTimer::timeout, this, [this] { TimerEvent(*FTimer); });
  resize(kInitialWidth, GetMinHeight() + kStripHeight);

  FUpDown = new TUpDown(this);
  FUpDown->setObjectName("UpDownButtons");
  FUpDown->resize(kButtonWidth, kButtonHeight);
  FUpDown->OnClick = [this](QObject& sender, TUDBtnType button) { OnUpDownClick(sender, button); };
  FSliderButton = NewSliderButton();
  FPanel = NewStrip();
  FTrack = NewStripShape("StripTrack", QPalette::Base);
  FBar = NewStripShape("StripBar", QPalette::Highlight);

  SetControlOptions(FControlOptions);
  // Digits come as key presses, where they are filtered, never as composed input.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setText("0");
  InstallTextChangeHandler();
}

TSpinControl::~TSpinControl() {
  RemoveTextChangeHandler();
  DestroySliderForm();
}

QToolButton* TSpinControl::NewSliderButton() {
  auto* button = new QToolButton(this);
  button->setObjectName("SliderButton");
  button->resize(kButtonWidth, kButtonHeight);
  button->setCursor(Qt::ArrowCursor);
  button->setFocusPolicy(Qt::NoFocus);
  button->setIcon(SliderButtonGlyph(palette()));
  button->setIconSize(QSize(8, 11));
  button->installEventFilter(this);
  return button;
}

QFrame* TSpinControl::NewStrip() {
  auto* strip = new QFrame(this);
  strip->setObjectName("QuickSelectStrip");
  strip->setFrameShape(QFrame::NoFrame);
  strip->setAutoFillBackground(true);
  strip->setBackgroundRole(QPalette::Button);
  strip->resize(width(), kStripHeight);
  strip->setCursor(Qt::ArrowCursor);
  strip->installEventFilter(this);
  return strip;
}

TShape* TSpinControl::NewStripShape(const char* name, QPalette::ColorRole fill) {
  auto* shape = new TShape(fill, std::nullopt, FPanel);
  shape->setObjectName(name);
  shape->setGeometry(0, 1, 0, FPanel->height());
  return shape;
}

int TSpinControl::GetValue() const {
  return FUpDown->Position();
}

void TSpinControl::SetValue(int value) {
  FUpDown->SetPosition(value);
  UpdateValue();
}

int TSpinControl::GetMin() const {
  return FUpDown->Min();
}

void TSpinControl::SetMin(int value) {
  FUpDown->SetMin(value);
  if (GetMax() < GetMin()) {
    SetMax(value);
  } else {
    UpdateValue();
  }
}

int TSpinControl::GetMax() const {
  return FUpDown->Max();
}

void TSpinControl::SetMax(int value) {
  FUpDown->SetMax(value);
  if (GetMax() < GetMin()) {
    SetMin(value);
  } else {
    UpdateValue();
  }
}

int TSpinControl::GetIncrement() const {
  return FUpDown->Increment();
}

void TSpinControl::SetIncrement(int value) {
  FUpDown->SetIncrement(value);
}

void TSpinControl::SetControlOptions(TControlPartSet options) {
  FControlOptions = options;
  ShowPart(*FPanel, options.Contains(cpQuickSelect), QSize(0, FPanel->height()));
  ShowPart(*FUpDown, options.Contains(cpUpDown), QSize(FUpDown->width(), 0));
  ShowPart(*FSliderButton, options.Contains(cpSlider), QSize(FSliderButton->width(), 0));
  LayOutParts();
}

// Shows or hides a part, growing or shrinking the control by the part's size.
void TSpinControl::ShowPart(QWidget& part, bool show, QSize size) {
  if (part.isHidden() != show) return;
  part.setVisible(show);
  resize(show ? this->size() + size : this->size() - size);
}

void TSpinControl::SetTrackBarWidth(int width) {
  FTrackBarWidth = std::clamp(width, kMinTrackBarWidth, kMaxTrackBarWidth);
}

bool TSpinControl::GetEnabled() const {
  return !testAttribute(Qt::WA_ForceDisabled);
}

// The parts are children of the control and follow it; UpdateValue keeps the slider button's
// own condition, a range to slide over.
void TSpinControl::SetEnabled(bool enabled) {
  setEnabled(enabled);
}

void TSpinControl::UpdateValue() {
  const QString position = QString::number(GetValue());
  if (text() != position) setText(position);
  FBar->resize(StripBarWidth(), FBar->height());
  FSliderButton->setEnabled(GetMax() != GetMin());
}

int TSpinControl::StripBarWidth() const {
  const long long range = static_cast<long long>(GetMax()) - GetMin();
  if (range == 0) return 0;
  return static_cast<int>((static_cast<long long>(GetValue()) - GetMin()) * FPanel->width() /
                          range);
}

void TSpinControl::InstallTextChangeHandler() {
  FTextChangeHandler =
      connect(this, &QLineEdit::textChanged, this, [this] { OnChangeEvent(*this); });
}

void TSpinControl::RemoveTextChangeHandler() {
  disconnect(FTextChangeHandler);
}

void TSpinControl::OnChangeEvent(QObject& sender) {
  RemoveTextChangeHandler();
  if (!FTimer->isActive()) TakeOverText(sender);
  InstallTextChangeHandler();
}

void TSpinControl::TakeOverText(QObject& sender) {
  bool isNumber = false;
  const long long typed = text().toLongLong(&isNumber);
  if (isNumber) {
    SetValue(SaturateToInt16(typed));
  } else {
    SetValue(GetMin());
    setCursorPosition(static_cast<int>(text().size()));
  }
  if (OnChange) OnChange(sender);
}

void TSpinControl::TimerEvent(QObject& sender) {
  if (FTimer->interval() == kShortInterval) {
    FTimer->setInterval(kLongInterval);
  } else {
    FTimer->stop();
    OnChangeEvent(sender);
  }
}

// Stops the debounce timer and takes the typed entry over at once, when one is pending.
void TSpinControl::CommitPendingEntry(QObject& sender) {
  if (!FTimer->isActive()) return;
  FTimer->stop();
  OnChangeEvent(sender);
}

void TSpinControl::StartDebounce() {
  FTimer->start(kShortInterval);
}

// Steps from the value last taken over; the sum stays within the counter's 16 bits.
void TSpinControl::StepValue(int direction) {
  SetValue(SaturateToInt16(static_cast<long long>(GetValue()) +
                           static_cast<long long>(direction) * GetIncrement()));
}

bool TSpinControl::TextIsFull() const {
  return text().size() >= QString::number(GetMax()).size() && !hasSelectedText();
}

void TSpinControl::Refuse(QChar& key) {
  key = QChar();
  Beep();
}

void TSpinControl::Beep() {
  QApplication::beep();
}

void TSpinControl::KeyPress(QChar& key) {
  if (key == u'+') {
    StepValue(+1);
    key = QChar();
  } else if (key == u'-') {
    StepValue(-1);
    key = QChar();
  } else if (key == u'\b') {
    StartDebounce();
  } else if (key >= u'0' && key <= u'9') {
    if (TextIsFull()) {
      Refuse(key);
    } else {
      StartDebounce();
    }
  } else {
    Refuse(key);
  }
  if (key.isNull()) CommitPendingEntry(*this);
}

void TSpinControl::KeyDown(int key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_Up) StepValue(+1);
  if (key == Qt::Key_Down) StepValue(-1);
}

// A typed character goes through the filter, where a consumed one ends; anything else goes
// straight to the edit box, whose text change is then taken over. The step keys stay here.
void TSpinControl::keyPressEvent(QKeyEvent* event) {
  KeyDown(event->key(), event->modifiers());
  std::optional<QChar> typed = TypedCharacter(*event);
  if (typed) {
    KeyPress(*typed);
    if (typed->isNull()) return;
  }
  QLineEdit::keyPressEvent(event);
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) event->accept();
}

void TSpinControl::OnUpDownClick(QObject&, TUDBtnType) {
  TakeFocus();
  setText(QString::number(FUpDown->Position()));
}

void TSpinControl::TakeFocus() {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
}

void TSpinControl::FPanelMouseDown(QObject& sender, Qt::MouseButton, Qt::KeyboardModifiers shift,
                                   int x, int y) {
  TakeFocus();
  CommitPendingEntry(sender);
  FDragging = true;
  FPanelMouseMove(sender, shift, x, y);
}

void TSpinControl::FPanelMouseMove(QObject& sender, Qt::KeyboardModifiers, int x, int) {
  if (!FDragging) return;
  CommitPendingEntry(sender);
  DragOnStrip(x);
}

void TSpinControl::FPanelMouseUp(QObject& sender, Qt::MouseButton, Qt::KeyboardModifiers shift,
                                 int x, int y) {
  CommitPendingEntry(sender);
  FPanelMouseMove(sender, shift, x, y);
  FDragging = false;
}

// The value whose share of the range matches x's share of the strip, rounded by half a step;
// positions off the strip end at the nearest bound.
void TSpinControl::DragOnStrip(int x) {
  const long long range = static_cast<long long>(GetMax()) - GetMin();
  const long long width = FPanel->width();
  if (range == 0 || width <= 0) return;
  const long long halfStep = (width / range) / 2;
  const long long value = GetMin() + range * (x + halfStep + 1) / width;
  SetValue(static_cast<int>(std::clamp<long long>(value, GetMin(), GetMax())));
}

void TSpinControl::ShowSliderButtonForm(QObject&, Qt::MouseButton, Qt::KeyboardModifiers, int,
                                        int) {
  TakeFocus();
  if (GetMax() == GetMin()) return;
  if (!FSliderForm) FSliderForm = std::make_unique<TfrmSliderControl>(this);
  FSliderForm->OnSliderMove = [this](int position) { SetValue(position); };
  FSliderForm->resize(FTrackBarWidth + 4, FSliderForm->height());
  FSliderForm->FormResize(*FSliderForm);
  FSliderForm->ShowSlider(*FSliderButton, GetMax(), GetValue(), GetMin());
}

void TSpinControl::UpdateSliderButtonForm(QObject&, Qt::KeyboardModifiers, int x, int y) {
  if (!FSliderForm || !FSliderForm->isVisible()) return;
  const QPoint point = FSliderForm->mapFromGlobal(FSliderButton->mapToGlobal(QPoint(x, y)));
  FSliderForm->FormMouseMove(*FSliderForm, Qt::NoModifier, point.x(), point.y());
}

void TSpinControl::HideSliderButtonForm(QObject&, Qt::MouseButton, Qt::KeyboardModifiers, int,
                                        int) {
  if (!FSliderForm) return;
  TakeFocus();
  DestroySliderForm();
}

void TSpinControl::DestroySliderForm() {
  FSliderForm.reset();
}

bool TSpinControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FSliderButton) return FilterSliderButton(*event);
  if (watched == FPanel) return FilterStrip(*event);
  return QLineEdit::eventFilter(watched, event);
}

// Passes the slider button's mouse on to the popup; the button still shows itself pressed.
bool TSpinControl::FilterSliderButton(QEvent& event) {
  const auto* mouse = dynamic_cast<const QMouseEvent*>(&event);
  if (!mouse) return false;
  const QPoint at = mouse->position().toPoint();
  if (IsPress(event)) {
    ShowSliderButtonForm(*FSliderButton, mouse->button(), mouse->modifiers(), at.x(), at.y());
  } else if (event.type() == QEvent::MouseMove) {
    UpdateSliderButtonForm(*FSliderButton, mouse->modifiers(), at.x(), at.y());
  } else if (event.type() == QEvent::MouseButtonRelease) {
    HideSliderButtonForm(*FSliderButton, mouse->button(), mouse->modifiers(), at.x(), at.y());
  }
  return false;
}

// The strip takes its own mouse input; none of it reaches the edit box below.
bool TSpinControl::FilterStrip(QEvent& event) {
  const auto* mouse = dynamic_cast<const QMouseEvent*>(&event);
  if (!mouse) return false;
  const QPoint at = mouse->position().toPoint();
  if (IsPress(event)) {
    FPanelMouseDown(*FPanel, mouse->button(), mouse->modifiers(), at.x(), at.y());
  } else if (event.type() == QEvent::MouseMove) {
    FPanelMouseMove(*FPanel, mouse->modifiers(), at.x(), at.y());
  } else if (event.type() == QEvent::MouseButtonRelease) {
    FPanelMouseUp(*FPanel, mouse->button(), mouse->modifiers(), at.x(), at.y());
  }
  return true;
}

// Selects the whole text on entry, unless a left-button press is placing the caret. Focus
// coming back from a menu or another window that took it away is no entry; focus that the
// window brings when it first opens is.
void TSpinControl::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  const bool returns = FFocusLeftWithWindow && WindowOrMenuFocus(*event);
  FFocusLeftWithWindow = false;
  if (!returns && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

// A popup left over when the mouse went elsewhere (another window took it) goes too.
void TSpinControl::focusOutEvent(QFocusEvent* event) {
  FFocusLeftWithWindow = WindowOrMenuFocus(*event);
  DestroySliderForm();
  QLineEdit::focusOutEvent(event);
}

void TSpinControl::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  LayOutParts();
}

int TSpinControl::GetMinHeight() const {
  const int fontHeight = QFontMetrics(font()).height();
  const int systemHeight =
      QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
  const int smaller = std::min(systemHeight, fontHeight);
  const int strip = FPanel && !FPanel->isHidden() ? FPanel->height() : 0;
  return fontHeight + smaller / 4 + 4 * kBorderHeight + 2 + strip;
}

QSize TSpinControl::minimumSizeHint() const {
  return QSize(QLineEdit::minimumSizeHint().width(), GetMinHeight());
}

void TSpinControl::LayOutParts() {
  if (height() < GetMinHeight()) resize(width(), GetMinHeight());
  const int h = height();
  const int w = width();

  const int stripTop = (FPanel->isHidden() ? 0 : h) - FPanel->height();
  PlaceInClient(*FPanel, 0, stripTop - 2 * kEdge, w - 2 * kEdge, FPanel->height());
  FTrack->resize(FPanel->width() + 1, FPanel->height());
  FBar->resize(FBar->width(), FPanel->height());
  UpdateValue();

  const int strip = FPanel->isHidden() ? 0 : FPanel->height();
  const int buttonHeight = h - strip - 2 * kEdge;
  const int sliderWidth = FSliderButton->width();
  const int sliderLeft = (FSliderButton->isHidden() ? 0 : w) - sliderWidth;
  PlaceInClient(*FSliderButton, sliderLeft - 2 * kEdge, 0, sliderWidth, buttonHeight);
  const int upDownRight =
      FUpDown->isHidden() ? 0 : w - (FSliderButton->isHidden() ? 0 : sliderWidth);
  PlaceInClient(*FUpDown, upDownRight - FUpDown->width() - 2 * kEdge, 0, FUpDown->width(),
                buttonHeight);
  SetEditRect();
}

void TSpinControl::PlaceInClient(QWidget& part, int left, int top, int width, int height) {
  part.setGeometry(kEdge + left, kEdge + top, width, height);
}

QRect TSpinControl::EditRect() const {
  const QSize client = size() - QSize(2 * kEdge, 2 * kEdge);
  int right = client.width() - kTextGap;
  if (!FSliderButton->isHidden()) right -= FSliderButton->width();
  if (!FUpDown->isHidden()) right -= FUpDown->width();
  const int bottom = client.height() + 1 - (FPanel->isHidden() ? 0 : FPanel->height());
  return QRect(0, 0, right, bottom);
}

// The edit box draws its text within EditRect, by margins from its client area.
void TSpinControl::SetEditRect() {
  const QRect rect = EditRect();
  const QSize client = size() - QSize(2 * kEdge, 2 * kEdge);
  setTextMargins(0, 0, std::max(0, client.width() - rect.width()),
                 std::max(0, client.height() - rect.height()));
}

}  // namespace trv
