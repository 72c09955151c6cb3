#pragma once

#include "SEFUNCOES.h"

#include <QString>

class DataSet;

// One member's fetched workout as the kiosk hands it to the series window: filled once by the
// retrieval, read-only afterwards. The names are those of the back office.
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

    // A member found, nothing fetched yet.
    static SheetData ofMember(const QString& enrolment, const QString& name);
    // The dates and weekdays of the fetched workout's first exercise row.
    void readExerciseRow(const DataSet& row);
};
