#pragma once

#include "KioskFixture.h"

#include <QDir>

#include <chrono>

// Member 1234, "Conceição Aparecida Gonçalves Ribeiro", with workouts A and C, aerobic and
// stretching rows written for the tickets; the ticket's port is the file "TKT" of the test's
// folder.
class Ticket : public KioskTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Serves member 1234 the workout digit and returns what reached the port.
    QByteArray printed(const QString& digit);
    bool kioskAtRest() const;
    // A stretching memo of this many characters in workout A: a ticket longer than a port's
    // buffers, with no more blank lines than a page.
    void longStretchingMemo(int characters);
    // The terminal's error log, emptied before each test.
    static QString errorLog();
    // Enter on workout A for member 1234, the ticket given this time limit; how long the window
    // was held.
    qint64 msHeldByWorkoutA(std::chrono::milliseconds ticketTimeLimit);
};

// A ticket typed by hand, from tests/data/ticket.
QByteArray golden(const QString& name);
