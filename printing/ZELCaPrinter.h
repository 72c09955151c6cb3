#pragma once

#include "TextPreviewDocument.h"
#include "ZELBasePrinter.h"

#include <QColor>
#include <QFlags>

class QPainter;
class QPdfWriter;
class QTemporaryFile;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TPrinterOrientation { poPortrait, poLandscape };

struct TZELCaFont {
    TAlignment Align = taLeftJustify;
    QColor Color = Qt::black;
    QString Name = QStringLiteral("Courier New");
    TFontPitch Pitch = fpFixed;
    int Size = 10; // points
    TFontStyles Style;
};

struct TZELCaPaper {
    bool AutoNewPage = false;
    int Columns = 119;
    int Lines = 72;
    int MarginLeft = 0;
    int MarginRight = 0;
};

// The canvas settings of the facade.
struct TZELCaSets {
    TZELCaFont Font;
    int LineSpacing = 10; // extra space between lines, printer device units
    TZELCaPaper Paper;
    TPrinterOrientation Orientation = poPortrait;
};

// Prints column-positioned text on any installed printer by drawing each piece with a
// fixed-pitch font; a column is as wide as one space of that font.
// The pages are drawn as a PDF document on the queue's default paper and kept until EndDoc hands
// it to the spooler, as Qt's own CUPS printing does; so an aborted document never reaches the
// queue. Only the spooler's own bounded calls ask the spooler: Qt's printer would ask it too,
// without a limit, so none is made but for the print dialog.
class TZELCaPrinter : public TZELBasePrinter {
    Q_OBJECT
public:
    explicit TZELCaPrinter(QObject* AOwner = nullptr);
    ~TZELCaPrinter() override;

    TZELCaFont Font;
    int LineSpacing = 10;
    TPrinterOrientation Orientation = poPortrait;
    TZELCaPaper Paper;

    void BeginDoc();
    void EndDoc();
    void Abort() override;
    using TZELBasePrinter::Print;
    void Print(int AColumn, const QString& AText, bool ALineFeed) override;
    void NewLine(int ALines) override;
    void NewPage(int APages) override;
    // Draws a text at a column of the current line.
    void WriteStr(int AColumn, const QString& AText);

private:
    void startDocument();
    void applyFont();
    qreal textHeight() const;
    QString alignedText(const QString& AText) const;
    void followPrinterState();
    void releasePrinter();
    void printPreviewed(const TextPreviewDocument& document);

    std::unique_ptr<QPdfWriter> FPrinter;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<QTemporaryFile> FDocument;
    qreal FX = 0;
    qreal FY = 0;
    qreal FTextHeight = 0;
    qreal FLineAdvance = 0;
    int FEndColumn = 0;
};
