// Fetching a member's latest prescription of one workout, and handing it to the ticket printers
// or to the series window.
#include "KioskWindow.h"

#include "MainWindow.h"
#include "Messages.h"
#include "SeriesWindow.h"
#include "TextHelpers.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

void KioskWindow::serveWorkout() {
    m_workout = Workout::ofMember(m_workout.sheet.MATRICULA, m_workout.sheet.NOME_ALUNO);
    SheetData sheet = m_workout.sheet;
    sheet.Tempo_Serie = tables.settings.fieldInteger(QStringLiteral("Tempo_Serie"));
    sheet.TEMPO_REAVALIACAO = setting(QStringLiteral("TEMPO_REAVALIACAO"));

    const QString digit = workoutEdit->text();
    const QString letter = digit.size() == 1 ? workoutLetter(digit.toInt()) : QString();
    if (letter.isEmpty()) {
        return;
    }
    sheet.TREINO = digit;
    sheet.LETRA_TREINO = letter;
    const bool onScreen = setting(QStringLiteral("SERIEEMVIDEO")) == QStringLiteral("Sim");
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        // The workout's queries and its instructor have one deadline together.
        const ActionDeadline action(memberActionLimit);
        const bool forSheet = letter == QStringLiteral("A") || onScreen;
        m_workout = queries.fetch(sheet, forSheet);
        if (!m_workout.strength.empty() && forSheet) {
            m_workout.sheet.NOME_PROFESSOR =
                tables.instructorName(m_workout.strength.front().PROFESSOR);
        }
    }
    if (m_workout.strength.empty()) {
        const QString missing = QStringLiteral("Nenhum TREINO '%1' Cadastrado").arg(letter);
        warn(warning, missing, msg::DadoIncorreto, missing);
        return;
    }
    if (!onScreen) {
        printTicket();
        return;
    }
    showSeries();
    QCoreApplication::processEvents();
}

void KioskWindow::showSeries() {
    SeriesWindow series(*this, m_workout, m_owner.trainingDb, m_keypad);
    series.exec();
}

void KioskWindow::printTicket() {
    printers.print(m_workout);
    enrolmentEdit->setEnabled(true);
    enrolmentEdit->setFocus();
}
