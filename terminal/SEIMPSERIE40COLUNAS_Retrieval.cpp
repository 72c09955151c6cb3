// Fetching a member's latest prescription of one workout, and handing it to the ticket printers
// or to the series window.
#include "SEIMPSERIE40COLUNAS.h"

#include "SEFUNCOES.h"
#include "SEPRINCIPAL.h"
#include "SESERIEVIDEO.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

void TFRMIMPSERIE40COLUNAS::IMP_SERIE_40_COLUNOS() {
    m_sheet = SheetData::ofMember(m_sheet.MATRICULA, m_sheet.NOME_ALUNO);
    m_sheet.Tempo_Serie = tables.TBLCONTROLE.fieldInteger(QStringLiteral("Tempo_Serie"));
    m_sheet.TEMPO_REAVALIACAO = setting(QStringLiteral("TEMPO_REAVALIACAO"));

    queries.QRYAEROBICA.close();
    QueryDataSet* exercises = queries.exerciseQueryOf(EDTTREINO->text());
    if (exercises == nullptr) {
        return;
    }
    const QString letter = workoutLetter(EDTTREINO->text().toInt());
    m_sheet.TREINO = EDTTREINO->text();
    m_sheet.LETRA_TREINO = letter;
    const bool workoutA = letter == QStringLiteral("A");
    const bool onScreen = setting(QStringLiteral("SERIEEMVIDEO")) == QStringLiteral("Sim");
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        // The workout's queries and its instructor have one deadline together.
        const ActionDeadline action(memberActionLimit);
        queries.fetch(*exercises, m_sheet.MATRICULA, letter);
        if (!exercises->eof() && (workoutA || onScreen)) {
            m_sheet.readExerciseRow(*exercises);
            m_sheet.NOME_PROFESSOR =
                tables.instructorName(exercises->fieldText(QStringLiteral("PROFESSOR")));
        }
    }
    if (workoutA && !queries.QRYAEROBICA.eof()) {
        m_sheet.DIAS_AEROBICA = weekdaysOf(queries.QRYAEROBICA);
    }
    if (exercises->eof()) {
        const QString missing = QStringLiteral("Nenhum TREINO '%1' Cadastrado").arg(letter);
        warn(LBLAVISO, missing, msg::DadoIncorreto, missing);
        return;
    }
    if (!onScreen) {
        IMP_CUPOM();
        return;
    }
    showSeries();
    QCoreApplication::processEvents();
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
