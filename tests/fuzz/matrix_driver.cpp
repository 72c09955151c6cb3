// The matrix printer driver printing text from outside (names, notes, memos of the back office)
// into a file as a port: the model, page header, page length and width from the first bytes,
// then up to 64 pieces of text, codes, ejects and job lines. No piece is lost on the way to the
// port, and the output stays within a bound of what was printed: no page header is printed for
// ever, however short the page.
#include "FuzzBackends.h"
#include "FuzzSupport.h"
#include "MatrixPrintDriver.h"
#include "Windows1252.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int maxCommands = 64;
constexpr int maxTextLength = 63;
// A page header: at most 13 pieces on 8 lines, each at most a page's width in, with short texts.
constexpr qsizetype headerBound = 13 * (128 + 40) + 8 * (128 + 2);

QString portFile() {
    static const QTemporaryDir folder;
    return folder.filePath(QStringLiteral("ticket.prn"));
}

MatrixPrintDriver& driver() {
    static MatrixPrintDriver driver;
    return driver;
}

QString textOf(FuzzInput& input, bool utf8) {
    const QByteArray bytes = input.bytes(input.byte() % (maxTextLength + 1));
    return utf8 ? QString::fromUtf8(bytes) : windows1252::decode(bytes);
}

QString effectOf(FuzzInput& input) {
    const MatrixControlCodes& codes = driver().controlCodes();
    const QString effects[] = {QString(),         codes.condensed, codes.condensedOff,
                               codes.bold,        codes.boldOff,   codes.expanded,
                               codes.expandedOff, codes.eject,     codes.boldByOverprint};
    return effects[input.byte() % std::size(effects)];
}

void setUp(FuzzInput& input) {
    MatrixPrintDriver& d = driver();
    d.setPrinterPort(portFile());
    d.setPrinterModel(PrinterModel(input.byte() % (int(PrinterModel::Bematech) + 1)));
    d.setPrintsPageHeader(input.byte() % 2 == 1);
    d.setLinesPerPage(static_cast<std::int8_t>(input.byte()));
    d.setPageWidth(static_cast<std::int8_t>(input.byte()));
    PageHeader header;
    header.title1 = QStringLiteral("Ficha de Exercícios");
    header.title2 = QStringLiteral("Treino A");
    header.left2 = QStringLiteral("Esq");
    header.right2 = QStringLiteral("Dir");
    header.right3 = QStringLiteral("R3");
    header.colHeader1 = QStringLiteral("Ex,0;Série,20");
    header.colHeader2 = QStringLiteral("Fim,5;");
    d.setHeaderData(header);
}

// Prints the commands; what each may add to the output, and the texts that must reach it.
qsizetype printCommands(FuzzInput& input, QList<QByteArray>& printed) {
    MatrixPrintDriver& d = driver();
    qsizetype bound = headerBound;
    for (int command = 0; command < maxCommands && input.left() > 0; ++command) {
        const std::uint8_t kind = input.byte();
        const bool utf8 = kind & 0x10;
        if (kind % 4 == 0) {
            const QString effect = effectOf(input);
            const int column = static_cast<std::int8_t>(input.byte());
            const QString text = textOf(input, utf8);
            const bool endLine = kind & 0x20;
            d.print(effect, text, column, endLine);
            printed << windows1252::encode(MatrixPrintDriver::toPrinterCharset(text));
            bound += 2 * effect.size() + std::max(column, 0) + text.size() +
                     d.controlCodes().carriageReturn.size() + 2 + (endLine ? headerBound : 0);
        } else if (kind % 4 == 1) {
            const QString effect = effectOf(input);
            d.sendCodes(effect);
            bound += effect.size();
        } else if (kind % 4 == 2) {
            d.eject();
            bound += d.controlCodes().eject.size() + headerBound;
        } else {
            const QStringList lines = textOf(input, utf8).split(QLatin1Char('\n'));
            d.printJobLines(lines);
            for (const QString& line : lines) {
                printed << windows1252::encode(line);
                bound += line.size() + 2 + headerBound;
            }
        }
    }
    return bound;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    installQuietBackends();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    setUp(input);
    check(driver().beginJob(), "the port file did not open");
    QList<QByteArray> printed;
    const qsizetype bound = printCommands(input, printed);
    driver().endJob();

    QFile port(portFile());
    check(port.open(QIODevice::ReadOnly), "no port file");
    const QByteArray output = port.readAll();
    check(output.size() <= bound, "more output than what was printed");
    for (const QByteArray& piece : printed) {
        check(output.contains(piece), "a piece of text never reached the port");
    }
    return 0;
}
