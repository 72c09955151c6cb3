#pragma once

#include "TicketOutput.h"
#include "Workout.h"

#include <QString>

// The settings the ticket's layout reads from the settings record.
struct TicketSettings {
    bool POR_CODIGO_APARELHO = false; // machines by their code rather than by name
    QString IMPRESSAOREDUZIDA;        // "Sim": the reduced strength rows
    int ESPACO = 0;                   // blank lines fed after the ticket
};

// The receipt ticket of a workout, about 40 columns wide: the member, the aerobic section, the
// strength section, the stretching section and the blank lines after it, in the output's
// columns. A control character in the back office's text prints as a blank. The output's document
// is begun before and ended after.
void printTicket(const Workout& workout, const TicketSettings& settings, TicketOutput& out);
