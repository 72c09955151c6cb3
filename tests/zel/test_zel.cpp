// Settings, consistency rules, the facade's dispatch and events and the text helpers of the
// text printing library. Documents go to the preview, so no printer is needed.
#include "Recorders.h"
#include "Windows1252.h"
#include "ZELPreview.h"
#include "ZELPrinter.h"
#include "ZelTestSupport.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(ZelSettings, DefaultsOfThePrintersAndSettings) {
    TZELPrinter printer;
    EXPECT_EQ(printer.PrinterName, "");
    EXPECT_TRUE(printer.ShowDialog);
    EXPECT_FALSE(printer.ShowPreview);
    EXPECT_TRUE(printer.ShowProgress);
    EXPECT_TRUE(printer.ShowTypeDialog);
    EXPECT_EQ(printer.Title, "ZELPrint Document");
    EXPECT_EQ(printer.PrinterType, ptCanvas);
    printer.setVersion("9.9");
    EXPECT_EQ(printer.Version(), "3.1.1");
    EXPECT_FALSE(printer.FromPreview);

    const TZELDmSets& dm = printer.DotMatrixSets;
    EXPECT_EQ(dm.CharMode, cmClear);
    EXPECT_EQ(dm.LineSpacing(), ls6lpp);
    EXPECT_EQ(dm.LineSpacingCustomValue(), 36);
    EXPECT_EQ(dm.Font.Align, faLeft);
    EXPECT_EQ(dm.Font.FontType, ftDraft);
    EXPECT_EQ(dm.Font.NLQFont, ntSansSerif);
    EXPECT_EQ(dm.Font.Pitch, fp10cpp);
    EXPECT_EQ(dm.Font.Size, fsDefault);
    EXPECT_EQ(dm.Font.Style, TZELDmFontStyles());
    EXPECT_EQ(dm.Paper.AutoNewPageLines, 3);
    EXPECT_EQ(dm.Paper.Columns, 80);
    EXPECT_EQ(dm.Paper.Lines, 66);

    const TZELCaSets& ca = printer.CanvasSets;
    EXPECT_EQ(ca.Font.Name, "Courier New");
    EXPECT_EQ(ca.Font.Size, 10);
    EXPECT_EQ(ca.Font.Pitch, fpFixed);
    EXPECT_EQ(ca.Font.Color, QColor(Qt::black));
    EXPECT_EQ(ca.LineSpacing, 10);
    EXPECT_EQ(ca.Paper.Columns, 119);
    EXPECT_EQ(ca.Paper.Lines, 72);
    EXPECT_FALSE(ca.Paper.AutoNewPage);
    EXPECT_EQ(ca.Orientation, poPortrait);
}

TEST(ZelSettings, LineSpacingAndCustomValueStayConsistent) {
    TZELDmSets sets;
    sets.setLineSpacingCustomValue(20);
    EXPECT_EQ(sets.LineSpacing(), lsCustom);
    sets.setLineSpacing(ls8lpp);
    EXPECT_EQ(sets.LineSpacingCustomValue(), 27);
    sets.setLineSpacing(lsCustom);
    EXPECT_EQ(sets.LineSpacingCustomValue(), 27); // custom leaves the value
    sets.setLineSpacingCustomValue(36);
    EXPECT_EQ(sets.LineSpacing(), ls6lpp);
    sets.setLineSpacingCustomValue(27);
    EXPECT_EQ(sets.LineSpacing(), ls8lpp);
    sets.setLineSpacing(ls6lpp);
    EXPECT_EQ(sets.LineSpacingCustomValue(), 36);
}

TEST(ZelText, FormatMoedaPadsTheFormattedNumberToTheMask) {
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(TZELPrinter::FormatMoeda("####0", 7), "    7");
    EXPECT_EQ(TZELPrinter::FormatMoeda("####0", 7.6), "    8");
    EXPECT_EQ(TZELPrinter::FormatMoeda("####0", 0), "    0");
    EXPECT_EQ(TZELPrinter::FormatMoeda("#####0", 123456789), "123456789"); // longer: unpadded
    EXPECT_EQ(TZELPrinter::FormatMoeda("#,##0.00", 1234.5), "1.234,50");
    // A double's 15 significant digits are taken as written, as the matrix driver's mask does.
    EXPECT_EQ(TZELPrinter::FormatMoeda("#,##0.00", 1.005), "    1,01");
    EXPECT_EQ(TZELPrinter::FormatMoeda("R$ #,##0.00", -12.5), "  -R$ 12,50");
    EXPECT_EQ(TZELPrinter::FormatMoeda("0.##", 2.5), " 2,5");
    EXPECT_EQ(TZELPrinter::FormatMoeda("0.00", -0.001), "0,00"); // no minus for a zero
    EXPECT_EQ(TZELPrinter::FormatMoeda("000", 7), "007");
    QLocale::setDefault(QLocale::c());
}

TEST(ZelText, RepeteRepeatsAShortString) {
    EXPECT_EQ(TZELPrinter::Repete("ab", 3), "ababab");
    EXPECT_EQ(TZELPrinter::Repete("-", 0), "");
    EXPECT_EQ(TZELPrinter::Repete("-", -2), "");
    EXPECT_EQ(TZELPrinter::Repete(QString(300, 'x'), 1).size(), 255);
}

// --- The facade, with the document built in the preview ------------------------------------

class ZelFacade : public ::testing::Test {
protected:
    void SetUp() override {
        printer.ShowTypeDialog = false;
        printer.ShowProgress = false;
        printer.ShowPreview = true;
        TfrmZELPreview::showPreviewsOf(printer);
        events.attach(printer);
    }

    // Ends the document and hands the preview window to `inspect` while it is shown.
    void endAndInspect(std::function<void(TfrmZELPreview*)> inspect) {
        whenModal<TfrmZELPreview>([inspect](TfrmZELPreview* preview) {
            inspect(preview);
            preview->close();
        });
        printer.EndDoc(true);
    }

    EventLog events;
    MessageRecorder messages;
    TZELPrinter printer;
};

QString pageText(const TfrmZELPreview* preview, int page) {
    return windows1252::decode(preview->document().pages().at(size_t(page)).Stream);
}

TEST_F(ZelFacade, CanvasDocumentLandsInThePreviewWithItsColumns) {
    printer.BeginDoc();
    EXPECT_TRUE(printer.IsPrinting());
    printer.Print(1, QStringLiteral("Olá"), false);
    printer.Print(8, QStringLiteral("x"), true);
    printer.Print(3, 2, QStringLiteral("y"), false); // two lines down from line 2: line 3
    printer.Print(1, 5, QStringLiteral("z"), true);  // line 1 is above: the current line
    EXPECT_EQ(printer.CurrentLine(), 4);
    endAndInspect([](TfrmZELPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), " Olá    x\n\n  y  z\n");
        EXPECT_EQ(preview->document().pages().at(0).SaveStream, " Ol\xe1    x\r\n\r\n  y  z\r\n");
        EXPECT_TRUE(preview->document().pages().at(0).DmStream.isEmpty());
    });
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(events.fired, QStringList({"start", "page", "print", "print", "line", "line", "print",
                                         "print", "line", "end"}));
}

TEST_F(ZelFacade, CanvasAutomaticPageBreakAfterTheLastLine) {
    printer.CanvasSets.Paper.AutoNewPage = true;
    printer.CanvasSets.Paper.Lines = 2;
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("1"), true);
    EXPECT_EQ(printer.CurrentPage(), 1);
    printer.Print(0, QStringLiteral("2"), true);
    EXPECT_EQ(printer.CurrentPage(), 2);
    EXPECT_EQ(printer.CurrentLine(), 1);
    printer.NewPage(2);
    EXPECT_EQ(printer.CurrentPage(), 4);
    endAndInspect([](TfrmZELPreview* preview) { EXPECT_EQ(preview->document().pageCount(), 4); });
    EXPECT_EQ(events.fired.count("page"), 4);
}

TEST_F(ZelFacade, DotMatrixAutomaticPageBreakLeavesItsFreeLines) {
    printer.PrinterType = ptDotMatrix;
    printer.DotMatrixSets.Paper.AutoNewPage = true;
    printer.DotMatrixSets.Paper.Lines = 5;
    printer.DotMatrixSets.Paper.AutoNewPageLines = 2;
    printer.BeginDoc();
    printer.NewLine(2);
    EXPECT_EQ(printer.CurrentPage(), 1);
    printer.NewLine(1); // line 4 > 5 - 2
    EXPECT_EQ(printer.CurrentPage(), 2);
    endAndInspect([](TfrmZELPreview* preview) {
        EXPECT_EQ(preview->document().pageCount(), 2);
        EXPECT_TRUE(preview->document().pages().at(0).DmStream.endsWith("\r\n\f"));
    });
}

TEST_F(ZelFacade, DotMatrixPreviewKeepsTextCodesAndFonts) {
    printer.PrinterType = ptDotMatrix;
    printer.DotMatrixSets.Paper.Lines = 0;
    printer.DotMatrixSets.Font.Size = fsLarge;
    printer.DotMatrixSets.Font.Style = fsDmBold | fsDmUnderline;
    printer.BeginDoc();
    printer.Print(2, QStringLiteral("Ação"), true);
    endAndInspect([](TfrmZELPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), "  Acao\n");
        const QByteArray& raw = preview->document().pages().at(0).DmStream;
        EXPECT_TRUE(raw.contains("\x12\x1bW1\x1b"
                                 "E"))
            << raw.toHex(' ').toStdString();
        EXPECT_TRUE(raw.endsWith("Acao\r\n\f\x1b@"));
        const auto& blocks = preview->document().blocks();
        const auto text = std::find_if(blocks.begin(), blocks.end(),
                                       [](const TZELTextBlock& block) { return block.Len == 4; });
        ASSERT_NE(text, blocks.end());
        EXPECT_EQ(text->Font.Name, "Courier New");
        EXPECT_EQ(text->Font.Size, 20);
        EXPECT_EQ(text->Font.Style, fsBold | fsUnderline);
        EXPECT_EQ(text->Column, 2);
        EXPECT_EQ(text->Start, 2);
        EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(),
                                [](const TZELTextBlock& block) { return block.IsCRLF; }),
                  1);
    });
}

TEST_F(ZelFacade, DotMatrixSendsTheWindowsCodePage) {
    printer.PrinterType = ptDotMatrix;
    printer.DotMatrixSets.Paper.Lines = 0;
    printer.DotMatrixSets.CharMode = cmNormal;
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("a\u2013\u20AC\u2026\u00E7\u0100"), true);
    endAndInspect([](TfrmZELPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), QStringLiteral("a\u2013\u20AC\u2026\u00E7?\n"));
        const QByteArray& raw = preview->document().pages().at(0).DmStream;
        EXPECT_TRUE(raw.contains("a\x96\x80\x85\xE7?\r\n")) << raw.toHex(' ').toStdString();
    });
}

TEST_F(ZelFacade, DotMatrixFillsOnlyRightwardsAndResendsChangedCodes) {
    printer.PrinterType = ptDotMatrix;
    printer.DotMatrixSets.Paper.Lines = 0;
    printer.BeginDoc();
    printer.Print(5, QStringLiteral("abc"), false);
    printer.Print(2, QStringLiteral("x"), false); // left of the end (8): no fill, end 3
    printer.Print(4, QStringLiteral("y"), true);  // one space from 3
    printer.DotMatrixSets.Font.Style = fsDmItalic;
    printer.Print(0, QStringLiteral("z"), true);
    endAndInspect([](TfrmZELPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), "     abcx y\nz\n");
        const QByteArray italic = QByteArrayLiteral("\x1b"
                                                    "2\x1bP\x1bx0\x12\x1bW0\x1b"
                                                    "F\x1b"
                                                    "4\x1bH\x1bT\x1b-0");
        const QByteArray& raw = preview->document().pages().at(0).DmStream;
        EXPECT_EQ(raw.count(italic), 2) << raw.toHex(' ').toStdString();
        EXPECT_TRUE(raw.contains("\r\n" + italic + italic + "z\r\n"));
    });
}

TEST_F(ZelFacade, PrintCenterTruncatesBothHalves) {
    printer.BeginDoc();
    printer.PrintCenter(11, QStringLiteral("abc"), true); // 5 - 1 = 4
    printer.PrintCenter(10, QStringLiteral("ab"), true);  // 5 - 1 = 4
    endAndInspect(
        [](TfrmZELPreview* preview) { EXPECT_EQ(pageText(preview, 0), "    abc\n    ab\n"); });
}

TEST_F(ZelFacade, FromPreviewSilencesEveryEventButErrors) {
    printer.FromPreview = true;
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("a"), true);
    printer.NewPage(1);
    endAndInspect([](TfrmZELPreview*) {});
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
}

TEST_F(ZelFacade, CallsOutsideADocumentDoNothing) {
    printer.Print(0, QStringLiteral("a"), true);
    printer.NewLine(3);
    printer.NewPage(1);
    printer.EndDoc(true);
    printer.Abort();
    EXPECT_TRUE(events.fired.isEmpty());
    EXPECT_EQ(printer.CurrentLine(), 1);
    EXPECT_EQ(printer.CurrentPage(), 1);
}

TEST(ZelCanvas, AlignmentPadsToThePaperWidthFromItsOwnColumn) {
    TZELCaPrinter printer;
    printer.ShowPreview = true;
    TfrmZELPreview::showPreviewsOf(printer);
    printer.ShowProgress = false;
    printer.Paper.Columns = 12;
    printer.Paper.MarginLeft = 1;
    printer.Paper.MarginRight = 1;
    printer.BeginDoc();
    printer.Font.Align = taRightJustify;
    printer.Print(0, QStringLiteral("abc"), true); // width 10: 7 spaces
    printer.Font.Align = taCenter;
    printer.Print(0, QStringLiteral("abcd"), true); // 3 spaces
    printer.Print(5, QStringLiteral("abcd"), true); // runs past the margin
    whenModal<TfrmZELPreview>([](TfrmZELPreview* preview) {
        EXPECT_EQ(pageText(preview, 0), "       abc\n   abcd\n        abcd\n");
        preview->close();
    });
    printer.EndDoc();
}

TEST(ZelCanvas, WriteStrOutsideADocumentIsAnError) {
    TZELCaPrinter printer;
    printer.PrinterName = QStringLiteral("fila");
    int errors = 0;
    printer.OnError = [&](QObject* sender) {
        EXPECT_EQ(sender, &printer);
        ++errors;
    };
    printer.FromPreview = true; // errors fire even then
    try {
        printer.WriteStr(0, QStringLiteral("x"));
        FAIL() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_EQ(error.Message(), "A impressora fila não está imprimindo");
    }
    EXPECT_EQ(errors, 1);
}

} // namespace
