// The serial keypad's bytes and a card scanner's (which types as a keyboard) through the kiosk's
// own handlers, on the demo's databases with a fixed clock, boxes answered at once, the keypad on
// a fake serial device and tickets printed into a file. The first byte picks the kiosk: member or
// equipment mode, with or without a keypad; each kiosk stays open across inputs and is put back at
// rest before each (a kiosk left through Esc is made again, as the menu would). After every key
// the fields hold what they may: at most 10 digits (or blanks, from the keyboard) for the
// enrolment, one workout digit, at most 3 characters for a machine, digits from the keypad.
#include "DemoData.h"
#include "FakeSerialDriver.h"
#include "FuzzBackends.h"
#include "FuzzSupport.h"
#include "KioskWindow.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cctype>
#include <cstring>
#include <memory>

namespace {

// A member's number, a workout and their Enters, a few times over: longer inputs only slow the
// search down.
constexpr std::size_t maxKeys = 24;

struct Kind {
    bool equipment;
    bool keypad;
};

constexpr std::array<Kind, 4> kinds{{{false, true}, {false, false}, {true, true}, {true, false}}};

// The main window and the kiosks opened over it, alive until the process ends: never destroyed,
// since at exit Qt's own objects go before them.
struct Terminal {
    platform::FakeSerialDriver serial;
    std::unique_ptr<MainWindow> main;
    std::array<std::unique_ptr<KioskWindow>, kinds.size()> kiosks;
};

Terminal* terminal = nullptr;

// Removed at exit, while the windows on its databases are left as they are.
QString terminalFolder() {
    static const QTemporaryDir folder;
    return folder.path();
}

QString keypadDevice(std::size_t kind) {
    return QStringLiteral("KPD%1").arg(kind);
}

void startTerminal() {
    terminal = new Terminal;
    const QString folder = terminalFolder();
    demo::Options options;
    options.members = 20;
    demo::writeDemoDatabases(folder, options);
    demo::changeSetting(folder, QStringLiteral("PORTA_IMP"),
                        QDir(folder).filePath(QStringLiteral("ticket.prn")));
    demo::switchSetting(folder, QStringLiteral("SERIEEMVIDEO"), false);
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        terminal->serial.addDevice(keypadDevice(kind));
    }
    platform::Backends backends = platform::backends();
    backends.keypadSerialDriver = []() -> platform::SerialDriver& {
        return terminal->serial;
    };
    platform::installBackends(backends);
    terminal->main = std::make_unique<MainWindow>(folder, openExerciseSheet);
    terminal->main->clockTimer->stop();
    terminal->main->show();
}

// A kiosk of the kind, open as the menu opens it with the settings of its kind.
KioskWindow& kioskOf(std::size_t kind) {
    std::unique_ptr<KioskWindow>& kiosk = terminal->kiosks[kind];
    if (kiosk && kiosk->isVisible()) {
        return *kiosk;
    }
    kiosk.reset();
    const QString folder = terminalFolder();
    demo::switchSetting(folder, QStringLiteral("Terminal_Video_Aparelho"), kinds[kind].equipment);
    demo::changeSetting(folder, QStringLiteral("PINPAD"),
                        kinds[kind].keypad ? keypadDevice(kind) : QStringLiteral("NADA"));
    kiosk = std::make_unique<KioskWindow>(*terminal->main);
    kiosk->show();
    check(kiosk->isVisible(), "the kiosk did not open");
    return *kiosk;
}

void putAtRest(KioskWindow& kiosk, std::size_t kind) {
    kiosk.memberIdle->stop();
    kiosk.memberPanelAtRest();
    kiosk.machineEdit->clear();
    kiosk.keypadTyping = kinds[kind].keypad;
    // The fake device keeps every BREAK the kiosk raised.
    terminal->serial.device(keypadDevice(kind)).escapes.clear();
}

// A byte as a keyboard types it.
void typeKey(KioskWindow& kiosk, char byte) {
    const auto character = static_cast<unsigned char>(byte);
    int key = Qt::Key_unknown;
    QString text(QChar::fromLatin1(byte));
    if (byte == '\r' || byte == '\n') {
        key = Qt::Key_Return;
        text = QStringLiteral("\r");
    } else if (byte == 27) {
        key = Qt::Key_Escape;
    } else if (byte == 8) {
        key = Qt::Key_Backspace;
    } else if (character >= 0x20 && character < 0x7F) {
        key = std::toupper(character);
    }
    QWidget* focused = kiosk.focusWidget() ? kiosk.focusWidget() : &kiosk;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(focused, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(focused, &release);
}

bool onlyOf(const QString& text, const char* allowed) {
    for (const QChar c : text) {
        if (c.unicode() > 0x7F || !std::strchr(allowed, c.toLatin1())) {
            return false;
        }
    }
    return true;
}

void checkFields(const KioskWindow& kiosk, const Kind& kind) {
    const QString enrolment = kiosk.enrolmentEdit->text();
    const QString workout = kiosk.workoutEdit->text();
    const QString machine = kiosk.machineEdit->text();
    check(enrolment.size() <= 10, "an enrolment number of more than 10 characters");
    check(workout.size() <= 1, "a workout of more than one character");
    check(machine.size() <= 3, "a machine code of more than 3 characters");
    if (kind.keypad) {
        check(onlyOf(enrolment, "0123456789"), "an enrolment number with other than digits");
        check(onlyOf(workout, "012345"), "a workout other than 0 to 5 from the keypad");
        check(onlyOf(machine, "0123456789"), "a machine code with other than digits");
    } else {
        check(onlyOf(enrolment, "0123456789 "), "an enrolment number with other than digits");
        check(onlyOf(workout, "12345 "), "a workout other than 1 to 5 from the keyboard");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    installQuietBackends();
    startTerminal();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::size_t kind = input.byte() % kinds.size();
    KioskWindow& kiosk = kioskOf(kind);
    putAtRest(kiosk, kind);
    const QByteArray keys = input.bytes(maxKeys);
    for (const char byte : keys) {
        if (kinds[kind].keypad) {
            kiosk.keypadByte(byte);
        } else {
            typeKey(kiosk, byte);
        }
        if (!kiosk.isVisible()) {
            break; // left through Esc
        }
        checkFields(kiosk, kinds[kind]);
    }
    return 0;
}
