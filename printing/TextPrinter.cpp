#include "TextPrinter.h"

#include "NumberMask.h"
#include "PrinterTypeDialog.h"

#include <QLocale>

#include <cmath>

TextPrinter::TextPrinter(QObject* owner)
    : TextPrinterBase(owner)
    , m_caPrinter(new CanvasTextPrinter(this))
    , m_dmPrinter(new DotMatrixTextPrinter(this)) {
    // The printers' errors are the facade's.
    const TextPrinterHandler forwardError = [this](QObject*) {
        if (onError)
            onError(this);
    };
    m_caPrinter->onError = forwardError;
    m_dmPrinter->onError = forwardError;
}

// The document is aborted while the facade is whole: its printers, freed after it as its
// children, would otherwise abort it and report into a half-destroyed facade.
TextPrinter::~TextPrinter() {
    abortUnreported();
    m_caPrinter->onError = nullptr;
    m_dmPrinter->onError = nullptr;
}

TextPrinterBase& TextPrinter::chosen() {
    if (printerType == TextPrinterType::Canvas)
        return *m_caPrinter;
    return *m_dmPrinter;
}

bool TextPrinter::chosenIsPrinting() {
    return chosen().isPrinting();
}

void TextPrinter::chooseType() {
    PrinterTypeDialog dialog;
    dialog.selectedType = printerType == TextPrinterType::Canvas ? 0 : 1;
    dialog.exec();
    printerType = dialog.selectedType == 0 ? TextPrinterType::Canvas : TextPrinterType::DotMatrix;
}

void TextPrinter::prepareCanvas() {
    CanvasTextPrinter& printer = *m_caPrinter;
    printer.lineSpacing = canvasSets.lineSpacing;
    printer.orientation = canvasSets.orientation;
    printer.paper.columns = canvasSets.paper.columns;
    printer.paper.lines = canvasSets.paper.lines;
    printer.paper.marginLeft = canvasSets.paper.marginLeft;
    printer.paper.marginRight = canvasSets.paper.marginRight;
}

// The custom spacing value goes along too, so a custom spacing chosen here is the one printed.
void TextPrinter::prepareDotMatrix() {
    DotMatrixTextPrinter& printer = *m_dmPrinter;
    printer.charMode = dotMatrixSets.charMode;
    printer.setLineSpacing(dotMatrixSets.lineSpacing());
    if (dotMatrixSets.lineSpacing() == DotMatrixLineSpacing::Custom)
        printer.setLineSpacingCustomValue(dotMatrixSets.lineSpacingCustomValue());
    printer.paper.columns = dotMatrixSets.paper.columns;
    printer.paper.lines = dotMatrixSets.paper.lines;
    printer.paper.marginLeft = dotMatrixSets.paper.marginLeft;
    printer.paper.marginRight = dotMatrixSets.paper.marginRight;
}

void TextPrinter::beginDoc() {
    m_currentLine = 1;
    m_currentPage = 1;
    if (showTypeDialog)
        chooseType();
    if (printerType == TextPrinterType::Canvas)
        prepareCanvas();
    else
        prepareDotMatrix();
    TextPrinterBase& printer = chosen();
    printer.printerName = printerName;
    printer.showDialog = showDialog;
    printer.showPreview = showPreview;
    printer.previewer = previewer;
    printer.showProgress = showProgress;
    printer.title = title;
    if (printerType == TextPrinterType::Canvas)
        m_caPrinter->beginDoc();
    else
        m_dmPrinter->beginDoc();
    // What this document's selection did to the printer's name and dialog (a printer missing
    // for a moment, a cancelled dialog) stays with the printer: the next document starts from
    // the facade's own settings again.
    m_isPrinting = printer.isPrinting();
    if (!m_isPrinting)
        return;
    fire(onStart);
    fire(onNewPage);
}

void TextPrinter::print(int column, const QString& text, bool lineFeed) {
    if (!chosenIsPrinting())
        return;
    if (printerType == TextPrinterType::Canvas) {
        m_caPrinter->font = canvasSets.font;
        m_caPrinter->print(column, text, false);
    } else {
        m_dmPrinter->font = dotMatrixSets.font;
        m_dmPrinter->print(column, text, false);
    }
    fire(onPrint);
    if (lineFeed)
        newLine(1);
}

void TextPrinter::printCenter(int column, const QString& text, bool lineFeed) {
    print(column / 2 - int(text.size()) / 2, text, lineFeed);
}

void TextPrinter::newLine(int lines) {
    for (int i = 0; i < lines && chosenIsPrinting(); ++i) {
        chosen().newLine(1);
        if (printerType == TextPrinterType::Canvas)
            lineFed(canvasSets.paper.autoNewPage, canvasSets.paper.lines, 0);
        else
            lineFed(dotMatrixSets.paper.autoNewPage, dotMatrixSets.paper.lines,
                    dotMatrixSets.paper.autoNewPageLines);
    }
}

void TextPrinter::newPage(int pages) {
    for (int i = 0; i < pages && chosenIsPrinting(); ++i) {
        chosen().newPage(1);
        ++m_currentPage;
        m_currentLine = 1;
        fire(onNewPage);
    }
}

void TextPrinter::endDoc(bool ejectPage) {
    if (!chosenIsPrinting())
        return;
    if (printerType == TextPrinterType::Canvas)
        m_caPrinter->endDoc();
    else
        m_dmPrinter->endDoc(ejectPage);
    m_isPrinting = chosen().isPrinting();
    fire(onTerminate);
}

void TextPrinter::abort() {
    if (!chosenIsPrinting())
        return;
    chosen().abort();
    m_isPrinting = chosen().isPrinting();
    fire(onAbort);
}

QString TextPrinter::formatCurrency(const QString& mask, double value) {
    return maskedNumber(mask, value);
}

QString TextPrinter::repeated(const QString& character, int count) {
    return character.left(255).repeated(qMax(0, count));
}
