#pragma once

#include "TicketLayout.h"

#include <QString>

#include <functional>
#include <memory>

class DataSet;
class QObject;
class TPrintFast;
class TZELPrinter;

// The ticket's two printers as the kiosk holds them: the matrix driver on PORTA_IMP, straight to
// a port, or the text printing library on the installed printer Caminho_Impressora when
// PORTA_IMP is "USBX". Every ticket that does not print, and why, goes to the error log.
class TicketPrinters {
public:
    explicit TicketPrinters(QObject* owner);

    // Reads the printers' and the layout's settings from the settings record.
    void configure(const DataSet& settings);

    // Begins a document on the chosen printer, prints the workout read once it has begun, and
    // ends it. A printer that cannot print says so before anything is read; a failure midway
    // says "Dado INCORRETO !" and ends the document with what was printed.
    void print(const std::function<TicketWorkout()>& readWorkout);

    TPrintFast* PrintFast1 = nullptr;
    TZELPrinter* ZELPrinter1 = nullptr;

private:
    // The chosen printer with its document begun; null (after its message) when it cannot print.
    std::unique_ptr<TicketOutput> start();

    bool m_library = false;
    QString m_portAddress; // ENDERECO_PORTA
    TicketSettings m_layout;
};
