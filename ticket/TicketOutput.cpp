#include "TicketOutput.h"

#include "MatrixPrintDriver.h"
#include "TextPrinter.h"

void prepareMatrixPrinter(MatrixPrintDriver& printer) {
    printer.setPrinterModel(PrinterModel::Epson9Pin);
    printer.setLinesPerPage(MatrixPageLines);
    printer.setPageWidth(80);
    printer.setPrintsPageHeader(false);
}

void prepareLibraryPrinter(TextPrinter& printer) {
    printer.printerType = TextPrinterType::Canvas;
    printer.showDialog = false;
    printer.showPreview = false;
    printer.showProgress = false;
    printer.showTypeDialog = false;
    printer.canvasSets.font.name = QStringLiteral("Courier New");
    printer.canvasSets.font.size = 10;
    printer.canvasSets.font.pitch = CanvasFontPitch::Fixed;
    printer.canvasSets.paper.autoNewPage = false;
}

void MatrixTicket::text(int column, const QString& text, bool endLine) {
    m_printer.print(QString(), text, column, endLine);
}

void MatrixTicket::rule() {
    text(0, MatrixPrintDriver::repeated(QLatin1Char('-'), 40), true);
}

void MatrixTicket::blankLine() {
    text(0, QString(), true);
}

void MatrixTicket::observation(const QString& obs) {
    m_printer.print(QStringLiteral("Obs.:"), obs, 0, true);
}

void MatrixTicket::end() {
    m_printer.endJob();
}

void MatrixTicket::endAfterFailure() {
    try {
        m_printer.endJob();
    } catch (const std::exception&) {
    }
}
