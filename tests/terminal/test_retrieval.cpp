// Fetching the chosen workout: the latest prescription, what is handed on, what is refused.
#include "KioskFixture.h"
#include "ModalWindow.h"

#include <QLabel>
#include <QTest>

namespace {

int rowsOf(DataSet& query) {
    int rows = 0;
    for (query.first(); !query.eof(); query.next()) {
        ++rows;
    }
    return rows;
}

class Retrieval : public KioskTest {
protected:
    // Finds member 42 and asks for a workout digit.
    TFRMIMPSERIE40COLUNAS& fetch(const QString& digit) {
        TFRMIMPSERIE40COLUNAS& k = kiosk ? *kiosk : openKiosk();
        enter(k.EDTMATRICULA, QStringLiteral("42"));
        enter(k.EDTTREINO, digit);
        return k;
    }
};

TEST_F(Retrieval, WorkoutAGetsTheNewestRowsInOrderWithAerobicAndStretching) {
    TFRMIMPSERIE40COLUNAS& k = fetch(QStringLiteral("1"));
    EXPECT_EQ(rowsOf(k.queries.QRYEXERCICIOS), 2);
    k.queries.QRYEXERCICIOS.first();
    EXPECT_EQ(k.queries.QRYEXERCICIOS.fieldText(QStringLiteral("CODIGO_EXERCICIO")),
              QStringLiteral("101"));
    EXPECT_EQ(k.queries.QRYEXERCICIOS.fieldText(QStringLiteral("EXERCICIO")),
              QStringLiteral("Supino Reto"));
    EXPECT_EQ(k.queries.QRYEXERCICIOS.fieldText(QStringLiteral("APARELHO")), QStringLiteral("012"));
    EXPECT_EQ(rowsOf(k.queries.QRYAEROBICA), 1);
    EXPECT_EQ(rowsOf(k.queries.QRYALONGAMENTO), 1);
    // Taken from the first row in ORDEM order, even for a ticket.
    EXPECT_EQ(kiosk->sheetData().NOME_ALUNO, QStringLiteral("Zé da Silva"));
    EXPECT_EQ(kiosk->sheetData().DATA_TREINO, QStringLiteral("05 / março / 2026"));
    EXPECT_EQ(kiosk->sheetData().DATA_REAVALIACAO_TEXTO, QStringLiteral("05/06/2026"));
    EXPECT_EQ(kiosk->sheetData().NOME_PROFESSOR, QStringLiteral("Ana Instrutora"));
    EXPECT_EQ(kiosk->sheetData().DIAS_TREINO,
              (WeekdayFlags{true, true, false, false, false, false, false}));
    EXPECT_EQ(kiosk->sheetData().DIAS_AEROBICA,
              (WeekdayFlags{false, false, false, false, false, true, true}));
    EXPECT_TRUE(k.EDTMATRICULA->isEnabled());
    EXPECT_TRUE(k.LBLNOME->text().isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Retrieval, OtherWorkoutsLeaveTheAerobicQueryClosedAndFillNothingForATicket) {
    TFRMIMPSERIE40COLUNAS& k = fetch(QStringLiteral("1"));
    fetch(QStringLiteral("3"));
    EXPECT_FALSE(k.queries.QRYAEROBICA.isOpen());
    EXPECT_EQ(rowsOf(k.queries.QRYEXERCICIOS2), 1);
    EXPECT_EQ(rowsOf(k.queries.QRYALONGAMENTO), 0);
    EXPECT_TRUE(kiosk->sheetData().DATA_TREINO.isEmpty());
    EXPECT_TRUE(kiosk->sheetData().NOME_PROFESSOR.isEmpty());
    EXPECT_EQ(kiosk->sheetData().DIAS_AEROBICA, WeekdayFlags{});
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
    EXPECT_EQ(kiosk->sheetData().NOME_PROFESSOR, QStringLiteral("Excluído"));
    EXPECT_EQ(kiosk->sheetData().DATA_TREINO, QStringLiteral("01 / fevereiro / 2026"));
    EXPECT_EQ(kiosk->sheetData().DATA_REAVALIACAO_TEXTO,
              QStringLiteral("30/12/1899")); // a null date
    onModal<ModalWindow>(closeSeries);
    fetch(QStringLiteral("4")); // an empty instructor code finds nobody, and is no error
    EXPECT_EQ(kiosk->sheetData().NOME_PROFESSOR, QStringLiteral("Excluído"));
    EXPECT_EQ(seriesShown, 2);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Retrieval, AMissingWorkoutIsReportedByBoxOrByTheKeypadsLabel) {
    fetch(QStringLiteral("2"));
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Dado INCORRETO ! Nenhum TREINO 'B' Cadastrado")});
    EXPECT_TRUE(kiosk->EDTMATRICULA->isEnabled());
    kiosk.reset();
    messages.clear();
    setSetting(QStringLiteral("PINPAD"), QStringLiteral("'COM3'"));
    openKiosk().MPAD_KEYPRESS = false; // as the keypad handler does around its calls
    TFRMIMPSERIE40COLUNAS& k = fetch(QStringLiteral("5"));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(k.LBLAVISO->text(), QStringLiteral("Nenhum TREINO 'E' Cadastrado"));
    EXPECT_EQ(pauses.pauses(), std::vector<int>{2000});
}

TEST_F(Retrieval, ServesTheNextMemberAfterTheDatabaseConnectionWasReplaced) {
    TFRMIMPSERIE40COLUNAS& k = fetch(QStringLiteral("1"));
    main->ADOConnectionPalendra.close(); // what the heartbeat does when it reconnects
    main->ADOConnectionPalendra.open();
    EXPECT_FALSE(k.queries.QRYEXERCICIOS.isOpen());
    fetch(QStringLiteral("1"));
    EXPECT_EQ(rowsOf(k.queries.QRYEXERCICIOS), 2);
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
