#include "TicketPrinters.h"

#include "Database.h"
#include "MatrixPrintDriver.h"
#include "Messages.h"
#include "ParallelPrinterReady.h"
#include "ScopedDeadline.h"
#include "TerminalApplication.h"
#include "TextPrinter.h"

#include <stdexcept>

namespace {

void logTicketFailure(const QString& what) {
    appendErrorLog(TerminalApplication::errorLogPath(), QStringLiteral("ticket ") + what);
}

} // namespace

TicketPrinters::TicketPrinters(QObject* owner)
    : matrixDriver(new MatrixPrintDriver(owner))
    , textPrinter(new TextPrinter(owner)) {
    prepareMatrixPrinter(*matrixDriver);
    prepareLibraryPrinter(*textPrinter);
}

void TicketPrinters::configure(const DataSet& settings) {
    const QString port = settings.fieldText(QStringLiteral("PORTA_IMP"));
    m_library = port == QStringLiteral("USBX");
    matrixDriver->setPrinterPort(port);
    textPrinter->printerName = settings.fieldText(QStringLiteral("Caminho_Impressora"));
    m_portAddress = settings.fieldText(QStringLiteral("ENDERECO_PORTA"));
    m_settings = &settings;
}

void TicketPrinters::print(const Workout& workout) {
    const std::optional<TicketSettings> layout = layoutSettings();
    if (!layout) {
        return;
    }
    const platform::PrintDeadline deadline(timeLimit);
    std::unique_ptr<TicketOutput> ticket = start();
    if (!ticket) {
        return;
    }
    try {
        printTicket(workout, *layout, *ticket);
        ticket->end();
    } catch (const std::exception& error) {
        // What was printed stays printed; the member is told and the kiosk carries on.
        const QString when =
            platform::PrintDeadline::over()
                ? QStringLiteral("stopped at its limit of %1 ms: ").arg(timeLimit.count())
                : QStringLiteral("stopped: ");
        logTicketFailure(when + QString::fromLocal8Bit(error.what()));
        showMessage(MessageKind::Information, msg::DadoIncorreto, QString());
        ticket->endAfterFailure();
    }
}

std::optional<TicketSettings> TicketPrinters::layoutSettings() const {
    try {
        const TicketSettings layout{m_settings->fieldBoolean(QStringLiteral("POR_CODIGO_APARELHO")),
                                    m_settings->fieldText(QStringLiteral("IMPRESSAOREDUZIDA")),
                                    m_settings->fieldInteger(QStringLiteral("ESPACO"))};
        // More blank lines than a page holds is a typing error, and would hold the window for as
        // long as the printer takes to feed them.
        if (layout.ESPACO > MatrixPageLines) {
            throw std::invalid_argument(QStringLiteral("ESPACO %1 is more blank lines than a page "
                                                       "holds (%2)")
                                            .arg(layout.ESPACO)
                                            .arg(MatrixPageLines)
                                            .toStdString());
        }
        return layout;
    } catch (const std::exception& error) {
        logTicketFailure(QStringLiteral("not started: ") + QString::fromLocal8Bit(error.what()));
        showMessage(MessageKind::Information, msg::DadoIncorreto, QString());
        return std::nullopt;
    }
}

std::unique_ptr<TicketOutput> TicketPrinters::start() {
    if (m_library) {
        if (textPrinter->printerName.isEmpty()) {
            logTicketFailure(QStringLiteral("not started: no printer name"));
            showMessage(MessageKind::Information, msg::ImpressoraNaoPronta, QString());
            return nullptr;
        }
        try {
            textPrinter->beginDoc();
        } catch (const TextPrinterError& error) {
            logTicketFailure(QStringLiteral("not started: ") +
                             QString::fromLocal8Bit(error.what()));
            showMessage(MessageKind::Information, msg::DadoIncorreto, QString());
            return nullptr;
        }
        // A printer the spooler did not know, and whose dialog was cancelled: no document.
        if (!textPrinter->isPrinting()) {
            return nullptr;
        }
        return std::make_unique<LibraryTicket<TextPrinter>>(*textPrinter);
    }
    if (!parallelPrinterReady(m_portAddress)) {
        logTicketFailure(
            QStringLiteral("not started: the printer at port address '%1' is not ready")
                .arg(m_portAddress));
        showMessage(MessageKind::Information, msg::DadoIncorreto,
                    QStringLiteral("Endereço de Porta da Impressora Recibo"));
        return nullptr;
    }
    if (!matrixDriver->beginJob()) {
        logTicketFailure(QStringLiteral("not started: the port '%1' cannot be opened")
                             .arg(matrixDriver->printerPort()));
        return nullptr;
    }
    return std::make_unique<MatrixTicket>(*matrixDriver);
}
