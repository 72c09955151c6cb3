#pragma once

#include <QDialog>

class QListWidget;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class MatrixPrintDriver;
struct MatrixPreviewJob;

// Preview of a matrix printer job: the plain text of each line on screen, the job file as the
// driver wrote it in a hidden list, and a driver of its own to print that file where the job
// would have gone.
class MatrixPrintPreview : public QDialog {
    Q_OBJECT

public:
    explicit MatrixPrintPreview(QWidget* parent = nullptr);

    // Status of the first parallel port: 0 ready, 1, 2 or 3 not ready.
    int printerStatus();
    void closeClicked();
    // Prints the job file unchanged on reprintDriver's port, asking first when the printer is not
    // ready.
    void printClicked();
    // The printer chosen in the set-up dialog becomes the application's current printer.
    void setupClicked();

    // Every preview job of the driver is shown in a window of its own.
    static void showPreviewsOf(MatrixPrintDriver& driver);
    // Shows the job in a new window, maximised and modal, with the page at its start.
    static void showJob(const MatrixPreviewJob& job);

    QToolBar* toolBar;
    QToolButton* setupButton;
    QToolButton* printButton;
    QToolButton* closeButton;
    QPlainTextEdit* pageText;
    // A list rather than a text document: a document turns the no-break space (the byte of "á")
    // into a plain space.
    QListWidget* jobLines;
    MatrixPrintDriver* reprintDriver;

private:
    void takeJob(const MatrixPreviewJob& job);
    // Fills the hidden list with the lines of the job file, bytes kept as they are.
    void loadJobFile(const QString& path);
};
