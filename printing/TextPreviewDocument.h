#pragma once

#include <QByteArray>
#include <QColor>
#include <QFlags>
#include <QString>

#include <vector>

enum TFontStyle { fsBold = 0x01, fsItalic = 0x02, fsUnderline = 0x04, fsStrikeOut = 0x08 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

struct TZELPreviewFont {
    QColor Color = Qt::black;
    QString Name = QStringLiteral("Courier New");
    int Size = 10;
    TFontStyles Style;
};

// One page of the previewed document in three forms. Stream holds Windows-1252 text with one 0A per
// line end, so a byte offset is a character position of the page box; DmStream the raw bytes a
// dot-matrix printer receives; SaveStream the text written by "save", in the same code page, with
// 0D 0A line ends.
struct TZELPreviewPage {
    QByteArray Stream;
    QByteArray DmStream;
    QByteArray SaveStream;
};

// A printed piece, or a line end, in print order.
struct TZELTextBlock {
    bool IsCRLF = false;
    TZELPreviewFont Font;
    int Page = 1;
    int Line = 1;
    int Column = 0;
    int Start = 0; // offset in the page's Stream
    int Len = 0;
};

// A document a text printer builds for the screen instead of printing it, page by page.
class TextPreviewDocument {
public:
    void newLine(int lines);
    // Also starts the first page.
    void newPage(int pages);
    // A canvas printer's piece at a column.
    void write(const QString& text, int column, const TZELPreviewFont& font);
    // A dot-matrix printer's piece with the bytes sent for it.
    void write(const QString& text, const QByteArray& dmText, const TZELPreviewFont& font);

    const std::vector<TZELPreviewPage>& pages() const { return m_pages; }
    const std::vector<TZELTextBlock>& blocks() const { return m_blocks; }
    int pageCount() const { return int(m_pages.size()); }

private:
    void addPiece(const QString& text, int column, const TZELPreviewFont& font);

    std::vector<TZELPreviewPage> m_pages;
    std::vector<TZELTextBlock> m_blocks;
    int m_currentLine = 1;
    int m_lineLength = 0;
};
