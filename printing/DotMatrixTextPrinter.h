#pragma once

#include "TextPrinterBase.h"

#include <QByteArray>
#include <QFlags>

namespace platform {
class RawPrintJob;
}

enum class DotMatrixCharMode { Plain, Normal };
enum class DotMatrixLineSpacing { SixPerInch, EightPerInch, Custom };
enum class DotMatrixFontAlign { Center, Left, Right };
enum class DotMatrixFontType { Draft, Nlq };
enum class DotMatrixNlqFont { Roman, SansSerif };
enum class DotMatrixFontPitch { Cpi10, Cpi12 };
enum class DotMatrixFontSize { Condensed, Default, LargeCondensed, Large };
enum class DotMatrixFontStyle {
    Bold = 0x01,
    DoubleStrike = 0x02,
    Italic = 0x04,
    SuperScript = 0x08,
    SubScript = 0x10,
    Underline = 0x20
};
Q_DECLARE_FLAGS(DotMatrixFontStyles, DotMatrixFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(DotMatrixFontStyles)

struct DotMatrixFont {
    DotMatrixFontAlign align = DotMatrixFontAlign::Left;
    DotMatrixFontType fontType = DotMatrixFontType::Draft;
    DotMatrixNlqFont NLQFont = DotMatrixNlqFont::SansSerif;
    DotMatrixFontPitch pitch = DotMatrixFontPitch::Cpi10;
    DotMatrixFontSize size = DotMatrixFontSize::Default;
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
    DotMatrixLineSpacing m_lineSpacing = DotMatrixLineSpacing::SixPerInch;
    quint8 m_customValue = 36;
};

// The dot-matrix settings of the facade.
class DotMatrixSettings : public DotMatrixSpacing {
public:
    DotMatrixCharMode charMode = DotMatrixCharMode::Plain;
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

    DotMatrixCharMode charMode = DotMatrixCharMode::Plain;
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
