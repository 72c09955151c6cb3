// Fetching a member's latest prescription of one workout, and handing it to the ticket or to
// the series window.
#include "SEIMPSERIE40COLUNAS.h"

#include "SEFUNCOES.h"
#include "SESERIEVIDEO.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

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

const QString workoutLetters = QStringLiteral("ABCDE");

WeekdayFlags weekdaysOf(const DataSet& row) {
    WeekdayFlags days{};
    int day = 0;
    for (const char* name : {"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SAB"}) {
        days[static_cast<size_t>(day++)] = row.fieldBoolean(QString::fromLatin1(name));
    }
    return days;
}

// The busy cursor while the queries run, given back however they end.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { restore(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void restore() {
        if (m_busy) {
            m_busy = false;
            QApplication::restoreOverrideCursor();
        }
    }

private:
    bool m_busy = true;
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

QueryDataSet* TFRMIMPSERIE40COLUNAS::exerciseQueryOf(const QString& digit) {
    QueryDataSet* const queries[] = {&QRYEXERCICIOS, &QRYEXERCICIOS1, &QRYEXERCICIOS2,
                                     &QRYEXERCICIOS3, &QRYEXERCICIOS4};
    if (digit.size() != 1 || digit[0] < QLatin1Char('1') || digit[0] > QLatin1Char('5')) {
        return nullptr;
    }
    return queries[digit[0].unicode() - '1'];
}

void TFRMIMPSERIE40COLUNAS::IMP_SERIE_40_COLUNOS() {
    NOME_ALUNO = LBLNOME->text();
    NOME_PROFESSOR.clear();
    DATA_TREINO.clear();
    DATA_REAVALIACAO_TEXTO.clear();
    DIAS_AEROBICA = {};
    DIAS_TREINO = {};

    BusyCursor busy;
    QRYAEROBICA.close();
    QueryDataSet* exercises = exerciseQueryOf(EDTTREINO->text());
    if (exercises == nullptr) {
        return;
    }
    const QString enrolment = EDTMATRICULA->text();
    const QString letter = workoutLetters.at(EDTTREINO->text()[0].unicode() - '1');
    const bool workoutA = letter == QStringLiteral("A");
    if (workoutA) {
        openQuery(QRYAEROBICA, aerobicSql, enrolment, QString());
        if (!QRYAEROBICA.eof()) {
            DIAS_AEROBICA = weekdaysOf(QRYAEROBICA);
        }
    }
    openQuery(*exercises, exerciseSql, enrolment, letter);
    if (workoutA) {
        openQuery(QRYALONGAMENTO, stretchingSql, enrolment, letter);
    }
    busy.restore();
    if (exercises->eof()) {
        const QString missing = QStringLiteral("Nenhum TREINO '%1' Cadastrado").arg(letter);
        warn(LBLAVISO, missing, msg::DadoIncorreto, missing);
        return;
    }
    if (!workoutA) {
        openQuery(QRYALONGAMENTO, stretchingSql, enrolment, letter);
    }
    const bool onScreen = setting(QStringLiteral("SERIEEMVIDEO")) == QStringLiteral("Sim");
    if (workoutA || onScreen) {
        fillSeriesData(*exercises);
    }
    if (!onScreen) {
        IMP_CUPOM();
        return;
    }
    showSeries();
    QCoreApplication::processEvents();
}

void TFRMIMPSERIE40COLUNAS::fillSeriesData(const QueryDataSet& exercises) {
    const QLocale locale;
    DATA_TREINO = locale.toString(exercises.fieldDateTime(QStringLiteral("DATA")).date(),
                                  QStringLiteral("dd / MMMM / yyyy"));
    DATA_REAVALIACAO_TEXTO = exercises.fieldDateTime(QStringLiteral("DATA_REAVALIACAO"))
                                 .toString(QStringLiteral("dd/MM/yyyy"));
    DIAS_TREINO = weekdaysOf(exercises);
    NOME_PROFESSOR = instructorName(exercises.fieldText(QStringLiteral("PROFESSOR")));
}

QString TFRMIMPSERIE40COLUNAS::instructorName(const QString& staffCode) {
    TBLFUNCSEEK.close();
    TBLFUNCSEEK.setCommandText(
        QStringLiteral("SELECT nome FROM FUNCIONARIOS WHERE MATRICULA = :MATRICULA"));
    TBLFUNCSEEK.setParameter(QStringLiteral("MATRICULA"), staffCode);
    TBLFUNCSEEK.open();
    const QString name = TBLFUNCSEEK.eof() ? QStringLiteral("Excluído")
                                           : TBLFUNCSEEK.fieldText(QStringLiteral("nome"));
    TBLFUNCSEEK.close();
    return name;
}

void TFRMIMPSERIE40COLUNAS::showSeries() {
    TFRMSERIEVIDEO series(*this, m_keypad);
    series.exec();
}
