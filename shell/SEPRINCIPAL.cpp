#include "SEPRINCIPAL.h"

#include "Clock.h"
#include "DataLink.h"
#include "Pictures.h"
#include "SEACESSO.h"
#include "SEACESSOLOCAL.h"
#include "SEFUNCOES.h"
#include "SESOBRE.h"
#include "TerminalApplication.h"
#include "WindowLook.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace {

const QString palendraFile = QStringLiteral("Palendra.udl");
const QString quorvelFile = QStringLiteral("Quorvel.udl");
const QString operatorPrefix = QStringLiteral("Usuário: ");
const QString databaseProblem = QStringLiteral(
    "Problema no Banco de Dados ou não está Ativo !\n\rProblema na Rede ou não está Ativa !");

// The panels of the status bar: width and alignment.
struct PanelLook {
    int width;
    Qt::Alignment alignment;
};
const PanelLook panelLooks[] = {{250, Qt::AlignRight | Qt::AlignVCenter},
                                {250, Qt::AlignLeft | Qt::AlignVCenter},
                                {80, Qt::AlignCenter},
                                {50, Qt::AlignCenter}};

int screenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().width() : 1024;
}

} // namespace

TFRMSEPRINCIPAL::TFRMSEPRINCIPAL(const QString& dataLinkFolder, SheetOpener openSheet,
                                 QWidget* parent)
    : QMainWindow(parent)
    , m_dataLinkFolder(dataLinkFolder)
    , m_openSheet(std::move(openSheet)) {
    setWindowTitle(QStringLiteral("Terminal de Exercício"));
    setFont(arialFont(8));
    const QColor background = colorFromBgr(15724527);
    paintBackground(*this, background);
    // Maximised; the screen's size as well, for a kiosk display without a window manager.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    setWindowState(Qt::WindowMaximized);

    mdiArea = new QMdiArea(this);
    mdiArea->setBackground(background);
    setCentralWidget(mdiArea);
    IMGFUNDO1024 = new QLabel(mdiArea->viewport());
    IMGFUNDO1024->setObjectName(QStringLiteral("IMGFUNDO1024"));
    IMGFUNDO1024->setPixmap(picture(QStringLiteral("fundo.jpg")));
    IMGFUNDO1024->adjustSize();
    IMGFUNDO1024->move(0, 0);
    IMGFUNDO1024->lower();

    Label1 = new QLabel(supportLine(), this);
    Label1->hide();

    createMenu();
    createStatusBar();
    createShortcutPanel();

    ADOConnectionPalendra.setConnectionString(
        platform::dataLinkConnectionString(dataLinkFolder, palendraFile));
    ADOConnectionQuorvel.setConnectionString(
        platform::dataLinkConnectionString(dataLinkFolder, quorvelFile));
    TBLCONTROLE.setConnection(&ADOConnectionPalendra);
    TBLCONTROLE.setTableName(QStringLiteral("Secvar"));
    TBLCONTROLE.setDeclaredColumns({QStringLiteral("ACADEMIA"), QStringLiteral("CAPTURA_WEB"),
                                    QStringLiteral("PATH_EXERCICIO")});
    TBLUSUARIOS.setConnection(&ADOConnectionPalendra);
    TBLUSUARIOS.setTableName(QStringLiteral("Usuarios"));
    TBLUSUARIOS.setDeclaredColumns({QStringLiteral("CODIGO"), QStringLiteral("NOME"),
                                    QStringLiteral("SENHA"), QStringLiteral("IMP_SERIE_40")});

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFRMSEPRINCIPAL::Timer1Timer);
    Timer1->start();

    m_session.settingsReadable = true;
    // Start-up cannot go on without the Palendra database; showing the window reports it with the
    // database message and ends the program, so here it is only logged.
    try {
        ADOConnectionPalendra.open();
    } catch (const DatabaseError& error) {
        appendErrorLog(TerminalApplication::errorLogPath(), QString::fromLocal8Bit(error.what()));
    }
    qApp->installEventFilter(this);
}

TFRMSEPRINCIPAL::~TFRMSEPRINCIPAL() {
    qApp->removeEventFilter(this);
}

QString TFRMSEPRINCIPAL::supportLine() {
    return QStringLiteral("SAC : 31 3555-0190  e-mail : sac@terminalse.com.br     ");
}

void TFRMSEPRINCIPAL::createMenu() {
    MNPRINCIPAL = menuBar();
    QMenu* exercises = MNPRINCIPAL->addMenu(QStringLiteral("&Exercícios"));
    MNImpressodeSrie = exercises->addAction(QStringLiteral("&Ficha de Exercícios"));
    MNImpressodeSrie->setCheckable(true);
    connect(MNImpressodeSrie, &QAction::triggered, this, &TFRMSEPRINCIPAL::MNImpressodeSrieClick);
    MNSOBRE = MNPRINCIPAL->addAction(QStringLiteral("S&obre"));
    MNSOBRE->setCheckable(true);
    connect(MNSOBRE, &QAction::triggered, this, &TFRMSEPRINCIPAL::MNSOBREClick);
    Sair1 = MNPRINCIPAL->addAction(QStringLiteral("&Sair"));
    connect(Sair1, &QAction::triggered, this, &TFRMSEPRINCIPAL::Sair1Click);
}

void TFRMSEPRINCIPAL::createStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setSizeGripEnabled(false);
    for (const PanelLook& look : panelLooks) {
        auto* panel = new QLabel(StatusBar1);
        panel->setFixedWidth(look.width);
        panel->setAlignment(look.alignment);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panel);
        m_panels.push_back(panel);
    }
    setPanelText(1, operatorPrefix);
}

void TFRMSEPRINCIPAL::createShortcutPanel() {
    PNLATALHO = new QWidget(mdiArea);
    paintBackground(*PNLATALHO, colorFromBgr(8454143));
    PNLATALHO->setGeometry(screenWidth() - 42, 10, 35, 34);
    SBAGENDA = new QToolButton(PNLATALHO);
    SBAGENDA->setGeometry(5, 6, 25, 25);
    SBAGENDA->setAutoRaise(true);
    SBAGENDA->setIcon(twoStateGlyph(QStringLiteral("muda_usuario.png")));
    SBAGENDA->setIconSize(QSize(21, 21));
    SBAGENDA->setToolTip(QStringLiteral("Muda Usuário"));
    connect(SBAGENDA, &QToolButton::clicked, this, &TFRMSEPRINCIPAL::SBAGENDAClick);
}

QString TFRMSEPRINCIPAL::panelText(int index) const {
    return m_panels.at(static_cast<size_t>(index))->text();
}

void TFRMSEPRINCIPAL::setPanelText(int index, const QString& text) {
    m_panels.at(static_cast<size_t>(index))->setText(text);
}

void TFRMSEPRINCIPAL::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFRMSEPRINCIPAL::FormShow() {
    m_session.settingsReadable = true;
    m_session.changingOperator = false;
    m_session.openSheets = 0;
    PNLATALHO->setGeometry(screenWidth() - 42, 10, 35, 34);
    PNLATALHO->raise();
    ABRE_CONTROLE();
    if (!openConnections()) {
        showDatabaseMessage();
        shell::terminateApplication();
    }
    m_databasesReached = !shell::applicationTerminated();
    QCoreApplication::processEvents();
}

bool TFRMSEPRINCIPAL::openConnections() {
    try {
        if (!ADOConnectionPalendra.isOpen()) {
            ADOConnectionPalendra.open();
        }
        if (!ADOConnectionQuorvel.isOpen()) {
            ADOConnectionQuorvel.open();
        }
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void TFRMSEPRINCIPAL::showDatabaseMessage() {
    MENSAGEM(QStringLiteral("!"), msg::AssistenciaTecnica, databaseProblem);
}

bool TFRMSEPRINCIPAL::ABRE_CONTROLE() {
    if (TBLCONTROLE.isOpen()) {
        return true;
    }
    try {
        TBLCONTROLE.open();
        if (!TBLCONTROLE.eof()) {
            TBLCONTROLE.fieldText(QStringLiteral("ACADEMIA"));
        }
        TBLCONTROLE.close();
        return true;
    } catch (const DatabaseError&) {
        TBLCONTROLE.close();
        MENSAGEM(QStringLiteral("!"), msg::AberturaDeTabela, QStringLiteral("Controle"));
        m_session.settingsReadable = false;
        return false;
    }
}

bool TFRMSEPRINCIPAL::ABRE_USUARIOS() {
    return openTableOrSay(TBLUSUARIOS, QStringLiteral("Usuarios"));
}

void TFRMSEPRINCIPAL::Timer1Timer() {
    QString marquee = Label1->text();
    marquee = marquee.mid(9) + marquee.left(9);
    Label1->setText(marquee);
    const QDateTime now = platform::now();
    setPanelText(2, systemDateText(now.date()));
    setPanelText(3, systemTimeText(now.time()));
    setPanelText(0, marquee);

    // Until start-up has reached the databases, and when the settings could not be read (the
    // login then ends the program), a failure is start-up's to report, not a lost database.
    if (m_databasesReached && m_session.settingsReadable && !heartbeat()) {
        // Stopped first, so that no second tick starts while the operator reads the message.
        Timer1->stop();
        mdiArea->closeAllSubWindows();
        showDatabaseMessage();
        ReSetBanco();
        QCoreApplication::processEvents();
    }
}

bool TFRMSEPRINCIPAL::heartbeat() {
    try {
        TBLCONTROLE.open();
        TBLCONTROLE.close();
        return true;
    } catch (const DatabaseError&) {
        TBLCONTROLE.close();
        return false;
    }
}

void TFRMSEPRINCIPAL::ReSetBanco() {
    // No limit and no pause: the operator's confirmation of each message paces the tries.
    for (;;) {
        ADOConnectionPalendra.close();
        ADOConnectionPalendra.setConnectionString(
            platform::dataLinkConnectionString(m_dataLinkFolder, palendraFile));
        try {
            ADOConnectionPalendra.open();
            Timer1->start();
            return;
        } catch (const DatabaseError&) {
            showDatabaseMessage();
        }
    }
}

void TFRMSEPRINCIPAL::MNImpressodeSrieClick() {
    // The item toggled itself when clicked; it is checked only while the sheet is open.
    MNImpressodeSrie->setChecked(false);
    if (!ABRE_USUARIOS()) {
        MENSAGEM(QStringLiteral("!"), msg::RegistroJaAlocado, QString());
        return;
    }
    if (!sheetAllowed()) {
        return;
    }
    TBLUSUARIOS.close();
    ++m_session.openSheets;
    openSheet();
}

bool TFRMSEPRINCIPAL::sheetAllowed() {
    const bool found = TBLUSUARIOS.locate(QStringLiteral("CODIGO"), m_session.operatorCode);
    if (found && TBLUSUARIOS.fieldText(QStringLiteral("IMP_SERIE_40")) == QStringLiteral("Não")) {
        TPDLGACESSOLOCAL authorisation(TBLUSUARIOS, this);
        // Given up after three failures, or closed: no sheet and no message.
        if (!authorisation.run()) {
            TBLUSUARIOS.close();
            return false;
        }
        // The table stands on the authoriser's row; his name shows until the sheet closes.
        showOperator(TBLUSUARIOS.fieldText(QStringLiteral("NOME")));
    }
    // An operator whose code is no longer in the table has no right at all (it would otherwise
    // be judged by the row the table stands on).
    const bool allowed =
        found && TBLUSUARIOS.fieldText(QStringLiteral("IMP_SERIE_40")) == QStringLiteral("Sim");
    if (!allowed) {
        MENSAGEM(QStringLiteral("!"), msg::UsuarioSemAcesso, QString());
        TBLUSUARIOS.close();
    }
    return allowed;
}

void TFRMSEPRINCIPAL::openSheet() {
    MNImpressodeSrie->setEnabled(false);
    MNImpressodeSrie->setChecked(true);
    m_openSheet(*this);
    sheetClosed();
    unsetCursor();
}

void TFRMSEPRINCIPAL::sheetClosed() {
    MNImpressodeSrie->setEnabled(true);
    MNImpressodeSrie->setChecked(false);
    if (!VOLTA_USUARIO()) {
        MENSAGEM(QStringLiteral("!"), msg::RegistroJaAlocado, QString());
    }
}

bool TFRMSEPRINCIPAL::VOLTA_USUARIO() {
    --m_session.openSheets;
    if (m_session.openSheets != 0 || TBLUSUARIOS.isOpen()) {
        return true;
    }
    // Puts the logged-in operator's name back after a local access dialog showed another one.
    try {
        TBLUSUARIOS.open();
        if (TBLUSUARIOS.locate(QStringLiteral("CODIGO"), m_session.operatorCode)) {
            showOperator(TBLUSUARIOS.fieldText(QStringLiteral("NOME")));
        }
        TBLUSUARIOS.close();
        return true;
    } catch (const DatabaseError&) {
        TBLUSUARIOS.close();
        MENSAGEM(QStringLiteral("!"), msg::AberturaDeTabela, QStringLiteral("SAUSUÁRIOS.DB"));
        return false;
    }
}

void TFRMSEPRINCIPAL::showOperator(const QString& name) {
    setPanelText(1, operatorPrefix + name);
}

bool TFRMSEPRINCIPAL::logIn() {
    TPDLGACESSO login(ADOConnectionPalendra, m_session, this);
    const std::optional<OperatorLogin> operatorIn = login.run();
    if (!operatorIn) {
        close();
        return false;
    }
    m_session.operatorCode = operatorIn->code;
    showOperator(operatorIn->name);
    return true;
}

void TFRMSEPRINCIPAL::SBAGENDAClick() {
    m_session.changingOperator = true;
    logIn();
}

void TFRMSEPRINCIPAL::MNSOBREClick() {
    // Each request makes a new window; they live as long as the main window.
    auto* about = new TFRMSOBRE(ADOConnectionPalendra, this);
    MNSOBRE->setEnabled(false);
    MNSOBRE->setChecked(true);
    about->exec();
    MNSOBRE->setEnabled(true);
    MNSOBRE->setChecked(false);
}

void TFRMSEPRINCIPAL::Sair1Click() {
    if (m_session.openSheets < 1) {
        Lint_Fecha_Janelas_Invisiveis = 2;
        close();
        return;
    }
    switch (Lint_Fecha_Janelas_Invisiveis) {
    case 0:
        MENSAGEM(QStringLiteral("!"), msg::FecheJanelas, QString());
        Lint_Fecha_Janelas_Invisiveis = 1;
        break;
    case 1:
        // The answer is not consulted: the operator has been warned twice.
        MENSAGEM(QStringLiteral("?"), msg::TemCertezaFechados, QString());
        Lint_Fecha_Janelas_Invisiveis = 2;
        close();
        break;
    default:
        Lint_Fecha_Janelas_Invisiveis = 2;
        close();
        break;
    }
}

void TFRMSEPRINCIPAL::closeEvent(QCloseEvent* event) {
    // A close request from outside (Alt+F4 or the frame, through a window manager) is refused:
    // the window closes only through its own exit sequence.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    event->accept();
    shell::terminateApplication();
}

bool TFRMSEPRINCIPAL::eventFilter(QObject* watched, QEvent* event) {
    // The window sees its keys before its controls; Alt+F4 must not close it.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (widget != nullptr && widget->window() == this && key->key() == Qt::Key_F4 &&
            key->modifiers() == Qt::AltModifier) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
