#include "exchange/PrintRowsView.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "exchange/BoxText.h"
#include "exchange/FontCatalog.h"
#include "platform/ui/QtStrings.h"

namespace {

const QColor kLightGray(170, 170, 170);
const QColor kCheckerGray = QColor::fromRgbF(0.92f, 0.92f, 0.92f);
const QColor kFrameGray = QColor::fromRgbF(0.6f, 0.6f, 0.6f);
const QColor kSelectionHighlight = QColor::fromRgbF(219.0f / 255, 235.0f / 255, 1.0f);

constexpr double kPointsPerInch = PrintLayout::kPointsPerInch;
// Frames are a point wide, and grow with the page as it is shown larger.
constexpr double kFrameWidth = 1;

// Text is laid out in the painter's units, which are points: the font's size is given in the
// device's terms so that a point of type is a point of the layout on screen and on paper.
QFont fontInPoints(const std::optional<std::string>& fullName, double points,
                   const QPaintDevice* device) {
    QFont font = FontCatalog::font(fullName, points);
    font.setPointSizeF(font.pointSizeF() * kPointsPerInch / std::max(device->logicalDpiY(), 1));
    return font;
}

QTextBlockFormat blockFormat(int alignment, double lineSpacing) {
    QTextBlockFormat format;
    format.setAlignment(alignment == 1   ? Qt::AlignHCenter
                        : alignment == 2 ? Qt::AlignRight
                                         : Qt::AlignLeft);
    if (lineSpacing > 0) format.setLineHeight(lineSpacing, QTextBlockFormat::LineDistanceHeight);
    return format;
}

QRectF toQRect(const PrintLayout::Rect& rect) {
    return QRectF(rect.x, rect.y, rect.width, rect.height);
}

struct BoxDrawing {
    const PrintLayout& layout;
    PrintRowsViewDelegate& delegate;
    bool printing;
    bool page;  // page mode on screen, or printing
};

void drawBoxRect(QPainter& painter, const BoxDrawing& drawing, const QRectF& box,
                 const nlohmann::json& objects) {
    const PrintLayout& layout = drawing.layout;
    QRectF content = toQRect(layout.contentRect({box.x(), box.y(), box.width(), box.height()}));
    if (!drawing.printing && !drawing.page) {
        painter.fillRect(box, kLightGray);
        painter.fillRect(content, Qt::white);
    }
    const QPaintDevice* device = painter.device();
    QFont defaultFont = fontInPoints(layout.fullFontName, layout.fontSize, device);

    BoxTextInput input;
    input.objects = objects;
    input.numberOfRows = drawing.delegate.numberOfRows();
    input.firstRowIndex = drawing.delegate.printViewFirstRowIndex();
    input.numberOfFields = drawing.delegate.numberOfFields();
    input.page = drawing.page;
    if (drawing.delegate.designMode() && !drawing.printing) {
        input.selectedObjects = drawing.delegate.selectedBoxObjectIndexSet();
    }
    input.spacerCount = spacerCount(layout.objectHorizontalSpacing,
                                    QFontMetricsF(defaultFont, device).horizontalAdvance(' '));

    QTextDocument document;
    document.documentLayout()->setPaintDevice(const_cast<QPaintDevice*>(device));
    document.setDocumentMargin(0);
    document.setDefaultFont(defaultFont);
    document.setTextWidth(content.width());
    QTextCursor cursor(&document);
    const double lineSpacing = layout.objectVerticalSpacing * kPointsPerInch;
    QTextCharFormat normal;
    normal.setFont(defaultFont);
    normal.setForeground(Qt::black);
    bool paragraphStart = true;
    for (const BoxTextRun& run : boxTextRuns(input)) {
        QTextCharFormat format = normal;
        switch (run.kind) {
            case BoxTextRun::Newline:
                cursor.insertBlock(blockFormat(0, lineSpacing), normal);
                paragraphStart = true;
                continue;
            case BoxTextRun::Spacer:
                break;
            case BoxTextRun::Placeholder:
                format.setForeground(kLightGray);
                cursor.setBlockFormat(blockFormat(1, 0));
                break;
            case BoxTextRun::Object:
                format.setFont(fontInPoints(run.fontName ? run.fontName : layout.fullFontName,
                                            run.fontSize > 0 ? run.fontSize : layout.fontSize,
                                            device));
                if (run.selected) format.setBackground(kSelectionHighlight);
                // A paragraph is aligned as its first object asks.
                if (paragraphStart) cursor.setBlockFormat(blockFormat(run.alignment, lineSpacing));
                paragraphStart = false;
                break;
        }
        cursor.insertText(toQString(run.text), format);
    }
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    painter.translate(content.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, 0, content.width(), content.height());
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

}  // namespace

PrintRowsView::PrintRowsView(QWidget* parent) : QWidget(parent) {
    setObjectName("printViewPrintRowsView");
}

void PrintRowsView::resizePrintRowsView() {
    QWidget* host = parentWidget();
    if (!host || !delegate_) return;
    double w = host->width(), h = host->height();
    if (w < 1 || h < 1) return;
    double ratio = delegate_->printPreviewMode() ? PrintLayout::pageAspectRatio()
                                                 : delegate_->printLayout().boxAspectRatio();
    double width = w / h < ratio ? w : h * ratio;
    double height = w / h < ratio ? w / ratio : h;
    setGeometry(static_cast<int>((w - width) / 2), static_cast<int>((h - height) / 2),
                static_cast<int>(width), static_cast<int>(height));
    update();
}

void PrintRowsView::drawPage(QPainter& painter, PrintRowsViewDelegate& delegate, int64_t page,
                             bool printing) {
    const PrintLayout& layout = delegate.printLayout();
    const BoxDrawing drawing{layout, delegate, printing, printing || delegate.printPreviewMode()};
    if (!layout.hasBoxes()) return;
    const int64_t rows = layout.rowsInPrintView, columns = layout.columnsInPrintView;
    const int64_t first = delegate.printViewFirstRowIndex() + page * rows * columns;
    const QRectF pageRect(0, 0, PrintLayout::kPageWidth * kPointsPerInch,
                          PrintLayout::kPageHeight * kPointsPerInch);
    painter.fillRect(pageRect, printing ? QColor(Qt::white) : kLightGray);
    delegate.willDrawRows(first, drawing.page ? rows * columns : 1);
    for (int64_t i = 0; i < rows; ++i) {
        for (int64_t j = 0; j < columns; ++j) {
            if (!drawing.page && (i > 0 || j > 0)) continue;
            QRectF box = toQRect(layout.boxRect(i, j));
            painter.fillRect(box, printing || (i + j) % 2 == 0 ? QColor(Qt::white) : kCheckerGray);
            drawBoxRect(painter, drawing, box, delegate.loadBoxObjects(first + i * columns + j));
            if (!drawing.page) {
                painter.setPen(QPen(kFrameGray, kFrameWidth));
                painter.drawRect(box);
            }
        }
    }
    if (!printing && drawing.page) {
        painter.setPen(QPen(kFrameGray, kFrameWidth));
        painter.drawRect(pageRect);
    }
}

void PrintRowsView::paintEvent(QPaintEvent*) {
    if (!delegate_) return;
    const PrintLayout& layout = delegate_->printLayout();
    if (!layout.hasBoxes()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (delegate_->printPreviewMode()) {
        double s = std::min(width() / (PrintLayout::kPageWidth * kPointsPerInch),
                            height() / (PrintLayout::kPageHeight * kPointsPerInch));
        painter.scale(s, s);
    } else {
        // The top-left box fills the view.
        PrintLayout::Rect box = layout.boxRect(0, 0);
        double s = std::min(width() / box.width, height() / box.height);
        painter.scale(s, s);
        painter.translate(-box.x, -box.y);
    }
    drawPage(painter, *delegate_, 0, false);
}

int64_t PrintRowsView::printRows(QPrinter& printer, PrintRowsViewDelegate& delegate) {
    const int64_t pages = delegate.printLayout().numberOfPages(delegate.numberOfRows(),
                                                               delegate.printViewFirstRowIndex());
    int64_t from = printer.fromPage() > 0 ? printer.fromPage() : 1;
    int64_t to = printer.toPage() > 0 ? std::min<int64_t>(printer.toPage(), pages) : pages;
    if (from > to) return 0;
    // The layouts are made for a Letter page, every page at the paper's corner.
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const double scale = printer.resolution() / kPointsPerInch;
    for (int64_t page = from; page <= to; ++page) {
        if (page > from) printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        drawPage(painter, delegate, page - 1, true);
        painter.restore();
    }
    painter.end();
    return to - from + 1;
}
