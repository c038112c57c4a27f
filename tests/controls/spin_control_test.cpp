#include "controls/spin_control.h"

#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace trv;

class ProbeSpinControl : public TSpinControl {
 public:
  int beeps = 0;

 protected:
  void Beep() override { ++beeps; }
};

class SpinControlTest : public QObject {
  Q_OBJECT

 private slots:
  void construction() {
    ProbeSpinControl spin;
    QCOMPARE(spin.text(), QString("0"));
    QCOMPARE(spin.width(), 41);
  }
};

QTEST_MAIN(SpinControlTest)
#include "spin_control_test.moc"
