// The library's windows: the preview (pages, navigation, keys, saving), the progress window
// and the printer-type dialog.
#include "PrintProgressPanel.h"
#include "PrinterTypeDialog.h"
#include "Recorders.h"
#include "TextPrintPreview.h"
#include "TextPrinter.h"
#include "TextPrinterTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

// A three-page canvas document; `inspect` runs while its preview is shown.
void previewThreePages(std::function<void(TextPrintPreview*)> inspect) {
    CanvasTextPrinter printer;
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    printer.showProgress = false;
    printer.beginDoc();
    printer.print(0, QStringLiteral("primeira"), true);
    printer.newPage(1);
    printer.font.style = PreviewFontStyle::Bold;
    printer.print(2, QStringLiteral("segunda"), true);
    printer.font.style = {};
    printer.newPage(1);
    printer.print(0, QStringLiteral("terceira"), false);
    whenModal<TextPrintPreview>([inspect](TextPrintPreview* preview) {
        inspect(preview);
        preview->close();
    });
    printer.endDoc();
}

struct NavigationState {
    QString status;
    bool first, prior, next, last;
    int listed;
    QString text;
};

NavigationState navigation(const TextPrintPreview* preview) {
    return {preview->lblStatus->text(),     preview->actFirst->isEnabled(),
            preview->actPrior->isEnabled(), preview->actNext->isEnabled(),
            preview->actLast->isEnabled(),  preview->cbxPages->currentIndex(),
            preview->rePage->toPlainText()};
}

TEST(TextPrinterPreview, OpensOnTheFirstPageAndNavigatesWithButtonsKeysAndList) {
    previewThreePages([](TextPrintPreview* preview) {
        EXPECT_EQ(preview->windowTitle(), "Visualizar impressão");
        EXPECT_EQ(preview->document().pageCount(), 3);
        EXPECT_EQ(preview->cbxPages->count(), 3);
        NavigationState state = navigation(preview);
        EXPECT_EQ(state.status, "Página 1 de 3");
        EXPECT_FALSE(state.first);
        EXPECT_FALSE(state.prior);
        EXPECT_TRUE(state.next);
        EXPECT_TRUE(state.last);
        EXPECT_EQ(state.text, "primeira\n");

        pressKey(preview->rePage, Qt::Key_End, Qt::ControlModifier);
        state = navigation(preview);
        EXPECT_EQ(state.status, "Página 3 de 3");
        EXPECT_TRUE(state.first);
        EXPECT_FALSE(state.next);
        EXPECT_FALSE(state.last);
        EXPECT_EQ(state.listed, 2);
        EXPECT_EQ(state.text, "terceira");

        pressKey(preview->rePage, Qt::Key_PageDown, Qt::ControlModifier); // already last
        EXPECT_EQ(preview->currentPage(), 2);
        pressKey(preview->rePage, Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(navigation(preview).text, "  segunda\n");
        pressKey(preview->rePage, Qt::Key_Home, Qt::ControlModifier);
        EXPECT_EQ(preview->currentPage(), 0);
        preview->actNext->trigger();
        EXPECT_EQ(preview->currentPage(), 1);
        emit preview->cbxPages->activated(2);
        EXPECT_EQ(navigation(preview).status, "Página 3 de 3");
        preview->actFirst->trigger();
        EXPECT_EQ(preview->currentPage(), 0);
    });
}

TEST(TextPrinterPreview, BlocksFormatTheirRangeOfThePage) {
    previewThreePages([](TextPrintPreview* preview) {
        preview->showPage(1);
        QTextCursor cursor(preview->rePage->document());
        cursor.setPosition(4); // inside "segunda"
        EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
        EXPECT_EQ(cursor.charFormat().fontFamilies().toStringList().value(0), "Courier New");
        preview->showPage(0);
        cursor = QTextCursor(preview->rePage->document());
        cursor.setPosition(4); // inside "primeira", normal
        EXPECT_NE(cursor.charFormat().fontWeight(), QFont::Bold);
    });
}

TEST(TextPrinterPreview, EscapeAsksBeforeClosing) {
    MessageRecorder messages(platform::IdNo);
    previewThreePages([&](TextPrintPreview* preview) {
        pressKey(preview->rePage, Qt::Key_Escape, Qt::NoModifier);
        ASSERT_EQ(messages.messages().size(), 1u);
        const platform::Message& asked = messages.messages().front();
        EXPECT_EQ(asked.caption, "Confirmação");
        EXPECT_EQ(asked.text, "Fechar visualização?");
        EXPECT_EQ(asked.icon, platform::MessageIcon::Question);
        EXPECT_EQ(asked.buttons, platform::MessageButtons::YesNo);
        EXPECT_TRUE(preview->isVisible());
        messages.answerWith(platform::IdYes);
        pressKey(preview, Qt::Key_Escape, Qt::NoModifier);
        EXPECT_FALSE(preview->isVisible());
    });
}

TEST(TextPrinterPreview, SavesEveryPageAsTextThroughTheSaveDialog) {
    QTemporaryDir folder;
    QString dialogTitle;
    TestBackends saveDialog([&](platform::Backends& backends) {
        backends.runSaveDialog = [&](QFileDialog& dialog) {
            dialogTitle = dialog.windowTitle();
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog.defaultSuffix(), "txt");
            EXPECT_EQ(dialog.nameFilters(), QStringList{"Documento de texto (*.txt)"});
            return folder.filePath("ficha.txt");
        };
    });
    previewThreePages(
        [&](TextPrintPreview* preview) { pressKey(preview->rePage, Qt::Key_S, Qt::AltModifier); });
    saveDialog.restore();
    EXPECT_EQ(dialogTitle, "Salvar");
    QFile saved(folder.filePath("ficha.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "primeira\r\n  segunda\r\nterceira");
}

// Saves a one-line canvas document through a save dialog that answers `fileName` without
// selecting anything in the dialog itself.
void saveOneLine(const QString& text, const QString& fileName) {
    const TestBackends saveDialog([&](platform::Backends& backends) {
        backends.runSaveDialog = [&](QFileDialog&) {
            return fileName;
        };
    });
    CanvasTextPrinter printer;
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    printer.showProgress = false;
    printer.beginDoc();
    printer.print(1, text, true);
    whenModal<TextPrintPreview>([](TextPrintPreview* preview) {
        preview->saveDocument();
        preview->close();
    });
    printer.endDoc();
}

TEST(TextPrinterPreview, SavedTextIsInThePrintersCodePage) {
    QTemporaryDir folder;
    saveOneLine(QStringLiteral("Força é 10º"), folder.filePath("ficha.txt"));
    QFile saved(folder.filePath("ficha.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toHex(' ').toStdString(),
              "20 46 6f 72 e7 61 20 e9 20 31 30 ba 0d 0a");
}

TEST(TextPrinterPreview, FileThatCannotBeSavedIsNamedInTheBox) {
    MessageRecorder messages;
    QTemporaryDir folder;
    const QString unwritable = folder.filePath("missing/ficha.txt");
    saveOneLine(QStringLiteral("x"), unwritable);
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Não foi possível salvar o arquivo %1").arg(unwritable)});
}

TEST(TextPrinterPreview, EmptyDocumentShowsAnEmptyPage) {
    TextPrintPreview preview;
    preview.show();
    EXPECT_TRUE(preview.rePage->toPlainText().isEmpty());
    EXPECT_TRUE(preview.actNext->isEnabled());
    EXPECT_TRUE(preview.lblStatus->text().isEmpty());
    preview.printDocument(); // no printer: nothing
    preview.close();
}

TEST(TextPrinterPreview, WaitCursorOnlyWhileTheDocumentIsBuilt) {
    {
        DotMatrixTextPrinter printer;
        printer.showPreview = true;
        printer.showProgress = false;
        printer.beginDoc();
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    } // abandoned unfinished
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(TextPrinterPreview, ToolBarHints) {
    TextPrintPreview preview;
    EXPECT_EQ(preview.actPrint->toolTip(), "Imprimir\nAlt + P");
    EXPECT_EQ(preview.actLast->toolTip(), "Ir para a última página\nCtrl + End");
    EXPECT_EQ(preview.cbxPages->toolTip(), "Ir para a página...");
    EXPECT_FALSE(preview.actPdf->isEnabled());
    EXPECT_FALSE(preview.actEmail->isVisible());
}

// --- Progress window ----------------------------------------------------------------------

TEST(TextPrinterProgress, AnimatesSixFramesAndClosesOnlyWhenAllowed) {
    PrintProgressPanel progress;
    EXPECT_EQ(progress.size(), QSize(240, 71));
    EXPECT_FALSE(progress.isAnimating());
    const QImage first = progress.currentFrame().toImage();
    ASSERT_EQ(first.size(), QSize(32, 32));
    EXPECT_EQ(first.pixelColor(0, 0).alpha(), 0) << "magenta is transparent";
    EXPECT_EQ(first.pixelColor(16, 20).alpha(), 255);

    progress.show();
    EXPECT_TRUE(progress.isAnimating());
    for (int i = 1; i <= 6; ++i) {
        progress.advanceFrame();
        EXPECT_EQ(progress.frameIndex(), i % 6);
    }
    progress.advanceFrame();
    EXPECT_NE(progress.currentFrame().toImage(), first) << "the frames differ";

    progress.close();
    EXPECT_TRUE(progress.isVisible());
    progress.setClosable(true);
    progress.close();
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(progress.isAnimating());
}

bool progressShown() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* window) {
        return qobject_cast<PrintProgressPanel*>(window) && window->isVisible();
    });
}

TEST(TextPrinterProgress, ShownDuringTheDocumentOnly) {
    DotMatrixTextPrinter printer;
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    printer.beginDoc();
    EXPECT_TRUE(progressShown());
    bool shownWithPreview = true;
    whenModal<TextPrintPreview>([&](TextPrintPreview* preview) {
        shownWithPreview = progressShown();
        preview->close();
    });
    printer.endDoc(false);
    EXPECT_FALSE(shownWithPreview);
    EXPECT_FALSE(progressShown());
}

// --- Printer-type dialog ------------------------------------------------------------------

TEST(TextPrinterTypeDialog, ChoosesThePrinterKindAndOnlyOkClosesIt) {
    TextPrinter printer;
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    printer.showProgress = false;
    whenModal<PrinterTypeDialog>([](PrinterTypeDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Seleção de impressora");
        EXPECT_TRUE(dialog->rbCanvas->isChecked());
        dialog->reject();
        dialog->close();
        EXPECT_TRUE(dialog->isVisible());
        dialog->rbDotMatrix->setChecked(true);
        auto* ok = dialog->findChild<QPushButton*>();
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isDefault());
        ok->click();
    });
    QByteArray raw;
    whenModal<TextPrintPreview>([&](TextPrintPreview* preview) {
        raw = preview->document().pages().at(0).dmStream;
        preview->close();
    });
    printer.beginDoc();
    EXPECT_EQ(printer.printerType, TextPrinterType::DotMatrix);
    printer.print(0, QStringLiteral("x"), false);
    printer.endDoc(false);
    EXPECT_TRUE(raw.endsWith("x\x1b@"));

    PrinterTypeDialog dialog;
    dialog.selectedType = 1;
    whenModal<PrinterTypeDialog>([](PrinterTypeDialog* shown) {
        EXPECT_TRUE(shown->rbDotMatrix->isChecked());
        shown->rbCanvas->setChecked(true);
        shown->findChild<QPushButton*>()->click();
    });
    dialog.exec();
    EXPECT_EQ(dialog.selectedType, 0);
}

} // namespace
