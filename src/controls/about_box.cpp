#include "controls/about_box.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "artwork/brand_artwork.h"
#include "model/program_version.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

// A bevel that is a sunken line along its bottom edge.
class BottomLineBevel : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int bottom = height() - 1;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, bottom - 1, width() - 1, bottom - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, bottom, width() - 1, bottom);
  }
};

struct TextStyle {
  int PixelSize;
  bool Bold;
};

constexpr TextStyle kCompanyStyle{19, true};
constexpr TextStyle kProductStyle{16, true};
constexpr TextStyle kDetailStyle{15, false};

QLabel* AddLabel(QWidget* form, const char* name, const QString& text, TextStyle style,
                 const QRect& geometry) {
  auto* label = new QLabel(text, form);
  label->setObjectName(name);
  QFont font = label->font();
  font.setPixelSize(style.PixelSize);
  font.setBold(style.Bold);
  label->setFont(font);
  label->setGeometry(geometry);
  return label;
}

QLabel* AddImage(QWidget* form, const char* name, const QPoint& position) {
  auto* image = new QLabel(form);
  image->setObjectName(name);
  image->setGeometry(QRect(position, QSize(32, 32)));
  return image;
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : TPlainForm("AboutBox", "About", parent) {
  setFixedSize(kClientWidth, kClientHeight);
  Bevel1 = new BottomLineBevel(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setGeometry(16, 12, 360, 168);
  AboutCompanyImage = AddImage(this, "AboutCompanyImage", {24, 24});
  AboutCompanyNameLabel =
      AddLabel(this, "AboutCompanyNameLabel", "Company Name", kCompanyStyle, {72, 22, 296, 26});
  AboutProductNameLabel =
      AddLabel(this, "AboutProductNameLabel", "Product Name", kProductStyle, {72, 52, 296, 22});
  AboutProductVersionLabel =
      AddLabel(this, "AboutProductVersionLabel", "Version", kDetailStyle, {72, 96, 72, 20});
  AboutProductVersion =
      AddLabel(this, "AboutProductVersion", "0.0", kDetailStyle, {148, 96, 220, 20});
  AboutCopyrightLabel =
      AddLabel(this, "AboutCopyrightLabel", "Copyright", kDetailStyle, {72, 124, 296, 44});
  AboutCopyrightLabel->setWordWrap(true);
  AboutCopyrightLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  KorvanexIcon = AddImage(this, "KorvanexIcon", {24, 24});
  KorvanexIcon->setPixmap(KorvanexIconPicture());
  KorvanexIcon->hide();
  AboutOkButton = new QPushButton("OK", this);
  AboutOkButton->setObjectName("AboutOkButton");
  AboutOkButton->setGeometry(152, 194, 88, 28);
  AboutOkButton->setDefault(true);
  connect(AboutOkButton, &QPushButton::clicked, this, &QDialog::accept);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FillAboutBox();
}

void TAboutBox::FillAboutBox() {
  AboutCompanyNameLabel->setText(Text(ActiveText(string_id::kCompanyName)));
  AboutProductNameLabel->setText(Text(ActiveText(string_id::kProductName)));
  const VersionRecord& record = ThisVersionRecord();
  AboutProductVersion->setText(Text(record.ProductVersion));
  AboutCopyrightLabel->setText(Text(record.LegalCopyright));
  // The image sizes to its picture.
  AboutCompanyImage->setPixmap(KorvanexIcon->pixmap());
  AboutCompanyImage->resize(AboutCompanyImage->sizeHint());
}

}  // namespace trv
