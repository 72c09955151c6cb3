#pragma once

#include "TicketLayout.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class DataSet;
class QObject;
class MatrixPrintDriver;
class TextPrinter;

// The longest a ticket may take, all its waits on the printer together: the window serves
// nothing while it prints, and the systemd watchdog restarts a terminal whose window is silent
// for 30 s.
inline constexpr std::chrono::milliseconds TicketTimeLimit = std::chrono::seconds(20);

// The ticket's two printers as the kiosk holds them: the matrix driver on PORTA_IMP, straight to
// a port, or the text printing library on the installed printer Caminho_Impressora when
// PORTA_IMP is "USBX". Every ticket that does not print, and why, goes to the error log.
class TicketPrinters {
public:
    explicit TicketPrinters(QObject* owner);

    // Reads the printers' settings from the settings record, and keeps the record: the layout's
    // settings are read from it at each ticket, so a value that does not convert fails that
    // ticket, not the kiosk's opening.
    void configure(const DataSet& settings);

    // Begins a document on the chosen printer, prints the workout, and ends it. Settings that
    // cannot make a ticket, and a printer that cannot print, say so before anything is printed; a
    // failure midway, or a ticket still printing after timeLimit, says "Dado
    // INCORRETO !" and ends the document with what was printed.
    void print(const Workout& workout);

    MatrixPrintDriver* matrixDriver = nullptr;
    TextPrinter* textPrinter = nullptr;
    // TicketTimeLimit; tests shorten it.
    std::chrono::milliseconds timeLimit = TicketTimeLimit;

private:
    // The layout's settings of this ticket; none (after the message) when they cannot make one.
    std::optional<TicketSettings> layoutSettings() const;
    // The chosen printer with its document begun; null (after its message) when it cannot print.
    std::unique_ptr<TicketOutput> start();

    bool m_library = false;
    QString m_portAddress; // ENDERECO_PORTA
    const DataSet* m_settings = nullptr;
};
