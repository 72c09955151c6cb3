#pragma once

#include "ZELCaPrinter.h"
#include "ZELDmPrinter.h"

enum TZELPrinterType { ptCanvas, ptDotMatrix };

// One printer of each kind behind one set of calls; PrinterType chooses which one prints.
class TZELPrinter : public TZELBasePrinter {
    Q_OBJECT
public:
    explicit TZELPrinter(QObject* AOwner = nullptr);
    ~TZELPrinter() override;

    TZELCaSets CanvasSets;
    TZELDmSets DotMatrixSets;
    TZELPrinterType PrinterType = ptCanvas;
    bool ShowTypeDialog = true;

    void BeginDoc();
    void EndDoc(bool EjectPage);
    void Abort() override;
    using TZELBasePrinter::Print;
    void Print(int AColumn, const QString& AText, bool ALineFeed) override;
    // Centres the text on a line AColumn columns wide.
    void PrintCenter(int AColumn, const QString& AText, bool ALineFeed);
    void NewLine(int ALines) override;
    void NewPage(int APages) override;

    // The number in the format-float mask, padded on the left to the mask's length.
    static QString FormatMoeda(const QString& AMascara, double AValor);
    // The short text repeated; a short text holds at most 255 characters.
    static QString Repete(const QString& Caractere, int nCaracteres);

private:
    void chooseType();
    void prepareCanvas();
    void prepareDotMatrix();
    TZELBasePrinter& chosen();
    bool chosenIsPrinting();

    TZELCaPrinter* FCaPrinter;
    TZELDmPrinter* FDmPrinter;
};
