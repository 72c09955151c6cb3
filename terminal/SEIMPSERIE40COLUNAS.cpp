#include "SEIMPSERIE40COLUNAS.h"

#include "CommInt.h"
#include "JpegPhoto.h"
#include "KeyChar.h"
#include "KeypadSession.h"
#include "Pause.h"
#include "Pictures.h"
#include "SEFUNCOES.h"
#include "SEPRINCIPAL.h"
#include "Schema.h"
#include "TerminalApplication.h"
#include "UnattendedDialogs.h"
#include "WindowLook.h"

#include <QAction>
#include <QFrame>
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
#include <climits>

namespace {

const QString yes = QStringLiteral("Sim");

constexpr QChar keyBackspace(8);
constexpr QChar keyEnter(13);
constexpr QChar keyEsc(27);
constexpr QChar keySpace(32);
constexpr QChar discarded(0);

// How long a box or dialog waits on a terminal with only a keypad in reach.
constexpr std::chrono::seconds unattendedBoxTime{10};

} // namespace

TFRMIMPSERIE40COLUNAS::TFRMIMPSERIE40COLUNAS(TFRMSEPRINCIPAL& owner)
    : ModalWindow(&owner)
    , KioskPanels(this)
    , tables(owner)
    , queries(owner.ADOConnectionPalendra)
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
            &TFRMIMPSERIE40COLUNAS::SBSAIRAPARELHOClick);
    for (QLineEdit* field : {EDTMATRICULA, EDTTREINO, EDTAPARELHO}) {
        filterKeysOf(field);
    }
    m_memberIdle = new QTimer(this);
    m_memberIdle->setSingleShot(true);
    connect(m_memberIdle, &QTimer::timeout, this, &TFRMIMPSERIE40COLUNAS::backToRest);
}

void TFRMIMPSERIE40COLUNAS::filterKeysOf(QLineEdit* field) {
    field->installEventFilter(this);
    // Pasted and dropped text obeys the same filter as typed keys.
    platform::filterUntypedText(*field, [this, field](QChar character) {
        (this->*keyHandlerOf(field))(character);
        return character != discarded;
    });
}

TFRMIMPSERIE40COLUNAS::KeyHandler TFRMIMPSERIE40COLUNAS::keyHandlerOf(const QObject* field) const {
    if (field == EDTMATRICULA) {
        return &TFRMIMPSERIE40COLUNAS::EDTMATRICULAKeyPress;
    }
    if (field == EDTTREINO) {
        return &TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress;
    }
    if (field == EDTAPARELHO) {
        return &TFRMIMPSERIE40COLUNAS::EDTAPARELHOKeyPress;
    }
    return nullptr;
}

void TFRMIMPSERIE40COLUNAS::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFRMIMPSERIE40COLUNAS::FormShow() {
    LBLNOME->clear();
    if (!tables.ABRE_TABELAS()) {
        MENSAGEM(QStringLiteral("!"), msg::RegistroJaAlocado, QString());
        close();
        return;
    }
    resize(505, 285);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    printers.configure(tables.TBLCONTROLE);
    const bool equipmentMode = setting(QStringLiteral("Terminal_Video_Aparelho")) == yes;
    QFrame* shown = equipmentMode ? PNLAPARELHO : PNLSERIE;
    shown->setGeometry(rect());
    shown->show();
    (equipmentMode ? EDTAPARELHO : EDTMATRICULA)->setFocus();
    const KeypadSettings keypad = KeypadSettings::read(tables.TBLCONTROLE);
    if (keypad.configured()) {
        m_unattendedDialogs = std::make_unique<UnattendedDialogs>(unattendedBoxTime);
        setUpKeypad(keypad);
    }
}

bool TFRMIMPSERIE40COLUNAS::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return ModalWindow::eventFilter(watched, event);
    }
    const KeyHandler handler = keyHandlerOf(watched);
    if (handler == nullptr) {
        return false;
    }
    memberStillThere();
    QChar key = platform::keyCharOf(*static_cast<QKeyEvent*>(event));
    if (key.isNull()) {
        return false;
    }
    if (!runLoggingFailures([&] { (this->*handler)(key); })) {
        return true;
    }
    // Enter and Esc have done their work in the handler; the field must not act on them again.
    return key == discarded || key == keyEnter || key == keyEsc;
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
    if (Key == keyEsc && SBSAIR->isVisible()) {
        Key = discarded;
        SBSAIRClick();
        return;
    }
    if (MPAD_KEYPRESS && keypadConfigured()) {
        Key = discarded;
        return;
    }
    if (Key != keyBackspace && Key != keyEnter && Key != keySpace &&
        !(Key >= QLatin1Char('0') && Key <= QLatin1Char('9'))) {
        Key = discarded;
        return;
    }
    if (Key == keyEnter && !EDTMATRICULA->text().isEmpty()) {
        if (keypadConfigured()) {
            Comm1->SetBREAKState(true);
        }
        findMember();
    }
}

void TFRMIMPSERIE40COLUNAS::findMember() {
    const qlonglong enrolment = textToInteger(EDTMATRICULA->text());
    EDTMATRICULA->setText(QStringLiteral("%1").arg(enrolment, 10, 10, QLatin1Char('0')));
    if (const std::optional<QString> name = tables.memberName(EDTMATRICULA->text())) {
        showMember(*name);
        return;
    }
    warn(LBLAVISO, msg::MatriculaIncorreta, msg::MatriculaIncorreta, QString());
    EDTMATRICULA->clear();
    EDTMATRICULA->setFocus();
}

void TFRMIMPSERIE40COLUNAS::showMember(const QString& name) {
    m_sheet = SheetData{};
    m_sheet.MATRICULA = EDTMATRICULA->text();
    m_sheet.NOME_ALUNO = name;
    LBLNOME->setText(name);
    EDTMATRICULA->setEnabled(false);
    EDTTREINO->setEnabled(true);
    EDTTREINO->setFocus();
    watchMemberIdle();
    MOSTRA_FOTO();
}

void TFRMIMPSERIE40COLUNAS::warn(QLabel* label, const QString& labelText, const QString& boxText,
                                 const QString& boxDetail) {
    if (!keypadConfigured()) {
        MENSAGEM(QStringLiteral("!"), boxText, boxDetail);
        return;
    }
    label->setText(labelText);
    label->show();
    label->repaint();
    platform::pause(2000);
    label->hide();
    label->repaint();
}

void TFRMIMPSERIE40COLUNAS::MOSTRA_FOTO() {
    const RowField<QByteArray> photo = tables.memberPhoto(m_sheet.MATRICULA);
    if (!photo.found) {
        return;
    }
    if (photo.value) {
        showPhoto(decodeJpeg(*photo.value, Image1->size()));
    } else {
        hidePhoto();
    }
}

void TFRMIMPSERIE40COLUNAS::showPhoto(const QImage& photo) {
    Image1->setPixmap(QPixmap::fromImage(photo));
    Image1->show();
}

void TFRMIMPSERIE40COLUNAS::hidePhoto() {
    Image1->clear();
    Image1->hide();
}

void TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress(QChar& Key) {
    if (MPAD_KEYPRESS && keypadConfigured()) {
        Key = discarded;
        return;
    }
    if (Key != keyBackspace && Key != keyEnter && Key != keyEsc && Key != keySpace &&
        !(Key >= QLatin1Char('1') && Key <= QLatin1Char('5'))) {
        Key = discarded;
        return;
    }
    if (Key == keyEnter && !EDTTREINO->text().isEmpty()) {
        EDTTREINO->setEnabled(false);
        m_memberIdle->stop();
        // Whatever the retrieval does, even failing, the kiosk goes back to rest for the next
        // member; its error still reaches the error log.
        const auto rest = qScopeGuard([this] { backToRest(); });
        IMP_SERIE_40_COLUNOS();
        return;
    }
    if (Key == keyEsc) {
        EDTTREINO->setEnabled(false);
        backToRest();
    }
}

// A member who walks away leaves no name or photo for the next person: with no key for the series'
// idle time, the panel goes back to rest.
void TFRMIMPSERIE40COLUNAS::watchMemberIdle() {
    const std::chrono::seconds idle(tables.TBLCONTROLE.fieldInteger(QStringLiteral("Tempo_Serie")));
    if (idle.count() > 0) {
        m_memberIdle->start(
            std::min<std::chrono::milliseconds>(idle, std::chrono::milliseconds(INT_MAX)));
    }
}

void TFRMIMPSERIE40COLUNAS::memberStillThere() {
    if (m_memberIdle->isActive()) {
        m_memberIdle->start();
    }
}

void TFRMIMPSERIE40COLUNAS::backToRest() {
    m_memberIdle->stop();
    EDTMATRICULA->clear();
    EDTMATRICULA->setEnabled(true);
    EDTMATRICULA->setFocus();
    EDTTREINO->clear();
    EDTTREINO->setEnabled(false);
    LBLNOME->clear();
    hidePhoto();
}

void TFRMIMPSERIE40COLUNAS::SBSAIRClick() {
    close();
}

void TFRMIMPSERIE40COLUNAS::SBSAIRAPARELHOClick() {
    close();
}

void TFRMIMPSERIE40COLUNAS::closing() {
    if (keypadConfigured()) {
        m_keypad->shutDown();
    }
    FormClose();
    m_unattendedDialogs.reset();
}

void TFRMIMPSERIE40COLUNAS::FormClose() {
    queries.close();
    tables.close();
    m_owner.MNImpressodeSrie->setEnabled(true);
    m_owner.MNImpressodeSrie->setChecked(false);
    if (!m_owner.VOLTA_USUARIO()) {
        MENSAGEM(QStringLiteral("!"), msg::RegistroJaAlocado, QString());
    }
}

void openExerciseSheet(TFRMSEPRINCIPAL& owner) {
    TFRMIMPSERIE40COLUNAS sheet(owner);
    sheet.exec();
}
