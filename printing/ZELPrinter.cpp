#include "ZELPrinter.h"

#include "NumberMask.h"
#include "ZELPrinterTypeDlg.h"

#include <QLocale>

#include <cmath>

TZELPrinter::TZELPrinter(QObject* AOwner)
    : TZELBasePrinter(AOwner)
    , FCaPrinter(new TZELCaPrinter(this))
    , FDmPrinter(new TZELDmPrinter(this)) {
    // The printers' errors are the facade's.
    const TZELNotifyEvent forwardError = [this](QObject*) {
        if (OnError)
            OnError(this);
    };
    FCaPrinter->OnError = forwardError;
    FDmPrinter->OnError = forwardError;
}

// The document is aborted while the facade is whole: its printers, freed after it as its
// children, would otherwise abort it and report into a half-destroyed facade.
TZELPrinter::~TZELPrinter() {
    abortUnreported();
    FCaPrinter->OnError = nullptr;
    FDmPrinter->OnError = nullptr;
}

TZELBasePrinter& TZELPrinter::chosen() {
    if (PrinterType == ptCanvas)
        return *FCaPrinter;
    return *FDmPrinter;
}

bool TZELPrinter::chosenIsPrinting() {
    return chosen().IsPrinting();
}

void TZELPrinter::chooseType() {
    TfrmZELPrinterTypeDlg dialog;
    dialog.SelectedType = PrinterType == ptCanvas ? 0 : 1;
    dialog.exec();
    PrinterType = dialog.SelectedType == 0 ? ptCanvas : ptDotMatrix;
}

void TZELPrinter::prepareCanvas() {
    TZELCaPrinter& printer = *FCaPrinter;
    printer.LineSpacing = CanvasSets.LineSpacing;
    printer.Orientation = CanvasSets.Orientation;
    printer.Paper.Columns = CanvasSets.Paper.Columns;
    printer.Paper.Lines = CanvasSets.Paper.Lines;
    printer.Paper.MarginLeft = CanvasSets.Paper.MarginLeft;
    printer.Paper.MarginRight = CanvasSets.Paper.MarginRight;
}

// The custom spacing value goes along too, so a custom spacing chosen here is the one printed.
void TZELPrinter::prepareDotMatrix() {
    TZELDmPrinter& printer = *FDmPrinter;
    printer.CharMode = DotMatrixSets.CharMode;
    printer.setLineSpacing(DotMatrixSets.LineSpacing());
    if (DotMatrixSets.LineSpacing() == lsCustom)
        printer.setLineSpacingCustomValue(DotMatrixSets.LineSpacingCustomValue());
    printer.Paper.Columns = DotMatrixSets.Paper.Columns;
    printer.Paper.Lines = DotMatrixSets.Paper.Lines;
    printer.Paper.MarginLeft = DotMatrixSets.Paper.MarginLeft;
    printer.Paper.MarginRight = DotMatrixSets.Paper.MarginRight;
}

void TZELPrinter::BeginDoc() {
    FCurrentLine = 1;
    FCurrentPage = 1;
    if (ShowTypeDialog)
        chooseType();
    if (PrinterType == ptCanvas)
        prepareCanvas();
    else
        prepareDotMatrix();
    TZELBasePrinter& printer = chosen();
    printer.PrinterName = PrinterName;
    printer.ShowDialog = ShowDialog;
    printer.ShowPreview = ShowPreview;
    printer.previewer = previewer;
    printer.ShowProgress = ShowProgress;
    printer.Title = Title;
    if (PrinterType == ptCanvas)
        FCaPrinter->BeginDoc();
    else
        FDmPrinter->BeginDoc();
    // What this document's selection did to the printer's name and dialog (a printer missing
    // for a moment, a cancelled dialog) stays with the printer: the next document starts from
    // the facade's own settings again.
    FIsPrinting = printer.IsPrinting();
    if (!FIsPrinting)
        return;
    fire(OnStart);
    fire(OnNewPage);
}

void TZELPrinter::Print(int AColumn, const QString& AText, bool ALineFeed) {
    if (!chosenIsPrinting())
        return;
    if (PrinterType == ptCanvas) {
        FCaPrinter->Font = CanvasSets.Font;
        FCaPrinter->Print(AColumn, AText, false);
    } else {
        FDmPrinter->Font = DotMatrixSets.Font;
        FDmPrinter->Print(AColumn, AText, false);
    }
    fire(OnPrint);
    if (ALineFeed)
        NewLine(1);
}

void TZELPrinter::PrintCenter(int AColumn, const QString& AText, bool ALineFeed) {
    Print(AColumn / 2 - int(AText.size()) / 2, AText, ALineFeed);
}

void TZELPrinter::NewLine(int ALines) {
    for (int i = 0; i < ALines && chosenIsPrinting(); ++i) {
        chosen().NewLine(1);
        if (PrinterType == ptCanvas)
            lineFed(CanvasSets.Paper.AutoNewPage, CanvasSets.Paper.Lines, 0);
        else
            lineFed(DotMatrixSets.Paper.AutoNewPage, DotMatrixSets.Paper.Lines,
                    DotMatrixSets.Paper.AutoNewPageLines);
    }
}

void TZELPrinter::NewPage(int APages) {
    for (int i = 0; i < APages && chosenIsPrinting(); ++i) {
        chosen().NewPage(1);
        ++FCurrentPage;
        FCurrentLine = 1;
        fire(OnNewPage);
    }
}

void TZELPrinter::EndDoc(bool EjectPage) {
    if (!chosenIsPrinting())
        return;
    if (PrinterType == ptCanvas)
        FCaPrinter->EndDoc();
    else
        FDmPrinter->EndDoc(EjectPage);
    FIsPrinting = chosen().IsPrinting();
    fire(OnTerminate);
}

void TZELPrinter::Abort() {
    if (!chosenIsPrinting())
        return;
    chosen().Abort();
    FIsPrinting = chosen().IsPrinting();
    fire(OnAbort);
}

QString TZELPrinter::FormatMoeda(const QString& AMascara, double AValor) {
    return maskedNumber(AMascara, AValor);
}

QString TZELPrinter::Repete(const QString& Caractere, int nCaracteres) {
    return Caractere.left(255).repeated(qMax(0, nCaracteres));
}
