#pragma once

#include "ZELBasePrinter.h"

#include <QByteArray>
#include <QFlags>

namespace platform {
class RawPrintJob;
}

enum TZELDmCharMode { cmClear, cmNormal };
enum TZELDmLineSpacing { ls6lpp, ls8lpp, lsCustom };
enum TZELDmFontAlign { faCenter, faLeft, faRight };
enum TZELDmFontType { ftDraft, ftNLQ };
enum TZELDmNLQFont { ntRoman, ntSansSerif };
enum TZELDmFontPitch { fp10cpp, fp12cpp };
enum TZELDmFontSize { fsCondensed, fsDefault, fsLargeCondensed, fsLarge };
enum TZELDmFontStyle {
    fsDmBold = 0x01,
    fsDmDoubleStrike = 0x02,
    fsDmItalic = 0x04,
    fsDmSuperScript = 0x08,
    fsDmSubScript = 0x10,
    fsDmUnderline = 0x20
};
Q_DECLARE_FLAGS(TZELDmFontStyles, TZELDmFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TZELDmFontStyles)

struct TZELDmFont {
    TZELDmFontAlign Align = faLeft;
    TZELDmFontType FontType = ftDraft;
    TZELDmNLQFont NLQFont = ntSansSerif;
    TZELDmFontPitch Pitch = fp10cpp;
    TZELDmFontSize Size = fsDefault;
    TZELDmFontStyles Style;
};

struct TZELDmPaper {
    bool AutoNewPage = false;
    int AutoNewPageLines = 3; // lines left free at the bottom of a page
    int Columns = 80;         // at 10 characters per inch
    int Lines = 66;
    int MarginLeft = 0;
    int MarginRight = 0;
};

// Line spacing with its custom value in 1/216 inch, kept consistent: the two fixed spacings
// have the values 36 and 27, and those values select them.
class TZELDmSpacing {
public:
    TZELDmLineSpacing LineSpacing() const { return FLineSpacing; }
    void setLineSpacing(TZELDmLineSpacing value);
    quint8 LineSpacingCustomValue() const { return FCustomValue; }
    void setLineSpacingCustomValue(quint8 value);

private:
    TZELDmLineSpacing FLineSpacing = ls6lpp;
    quint8 FCustomValue = 36;
};

// The dot-matrix settings of the facade.
class TZELDmSets : public TZELDmSpacing {
public:
    TZELDmCharMode CharMode = cmClear;
    TZELDmFont Font;
    TZELDmPaper Paper;
};

// Prints column-positioned text on a dot-matrix printer as raw ESC/P bytes, sent through the
// spooler as a raw job.
class TZELDmPrinter : public TZELBasePrinter, public TZELDmSpacing {
    Q_OBJECT
public:
    explicit TZELDmPrinter(QObject* AOwner = nullptr);
    ~TZELDmPrinter() override;

    TZELDmCharMode CharMode = cmClear;
    TZELDmFont Font;
    TZELDmPaper Paper;

    void BeginDoc();
    void EndDoc(bool EjectPage);
    void Abort() override;
    using TZELBasePrinter::Print;
    void Print(int AColumn, const QString& AText, bool ALineFeed) override;
    void NewLine(int ALines) override;
    void NewPage(int APages) override;
    // Sends the bytes unchanged; the preview shows APreviewText for them.
    void WriteStr(const QByteArray& AText, const QString& APreviewText);

private:
    void openJob();
    QByteArray paperCodes() const;
    QByteArray lineSpacingCode() const;
    QByteArray fontCodes() const;
    int usableWidth() const;
    QByteArray alignedText(const QString& AText) const;
    // No codes sent and no column used on the current line.
    void forgetLine();
    void forgetJob();
    void printPreviewed(const TextPreviewDocument& document);

    std::unique_ptr<platform::RawPrintJob> FJob;
    QByteArray FPendingCodes;
    QByteArray FLastCodes;
    int FEndColumn = 0;
};
