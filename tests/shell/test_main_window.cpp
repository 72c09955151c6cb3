// The main window: its look, the clock and marquee, the exit sequence, keys, start-up faults, and
// the about and splash windows.
#include "AboutWindow.h"
#include "ShellFixture.h"
#include "SplashWindow.h"
#include "TerminalApplication.h"
#include "TestBackends.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSet>
#include <QSpontaneKeyEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QToolButton>

namespace {

const QString databaseMessage = QStringLiteral("Entre em contato com Assistência Técnica !\r "
                                               "Problema no Banco de Dados ou não está Ativo !\n\r"
                                               "Problema na Rede ou não está Ativa !");

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, StatusPanelsAndShortcutPanelAreWhereTheOperatorLooks) {
    showMainWindow();
    const QList<QLabel*> panels =
        main->statusPanels->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 4);
    const int widths[] = {250, 250, 80, 50};
    const Qt::Alignment alignments[] = {Qt::AlignRight, Qt::AlignLeft, Qt::AlignHCenter,
                                        Qt::AlignHCenter};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panels[i]->width(), widths[i]) << i;
        EXPECT_EQ(panels[i]->alignment() & Qt::AlignHorizontal_Mask, alignments[i]) << i;
    }
    EXPECT_EQ(main->panelText(1), QStringLiteral("Usuário: "));
    EXPECT_FALSE(main->marquee->isVisible());
    // The top-right corner of the screen, whatever its size.
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(main->shortcutPanel->geometry(), QRect(screenWidth - 42, 10, 35, 34));
    EXPECT_TRUE(main->shortcutPanel->isVisible());
}

TEST_F(MainWindowTest, ShowStartsTheShellStateAfresh) {
    createMainWindow();
    OperatorSession& session = main->session();
    session.changingOperator = true;
    session.openSheets = 3;
    session.settingsReadable = false;
    EXPECT_EQ(main->clockTimer->interval(), 1000);
    showMainWindow();
    EXPECT_FALSE(session.changingOperator);
    EXPECT_EQ(session.openSheets, 0);
    EXPECT_TRUE(session.settingsReadable);
    EXPECT_TRUE(main->trainingDb.isOpen());
    EXPECT_TRUE(main->memberDb.isOpen());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(MainWindowTest, MarqueeRotatesNineCharactersAndVisitsEveryStart) {
    showMainWindow();
    const QString line = MainWindow::supportLine();
    ASSERT_EQ(line.size(), 55);
    EXPECT_TRUE(line.startsWith(QStringLiteral("SAC : ")));
    EXPECT_EQ(line.mid(18, 2), QStringLiteral("  "));
    EXPECT_EQ(line.mid(20, 9), QStringLiteral("e-mail : "));
    EXPECT_TRUE(line.endsWith(QStringLiteral("     ")));

    const QDateTime fixed(QDate(2026, 3, 7), QTime(14, 5, 9));
    TestBackends clock([&](platform::Backends& backends) {
        backends.clock = [&] {
            return fixed;
        };
    });
    QSet<QString> seen;
    for (int tick = 1; tick <= 55; ++tick) {
        main->tick();
        const QString expected = line.mid((9 * tick) % 55) + line.left((9 * tick) % 55);
        ASSERT_EQ(main->panelText(0), expected) << tick;
        seen.insert(main->panelText(0));
    }
    clock.restore();
    EXPECT_EQ(seen.size(), 55);
    EXPECT_EQ(main->panelText(0), line);
    EXPECT_EQ(main->panelText(2), QLocale::system().toString(fixed.date(), QLocale::ShortFormat));
    EXPECT_EQ(main->panelText(3), systemTimeText(fixed.time()));
    EXPECT_TRUE(main->panelText(3).contains(QStringLiteral("14")));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(MainWindowTest, LostConnectionIsReopenedAndClosesMdiChildren) {
    showMainWindow();
    main->mdiArea->addSubWindow(new QWidget)->show();
    main->trainingDb.close();
    main->tick();
    EXPECT_EQ(messages.texts(), QStringList({databaseMessage}));
    EXPECT_TRUE(main->mdiArea->subWindowList().isEmpty());
    EXPECT_TRUE(main->trainingDb.isOpen());
    EXPECT_TRUE(main->clockTimer->isActive());
}

TEST_F(MainWindowTest, ExitClosesAtOnceWithoutOpenSheets) {
    showMainWindow();
    main->exitAction->trigger();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->exitWarnings(), 2);
    EXPECT_TRUE(shell::applicationTerminated());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(MainWindowTest, ExitWithASheetCountedOpenWarnsThenAsksThenCloses) {
    showMainWindow();
    main->session().openSheets = 1;
    messages.answerWith(platform::IdNo); // the answer is not consulted
    main->exitAction->trigger();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->exitWarnings(), 1);
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Feche a(s) janelas abertas no SISTEMA ! ")}));
    main->exitAction->trigger();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->exitWarnings(), 2);
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(messages.messages()[1].text,
              QStringLiteral("Tem certeza que os formulários forão fechados ? "));
    EXPECT_EQ(messages.messages()[1].buttons, platform::MessageButtons::YesNo);

    // Shown again in state 2, it closes without a word.
    shell::clearTermination();
    messages.clear();
    main->show();
    main->session().openSheets = 1;
    main->exitAction->trigger();
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(MainWindowTest, AltF4IsSwallowedOtherKeysPass) {
    showMainWindow();
    QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
    QApplication::sendEvent(main->mdiArea, &altF4);
    EXPECT_TRUE(altF4.isAccepted()); // taken before any control saw it
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(main->mdiArea, &f4);
    EXPECT_FALSE(f4.isAccepted()); // went through the controls, nobody wanted it
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MainWindowTest, CloseRequestFromTheWindowManagerIsRefused) {
    showMainWindow();
    // A window manager's close request (Alt+F4, the frame's close box) reaches the window as a
    // spontaneous close event.
    QCloseEvent request;
    QSpontaneKeyEvent::setSpontaneous(&request);
    static_cast<QObject*>(main.get())->event(&request);
    EXPECT_FALSE(request.isAccepted());
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(shell::applicationTerminated());
    main->exitAction->trigger(); // its own exit sequence still closes it
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindowTest, UnreachableQuorvelEndsTheProgramAfterTheMessage) {
    QFile::remove(QDir(folder()).filePath(QStringLiteral("quorvel.db")));
    showMainWindow();
    EXPECT_EQ(messages.texts(), QStringList({databaseMessage}));
    EXPECT_TRUE(shell::applicationTerminated());
    // The login dialog of the start-up then returns at once.
    EXPECT_FALSE(main->logIn());
    EXPECT_EQ(messages.texts().size(), 1);
}

TEST_F(MainWindowTest, SettingsWithoutADeclaredColumnFailTheSettingsCheck) {
    changeDatabase(palendraFile(), {QStringLiteral("ALTER TABLE Secvar DROP COLUMN CAPTURA_WEB")});
    showMainWindow();
    EXPECT_EQ(messages.texts(), QStringList({QStringLiteral("Abertura de tabela ! Controle")}));
    EXPECT_FALSE(main->session().settingsReadable);
    EXPECT_FALSE(shell::applicationTerminated());
}

TEST_F(MainWindowTest, UnreachablePalendraAtStartUpEndsTheProgramWhileTheOperatorReads) {
    QFile::remove(palendraFile());
    messages.takeTimeToAnswer(1200); // the one-second clock ticks while each box is up
    showMainWindow();
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Abertura de tabela ! Controle"), databaseMessage}));
    EXPECT_TRUE(shell::applicationTerminated());
}

// ---- About and splash ----

TEST_F(MainWindowTest, AboutShowsTheCurrentSettingsEachTime) {
    showMainWindow();
    QStringList shown;
    bool menuWhileOpen = true;
    bool checkedWhileOpen = false;
    auto readAndClose = [&](AboutWindow& about) {
        EXPECT_EQ(about.windowTitle(), QStringLiteral("Sobre"));
        EXPECT_EQ(about.size(), QSize(414, 211));
        EXPECT_EQ(about.versionCaption->text(), QStringLiteral("Versão: 9.04"));
        EXPECT_EQ(about.taxIdCaption->text(), QStringLiteral("CNPJ"));
        shown << about.gymName->text() << about.address->text() << about.complement->text()
              << about.taxId->text();
        menuWhileOpen = main->aboutAction->isEnabled();
        checkedWhileOpen = main->aboutAction->isChecked();
        // A click on the picture closes the window.
        QTest::mouseClick(about.picture, Qt::LeftButton, {}, QPoint(200, 100));
    };
    onModal<AboutWindow>(readAndClose);
    main->aboutAction->trigger();
    EXPECT_EQ(shown, QStringList({QStringLiteral("Academia Corpo & Movimento"),
                                  QStringLiteral("Rua das Acácias, 1250 - Jardim São Paulo"),
                                  QStringLiteral("Centro - Belo Horizonte - MG"),
                                  QStringLiteral("12.345.678/0001-90")}));
    EXPECT_FALSE(menuWhileOpen);
    EXPECT_TRUE(checkedWhileOpen);
    EXPECT_TRUE(main->aboutAction->isEnabled());
    EXPECT_FALSE(main->aboutAction->isChecked());

    changeDatabase(palendraFile(),
                   {QStringLiteral("UPDATE Secvar SET ACADEMIA = 'Academia Nova Forma'")});
    shown.clear();
    onModal<AboutWindow>(readAndClose);
    main->aboutAction->trigger();
    EXPECT_EQ(shown.value(0), QStringLiteral("Academia Nova Forma"));
    EXPECT_EQ(main->findChildren<AboutWindow*>().size(), 2); // kept until the main window goes
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(MainWindowTest, AboutWithoutItsSettingsColumnsStaysOpenAndEmpty) {
    changeDatabase(palendraFile(), {QStringLiteral("ALTER TABLE Secvar DROP COLUMN CNPJCPF")});
    showMainWindow();
    QString academyShown = QStringLiteral("not read");
    bool visibleAfterMessage = false;
    onModal<AboutWindow>([&](AboutWindow& about) {
        academyShown = about.gymName->text();
        visibleAfterMessage = about.isVisible();
        about.close();
    });
    main->aboutAction->trigger();
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Abertura de tabela ! SACONTROLE.DB")}));
    EXPECT_TRUE(visibleAfterMessage);
    EXPECT_EQ(academyShown, QString());
    EXPECT_TRUE(main->aboutAction->isEnabled());
}

TEST_F(MainWindowTest, AboutIsNotClosedByEscape) {
    showMainWindow();
    bool openAfterEscape = false;
    onModal<AboutWindow>([&](AboutWindow& about) {
        QTest::keyClick(&about, Qt::Key_Escape);
        openAfterEscape = about.isVisible();
        about.close(); // its close box
    });
    main->aboutAction->trigger();
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(main->aboutAction->isEnabled());
}

// Where a label draws its text, in its window.
QRect textRect(const QLabel& label) {
    return QStyle::alignedRect(Qt::LeftToRight, label.alignment(),
                               label.fontMetrics().size(0, label.text()), label.contentsRect())
        .translated(label.pos());
}

// Every text of the about window, the settings at their full widths included, has a place of its
// own.
TEST_F(MainWindowTest, AboutTextsDoNotOverlapWithTheLongestSettings) {
    // Names as the back office types them, upper case, to the columns' full widths.
    changeDatabase(
        palendraFile(),
        {QStringLiteral("UPDATE Secvar SET ACADEMIA = 'ACADEMIA CORPO E MOVIMENTO MAXIMUS.', "
                        "ENDERACADEMIA = 'AVENIDA PRESIDENTE JUSCELINO KUBITSCHEK,', "
                        "COMPLEMENTO1 = 'SALA 1250 - BAIRRO SAVASSI - BELO HORIZO', "
                        "CNPJCPF = '12.345.678/0001-90'")});
    showMainWindow();
    onModal<AboutWindow>([](AboutWindow& about) {
        EXPECT_EQ(about.gymName->text().size(), 35);
        QList<QLabel*> texts;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            if (label != about.picture && !label->text().isEmpty()) {
                texts << label;
            }
        }
        for (QLabel* label : texts) {
            const QRect needed = textRect(*label);
            EXPECT_TRUE(about.rect().contains(needed)) << label->text().toStdString();
            EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
            for (QLabel* other : texts) {
                const QRect otherNeeded = textRect(*other);
                EXPECT_TRUE(label == other || !needed.intersects(otherNeeded))
                    << label->text().toStdString() << " / " << other->text().toStdString();
            }
        }
        about.close();
    });
    main->aboutAction->trigger();
}

TEST(SplashTest, ClosesItselfWhenItsTimerFires) {
    SplashWindow splash;
    EXPECT_EQ(splash.splashTimer->interval(), 4000);
    EXPECT_FALSE(splash.splashTimer->isActive()); // disabled until shown
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.size(), QSize(412, 210));
    EXPECT_EQ(splash.picture->pixmap().size(), QSize(413, 210));
    splash.splashTimer->setInterval(100); // the tests do not wait four seconds
    bool visibleAfterEscape = false;
    QTimer::singleShot(20, &splash, [&] {
        QTest::keyClick(&splash, Qt::Key_Escape);
        visibleAfterEscape = splash.isVisible();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    splash.exec();
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_GE(elapsed.elapsed(), 50);
    EXPECT_FALSE(splash.isVisible());
}

} // namespace
