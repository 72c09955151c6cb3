#include "DotMatrixTextPrinter.h"

#include "PlainLetters.h"
#include "Spooler.h"
#include "TextPreviewDocument.h"
#include "Windows1252.h"

namespace {

constexpr char ESC = 0x1B;

QByteArray escape(char command) {
    const char code[] = {ESC, command};
    return QByteArray(code, sizeof code);
}

QByteArray escape(char command, int n) {
    const char code[] = {ESC, command, char(quint8(n))};
    return QByteArray(code, sizeof code);
}

QString withoutAccents(const QString& text) {
    static const QString accented =
        QStringLiteral("áéíóúÁÉÍÓÚàèìòùÀÈÌÒÙâêîôûÂÊÎÔÛäëïöüÄËÏÖÜãõÃÕçÇ");
    static const QString plain = QStringLiteral("aeiouAEIOUaeiouAEIOUaeiouAEIOUaeiouAEIOUaoAOcC");
    return replaceLetters(text, accented, plain);
}

double sizeFactor(DotMatrixFontSize size, DotMatrixFontPitch pitch) {
    const bool twelve = pitch == DotMatrixFontPitch::Cpi12;
    switch (size) {
    case DotMatrixFontSize::Condensed:
        return twelve ? 1.66 : 1.7;
    case DotMatrixFontSize::LargeCondensed:
        return twelve ? 0.83 : 0.85;
    case DotMatrixFontSize::Large:
        return 0.5;
    case DotMatrixFontSize::Default:
        break;
    }
    return 1.0;
}

PreviewFont previewFont(const DotMatrixFont& font) {
    PreviewFont described;
    described.name = QStringLiteral("Courier New");
    switch (font.size) {
    case DotMatrixFontSize::Condensed:
        described.size = 8;
        break;
    case DotMatrixFontSize::Default:
        described.size = 10;
        break;
    case DotMatrixFontSize::LargeCondensed:
        described.size = 12;
        break;
    case DotMatrixFontSize::Large:
        described.size = 20;
        break;
    }
    if (font.style.testFlag(DotMatrixFontStyle::Bold))
        described.style |= PreviewFontStyle::Bold;
    if (font.style.testFlag(DotMatrixFontStyle::Italic))
        described.style |= PreviewFontStyle::Italic;
    if (font.style.testFlag(DotMatrixFontStyle::Underline))
        described.style |= PreviewFontStyle::Underline;
    return described;
}

} // namespace

void DotMatrixSpacing::setLineSpacing(DotMatrixLineSpacing value) {
    m_lineSpacing = value;
    if (value == DotMatrixLineSpacing::SixPerInch)
        m_customValue = 36;
    else if (value == DotMatrixLineSpacing::EightPerInch)
        m_customValue = 27;
}

void DotMatrixSpacing::setLineSpacingCustomValue(quint8 value) {
    m_customValue = value;
    m_lineSpacing = value == 27   ? DotMatrixLineSpacing::EightPerInch
                    : value == 36 ? DotMatrixLineSpacing::SixPerInch
                                  : DotMatrixLineSpacing::Custom;
}

DotMatrixTextPrinter::DotMatrixTextPrinter(QObject* owner)
    : TextPrinterBase(owner) {}

// A printer destroyed while printing cancels its job.
DotMatrixTextPrinter::~DotMatrixTextPrinter() {
    abortUnreported();
}

void DotMatrixTextPrinter::beginDoc() {
    startPosition();
    // A document starts at the start of a line, also after one that was aborted mid-line.
    forgetLine();
    if (showPreview) {
        startPreview();
    } else {
        if (!selectPrinter())
            return;
        openJob();
    }
    m_isPrinting = true;
    fire(onStart);
    fire(onNewPage);
    openProgress();
    writeStr(paperCodes() + lineSpacingCode(), QString());
}

void DotMatrixTextPrinter::openJob() {
    if (printerName.isEmpty())
        raiseError(textprinter::NoPrinterInstalled);
    platform::Spooler& spooler = platform::spooler();
    m_job = spooler.openRawPrinter(printerName);
    if (!m_job)
        raiseError(textprinter::CannotOpen.arg(printerName), spooler.lastError());
    if (!m_job->startDocument(title))
        raiseError(textprinter::CannotStartDoc.arg(title, printerName), m_job->lastError());
    if (!m_job->startPage())
        raiseError(textprinter::CannotStartPage.arg(printerName), m_job->lastError());
}

QByteArray DotMatrixTextPrinter::paperCodes() const {
    QByteArray codes;
    if (paper.lines > 0) {
        codes += escape('C', paper.lines);
        codes += paper.autoNewPage ? escape('N', paper.autoNewPageLines) : escape('O');
    }
    if (paper.marginLeft > 0)
        codes += escape('l', paper.marginLeft);
    if (paper.marginRight > 0)
        codes += escape('Q', paper.marginRight);
    return codes;
}

QByteArray DotMatrixTextPrinter::lineSpacingCode() const {
    switch (lineSpacing()) {
    case DotMatrixLineSpacing::SixPerInch:
        return escape('2');
    case DotMatrixLineSpacing::EightPerInch:
        return escape('0');
    case DotMatrixLineSpacing::Custom:
        break;
    }
    return escape('3', lineSpacingCustomValue());
}

// Every style is switched explicitly on or off, so a piece never inherits the last one's.
QByteArray DotMatrixTextPrinter::fontCodes() const {
    QByteArray codes = font.pitch == DotMatrixFontPitch::Cpi10 ? escape('P') : escape('M');
    if (font.fontType == DotMatrixFontType::Nlq)
        codes +=
            escape('x', '1') + escape('k', font.NLQFont == DotMatrixNlqFont::Roman ? '0' : '1');
    else
        codes += escape('x', '0');
    switch (font.size) {
    case DotMatrixFontSize::Condensed:
        codes += '\x0F' + escape('W', '0');
        break;
    case DotMatrixFontSize::Default:
        codes += '\x12' + escape('W', '0');
        break;
    case DotMatrixFontSize::LargeCondensed:
        codes += '\x0F' + escape('W', '1');
        break;
    case DotMatrixFontSize::Large:
        codes += '\x12' + escape('W', '1');
        break;
    }
    const DotMatrixFontStyles style = font.style;
    codes += escape(style.testFlag(DotMatrixFontStyle::Bold) ? 'E' : 'F');
    codes += escape(style.testFlag(DotMatrixFontStyle::Italic) ? '4' : '5');
    codes += escape(style.testFlag(DotMatrixFontStyle::DoubleStrike) ? 'G' : 'H');
    if (style.testFlag(DotMatrixFontStyle::SuperScript))
        codes += escape('S', '0');
    else if (style.testFlag(DotMatrixFontStyle::SubScript))
        codes += escape('S', '1');
    else
        codes += escape('T');
    codes += escape('-', style.testFlag(DotMatrixFontStyle::Underline) ? '1' : '0');
    return codes;
}

int DotMatrixTextPrinter::usableWidth() const {
    const int columns =
        font.pitch == DotMatrixFontPitch::Cpi12 ? qRound(paper.columns * 1.2) : paper.columns;
    const int width = columns - paper.marginLeft - paper.marginRight;
    return qRound(width * sizeFactor(font.size, font.pitch));
}

QByteArray DotMatrixTextPrinter::alignedText(const QString& text) const {
    const QString plain = charMode == DotMatrixCharMode::Plain ? withoutAccents(text) : text;
    QByteArray bytes = windows1252::encode(plain);
    if (paper.columns <= 0 || font.align == DotMatrixFontAlign::Left)
        return bytes;
    const int room = usableWidth() - int(bytes.size());
    const int padding = font.align == DotMatrixFontAlign::Center ? room / 2 : room;
    return QByteArray(qMax(0, padding), ' ') + bytes;
}

void DotMatrixTextPrinter::print(int column, const QString& text, bool lineFeed) {
    if (!m_isPrinting)
        return;
    const int fill = qMax(0, column - m_endColumn);
    if (m_endColumn == 0) {
        m_pendingCodes = lineSpacingCode() + fontCodes();
        if (m_pendingCodes == m_lastCodes)
            m_pendingCodes.clear();
    }
    writeStr(m_pendingCodes + QByteArray(fill, ' '), QString(fill, QLatin1Char(' ')));
    m_pendingCodes = lineSpacingCode() + fontCodes();

    const QByteArray aligned = alignedText(text);
    const QByteArray codes = m_pendingCodes == m_lastCodes ? QByteArray() : m_pendingCodes;
    writeStr(codes + aligned, windows1252::decode(aligned));

    m_endColumn = column + int(aligned.size());
    m_lastCodes = m_pendingCodes;
    fire(onPrint);
    if (lineFeed)
        newLine(1);
}

void DotMatrixTextPrinter::newLine(int lines) {
    if (!m_isPrinting)
        return;
    for (int i = 0; i < lines; ++i) {
        writeStr(QByteArrayLiteral("\r\n"), QString());
        if (previewing())
            preview().newLine(1);
        lineFed(paper.autoNewPage, paper.lines, paper.autoNewPageLines);
    }
    m_endColumn = 0;
}

void DotMatrixTextPrinter::newPage(int pages) {
    if (!m_isPrinting)
        return;
    for (int i = 0; i < pages; ++i) {
        writeStr(QByteArrayLiteral("\f"), QString());
        if (previewing())
            preview().newPage(1);
        ++m_currentPage;
        m_currentLine = 1;
        m_endColumn = 0;
        fire(onNewPage);
    }
}

void DotMatrixTextPrinter::forgetLine() {
    m_pendingCodes.clear();
    m_lastCodes.clear();
    m_endColumn = 0;
}

void DotMatrixTextPrinter::forgetJob() {
    m_job.reset();
    m_isPrinting = false;
}

void DotMatrixTextPrinter::endDoc(bool ejectPage) {
    if (!m_isPrinting)
        return;
    if (ejectPage)
        writeStr(QByteArrayLiteral("\f"), QString());
    writeStr(escape('@'), QString());
    forgetLine();
    if (previewing()) {
        showPreviewDocument(
            [this](const TextPreviewDocument& document) { printPreviewed(document); });
        return;
    }
    if (!m_job->endPage())
        raiseError(textprinter::CannotEndPage.arg(printerName), m_job->lastError());
    if (!m_job->endDocument())
        raiseError(textprinter::CannotEndDoc.arg(title, printerName), m_job->lastError());
    if (!m_job->close())
        raiseError(textprinter::CannotClose.arg(printerName), m_job->lastError());
    forgetJob();
    fire(onTerminate);
    closeProgress();
}

void DotMatrixTextPrinter::abort() {
    if (!m_isPrinting || previewing())
        return;
    if (!m_job->abort())
        raiseError(textprinter::CannotAbort.arg(printerName), m_job->lastError());
    if (!m_job->close())
        raiseError(textprinter::CannotClose.arg(printerName), m_job->lastError());
    forgetJob();
    fire(onAbort);
    closeProgress();
}

void DotMatrixTextPrinter::printPreviewed(const TextPreviewDocument& document) {
    beginDoc();
    if (!isPrinting())
        return;
    for (const PreviewPage& page : document.pages())
        writeStr(page.dmStream, QString());
    endDoc(false);
}

void DotMatrixTextPrinter::writeStr(const QByteArray& text, const QString& previewText) {
    if (!m_isPrinting)
        raiseError(textprinter::NotPrinting.arg(printerName));
    if (text.isEmpty() && previewText.isEmpty())
        return;
    if (previewing()) {
        preview().write(previewText, text, previewFont(font));
        return;
    }
    if (m_job->write(text) < text.size())
        raiseError(textprinter::CannotSend.arg(printerName), m_job->lastError());
}
