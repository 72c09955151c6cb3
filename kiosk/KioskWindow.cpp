#include "KioskWindow.h"

#include "FieldKeys.h"
#include "JpegPhoto.h"
#include "KeyChar.h"
#include "KeypadSession.h"
#include "MainWindow.h"
#include "Messages.h"
#include "SerialPort.h"
#include "TextHelpers.h"
#include "TouchKeypad.h"
#include "UnattendedDialogs.h"
#include "WindowLook.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>

namespace {

const QString yes = QStringLiteral("Sim");

// The panels' size, laid out for it.
constexpr QSize panelSize(505, 285);
// Between the keypad for fingers and the window's edges.
constexpr int touchKeypadMargin = 12;
// How long a box or dialog waits on a terminal with only a keypad in reach.
constexpr std::chrono::seconds unattendedBoxTime{10};
// How long a member's name stays with no key when the settings give no idle time.
constexpr std::chrono::seconds memberIdleFallback{60};

} // namespace

KioskWindow::KioskWindow(MainWindow& owner)
    : ModalWindow(&owner)
    , KioskPanels(this)
    , tables(owner)
    , queries(owner.trainingDb)
    , printers(this)
    , m_owner(owner) {
    setWindowTitle(QStringLiteral("Ficha de Exercícios"));
    setFont(arialFont(12));
    connectPanels();
}

KioskWindow::~KioskWindow() = default;

void KioskWindow::connectPanels() {
    connect(exitButton, &QToolButton::clicked, this, &KioskWindow::exitClicked);
    connect(machineExitButton, &QToolButton::clicked, this, &KioskWindow::exitClicked);
    auto* keys = new FieldKeys(this, [this] { memberStillThere(); });
    keys->route(enrolmentEdit, [this](QChar& key) { enrolmentKey(key); });
    keys->route(workoutEdit, [this](QChar& key) { workoutKey(key); });
    keys->route(machineEdit, [this](QChar& key) { machineKey(key); });
    memberIdle = new QTimer(this);
    memberIdle->setSingleShot(true);
    connect(memberIdle, &QTimer::timeout, this, &KioskWindow::backToRest);
}

void KioskWindow::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void KioskWindow::firstShown() {
    memberName->clear();
    if (!tables.openTables()) {
        showMessage(MessageKind::Information, msg::RegistroJaAlocado, QString());
        close();
        return;
    }
    printers.configure(tables.settings);
    const bool equipmentMode = setting(QStringLiteral("Terminal_Video_Aparelho")) == yes;
    const KeypadSettings keypad = KeypadSettings::read(tables.settings);
    const bool withTouchKeypad = touchKeypadWanted(keypad.configured());
    QFrame* shown = equipmentMode ? machinePanel : memberPanel;
    layOut(shown, withTouchKeypad);
    shown->show();
    (equipmentMode ? machineEdit : enrolmentEdit)->setFocus();
    if (keypad.configured() || withTouchKeypad) {
        m_unattendedDialogs = std::make_unique<UnattendedDialogs>(unattendedBoxTime);
    }
    if (keypad.configured()) {
        setUpKeypad(keypad);
    }
}

void KioskWindow::layOut(QFrame* shown, bool withTouchKeypad) {
    if (withTouchKeypad && touchKeypad == nullptr) {
        touchKeypad = new TouchKeypad(this, TouchKeypad::keySideOn(screen()));
    }
    QSize size = panelSize;
    if (touchKeypad != nullptr) {
        size = QSize(panelSize.width() + touchKeypad->width() + touchKeypadMargin,
                     std::max(panelSize.height(), touchKeypad->height() + 2 * touchKeypadMargin));
        touchKeypad->move(panelSize.width(), (size.height() - touchKeypad->height()) / 2);
        touchKeypad->show();
    }
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    shown->setGeometry(0, 0, panelSize.width(), size.height());
}

void KioskWindow::keyPressEvent(QKeyEvent* event) {
    // Esc leaves only through the entry fields' handlers, never by the dialog's own rule.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    ModalWindow::keyPressEvent(event);
}

void KioskWindow::enrolmentKey(QChar& key) {
    if (key == platform::keyEsc && exitButton->isVisible()) {
        key = platform::keyDiscarded;
        exitClicked();
        return;
    }
    if (keypadTyping && keypadConfigured()) {
        key = platform::keyDiscarded;
        return;
    }
    if (key != platform::keyBackspace && key != platform::keyEnter && key != platform::keySpace &&
        !(key >= QLatin1Char('0') && key <= QLatin1Char('9'))) {
        key = platform::keyDiscarded;
        return;
    }
    if (key == platform::keyEnter && !enrolmentEdit->text().isEmpty()) {
        if (keypadConfigured()) {
            keypadPort->setBreak(true);
        }
        findMember();
    }
}

void KioskWindow::findMember() {
    const qlonglong enrolment = textToInteger(enrolmentEdit->text());
    enrolmentEdit->setText(QStringLiteral("%1").arg(enrolment, 10, 10, QLatin1Char('0')));
    if (!showMember()) {
        // Outside the look-ups' deadline: the main window's heartbeat runs while the box is up.
        warn(warning, msg::MatriculaIncorreta, msg::MatriculaIncorreta, QString());
        enrolmentEdit->clear();
        enrolmentEdit->setFocus();
    }
}

bool KioskWindow::showMember() {
    // The name and the photo, reconnecting included, have one deadline together.
    const ActionDeadline action(memberActionLimit);
    const std::optional<QString> name = tables.memberName(enrolmentEdit->text());
    if (!name) {
        return false;
    }
    m_workout = Workout::ofMember(enrolmentEdit->text(), *name);
    memberName->setText(*name);
    enrolmentEdit->setEnabled(false);
    workoutEdit->setEnabled(true);
    workoutEdit->setFocus();
    watchMemberIdle();
    showMemberPhoto();
    return true;
}

void KioskWindow::warn(QLabel* label, const QString& labelText, const QString& boxText,
                       const QString& boxDetail) {
    if (!keypadConfigured()) {
        showMessage(MessageKind::Information, boxText, boxDetail);
        return;
    }
    showWarning(*label, labelText);
}

void KioskWindow::showMemberPhoto() {
    const RowField<QByteArray> stored = tables.memberPhoto(m_workout.sheet.MATRICULA);
    if (!stored.found) {
        return;
    }
    if (stored.value) {
        showPhoto(decodeJpeg(*stored.value, photo->size()));
    } else {
        hidePhoto();
    }
}

void KioskWindow::workoutKey(QChar& key) {
    if (keypadTyping && keypadConfigured()) {
        key = platform::keyDiscarded;
        return;
    }
    if (key != platform::keyBackspace && key != platform::keyEnter && key != platform::keyEsc &&
        key != platform::keySpace && !(key >= QLatin1Char('1') && key <= QLatin1Char('5'))) {
        key = platform::keyDiscarded;
        return;
    }
    if (key == platform::keyEnter && !workoutEdit->text().isEmpty()) {
        workoutEdit->setEnabled(false);
        memberIdle->stop();
        // Whatever the retrieval does, even failing, the kiosk goes back to rest for the next
        // member; its error still reaches the error log.
        const auto rest = qScopeGuard([this] { backToRest(); });
        serveWorkout();
        return;
    }
    if (key == platform::keyEsc) {
        workoutEdit->setEnabled(false);
        backToRest();
    }
}

// A member who walks away leaves no name or photo for the next person: with no key for the series'
// idle time, the panel goes back to rest. A series window may stay open for good; a name may not.
void KioskWindow::watchMemberIdle() {
    const int idleMs =
        SheetData::idleIntervalMs(tables.settings.fieldInteger(QStringLiteral("Tempo_Serie")));
    memberIdle->start(idleMs > 0 ? std::chrono::milliseconds(idleMs) : memberIdleFallback);
}

void KioskWindow::memberStillThere() {
    if (memberIdle->isActive()) {
        memberIdle->start();
    }
}

void KioskWindow::backToRest() {
    memberIdle->stop();
    memberPanelAtRest();
}

void KioskWindow::exitClicked() {
    close();
}

void KioskWindow::closing() {
    if (keypadConfigured()) {
        m_keypad->shutDown();
    }
    queries.close();
    tables.close();
    m_unattendedDialogs.reset();
}

void openExerciseSheet(MainWindow& owner) {
    KioskWindow sheet(owner);
    sheet.exec();
}
