// Fetching a member's latest prescription of one workout, and handing it to the ticket printers
// or to the series window.
#include "SEIMPSERIE40COLUNAS.h"

#include "SEFUNCOES.h"
#include "SEPRINCIPAL.h"
#include "SESERIEVIDEO.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace {

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

} // namespace

void TFRMIMPSERIE40COLUNAS::IMP_SERIE_40_COLUNOS() {
    const SheetData member = m_sheet;
    m_sheet = SheetData{};
    m_sheet.MATRICULA = member.MATRICULA;
    m_sheet.NOME_ALUNO = member.NOME_ALUNO;
    m_sheet.Tempo_Serie = tables.TBLCONTROLE.fieldInteger(QStringLiteral("Tempo_Serie"));
    m_sheet.TEMPO_REAVALIACAO = setting(QStringLiteral("TEMPO_REAVALIACAO"));

    BusyCursor busy;
    queries.QRYAEROBICA.close();
    QueryDataSet* exercises = queries.exerciseQueryOf(EDTTREINO->text());
    if (exercises == nullptr) {
        return;
    }
    const QString enrolment = m_sheet.MATRICULA;
    const QString letter = workoutLetter(EDTTREINO->text().toInt());
    m_sheet.TREINO = EDTTREINO->text();
    m_sheet.LETRA_TREINO = letter;
    const bool workoutA = letter == QStringLiteral("A");
    if (workoutA) {
        queries.openAerobic(enrolment);
        if (!queries.QRYAEROBICA.eof()) {
            m_sheet.DIAS_AEROBICA = weekdaysOf(queries.QRYAEROBICA);
        }
    }
    queries.openExercises(*exercises, enrolment, letter);
    if (workoutA) {
        queries.openStretching(enrolment, letter);
    }
    busy.restore();
    if (exercises->eof()) {
        const QString missing = QStringLiteral("Nenhum TREINO '%1' Cadastrado").arg(letter);
        warn(LBLAVISO, missing, msg::DadoIncorreto, missing);
        return;
    }
    if (!workoutA) {
        queries.openStretching(enrolment, letter);
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
    m_sheet.DATA_TREINO = locale.toString(exercises.fieldDateTime(QStringLiteral("DATA")).date(),
                                          QStringLiteral("dd / MMMM / yyyy"));
    m_sheet.DATA_REAVALIACAO_TEXTO = exercises.fieldDateTime(QStringLiteral("DATA_REAVALIACAO"))
                                         .toString(QStringLiteral("dd/MM/yyyy"));
    m_sheet.DIAS_TREINO = weekdaysOf(exercises);
    m_sheet.NOME_PROFESSOR =
        tables.instructorName(exercises.fieldText(QStringLiteral("PROFESSOR")));
}

void TFRMIMPSERIE40COLUNAS::showSeries() {
    TFRMSERIEVIDEO series(
        *this, m_sheet,
        {queries.QRYAEROBICA, *queries.exerciseQueryOf(m_sheet.TREINO), queries.QRYALONGAMENTO},
        m_owner.ADOConnectionPalendra, m_keypad);
    series.exec();
}

void TFRMIMPSERIE40COLUNAS::IMP_CUPOM() {
    printers.print([this] {
        return readTicketWorkout(m_sheet.MATRICULA, m_sheet.NOME_ALUNO, m_sheet.LETRA_TREINO,
                                 queries.QRYAEROBICA, *queries.exerciseQueryOf(m_sheet.TREINO),
                                 queries.QRYALONGAMENTO);
    });
    EDTMATRICULA->setEnabled(true);
    EDTMATRICULA->setFocus();
}
