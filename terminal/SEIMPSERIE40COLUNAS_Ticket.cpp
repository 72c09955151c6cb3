// The receipt ticket: the fetched workout on about 40 columns, either through the matrix driver
// straight to a port or through the text printing library to an installed printer. Both print
// the same sections; where their columns differ the matrix's comes first.
#include "SEIMPSERIE40COLUNAS.h"

#include "SEFUNCOES.h"
#include "TerminalApplication.h"
#include "Tprintfast.h"
#include "ZELPrinter.h"

#include <QLabel>
#include <QLineEdit>

// The two back-ends behind the few calls the ticket makes.
class TicketOutput {
public:
    explicit TicketOutput(bool isMatrix)
        : matrix(isMatrix) {}
    virtual ~TicketOutput() = default;
    TicketOutput(const TicketOutput&) = delete;
    TicketOutput& operator=(const TicketOutput&) = delete;

    virtual void text(int column, const QString& text, bool endLine) = 0;
    virtual void rule() = 0;
    virtual void blankLine() = 0;
    virtual void observation(const QString& obs) = 0;
    virtual void end() = 0;
    // Ends the document after a failure; a second failure there changes nothing.
    virtual void endAfterFailure() = 0;

    // The column of the matrix driver or of the library, whichever prints.
    int at(int matrixColumn, int libraryColumn) const {
        return matrix ? matrixColumn : libraryColumn;
    }
    // The left edge of the ticket's text.
    int left() const { return at(0, 1); }

    const bool matrix;
};

namespace {

const QString yes = QStringLiteral("Sim");

// Every ticket that does not print, and why, goes to the error log.
void logTicketFailure(const QString& what) {
    appendErrorLog(TerminalApplication::errorLogPath(), QStringLiteral("ticket ") + what);
}

class MatrixTicket : public TicketOutput {
public:
    explicit MatrixTicket(TPrintFast& printer)
        : TicketOutput(true)
        , m_printer(printer) {}
    void text(int column, const QString& text, bool endLine) override {
        m_printer.ImprString(QString(), text, column, endLine);
    }
    void rule() override { text(0, TPrintFast::Repete(QLatin1Char('-'), 40), true); }
    void blankLine() override { text(0, QString(), true); }
    void observation(const QString& obs) override {
        m_printer.ImprString(QStringLiteral("Obs.:"), obs, 0, true);
    }
    void end() override { m_printer.FimImpr(); }
    void endAfterFailure() override {
        try {
            m_printer.FimImpr();
        } catch (const std::exception&) {
        }
    }

private:
    TPrintFast& m_printer;
};

class LibraryTicket : public TicketOutput {
public:
    explicit LibraryTicket(TZELPrinter& printer)
        : TicketOutput(false)
        , m_printer(printer) {}
    void text(int column, const QString& text, bool endLine) override {
        m_printer.Print(column, text, endLine);
    }
    void rule() override { m_printer.Replicate(1, 47, QLatin1Char('-'), true); }
    void blankLine() override { text(1, QStringLiteral(" "), true); }
    void observation(const QString& obs) override {
        text(1, QStringLiteral("Obs.: ") + obs.left(42), true);
    }
    void end() override { m_printer.EndDoc(true); }
    void endAfterFailure() override {
        try {
            m_printer.EndDoc(true);
        } catch (const std::exception&) {
            m_printer.Abort();
        }
    }

private:
    TZELPrinter& m_printer;
};

// The days of a row, "Dom Seg " and so on, each with its blank.
QString daysText(const DataSet& row) {
    QString days;
    for (const char* day : {"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SAB"}) {
        const QString column = QString::fromLatin1(day);
        if (row.fieldBoolean(column)) {
            days += column.at(0) + column.mid(1).toLower() + QLatin1Char(' ');
        }
    }
    return days;
}

QString rightAligned(QString text, int width) {
    COMPLETA_ESPACOS(text, width);
    return text;
}

// A whole number as the mask "####0" gives it, without the matrix driver's padding.
QString wholeNumber(double value) {
    return TPrintFast::MascaraVlr(QStringLiteral("####0"), value).trimmed();
}

} // namespace

void TFRMIMPSERIE40COLUNAS::createPrinters() {
    PrintFast1 = new TPrintFast(this);
    PrintFast1->setPrinterName(pfEpson9pinos);
    PrintFast1->setQtLines(60);
    PrintFast1->setPageWidth(80);
    PrintFast1->setPageHeader(false);
    ZELPrinter1 = new TZELPrinter(this);
    ZELPrinter1->PrinterType = ptCanvas;
    ZELPrinter1->ShowDialog = false;
    ZELPrinter1->ShowPreview = false;
    ZELPrinter1->ShowProgress = false;
    ZELPrinter1->ShowTypeDialog = false;
    ZELPrinter1->CanvasSets.Font.Name = QStringLiteral("Courier New");
    ZELPrinter1->CanvasSets.Font.Size = 10;
    ZELPrinter1->CanvasSets.Font.Pitch = fpFixed;
    ZELPrinter1->CanvasSets.Paper.AutoNewPage = false;
}

void TFRMIMPSERIE40COLUNAS::IMP_CUPOM() {
    std::unique_ptr<TicketOutput> ticket = startTicket();
    if (ticket) {
        try {
            printTicket(*ticket);
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
        return std::make_unique<LibraryTicket>(*ZELPrinter1);
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

void TFRMIMPSERIE40COLUNAS::printTicket(TicketOutput& out) {
    out.blankLine();
    out.rule();
    out.text(out.left(),
             EDTMATRICULA->text() + QStringLiteral(" - ") + TIRA_ACENTOS(LBLNOME->text()).left(27),
             true);
    out.rule();
    if (queries.QRYAEROBICA.isOpen() && !queries.QRYAEROBICA.eof()) {
        printAerobic(out);
    }
    QueryDataSet* exercises = queries.exerciseQueryOf(EDTTREINO->text());
    if (exercises != nullptr && !exercises->eof()) {
        printStrength(out, *exercises);
    }
    if (EDTTREINO->text() == QStringLiteral("1") && !queries.QRYALONGAMENTO.eof()) {
        printStretching(out);
    }
    out.rule();
    for (int line = 0; line < tables.TBLCONTROLE.fieldInteger(QStringLiteral("ESPACO")); ++line) {
        out.blankLine();
    }
}

void TFRMIMPSERIE40COLUNAS::printAerobic(TicketOutput& out) {
    const bool byCode = tables.TBLCONTROLE.fieldBoolean(QStringLiteral("POR_CODIGO_APARELHO"));
    const QString reduced = setting(QStringLiteral("IMPRESSAOREDUZIDA"));
    out.text(12, QStringLiteral("ATIVIDADE AEROBICA"), true);
    printDays(out, QStringLiteral("Dias: "), queries.QRYAEROBICA);
    out.text(out.left(), QStringLiteral("Aparelho Duracao(min) Velocidade   Nivel"), true);
    out.rule();
    for (; !queries.QRYAEROBICA.eof(); queries.QRYAEROBICA.next()) {
        const QString code = queries.QRYAEROBICA.fieldText(QStringLiteral("CODIGO_EXERCICIO"));
        const QString shortName =
            queries.QRYAEROBICA.fieldText(QStringLiteral("DESCRICAOABREVIADA")).trimmed();
        const QString name =
            TIRA_ACENTOS(queries.QRYAEROBICA.fieldText(QStringLiteral("EXERCICIO")));
        if (out.matrix && !byCode) {
            out.text(0, name, true);
        } else if (out.matrix) {
            reduced != yes ? out.text(3, code, false) : out.text(0, shortName, false);
        } else if (!byCode && reduced == QStringLiteral("Não")) {
            out.text(1, name, true);
        } else {
            reduced == yes ? out.text(1, shortName, false) : out.text(4, code, false);
        }
        const auto figure = [&](const char* column) {
            const double value = queries.QRYAEROBICA.fieldFloat(QString::fromLatin1(column));
            return out.matrix ? TPrintFast::MascaraVlr(QStringLiteral("####0"), value)
                              : rightAligned(wholeNumber(value), 5);
        };
        out.text(16, figure("DURACAO"), false);
        out.text(27, figure("VELOCIDADE"), false);
        out.text(35, figure("NIVEL_DIFICULDADE"), true);
    }
    out.blankLine();
}

void TFRMIMPSERIE40COLUNAS::printDays(TicketOutput& out, const QString& title, const DataSet& row) {
    const QString days = daysText(row);
    if (!days.isEmpty()) {
        out.text(out.left(), title + days, true);
        out.blankLine();
    }
}

void TFRMIMPSERIE40COLUNAS::printStrength(TicketOutput& out, QueryDataSet& exercises) {
    const bool reduced = setting(QStringLiteral("IMPRESSAOREDUZIDA")) == yes;
    const QString letter = QString(QChar(u'A' + EDTTREINO->text().toInt() - 1));
    out.text(16, QStringLiteral("MUSCULACAO"), true);
    printDays(out, QStringLiteral("Treino: %1 Dias: ").arg(letter), exercises);
    out.text(out.left(),
             reduced ? QStringLiteral("Aparelho         Serie  Repet.  Peso Reg")
                     : QStringLiteral("Aparelho Serie Repeticoes Peso Reg Inter"),
             true);
    out.rule();
    for (; !exercises.eof(); exercises.next()) {
        reduced ? printReducedRow(out, exercises, letter) : printFullRow(out, exercises, letter);
        if (!exercises.isNull(QStringLiteral("OBS"))) {
            out.observation(TIRA_ACENTOS(exercises.fieldText(QStringLiteral("OBS"))));
        }
    }
    if (!out.matrix || letter == QStringLiteral("A") || letter == QStringLiteral("B")) {
        out.blankLine();
    }
}

void TFRMIMPSERIE40COLUNAS::printFullRow(TicketOutput& out, const DataSet& row,
                                         const QString& letter) {
    if (tables.TBLCONTROLE.fieldBoolean(QStringLiteral("POR_CODIGO_APARELHO"))) {
        out.text(out.at(3, 4), row.fieldText(QStringLiteral("CODIGO_EXERCICIO")), false);
    } else {
        out.text(out.left(), TIRA_ACENTOS(row.fieldText(QStringLiteral("EXERCICIO"))), true);
    }
    out.text(out.at(7, 8), rightAligned(row.fieldText(QStringLiteral("SERIES")), 5), false);
    out.text(out.at(15, 16), rightAligned(row.fieldText(QStringLiteral("REPETICOES")), 8), false);
    out.text(out.at(25, 26), rightAligned(row.fieldText(QStringLiteral("PESO")), 4), false);
    out.text(out.at(28, 31), rightAligned(row.fieldText(QStringLiteral("REGULAGEM")), 3), false);
    const double rest = row.fieldFloat(QStringLiteral("INTERVALO"));
    if (out.matrix) {
        const QString mask =
            letter == QStringLiteral("A") ? QStringLiteral("####0") : QStringLiteral("#####0");
        out.text(31, TPrintFast::MascaraVlr(mask, rest), true);
    } else {
        out.text(35, rightAligned(wholeNumber(rest), 5), true);
    }
}

void TFRMIMPSERIE40COLUNAS::printReducedRow(TicketOutput& out, const DataSet& row,
                                            const QString& letter) {
    const int nameWidth = out.at(15, 14);
    out.text(out.left(),
             TIRA_ACENTOS(row.fieldText(QStringLiteral("DESCRICAOABREVIADA")))
                 .leftJustified(nameWidth, QLatin1Char(' '), true),
             false);
    out.text(out.at(14, 16), rightAligned(row.fieldText(QStringLiteral("SERIES")), 5), false);
    const QString repetitions = rightAligned(row.fieldText(QStringLiteral("REPETICOES")), 8);
    if (!out.matrix) {
        out.text(22, repetitions.right(8), false);
    } else if (letter == QStringLiteral("A")) {
        out.text(21, repetitions.right(8), false);
    } else {
        out.text(19, repetitions.left(10), false);
    }
    out.text(out.at(26, 32), rightAligned(row.fieldText(QStringLiteral("PESO")), 4), false);
    out.text(out.at(28, 37), rightAligned(row.fieldText(QStringLiteral("REGULAGEM")), 3), true);
}

void TFRMIMPSERIE40COLUNAS::printStretching(TicketOutput& out) {
    out.text(out.at(15, 16), QStringLiteral("ALONGAMENTO"), true);
    if (queries.QRYALONGAMENTO.isNull(QStringLiteral("Obs"))) {
        return;
    }
    // Line breaks inside the memo count as characters, as they always have.
    const QString memo = TIRA_ACENTOS(queries.QRYALONGAMENTO.fieldText(QStringLiteral("Obs")));
    qsizetype start = 0;
    for (; memo.size() - start >= 40; start += 40) {
        out.text(out.left(), memo.mid(start, 40), true);
    }
    out.text(out.left(), memo.mid(start), true);
}
