// The workout on screen: what the series window shows for each workout, the video look-up of its
// rows and its idle time-out.
#include "DataGrid.h"
#include "DataLink.h"
#include "KioskFixture.h"
#include "SeriesWindow.h"
#include "TextHelpers.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <climits>

#include <sys/stat.h>

namespace {

const QColor red(255, 0, 0);
const QColor titleColour(0, 128, 255);
const QColor fixedColour(215, 237, 251);
const QString missingVideo = QStringLiteral("Arquivo Video inexistente !\r Windows Media Player");

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

QStringList codesOf(const DataGrid& grid) {
    QStringList codes;
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
        codes << grid.model()
                     ->index(row, static_cast<const GridRowsModel*>(grid.model())
                                      ->fieldIndex(QStringLiteral("CODIGO_EXERCICIO")))
                     .data()
                     .toString();
    }
    return codes;
}

// A pixel of the grid as painted, in the grid's own coordinates.
QColor pixelOf(DataGrid& grid, QPoint where) {
    return grid.grab().toImage().pixelColor(where);
}

class Series : public KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        setSetting(QStringLiteral("SERIEEMVIDEO"), QStringLiteral("'Sim'"));
        setSetting(QStringLiteral("Tempo_Serie"), QStringLiteral("60"));
    }

    // Fetches a workout of member 42; action runs on the series window once it is up.
    void showWorkout(const QString& digit, std::function<void(SeriesWindow&)> action) {
        onModal<SeriesWindow>(std::move(action));
        KioskWindow& k = kiosk ? *kiosk : openKiosk();
        enter(k.enrolmentEdit, QStringLiteral("42"));
        enter(k.workoutEdit, digit);
        EXPECT_TRUE(noWindowOf<SeriesWindow>());
    }
};

TEST_F(Series, WorkoutAShowsAerobicWeekdaysStrengthAndStretching) {
    palendra({QStringLiteral("UPDATE ALONGAMENTO SET Alogamento_02 = TRUE, Alogamento_23 = TRUE")});
    bool shown = false;
    showWorkout(QStringLiteral("1"), [&](SeriesWindow& s) {
        shown = true;
        EXPECT_EQ(s.enrolment->text(), QStringLiteral("0000000042"));
        EXPECT_EQ(s.memberName->text(), QStringLiteral("Zé da Silva"));
        EXPECT_EQ(s.instructor->text(), QStringLiteral("Ana Instrutora"));
        EXPECT_EQ(s.startDate->text(), QStringLiteral("05 / março / 2026"));
        EXPECT_TRUE(s.aerobicPanel->isVisible());
        EXPECT_EQ(s.strengthPanel->y(), 230);
        for (int day = 0; day < 7; ++day) {
            EXPECT_EQ(textColour(s.aerobicDays[day]) == red, day >= 5) << day;  // Friday, Saturday
            EXPECT_EQ(textColour(s.strengthDays[day]) == red, day <= 1) << day; // Sunday, Monday
        }
        EXPECT_EQ(s.workoutName->text(), QStringLiteral("A"));
        EXPECT_EQ(s.reassessmentDate->text(), QStringLiteral("05/06/2026"));
        EXPECT_TRUE(s.strengthGrid[0]->isVisible());
        for (int i = 1; i < 5; ++i) {
            EXPECT_FALSE(s.strengthGrid[i]->isVisible());
        }
        EXPECT_EQ(codesOf(*s.strengthGrid[0]), (QStringList{"101", "102"}));
        EXPECT_EQ(codesOf(*s.aerobicGrid), QStringList{"201"});
        EXPECT_EQ(s.strengthGrid[0]->currentFieldText(QStringLiteral("EXERCICIO")),
                  QStringLiteral("Supino Reto"));
        EXPECT_TRUE(s.stretchingPositions[1]->isChecked());
        EXPECT_TRUE(s.stretchingPositions[22]->isChecked());
        EXPECT_FALSE(s.stretchingPositions[0]->isChecked());
        EXPECT_EQ(s.stretchingNotes->toPlainText(), QStringLiteral("Manter 20 segundos"));
        EXPECT_TRUE(s.idleTimer->isActive());
        EXPECT_EQ(s.idleTimer->interval(), 60000);

        // Data cells in their column's title colour; the indicator column in the fixed colour.
        DataGrid& grid = *s.strengthGrid[0];
        const QPoint viewport = grid.viewport()->geometry().topLeft();
        const QRect cell = grid.visualRect(cellOf(grid, 1));
        EXPECT_EQ(pixelOf(grid, viewport + cell.bottomLeft() + QPoint(2, -2)), titleColour);
        const QPoint indicator = grid.verticalHeader()->geometry().topLeft() +
                                 QPoint(2, grid.rowViewportPosition(1) + 2);
        EXPECT_EQ(pixelOf(grid, indicator), fixedColour);
        QTest::keyClick(s.stretchingNotes, Qt::Key_Escape);
    });
    EXPECT_TRUE(shown);
}

TEST_F(Series, WorkoutCMovesTheStrengthSectionUpAndHidesTheReassessmentDate) {
    setSetting(QStringLiteral("TEMPO_REAVALIACAO"), QStringLiteral("'0'"));
    bool shown = false;
    showWorkout(QStringLiteral("3"), [&](SeriesWindow& s) {
        shown = true;
        EXPECT_FALSE(s.aerobicPanel->isVisible());
        EXPECT_EQ(s.strengthPanel->y(), 46);
        EXPECT_EQ(s.workoutName->text(), QStringLiteral("C"));
        EXPECT_TRUE(s.strengthGrid[2]->isVisible());
        EXPECT_FALSE(s.strengthGrid[0]->isVisible());
        EXPECT_EQ(codesOf(*s.strengthGrid[2]), QStringList{"102"});
        EXPECT_EQ(s.reassessmentDate->text(), QStringLiteral("    /       /"));
        EXPECT_TRUE(s.stretchingNotes->toPlainText().isEmpty());
        QTest::keyClick(s.strengthGrid[2], Qt::Key_Escape);
    });
    EXPECT_TRUE(shown);
}

TEST_F(Series, EnterAndDoubleClickLookUpTheCodeOfTheirRow) {
    setVideo(QStringLiteral("101"), QString());
    setVideo(QStringLiteral("102"), QDir(folder()).filePath(QStringLiteral("gone.wmv")));
    setVideo(QStringLiteral("201"), QDir(folder()).filePath(QStringLiteral("gone.avi")),
             QStringLiteral("S"));
    showWorkout(QStringLiteral("1"), [&](SeriesWindow& s) {
        DataGrid& grid = *s.strengthGrid[0];
        // No path: nothing shown, and the idle time-out runs again.
        doubleClickRow(grid, 0);
        EXPECT_TRUE(messages.texts().isEmpty());
        EXPECT_TRUE(s.idleTimer->isActive());
        grid.setCurrentIndex(cellOf(grid, 1));
        QTest::keyClick(&grid, Qt::Key_Return);
        EXPECT_EQ(messages.texts(), QStringList{missingVideo});
        EXPECT_TRUE(s.idleTimer->isActive());
        // The aerobic grid looks among the aerobic exercises.
        QTest::keyClick(s.aerobicGrid, Qt::Key_Return);
        EXPECT_EQ(messages.texts(), (QStringList{missingVideo, missingVideo}));
        EXPECT_TRUE(s.isVisible());
        s.close();
    });
}

// The player would wait for ever on a FIFO nobody writes to.
TEST_F(Series, AFifoIsNoVideoAndTheWindowNeverFreezes) {
    const QString fifo = QDir(folder()).filePath(QStringLiteral("pipe.mp4"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    setVideo(QStringLiteral("101"), fifo);
    qint64 longestFreeze = -1;
    showWorkout(QStringLiteral("1"), [&](SeriesWindow& s) {
        FreezeMeter freeze;
        doubleClickRow(*s.strengthGrid[0], 0);
        QTest::qWait(50); // the meter's next turn
        longestFreeze = freeze.longestMs();
        EXPECT_EQ(messages.texts(), QStringList{missingVideo});
        EXPECT_TRUE(s.idleTimer->isActive());
        s.close();
    });
    EXPECT_GE(longestFreeze, 0);
    EXPECT_LT(longestFreeze, 1000);
    RecordProperty("fifo_longest_freeze_ms", static_cast<int>(longestFreeze));
}

TEST_F(Series, LettersAndDigitsDoNotMoveTheCurrentRowArrowsDo) {
    showWorkout(QStringLiteral("1"), [&](SeriesWindow& s) {
        DataGrid& grid = *s.strengthGrid[0];
        grid.setCurrentIndex(cellOf(grid, 0));
        QTest::keyClicks(&grid, QStringLiteral("L1")); // "Leg Press" is the second row
        EXPECT_EQ(grid.currentIndex().row(), 0);
        QTest::keyClick(&grid, Qt::Key_Down);
        EXPECT_EQ(grid.currentIndex().row(), 1);
        QTest::keyClick(&grid, Qt::Key_PageUp);
        EXPECT_EQ(grid.currentIndex().row(), 0);
        s.close();
    });
}

TEST_F(Series, AVideoLookUpWhoseQueryFailsLeavesTheIdleTimeOutRunning) {
    showWorkout(QStringLiteral("1"), [&](SeriesWindow& s) {
        s.exerciseLookup.setConnectionString(
            platform::dataLinkConnectionString(folder(), QStringLiteral("missing.udl")));
        QChar enterKey(13);
        EXPECT_ANY_THROW(s.strengthGridKey(*s.strengthGrid[0], enterKey));
        EXPECT_TRUE(s.idleTimer->isActive());
        s.close();
    });
}

TEST_F(Series, IdleTimeOutClosesTheWindowButNeverWithZero) {
    for (const char* never : {"0", "-5"}) {
        setSetting(QStringLiteral("Tempo_Serie"), QString::fromLatin1(never));
        showWorkout(QStringLiteral("3"), [&](SeriesWindow& s) {
            EXPECT_FALSE(s.idleTimer->isActive()) << never;
            s.close();
        });
        kiosk.reset();
    }
    // 1000 times it is beyond a timer's range: the longest wait, never a short or negative one.
    setSetting(QStringLiteral("Tempo_Serie"), QStringLiteral("4294968"));
    showWorkout(QStringLiteral("3"), [&](SeriesWindow& s) {
        EXPECT_TRUE(s.idleTimer->isActive());
        EXPECT_EQ(s.idleTimer->interval(), INT_MAX);
        s.close();
    });
    kiosk.reset();
    setSetting(QStringLiteral("Tempo_Serie"), QStringLiteral("2"));
    QElapsedTimer open;
    showWorkout(QStringLiteral("3"), [&](SeriesWindow& s) {
        EXPECT_EQ(s.idleTimer->interval(), 2000);
        EXPECT_TRUE(s.idleTimer->isActive());
        s.idleTimer->start(30); // the same timer, shortened
        open.start();
    });
    EXPECT_LT(open.elapsed(), 1000);
}

TEST_F(Series, AWorkoutDigitOrReassessmentSettingThatIsNoIntegerRaises) {
    KioskWindow& k = openKiosk();
    Workout workout;
    SheetData& sheet = workout.sheet;
    sheet.TREINO = QStringLiteral("x");
    sheet.TEMPO_REAVALIACAO = QStringLiteral("30");
    {
        SeriesWindow series(k, workout, main->trainingDb);
        EXPECT_THROW(series.firstShown(), ConversionError);
        EXPECT_TRUE(series.workoutName->text().isEmpty());
    }
    sheet.TREINO = QStringLiteral("2");
    sheet.LETRA_TREINO = QStringLiteral("B");
    sheet.TEMPO_REAVALIACAO = QStringLiteral("3a");
    SeriesWindow series(k, workout, main->trainingDb);
    EXPECT_THROW(series.firstShown(), ConversionError);
    EXPECT_EQ(series.workoutName->text(), QStringLiteral("B"));
    EXPECT_TRUE(series.reassessmentDate->text().isEmpty());
}

} // namespace
