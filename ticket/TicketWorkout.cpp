#include "TicketWorkout.h"

#include "Database.h"
#include "PlainLetters.h"
#include "SEFUNCOES.h"

namespace {

// Text as the ticket prints it: a control character in the back office's text (an escape
// sequence, a form feed) would reprogram the matrix printer or eject its paper.
QString text(const DataSet& row, const QString& field) {
    return blankControls(row.fieldText(field));
}

std::optional<QString> textOrNone(const DataSet& row, const QString& field) {
    return row.isNull(field) ? std::nullopt : std::optional(text(row, field));
}

AerobicRow aerobicRow(const DataSet& row) {
    return {text(row, QStringLiteral("CODIGO_EXERCICIO")),
            text(row, QStringLiteral("EXERCICIO")),
            text(row, QStringLiteral("DESCRICAOABREVIADA")),
            row.fieldFloat(QStringLiteral("DURACAO")),
            row.fieldFloat(QStringLiteral("VELOCIDADE")),
            row.fieldFloat(QStringLiteral("NIVEL_DIFICULDADE"))};
}

StrengthRow strengthRow(const DataSet& row) {
    return {text(row, QStringLiteral("CODIGO_EXERCICIO")),
            text(row, QStringLiteral("EXERCICIO")),
            text(row, QStringLiteral("DESCRICAOABREVIADA")),
            text(row, QStringLiteral("SERIES")),
            text(row, QStringLiteral("REPETICOES")),
            text(row, QStringLiteral("PESO")),
            text(row, QStringLiteral("REGULAGEM")),
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
    workout.NOME = blankControls(name);
    workout.TREINO = letter;
    if (aerobic.isOpen() && !aerobic.eof()) {
        workout.DIAS_AEROBICA = weekdaysOf(aerobic);
        workout.aerobic = rowsToEnd(aerobic, aerobicRow);
    }
    if (!exercises.eof()) {
        workout.PROFESSOR = text(exercises, QStringLiteral("PROFESSOR"));
        workout.DIAS_TREINO = weekdaysOf(exercises);
        workout.strength = rowsToEnd(exercises, strengthRow);
    }
    if (letter == QStringLiteral("A") && !stretching.eof()) {
        workout.stretching = StretchingRow{textOrNone(stretching, QStringLiteral("Obs"))};
    }
    return workout;
}
