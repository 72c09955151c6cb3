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
class TDBGrid;

// A member's workout on screen instead of on paper: the aerobic prescription (workout A), the
// strength workout with its weekdays, the stretching positions. A double click or Enter on a row
// plays that exercise's video. The window closes on Esc or after an idle time-out.
class TFRMSERIEVIDEO : public ModalWindow {
public:
    // Shows the workout; an exercise's video is looked up in catalogue. While it is open the
    // window reads the kiosk's keypad, when there is one, through a session of its own.
    TFRMSERIEVIDEO(QWidget& owner, const Workout& workout, Connection& catalogue,
                   KeypadSession* kioskKeypad = nullptr);
    ~TFRMSERIEVIDEO() override;

    // Fills the window from the workout. A workout digit or a re-assessment setting that is no
    // integer raises ConversionError there, and the rest is not shown.
    void firstShown();

    // Keys typed on the grids and the memo (27 Esc, 13 Enter, else the character).
    void DBGAEROBICAKeyPress(QChar Key);
    void DBGAEROBICADblClick();
    void DBGEXERCICIOSKeyPress(TDBGrid& sender, QChar Key);
    void DBGEXERCICIOSDblClick(TDBGrid& sender);
    void DBMEMOALONGAMENTOKeyPress(QChar Key);
    void FormKeyPress(QChar Key);
    void Timer1Timer();

    // Starts the idle time-out again with its full interval; a time-out of 0 never runs.
    void startIdleTimeOut();

    // Header.
    QLabel* Label1 = nullptr;
    QLabel* LBLMATRICULA = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LBLNOME = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LBLPROFESSOR = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* LBLDATAINICIO = nullptr;
    QLabel* Label4 = nullptr;

    // Aerobic section.
    QFrame* PNLAEROBICO = nullptr;
    QLabel* LBLAROBICA = nullptr;
    QLabel* Label5 = nullptr;
    std::array<QLabel*, 7> LBLAero{}; // LBLAeroDomingo ... LBLAeroSabado
    TDBGrid* DBGAEROBICA = nullptr;

    // Strength and stretching section.
    QFrame* PNLEXERCICIO = nullptr;
    QLabel* LBLEXERCICIO = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* LBLTREINO = nullptr;
    QLabel* Label7 = nullptr;
    std::array<QLabel*, 7> LBLExer{}; // LBLExerDomingo ... LBLExerSabado
    QLabel* Label6 = nullptr;
    QLabel* LBLREAVALIACAO = nullptr;
    // DBGEXERCICIOS, DBGEXERCICIOS1 ... DBGEXERCICIOS4: workouts A to E.
    std::array<TDBGrid*, 5> DBGEXERCICIOS{};
    QLabel* Image3 = nullptr;
    std::array<QCheckBox*, 23> DBCBAlogamento{}; // DBCBAlogamento_01 ... _23
    QPlainTextEdit* DBMEMOALONGAMENTO = nullptr;

    QTimer* Timer1 = nullptr;
    CommandDataSet TBLEXERCICIOSEEK;

    // The keypad while this window is open, when there is one (else null): "*" or "#" closes the
    // window, other keys are ignored.
    SerialPort* Comm1 = nullptr;
    void Comm1RxChar(QObject* sender, int Count);

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
    TDBGrid* createGrid(QWidget* parent, const QRect& geometry, bool aerobic);
    void showStretching();
    // Plays the video of the current row's exercise; type "S" aerobic, "N" strength.
    void lookUpVideo(const TDBGrid& grid, const QString& type);
    // The video path of the current row's exercise; none when it has none.
    std::optional<QString> videoPathOf(const TDBGrid& grid, const QString& type);

    // The kiosk's keypad port is this window's while it is open.
    void createKeypad(KeypadSession* kioskKeypad);
    void takeKeypadOver();
    void giveKeypadBack();

    const Workout m_workout;
    KeypadSession* m_kioskKeypad = nullptr;
    KeypadSession* m_keypad = nullptr;
    QWidget* m_page = nullptr; // the 1024 x 730 layout, centred in the window
};
