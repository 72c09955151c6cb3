// The login dialog and the local access dialog, driven through their fields.
#include "KioskWindow.h"
#include "LoginDialog.h"
#include "SheetAccessDialog.h"
#include "ShellFixture.h"
#include "TerminalApplication.h"
#include "TestBackends.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QToolButton>

namespace {

const QString unregistered = QStringLiteral("Código não cadastrado ! ");
const QString wrongPassword = QStringLiteral("Senha não confere ! ");
const QString noAccess = QStringLiteral("Usuário sem acesso ! ");

void type(QLineEdit* field, const QString& text, Qt::Key key = Qt::Key_Return) {
    QTest::keyClicks(field, text);
    QTest::keyClick(field, key);
}

class LoginTest : public ShellTest {
protected:
    // Asks the main window for a login, lets steps act on the dialog, and returns whether an
    // operator logged in.
    bool runLogin(std::function<void(LoginDialog&)> steps) {
        onModal<LoginDialog>(std::move(steps));
        return main->logIn();
    }
    const QString& operatorCode() { return main->session().operatorCode; }
    bool terminated() const { return shell::applicationTerminated() && !main->isVisible(); }
};

TEST_F(LoginTest, LogsInWithLowerCaseCodeAndShowsTheOperator) {
    showMainWindow();
    QString nameShown;
    const bool loggedIn = runLogin([&](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("ad"));
        EXPECT_EQ(login.codeEdit->text(), QStringLiteral("AD"));
        EXPECT_FALSE(login.codeEdit->isEnabled());
        EXPECT_TRUE(login.passwordEdit->isEnabled());
        nameShown = login.operatorName->text();
        type(login.passwordEdit, QStringLiteral("adm123"));
    });
    EXPECT_TRUE(loggedIn);
    EXPECT_EQ(nameShown, QStringLiteral("Administrador"));
    EXPECT_EQ(operatorCode(), QStringLiteral("AD"));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Administrador")));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(LoginTest, FieldsLimitTheirLengthAndStartInCodeEntry) {
    showMainWindow();
    runLogin([&](LoginDialog& login) {
        EXPECT_EQ(login.windowTitle(), QStringLiteral("Acesso"));
        EXPECT_FALSE(login.passwordEdit->isEnabled());
        EXPECT_EQ(login.passwordEdit->echoMode(), QLineEdit::Password);
        QTest::keyClicks(login.codeEdit, QStringLiteral("gex"));
        EXPECT_EQ(login.codeEdit->text(), QStringLiteral("GE"));
        QTest::keyClick(login.codeEdit, Qt::Key_Escape); // Escape submits the code too
        QTest::keyClicks(login.passwordEdit, QStringLiteral("ger77xyz"));
        EXPECT_EQ(login.passwordEdit->text(), QStringLiteral("GER77X"));
        EXPECT_EQ(login.passwordEdit->displayText(), QStringLiteral("******"));
        login.passwordEdit->clear();
        type(login.passwordEdit, QStringLiteral("GER77"), Qt::Key_Enter);
    });
    EXPECT_EQ(operatorCode(), QStringLiteral("GE"));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Gerência")));
}

TEST_F(LoginTest, ThreeUnregisteredCodesEndTheProgram) {
    showMainWindow();
    const bool loggedIn = runLogin([](LoginDialog& login) {
        for (const char* code : {"XX", "YY", "ZZ"}) {
            type(login.codeEdit, QString::fromLatin1(code));
        }
    });
    EXPECT_FALSE(loggedIn);
    EXPECT_EQ(messages.texts(), QStringList({unregistered, unregistered, unregistered, noAccess}));
    EXPECT_TRUE(terminated());
}

TEST_F(LoginTest, PasswordCounterSurvivesEscapeAndANewCode) {
    showMainWindow();
    int codeCounter = 0;
    runLogin([&](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("AD"));
        type(login.passwordEdit, QStringLiteral("X1"));
        type(login.passwordEdit, QStringLiteral("X2"));
        QTest::keyClick(login.passwordEdit, Qt::Key_Escape);
        EXPECT_TRUE(login.codeEdit->isEnabled());
        EXPECT_TRUE(login.codeEdit->text().isEmpty());
        EXPECT_TRUE(login.operatorName->text().isEmpty());
        EXPECT_FALSE(login.passwordEdit->isEnabled());
        type(login.codeEdit, QStringLiteral("GE"));
        codeCounter = login.codeTries;
        type(login.passwordEdit, QStringLiteral("X3"));
    });
    EXPECT_EQ(codeCounter, 1);
    EXPECT_EQ(messages.texts(),
              QStringList({wrongPassword, wrongPassword, wrongPassword, noAccess}));
    EXPECT_TRUE(terminated());
}

TEST_F(LoginTest, UnregisteredCodesAndWrongPasswordsCountApart) {
    showMainWindow();
    runLogin([](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("XX"));
        type(login.codeEdit, QStringLiteral("YY"));
        type(login.codeEdit, QStringLiteral("RE"));
        type(login.passwordEdit, QStringLiteral("NOPE"));
        type(login.passwordEdit, QStringLiteral("REC1"));
    });
    EXPECT_EQ(messages.texts(), QStringList({unregistered, unregistered, wrongPassword}));
    EXPECT_FALSE(shell::applicationTerminated());
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Recepção Manhã")));
}

TEST_F(LoginTest, EnterWithAnEmptyPasswordOnlyReenablesTheCode) {
    showMainWindow();
    runLogin([](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("AD"));
        QTest::keyClick(login.passwordEdit, Qt::Key_Return);
        EXPECT_TRUE(login.codeEdit->isEnabled());
        EXPECT_TRUE(login.passwordEdit->isEnabled());
        EXPECT_EQ(login.passwordTries, 1);
        type(login.passwordEdit, QStringLiteral("ADM123"));
    });
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(LoginTest, UnregisteredCodeAfterAnAcceptedOneKeepsTheAcceptedOperator) {
    showMainWindow();
    runLogin([](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("AD"));
        QTest::keyClick(login.passwordEdit, Qt::Key_Return); // the code field is enabled again
        login.codeEdit->clear();
        type(login.codeEdit, QStringLiteral("ZZ"));
        EXPECT_EQ(login.operatorName->text(), QStringLiteral("Administrador"));
        type(login.passwordEdit, QStringLiteral("GER77")); // another operator's password
        EXPECT_EQ(login.passwordTries, 2);
        type(login.passwordEdit, QStringLiteral("ADM123"));
    });
    EXPECT_EQ(messages.texts(), QStringList({unregistered, wrongPassword}));
    EXPECT_EQ(operatorCode(), QStringLiteral("AD"));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Administrador")));
}

TEST_F(LoginTest, StoredLowerCasePasswordNeverMatches) {
    changeDatabase(palendraFile(),
                   {QStringLiteral("INSERT INTO Usuarios (CODIGO, NOME, SENHA, IMP_SERIE_40) "
                                   "VALUES ('LC', 'Minúsculo', 'abc', 'Sim')")});
    showMainWindow();
    runLogin([](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("LC"));
        type(login.passwordEdit, QStringLiteral("abc"));
        EXPECT_EQ(login.passwordEdit->text(), QString()); // emptied after the refusal
        type(login.passwordEdit, QStringLiteral("ABC"));
        type(login.passwordEdit, QStringLiteral("aBc"));
    });
    EXPECT_EQ(messages.texts(),
              QStringList({wrongPassword, wrongPassword, wrongPassword, noAccess}));
}

TEST_F(LoginTest, ChangingOperatorCountsNoFailureAndCannotBeLeftWithoutLogin) {
    showMainWindow();
    main->session().changingOperator = true;
    bool stillOpen = false;
    runLogin([&](LoginDialog& login) {
        for (int i = 0; i < 4; ++i) {
            type(login.codeEdit, QStringLiteral("ZZ"));
        }
        type(login.codeEdit, QStringLiteral("ES"));
        for (int i = 0; i < 4; ++i) {
            type(login.passwordEdit, QStringLiteral("BAD"));
        }
        login.close();
        login.reject();
        stillOpen = login.isVisible();
        EXPECT_EQ(login.codeTries, 1);
        EXPECT_EQ(login.passwordTries, 1);
        type(login.passwordEdit, QStringLiteral("EST"));
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(messages.texts().count(unregistered), 4);
    EXPECT_EQ(messages.texts().count(wrongPassword), 4);
    EXPECT_FALSE(messages.texts().contains(noAccess));
    EXPECT_EQ(operatorCode(), QStringLiteral("ES"));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Estagiário")));
}

TEST_F(LoginTest, RestartsGiveNoMoreThanTwelveWrongPasswordsAMinute) {
    QDateTime now(QDate(2026, 12, 9), QTime(10, 0));
    TestBackends clock([&](platform::Backends& backends) {
        backends.clock = [&] {
            return now;
        };
    });
    // Four starts of the terminal, each ended by three wrong passwords.
    for (int start = 0; start < 4; ++start) {
        shell::clearTermination();
        showMainWindow();
        runLogin([](LoginDialog& login) {
            type(login.codeEdit, QStringLiteral("AD"));
            for (int i = 0; i < 3; ++i) {
                type(login.passwordEdit, QStringLiteral("BAD"));
            }
        });
        now = now.addSecs(10);
    }
    messages.clear();
    shell::clearTermination();
    showMainWindow();
    QStringList refusedTries;
    runLogin([&](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("AD"));
        type(login.passwordEdit, QStringLiteral("ADM123")); // not even checked
        EXPECT_TRUE(login.passwordEdit->text().isEmpty());
        refusedTries = messages.texts();
        now = now.addSecs(30); // the first six wrong passwords are a minute old
        type(login.passwordEdit, QStringLiteral("ADM123"));
    });
    clock.restore();
    EXPECT_EQ(refusedTries, QStringList({noAccess}));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Administrador")));
    const QFileInfo count(folder() + QStringLiteral("/state/se-terminal/wrong-passwords"));
    ASSERT_TRUE(count.exists());
    EXPECT_EQ(count.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);
}

// Twelve wrong passwords left by a clock that ran a day ahead, then set right.
TEST_F(LoginTest, WrongPasswordsDatedInTheFutureRefuseNoOne) {
    const QDateTime now(QDate(2026, 12, 9), QTime(10, 0));
    const TestBackends clock([&](platform::Backends& backends) {
        backends.clock = [&] {
            return now;
        };
    });
    const QString folder = this->folder() + QStringLiteral("/state/se-terminal");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/wrong-passwords"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 12; ++i) {
        file.write(QByteArray::number(now.addDays(1).addSecs(i).toMSecsSinceEpoch()) + '\n');
    }
    file.close();
    showMainWindow();
    const bool loggedIn = runLogin([](LoginDialog& login) {
        type(login.codeEdit, QStringLiteral("AD"));
        type(login.passwordEdit, QStringLiteral("ADM123"));
        if (login.isVisible()) {
            login.done(QDialog::Rejected); // refused: the dialog would wait for ever
        }
    });
    EXPECT_TRUE(loggedIn);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

TEST_F(LoginTest, ChangeOfOperatorButtonOpensTheDialogInChangeMode) {
    showMainWindow();
    bool changeMode = false;
    onModal<LoginDialog>([&](LoginDialog& login) {
        changeMode = main->session().changingOperator;
        type(login.codeEdit, QStringLiteral("GE"));
        type(login.passwordEdit, QStringLiteral("GER77"));
    });
    main->changeOperatorButton->click();
    EXPECT_TRUE(changeMode);
    EXPECT_EQ(operatorCode(), QStringLiteral("GE"));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Gerência")));
}

TEST_F(LoginTest, UnreadableSettingsEndTheProgramAtOnce) {
    showMainWindow();
    main->session().settingsReadable = false;
    EXPECT_FALSE(main->logIn());
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Entre em contato com Assistência Técnica !\r "
                                          "Problema na Rede ou não está Ativa !")}));
    EXPECT_TRUE(terminated());
}

TEST_F(LoginTest, SettingsWithoutADeclaredColumnEndTheProgram) {
    changeDatabase(palendraFile(),
                   {QStringLiteral("ALTER TABLE Secvar DROP COLUMN POR_CODIGO_APARELHO")});
    showMainWindow();
    EXPECT_TRUE(messages.texts().isEmpty()); // the main window does not declare that column
    EXPECT_FALSE(main->logIn());
    EXPECT_EQ(messages.texts(), QStringList({QStringLiteral("Abertura de tabela ! CONTROLE")}));
    EXPECT_TRUE(terminated());
}

TEST_F(LoginTest, SettingsFailureEndsTheProgramWhileTheOperatorTakesTimeToRead) {
    changeDatabase(palendraFile(), {QStringLiteral("ALTER TABLE Secvar DROP COLUMN CAPTURA_WEB")});
    messages.takeTimeToAnswer(1200); // the one-second clock ticks while each box is up
    showMainWindow();
    bool hung = false;
    QTimer::singleShot(10000, main.get(), [&] {
        hung = true;
        if (QWidget* login = QApplication::activeModalWidget()) {
            login->hide();
        }
    });
    EXPECT_FALSE(main->logIn());
    EXPECT_FALSE(hung) << "the login dialog never ended";
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Abertura de tabela ! Controle"),
                           QStringLiteral("Entre em contato com Assistência Técnica !\r "
                                          "Problema na Rede ou não está Ativa !")}));
    EXPECT_TRUE(terminated());
}

// ---- Sheet request and the local access dialog ----

class SheetRequestTest : public LoginTest {
protected:
    void SetUp() override {
        LoginTest::SetUp();
        showMainWindow();
    }
    // Logs the operator in as the login dialog does.
    void loggedInAs(const QString& code, const QString& name) {
        main->session().operatorCode = code;
        main->setPanelText(1, operatorPanel(name));
    }
    // Requests the sheet; authorise acts on the local access dialog if one comes. Returns whether
    // the sheet window opened, and what panel 1 showed while it was open.
    bool requestSheet(std::function<void(SheetAccessDialog&)> authorise = {}) {
        bool sheetOpened = false;
        if (authorise) {
            onModal<SheetAccessDialog>(std::move(authorise));
        }
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* sheet = dynamic_cast<KioskWindow*>(QApplication::activeModalWidget())) {
                watch.stop();
                sheetOpened = true;
                panelDuringSheet = main->panelText(1);
                codeDuringSheet = operatorCode();
                menuWhileOpen = {main->sheetAction->isEnabled(), main->sheetAction->isChecked()};
                windowsWhileOpen = main->session().openSheets;
                EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Ficha de Exercícios"));
                sheet->close();
            }
        });
        watch.start();
        main->sheetAction->trigger();
        return sheetOpened;
    }

    QString panelDuringSheet;
    QString codeDuringSheet;
    std::pair<bool, bool> menuWhileOpen{true, false};
    int windowsWhileOpen = 0;
};

TEST_F(SheetRequestTest, OperatorWithTheRightOpensTheSheetAtOnce) {
    loggedInAs(QStringLiteral("AD"), QStringLiteral("Administrador"));
    EXPECT_TRUE(requestSheet());
    EXPECT_EQ(menuWhileOpen, std::make_pair(false, true));
    EXPECT_EQ(windowsWhileOpen, 1);
    EXPECT_EQ(main->session().openSheets, 0);
    EXPECT_TRUE(main->sheetAction->isEnabled());
    EXPECT_FALSE(main->sheetAction->isChecked());
    EXPECT_FALSE(main->operators.isOpen());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(SheetRequestTest, EmptyOrOtherRightIsRefusedWithoutAskingAnyone) {
    for (const char* code : {"ES", "VI", "XX"}) { // "", "sim", a code no longer in the table
        messages.clear();
        loggedInAs(QString::fromLatin1(code), QString());
        EXPECT_FALSE(requestSheet()) << code;
        EXPECT_EQ(messages.texts(), QStringList({noAccess})) << code;
        EXPECT_FALSE(main->sheetAction->isChecked()) << code;
        EXPECT_FALSE(main->operators.isOpen());
        EXPECT_EQ(main->session().openSheets, 0);
    }
}

TEST_F(SheetRequestTest, AuthorisationByAnOperatorWithTheRightOpensTheSheet) {
    loggedInAs(QStringLiteral("RE"), QStringLiteral("Recepção Manhã"));
    EXPECT_TRUE(requestSheet([](SheetAccessDialog& local) {
        EXPECT_EQ(local.windowTitle(), QStringLiteral("Acesso Local"));
        type(local.codeEdit, QStringLiteral("ad"));
        type(local.passwordEdit, QStringLiteral("ADM123"));
    }));
    EXPECT_EQ(panelDuringSheet, operatorPanel(QStringLiteral("Administrador")));
    EXPECT_EQ(codeDuringSheet, QStringLiteral("RE"));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Recepção Manhã")));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(SheetRequestTest, EscapeInTheLocalPasswordChecksIt) {
    loggedInAs(QStringLiteral("RE"), QStringLiteral("Recepção Manhã"));
    EXPECT_TRUE(requestSheet([](SheetAccessDialog& local) {
        type(local.codeEdit, QStringLiteral("GE"), Qt::Key_Escape);
        type(local.passwordEdit, QStringLiteral("WRONG"), Qt::Key_Escape);
        type(local.passwordEdit, QStringLiteral("GER77"), Qt::Key_Escape);
    }));
    EXPECT_EQ(messages.texts(), QStringList({wrongPassword}));
    EXPECT_EQ(panelDuringSheet, operatorPanel(QStringLiteral("Gerência")));
}

TEST_F(SheetRequestTest, AuthoriserWithoutTheRightIsRefused) {
    loggedInAs(QStringLiteral("RE"), QStringLiteral("Recepção Manhã"));
    EXPECT_FALSE(requestSheet([](SheetAccessDialog& local) {
        type(local.codeEdit, QStringLiteral("RE"));
        type(local.passwordEdit, QStringLiteral("REC1"));
    }));
    EXPECT_EQ(messages.texts(), QStringList({noAccess}));
    EXPECT_EQ(operatorCode(), QStringLiteral("RE"));
    EXPECT_FALSE(main->operators.isOpen());
    // The authoriser's name stays until a sheet window closes.
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Recepção Manhã")));
}

TEST_F(SheetRequestTest, LocalAccessGivenUpEndsWithoutSheetOrMessage) {
    loggedInAs(QStringLiteral("RE"), QStringLiteral("Recepção Manhã"));
    EXPECT_FALSE(requestSheet([](SheetAccessDialog& local) {
        for (const char* code : {"X1", "X2", "X3"}) {
            type(local.codeEdit, QString::fromLatin1(code));
        }
    }));
    EXPECT_EQ(messages.texts(), QStringList({unregistered, unregistered, unregistered}));
    EXPECT_FALSE(main->sheetAction->isChecked());
    EXPECT_FALSE(main->operators.isOpen());
    EXPECT_EQ(operatorCode(), QStringLiteral("RE"));

    messages.clear();
    EXPECT_FALSE(requestSheet([](SheetAccessDialog& local) {
        type(local.codeEdit, QStringLiteral("AD"));
        for (const char* password : {"A", "B", "C"}) {
            type(local.passwordEdit, QString::fromLatin1(password));
        }
    }));
    EXPECT_EQ(messages.texts(), QStringList({wrongPassword, wrongPassword, wrongPassword}));
    EXPECT_EQ(operatorCode(), QStringLiteral("RE"));
    EXPECT_FALSE(shell::applicationTerminated());
}

TEST_F(SheetRequestTest, LocalAccessClosedAfterACodeOpensNoSheet) {
    loggedInAs(QStringLiteral("RE"), QStringLiteral("Recepção Manhã"));
    EXPECT_FALSE(requestSheet([](SheetAccessDialog& local) {
        type(local.codeEdit, QStringLiteral("AD")); // an operator with the right
        local.close();                              // but no password
    }));
    EXPECT_FALSE(main->operators.isOpen());
    EXPECT_EQ(operatorCode(), QStringLiteral("RE"));
}

TEST_F(SheetRequestTest, UnreadableOperatorsTableRefusesTheSheet) {
    loggedInAs(QStringLiteral("AD"), QStringLiteral("Administrador"));
    main->trainingDb.close();
    EXPECT_FALSE(requestSheet());
    EXPECT_EQ(messages.texts(), QStringList({QStringLiteral("Abertura de tabela ! Usuarios"),
                                             QStringLiteral("Registro já alocado ")}));
    EXPECT_FALSE(main->sheetAction->isChecked());
}

TEST_F(SheetRequestTest, OperatorsTableLostWhileTheSheetIsOpenKeepsThePanel) {
    loggedInAs(QStringLiteral("RE"), QStringLiteral("Recepção Manhã"));
    onModal<KioskWindow>([this](KioskWindow& sheet) {
        main->trainingDb.close();
        sheet.close();
    });
    onModal<SheetAccessDialog>([](SheetAccessDialog& local) {
        type(local.codeEdit, QStringLiteral("AD"));
        type(local.passwordEdit, QStringLiteral("ADM123"));
    });
    main->sheetAction->trigger();
    EXPECT_EQ(messages.texts(), QStringList({QStringLiteral("Abertura de tabela ! SAUSUÁRIOS.DB"),
                                             QStringLiteral("Registro já alocado ")}));
    EXPECT_EQ(main->panelText(1), operatorPanel(QStringLiteral("Administrador")));
    EXPECT_TRUE(main->sheetAction->isEnabled());
}

} // namespace
