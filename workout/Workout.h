#pragma once

#include "SheetData.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// A member's latest prescription of one workout, read once from the database by the kiosk: the
// ticket prints it and the series window shows it. The fields keep the tables' names.

// A numeric column as read: the text the database gives it (empty when null), as the screen shows
// it, and its value (0 when null), as the ticket prints it.
struct Figure {
    QString text;
    double value = 0;
};

struct AerobicRow {
    QString CODIGO_EXERCICIO;
    QString EXERCICIO;
    QString DESCRICAOABREVIADA;
    Figure DURACAO;
    Figure VELOCIDADE;
    Figure NIVEL_DIFICULDADE;
};

struct StrengthRow {
    QString CODIGO_EXERCICIO;
    QString EXERCICIO;
    QString DESCRICAOABREVIADA;
    QString APARELHO;
    QString PROFESSOR; // the instructor's staff code
    QString SERIES;
    QString REPETICOES;
    QString PESO;
    QString REGULAGEM;
    Figure INTERVALO;
    std::optional<QString> OBS; // none when the column is null
};

struct StretchingRow {
    std::optional<QString> Obs;        // the memo; none when it is null
    std::array<bool, 23> Alogamento{}; // Alogamento_01 ... Alogamento_23, the positions to do
};

struct Workout {
    SheetData sheet;
    std::vector<AerobicRow> aerobic;         // workout A only
    std::vector<StrengthRow> strength;       // in ORDEM order
    std::optional<StretchingRow> stretching; // its first row, when there is one

    // A member found, nothing fetched yet.
    static Workout ofMember(const QString& enrolment, const QString& name);

    // Workout A has an aerobic section, even an empty one, and prints its stretching.
    bool isWorkoutA() const;
};
