#pragma once

#include "TextPreviewDocument.h"
#include "TextPrinterBase.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;
class QTextEdit;

// Shows a document a printer built for the screen and lets the user browse it, print it on the
// printer that built it, or save it as text.
class TextPrintPreview : public QDialog {
    Q_OBJECT
public:
    // An empty document that prints nowhere.
    explicit TextPrintPreview(QWidget* parent = nullptr);
    TextPrintPreview(TextPreviewDocument document, PreviewPrinting print,
                     QWidget* parent = nullptr);

    // Every document the printer previews is shown in a window of its own, modal.
    static void showPreviewsOf(TextPrinterBase& printer);

    const TextPreviewDocument& document() const { return m_document; }
    // The page shown, from 0.
    int currentPage() const { return m_currentPage; }

    void showPage(int index);
    void printDocument();
    void saveDocument();
    // Writes every page's saveStream to the file; false when it cannot be written.
    bool saveToFile(const QString& fileName) const;

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
    int pageCount() const { return m_document.pageCount(); }
    bool handleKey(QKeyEvent* event);
    void askToClose();

    TextPreviewDocument m_document;
    PreviewPrinting m_print;
    int m_currentPage = 0;
};
