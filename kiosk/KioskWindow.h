#pragma once

#include "KioskPanels.h"
#include "KioskTables.h"
#include "ModalWindow.h"
#include "TicketPrinters.h"
#include "WorkoutQueries.h"

#include <QString>

#include <memory>

class QImage;
class QLabel;
class QLineEdit;
class QTimer;
class KeypadSession;
struct KeypadSettings;
class SerialPort;
class MainWindow;
class TouchKeypad;
class UnattendedDialogs;

// The kiosk: members type their enrolment number and workout and get it printed or shown;
// in equipment mode they type a machine's code and watch its video. Opened modally from the main
// window's menu; which panel it shows is fixed when it opens.
class KioskWindow : public ModalWindow, public KioskPanels {
public:
    explicit KioskWindow(MainWindow& owner);
    ~KioskWindow() override;

    // The entry fields' key handlers. The key is a character, 8 Backspace, 13 Enter, 27 Esc; a
    // handler sets it to 0 to discard it. The keypad calls them with Enter and Esc.
    void enrolmentKey(QChar& key);
    void workoutKey(QChar& key);
    void machineKey(QChar& key);

    // Shows the current member's photo. A photo that is not a JPEG picture raises
    // the decoder's error.
    void showMemberPhoto();

    // Fetches the chosen workout and prints it or shows it on screen.
    void serveWorkout();
    // What the last fetch found, as the ticket and the series window are given it.
    const Workout& workout() const { return m_workout; }
    // Prints the fetched workout as a receipt ticket.
    void printTicket();

    // Either panel's exit button: the kiosk closes.
    void exitClicked();

    // True while the serial keypad, not the keyboard, types into the fields.
    bool keypadTyping = false;

    // The serial keypad, when the settings name one (else null): one key byte a received-data
    // event.
    SerialPort* keypadPort = nullptr;
    void keypadBytesReceived(QObject* sender, int count);
    // One byte from the keypad, as each received-data event hands it over; false for a byte that
    // is no key, which ends the handling of the event.
    bool keypadByte(char byte);

    // Settings, members, photos, staff, machines.
    KioskTables tables;
    // The queries the workout is fetched with.
    WorkoutQueries queries;
    TicketPrinters printers;
    // The keypad for fingers, beside the panel, when the kiosk shows one (else null).
    TouchKeypad* touchKeypad = nullptr;
    // The member panel's idle time: when it runs out with no key, the panel goes back to rest.
    QTimer* memberIdle = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closing() override;

private:
    // The panels' buttons, fields and idle time wired to the kiosk.
    void connectPanels();
    void firstShown();
    // The shown panel at the left of the window, the keypad for fingers (when wanted) at its
    // right, the window centred on the screen.
    void layOut(QFrame* shown, bool withTouchKeypad);
    QString setting(const QString& field) const { return tables.setting(field); }

    void findMember();
    // The enrolment number's member, name and photo, shown; false when nobody holds it.
    bool showMember();
    void backToRest();
    // The member panel goes back to rest after the series' idle time with no key; a key starts
    // the time again.
    void watchMemberIdle();
    void memberStillThere();
    // A warning on the red label for 2000 ms with a keypad, in a message box without one.
    void warn(QLabel* label, const QString& labelText, const QString& boxText,
              const QString& boxDetail);

    // Equipment mode: the video of the machine whose code is in machineEdit.
    void playMachineVideo();

    // Keypad steps.
    void setUpKeypad(const KeypadSettings& settings);
    bool keypadConfigured() const;
    void keypadEsc();
    void keypadEnter();
    void keypadDigit(QChar digit);
    // Calls a key handler as the keyboard would, with the keypad's hold on the fields let go.
    void passKey(void (KioskWindow::*handler)(QChar&), QChar key);
    bool equipmentPanelShown() const;

    void showSeries();

    MainWindow& m_owner;
    Workout m_workout;                 // the member found, and the workout fetched for him
    KeypadSession* m_keypad = nullptr; // the series window takes it over while it is open
    // Boxes close by themselves while the kiosk is open on a keypad, serial or for fingers.
    std::unique_ptr<UnattendedDialogs> m_unattendedDialogs;
};

// Opens the kiosk modally over the main window: the main window's sheet. The kiosk is freed once
// it has closed.
void openExerciseSheet(MainWindow& owner);
