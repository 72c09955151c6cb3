// What needs real processes: the error log of uncaught exceptions, the single-instance test and
// the systemd watchdog.
#include "DemoData.h"
#include "SingleInstance.h"
#include "TerminalApplication.h"
#include "TestBackends.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString probePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/shell_probe");
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ErrorLogTest, PathReplacesTheExtensionOrAppendsOne) {
    EXPECT_EQ(errorLogPathFor(QStringLiteral("/opt/se/se-terminal")),
              QStringLiteral("/opt/se/se-terminal.log"));
    EXPECT_EQ(errorLogPathFor(QStringLiteral("C:/SE/TERMINAL.EXE")),
              QStringLiteral("C:/SE/TERMINAL.log"));
    EXPECT_EQ(errorLogPathFor(QStringLiteral("/opt/v1.2/se-terminal")),
              QStringLiteral("/opt/v1.2/se-terminal.log"));
    EXPECT_EQ(errorLogPathFor(QStringLiteral("/opt/se/se.terminal.bin")),
              QStringLiteral("/opt/se/se.terminal.log"));
}

TEST(ErrorLogTest, LineIsDateTimeColonMessageCrLf) {
    const QDateTime when(QDate(2026, 12, 8), QTime(7, 3, 5));
    const QByteArray line = errorLogLine(when, QStringLiteral("Conversão inválida"));
    const QString expected = systemDateText(when.date()) + QLatin1Char(' ') +
                             systemTimeText(when.time()) +
                             QStringLiteral(":Conversão inválida\r\n");
    EXPECT_EQ(line, expected.toLocal8Bit());
    EXPECT_TRUE(line.contains("07"));
    EXPECT_TRUE(line.contains("05:Convers")); // the seconds, then nothing before the message
}

TEST(ErrorLogTest, AppendsToAnExistingLogAndCreatesAMissingOne) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("se-terminal.log"));
    const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5));
    TestBackends clock([&](platform::Backends& backends) {
        backends.clock = [&] {
            return when;
        };
    });
    appendErrorLog(log, QStringLiteral("first"));
    appendErrorLog(log, QStringLiteral("second"));
    clock.restore();
    EXPECT_EQ(readAll(log), errorLogLine(when, QStringLiteral("first")) +
                                errorLogLine(when, QStringLiteral("second")));
}

TEST(ErrorLogTest, EntryStaysOnOneLineAndKeepsNoPassword) {
    const QString driverText =
        QStringLiteral("[unixODBC]Login failed\r\nDRIVER={FreeTDS};UID=sa;PWD=segredo1;SERVER=s\n"
                       "Provider=SQLOLEDB;Password=\"segr;edo2\";User ID=sa;pwd = {segr}}edo3}\r");
    const QString text = errorLogText(driverText);
    EXPECT_EQ(text, QStringLiteral("[unixODBC]Login failed\\r\\nDRIVER={FreeTDS};UID=sa;PWD=***;"
                                   "SERVER=s\\nProvider=SQLOLEDB;Password=***;User ID=sa;"
                                   "pwd = ***\\r"));
    const QByteArray line = errorLogLine(QDateTime::currentDateTime(), driverText);
    EXPECT_EQ(line.count('\n'), 1);
    EXPECT_EQ(line.count('\r'), 1);
    EXPECT_FALSE(line.contains("segr"));
}

TEST(ErrorLogTest, WrittenThroughTheLinkBesideTheProgramNeverThroughALinkItNames) {
    // As installed: the program's log is a link into a log folder its user owns.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("log")));
    const QString beside = dir.filePath(QStringLiteral("se-terminal.log"));
    const QString logged = dir.filePath(QStringLiteral("log/se-terminal.log"));
    ASSERT_TRUE(QFile::link(logged, beside));
    appendErrorLog(beside, QStringLiteral("first"));
    EXPECT_TRUE(readAll(logged).endsWith(":first\r\n"));
    EXPECT_EQ(QFile::permissions(logged) & 0x0FFF,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);

    // The folder's owner swaps the log for a link to a file of the system's.
    const QString system = dir.filePath(QStringLiteral("shadow"));
    {
        QFile file(system);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("root:x\n");
    }
    QFile::remove(logged);
    ASSERT_TRUE(QFile::link(system, logged));
    appendErrorLog(beside, QStringLiteral("second"));
    EXPECT_EQ(readAll(system), QByteArray("root:x\n"));
}

TEST(ErrorLogTest, UncaughtExceptionsOfARunningProgramGoToItsLogOnly) {
    const QString log = probePath() + QStringLiteral(".log");
    QFile::remove(log);
    {
        QFile earlier(log);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier line\r\n");
    }
    QProcess probe;
    probe.start(probePath(), {QStringLiteral("throw"), QStringLiteral("Falha de leitura"),
                              QStringLiteral("Outra falha")});
    ASSERT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(probe.exitCode(), 0);
    EXPECT_EQ(probe.readAllStandardOutput(), QByteArray("ended normally\n"));

    const QList<QByteArray> lines = readAll(log).split('\n');
    ASSERT_EQ(lines.size(), 4) << readAll(log).toStdString(); // three lines and the empty rest
    EXPECT_EQ(lines[0], QByteArray("earlier line\r"));
    const QString today = systemDateText(QDate::currentDate());
    const QRegularExpression format(
        QStringLiteral("^%1 [^:]*(:[^:]*)*:(Falha de leitura|Outra falha)\\r$")
            .arg(QRegularExpression::escape(today)));
    EXPECT_TRUE(format.match(QString::fromLocal8Bit(lines[1])).hasMatch())
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(":Falha de leitura\r"));
    EXPECT_TRUE(lines[2].endsWith(":Outra falha\r"));
    QFile::remove(log);
}

TEST(TerminalProcess, WriteToACutSocketDoesNotEndTheProgram) {
    QProcess probe;
    probe.start(probePath(), {QStringLiteral("cut-socket")});
    ASSERT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.readAllStandardOutput(), QByteArray("write failed\n"));
}

// ---- Single instance ----

class SingleInstanceTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (QProcess* process : m_processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
            delete process;
        }
    }
    // Starts a copy on the folder; returns it once it has said what it is.
    QProcess* startCopy(const QString& folder, QByteArray* said) {
        auto* process = new QProcess;
        m_processes.push_back(process);
        process->start(probePath(), {QStringLiteral("instance"), folder});
        process->waitForReadyRead(10000);
        *said = process->readLine().trimmed();
        return process;
    }

    QTemporaryDir folderA;
    QTemporaryDir folderB;
    std::vector<QProcess*> m_processes;
};

TEST_F(SingleInstanceTest, SecondCopyRaisesTheFirstAndEnds) {
    QByteArray said;
    QProcess* first = startCopy(folderA.path(), &said);
    ASSERT_EQ(said, QByteArray("first"));

    QProcess* second = startCopy(folderA.path(), &said);
    EXPECT_EQ(said, QByteArray("second"));
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 3);

    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->readAll().trimmed(), QByteArray("raised"));
    EXPECT_EQ(first->exitCode(), 0);
}

TEST_F(SingleInstanceTest, AnotherDataLinkFolderIsAnotherTerminal) {
    QByteArray said;
    startCopy(folderA.path(), &said);
    ASSERT_EQ(said, QByteArray("first"));
    startCopy(folderB.path(), &said);
    EXPECT_EQ(said, QByteArray("first"));
}

TEST_F(SingleInstanceTest, CopyThatCrashedDoesNotBlockTheNextStart) {
    QByteArray said;
    QProcess* crashed = startCopy(folderA.path(), &said);
    ASSERT_EQ(said, QByteArray("first"));
    ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL); // leaves its socket behind
    crashed->waitForFinished(5000);

    QProcess* next = startCopy(folderA.path(), &said);
    EXPECT_EQ(said, QByteArray("first"));
    startCopy(folderA.path(), &said);
    EXPECT_EQ(said, QByteArray("second"));
    EXPECT_TRUE(next->waitForFinished(10000));
}

TEST_F(SingleInstanceTest, CopiesStartedAtTheSameMomentRunOnce) {
    // Two: a third could start after the first has been raised and has ended.
    std::vector<QProcess*> copies;
    for (int i = 0; i < 2; ++i) {
        auto* process = new QProcess;
        m_processes.push_back(process);
        process->start(probePath(), {QStringLiteral("instance"), folderA.path()});
        copies.push_back(process);
    }
    int first = 0;
    for (QProcess* copy : copies) {
        copy->waitForReadyRead(10000);
        first += copy->readLine().trimmed() == "first" ? 1 : 0;
    }
    EXPECT_EQ(first, 1);
}

TEST_F(SingleInstanceTest, ListeningSocketAtTheOldSharedNameDoesNotKeepTheTerminalFromStarting) {
    // Anyone could listen at the name in /tmp the terminal once used.
    const QByteArray digest = QCryptographicHash::hash(QDir(folderA.path()).absolutePath().toUtf8(),
                                                       QCryptographicHash::Sha1)
                                  .toHex()
                                  .left(16);
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(
        QStringLiteral("se-terminal-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest))));
    QByteArray said;
    startCopy(folderA.path(), &said);
    EXPECT_EQ(said, QByteArray("first"));
}

TEST_F(SingleInstanceTest, SocketFolderOthersCanEnterOrOwnIsNotUsed) {
    QTemporaryDir runtime;
    QTemporaryDir temporary;
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray temporaryBefore = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("TMPDIR", temporary.path().toLocal8Bit());
    const QString own = temporary.filePath(QStringLiteral("se-terminal-%1").arg(getuid()));

    EXPECT_TRUE(SingleInstance::keyFor(folderA.path()).startsWith(runtime.path() + '/'));
    QFile::setPermissions(runtime.path(),
                          QFile::permissions(runtime.path()) | QFile::ReadOther | QFile::ExeOther);
    EXPECT_TRUE(SingleInstance::keyFor(folderA.path()).startsWith(own + '/'));
    EXPECT_EQ(QFile::permissions(own), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    QFile::setPermissions(own, QFile::permissions(own) | QFile::WriteOther);
    EXPECT_EQ(SingleInstance::keyFor(folderA.path()), QString());

    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    qputenv("TMPDIR", temporaryBefore);
}

TEST_F(SingleInstanceTest, PeerOfAnotherUserIsToldApart) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "a peer of another user needs root to switch users";
    }
    QTemporaryDir open;
    QFile::setPermissions(open.path(), QFile::permissions(open.path()) | QFile::ReadOther |
                                           QFile::WriteOther | QFile::ExeOther);
    QLocalServer server;
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    ASSERT_TRUE(server.listen(open.filePath(QStringLiteral("socket"))));
    const QByteArray path = QFile::encodeName(server.fullServerName());

    const pid_t child = fork();
    if (child == 0) {
        // As nobody: connects and waits until the other end closes.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        const int peer = socket(AF_UNIX, SOCK_STREAM, 0);
        char byte = 0;
        const bool done =
            setgid(65534) == 0 && setuid(65534) == 0 &&
            connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            read(peer, &byte, 1) >= 0;
        _exit(done ? 0 : 1);
    }
    ASSERT_TRUE(server.waitForNewConnection(10000));
    QLocalSocket* nobody = server.nextPendingConnection();
    EXPECT_FALSE(SingleInstance::fromThisUser(nobody->socketDescriptor()));
    nobody->abort();
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);

    QLocalSocket self;
    self.connectToServer(server.fullServerName());
    ASSERT_TRUE(server.waitForNewConnection(10000));
    EXPECT_TRUE(SingleInstance::fromThisUser(server.nextPendingConnection()->socketDescriptor()));
    EXPECT_TRUE(SingleInstance::fromThisUser(self.socketDescriptor()));
}

} // namespace

namespace {

// ---- The systemd watchdog ----

// A datagram socket in the place of systemd's notification socket. Each message comes with the
// time the kernel queued it, so that what the terminal sent can be placed against its own clock.
class NotifySocket {
public:
    struct Message {
        QByteArray text;
        qint64 sentMs = 0;
    };

    explicit NotifySocket(const QString& path) {
        m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
        m_bound = bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { close(m_fd); }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    bool bound() const { return m_bound; }

    // The next message, or none within timeoutMs.
    std::optional<Message> receive(int timeoutMs) {
        pollfd ready{m_fd, POLLIN, 0};
        if (poll(&ready, 1, timeoutMs) != 1) {
            return std::nullopt;
        }
        char text[256];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timeval))];
        iovec part{text, sizeof text};
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t size = recvmsg(m_fd, &header, 0);
        if (size < 0) {
            return std::nullopt;
        }
        Message message{QByteArray(text, static_cast<int>(size)), 0};
        for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMP) {
                timeval sent{};
                std::memcpy(&sent, CMSG_DATA(c), sizeof sent);
                message.sentMs = qint64(sent.tv_sec) * 1000 + sent.tv_usec / 1000;
            }
        }
        return message;
    }

    // Waits for count messages with the given text; the others are kept in seen as well.
    bool waitFor(const QByteArray& text, int count, std::vector<Message>& seen) {
        while (count > 0) {
            const std::optional<Message> message = receive(60000);
            if (!message) {
                return false;
            }
            seen.push_back(*message);
            count -= message->text == text ? 1 : 0;
        }
        return true;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

// The probe's next output line, split at spaces.
QList<QByteArray> nextLine(QProcess& process) {
    while (!process.canReadLine() && process.waitForReadyRead(60000)) {
    }
    return process.readLine().trimmed().split(' ');
}

TEST(TerminalProcess, TellsSystemdItIsReadyAndPingsTheWatchdogOnlyWhileItsWindowsAnswer) {
    QTemporaryDir dir;
    demo::writeDemoDatabases(dir.path(), {.members = 5, .workouts = false, .photos = false});
    NotifySocket systemd(dir.filePath(QStringLiteral("notify")));
    ASSERT_TRUE(systemd.bound());

    QProcess terminal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NOTIFY_SOCKET"), dir.filePath(QStringLiteral("notify")));
    environment.insert(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("600000")); // every 200 ms
    terminal.setProcessEnvironment(environment);
    terminal.start(probePath(), {QStringLiteral("terminal"), dir.path()});

    std::vector<NotifySocket::Message> seen;
    ASSERT_TRUE(systemd.waitFor("READY=1", 1, seen)) << "never ready";
    seen.clear();
    ASSERT_TRUE(systemd.waitFor("WATCHDOG=1", 3, seen)) << "no pings while it answers";

    terminal.write("block 2000\n");
    const QList<QByteArray> blocking = nextLine(terminal);
    ASSERT_EQ(blocking.size(), 3);
    EXPECT_EQ(blocking[2], QByteArray("Acesso")); // ready while the login shows
    const QList<QByteArray> unblocked = nextLine(terminal);
    ASSERT_EQ(unblocked.size(), 2);
    const qint64 blockedFrom = blocking[1].toLongLong();
    const qint64 blockedUntil = unblocked[1].toLongLong();

    // Pings again once the thread runs, and none between. A ping in the millisecond of the
    // "unblocked" line comes after it: the line is printed before the thread returns to its loop.
    std::optional<NotifySocket::Message> message = systemd.receive(20000);
    for (; message && message->sentMs < blockedUntil; message = systemd.receive(20000)) {
        EXPECT_LT(message->sentMs, blockedFrom + 1) << message->text.toStdString();
    }
    ASSERT_TRUE(message) << "no ping after the window thread ran again";
    EXPECT_EQ(message->text, QByteArray("WATCHDOG=1"));
    terminal.kill();
    terminal.waitForFinished(10000);
}

// ---- The demo without a display ----

// Runs se-demo on folder without a display; returns what it printed.
QString runDemoWithoutDisplay(const QString& folder) {
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    demo.setProcessEnvironment(environment);
    demo.start(QCoreApplication::applicationDirPath() + QStringLiteral("/se-demo"), {folder});
    // Making the demo's video clips takes a while on a loaded machine.
    EXPECT_TRUE(demo.waitForFinished(180000));
    EXPECT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();
    return QString::fromLocal8Bit(demo.readAllStandardOutput());
}

// One scripted run into a fresh folder, shared by the tests below: a run takes half a minute
// under the sanitizers.
class DemoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new QTemporaryDir;
        output = new QString(runDemoWithoutDisplay(folder->path()));
    }
    static void TearDownTestSuite() {
        delete output;
        delete folder;
    }
    static QTemporaryDir* folder;
    static QString* output;
};
QTemporaryDir* DemoTest::folder = nullptr;
QString* DemoTest::output = nullptr;

TEST_F(DemoTest, ScriptedSessionLogsInOpensTheWindowsAndLeavesTheirPictures) {
    EXPECT_TRUE(output->contains(QStringLiteral("AD / ADM123 / \"Sim\"")));
    EXPECT_TRUE(output->contains(QStringLiteral("RE / REC1 / \"Não\"")));

    const QDir pictures(folder->filePath(QStringLiteral("screenshots")));
    const QStringList expected{QStringLiteral("01-apresentacao.png"),
                               QStringLiteral("02-acesso.png"),
                               QStringLiteral("03-acesso-preenchido.png"),
                               QStringLiteral("04-principal.png"),
                               QStringLiteral("05-sobre.png"),
                               QStringLiteral("06-ficha.png"),
                               QStringLiteral("07-ficha-foto.png"),
                               QStringLiteral("08-ticket.png"),
                               QStringLiteral("09-ficha-repouso.png"),
                               QStringLiteral("10-aluno-inexistente.png"),
                               QStringLiteral("11-serie-video.png"),
                               QStringLiteral("12-video-aula.png"),
                               QStringLiteral("13-aparelho.png"),
                               QStringLiteral("14-aparelho-video.png"),
                               QStringLiteral("15-teclado-virtual.png"),
                               QStringLiteral("16-ficha-teclado.png"),
                               QStringLiteral("17-ficha-toque.png"),
                               QStringLiteral("18-sair.png")};
    EXPECT_EQ(pictures.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name), expected);
    for (const QString& name : expected) {
        EXPECT_TRUE(output->contains(pictures.filePath(name))) << name.toStdString();
    }
    EXPECT_TRUE(
        output->contains(QStringLiteral("the status bar shows \"Usuário: Administrador\"")));
    EXPECT_TRUE(output->contains(QStringLiteral("Message box: Matrícula INCORRETA !")));
    EXPECT_TRUE(QFile::exists(folder->filePath(QStringLiteral("Palendra.udl"))));
}

// Runs one statement on a demo database; the first column of its first row.
QVariant onDemoDatabase(const QString& file, const QString& statement) {
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "demo-check");
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
        if (query.next()) {
            result = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase("demo-check");
    return result;
}

TEST_F(DemoTest, ASecondRunKeepsTheDatabasesItFinds) {
    // A row of our own: a database written afresh would not have it.
    const QString palendra = folder->filePath(QStringLiteral("palendra.db"));
    onDemoDatabase(palendra, "INSERT INTO Usuarios (CODIGO, NOME) VALUES ('ZZ', 'Marca')");
    // The second run says what it found before its session starts; the session itself was
    // checked above.
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    demo.setProcessEnvironment(environment);
    demo.start(QCoreApplication::applicationDirPath() + QStringLiteral("/se-demo"),
               {folder->path()});
    QByteArray printed;
    while (!printed.contains("Members' enrolment numbers") && demo.waitForReadyRead(60000)) {
        printed += demo.readAllStandardOutput();
    }
    demo.kill();
    demo.waitForFinished();
    EXPECT_TRUE(printed.contains("Using the demo databases already in")) << printed.toStdString();
    EXPECT_EQ(onDemoDatabase(palendra, "SELECT NOME FROM Usuarios WHERE CODIGO = 'ZZ'"),
              QVariant(QStringLiteral("Marca")));
}

TEST(MakeDemoDataTest, KeepsAFolderThatHoldsDataLinkFiles) {
    QTemporaryDir dir;
    const QString gymLink = dir.filePath(QStringLiteral("Quorvel.udl"));
    demo::writeDataLinkFile(gymLink, QStringLiteral("Provider=SQLOLEDB;Password=segredo"));
    const QByteArray gymText = readAll(gymLink);
    // Its password is for the owner and the folder's group only.
    EXPECT_EQ(QFile::permissions(gymLink), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                               QFile::WriteUser | QFile::ReadGroup);

    QProcess make;
    make.start(QCoreApplication::applicationDirPath() + QStringLiteral("/se-make-demo-data"),
               {dir.path()});
    ASSERT_TRUE(make.waitForFinished(60000));
    EXPECT_EQ(make.exitCode(), 1);
    EXPECT_TRUE(make.readAllStandardError().contains("already holds Quorvel.udl"));
    EXPECT_EQ(readAll(gymLink), gymText);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("palendra.db"))));
}

} // namespace
