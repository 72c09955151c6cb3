#include "WorkoutQueries.h"

#include "TextHelpers.h"

#include <QLocale>

#include <functional>

namespace {

const QStringList aerobicSql{
    QStringLiteral("SELECT A.MATRICULA, A.DURACAO, A.VELOCIDADE, A.NIVEL_DIFICULDADE, "
                   "C.DESCRICAOABREVIADA,"),
    QStringLiteral("       A.CODIGO_EXERCICIO, C.DESCRICAO AS EXERCICIO, A.DATA, A.DOM, A.SEG, "
                   "A.TER, A.QUA, A.QUI, A.SEX, A.SAB"),
    QStringLiteral("FROM AEROBICA A, EXERCICIOS C"),
    QStringLiteral("WHERE (A.CODIGO_EXERCICIO = C.CODIGO   ) AND"),
    QStringLiteral("      (A.MATRICULA        = :JMATRICULA) AND"),
    QStringLiteral(
        "      (DATA IN (SELECT MAX(DATA) FROM AEROBICA WHERE MATRICULA = :MMATRICULA))"),
};

const QStringList exerciseSql{
    QStringLiteral("SELECT A.MATRICULA, A.CODIGO_EXERCICIO, C.DESCRICAO AS EXERCICIO, A.PROFESSOR, "
                   "A.REPETICOES, C.DESCRICAOABREVIADA, A.REGULAGEM,"),
    QStringLiteral("       A.ORDEM,A.TREINO, A.SERIES, A.PESO, A.INTERVALO, A.OBS, A.DATA, A.DOM, "
                   "A.SEG, A.TER, A.QUA, A.QUI, A.SEX, A.SAB, A.DATA_REAVALIACAO, C.APARELHO "),
    QStringLiteral("FROM TREINO A, EXERCICIOS C "),
    QStringLiteral("WHERE (A.CODIGO_EXERCICIO = C.CODIGO   ) AND"),
    QStringLiteral("      (A.MATRICULA        = :JMATRICULA) AND"),
    QStringLiteral("      (A.TREINO           = :JTREINO   ) AND "),
    QStringLiteral("      (DATA IN (SELECT MAX(DATA) FROM TREINO WHERE (MATRICULA = :MMATRICULA) "
                   "AND (TREINO = :MTREINO)))"),
    QStringLiteral("ORDER BY A.ORDEM"),
};

const QStringList stretchingSql{
    QStringLiteral("SELECT A.*"),
    QStringLiteral("FROM ALONGAMENTO A"),
    QStringLiteral("WHERE ((A.MATRICULA = :JMATRICULA) AND (DATA IN (SELECT MAX(DATA) FROM "
                   "ALONGAMENTO WHERE (MATRICULA = :MMATRICULA) AND (TREINO = :MTREINO))))"),
    QStringLiteral("AND (A.TREINO = :JTREINO )"),
};

void openQuery(QueryDataSet& query, const QStringList& lines, const QString& enrolment,
               const QString& letter) {
    query.close();
    query.sql() = lines;
    query.clearParameters();
    query.setParameter(QStringLiteral("JMATRICULA"), enrolment);
    query.setParameter(QStringLiteral("MMATRICULA"), enrolment);
    if (!letter.isEmpty()) {
        query.setParameter(QStringLiteral("JTREINO"), letter);
        query.setParameter(QStringLiteral("MTREINO"), letter);
    }
    query.open();
}

// A date as the series window shows it; blank when the back office holds one that does not read
// as a date, which must not cost the member his workout.
QString dateText(const DataSet& row, const QString& field,
                 const std::function<QString(QDate)>& format) {
    try {
        return format(row.fieldDateTime(field).date());
    } catch (const DatabaseError&) {
        return {};
    }
}

void readDates(SheetData& sheet, const DataSet& row) {
    sheet.DATA_TREINO = dateText(row, QStringLiteral("DATA"), [](QDate date) {
        return QLocale().toString(date, QStringLiteral("dd / MMMM / yyyy"));
    });
    sheet.DATA_REAVALIACAO_TEXTO =
        dateText(row, QStringLiteral("DATA_REAVALIACAO"),
                 [](QDate date) { return date.toString(QStringLiteral("dd/MM/yyyy")); });
}

Figure figure(const DataSet& row, const QString& field) {
    return {row.fieldText(field), row.fieldFloat(field)};
}

std::optional<QString> textOrNone(const DataSet& row, const QString& field) {
    return row.isNull(field) ? std::nullopt : std::optional(row.fieldText(field));
}

AerobicRow aerobicRow(const DataSet& row) {
    return {row.fieldText(QStringLiteral("CODIGO_EXERCICIO")),
            row.fieldText(QStringLiteral("EXERCICIO")),
            row.fieldText(QStringLiteral("DESCRICAOABREVIADA")),
            figure(row, QStringLiteral("DURACAO")),
            figure(row, QStringLiteral("VELOCIDADE")),
            figure(row, QStringLiteral("NIVEL_DIFICULDADE"))};
}

StrengthRow strengthRow(const DataSet& row) {
    return {row.fieldText(QStringLiteral("CODIGO_EXERCICIO")),
            row.fieldText(QStringLiteral("EXERCICIO")),
            row.fieldText(QStringLiteral("DESCRICAOABREVIADA")),
            row.fieldText(QStringLiteral("APARELHO")),
            row.fieldText(QStringLiteral("PROFESSOR")),
            row.fieldText(QStringLiteral("SERIES")),
            row.fieldText(QStringLiteral("REPETICOES")),
            row.fieldText(QStringLiteral("PESO")),
            row.fieldText(QStringLiteral("REGULAGEM")),
            figure(row, QStringLiteral("INTERVALO")),
            textOrNone(row, QStringLiteral("OBS"))};
}

StretchingRow stretchingRow(const DataSet& row) {
    StretchingRow stretching{textOrNone(row, QStringLiteral("Obs")), {}};
    for (size_t i = 0; i < stretching.Alogamento.size(); ++i) {
        stretching.Alogamento[i] =
            row.fieldBoolean(QStringLiteral("Alogamento_%1").arg(i + 1, 2, 10, QLatin1Char('0')));
    }
    return stretching;
}

template <typename Row> std::vector<Row> allRows(DataSet& query, Row (*read)(const DataSet&)) {
    std::vector<Row> rows;
    for (query.first(); !query.eof(); query.next()) {
        rows.push_back(read(query));
    }
    return rows;
}

} // namespace

WorkoutQueries::WorkoutQueries(Connection& training) {
    for (QueryDataSet* query : all()) {
        query->setConnection(&training);
    }
}

std::array<QueryDataSet*, 3> WorkoutQueries::all() {
    return {&aerobic, &strength, &stretching};
}

Workout WorkoutQueries::fetch(SheetData sheet, bool withDates) {
    const QString& letter = sheet.LETRA_TREINO;
    Workout workout;
    if (letter == QStringLiteral("A")) {
        openQuery(aerobic, aerobicSql, sheet.MATRICULA, QString());
        if (!aerobic.eof()) {
            sheet.DIAS_AEROBICA = weekdaysOf(aerobic);
        }
        workout.aerobic = allRows(aerobic, aerobicRow);
    }
    openQuery(strength, exerciseSql, sheet.MATRICULA, letter);
    if (!strength.eof()) {
        sheet.DIAS_TREINO = weekdaysOf(strength);
        if (withDates) {
            readDates(sheet, strength);
        }
    }
    workout.strength = allRows(strength, strengthRow);
    if (letter == QStringLiteral("A") || !workout.strength.empty()) {
        openQuery(stretching, stretchingSql, sheet.MATRICULA, letter);
        if (!stretching.eof()) {
            workout.stretching = stretchingRow(stretching);
        }
    }
    workout.sheet = std::move(sheet);
    return workout;
}

void WorkoutQueries::close() {
    for (QueryDataSet* query : all()) {
        query->close();
    }
}
