#pragma once

#include <QByteArray>
#include <QColor>
#include <QFlags>
#include <QString>

#include <vector>

enum class PreviewFontStyle { Bold = 0x01, Italic = 0x02, Underline = 0x04, StrikeOut = 0x08 };
Q_DECLARE_FLAGS(PreviewFontStyles, PreviewFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(PreviewFontStyles)

struct PreviewFont {
    QColor color = Qt::black;
    QString name = QStringLiteral("Courier New");
    int size = 10;
    PreviewFontStyles style;
};

// One page of the previewed document in three forms. Stream holds Windows-1252 text with one 0A per
// line end, so a byte offset is a character position of the page box; dmStream the raw bytes a
// dot-matrix printer receives; saveStream the text written by "save", in the same code page, with
// 0D 0A line ends.
struct PreviewPage {
    QByteArray stream;
    QByteArray dmStream;
    QByteArray saveStream;
};

// A printed piece, or a line end, in print order.
struct PreviewTextBlock {
    bool isLineEnd = false;
    PreviewFont font;
    int page = 1;
    int line = 1;
    int column = 0;
    int start = 0; // offset in the page's Stream
    int len = 0;
};

// A document a text printer builds for the screen instead of printing it, page by page.
class TextPreviewDocument {
public:
    void newLine(int lines);
    // Also starts the first page.
    void newPage(int pages);
    // A canvas printer's piece at a column.
    void write(const QString& text, int column, const PreviewFont& font);
    // A dot-matrix printer's piece with the bytes sent for it.
    void write(const QString& text, const QByteArray& dmText, const PreviewFont& font);

    const std::vector<PreviewPage>& pages() const { return m_pages; }
    const std::vector<PreviewTextBlock>& blocks() const { return m_blocks; }
    int pageCount() const { return int(m_pages.size()); }

private:
    void addPiece(const QString& text, int column, const PreviewFont& font);

    std::vector<PreviewPage> m_pages;
    std::vector<PreviewTextBlock> m_blocks;
    int m_currentLine = 1;
    int m_lineLength = 0;
};
