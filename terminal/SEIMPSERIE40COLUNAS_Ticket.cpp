// The receipt ticket: the kiosk chooses the printer and begins its document; the layout prints
// the fetched workout on it.
#include "SEIMPSERIE40COLUNAS.h"

#include "SEFUNCOES.h"
#include "TerminalApplication.h"
#include "TicketLayout.h"
#include "Tprintfast.h"
#include "ZELPrinter.h"

#include <QLabel>
#include <QLineEdit>

namespace {

// Every ticket that does not print, and why, goes to the error log.
void logTicketFailure(const QString& what) {
    appendErrorLog(TerminalApplication::errorLogPath(), QStringLiteral("ticket ") + what);
}

} // namespace

void TFRMIMPSERIE40COLUNAS::createPrinters() {
    PrintFast1 = new TPrintFast(this);
    prepareMatrixPrinter(*PrintFast1);
    ZELPrinter1 = new TZELPrinter(this);
    prepareLibraryPrinter(*ZELPrinter1);
}

void TFRMIMPSERIE40COLUNAS::IMP_CUPOM() {
    std::unique_ptr<TicketOutput> ticket = startTicket();
    if (ticket) {
        try {
            const TicketWorkout workout = readTicketWorkout(
                m_sheet.MATRICULA, m_sheet.NOME_ALUNO, m_sheet.LETRA_TREINO, queries.QRYAEROBICA,
                *queries.exerciseQueryOf(m_sheet.TREINO), queries.QRYALONGAMENTO);
            printTicket(workout,
                        {tables.TBLCONTROLE.fieldBoolean(QStringLiteral("POR_CODIGO_APARELHO")),
                         setting(QStringLiteral("IMPRESSAOREDUZIDA")),
                         tables.TBLCONTROLE.fieldInteger(QStringLiteral("ESPACO"))},
                        *ticket);
            ticket->end();
        } catch (const std::exception& error) {
            // What was printed stays printed; the member is told and the kiosk carries on.
            logTicketFailure(QStringLiteral("stopped: ") + QString::fromLocal8Bit(error.what()));
            MENSAGEM(QStringLiteral("!"), msg::DadoIncorreto, QString());
            ticket->endAfterFailure();
        }
    }
    EDTMATRICULA->setEnabled(true);
    EDTMATRICULA->setFocus();
}

std::unique_ptr<TicketOutput> TFRMIMPSERIE40COLUNAS::startTicket() {
    if (setting(QStringLiteral("PORTA_IMP")) == QStringLiteral("USBX")) {
        if (ZELPrinter1->PrinterName.isEmpty()) {
            logTicketFailure(QStringLiteral("not started: no printer name"));
            MENSAGEM(QStringLiteral("!"), msg::ImpressoraNaoPronta, QString());
            return nullptr;
        }
        try {
            ZELPrinter1->BeginDoc();
        } catch (const EZELPrinter& error) {
            logTicketFailure(QStringLiteral("not started: ") +
                             QString::fromLocal8Bit(error.what()));
            MENSAGEM(QStringLiteral("!"), msg::DadoIncorreto, QString());
            return nullptr;
        }
        // A printer the spooler did not know, and whose dialog was cancelled: no document.
        if (!ZELPrinter1->IsPrinting()) {
            return nullptr;
        }
        return std::make_unique<LibraryTicket<TZELPrinter>>(*ZELPrinter1);
    }
    const QString address = setting(QStringLiteral("ENDERECO_PORTA"));
    if (!IMPRESSORA_PRONTA(address)) {
        logTicketFailure(
            QStringLiteral("not started: the printer at port address '%1' is not ready")
                .arg(address));
        MENSAGEM(QStringLiteral("!"), msg::DadoIncorreto,
                 QStringLiteral("Endereço de Porta da Impressora Recibo"));
        return nullptr;
    }
    if (!PrintFast1->IniciaImpr()) {
        logTicketFailure(QStringLiteral("not started: the port '%1' cannot be opened")
                             .arg(PrintFast1->PrinterPort()));
        return nullptr;
    }
    return std::make_unique<MatrixTicket>(*PrintFast1);
}
