#include "TextPreviewDocument.h"

#include "Windows1252.h"

void TextPreviewDocument::newPage(int pages) {
    for (int i = 0; i < pages; ++i) {
        m_pages.emplace_back();
        m_currentLine = 1;
        m_lineLength = 0;
    }
}

void TextPreviewDocument::newLine(int lines) {
    for (int i = 0; i < lines; ++i) {
        PreviewPage& page = m_pages.back();
        PreviewTextBlock block;
        block.isLineEnd = true;
        block.page = pageCount();
        block.line = m_currentLine;
        block.start = int(page.stream.size());
        m_blocks.push_back(block);
        page.stream += '\n';
        page.saveStream += "\r\n";
        ++m_currentLine;
    }
    m_lineLength = 0;
}

void TextPreviewDocument::addPiece(const QString& text, int column, const PreviewFont& font) {
    PreviewPage& page = m_pages.back();
    const QByteArray bytes = windows1252::encode(text);
    m_blocks.push_back({false, font, pageCount(), m_currentLine, column, int(page.stream.size()),
                        int(bytes.size())});
    page.stream += bytes;
    page.saveStream += bytes;
    m_lineLength = column + int(bytes.size());
}

void TextPreviewDocument::write(const QString& text, int column, const PreviewFont& font) {
    addPiece(text, column, font);
}

// A dot-matrix piece carries its own fill, so it goes where the line's text ends.
void TextPreviewDocument::write(const QString& text, const QByteArray& dmText,
                                const PreviewFont& font) {
    addPiece(text, m_lineLength, font);
    m_pages.back().dmStream += dmText;
}
