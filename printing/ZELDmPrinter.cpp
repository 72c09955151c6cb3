#include "ZELDmPrinter.h"

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

double sizeFactor(TZELDmFontSize size, TZELDmFontPitch pitch) {
    const bool twelve = pitch == fp12cpp;
    switch (size) {
    case fsCondensed:
        return twelve ? 1.66 : 1.7;
    case fsLargeCondensed:
        return twelve ? 0.83 : 0.85;
    case fsLarge:
        return 0.5;
    case fsDefault:
        break;
    }
    return 1.0;
}

TZELPreviewFont previewFont(const TZELDmFont& font) {
    TZELPreviewFont described;
    described.Name = QStringLiteral("Courier New");
    switch (font.Size) {
    case fsCondensed:
        described.Size = 8;
        break;
    case fsDefault:
        described.Size = 10;
        break;
    case fsLargeCondensed:
        described.Size = 12;
        break;
    case fsLarge:
        described.Size = 20;
        break;
    }
    if (font.Style.testFlag(fsDmBold))
        described.Style |= fsBold;
    if (font.Style.testFlag(fsDmItalic))
        described.Style |= fsItalic;
    if (font.Style.testFlag(fsDmUnderline))
        described.Style |= fsUnderline;
    return described;
}

} // namespace

void TZELDmSpacing::setLineSpacing(TZELDmLineSpacing value) {
    FLineSpacing = value;
    if (value == ls6lpp)
        FCustomValue = 36;
    else if (value == ls8lpp)
        FCustomValue = 27;
}

void TZELDmSpacing::setLineSpacingCustomValue(quint8 value) {
    FCustomValue = value;
    FLineSpacing = value == 27 ? ls8lpp : value == 36 ? ls6lpp : lsCustom;
}

TZELDmPrinter::TZELDmPrinter(QObject* AOwner)
    : TZELBasePrinter(AOwner) {}

// A printer destroyed while printing cancels its job.
TZELDmPrinter::~TZELDmPrinter() {
    abortUnreported();
}

void TZELDmPrinter::BeginDoc() {
    startPosition();
    // A document starts at the start of a line, also after one that was aborted mid-line.
    forgetLine();
    if (ShowPreview) {
        startPreview();
    } else {
        if (!selectPrinter())
            return;
        openJob();
    }
    FIsPrinting = true;
    fire(OnStart);
    fire(OnNewPage);
    openProgress();
    WriteStr(paperCodes() + lineSpacingCode(), QString());
}

void TZELDmPrinter::openJob() {
    if (PrinterName.isEmpty())
        raiseError(zeltext::NoPrinterInstalled);
    platform::Spooler& spooler = platform::spooler();
    FJob = spooler.openRawPrinter(PrinterName);
    if (!FJob)
        raiseError(zeltext::CannotOpen.arg(PrinterName), spooler.lastError());
    if (!FJob->startDocument(Title))
        raiseError(zeltext::CannotStartDoc.arg(Title, PrinterName), FJob->lastError());
    if (!FJob->startPage())
        raiseError(zeltext::CannotStartPage.arg(PrinterName), FJob->lastError());
}

QByteArray TZELDmPrinter::paperCodes() const {
    QByteArray codes;
    if (Paper.Lines > 0) {
        codes += escape('C', Paper.Lines);
        codes += Paper.AutoNewPage ? escape('N', Paper.AutoNewPageLines) : escape('O');
    }
    if (Paper.MarginLeft > 0)
        codes += escape('l', Paper.MarginLeft);
    if (Paper.MarginRight > 0)
        codes += escape('Q', Paper.MarginRight);
    return codes;
}

QByteArray TZELDmPrinter::lineSpacingCode() const {
    switch (LineSpacing()) {
    case ls6lpp:
        return escape('2');
    case ls8lpp:
        return escape('0');
    case lsCustom:
        break;
    }
    return escape('3', LineSpacingCustomValue());
}

// Every style is switched explicitly on or off, so a piece never inherits the last one's.
QByteArray TZELDmPrinter::fontCodes() const {
    QByteArray codes = Font.Pitch == fp10cpp ? escape('P') : escape('M');
    if (Font.FontType == ftNLQ)
        codes += escape('x', '1') + escape('k', Font.NLQFont == ntRoman ? '0' : '1');
    else
        codes += escape('x', '0');
    switch (Font.Size) {
    case fsCondensed:
        codes += '\x0F' + escape('W', '0');
        break;
    case fsDefault:
        codes += '\x12' + escape('W', '0');
        break;
    case fsLargeCondensed:
        codes += '\x0F' + escape('W', '1');
        break;
    case fsLarge:
        codes += '\x12' + escape('W', '1');
        break;
    }
    const TZELDmFontStyles style = Font.Style;
    codes += escape(style.testFlag(fsDmBold) ? 'E' : 'F');
    codes += escape(style.testFlag(fsDmItalic) ? '4' : '5');
    codes += escape(style.testFlag(fsDmDoubleStrike) ? 'G' : 'H');
    if (style.testFlag(fsDmSuperScript))
        codes += escape('S', '0');
    else if (style.testFlag(fsDmSubScript))
        codes += escape('S', '1');
    else
        codes += escape('T');
    codes += escape('-', style.testFlag(fsDmUnderline) ? '1' : '0');
    return codes;
}

int TZELDmPrinter::usableWidth() const {
    const int columns = Font.Pitch == fp12cpp ? qRound(Paper.Columns * 1.2) : Paper.Columns;
    const int width = columns - Paper.MarginLeft - Paper.MarginRight;
    return qRound(width * sizeFactor(Font.Size, Font.Pitch));
}

QByteArray TZELDmPrinter::alignedText(const QString& AText) const {
    const QString text = CharMode == cmClear ? withoutAccents(AText) : AText;
    QByteArray bytes = windows1252::encode(text);
    if (Paper.Columns <= 0 || Font.Align == faLeft)
        return bytes;
    const int room = usableWidth() - int(bytes.size());
    const int padding = Font.Align == faCenter ? room / 2 : room;
    return QByteArray(qMax(0, padding), ' ') + bytes;
}

void TZELDmPrinter::Print(int AColumn, const QString& AText, bool ALineFeed) {
    if (!FIsPrinting)
        return;
    const int fill = qMax(0, AColumn - FEndColumn);
    if (FEndColumn == 0) {
        FPendingCodes = lineSpacingCode() + fontCodes();
        if (FPendingCodes == FLastCodes)
            FPendingCodes.clear();
    }
    WriteStr(FPendingCodes + QByteArray(fill, ' '), QString(fill, QLatin1Char(' ')));
    FPendingCodes = lineSpacingCode() + fontCodes();

    const QByteArray text = alignedText(AText);
    const QByteArray codes = FPendingCodes == FLastCodes ? QByteArray() : FPendingCodes;
    WriteStr(codes + text, windows1252::decode(text));

    FEndColumn = AColumn + int(text.size());
    FLastCodes = FPendingCodes;
    fire(OnPrint);
    if (ALineFeed)
        NewLine(1);
}

void TZELDmPrinter::NewLine(int ALines) {
    if (!FIsPrinting)
        return;
    for (int i = 0; i < ALines; ++i) {
        WriteStr(QByteArrayLiteral("\r\n"), QString());
        if (previewing())
            preview().newLine(1);
        lineFed(Paper.AutoNewPage, Paper.Lines, Paper.AutoNewPageLines);
    }
    FEndColumn = 0;
}

void TZELDmPrinter::NewPage(int APages) {
    if (!FIsPrinting)
        return;
    for (int i = 0; i < APages; ++i) {
        WriteStr(QByteArrayLiteral("\f"), QString());
        if (previewing())
            preview().newPage(1);
        ++FCurrentPage;
        FCurrentLine = 1;
        FEndColumn = 0;
        fire(OnNewPage);
    }
}

void TZELDmPrinter::forgetLine() {
    FPendingCodes.clear();
    FLastCodes.clear();
    FEndColumn = 0;
}

void TZELDmPrinter::forgetJob() {
    FJob.reset();
    FIsPrinting = false;
}

void TZELDmPrinter::EndDoc(bool EjectPage) {
    if (!FIsPrinting)
        return;
    if (EjectPage)
        WriteStr(QByteArrayLiteral("\f"), QString());
    WriteStr(escape('@'), QString());
    forgetLine();
    if (previewing()) {
        showPreviewDocument(
            [this](const TextPreviewDocument& document) { printPreviewed(document); });
        return;
    }
    if (!FJob->endPage())
        raiseError(zeltext::CannotEndPage.arg(PrinterName), FJob->lastError());
    if (!FJob->endDocument())
        raiseError(zeltext::CannotEndDoc.arg(Title, PrinterName), FJob->lastError());
    if (!FJob->close())
        raiseError(zeltext::CannotClose.arg(PrinterName), FJob->lastError());
    forgetJob();
    fire(OnTerminate);
    closeProgress();
}

void TZELDmPrinter::Abort() {
    if (!FIsPrinting || previewing())
        return;
    if (!FJob->abort())
        raiseError(zeltext::CannotAbort.arg(PrinterName), FJob->lastError());
    if (!FJob->close())
        raiseError(zeltext::CannotClose.arg(PrinterName), FJob->lastError());
    forgetJob();
    fire(OnAbort);
    closeProgress();
}

void TZELDmPrinter::printPreviewed(const TextPreviewDocument& document) {
    BeginDoc();
    if (!IsPrinting())
        return;
    for (const TZELPreviewPage& page : document.pages())
        WriteStr(page.DmStream, QString());
    EndDoc(false);
}

void TZELDmPrinter::WriteStr(const QByteArray& AText, const QString& APreviewText) {
    if (!FIsPrinting)
        raiseError(zeltext::NotPrinting.arg(PrinterName));
    if (AText.isEmpty() && APreviewText.isEmpty())
        return;
    if (previewing()) {
        preview().write(APreviewText, AText, previewFont(Font));
        return;
    }
    if (FJob->write(AText) < AText.size())
        raiseError(zeltext::CannotSend.arg(PrinterName), FJob->lastError());
}
