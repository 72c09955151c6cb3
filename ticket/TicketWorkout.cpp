#include "TicketWorkout.h"

#include "Database.h"

namespace {

std::optional<QString> textOrNone(const DataSet& row, const QString& field) {
    return row.isNull(field) ? std::nullopt : std::optional(row.fieldText(field));
}

AerobicRow aerobicRow(const DataSet& row) {
    return {row.fieldText(QStringLiteral("CODIGO_EXERCICIO")),
            row.fieldText(QStringLiteral("EXERCICIO")),
            row.fieldText(QStringLiteral("DESCRICAOABREVIADA")),
            row.fieldFloat(QStringLiteral("DURACAO")),
            row.fieldFloat(QStringLiteral("VELOCIDADE")),
            row.fieldFloat(QStringLiteral("NIVEL_DIFICULDADE"))};
}

StrengthRow strengthRow(const DataSet& row) {
    return {row.fieldText(QStringLiteral("CODIGO_EXERCICIO")),
            row.fieldText(QStringLiteral("EXERCICIO")),
            row.fieldText(QStringLiteral("DESCRICAOABREVIADA")),
            row.fieldText(QStringLiteral("SERIES")),
            row.fieldText(QStringLiteral("REPETICOES")),
            row.fieldText(QStringLiteral("PESO")),
            row.fieldText(QStringLiteral("REGULAGEM")),
            row.fieldFloat(QStringLiteral("INTERVALO")),
            textOrNone(row, QStringLiteral("OBS"))};
}

template <typename Row> std::vector<Row> rowsToEnd(DataSet& query, Row (*read)(const DataSet&)) {
    std::vector<Row> rows;
    for (; !query.eof(); query.next()) {
        rows.push_back(read(query));
    }
    return rows;
}

} // namespace

TicketWorkout readTicketWorkout(const QString& enrolment, const QString& name,
                                const QString& letter, DataSet& aerobic, DataSet& exercises,
                                DataSet& stretching) {
    TicketWorkout workout;
    workout.MATRICULA = enrolment;
    workout.NOME = name;
    workout.TREINO = letter;
    if (aerobic.isOpen() && !aerobic.eof()) {
        workout.DIAS_AEROBICA = weekdaysOf(aerobic);
        workout.aerobic = rowsToEnd(aerobic, aerobicRow);
    }
    if (!exercises.eof()) {
        workout.PROFESSOR = exercises.fieldText(QStringLiteral("PROFESSOR"));
        workout.DIAS_TREINO = weekdaysOf(exercises);
        workout.strength = rowsToEnd(exercises, strengthRow);
    }
    if (letter == QStringLiteral("A") && !stretching.eof()) {
        workout.stretching = StretchingRow{textOrNone(stretching, QStringLiteral("Obs"))};
    }
    return workout;
}
