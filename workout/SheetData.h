#pragma once

#include "Schema.h"

#include <QString>

// The header of a member's fetched workout: who, which workout, by whom and when. The names are
// those of the back office.
struct SheetData {
    QString MATRICULA; // as the member typed it
    QString NOME_ALUNO;
    QString TREINO;       // the workout's digit as typed, "1" to "5"
    QString LETRA_TREINO; // its letter, "A" to "E"
    QString NOME_PROFESSOR;
    QString DATA_TREINO;
    QString DATA_REAVALIACAO_TEXTO;
    WeekdayFlags DIAS_AEROBICA{};
    WeekdayFlags DIAS_TREINO{};
    // From the settings record: the series window's idle time in seconds, and the re-assessment
    // period as the record holds it (a text that need not be a number).
    int Tempo_Serie = 0;
    QString TEMPO_REAVALIACAO;

    // Tempo_Serie as a timer's interval: 0 when it is 0 or less (no time-out), and never more
    // than a timer takes (about 24 days).
    static int idleIntervalMs(int Tempo_Serie);
};
