#pragma once

#include "Schema.h"

#include <QString>

#include <optional>
#include <vector>

class DataSet;

// The workout a ticket prints, read once from the fetched queries, its texts with every control
// character as a blank; the fields keep the tables' names.
struct AerobicRow {
    QString CODIGO_EXERCICIO;
    QString EXERCICIO;
    QString DESCRICAOABREVIADA;
    double DURACAO = 0;
    double VELOCIDADE = 0;
    double NIVEL_DIFICULDADE = 0;
};

struct StrengthRow {
    QString CODIGO_EXERCICIO;
    QString EXERCICIO;
    QString DESCRICAOABREVIADA;
    QString SERIES;
    QString REPETICOES;
    QString PESO;
    QString REGULAGEM;
    double INTERVALO = 0;
    std::optional<QString> OBS; // none when the column is null
};

struct StretchingRow {
    std::optional<QString> Obs; // the memo; none when it is null
};

struct TicketWorkout {
    QString MATRICULA; // as the member panel shows it
    QString NOME;
    QString TREINO;               // the workout's letter, "A" to "E"
    QString PROFESSOR;            // the instructor's staff code
    WeekdayFlags DIAS_AEROBICA{}; // of the first aerobic row
    std::vector<AerobicRow> aerobic;
    WeekdayFlags DIAS_TREINO{};              // of the first strength row
    std::vector<StrengthRow> strength;       // in ORDEM order
    std::optional<StretchingRow> stretching; // workout A only
};

// Reads the queries from their current rows to their ends: the aerobic rows when that query is
// open (it is opened for workout A only), the chosen workout's exercise rows, and for workout A
// the stretching row.
TicketWorkout readTicketWorkout(const QString& enrolment, const QString& name,
                                const QString& letter, DataSet& aerobic, DataSet& exercises,
                                DataSet& stretching);
