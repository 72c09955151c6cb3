#include "ZELCaPrinter.h"

#include "PlainLetters.h"
#include "Spooler.h"
#include "Windows1252.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

namespace {

QFont toQFont(const TZELCaFont& font) {
    QFont qfont(font.Name);
    qfont.setPointSize(font.Size);
    if (font.Pitch == fpFixed) {
        // Without the named face the system must still pick a fixed-pitch one.
        qfont.setFixedPitch(true);
        qfont.setStyleHint(QFont::TypeWriter);
    }
    qfont.setBold(font.Style.testFlag(fsBold));
    qfont.setItalic(font.Style.testFlag(fsItalic));
    qfont.setUnderline(font.Style.testFlag(fsUnderline));
    qfont.setStrikeOut(font.Style.testFlag(fsStrikeOut));
    return qfont;
}

// What Qt's printer gives a PDF in its high resolution.
constexpr int PdfResolution = 1200;

TZELPreviewFont previewFont(const TZELCaFont& font) {
    return {font.Color, font.Name, font.Size, font.Style};
}

TZELCaFont canvasFont(const TZELPreviewFont& font) {
    TZELCaFont canvas;
    canvas.Color = font.Color;
    canvas.Name = font.Name;
    canvas.Size = font.Size;
    canvas.Style = font.Style;
    return canvas;
}

} // namespace

TZELCaPrinter::TZELCaPrinter(QObject* AOwner)
    : TZELBasePrinter(AOwner) {}

// A printer destroyed while printing aborts its document.
TZELCaPrinter::~TZELCaPrinter() {
    abortUnreported();
}

void TZELCaPrinter::BeginDoc() {
    startPosition();
    if (ShowPreview) {
        startPreview();
        FIsPrinting = true;
    } else {
        if (!selectPrinter())
            return;
        startDocument();
    }
    fire(OnStart);
    fire(OnNewPage);
    openProgress();
}

void TZELCaPrinter::startDocument() {
    if (PrinterName.isEmpty())
        raiseError(zeltext::NoDefaultPrinter);
    platform::Spooler& spooler = platform::spooler();
    const std::optional<platform::Paper> paper = spooler.defaultPaper(PrinterName);
    if (!paper && !spooler.lastError().isEmpty())
        raiseError(zeltext::CannotStartDoc.arg(Title, PrinterName), spooler.lastError());
    FDocument = std::make_unique<QTemporaryFile>();
    if (!FDocument->open())
        raiseError(zeltext::CannotStartDoc.arg(Title, PrinterName), FDocument->errorString());
    FPrinter = std::make_unique<QPdfWriter>(FDocument->fileName());
    FPrinter->setResolution(PdfResolution);
    if (paper)
        FPrinter->setPageLayout(QPageLayout(
            QPageSize(QSizeF(paper->size) / 100, QPageSize::Millimeter), QPageLayout::Portrait,
            QMarginsF(paper->margins) / 100, QPageLayout::Millimeter));
    FPrinter->setPageOrientation(Orientation == poLandscape ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
    FPrinter->setTitle(Title);
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FPrinter.get())) {
        FPainter.reset();
        raiseError(zeltext::CannotStartDoc.arg(Title, PrinterName));
    }
    applyFont();
    FTextHeight = textHeight();
    FLineAdvance = FTextHeight + LineSpacing;
    FY = FLineAdvance;
    followPrinterState();
}

void TZELCaPrinter::applyFont() {
    FPainter->setFont(toQFont(Font));
    FPainter->setPen(Font.Color);
}

qreal TZELCaPrinter::textHeight() const {
    return QFontMetricsF(FPainter->font(), FPrinter.get()).height();
}

void TZELCaPrinter::followPrinterState() {
    FIsPrinting = FPainter && FPainter->isActive();
}

QString TZELCaPrinter::alignedText(const QString& AText) const {
    if (Paper.Columns <= 0 || Font.Align == taLeftJustify)
        return AText;
    const int room = Paper.Columns - Paper.MarginLeft - Paper.MarginRight - int(AText.size());
    const int padding = Font.Align == taCenter ? room / 2 : room;
    return QString(qMax(0, padding), QLatin1Char(' ')) + AText;
}

void TZELCaPrinter::Print(int AColumn, const QString& AText, bool ALineFeed) {
    if (!FIsPrinting)
        return;
    const QString text = alignedText(AText);
    WriteStr(AColumn, text);
    FEndColumn = AColumn + int(text.size());
    fire(OnPrint);
    if (ALineFeed)
        NewLine(1);
}

void TZELCaPrinter::WriteStr(int AColumn, const QString& AText) {
    if (!FIsPrinting)
        raiseError(zeltext::NotPrinting.arg(PrinterName));
    // A control character counts as a column, as on a character printer.
    const QString text = blankControls(AText);
    if (previewing()) {
        if (AColumn > FEndColumn)
            preview().write(QString(AColumn - FEndColumn, QLatin1Char(' ')), FEndColumn,
                            previewFont(Font));
        preview().write(text, AColumn, previewFont(Font));
        return;
    }
    applyFont();
    const QFontMetricsF metrics(FPainter->font(), FPrinter.get());
    FX = metrics.horizontalAdvance(QLatin1Char(' ')) * (AColumn + Paper.MarginLeft);
    // The line position is the top of the text; drawing wants the baseline.
    FPainter->drawText(QPointF(FX, FY + metrics.ascent()), text);
    FTextHeight = textHeight();
}

void TZELCaPrinter::NewLine(int ALines) {
    if (!FIsPrinting)
        return;
    FLineAdvance = FTextHeight + LineSpacing;
    for (int i = 0; i < ALines; ++i) {
        FY += FLineAdvance;
        if (previewing())
            preview().newLine(1);
        lineFed(Paper.AutoNewPage, Paper.Lines, 0);
    }
    FEndColumn = 0;
}

void TZELCaPrinter::NewPage(int APages) {
    if (!FIsPrinting)
        return;
    for (int i = 0; i < APages; ++i) {
        if (previewing())
            preview().newPage(1);
        else if (!FPrinter->newPage())
            raiseError(zeltext::CannotStartPage.arg(PrinterName));
        ++FCurrentPage;
        FCurrentLine = 1;
        FY = FTextHeight + LineSpacing;
        FEndColumn = 0;
        fire(OnNewPage);
    }
}

void TZELCaPrinter::releasePrinter() {
    FPainter.reset();
    FPrinter.reset();
    FDocument.reset();
}

void TZELCaPrinter::EndDoc() {
    if (!FIsPrinting)
        return;
    FEndColumn = 0;
    if (previewing()) {
        showPreviewDocument(
            [this](const TextPreviewDocument& document) { printPreviewed(document); });
        return;
    }
    const bool ended = FPainter->end();
    followPrinterState();
    if (!ended)
        raiseError(zeltext::CannotEndDoc.arg(Title, PrinterName));
    platform::Spooler& spooler = platform::spooler();
    const bool queued = spooler.printPdfFile(PrinterName, FDocument->fileName(), Title);
    releasePrinter();
    if (!queued)
        raiseError(zeltext::CannotEndDoc.arg(Title, PrinterName), spooler.lastError());
    fire(OnTerminate);
    closeProgress();
}

void TZELCaPrinter::Abort() {
    if (!FIsPrinting || previewing())
        return;
    // The document is dropped unsent.
    FPainter->end();
    releasePrinter();
    FIsPrinting = false;
    fire(OnAbort);
    closeProgress();
}

// The printer is brought to each block's page and line. Every line end has its own block, but a
// page left empty has none, so the printer may have to skip more than one page. The pieces
// already hold their alignment padding, so they are printed left-aligned.
void TZELCaPrinter::printPreviewed(const TextPreviewDocument& document) {
    const TZELCaFont original = Font;
    BeginDoc();
    if (!IsPrinting())
        return;
    for (const TZELTextBlock& block : document.blocks()) {
        while (block.Page > CurrentPage())
            NewPage(1);
        while (block.Page == CurrentPage() && block.Line > CurrentLine())
            NewLine(1);
        if (block.IsCRLF)
            continue;
        Font = canvasFont(block.Font);
        const QByteArray& stream = document.pages()[size_t(block.Page - 1)].Stream;
        Print(block.Column, windows1252::decode(stream.mid(block.Start, block.Len)), false);
    }
    EndDoc();
    Font = original;
}
