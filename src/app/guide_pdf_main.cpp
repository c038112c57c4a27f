// trv-guide-pdf: the user guide (Markdown) printed as the help document, A4 with page numbers.
//   trv-guide-pdf GUIDE.md OUT.PDF
// Pictures are resolved relative to the guide's directory and scaled down to the page width; a
// picture that is missing is left out with a note on standard error, so that the document still
// builds before every screenshot exists.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kResolution = 96;  // document units: the pixels the screenshots were grabbed in
constexpr qreal kMarginMillimetres = 18;
constexpr int kFooterPoints = 8;
constexpr int kChapterLevel = 2;  // "## " headings
constexpr qreal kTableCellPadding = 3;
const QString kTitle = "TRV Configuration Tool - User Guide";

struct PictureFragment {
  int position;
  int length;
  QTextImageFormat format;
};

QList<PictureFragment> PictureFragments(const QTextDocument& document) {
  QList<PictureFragment> pictures;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().isImageFormat()) {
        pictures.append(
            {fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
      }
    }
  }
  return pictures;
}

// Each picture is loaded from the guide's directory as a resource of the document and given a
// size that fits the text width; missing ones are removed (from the end, so positions hold).
void PlacePictures(QTextDocument& document, const QString& guideDirectory, qreal textWidth) {
  const QList<PictureFragment> pictures = PictureFragments(document);
  for (auto it = pictures.crbegin(); it != pictures.crend(); ++it) {
    QTextCursor cursor(&document);
    cursor.setPosition(it->position);
    cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
    const QString name = it->format.name();
    const QImage image(guideDirectory + "/" + name);
    if (image.isNull()) {
      std::fprintf(stderr, "trv-guide-pdf: %s missing, left out\n", qPrintable(name));
      cursor.removeSelectedText();
      continue;
    }
    document.addResource(QTextDocument::ImageResource, QUrl(name), image);
    const qreal scale = std::min<qreal>(1.0, textWidth / image.width());
    QTextImageFormat format = it->format;
    format.setWidth(image.width() * scale);
    format.setHeight(image.height() * scale);
    cursor.setCharFormat(format);
  }
}

// Every chapter starts a page.
void BreakPagesBeforeChapters(QTextDocument& document) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() != kChapterLevel) continue;
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(format);
  }
}

// Tables get room around their text and single rules between cells.
void SpaceTables(QTextDocument& document) {
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    auto* table = qobject_cast<QTextTable*>(frame);
    if (table == nullptr) continue;
    QTextTableFormat format = table->format();
    format.setCellPadding(kTableCellPadding);
    format.setBorderCollapse(true);
    table->setFormat(format);
  }
}

// The contents list's entries that name a chapter get its page number, right-aligned.
void NumberContents(QTextDocument& document, qreal pageHeight) {
  QMap<QString, int> chapterPages;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == kChapterLevel) {
      const qreal top = document.documentLayout()->blockBoundingRect(block).top();
      chapterPages.insert(block.text(), static_cast<int>(top / pageHeight) + 1);
    }
  }
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.textList() == nullptr || !chapterPages.contains(block.text())) continue;
    const qreal right = document.documentLayout()->blockBoundingRect(block).width();
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    format.setTabPositions({QTextOption::Tab(right, QTextOption::RightTab)});
    cursor.setBlockFormat(format);
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText("\t" + QString::number(chapterPages.value(block.text())));
  }
}

void DrawFooter(QPainter& painter, const QRectF& page, int number, int count) {
  QFont font = painter.font();
  font.setPointSize(kFooterPoints);
  painter.setFont(font);
  const QRectF line(page.left(), page.bottom() - painter.fontMetrics().height(), page.width(),
                    painter.fontMetrics().height());
  painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, kTitle);
  painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                   QString("Page %1 of %2").arg(number).arg(count));
}

// Lays the document out in pages of the writer's text area, less a line for the footer, and
// paints them one by one.
void Print(QTextDocument& document, QPdfWriter& writer) {
  QPainter painter(&writer);
  const QRectF page(QPointF(0, 0), writer.pageLayout().paintRectPixels(kResolution).size());
  const qreal footerHeight = 2 * painter.fontMetrics().height();
  const QSizeF body(page.width(), page.height() - footerHeight);
  document.setPageSize(body);
  NumberContents(document, body.height());
  const int count = document.pageCount();
  for (int number = 1; number <= count; ++number) {
    if (number > 1) writer.newPage();
    painter.save();
    const QRectF shown(QPointF(0, (number - 1) * body.height()), body);
    painter.translate(0, -shown.top());
    painter.setClipRect(shown);
    document.drawContents(&painter, shown);
    painter.restore();
    DrawFooter(painter, page, number, count);
  }
}

QString ReadGuide(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: trv-guide-pdf GUIDE.md OUT.PDF\n");
    return 2;
  }
  const QString guide = ReadGuide(QString::fromLocal8Bit(argv[1]));
  if (guide.isEmpty()) {
    std::fprintf(stderr, "trv-guide-pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
  writer.setResolution(kResolution);
  writer.setTitle(kTitle);
  writer.setCreator("trv-guide-pdf");
  writer.setPageLayout(QPageLayout(
      QPageSize(QPageSize::A4), QPageLayout::Portrait,
      QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
      QPageLayout::Millimeter));
  QTextDocument document;
  document.documentLayout()->setPaintDevice(&writer);
  document.setMarkdown(guide);
  const qreal textWidth =
      writer.pageLayout().paintRectPixels(kResolution).width() - 2 * document.documentMargin();
  BreakPagesBeforeChapters(document);
  SpaceTables(document);
  PlacePictures(document, QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath(), textWidth);
  Print(document, writer);
  return 0;
}
