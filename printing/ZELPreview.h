#pragma once

#include "TextPreviewDocument.h"
#include "ZELBasePrinter.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;
class QTextEdit;

// Shows a document a printer built for the screen and lets the user browse it, print it on the
// printer that built it, or save it as text.
class TfrmZELPreview : public QDialog {
    Q_OBJECT
public:
    // An empty document that prints nowhere.
    explicit TfrmZELPreview(QWidget* parent = nullptr);
    TfrmZELPreview(TextPreviewDocument document, TZELPreviewPrint print, QWidget* parent = nullptr);

    // Every document the printer previews is shown in a window of its own, modal.
    static void showPreviewsOf(TZELBasePrinter& printer);

    const TextPreviewDocument& document() const { return FDocument; }
    // The page shown, from 0.
    int CurrentPage() const { return FCurrentPage; }

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
    int pageCount() const { return FDocument.pageCount(); }
    bool handleKey(QKeyEvent* event);
    void askToClose();

    TextPreviewDocument FDocument;
    TZELPreviewPrint FPrint;
    int FCurrentPage = 0;
};
