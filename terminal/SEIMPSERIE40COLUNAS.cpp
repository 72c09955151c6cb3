#include "SEIMPSERIE40COLUNAS.h"

#include "SerialPort.h"
#include "FieldKeys.h"
#include "JpegPhoto.h"
#include "KeyChar.h"
#include "KeypadSession.h"
#include "Messages.h"
#include "TextHelpers.h"
#include "MainWindow.h"
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

#include <chrono>

namespace {

const QString yes = QStringLiteral("Sim");

// How long a box or dialog waits on a terminal with only a keypad in reach.
constexpr std::chrono::seconds unattendedBoxTime{10};
// How long a member's name stays with no key when the settings give no idle time.
constexpr std::chrono::seconds memberIdleFallback{60};

} // namespace

TFRMIMPSERIE40COLUNAS::TFRMIMPSERIE40COLUNAS(MainWindow& owner)
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

TFRMIMPSERIE40COLUNAS::~TFRMIMPSERIE40COLUNAS() = default;

void TFRMIMPSERIE40COLUNAS::connectPanels() {
    connect(SBSAIR, &QToolButton::clicked, this, &TFRMIMPSERIE40COLUNAS::SBSAIRClick);
    connect(SBSAIRAPARELHO, &QToolButton::clicked, this,
            &TFRMIMPSERIE40COLUNAS::SBSAIRClick);
    auto* keys = new FieldKeys(this, [this] { memberStillThere(); });
    keys->route(EDTMATRICULA, [this](QChar& key) { EDTMATRICULAKeyPress(key); });
    keys->route(EDTTREINO, [this](QChar& key) { EDTTREINOKeyPress(key); });
    keys->route(EDTAPARELHO, [this](QChar& key) { EDTAPARELHOKeyPress(key); });
    memberIdle = new QTimer(this);
    memberIdle->setSingleShot(true);
    connect(memberIdle, &QTimer::timeout, this, &TFRMIMPSERIE40COLUNAS::backToRest);
}

void TFRMIMPSERIE40COLUNAS::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void TFRMIMPSERIE40COLUNAS::firstShown() {
    LBLNOME->clear();
    if (!tables.openTables()) {
        showMessage(MessageKind::Information, msg::RegistroJaAlocado, QString());
        close();
        return;
    }
    resize(505, 285);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    printers.configure(tables.settings);
    const bool equipmentMode = setting(QStringLiteral("Terminal_Video_Aparelho")) == yes;
    QFrame* shown = equipmentMode ? PNLAPARELHO : PNLSERIE;
    shown->setGeometry(rect());
    shown->show();
    (equipmentMode ? EDTAPARELHO : EDTMATRICULA)->setFocus();
    const KeypadSettings keypad = KeypadSettings::read(tables.settings);
    if (keypad.configured()) {
        m_unattendedDialogs = std::make_unique<UnattendedDialogs>(unattendedBoxTime);
        setUpKeypad(keypad);
    }
}

void TFRMIMPSERIE40COLUNAS::keyPressEvent(QKeyEvent* event) {
    // Esc leaves only through the entry fields' handlers, never by the dialog's own rule.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    ModalWindow::keyPressEvent(event);
}

void TFRMIMPSERIE40COLUNAS::EDTMATRICULAKeyPress(QChar& Key) {
    if (Key == platform::keyEsc && SBSAIR->isVisible()) {
        Key = platform::keyDiscarded;
        SBSAIRClick();
        return;
    }
    if (MPAD_KEYPRESS && keypadConfigured()) {
        Key = platform::keyDiscarded;
        return;
    }
    if (Key != platform::keyBackspace && Key != platform::keyEnter && Key != platform::keySpace &&
        !(Key >= QLatin1Char('0') && Key <= QLatin1Char('9'))) {
        Key = platform::keyDiscarded;
        return;
    }
    if (Key == platform::keyEnter && !EDTMATRICULA->text().isEmpty()) {
        if (keypadConfigured()) {
            keypadPort->setBreak(true);
        }
        findMember();
    }
}

void TFRMIMPSERIE40COLUNAS::findMember() {
    const qlonglong enrolment = textToInteger(EDTMATRICULA->text());
    EDTMATRICULA->setText(QStringLiteral("%1").arg(enrolment, 10, 10, QLatin1Char('0')));
    // The name and the photo, reconnecting included, have one deadline together.
    const ActionDeadline action(memberActionLimit);
    const std::optional<QString> name = tables.memberName(EDTMATRICULA->text());
    if (!name) {
        warn(LBLAVISO, msg::MatriculaIncorreta, msg::MatriculaIncorreta, QString());
        EDTMATRICULA->clear();
        EDTMATRICULA->setFocus();
        return;
    }
    m_workout = Workout::ofMember(EDTMATRICULA->text(), *name);
    LBLNOME->setText(*name);
    EDTMATRICULA->setEnabled(false);
    EDTTREINO->setEnabled(true);
    EDTTREINO->setFocus();
    watchMemberIdle();
    MOSTRA_FOTO();
}

void TFRMIMPSERIE40COLUNAS::warn(QLabel* label, const QString& labelText, const QString& boxText,
                                 const QString& boxDetail) {
    if (!keypadConfigured()) {
        showMessage(MessageKind::Information, boxText, boxDetail);
        return;
    }
    showWarning(*label, labelText);
}

void TFRMIMPSERIE40COLUNAS::MOSTRA_FOTO() {
    const RowField<QByteArray> photo = tables.memberPhoto(m_workout.sheet.MATRICULA);
    if (!photo.found) {
        return;
    }
    if (photo.value) {
        showPhoto(decodeJpeg(*photo.value, Image1->size()));
    } else {
        hidePhoto();
    }
}

void TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress(QChar& Key) {
    if (MPAD_KEYPRESS && keypadConfigured()) {
        Key = platform::keyDiscarded;
        return;
    }
    if (Key != platform::keyBackspace && Key != platform::keyEnter && Key != platform::keyEsc &&
        Key != platform::keySpace && !(Key >= QLatin1Char('1') && Key <= QLatin1Char('5'))) {
        Key = platform::keyDiscarded;
        return;
    }
    if (Key == platform::keyEnter && !EDTTREINO->text().isEmpty()) {
        EDTTREINO->setEnabled(false);
        memberIdle->stop();
        // Whatever the retrieval does, even failing, the kiosk goes back to rest for the next
        // member; its error still reaches the error log.
        const auto rest = qScopeGuard([this] { backToRest(); });
        IMP_SERIE_40_COLUNOS();
        return;
    }
    if (Key == platform::keyEsc) {
        EDTTREINO->setEnabled(false);
        backToRest();
    }
}

// A member who walks away leaves no name or photo for the next person: with no key for the series'
// idle time, the panel goes back to rest. A series window may stay open for good; a name may not.
void TFRMIMPSERIE40COLUNAS::watchMemberIdle() {
    const int idleMs =
        SheetData::idleIntervalMs(tables.settings.fieldInteger(QStringLiteral("Tempo_Serie")));
    memberIdle->start(idleMs > 0 ? std::chrono::milliseconds(idleMs) : memberIdleFallback);
}

void TFRMIMPSERIE40COLUNAS::memberStillThere() {
    if (memberIdle->isActive()) {
        memberIdle->start();
    }
}

void TFRMIMPSERIE40COLUNAS::backToRest() {
    memberIdle->stop();
    memberPanelAtRest();
}

void TFRMIMPSERIE40COLUNAS::SBSAIRClick() {
    close();
}

void TFRMIMPSERIE40COLUNAS::closing() {
    if (keypadConfigured()) {
        m_keypad->shutDown();
    }
    queries.close();
    tables.close();
    m_unattendedDialogs.reset();
}

void openExerciseSheet(MainWindow& owner) {
    TFRMIMPSERIE40COLUNAS sheet(owner);
    sheet.exec();
}
