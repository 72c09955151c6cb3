#include "CanvasTextPrinter.h"

#include "PlainLetters.h"
#include "Spooler.h"
#include "Windows1252.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

namespace {

QFont toQFont(const CanvasFont& font) {
    QFont qfont(font.name);
    qfont.setPointSize(font.size);
    if (font.pitch == CanvasFontPitch::Fixed) {
        // Without the named face the system must still pick a fixed-pitch one.
        qfont.setFixedPitch(true);
        qfont.setStyleHint(QFont::TypeWriter);
    }
    qfont.setBold(font.style.testFlag(PreviewFontStyle::Bold));
    qfont.setItalic(font.style.testFlag(PreviewFontStyle::Italic));
    qfont.setUnderline(font.style.testFlag(PreviewFontStyle::Underline));
    qfont.setStrikeOut(font.style.testFlag(PreviewFontStyle::StrikeOut));
    return qfont;
}

// What Qt's printer gives a PDF in its high resolution.
constexpr int pdfResolution = 1200;

PreviewFont previewFont(const CanvasFont& font) {
    return {font.color, font.name, font.size, font.style};
}

CanvasFont canvasFont(const PreviewFont& font) {
    CanvasFont canvas;
    canvas.color = font.color;
    canvas.name = font.name;
    canvas.size = font.size;
    canvas.style = font.style;
    return canvas;
}

} // namespace

CanvasTextPrinter::CanvasTextPrinter(QObject* owner)
    : TextPrinterBase(owner) {}

// A printer destroyed while printing aborts its document.
CanvasTextPrinter::~CanvasTextPrinter() {
    abortUnreported();
}

void CanvasTextPrinter::beginDoc() {
    startPosition();
    if (showPreview) {
        startPreview();
        m_isPrinting = true;
    } else {
        if (!selectPrinter())
            return;
        startDocument();
    }
    fire(onStart);
    fire(onNewPage);
    openProgress();
}

void CanvasTextPrinter::startDocument() {
    if (printerName.isEmpty())
        raiseError(textprinter::NoDefaultPrinter);
    platform::Spooler& spooler = platform::spooler();
    const std::optional<platform::Paper> queuePaper = spooler.defaultPaper(printerName);
    if (!queuePaper && !spooler.lastError().isEmpty())
        raiseError(textprinter::CannotStartDoc.arg(title, printerName), spooler.lastError());
    m_document = std::make_unique<QTemporaryFile>();
    if (!m_document->open())
        raiseError(textprinter::CannotStartDoc.arg(title, printerName), m_document->errorString());
    m_printer = std::make_unique<QPdfWriter>(m_document->fileName());
    m_printer->setResolution(pdfResolution);
    if (queuePaper)
        m_printer->setPageLayout(QPageLayout(
            QPageSize(QSizeF(queuePaper->size) / 100, QPageSize::Millimeter), QPageLayout::Portrait,
            QMarginsF(queuePaper->margins) / 100, QPageLayout::Millimeter));
    m_printer->setPageOrientation(orientation == PaperOrientation::Landscape
                                      ? QPageLayout::Landscape
                                      : QPageLayout::Portrait);
    m_printer->setTitle(title);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_painter.reset();
        raiseError(textprinter::CannotStartDoc.arg(title, printerName));
    }
    applyFont();
    m_textHeight = textHeight();
    m_lineAdvance = m_textHeight + lineSpacing;
    m_y = m_lineAdvance;
    followPrinterState();
}

void CanvasTextPrinter::applyFont() {
    m_painter->setFont(toQFont(font));
    m_painter->setPen(font.color);
}

qreal CanvasTextPrinter::textHeight() const {
    return QFontMetricsF(m_painter->font(), m_printer.get()).height();
}

void CanvasTextPrinter::followPrinterState() {
    m_isPrinting = m_painter && m_painter->isActive();
}

QString CanvasTextPrinter::alignedText(const QString& text) const {
    if (paper.columns <= 0 || font.align == CanvasAlignment::Left)
        return text;
    const int room = paper.columns - paper.marginLeft - paper.marginRight - int(text.size());
    const int padding = font.align == CanvasAlignment::Center ? room / 2 : room;
    return QString(qMax(0, padding), QLatin1Char(' ')) + text;
}

void CanvasTextPrinter::print(int column, const QString& text, bool lineFeed) {
    if (!m_isPrinting)
        return;
    const QString aligned = alignedText(text);
    writeStr(column, aligned);
    m_endColumn = column + int(aligned.size());
    fire(onPrint);
    if (lineFeed)
        newLine(1);
}

void CanvasTextPrinter::writeStr(int column, const QString& text) {
    if (!m_isPrinting)
        raiseError(textprinter::NotPrinting.arg(printerName));
    // A control character counts as a column, as on a character printer.
    const QString shown = blankControls(text);
    if (previewing()) {
        if (column > m_endColumn)
            preview().write(QString(column - m_endColumn, QLatin1Char(' ')), m_endColumn,
                            previewFont(font));
        preview().write(shown, column, previewFont(font));
        return;
    }
    applyFont();
    const QFontMetricsF metrics(m_painter->font(), m_printer.get());
    m_x = metrics.horizontalAdvance(QLatin1Char(' ')) * (column + paper.marginLeft);
    // The line position is the top of the shown; drawing wants the baseline.
    m_painter->drawText(QPointF(m_x, m_y + metrics.ascent()), shown);
    m_textHeight = textHeight();
}

void CanvasTextPrinter::newLine(int lines) {
    if (!m_isPrinting)
        return;
    m_lineAdvance = m_textHeight + lineSpacing;
    for (int i = 0; i < lines; ++i) {
        m_y += m_lineAdvance;
        if (previewing())
            preview().newLine(1);
        lineFed(paper.autoNewPage, paper.lines, 0);
    }
    m_endColumn = 0;
}

void CanvasTextPrinter::newPage(int pages) {
    if (!m_isPrinting)
        return;
    for (int i = 0; i < pages; ++i) {
        if (previewing())
            preview().newPage(1);
        else if (!m_printer->newPage())
            raiseError(textprinter::CannotStartPage.arg(printerName));
        ++m_currentPage;
        m_currentLine = 1;
        m_y = m_textHeight + lineSpacing;
        m_endColumn = 0;
        fire(onNewPage);
    }
}

void CanvasTextPrinter::releasePrinter() {
    m_painter.reset();
    m_printer.reset();
    m_document.reset();
}

void CanvasTextPrinter::endDoc() {
    if (!m_isPrinting)
        return;
    m_endColumn = 0;
    if (previewing()) {
        showPreviewDocument(
            [this](const TextPreviewDocument& document) { printPreviewed(document); });
        return;
    }
    const bool ended = m_painter->end();
    followPrinterState();
    if (!ended)
        raiseError(textprinter::CannotEndDoc.arg(title, printerName));
    platform::Spooler& spooler = platform::spooler();
    const bool queued = spooler.printPdfFile(printerName, m_document->fileName(), title);
    releasePrinter();
    if (!queued)
        raiseError(textprinter::CannotEndDoc.arg(title, printerName), spooler.lastError());
    fire(onTerminate);
    closeProgress();
}

void CanvasTextPrinter::abort() {
    if (!m_isPrinting || previewing())
        return;
    // The document is dropped unsent.
    m_painter->end();
    releasePrinter();
    m_isPrinting = false;
    fire(onAbort);
    closeProgress();
}

// The printer is brought to each block's page and line. Every line end has its own block, but a
// page left empty has none, so the printer may have to skip more than one page. The pieces
// already hold their alignment padding, so they are printed left-aligned.
void CanvasTextPrinter::printPreviewed(const TextPreviewDocument& document) {
    const CanvasFont original = font;
    beginDoc();
    if (!isPrinting())
        return;
    for (const PreviewTextBlock& block : document.blocks()) {
        while (block.page > currentPage())
            newPage(1);
        while (block.page == currentPage() && block.line > currentLine())
            newLine(1);
        if (block.isLineEnd)
            continue;
        font = canvasFont(block.font);
        const QByteArray& stream = document.pages()[size_t(block.page - 1)].stream;
        print(block.column, windows1252::decode(stream.mid(block.start, block.len)), false);
    }
    endDoc();
    font = original;
}
