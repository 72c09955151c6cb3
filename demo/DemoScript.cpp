#include "DemoScript.h"

#include "AboutWindow.h"
#include "DemoData.h"
#include "DeviceNames.h"
#include "KioskWindow.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "MatrixPrintDriver.h"
#include "MessageBox.h"
#include "SerialPort.h"
#include "SeriesWindow.h"
#include "SplashWindow.h"
#include "TerminalApplication.h"
#include "TicketPicture.h"
#include "TouchKeypad.h"
#include "VideoWindow.h"
#include "VirtualKeypad.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointingDevice>
#include <QScreen>
#include <QTextStream>
#include <QToolButton>
#include <QTouchEvent>

#include <cstdio>
#include <utility>

namespace {

constexpr int pollMs = 100;
constexpr int stepLimitMs = 20000;

template <typename T> T* activeModal() {
    return dynamic_cast<T*>(QApplication::activeModalWidget());
}

// The shown window of type T, modal or not; null when there is none.
template <typename T> T* shownWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* shown = dynamic_cast<T*>(window); shown != nullptr && shown->isVisible()) {
            return shown;
        }
    }
    return nullptr;
}

bool mainWindowIdle() {
    return shownWindow<MainWindow>() != nullptr && QApplication::activeModalWidget() == nullptr;
}

} // namespace

DemoScript::~DemoScript() = default;

DemoScript::DemoScript(const QString& pictureFolder, const QString& operatorCode,
                       const QString& password)
    : m_folder(pictureFolder)
    , m_code(operatorCode)
    , m_password(password) {
    m_folder.mkpath(QStringLiteral("."));
    m_steps = {
        {QStringLiteral("the splash"), [] { return activeModal<SplashWindow>() != nullptr; },
         [this] {
             picture(QStringLiteral("01-apresentacao.png"));
         }},
        {QStringLiteral("the login dialog"), [] { return activeModal<LoginDialog>() != nullptr; },
         [this] {
             picture(QStringLiteral("02-acesso.png"));
             LoginDialog* login = activeModal<LoginDialog>();
             type(m_code, login->codeEdit);
             pressEnter(login->codeEdit);
             type(m_password, login->passwordEdit);
             picture(QStringLiteral("03-acesso-preenchido.png"));
             pressEnter(login->passwordEdit);
         }},
        // A moment on the main window first, so that the clock and the marquee have moved.
        {QStringLiteral("the main window"),
         [this] { return mainWindowIdle() && m_waitedMs >= 1500; },
         [this] {
             m_operatorShown = shownWindow<MainWindow>()->panelText(1);
             picture(QStringLiteral("04-principal.png"));
             later([] { shownWindow<MainWindow>()->aboutAction->trigger(); });
         }},
        {QStringLiteral("the about window"), [] { return activeModal<AboutWindow>() != nullptr; },
         [this] {
             picture(QStringLiteral("05-sobre.png"));
             QApplication::activeModalWidget()->close();
         }},
        {QStringLiteral("the main window after the about window"), mainWindowIdle,
         [] {
             later([] { shownWindow<MainWindow>()->sheetAction->trigger(); });
         }},
    };
    addKioskSteps();
    addSeriesSteps();
    addEquipmentSteps();
    m_steps.push_back({QStringLiteral("the main window at the end"), mainWindowIdle, [this] {
                           picture(QStringLiteral("18-sair.png"));
                           later([] { shownWindow<MainWindow>()->exitAction->trigger(); });
                       }});
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, &DemoScript::poll);
}

void DemoScript::addKioskSteps() {
    const std::vector<Step> steps{
        {QStringLiteral("the exercise sheet"), [] { return activeModal<KioskWindow>() != nullptr; },
         [this] {
             picture(QStringLiteral("06-ficha.png"));
             type(demo::showcaseMember().right(4), shownWindow<KioskWindow>()->enrolmentEdit);
             pressEnter(shownWindow<KioskWindow>()->enrolmentEdit);
         }},
        {QStringLiteral("the member's name and photo"),
         [] { return shownWindow<KioskWindow>()->photo->isVisible(); },
         [this] {
             picture(QStringLiteral("07-ficha-foto.png"));
             type(QStringLiteral("1"), shownWindow<KioskWindow>()->workoutEdit);
             pressEnter(shownWindow<KioskWindow>()->workoutEdit);
         }},
        {QStringLiteral("the exercise sheet at rest after the workout"),
         [] {
             return shownWindow<KioskWindow>()->enrolmentEdit->isEnabled() &&
                    activeModal<KioskWindow>() != nullptr;
         },
         [this] {
             saveTicket(QStringLiteral("08-ticket"));
             picture(QStringLiteral("09-ficha-repouso.png"));
             // The demo's numbers run from 1001 up; the box comes and is answered within Enter.
             m_boxPicture = QStringLiteral("10-aluno-inexistente.png");
             type(QStringLiteral("9999"), shownWindow<KioskWindow>()->enrolmentEdit);
             pressEnter(shownWindow<KioskWindow>()->enrolmentEdit);
             pressKey(Qt::Key_Escape, shownWindow<KioskWindow>()->enrolmentEdit);
         }},
    };
    m_steps.insert(m_steps.end(), steps.begin(), steps.end());
}

// ---- The workout on screen, an exercise video, equipment mode ----
// The demo's settings print tickets; for these steps they show the workout on screen, or the
// machines' videos, instead, as the gym's back office would set them, and are put back afterwards.

QString DemoScript::demoFolder() const {
    return m_folder.absoluteFilePath(QStringLiteral(".."));
}

DemoScript::Step DemoScript::openKioskSwitchingOn(const QString& column) const {
    return {QStringLiteral("the main window before switching %1 on").arg(column), mainWindowIdle,
            [folder = demoFolder(), column] {
                demo::switchSetting(folder, column, true);
                later([] { shownWindow<MainWindow>()->sheetAction->trigger(); });
            }};
}

void DemoScript::addSeriesSteps() {
    const QString onScreen = QStringLiteral("SERIEEMVIDEO");
    const std::vector<Step> steps{
        openKioskSwitchingOn(onScreen),
        {QStringLiteral("the exercise sheet for the series"),
         [] { return activeModal<KioskWindow>() != nullptr; },
         [this] {
             type(demo::showcaseMember().right(4), shownWindow<KioskWindow>()->enrolmentEdit);
             pressEnter(shownWindow<KioskWindow>()->enrolmentEdit);
             type(QStringLiteral("1"), shownWindow<KioskWindow>()->workoutEdit);
             later([this] { pressEnter(shownWindow<KioskWindow>()->workoutEdit); });
         }},
        {QStringLiteral("the series window"),
         [this] { return activeModal<SeriesWindow>() != nullptr && m_waitedMs >= 500; },
         [this] {
             picture(QStringLiteral("11-serie-video.png"));
             later([] {
                 // Gone if the session ended meanwhile: the next step then waits and fails.
                 if (SeriesWindow* series = shownWindow<SeriesWindow>()) {
                     series->playStrengthRow(*series->strengthGrid[0]);
                 }
             });
         }},
        // The video closes by itself when it has ended.
        {QStringLiteral("a playing video"),
         [this] { return activeModal<VideoWindow>() != nullptr && m_waitedMs >= 1500; },
         [this] {
             videoPicture(QStringLiteral("12-video-aula.png"));
         }},
        {QStringLiteral("the series window after the video"),
         [] { return activeModal<SeriesWindow>() != nullptr; },
         [] {
             QApplication::activeModalWidget()->close();
         }},
        {QStringLiteral("the exercise sheet after the series"),
         [] { return activeModal<KioskWindow>() != nullptr; },
         [folder = demoFolder(), onScreen] {
             QApplication::activeModalWidget()->close();
             demo::switchSetting(folder, onScreen, false);
         }},
    };
    m_steps.insert(m_steps.end(), steps.begin(), steps.end());
}

void DemoScript::addEquipmentSteps() {
    const QString machineVideos = QStringLiteral("Terminal_Video_Aparelho");
    const std::vector<Step> steps{
        openKioskSwitchingOn(machineVideos),
        {QStringLiteral("the exercise sheet in equipment mode"),
         [] {
             return activeModal<KioskWindow>() != nullptr &&
                    shownWindow<KioskWindow>()->machinePanel->isVisible();
         },
         [this] {
             type(QStringLiteral("101"), shownWindow<KioskWindow>()->machineEdit);
             picture(QStringLiteral("13-aparelho.png"));
             later([this] { pressEnter(shownWindow<KioskWindow>()->machineEdit); });
         }},
        {QStringLiteral("the machine's video"),
         [this] { return activeModal<VideoWindow>() != nullptr && m_waitedMs >= 1500; },
         [this] {
             videoPicture(QStringLiteral("14-aparelho-video.png"));
         }},
        // The field is emptied when the video has ended, ready for the next machine.
        {QStringLiteral("the exercise sheet after the machine's video"),
         [] {
             return activeModal<KioskWindow>() != nullptr &&
                    shownWindow<KioskWindow>()->machineEdit->text().isEmpty();
         },
         [this, machineVideos] {
             pressKey(Qt::Key_Escape, shownWindow<KioskWindow>()->machineEdit);
             demo::switchSetting(demoFolder(), machineVideos, false);
         }},
    };
    m_steps.insert(m_steps.end(), steps.begin(), steps.end());
}

void DemoScript::start() {
    m_poll.start();
}

void DemoScript::later(std::function<void()> action) {
    QTimer::singleShot(0, std::move(action));
}

void DemoScript::poll() {
    if (m_next >= m_steps.size()) {
        m_poll.stop();
        return;
    }
    Step& step = m_steps[m_next];
    if (step.ready()) {
        ++m_next;
        m_waitedMs = 0;
        step.act();
        return;
    }
    m_waitedMs += pollMs;
    if (m_waitedMs > stepLimitMs) {
        std::fprintf(stderr, "se-demo: the scripted session never reached %s\n",
                     qPrintable(step.what));
        m_failed = true;
        m_poll.stop();
        // Every window ends, whatever modal loop is running or about to run.
        shell::terminateApplication();
    }
}

void DemoScript::picture(const QString& name, const std::function<void(QPainter&)>& over) {
    // The screen as it looks: the main window, then the modal windows over it; the picture
    // grows to take in a window larger than the offscreen screen.
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    QList<QWidget*> windows;
    if (shownWindow<MainWindow>() != nullptr) {
        windows << shownWindow<MainWindow>();
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        windows << modal;
    }
    for (QWidget* window : windows) {
        screen |= window->geometry();
    }
    QPixmap shot(screen.size());
    shot.fill(QColor(40, 40, 40));
    QPainter painter(&shot);
    for (QWidget* window : windows) {
        painter.drawPixmap(window->geometry().topLeft(), window->grab());
    }
    if (over) {
        over(painter);
    }
    painter.end();
    const QString path = m_folder.filePath(name);
    if (shot.save(path)) {
        m_pictures << path;
    }
}

void DemoScript::videoPicture(const QString& name) {
    // The video is drawn outside the window's own painting: its frame goes on top.
    picture(name, [](QPainter& painter) {
        platform::MediaPlayer& player = *shownWindow<VideoWindow>()->player;
        QWidget* video = player.widget();
        painter.drawImage(QRect(video->mapToGlobal(QPoint(0, 0)), video->size()),
                          player.currentFrame());
    });
}

int DemoScript::answer(const platform::Message& message) {
    QTextStream(stdout) << "Message box: " << message.text << "\n";
    if (!m_boxPicture.isEmpty()) {
        const std::unique_ptr<QMessageBox> box = platform::messageBoxFor(message);
        box->adjustSize();
        const QWidget* under = QApplication::activeModalWidget();
        const QRect area =
            under != nullptr ? under->geometry() : QGuiApplication::primaryScreen()->geometry();
        picture(std::exchange(m_boxPicture, QString()), [&box, area](QPainter& painter) {
            QRect placed(QPoint(), box->size());
            placed.moveCenter(area.center());
            painter.drawPixmap(placed.topLeft(), box->grab());
        });
    }
    return message.buttons == platform::MessageButtons::YesNo ? int(platform::IdYes)
                                                              : int(platform::IdOk);
}

void DemoScript::saveTicket(const QString& name) {
    QFile port(platform::resolveDeviceName(
        shownWindow<KioskWindow>()->printers.matrixDriver->printerPort()));
    if (!port.open(QIODevice::ReadOnly)) {
        return;
    }
    m_ticketText = ticketPaperText(port.readAll());
    QFile text(m_folder.filePath(name + QStringLiteral(".txt")));
    if (text.open(QIODevice::WriteOnly)) {
        text.write(m_ticketText.toUtf8() + '\n');
    }
    const QString path = m_folder.filePath(name + QStringLiteral(".png"));
    if (ticketPicture(m_ticketText).save(path)) {
        m_pictures << path;
    }
}

void DemoScript::type(const QString& text, QWidget* field) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

void DemoScript::pressEnter(QWidget* field) {
    pressKey(Qt::Key_Return, field);
}

void DemoScript::pressKey(Qt::Key key, QWidget* field) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
}

// --- The keypad's visit -----------------------------------------------------------------------

void DemoScript::addKeypadVisit(VirtualKeypad& keypad, const QString& folder) {
    const auto kioskReading = [] {
        return activeModal<KioskWindow>() != nullptr &&
               shownWindow<KioskWindow>()->keypadPort->isOpen();
    };
    const std::vector<Step> visit = {
        {QStringLiteral("the main window before the keypad's visit"), mainWindowIdle,
         [folder] {
             setDemoKeypadSetting(folder, demoKeypadName);
             later([] { shownWindow<MainWindow>()->sheetAction->trigger(); });
         }},
        {QStringLiteral("the exercise sheet reading the virtual keypad"), kioskReading,
         [this, &keypad] {
             const QString path = m_folder.filePath(QStringLiteral("15-teclado-virtual.png"));
             if (keypad.grab().save(path)) {
                 m_pictures << path;
             }
             keypad.press(demo::showcaseMember().right(4) + QStringLiteral("#"));
         }},
        {QStringLiteral("the member found from the keypad"),
         [] { return shownWindow<KioskWindow>()->photo->isVisible(); },
         [this, &keypad] {
             picture(QStringLiteral("16-ficha-teclado.png"));
             keypad.press(QStringLiteral("1#"));
         }},
        {QStringLiteral("the exercise sheet at rest after the keypad's workout"),
         [kioskReading] {
             return kioskReading() && shownWindow<KioskWindow>()->enrolmentEdit->isEnabled() &&
                    shownWindow<KioskWindow>()->enrolmentEdit->text().isEmpty();
         },
         [&keypad] {
             keypad.press(QStringLiteral("*"));
         }},
        {QStringLiteral("the main window after the keypad's visit"), mainWindowIdle,
         [folder] {
             setDemoKeypadSetting(folder, QStringLiteral("NADA"));
         }},
    };
    // The last step is the operator leaving.
    m_steps.insert(m_steps.end() - 1, visit.begin(), visit.end());
}

// --- The touch screen's visit ---------------------------------------------------------------

void DemoScript::addTouchVisit() {
    const auto kioskAtRest = [] {
        return activeModal<KioskWindow>() != nullptr &&
               shownWindow<KioskWindow>()->enrolmentEdit->isEnabled() &&
               shownWindow<KioskWindow>()->enrolmentEdit->text().isEmpty();
    };
    const auto key = [](const QString& text) {
        return shownWindow<KioskWindow>()->touchKeypad->key(text);
    };
    const std::vector<Step> visit = {
        {QStringLiteral("the main window before the touch screen's visit"), mainWindowIdle,
         [] {
             // The demo's machine has no touch screen: the kiosk is told to show its keypad.
             qputenv("SE_TOUCH_KEYPAD", "1");
             later([] { shownWindow<MainWindow>()->sheetAction->trigger(); });
         }},
        {QStringLiteral("the exercise sheet with its keypad for fingers"),
         [kioskAtRest] {
             return kioskAtRest() && shownWindow<KioskWindow>()->touchKeypad != nullptr;
         },
         [this, key] {
             for (const QChar digit : demo::showcaseMember().right(4)) {
                 tap(key(digit));
             }
             tap(key(QStringLiteral("Entra")));
         }},
        {QStringLiteral("the member found by touch"),
         [] { return shownWindow<KioskWindow>()->photo->isVisible(); },
         [this, key] {
             // The picture shows workout A's key held down.
             touch(key(QStringLiteral("1")), QEvent::TouchBegin);
             picture(QStringLiteral("17-ficha-toque.png"));
             touch(key(QStringLiteral("1")), QEvent::TouchEnd);
             tap(key(QStringLiteral("Entra")));
         }},
        {QStringLiteral("the exercise sheet at rest after the touch screen's workout"), kioskAtRest,
         [] {
             shownWindow<KioskWindow>()->exitButton->click();
         }},
        {QStringLiteral("the main window after the touch screen's visit"), mainWindowIdle,
         [] {
             qunsetenv("SE_TOUCH_KEYPAD");
         }},
    };
    // The last step is the operator leaving.
    m_steps.insert(m_steps.end() - 1, visit.begin(), visit.end());
}

void DemoScript::touch(QWidget* widget, QEvent::Type type) {
    if (!m_touchScreen) {
        m_touchScreen = std::make_unique<QPointingDevice>(
            QStringLiteral("demo touch screen"), 1, QInputDevice::DeviceType::TouchScreen,
            QPointingDevice::PointerType::Finger, QInputDevice::Capability::Position, 1, 0);
    }
    const QPointF at = widget->rect().center();
    const QEventPoint::State state =
        type == QEvent::TouchBegin ? QEventPoint::State::Pressed : QEventPoint::State::Released;
    QTouchEvent event(type, m_touchScreen.get(), Qt::NoModifier,
                      {QEventPoint(1, state, at, widget->mapToGlobal(at))});
    QApplication::sendEvent(widget, &event);
}

void DemoScript::tap(QWidget* widget) {
    touch(widget, QEvent::TouchBegin);
    touch(widget, QEvent::TouchEnd);
}
