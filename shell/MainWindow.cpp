#include "MainWindow.h"

#include "AboutWindow.h"
#include "Clock.h"
#include "DataLink.h"
#include "LoginDialog.h"
#include "Messages.h"
#include "Pictures.h"
#include "SheetAccessDialog.h"
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

MainWindow::MainWindow(const QString& dataLinkFolder, SheetOpener openSheet, QWidget* parent)
    : QMainWindow(parent)
    , m_dataLinkFolder(dataLinkFolder)
    , m_openSheet(std::move(openSheet)) {
    setWindowTitle(QStringLiteral("Terminal de Exercício"));
    setFont(arialFont(8));
    const QColor backgroundColour = colorFromBgr(15724527);
    paintBackground(*this, backgroundColour);
    // Maximised; the screen's size as well, for a kiosk display without a window manager.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    setWindowState(Qt::WindowMaximized);

    mdiArea = new QMdiArea(this);
    mdiArea->setBackground(backgroundColour);
    setCentralWidget(mdiArea);
    background = new QLabel(mdiArea->viewport());
    background->setObjectName(QStringLiteral("background"));
    background->setPixmap(picture(QStringLiteral("fundo.jpg")));
    background->adjustSize();
    background->move(0, 0);
    background->lower();

    marquee = new QLabel(supportLine(), this);
    marquee->hide();

    createMenu();
    createStatusBar();
    createShortcutPanel();

    trainingDb.setConnectionString(
        platform::dataLinkConnectionString(dataLinkFolder, palendraFile));
    memberDb.setConnectionString(platform::dataLinkConnectionString(dataLinkFolder, quorvelFile));
    settings.setConnection(&trainingDb);
    settings.setTableName(QStringLiteral("Secvar"));
    settings.setDeclaredColumns({QStringLiteral("ACADEMIA"), QStringLiteral("CAPTURA_WEB"),
                                 QStringLiteral("PATH_EXERCICIO")});
    operators.setConnection(&trainingDb);
    operators.setTableName(QStringLiteral("Usuarios"));
    operators.setDeclaredColumns({QStringLiteral("CODIGO"), QStringLiteral("NOME"),
                                  QStringLiteral("SENHA"), QStringLiteral("IMP_SERIE_40")});

    clockTimer = new QTimer(this);
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, &MainWindow::tick);
    clockTimer->start();

    m_session.settingsReadable = true;
    // Start-up cannot go on without the Palendra database; showing the window reports it with the
    // database message and ends the program, so here it is only logged.
    try {
        trainingDb.open();
    } catch (const DatabaseError& error) {
        appendErrorLog(TerminalApplication::errorLogPath(), QString::fromLocal8Bit(error.what()));
    }
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

QString MainWindow::supportLine() {
    return QStringLiteral("SAC : 31 3555-0190  e-mail : sac@terminalse.com.br     ");
}

void MainWindow::createMenu() {
    menu = menuBar();
    QMenu* exercises = menu->addMenu(QStringLiteral("&Exercícios"));
    sheetAction = exercises->addAction(QStringLiteral("&Ficha de Exercícios"));
    sheetAction->setCheckable(true);
    connect(sheetAction, &QAction::triggered, this, &MainWindow::requestSheet);
    aboutAction = menu->addAction(QStringLiteral("S&obre"));
    aboutAction->setCheckable(true);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    exitAction = menu->addAction(QStringLiteral("&Sair"));
    connect(exitAction, &QAction::triggered, this, &MainWindow::requestExit);
}

void MainWindow::createStatusBar() {
    statusPanels = statusBar();
    statusPanels->setSizeGripEnabled(false);
    for (const PanelLook& look : panelLooks) {
        auto* panel = new QLabel(statusPanels);
        panel->setFixedWidth(look.width);
        panel->setAlignment(look.alignment);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusPanels->addWidget(panel);
        m_panels.push_back(panel);
    }
    setPanelText(1, operatorPrefix);
}

void MainWindow::createShortcutPanel() {
    shortcutPanel = new QWidget(mdiArea);
    paintBackground(*shortcutPanel, colorFromBgr(8454143));
    shortcutPanel->setGeometry(screenWidth() - 42, 10, 35, 34);
    changeOperatorButton = new QToolButton(shortcutPanel);
    changeOperatorButton->setGeometry(5, 6, 25, 25);
    changeOperatorButton->setAutoRaise(true);
    changeOperatorButton->setIcon(twoStateGlyph(QStringLiteral("muda_usuario.png")));
    changeOperatorButton->setIconSize(QSize(21, 21));
    changeOperatorButton->setToolTip(QStringLiteral("Muda Usuário"));
    connect(changeOperatorButton, &QToolButton::clicked, this, &MainWindow::changeOperator);
}

QString MainWindow::panelText(int index) const {
    return m_panels.at(static_cast<size_t>(index))->text();
}

void MainWindow::setPanelText(int index, const QString& text) {
    m_panels.at(static_cast<size_t>(index))->setText(text);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void MainWindow::firstShown() {
    m_session.settingsReadable = true;
    m_session.changingOperator = false;
    m_session.openSheets = 0;
    shortcutPanel->setGeometry(screenWidth() - 42, 10, 35, 34);
    shortcutPanel->raise();
    checkSettings();
    if (!openConnections()) {
        showDatabaseMessage();
        shell::terminateApplication();
    }
    m_databasesReached = !shell::applicationTerminated();
    QCoreApplication::processEvents();
}

bool MainWindow::openConnections() {
    try {
        if (!trainingDb.isOpen()) {
            trainingDb.open();
        }
        if (!memberDb.isOpen()) {
            memberDb.open();
        }
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void MainWindow::showDatabaseMessage() {
    showMessage(MessageKind::Information, msg::AssistenciaTecnica, databaseProblem);
}

bool MainWindow::checkSettings() {
    if (settings.isOpen()) {
        return true;
    }
    try {
        settings.open();
        if (!settings.eof()) {
            settings.fieldText(QStringLiteral("ACADEMIA"));
        }
        settings.close();
        return true;
    } catch (const DatabaseError&) {
        settings.close();
        showMessage(MessageKind::Information, msg::AberturaDeTabela, QStringLiteral("Controle"));
        m_session.settingsReadable = false;
        return false;
    }
}

bool MainWindow::openOperators() {
    return openTableOrSay(operators, QStringLiteral("Usuarios"));
}

void MainWindow::tick() {
    QString text = marquee->text();
    text = text.mid(9) + text.left(9);
    marquee->setText(text);
    const QDateTime now = platform::now();
    setPanelText(2, systemDateText(now.date()));
    setPanelText(3, systemTimeText(now.time()));
    setPanelText(0, text);

    // Until start-up has reached the databases, and when the settings could not be read (the
    // login then ends the program), a failure is start-up's to report, not a lost database.
    if (m_databasesReached && m_session.settingsReadable && !heartbeat()) {
        // Stopped first, so that no second tick starts while the operator reads the message.
        clockTimer->stop();
        mdiArea->closeAllSubWindows();
        showDatabaseMessage();
        reconnectUntilReached();
        QCoreApplication::processEvents();
    }
}

bool MainWindow::heartbeat() {
    try {
        settings.open();
        settings.close();
        return true;
    } catch (const DatabaseError&) {
        settings.close();
        return false;
    }
}

void MainWindow::reconnectUntilReached() {
    // No limit and no pause: the operator's confirmation of each message paces the tries.
    for (;;) {
        trainingDb.close();
        trainingDb.setConnectionString(
            platform::dataLinkConnectionString(m_dataLinkFolder, palendraFile));
        try {
            trainingDb.open();
            clockTimer->start();
            return;
        } catch (const DatabaseError&) {
            showDatabaseMessage();
        }
    }
}

void MainWindow::requestSheet() {
    // The item toggled itself when clicked; it is checked only while the sheet is open.
    sheetAction->setChecked(false);
    if (!openOperators()) {
        showMessage(MessageKind::Information, msg::RegistroJaAlocado, QString());
        return;
    }
    if (!sheetAllowed()) {
        return;
    }
    operators.close();
    ++m_session.openSheets;
    openSheet();
}

bool MainWindow::sheetAllowed() {
    const bool found = operators.locate(QStringLiteral("CODIGO"), m_session.operatorCode);
    if (found && operators.fieldText(QStringLiteral("IMP_SERIE_40")) == QStringLiteral("Não")) {
        SheetAccessDialog authorisation(operators, this);
        // Given up after three failures, or closed: no sheet and no message.
        if (!authorisation.run()) {
            operators.close();
            return false;
        }
        // The table stands on the authoriser's row; his name shows until the sheet closes.
        showOperator(operators.fieldText(QStringLiteral("NOME")));
    }
    // An operator whose code is no longer in the table has no right at all (it would otherwise
    // be judged by the row the table stands on).
    const bool allowed =
        found && operators.fieldText(QStringLiteral("IMP_SERIE_40")) == QStringLiteral("Sim");
    if (!allowed) {
        showMessage(MessageKind::Information, msg::UsuarioSemAcesso, QString());
        operators.close();
    }
    return allowed;
}

void MainWindow::openSheet() {
    sheetAction->setEnabled(false);
    sheetAction->setChecked(true);
    m_openSheet(*this);
    sheetClosed();
    unsetCursor();
}

void MainWindow::sheetClosed() {
    sheetAction->setEnabled(true);
    sheetAction->setChecked(false);
    if (!backToOperator()) {
        showMessage(MessageKind::Information, msg::RegistroJaAlocado, QString());
    }
}

bool MainWindow::backToOperator() {
    --m_session.openSheets;
    if (m_session.openSheets != 0 || operators.isOpen()) {
        return true;
    }
    // Puts the logged-in operator's name back after a local access dialog showed another one.
    try {
        operators.open();
        if (operators.locate(QStringLiteral("CODIGO"), m_session.operatorCode)) {
            showOperator(operators.fieldText(QStringLiteral("NOME")));
        }
        operators.close();
        return true;
    } catch (const DatabaseError&) {
        operators.close();
        showMessage(MessageKind::Information, msg::AberturaDeTabela,
                    QStringLiteral("SAUSUÁRIOS.DB"));
        return false;
    }
}

void MainWindow::showOperator(const QString& name) {
    setPanelText(1, operatorPrefix + name);
}

bool MainWindow::logIn() {
    // At start-up the login stands on its own, centred on the screen; a change of operator opens
    // it over the main window.
    LoginDialog login(trainingDb, m_session, m_session.changingOperator ? this : nullptr);
    login.setWindowBelow(this);
    const std::optional<OperatorLogin> operatorIn = login.run();
    if (!operatorIn) {
        close();
        return false;
    }
    m_session.operatorCode = operatorIn->code;
    showOperator(operatorIn->name);
    return true;
}

void MainWindow::changeOperator() {
    m_session.changingOperator = true;
    logIn();
}

void MainWindow::showAbout() {
    // Each request makes a new window; they live as long as the main window.
    auto* about = new AboutWindow(trainingDb, this);
    aboutAction->setEnabled(false);
    aboutAction->setChecked(true);
    about->exec();
    aboutAction->setEnabled(true);
    aboutAction->setChecked(false);
}

void MainWindow::requestExit() {
    if (m_session.openSheets < 1) {
        m_exitWarnings = 2;
        close();
        return;
    }
    switch (m_exitWarnings) {
    case 0:
        showMessage(MessageKind::Information, msg::FecheJanelas, QString());
        m_exitWarnings = 1;
        break;
    case 1:
        // The answer is not consulted: the operator has been warned twice.
        showMessage(MessageKind::Question, msg::TemCertezaFechados, QString());
        m_exitWarnings = 2;
        close();
        break;
    default:
        m_exitWarnings = 2;
        close();
        break;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close request from outside (Alt+F4 or the frame, through a window manager) is refused:
    // the window closes only through its own exit sequence.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    event->accept();
    shell::terminateApplication();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
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
