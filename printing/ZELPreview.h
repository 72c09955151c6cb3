#pragma once

#include "ZELCaPrinter.h"

#include <QByteArray>
#include <QDialog>

#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QTextEdit;
class TZELDmPrinter;

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

// Collects a document page by page and lets the user browse it, print it on the printer that
// produced it, or save it as text.
class TfrmZELPreview : public QDialog {
    Q_OBJECT
public:
    explicit TfrmZELPreview(QWidget* parent = nullptr);
    ~TfrmZELPreview() override;

    // The printer that produced the document; exactly one is set.
    TZELDmPrinter* DmPrinter = nullptr;
    TZELCaPrinter* CaPrinter = nullptr;

    void BeginDoc();
    void EndDoc();
    void NewLine(int ALines);
    void NewPage(int APages);
    // A canvas printer's piece at a column.
    void Write(const QString& AText, int AColumn, const TZELPreviewFont& AFont);
    // A dot-matrix printer's piece with the bytes sent for it.
    void Write(const QString& AText, const QByteArray& ADmText, const TZELPreviewFont& AFont);

    const std::vector<TZELPreviewPage>& Pages() const { return FPages; }
    const std::vector<TZELTextBlock>& Blocks() const { return FBlocks; }
    int PageCount() const { return int(FPages.size()); }
    int CurrentPage() const { return FCurrentPage; }
    int CurrentLine() const { return FCurrentLine; }

    void ShowPage(int AIndex);
    void PrintDocument();
    void SaveDocument();
    // Writes every page's SaveStream to the file; false when it cannot be written.
    bool SaveToFile(const QString& AFileName) const;

    QAction* actPrint = nullptr;
    QAction* actSave = nullptr;
    QAction* actPdf = nullptr;
    QAction* actEmail = nullptr;
    QAction* actFirst = nullptr;
    QAction* actPrior = nullptr;
    QAction* actNext = nullptr;
    QAction* actLast = nullptr;
    QComboBox* cbxPages = nullptr;
    QAction* actClose = nullptr;
    QTextEdit* rePage = nullptr;
    QLabel* lblStatus = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildSheet();
    void addPage();
    void addPiece(const QString& AText, int AColumn, const TZELPreviewFont& AFont);
    bool handleKey(QKeyEvent* event);
    void askToClose();
    void printDotMatrix();
    void replayOnCanvas();

    std::vector<TZELPreviewPage> FPages;
    std::vector<TZELTextBlock> FBlocks;
    int FCurrentPage = 0;
    int FCurrentLine = 1;
    int FLineLength = 0;
    bool FBuilding = false;
};
