#pragma once

#include "TextPrinterBase.h"

#include <QByteArray>
#include <QFlags>

namespace platform {
class RawPrintJob;
}

enum DotMatrixCharMode { cmClear, cmNormal };
enum DotMatrixLineSpacing { ls6lpp, ls8lpp, lsCustom };
enum DotMatrixFontAlign { faCenter, faLeft, faRight };
enum DotMatrixFontType { ftDraft, ftNLQ };
enum DotMatrixNlqFont { ntRoman, ntSansSerif };
enum DotMatrixFontPitch { fp10cpp, fp12cpp };
enum DotMatrixFontSize { fsCondensed, fsDefault, fsLargeCondensed, fsLarge };
enum DotMatrixFontStyle {
    fsDmBold = 0x01,
    fsDmDoubleStrike = 0x02,
    fsDmItalic = 0x04,
    fsDmSuperScript = 0x08,
    fsDmSubScript = 0x10,
    fsDmUnderline = 0x20
};
Q_DECLARE_FLAGS(DotMatrixFontStyles, DotMatrixFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(DotMatrixFontStyles)

struct DotMatrixFont {
    DotMatrixFontAlign align = faLeft;
    DotMatrixFontType fontType = ftDraft;
    DotMatrixNlqFont NLQFont = ntSansSerif;
    DotMatrixFontPitch pitch = fp10cpp;
    DotMatrixFontSize size = fsDefault;
    DotMatrixFontStyles style;
};

struct DotMatrixPaper {
    bool autoNewPage = false;
    int autoNewPageLines = 3; // lines left free at the bottom of a page
    int columns = 80;         // at 10 characters per inch
    int lines = 66;
    int marginLeft = 0;
    int marginRight = 0;
};

// Line spacing with its custom value in 1/216 inch, kept consistent: the two fixed spacings
// have the values 36 and 27, and those values select them.
class DotMatrixSpacing {
public:
    DotMatrixLineSpacing lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(DotMatrixLineSpacing value);
    quint8 lineSpacingCustomValue() const { return m_customValue; }
    void setLineSpacingCustomValue(quint8 value);

private:
    DotMatrixLineSpacing m_lineSpacing = ls6lpp;
    quint8 m_customValue = 36;
};

// The dot-matrix settings of the facade.
class DotMatrixSettings : public DotMatrixSpacing {
public:
    DotMatrixCharMode charMode = cmClear;
    DotMatrixFont font;
    DotMatrixPaper paper;
};

// Prints column-positioned text on a dot-matrix printer as raw ESC/P bytes, sent through the
// spooler as a raw job.
class DotMatrixTextPrinter : public TextPrinterBase, public DotMatrixSpacing {
    Q_OBJECT
public:
    explicit DotMatrixTextPrinter(QObject* owner = nullptr);
    ~DotMatrixTextPrinter() override;

    DotMatrixCharMode charMode = cmClear;
    DotMatrixFont font;
    DotMatrixPaper paper;

    void beginDoc();
    void endDoc(bool ejectPage);
    void abort() override;
    using TextPrinterBase::print;
    void print(int column, const QString& text, bool lineFeed) override;
    void newLine(int lines) override;
    void newPage(int pages) override;
    // Sends the bytes unchanged; the preview shows previewText for them.
    void writeStr(const QByteArray& text, const QString& previewText);

private:
    void openJob();
    QByteArray paperCodes() const;
    QByteArray lineSpacingCode() const;
    QByteArray fontCodes() const;
    int usableWidth() const;
    QByteArray alignedText(const QString& text) const;
    // No codes sent and no column used on the current line.
    void forgetLine();
    void forgetJob();
    void printPreviewed(const TextPreviewDocument& document);

    std::unique_ptr<platform::RawPrintJob> m_job;
    QByteArray m_pendingCodes;
    QByteArray m_lastCodes;
    int m_endColumn = 0;
};
