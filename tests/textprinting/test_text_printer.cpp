// Settings, consistency rules, the facade's dispatch and events and the text helpers of the
// text printing library. Documents go to the preview, so no printer is needed.
#include "Recorders.h"
#include "TextPrintPreview.h"
#include "TextPrinter.h"
#include "TextPrinterTestSupport.h"
#include "Windows1252.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(TextPrinterSettings, DefaultsOfThePrintersAndSettings) {
    TextPrinter printer;
    EXPECT_EQ(printer.printerName, "");
    EXPECT_TRUE(printer.showDialog);
    EXPECT_FALSE(printer.showPreview);
    EXPECT_TRUE(printer.showProgress);
    EXPECT_TRUE(printer.showTypeDialog);
    EXPECT_EQ(printer.title, "ZELPrint Document");
    EXPECT_EQ(printer.printerType, TextPrinterType::Canvas);
    printer.setVersion("9.9");
    EXPECT_EQ(printer.version(), "3.1.1");
    EXPECT_FALSE(printer.fromPreview);

    const DotMatrixSettings& dm = printer.dotMatrixSets;
    EXPECT_EQ(dm.charMode, DotMatrixCharMode::Plain);
    EXPECT_EQ(dm.lineSpacing(), DotMatrixLineSpacing::SixPerInch);
    EXPECT_EQ(dm.lineSpacingCustomValue(), 36);
    EXPECT_EQ(dm.font.align, DotMatrixFontAlign::Left);
    EXPECT_EQ(dm.font.fontType, DotMatrixFontType::Draft);
    EXPECT_EQ(dm.font.NLQFont, DotMatrixNlqFont::SansSerif);
    EXPECT_EQ(dm.font.pitch, DotMatrixFontPitch::Cpi10);
    EXPECT_EQ(dm.font.size, DotMatrixFontSize::Default);
    EXPECT_EQ(dm.font.style, DotMatrixFontStyles());
    EXPECT_EQ(dm.paper.autoNewPageLines, 3);
    EXPECT_EQ(dm.paper.columns, 80);
    EXPECT_EQ(dm.paper.lines, 66);

    const CanvasSettings& ca = printer.canvasSets;
    EXPECT_EQ(ca.font.name, "Courier New");
    EXPECT_EQ(ca.font.size, 10);
    EXPECT_EQ(ca.font.pitch, CanvasFontPitch::Fixed);
    EXPECT_EQ(ca.font.color, QColor(Qt::black));
    EXPECT_EQ(ca.lineSpacing, 10);
    EXPECT_EQ(ca.paper.columns, 119);
    EXPECT_EQ(ca.paper.lines, 72);
    EXPECT_FALSE(ca.paper.autoNewPage);
    EXPECT_EQ(ca.orientation, PaperOrientation::Portrait);
}

TEST(TextPrinterSettings, LineSpacingAndCustomValueStayConsistent) {
    DotMatrixSettings sets;
    sets.setLineSpacingCustomValue(20);
    EXPECT_EQ(sets.lineSpacing(), DotMatrixLineSpacing::Custom);
    sets.setLineSpacing(DotMatrixLineSpacing::EightPerInch);
    EXPECT_EQ(sets.lineSpacingCustomValue(), 27);
    sets.setLineSpacing(DotMatrixLineSpacing::Custom);
    EXPECT_EQ(sets.lineSpacingCustomValue(), 27); // custom leaves the value
    sets.setLineSpacingCustomValue(36);
    EXPECT_EQ(sets.lineSpacing(), DotMatrixLineSpacing::SixPerInch);
    sets.setLineSpacingCustomValue(27);
    EXPECT_EQ(sets.lineSpacing(), DotMatrixLineSpacing::EightPerInch);
    sets.setLineSpacing(DotMatrixLineSpacing::SixPerInch);
    EXPECT_EQ(sets.lineSpacingCustomValue(), 36);
}

TEST(TextPrinterText, FormatMoedaPadsTheFormattedNumberToTheMask) {
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(TextPrinter::formatCurrency("####0", 7), "    7");
    EXPECT_EQ(TextPrinter::formatCurrency("####0", 7.6), "    8");
    EXPECT_EQ(TextPrinter::formatCurrency("####0", 0), "    0");
    EXPECT_EQ(TextPrinter::formatCurrency("#####0", 123456789), "123456789"); // longer: unpadded
    EXPECT_EQ(TextPrinter::formatCurrency("#,##0.00", 1234.5), "1.234,50");
    // A double's 15 significant digits are taken as written, as the matrix driver's mask does.
    EXPECT_EQ(TextPrinter::formatCurrency("#,##0.00", 1.005), "    1,01");
    EXPECT_EQ(TextPrinter::formatCurrency("R$ #,##0.00", -12.5), "  -R$ 12,50");
    EXPECT_EQ(TextPrinter::formatCurrency("0.##", 2.5), " 2,5");
    EXPECT_EQ(TextPrinter::formatCurrency("0.00", -0.001), "0,00"); // no minus for a zero
    EXPECT_EQ(TextPrinter::formatCurrency("000", 7), "007");
    QLocale::setDefault(QLocale::c());
}

TEST(TextPrinterText, RepeteRepeatsAShortString) {
    EXPECT_EQ(TextPrinter::repeated("ab", 3), "ababab");
    EXPECT_EQ(TextPrinter::repeated("-", 0), "");
    EXPECT_EQ(TextPrinter::repeated("-", -2), "");
    EXPECT_EQ(TextPrinter::repeated(QString(300, 'x'), 1).size(), 255);
}

// --- The facade, with the document built in the preview ------------------------------------

class TextPrinterFacade : public ::testing::Test {
protected:
    void SetUp() override {
        printer.showTypeDialog = false;
        printer.showProgress = false;
        printer.showPreview = true;
        TextPrintPreview::showPreviewsOf(printer);
        events.attach(printer);
    }

    // Ends the document and hands the preview window to `inspect` while it is shown.
    void endAndInspect(std::function<void(TextPrintPreview*)> inspect) {
        whenModal<TextPrintPreview>([inspect](TextPrintPreview* preview) {
            inspect(preview);
            preview->close();
        });
        printer.endDoc(true);
    }

    EventLog events;
    MessageRecorder messages;
    TextPrinter printer;
};

QString pageText(const TextPrintPreview* preview, int page) {
    return windows1252::decode(preview->document().pages().at(size_t(page)).stream);
}

TEST_F(TextPrinterFacade, CanvasDocumentLandsInThePreviewWithItsColumns) {
    printer.beginDoc();
    EXPECT_TRUE(printer.isPrinting());
    printer.print(1, QStringLiteral("Olá"), false);
    printer.print(8, QStringLiteral("x"), true);
    printer.print(3, 2, QStringLiteral("y"), false); // two lines down from line 2: line 3
    printer.print(1, 5, QStringLiteral("z"), true);  // line 1 is above: the current line
    EXPECT_EQ(printer.currentLine(), 4);
    endAndInspect([](TextPrintPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), " Olá    x\n\n  y  z\n");
        EXPECT_EQ(preview->document().pages().at(0).saveStream, " Ol\xe1    x\r\n\r\n  y  z\r\n");
        EXPECT_TRUE(preview->document().pages().at(0).dmStream.isEmpty());
    });
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(events.fired, QStringList({"start", "page", "print", "print", "line", "line", "print",
                                         "print", "line", "end"}));
}

TEST_F(TextPrinterFacade, CanvasAutomaticPageBreakAfterTheLastLine) {
    printer.canvasSets.paper.autoNewPage = true;
    printer.canvasSets.paper.lines = 2;
    printer.beginDoc();
    printer.print(0, QStringLiteral("1"), true);
    EXPECT_EQ(printer.currentPage(), 1);
    printer.print(0, QStringLiteral("2"), true);
    EXPECT_EQ(printer.currentPage(), 2);
    EXPECT_EQ(printer.currentLine(), 1);
    printer.newPage(2);
    EXPECT_EQ(printer.currentPage(), 4);
    endAndInspect([](TextPrintPreview* preview) { EXPECT_EQ(preview->document().pageCount(), 4); });
    EXPECT_EQ(events.fired.count("page"), 4);
}

TEST_F(TextPrinterFacade, DotMatrixAutomaticPageBreakLeavesItsFreeLines) {
    printer.printerType = TextPrinterType::DotMatrix;
    printer.dotMatrixSets.paper.autoNewPage = true;
    printer.dotMatrixSets.paper.lines = 5;
    printer.dotMatrixSets.paper.autoNewPageLines = 2;
    printer.beginDoc();
    printer.newLine(2);
    EXPECT_EQ(printer.currentPage(), 1);
    printer.newLine(1); // line 4 > 5 - 2
    EXPECT_EQ(printer.currentPage(), 2);
    endAndInspect([](TextPrintPreview* preview) {
        EXPECT_EQ(preview->document().pageCount(), 2);
        EXPECT_TRUE(preview->document().pages().at(0).dmStream.endsWith("\r\n\f"));
    });
}

TEST_F(TextPrinterFacade, DotMatrixPreviewKeepsTextCodesAndFonts) {
    printer.printerType = TextPrinterType::DotMatrix;
    printer.dotMatrixSets.paper.lines = 0;
    printer.dotMatrixSets.font.size = DotMatrixFontSize::Large;
    printer.dotMatrixSets.font.style = DotMatrixFontStyle::Bold | DotMatrixFontStyle::Underline;
    printer.beginDoc();
    printer.print(2, QStringLiteral("Ação"), true);
    endAndInspect([](TextPrintPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), "  Acao\n");
        const QByteArray& raw = preview->document().pages().at(0).dmStream;
        EXPECT_TRUE(raw.contains("\x12\x1bW1\x1b"
                                 "E"))
            << raw.toHex(' ').toStdString();
        EXPECT_TRUE(raw.endsWith("Acao\r\n\f\x1b@"));
        const auto& blocks = preview->document().blocks();
        const auto text =
            std::find_if(blocks.begin(), blocks.end(),
                         [](const PreviewTextBlock& block) { return block.len == 4; });
        ASSERT_NE(text, blocks.end());
        EXPECT_EQ(text->font.name, "Courier New");
        EXPECT_EQ(text->font.size, 20);
        EXPECT_EQ(text->font.style, PreviewFontStyle::Bold | PreviewFontStyle::Underline);
        EXPECT_EQ(text->column, 2);
        EXPECT_EQ(text->start, 2);
        EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(),
                                [](const PreviewTextBlock& block) { return block.isLineEnd; }),
                  1);
    });
}

TEST_F(TextPrinterFacade, DotMatrixSendsTheWindowsCodePage) {
    printer.printerType = TextPrinterType::DotMatrix;
    printer.dotMatrixSets.paper.lines = 0;
    printer.dotMatrixSets.charMode = DotMatrixCharMode::Normal;
    printer.beginDoc();
    printer.print(0, QStringLiteral("a\u2013\u20AC\u2026\u00E7\u0100"), true);
    endAndInspect([](TextPrintPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), QStringLiteral("a\u2013\u20AC\u2026\u00E7?\n"));
        const QByteArray& raw = preview->document().pages().at(0).dmStream;
        EXPECT_TRUE(raw.contains("a\x96\x80\x85\xE7?\r\n")) << raw.toHex(' ').toStdString();
    });
}

TEST_F(TextPrinterFacade, DotMatrixFillsOnlyRightwardsAndResendsChangedCodes) {
    printer.printerType = TextPrinterType::DotMatrix;
    printer.dotMatrixSets.paper.lines = 0;
    printer.beginDoc();
    printer.print(5, QStringLiteral("abc"), false);
    printer.print(2, QStringLiteral("x"), false); // left of the end (8): no fill, end 3
    printer.print(4, QStringLiteral("y"), true);  // one space from 3
    printer.dotMatrixSets.font.style = DotMatrixFontStyle::Italic;
    printer.print(0, QStringLiteral("z"), true);
    endAndInspect([](TextPrintPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), "     abcx y\nz\n");
        const QByteArray italic = QByteArrayLiteral("\x1b"
                                                    "2\x1bP\x1bx0\x12\x1bW0\x1b"
                                                    "F\x1b"
                                                    "4\x1bH\x1bT\x1b-0");
        const QByteArray& raw = preview->document().pages().at(0).dmStream;
        EXPECT_EQ(raw.count(italic), 2) << raw.toHex(' ').toStdString();
        EXPECT_TRUE(raw.contains("\r\n" + italic + italic + "z\r\n"));
    });
}

TEST_F(TextPrinterFacade, PrintCenterTruncatesBothHalves) {
    printer.beginDoc();
    printer.printCenter(11, QStringLiteral("abc"), true); // 5 - 1 = 4
    printer.printCenter(10, QStringLiteral("ab"), true);  // 5 - 1 = 4
    endAndInspect(
        [](TextPrintPreview* preview) { EXPECT_EQ(pageText(preview, 0), "    abc\n    ab\n"); });
}

TEST_F(TextPrinterFacade, FromPreviewSilencesEveryEventButErrors) {
    printer.fromPreview = true;
    printer.beginDoc();
    printer.print(0, QStringLiteral("a"), true);
    printer.newPage(1);
    endAndInspect([](TextPrintPreview*) {});
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
}

TEST_F(TextPrinterFacade, CallsOutsideADocumentDoNothing) {
    printer.print(0, QStringLiteral("a"), true);
    printer.newLine(3);
    printer.newPage(1);
    printer.endDoc(true);
    printer.abort();
    EXPECT_TRUE(events.fired.isEmpty());
    EXPECT_EQ(printer.currentLine(), 1);
    EXPECT_EQ(printer.currentPage(), 1);
}

TEST(TextPrinterCanvas, AlignmentPadsToThePaperWidthFromItsOwnColumn) {
    CanvasTextPrinter printer;
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    printer.showProgress = false;
    printer.paper.columns = 12;
    printer.paper.marginLeft = 1;
    printer.paper.marginRight = 1;
    printer.beginDoc();
    printer.font.align = CanvasAlignment::Right;
    printer.print(0, QStringLiteral("abc"), true); // width 10: 7 spaces
    printer.font.align = CanvasAlignment::Center;
    printer.print(0, QStringLiteral("abcd"), true); // 3 spaces
    printer.print(5, QStringLiteral("abcd"), true); // runs past the margin
    whenModal<TextPrintPreview>([](TextPrintPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), "       abc\n   abcd\n        abcd\n");
        preview->close();
    });
    printer.endDoc();
}

TEST(TextPrinterCanvas, WriteStrOutsideADocumentIsAnError) {
    CanvasTextPrinter printer;
    printer.printerName = QStringLiteral("fila");
    int errors = 0;
    printer.onError = [&](QObject* sender) {
        EXPECT_EQ(sender, &printer);
        ++errors;
    };
    printer.fromPreview = true; // errors fire even then
    try {
        printer.writeStr(0, QStringLiteral("x"));
        FAIL() << "no error";
    } catch (const TextPrinterError& error) {
        EXPECT_EQ(error.message(), "A impressora fila não está imprimindo");
    }
    EXPECT_EQ(errors, 1);
}

} // namespace
