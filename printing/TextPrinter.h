#pragma once

#include "CanvasTextPrinter.h"
#include "DotMatrixTextPrinter.h"

enum class TextPrinterType { Canvas, DotMatrix };

// One printer of each kind behind one set of calls; printerType chooses which one prints.
class TextPrinter : public TextPrinterBase {
    Q_OBJECT
public:
    explicit TextPrinter(QObject* owner = nullptr);
    ~TextPrinter() override;

    CanvasSettings canvasSets;
    DotMatrixSettings dotMatrixSets;
    TextPrinterType printerType = TextPrinterType::Canvas;
    bool showTypeDialog = true;

    void beginDoc();
    void endDoc(bool ejectPage);
    void abort() override;
    using TextPrinterBase::print;
    void print(int column, const QString& text, bool lineFeed) override;
    // Centres the text on a line column columns wide.
    void printCenter(int column, const QString& text, bool lineFeed);
    void newLine(int lines) override;
    void newPage(int pages) override;

    // The number in the format-float mask, padded on the left to the mask's length.
    static QString formatCurrency(const QString& mask, double value);
    // The short text repeated; a short text holds at most 255 characters.
    static QString repeated(const QString& character, int count);

private:
    void chooseType();
    void prepareCanvas();
    void prepareDotMatrix();
    TextPrinterBase& chosen();
    bool chosenIsPrinting();

    CanvasTextPrinter* m_caPrinter;
    DotMatrixTextPrinter* m_dmPrinter;
};
