#pragma once

#include "TicketColumns.h"

#include <QString>

#include <exception>

class MatrixPrintDriver;
class TextPrinter;

// The printer a ticket goes to, behind the few calls the ticket makes.
class TicketOutput {
public:
    explicit TicketOutput(const TicketColumns& kindColumns)
        : columns(kindColumns) {}
    virtual ~TicketOutput() = default;
    TicketOutput(const TicketOutput&) = delete;
    TicketOutput& operator=(const TicketOutput&) = delete;

    virtual void text(int column, const QString& text, bool endLine) = 0;
    virtual void rule() = 0;
    virtual void blankLine() = 0;
    virtual void observation(const QString& obs) = 0;
    virtual void end() = 0;
    // Ends the document after a failure; a second failure there changes nothing.
    virtual void endAfterFailure() = 0;

    const TicketColumns& columns;
};

// A page of the matrix driver, in lines; a ticket feeds no more blank lines than this after it.
inline constexpr int MatrixPageLines = 60;

// The matrix driver as the ticket sets it up: a 9-pin Epson, a page of MatrixPageLines, 80
// columns, no header.
void prepareMatrixPrinter(MatrixPrintDriver& printer);
// The text printing library as the ticket sets it up: its canvas printer with no dialog,
// preview or progress, Courier New 10 at a fixed pitch, no new page of its own.
void prepareLibraryPrinter(TextPrinter& printer);

// The ticket on the matrix driver, whose job is open.
class MatrixTicket : public TicketOutput {
public:
    explicit MatrixTicket(MatrixPrintDriver& printer)
        : TicketOutput(matrixColumns)
        , m_printer(printer) {}
    void text(int column, const QString& text, bool endLine) override;
    void rule() override;
    void blankLine() override;
    void observation(const QString& obs) override;
    void end() override;
    void endAfterFailure() override;

private:
    MatrixPrintDriver& m_printer;
};

// The ticket on the text printing library, whose document is begun. Library is TextPrinter or
// anything with its calls.
template <typename Library> class LibraryTicket : public TicketOutput {
public:
    explicit LibraryTicket(Library& printer)
        : TicketOutput(libraryColumns)
        , m_printer(printer) {}
    void text(int column, const QString& text, bool endLine) override {
        m_printer.print(column, text, endLine);
    }
    void rule() override { m_printer.replicate(1, 47, QLatin1Char('-'), true); }
    void blankLine() override { text(1, QStringLiteral(" "), true); }
    void observation(const QString& obs) override {
        text(1, QStringLiteral("Obs.: ") + obs.left(42), true);
    }
    void end() override { m_printer.endDoc(true); }
    void endAfterFailure() override {
        try {
            m_printer.endDoc(true);
        } catch (const std::exception&) {
            m_printer.abort();
        }
    }

private:
    Library& m_printer;
};
