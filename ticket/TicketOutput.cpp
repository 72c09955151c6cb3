#include "TicketOutput.h"

#include "Tprintfast.h"
#include "ZELPrinter.h"

void prepareMatrixPrinter(TPrintFast& printer) {
    printer.setPrinterName(pfEpson9pinos);
    printer.setQtLines(MatrixPageLines);
    printer.setPageWidth(80);
    printer.setPageHeader(false);
}

void prepareLibraryPrinter(TZELPrinter& printer) {
    printer.PrinterType = ptCanvas;
    printer.ShowDialog = false;
    printer.ShowPreview = false;
    printer.ShowProgress = false;
    printer.ShowTypeDialog = false;
    printer.CanvasSets.Font.Name = QStringLiteral("Courier New");
    printer.CanvasSets.Font.Size = 10;
    printer.CanvasSets.Font.Pitch = fpFixed;
    printer.CanvasSets.Paper.AutoNewPage = false;
}

void MatrixTicket::text(int column, const QString& text, bool endLine) {
    m_printer.ImprString(QString(), text, column, endLine);
}

void MatrixTicket::rule() {
    text(0, TPrintFast::Repete(QLatin1Char('-'), 40), true);
}

void MatrixTicket::blankLine() {
    text(0, QString(), true);
}

void MatrixTicket::observation(const QString& obs) {
    m_printer.ImprString(QStringLiteral("Obs.:"), obs, 0, true);
}

void MatrixTicket::end() {
    m_printer.FimImpr();
}

void MatrixTicket::endAfterFailure() {
    try {
        m_printer.FimImpr();
    } catch (const std::exception&) {
    }
}
