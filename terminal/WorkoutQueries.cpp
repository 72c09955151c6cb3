#include "WorkoutQueries.h"

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

} // namespace

WorkoutQueries::WorkoutQueries(Connection& training) {
    for (QueryDataSet* query : all()) {
        query->setConnection(&training);
    }
}

std::array<QueryDataSet*, 7> WorkoutQueries::all() {
    return {&QRYAEROBICA,    &QRYEXERCICIOS,  &QRYEXERCICIOS1, &QRYEXERCICIOS2,
            &QRYEXERCICIOS3, &QRYEXERCICIOS4, &QRYALONGAMENTO};
}

QueryDataSet* WorkoutQueries::exerciseQueryOf(const QString& digit) {
    QueryDataSet* const queries[] = {&QRYEXERCICIOS, &QRYEXERCICIOS1, &QRYEXERCICIOS2,
                                     &QRYEXERCICIOS3, &QRYEXERCICIOS4};
    if (digit.size() != 1 || digit[0] < QLatin1Char('1') || digit[0] > QLatin1Char('5')) {
        return nullptr;
    }
    return queries[digit[0].unicode() - '1'];
}

void WorkoutQueries::fetch(QueryDataSet& exercises, const QString& enrolment,
                           const QString& letter) {
    const bool workoutA = letter == QStringLiteral("A");
    if (workoutA) {
        openQuery(QRYAEROBICA, aerobicSql, enrolment, QString());
    }
    openQuery(exercises, exerciseSql, enrolment, letter);
    if (workoutA || !exercises.eof()) {
        openQuery(QRYALONGAMENTO, stretchingSql, enrolment, letter);
    }
}

void WorkoutQueries::close() {
    for (QueryDataSet* query : all()) {
        query->close();
    }
}
