#include "controls/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <nlohmann/json.hpp>

#include "artwork/brand_artwork.h"
#include "model/program_version.h"
#include "model/string_ids.h"
#include "model/string_table.h"

using namespace trv;

namespace {

QString Text(const TAboutBox& box, const char* name) {
  const QLabel* label = box.findChild<QLabel*>(name);
  if (!label) qFatal("no label named %s", name);
  return label->text();
}

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { ResetActiveStrings(); }

  void laysOutTheControlsWithTheirFonts() {
    TAboutBox box;
    QCOMPARE(box.objectName(), QString("AboutBox"));
    QCOMPARE(box.windowTitle(), QString("About"));
    QCOMPARE(box.size(), QSize(392, 236));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    const struct {
      const char* name;
      int pixelSize;
      bool bold;
    } labels[] = {{"AboutCompanyNameLabel", 19, true},
                  {"AboutProductNameLabel", 16, true},
                  {"AboutProductVersionLabel", 15, false},
                  {"AboutProductVersion", 15, false},
                  {"AboutCopyrightLabel", 15, false}};
    for (const auto& expected : labels) {
      const QFont font = box.findChild<QLabel*>(expected.name)->font();
      QCOMPARE(font.pixelSize(), expected.pixelSize);
      QCOMPARE(font.bold(), expected.bold);
    }
    QCOMPARE(Text(box, "AboutProductVersionLabel"), QString("Version"));
    QVERIFY(box.findChild<QFrame*>("Bevel1"));
    QVERIFY(box.findChild<QLabel*>("KorvanexIcon")->isHidden());
  }

  void fillsTheNamesFromTheStringTableAndTheVersionFromTheRecord() {
    TAboutBox box;
    QCOMPARE(Text(box, "AboutCompanyNameLabel"), QString("KORVANEX"));
    QCOMPARE(Text(box, "AboutProductNameLabel"), QString("TRV Configuration Tool"));
    QCOMPARE(Text(box, "AboutProductVersion"),
             QString::fromStdString(ThisVersionRecord().ProductVersion));
    QCOMPARE(Text(box, "AboutCopyrightLabel"),
             QString::fromStdString(ThisVersionRecord().LegalCopyright));
    const QLabel* image = box.findChild<QLabel*>("AboutCompanyImage");
    QCOMPARE(image->size(), QSize(32, 32));
    QCOMPARE(image->pixmap().toImage(), KorvanexIconPicture().toImage());

    ReplaceActiveStrings({{std::to_string(string_id::kCompanyName), "Korvanex AG"}});
    QCOMPARE(Text(box, "AboutCompanyNameLabel"), QString("KORVANEX"));  // until filled again
    box.FillAboutBox();
    QCOMPARE(Text(box, "AboutCompanyNameLabel"), QString("Korvanex AG"));
  }

  void okClosesWithTheResultOk() {
    TAboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.findChild<QPushButton*>("AboutOkButton")->click();
    QTRY_VERIFY(box.isHidden());
    QCOMPARE(box.result(), int(QDialog::Accepted));
  }

  void artworkComesInTheSizesTheFormsAndTheIconThemeNeed() {
    QCOMPARE(KorvanexIconPicture().size(), QSize(32, 32));
    QCOMPARE(KorvanexSplashPicture().size(), QSize(1022, 766));
    QList<QSize> sizes = ProductIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    const QList<QSize> theme{{16, 16}, {22, 22}, {24, 24},   {32, 32},
                             {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    QCOMPARE(sizes, theme);
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
