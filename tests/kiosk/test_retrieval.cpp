// Fetching the chosen workout: the latest prescription, what is handed on, what is refused.
#include "KioskFixture.h"
#include "ModalWindow.h"

#include <QLabel>
#include <QTest>

namespace {

class Retrieval : public KioskTest {
protected:
    // Finds member 42 and asks for a workout digit.
    KioskWindow& fetch(const QString& digit) {
        KioskWindow& k = kiosk ? *kiosk : openKiosk();
        enter(k.enrolmentEdit, QStringLiteral("42"));
        enter(k.workoutEdit, digit);
        return k;
    }
};

TEST_F(Retrieval, WorkoutAGetsTheNewestRowsInOrderWithAerobicAndStretching) {
    KioskWindow& k = fetch(QStringLiteral("1"));
    const Workout& workout = k.workout();
    ASSERT_EQ(workout.strength.size(), 2u);
    EXPECT_EQ(workout.strength[0].CODIGO_EXERCICIO, QStringLiteral("101"));
    EXPECT_EQ(workout.strength[0].EXERCICIO, QStringLiteral("Supino Reto"));
    EXPECT_EQ(workout.strength[0].APARELHO, QStringLiteral("012"));
    EXPECT_EQ(workout.aerobic.size(), 1u);
    EXPECT_TRUE(workout.stretching);
    // Taken from the first row in ORDEM order, even for a ticket.
    EXPECT_EQ(workout.sheet.NOME_ALUNO, QStringLiteral("Zé da Silva"));
    EXPECT_EQ(workout.sheet.DATA_TREINO, QStringLiteral("05 / março / 2026"));
    EXPECT_EQ(workout.sheet.DATA_REAVALIACAO_TEXTO, QStringLiteral("05/06/2026"));
    EXPECT_EQ(workout.sheet.NOME_PROFESSOR, QStringLiteral("Ana Instrutora"));
    EXPECT_EQ(workout.sheet.DIAS_TREINO,
              (WeekdayFlags{true, true, false, false, false, false, false}));
    EXPECT_EQ(workout.sheet.DIAS_AEROBICA,
              (WeekdayFlags{false, false, false, false, false, true, true}));
    EXPECT_TRUE(k.enrolmentEdit->isEnabled());
    EXPECT_TRUE(k.memberName->text().isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Retrieval, OtherWorkoutsHaveNoAerobicRowsAndFillNothingForATicket) {
    fetch(QStringLiteral("1"));
    const Workout& workout = fetch(QStringLiteral("3")).workout();
    EXPECT_TRUE(workout.aerobic.empty());
    EXPECT_EQ(workout.strength.size(), 1u);
    EXPECT_FALSE(workout.stretching);
    EXPECT_TRUE(kiosk->workout().sheet.DATA_TREINO.isEmpty());
    EXPECT_TRUE(kiosk->workout().sheet.NOME_PROFESSOR.isEmpty());
    EXPECT_EQ(kiosk->workout().sheet.DIAS_AEROBICA, WeekdayFlags{});
}

TEST_F(Retrieval, OnScreenTheSeriesDataAndInstructorAreLookedUp) {
    setSetting(QStringLiteral("SERIEEMVIDEO"), QStringLiteral("'Sim'"));
    int seriesShown = 0;
    auto closeSeries = [&](ModalWindow& series) {
        ++seriesShown;
        EXPECT_EQ(series.windowTitle(), QStringLiteral("Série Video "));
        series.close();
    };
    onModal<ModalWindow>(closeSeries);
    fetch(QStringLiteral("3")); // an instructor no longer on the staff
    EXPECT_EQ(kiosk->workout().sheet.NOME_PROFESSOR, QStringLiteral("Excluído"));
    EXPECT_EQ(kiosk->workout().sheet.DATA_TREINO, QStringLiteral("01 / fevereiro / 2026"));
    EXPECT_EQ(kiosk->workout().sheet.DATA_REAVALIACAO_TEXTO,
              QStringLiteral("30/12/1899")); // a null date
    onModal<ModalWindow>(closeSeries);
    fetch(QStringLiteral("4")); // an empty instructor code finds nobody, and is no error
    EXPECT_EQ(kiosk->workout().sheet.NOME_PROFESSOR, QStringLiteral("Excluído"));
    EXPECT_EQ(seriesShown, 2);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Retrieval, AMissingWorkoutIsReportedByBoxOrByTheKeypadsLabel) {
    fetch(QStringLiteral("2"));
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Dado INCORRETO ! Nenhum TREINO 'B' Cadastrado")});
    EXPECT_TRUE(kiosk->enrolmentEdit->isEnabled());
    kiosk.reset();
    messages.clear();
    setSetting(QStringLiteral("PINPAD"), QStringLiteral("'COM3'"));
    openKiosk().keypadTyping = false; // as the keypad handler does around its calls
    KioskWindow& k = fetch(QStringLiteral("5"));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(k.warning->text(), QStringLiteral("Nenhum TREINO 'E' Cadastrado"));
    EXPECT_EQ(pauses.pauses(), std::vector<int>{2000});
}

TEST_F(Retrieval, ServesTheNextMemberAfterTheDatabaseConnectionWasReplaced) {
    KioskWindow& k = fetch(QStringLiteral("1"));
    main->trainingDb.close(); // what the heartbeat does when it reconnects
    main->trainingDb.open();
    fetch(QStringLiteral("1"));
    EXPECT_EQ(k.workout().strength.size(), 2u);
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
