#include "controls/slider_control.h"

#include <QScreen>
#include <QSlider>
#include <QTest>
#include <optional>

using namespace trv;

namespace {

QSlider& TrackBar(const TfrmSliderControl& popup) {
  return *popup.findChild<QSlider*>("TrackBar1");
}

QRect Screen() {
  return QGuiApplication::primaryScreen()->geometry();
}

}  // namespace

class SliderControlTest : public QObject {
  Q_OBJECT

 private slots:
  void mouseMapsOntoTheChannel_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("position");
    QTest::newRow("channel start") << 0 << 100 << 11 << 0;
    QTest::newRow("middle") << 0 << 100 << 67 << 100 * 57 / 112;
    QTest::newRow("channel end") << 0 << 100 << 123 << 100;
    QTest::newRow("far left") << 0 << 100 << -4000 << 0;
    QTest::newRow("far right") << 0 << 100 << 4000 << 100;
    QTest::newRow("half step before 1") << 0 << 4 << 11 + 12 << 0;
    QTest::newRow("half step reaches 1") << 0 << 4 << 11 + 13 << 1;
    QTest::newRow("negative range") << -32768 << 32767 << 67 << -32768 + 65535 * 57 / 112;
  }

  void mouseMapsOntoTheChannel() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, x);
    QFETCH(int, position);
    QWidget owner;
    TfrmSliderControl popup(&owner);
    TrackBar(popup).setRange(minimum, maximum);
    std::optional<int> reported;
    popup.OnSliderMove = [&reported](int moved) { reported = moved; };
    popup.FormMouseMove(popup, Qt::NoModifier, x, 10);
    QCOMPARE(TrackBar(popup).value(), position);
    QCOMPARE(reported, std::optional<int>(position));
  }

  void showSliderKeepsThePopupOnTheScreen_data() {
    QTest::addColumn<QPoint>("controlAt");
    QTest::addColumn<QPoint>("popupAt");
    const QRect screen = Screen();
    QTest::newRow("above and left")
        << QPoint(screen.left() - 300, screen.top() - 300) << screen.topLeft();
    QTest::newRow("below and right") << QPoint(screen.right() - 20, screen.bottom() - 20)
                                     << QPoint(screen.right() + 1 - 134, screen.bottom() + 1 - 34);
  }

  void showSliderKeepsThePopupOnTheScreen() {
    QFETCH(QPoint, controlAt);
    QFETCH(QPoint, popupAt);
    QWidget control;
    control.setGeometry(QRect(controlAt, QSize(12, 17)));
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    TfrmSliderControl popup(&control);
    popup.ShowSlider(control, 1000, 500, 0);
    QCOMPARE(popup.pos(), popupAt);
    QCOMPARE(TrackBar(popup).tickInterval(), 100);
  }
};

QTEST_MAIN(SliderControlTest)
#include "slider_control_test.moc"
