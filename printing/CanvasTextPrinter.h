#pragma once

#include "TextPreviewDocument.h"
#include "TextPrinterBase.h"

#include <QColor>
#include <QFlags>

class QPainter;
class QPdfWriter;
class QTemporaryFile;

enum class CanvasAlignment { Left, Right, Center };
enum class CanvasFontPitch { Default, Variable, Fixed };
enum class PaperOrientation { Portrait, Landscape };

struct CanvasFont {
    CanvasAlignment align = CanvasAlignment::Left;
    QColor color = Qt::black;
    QString name = QStringLiteral("Courier New");
    CanvasFontPitch pitch = CanvasFontPitch::Fixed;
    int size = 10; // points
    PreviewFontStyles style;
};

struct CanvasPaper {
    bool autoNewPage = false;
    int columns = 119;
    int lines = 72;
    int marginLeft = 0;
    int marginRight = 0;
};

// The canvas settings of the facade.
struct CanvasSettings {
    CanvasFont font;
    int lineSpacing = 10; // extra space between lines, printer device units
    CanvasPaper paper;
    PaperOrientation orientation = PaperOrientation::Portrait;
};

// Prints column-positioned text on any installed printer by drawing each piece with a
// fixed-pitch font; a column is as wide as one space of that font.
// The pages are drawn as a PDF document on the queue's default paper and kept until endDoc hands
// it to the spooler, as Qt's own CUPS printing does; so an aborted document never reaches the
// queue. Only the spooler's own bounded calls ask the spooler: Qt's printer would ask it too,
// without a limit, so none is made but for the print dialog.
class CanvasTextPrinter : public TextPrinterBase {
    Q_OBJECT
public:
    explicit CanvasTextPrinter(QObject* owner = nullptr);
    ~CanvasTextPrinter() override;

    CanvasFont font;
    int lineSpacing = 10;
    PaperOrientation orientation = PaperOrientation::Portrait;
    CanvasPaper paper;

    void beginDoc();
    void endDoc();
    void abort() override;
    using TextPrinterBase::print;
    void print(int column, const QString& text, bool lineFeed) override;
    void newLine(int lines) override;
    void newPage(int pages) override;
    // Draws a text at a column of the current line.
    void writeStr(int column, const QString& text);

private:
    void startDocument();
    void applyFont();
    qreal textHeight() const;
    QString alignedText(const QString& text) const;
    void followPrinterState();
    void releasePrinter();
    void printPreviewed(const TextPreviewDocument& document);

    std::unique_ptr<QPdfWriter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<QTemporaryFile> m_document;
    qreal m_x = 0;
    qreal m_y = 0;
    qreal m_textHeight = 0;
    qreal m_lineAdvance = 0;
    int m_endColumn = 0;
};
