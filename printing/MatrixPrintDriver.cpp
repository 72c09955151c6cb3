#include "MatrixPrintDriver.h"

#include "Clock.h"
#include "DeviceNames.h"
#include "MessageBox.h"
#include "NumberMask.h"
#include "Spooler.h"
#include "Windows1252.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

using namespace std::literals;

namespace {

// ---- The job in progress, one per program ---------------------------------------------------

struct Job {
    platform::PrinterPort output;
    QString portName;
    // The spooler queue the job goes to when the current printer has no local port.
    QString queue;
    QString previewFileName;
    QString previewLine;
    int column = 0;
    int lineCounter = 0;
    int pageNumber = 0;
    bool freshPage = true;
};

Job& job() {
    static Job current;
    return current;
}

void writeText(const QString& text) {
    job().output.write(windows1252::encode(text));
}

void writeAndFlush(const QString& text) {
    writeText(text);
    job().output.flush();
}

// Names longer than this cannot be opened on the system the driver was made for.
constexpr qsizetype maxTargetName = 259;

// ---- Control codes ------------------------------------------------------------------------

// The columns of the code table: models that share every code share a column.
enum CodeColumn { Ibm, Emilia, Deskjet, Rima, Epson9, EpsonInk, Imp40, Bema, ColumnCount };

CodeColumn columnOf(PrinterModel model) {
    switch (model) {
    case PrinterModel::IbmStandard:
        return Ibm;
    case PrinterModel::EmiliaPs:
        return Emilia;
    case PrinterModel::Deskjet500:
    case PrinterModel::Deskjet600:
        return Deskjet;
    case PrinterModel::Rima:
        return Rima;
    case PrinterModel::Epson9Pin:
        return Epson9;
    case PrinterModel::EpsonStylusC2:
    case PrinterModel::CanonBjc4000:
    case PrinterModel::Epson24Pin:
        return EpsonInk;
    case PrinterModel::Printer40Columns:
        return Imp40;
    case PrinterModel::Bematech:
        return Bema;
    }
    return Epson9;
}

// nullopt: the model leaves the entry as an earlier job of the driver set it.
using Code = std::optional<std::string_view>;
constexpr std::nullopt_t kept = std::nullopt;

using Codes = MatrixControlCodes;

struct CodeRow {
    QString Codes::*entry;
    std::array<Code, ColumnCount> codes;
};

// clang-format off
const std::array<CodeRow, 15> codeTable = {{
    //                          IBM                Emilia             Deskjet 500/600                           Rima               Epson 9 pins       Stylus/Canon/Epson 24  40 columns         Bema
    {&Codes::condensed,         {"\x0f"sv,          "\x0f"sv,          "\x1b\x28\x73\x31\x36\x2e\x36\x37\x48"sv, "\x0f"sv,          "\x0f"sv,          "\x0f"sv,              "\x1b\x50"sv,      "\x1b\x50"sv}},
    {&Codes::condensedOff,      {"\x12"sv,          "\x12"sv,          "\x1b\x28\x73\x31\x30\x48"sv,             "\x12"sv,          "\x12"sv,          "\x12"sv,              "\x1b\x50"sv,      "\x1b\x50"sv}},
    {&Codes::superCondensed,    {"\x1e\x35"sv,      "\x1e\x35"sv,      "\x1b\x28\x73\x31\x36\x2e\x36\x37\x48"sv, "\x1b\x5b\x05"sv,  "\x1b\x4d\x0f"sv,  "\x1b\x4d\x0f"sv,      "\x1b\x4d\x0f"sv,  "\x1b\x4d\x0f"sv}},
    {&Codes::superCondensedOff, {"\x1e\x30"sv,      "\x1e\x30"sv,      "\x1b\x28\x73\x31\x30\x48"sv,             "\x1b\x5b\x00"sv,  "\x1b\x50"sv,      "\x1b\x50"sv,          "\x1b\x50"sv,      "\x1b\x50"sv}},
    {&Codes::elite,             {"\x1e\x32"sv,      "\x1e\x32"sv,      "\x1b\x28\x73\x31\x32\x48"sv,             "\x1b\x5b\x02"sv,  "\x1b\x4d"sv,      "\x1b\x4d"sv,          "\x1b\x4d"sv,      "\x1b\x4d"sv}},
    {&Codes::eliteOff,          {"\x1e\x30"sv,      "\x1e\x30"sv,      "\x1b\x28\x73\x31\x30\x48"sv,             "\x1b\x5b\x01"sv,  "\x1b\x50"sv,      "\x1b\x50"sv,          "\x1b\x50"sv,      "\x1b\x50"sv}},
    {&Codes::bold,              {"\x1b\x45"sv,      "\x1b\x67"sv,      "\x1b\x28\x73\x33\x42"sv,                 "\x1b\x45"sv,      "\x1b\x45"sv,      "\x1b\x45"sv,          "\x1b\x45"sv,      "\x1b\x45"sv}},
    {&Codes::boldOff,           {"\x1b\x46"sv,      "\x1b\x68"sv,      "\x1b\x28\x73\x2d\x33\x42"sv,             "\x1b\x46"sv,      ""sv,              "\x1b\x46"sv,          "\x1b\x46"sv,      "\x1b\x46"sv}},
    {&Codes::carriageReturn,    {kept,             kept,             kept,                                     kept,             "\x0d"sv,          kept,                 kept,             kept}},
    {&Codes::expanded,          {"\x1b\x57\x01"sv,  "\x1b\x57\x01"sv,  "\x1b\x28\x73\x33\x42"sv,                 "\x1b\x57\x01"sv,  "\x1b\x57\x01"sv,  "\x1b\x57\x01"sv,      "\x1b\x57\x01"sv,  "\x1b\x57\x01"sv}},
    {&Codes::expandedOff,       {"\x1b\x57\x00"sv,  "\x1b\x57\x00"sv,  "\x1b\x28\x73\x2d\x33\x42"sv,             "\x1b\x57\x00"sv,  "\x1b\x57\x00"sv,  "\x1b\x57\x00"sv,      "\x1b\x57\x00"sv,  "\x1b\x57\x00"sv}},
    {&Codes::lineSpacing8,      {"\x1b\x30"sv,      "\x1b\x30"sv,      "\x1b\x28\x73\x31\x50"sv,                 "\x1b\x30"sv,      "\x1b\x30"sv,      "\x1b\x30"sv,          "\x1b\x30"sv,      "\x1b\x30"sv}},
    {&Codes::lineSpacing6,      {"\x1b\x32"sv,      "\x1b\x32"sv,      "\x1b\x28\x73\x30\x50"sv,                 "\x1b\x32"sv,      "\x1b\x32"sv,      "\x1b\x32"sv,          "\x1b\x32"sv,      "\x1b\x32"sv}},
    {&Codes::eject,             {"\x0c"sv,          "\x0c"sv,          "\x0c"sv,                                  "\x0c"sv,          "\x0c"sv,          "\x0c"sv,              "\x0c"sv,          "\x1b\x32"sv}},
    {&Codes::pageLength,        {"\x1b\x43"sv,      "\x1b\x43"sv,      "\x1b\x43"sv,                              "\x1b\x43"sv,      "\x1b\x43"sv,      "\x1b\x43"sv,          "\x1b\x43"sv,      "\x1b\x32"sv}},
}};
// clang-format on

// ---- Accents --------------------------------------------------------------------------------

// The printers' code page 850 positions, except Á Â É Ê Ó as plain letters, ã Ã õ on the
// positions of ä Ä ö and º as the degree sign.
struct AccentRow {
    char16_t letter;
    unsigned char byte;
};
constexpr std::array<AccentRow, 39> accentRows = {{
    {u'á', 0xA0}, {u'Á', 0x41}, {u'ã', 0x84}, {u'Ã', 0x8E}, {u'â', 0x83}, {u'Â', 0x41},
    {u'ä', 0x84}, {u'Ä', 0x8E}, {u'à', 0x85}, {u'À', 0xB7}, {u'é', 0x82}, {u'É', 0x45},
    {u'ê', 0x88}, {u'Ê', 0x45}, {u'ë', 0x89}, {u'Ë', 0xD3}, {u'í', 0xA1}, {u'Í', 0xD6},
    {u'î', 0x8C}, {u'Î', 0xD7}, {u'ï', 0x8B}, {u'Ï', 0xD8}, {u'ó', 0xA2}, {u'Ó', 0x4F},
    {u'õ', 0x94}, {u'Õ', 0xE5}, {u'ô', 0x93}, {u'Ô', 0xE2}, {u'ö', 0x94}, {u'Ö', 0x99},
    {u'ú', 0xA3}, {u'Ú', 0xE9}, {u'û', 0x96}, {u'Û', 0xEA}, {u'ü', 0x81}, {u'Ü', 0x9A},
    {u'ç', 0x87}, {u'Ç', 0x80}, {u'º', 0xF8},
}};

// ---- Dates and numbers -------------------------------------------------------------------

QString shortDateText(const QDate& date) {
    return QLocale().toString(date, QLocale::ShortFormat);
}

// The locale's long time format without the time zone ("HH:mm:ss" in Brazil).
QString timeText(const QTime& time) {
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale().toString(time, format.trimmed());
}

// "PF" and the digits of day, month, hour, minute and second as the locale writes them.
QString previewFileName(const QDateTime& moment) {
    const QString date = shortDateText(moment.date());
    const QString time = timeText(moment.time());
    QString name = QStringLiteral("PF") + date.mid(0, 2) + date.mid(3, 2) + time.mid(0, 2) +
                   time.mid(3, 2) + time.mid(6, 2);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name;
}

} // namespace

// ---- MatrixPrintDriver
// -----------------------------------------------------------------------------

MatrixPrintDriver::MatrixPrintDriver(QObject* owner)
    : QObject(owner) {}

MatrixPrintDriver::~MatrixPrintDriver() = default;

bool MatrixPrintDriver::beginJob() {
    Job& state = job();
    state.portName = m_printerPort;
    state.queue = m_printerPort == m_queuePort ? m_queuePort : QString();
    if (state.portName.isEmpty()) {
        useCurrentPrinterPort();
    }
    QString target = state.portName;
    m_previewLines.reset();
    if (m_preview) {
        m_previewLines.emplace();
        state.previewFileName = previewFileName(platform::now());
        target = state.previewFileName;
    }
    if (target.size() > maxTargetName) {
        throw PortIoError(ENAMETOOLONG, "printer open");
    }
    const bool opened = !m_preview && !state.queue.isEmpty()
                            ? state.output.openQueue(state.queue, state.queue)
                            : state.output.openPath(platform::resolveDeviceName(target));
    if (!opened) {
        platform::showMessage({QApplication::applicationDisplayName(),
                               QStringLiteral("Impressora sendo utilizada ou não Pronta."),
                               platform::MessageIcon::Warning, platform::MessageButtons::Ok});
        return false;
    }
    state.previewLine.clear();
    state.column = 0;
    state.pageNumber = m_headerData.firstPage;
    state.lineCounter = 0;
    state.freshPage = true;
    loadControlCodes();
    return true;
}

void MatrixPrintDriver::print(const QString& effect, const QString& text, int column,
                              bool endLine) {
    printPiece(effect, text, column, endLine, true);
}

void MatrixPrintDriver::printPiece(const QString& effect, const QString& text, int column,
                                   bool endLine, bool convert) {
    Job& state = job();
    const bool overstrike = effect == m_codes.boldByOverprint;
    if (overstrike && column == 22) {
        column = 15;
    }
    const QString printed = convert ? toPrinterCharset(text) : text;
    if (m_printsPageHeader && state.lineCounter == 0) {
        printPageHeader();
    }
    const QString fill(std::max(0, column - state.column), QLatin1Char(' '));
    const QString piece = (overstrike ? QString() : effect) + fill + printed;
    state.previewLine += fill + text;
    state.column = column + int(text.size());
    if (!endLine) {
        writeAndFlush(piece);
        return;
    }
    if (overstrike) {
        writeAndFlush(piece);
        writeAndFlush(m_codes.carriageReturn);
    }
    writeText(piece + QStringLiteral("\r\n"));
    ++state.lineCounter;
    if (m_previewLines) {
        m_previewLines->append(state.previewLine);
    }
    state.previewLine.clear();
    state.column = 0;
    if (m_printsPageHeader) {
        printPageHeader();
    }
}

void MatrixPrintDriver::sendCodes(const QString& effect) {
    writeAndFlush(effect);
}

void MatrixPrintDriver::eject() {
    writeAndFlush(m_codes.eject);
    job().lineCounter = 0;
    job().freshPage = true;
}

int MatrixPrintDriver::centred(const QString& text) const {
    return m_pageWidth / 2 - int(text.size()) / 2;
}

void MatrixPrintDriver::printSides(const QString& left, const QString& right) {
    print(QString(), left, 0, false);
    print(QString(), right, m_pageWidth - int(right.size()), true);
}

// "caption,column;caption,column": every item but the last stays on the line; a text that ends
// in ";" leaves the line open.
void MatrixPrintDriver::printColumnCaptions(const QString& captions) {
    const QStringList items = captions.split(QLatin1Char(';'));
    for (qsizetype index = 0; index < items.size(); ++index) {
        const QString& item = items.at(index);
        const bool lastItem = index == items.size() - 1;
        if (lastItem && item.isEmpty()) {
            break;
        }
        const qsizetype comma = item.indexOf(QLatin1Char(','));
        const QString number = item.mid(comma + 1);
        bool isNumber = false;
        const int column = number.toInt(&isNumber, 10);
        if (!isNumber) {
            throw std::invalid_argument("'" + number.toStdString() +
                                        "' is not a valid integer value");
        }
        print(QString(), comma < 0 ? QString() : item.left(comma), column, lastItem);
    }
}

void MatrixPrintDriver::printPageHeader() {
    Job& state = job();
    // The header's own line ends come back here; with a linesPerPage smaller than the header they
    // would start a new page for ever.
    if (m_printingHeader || (state.lineCounter != 0 && state.lineCounter <= m_linesPerPage)) {
        return;
    }
    if (state.lineCounter > m_linesPerPage || (state.lineCounter == 0 && !state.freshPage)) {
        eject();
        ++state.pageNumber;
    }
    m_printingHeader = true;
    const auto headerPrinted = qScopeGuard([this] { m_printingHeader = false; });

    const PageHeader& header = m_headerData;
    const QDateTime moment = platform::now();
    state.lineCounter = 1;
    print(QString(), shortDateText(moment.date()), 0, false);
    print(QString(), timeText(moment.time()), 11, false);
    print(QString(), header.title1, centred(header.title1), false);
    print(QString(), QStringLiteral("Pagina:"), m_pageWidth - 12, false);
    print(QString(), QStringLiteral("%1").arg(state.pageNumber, 4, 10, QLatin1Char('0')),
          m_pageWidth - 4, true);

    print(QString(), header.left2, 0, false);
    print(QString(), header.title2, centred(header.title2), false);
    print(QString(), header.right2, m_pageWidth - int(header.right2.size()), true);
    ++state.lineCounter;
    if (!header.left3.isEmpty() || !header.right3.isEmpty()) {
        printSides(header.left3, header.right3);
        ++state.lineCounter;
    }
    if (!header.left4.isEmpty() || !header.right4.isEmpty()) {
        printSides(header.left4, header.right4);
        ++state.lineCounter;
    }
    print(QString(), QStringLiteral(" "), 0, true);
    for (const QString* captions : {&header.colHeader1, &header.colHeader2, &header.colHeader3}) {
        if (!captions->isEmpty()) {
            printColumnCaptions(*captions);
            ++state.lineCounter;
        }
    }
    print(QString(), repeated(QLatin1Char('-'), m_pageWidth), 0, true);
    ++state.lineCounter;
    state.freshPage = false;
}

void MatrixPrintDriver::endJob() {
    job().output.close();
    if (!m_previewLines) {
        return;
    }
    // A reprint from the preview starts a job of its own, so everything is taken now.
    const MatrixPreviewJob previewed{*std::exchange(m_previewLines, std::nullopt),
                                     job().previewFileName, job().portName, job().queue};
    emit previewReady(previewed);
    QFile::remove(previewed.jobFile);
}

void MatrixPrintDriver::setPrinterQueue(const QString& queue) {
    m_printerPort = queue;
    m_queuePort = queue;
}

void MatrixPrintDriver::printJobLines(const QStringList& lines) {
    for (qsizetype row = 0; row < lines.size(); ++row) {
        printPiece(QString(), lines.at(row), 0, row + 1 < lines.size(), false);
    }
}

void MatrixPrintDriver::loadControlCodes() {
    const CodeColumn column = columnOf(m_printerModel);
    for (const CodeRow& row : codeTable) {
        if (const Code& code = row.codes[column]) {
            m_codes.*row.entry = QString::fromLatin1(code->data(), qsizetype(code->size()));
        }
    }
}

void MatrixPrintDriver::useCurrentPrinterPort() {
    const QString printer = platform::currentPrinterName();
    const QString port = matrixprint::portOfDevice(platform::spooler().deviceUri(printer), printer);
    job().portName = port;
    // A printer without a local port is reached through its queue, not a file of its name.
    job().queue = port == printer ? printer : QString();
}

QString MatrixPrintDriver::formatMasked(const QString& mask, double value) {
    return maskedNumber(mask, value);
}

QString MatrixPrintDriver::repeated(QChar character, int count) {
    return count > 0 ? QString(count, character) : QString();
}

QString MatrixPrintDriver::toPrinterCharset(const QString& text) {
    QString result = text;
    for (QChar& character : result) {
        for (const AccentRow& row : accentRows) {
            if (character.unicode() == row.letter) {
                character = QChar(windows1252::characterOf(row.byte));
                break;
            }
        }
    }
    return result;
}

// ---- Helpers of the module -------------------------------------------------------------------

namespace matrixprint {

QString portOfDevice(const QString& deviceUri, const QString& queueName) {
    const QUrl uri(deviceUri);
    const QString scheme = uri.scheme();
    const bool localPort = scheme == QLatin1String("parallel") ||
                           scheme == QLatin1String("serial") || scheme == QLatin1String("file");
    return localPort && !uri.path().isEmpty() ? uri.path() : queueName;
}

} // namespace matrixprint
