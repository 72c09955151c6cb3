#pragma once

#include "Database.h"
#include "ModalWindow.h"
#include "Workout.h"

#include <array>
#include <optional>

class KeypadSession;
class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTimer;
class SerialPort;
class DataGrid;

// A member's workout on screen instead of on paper: the aerobic prescription (workout A), the
// strength workout with its weekdays, the stretching positions. A double click or Enter on a row
// plays that exercise's video. The window closes on Esc or after an idle time-out.
class SeriesWindow : public ModalWindow {
public:
    // Shows the workout; an exercise's video is looked up in catalogue. While it is open the
    // window reads the kiosk's keypad, when there is one, through a session of its own.
    SeriesWindow(QWidget& owner, const Workout& workout, Connection& catalogue,
                 KeypadSession* kioskKeypad = nullptr);
    ~SeriesWindow() override;

    // Fills the window from the workout. A workout digit or a re-assessment setting that is no
    // integer raises ConversionError there, and the rest is not shown.
    void firstShown();

    // Keys typed on the grids and the memo (27 Esc, 13 Enter, else the character).
    void aerobicGridKey(QChar key);
    void playAerobicRow();
    void strengthGridKey(DataGrid& sender, QChar key);
    void playStrengthRow(DataGrid& sender);
    void stretchingKey(QChar key);
    void windowKey(QChar key);
    void idleTimedOut();

    // Starts the idle time-out again with its full interval; a time-out of 0 never runs.
    void startIdleTimeOut();

    // Header.
    QLabel* enrolmentCaption = nullptr;
    QLabel* enrolment = nullptr;
    QLabel* nameCaption = nullptr;
    QLabel* memberName = nullptr;
    QLabel* instructorCaption = nullptr;
    QLabel* instructor = nullptr;
    QLabel* startDateCaption = nullptr;
    QLabel* startDate = nullptr;
    QLabel* headerRule = nullptr;

    // Aerobic section.
    QFrame* aerobicPanel = nullptr;
    QLabel* aerobicHeading = nullptr;
    QLabel* aerobicDaysCaption = nullptr;
    std::array<QLabel*, 7> aerobicDays{}; // Sunday to Saturday
    DataGrid* aerobicGrid = nullptr;

    // Strength and stretching section.
    QFrame* strengthPanel = nullptr;
    QLabel* strengthHeading = nullptr;
    QLabel* workoutCaption = nullptr;
    QLabel* workoutName = nullptr;
    QLabel* strengthDaysCaption = nullptr;
    std::array<QLabel*, 7> strengthDays{}; // Sunday to Saturday
    QLabel* reassessmentCaption = nullptr;
    QLabel* reassessmentDate = nullptr;
    // One grid a workout, A to E.
    std::array<DataGrid*, 5> strengthGrid{};
    QLabel* stretchingPicture = nullptr;
    std::array<QCheckBox*, 23> stretchingPositions{}; // Alogamento_01 ... Alogamento_23
    QPlainTextEdit* stretchingNotes = nullptr;

    QTimer* idleTimer = nullptr;
    CommandDataSet exerciseLookup;

    // The keypad while this window is open, when there is one (else null): "*" or "#" closes the
    // window, other keys are ignored.
    SerialPort* keypadPort = nullptr;
    void keypadBytesReceived(QObject* sender, int count);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closing() override;

private:
    void createHeader();
    void createAerobicSection();
    void createExerciseSection();
    void createStretching();
    DataGrid* createGrid(QWidget* parent, const QRect& geometry, bool aerobic);
    void showStretching();
    // Plays the video of the current row's exercise; type "S" aerobic, "N" strength.
    void lookUpVideo(const DataGrid& grid, const QString& type);
    // The video path of the current row's exercise; none when it has none.
    std::optional<QString> videoPathOf(const DataGrid& grid, const QString& type);

    // The kiosk's keypad port is this window's while it is open.
    void createKeypad(KeypadSession* kioskKeypad);
    void takeKeypadOver();
    void giveKeypadBack();

    const Workout m_workout;
    KeypadSession* m_kioskKeypad = nullptr;
    KeypadSession* m_keypad = nullptr;
    QWidget* m_page = nullptr; // the 1024 x 730 layout, centred in the window
};
