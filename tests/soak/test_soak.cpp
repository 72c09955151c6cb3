// The kiosk for minutes on end, as on a gym floor: members served from the serial keypad alone
// while the database server restarts, the keypad is pulled out and plugged back and the ticket
// printer refuses its port now and then; the main window's heartbeat runs on its own timer. At the
// end the kiosk must still serve a member, and threads, descriptors, memory and the error log must
// show nothing left behind. SE_SOAK_SECONDS sets the length (600 by default), SE_SOAK_SEED repeats
// a run.
#include "KeypadCable.h"
#include "KioskPostgres.h"
#include "TerminalApplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QThreadPool>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define SE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SE_UNDER_ASAN 1
#endif
#endif

using commtest::waitUntil;

namespace {

// AddressSanitizer keeps freed memory in quarantine and pads every block, so resident memory
// there says nothing about a leak of ours (its leak checker does); the bound holds without it.
#ifdef SE_UNDER_ASAN
constexpr bool memoryBounded = false;
#else
constexpr bool memoryBounded = true;
#endif
constexpr long memoryGrowthLimitKb = 10 * 1024;

const QString memberName = QStringLiteral("Zé da Silva");
const QByteArray memberLine = "0000000042 - Ze da Silva\r\n";
const QString notReady = QStringLiteral("Impressora sendo utilizada ou não Pronta.");
const QString wrongData = QStringLiteral("Dado INCORRETO !");

int soakSeconds() {
    bool given = false;
    const int seconds = qEnvironmentVariableIntValue("SE_SOAK_SECONDS", &given);
    return given && seconds > 0 ? seconds : 600;
}

std::uint32_t soakSeed() {
    bool given = false;
    const auto seed =
        static_cast<std::uint32_t>(qEnvironmentVariableIntValue("SE_SOAK_SEED", &given));
    return given ? seed : std::random_device{}();
}

int entriesIn(const char* folder) {
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

std::vector<std::string> threadNames() {
    std::vector<std::string> names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::getline(comm, names.emplace_back());
    }
    return names;
}

// Qt's pool keeps its idle threads for half a minute after their last task: they are let go
// first, and a thread let go takes a moment more to end.
int threadsLeft() {
    QThreadPool::globalInstance()->waitForDone();
    const auto pooled = [] {
        const std::vector<std::string> names = threadNames();
        return std::count(names.begin(), names.end(), "Thread (pooled)");
    };
    for (int tries = 0; tries < 100 && pooled() > 0; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return static_cast<int>(threadNames().size());
}

// What a leak makes grow.
struct ProcessFigures {
    int threads = threadsLeft();
    int descriptors = entriesIn("/proc/self/fd");
    long residentKb = ::residentKb();
};

// What the soak did.
struct Tally {
    int members = 0;        // came up to the pad
    int tickets = 0;        // reached the printer whole
    int unknownMembers = 0; // an enrolment number nobody has
    int escapes = 0;        // left with "*" before the ticket
    int noWorkout = 0;      // chose a workout he has none of
    int serverRestarts = 0;
    int databaseMessages = 0; // the heartbeat's, while the server was away
    int pulls = 0;
    int notReadyTickets = 0; // the port did not open: one error log line each
    int refusedTickets = 0;  // the port took no bytes: one line each too
    long maxResidentKb = 0;
};

enum class PortFault { DoesNotOpen, TakesNoBytes };

class Soak : public KioskPostgres {
protected:
    void SetUp() override {
        KioskPostgres::SetUp();
        if (IsSkipped() || HasFailure()) {
            return;
        }
        // A keypad on "KPD1" with the demo's line; the ticket's port stays "TKT", a file in the
        // test's folder.
        ASSERT_NO_FATAL_FAILURE(onServer({QStringLiteral(
            "UPDATE Secvar SET PINPAD = 'KPD1', VELOCIDADE = 9600, DATABIT = '8', STOPBIT = '1', "
            "PARIDADE = 'NADA', Tec12USB = 'Não'")}));
        ASSERT_TRUE(cable.plugIn(QStringLiteral("KPD1")));
        QFile::remove(TerminalApplication::errorLogPath());
        // An operator reads each box for a while; the event loop runs meanwhile, as under a box.
        messages.takeTimeToAnswer(300);
        const std::uint32_t seed = soakSeed();
        std::cout << "[ soak ] seed " << seed << " (SE_SOAK_SEED repeats it), " << soakSeconds()
                  << " s" << std::endl;
        random.seed(seed);
    }

    // The kiosk as the terminal has it: over the main window, whose clock and heartbeat tick.
    void open() {
        openKiosk();
        main->clockTimer->start();
        ASSERT_TRUE(waitUntil([&] { return kiosk->keypadPort->isOpen(); })) << state();
    }

    // One of each step, so that what is made once for the process exists before the figures.
    void warmUp() {
        ASSERT_NO_FATAL_FAILURE(serveWorkout('1'));
        ASSERT_NO_FATAL_FAILURE(ticketRefused(PortFault::DoesNotOpen));
        ASSERT_NO_FATAL_FAILURE(ticketRefused(PortFault::TakesNoBytes));
        ASSERT_NO_FATAL_FAILURE(pullAndPlugKeypad());
        ASSERT_NO_FATAL_FAILURE(restartServer());
        ASSERT_NO_FATAL_FAILURE(serveWorkout('1'));
    }

    void runFor(int seconds) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!elapsed.hasExpired(seconds * 1000LL) && !HasFailure()) {
            randomStep();
            waitUntil([] { return false; }, between(0, 400)); // till the next member comes
            tally.maxResidentKb = std::max(tally.maxResidentKb, residentKb());
            messages.clear();
        }
    }

    void randomStep() {
        const int roll = between(0, 99);
        if (roll < 85) {
            serveMember();
        } else if (roll < 91) {
            ticketRefused(between(0, 1) == 0 ? PortFault::DoesNotOpen : PortFault::TakesNoBytes);
        } else if (roll < 96) {
            pullAndPlugKeypad();
        } else {
            restartServer();
        }
    }

    // A member at the pad: mostly one who gets his ticket, now and then one whose number is
    // wrong, who changes his mind, or who has no such workout.
    void serveMember() {
        const int roll = between(0, 99);
        if (roll < 10) {
            unknownMember();
        } else if (roll < 20) {
            escapeMidway(roll < 15);
        } else {
            serveWorkout("111342"[between(0, 5)]);
        }
    }

    void unknownMember() {
        ++tally.members;
        ++tally.unknownMembers;
        const std::size_t warnings = pauses.pauses().size();
        // Member 7 is on file unpadded, which no padded number matches.
        ASSERT_NO_FATAL_FAILURE(typeEnrolment(between(0, 1) == 0 ? "99999" : "7"));
        cable.press("#");
        ASSERT_TRUE(waitUntil([&] { return pauses.pauses().size() > warnings && atRest(); }))
            << state();
    }

    void escapeMidway(bool beforeEnter) {
        ++tally.members;
        ++tally.escapes;
        ASSERT_NO_FATAL_FAILURE(typeEnrolment(anEnrolmentOf42()));
        if (!beforeEnter) {
            ASSERT_NO_FATAL_FAILURE(findMember());
        }
        cable.press("*");
        ASSERT_TRUE(waitUntil([&] { return atRest(); })) << state();
    }

    // Member 42 asks for a workout: A, C and D print, B he has none of.
    void serveWorkout(char digit) {
        ++tally.members;
        ASSERT_NO_FATAL_FAILURE(typeEnrolment(anEnrolmentOf42()));
        ASSERT_NO_FATAL_FAILURE(findMember());
        if (between(0, 99) < 5) {
            ASSERT_NO_FATAL_FAILURE(faultWhileHeChooses());
        }
        QFile::remove(port());
        ASSERT_NO_FATAL_FAILURE(chooseWorkout(digit));
        if (digit == '2') {
            ++tally.noWorkout;
            EXPECT_FALSE(QFile::exists(port())) << "a ticket without a workout";
            return;
        }
        const QByteArray printed = ticket();
        ASSERT_TRUE(printed.contains(memberLine))
            << "ticket: " << printed.toStdString() << "; " << state();
        ++tally.tickets;
    }

    // His name on the screen, the pad is pulled out or the server restarts before his workout.
    void faultWhileHeChooses() {
        if (between(0, 1) == 0) {
            pullAndPlugKeypad();
        } else {
            restartServer();
        }
        ASSERT_EQ(kiosk->memberName->text(), memberName) << state();
    }

    // The printer's port does not open (a pipe nobody reads) or takes no bytes (a full device);
    // the member is told, and the port works again for the next one.
    void ticketRefused(PortFault fault) {
        const bool opens = fault == PortFault::TakesNoBytes;
        QFile::remove(port());
        if (opens) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), port()));
        } else {
            ASSERT_EQ(::mkfifo(QFile::encodeName(port()).constData(), 0600), 0);
        }
        ++tally.members;
        ASSERT_NO_FATAL_FAILURE(typeEnrolment(anEnrolmentOf42()));
        ASSERT_NO_FATAL_FAILURE(findMember());
        messages.clear();
        ASSERT_NO_FATAL_FAILURE(chooseWorkout('1'));
        EXPECT_TRUE(messages.texts().join('|').contains(opens ? wrongData : notReady)) << state();
        ++(opens ? tally.refusedTickets : tally.notReadyTickets);
        QFile::remove(port());
    }

    void restartServer() {
        ++tally.serverRestarts;
        messages.clear();
        server.stop();
        QObject outage; // ends the timer below with this step
        bool back = false;
        QTimer::singleShot(between(1500, 4500), &outage, [&] {
            server.start();
            back = true;
        });
        ASSERT_TRUE(waitUntil(
            [&] { return back && main->clockTimer->isActive() && !messages.texts().isEmpty(); },
            60000))
            << "the heartbeat did not reconnect; " << state();
        const int told = static_cast<int>(messages.messages().size());
        tally.databaseMessages += told;
        waitUntil([] { return false; }, 2500); // two heartbeats on the new connection
        EXPECT_EQ(static_cast<int>(messages.messages().size()), told)
            << "the heartbeat failed on the new connection; " << state();
    }

    void pullAndPlugKeypad() {
        ++tally.pulls;
        cable.pull();
        ASSERT_TRUE(waitUntil([&] { return !kiosk->keypadPort->isOpen(); })) << state();
        waitUntil([] { return false; }, between(500, 4000)); // out of its socket
        ASSERT_TRUE(cable.plugIn(QStringLiteral("KPD1")));
        ASSERT_TRUE(waitUntil([&] { return kiosk->keypadPort->isOpen(); })) << state();
    }

    void typeEnrolment(const std::string& digits) {
        cable.press(digits);
        ASSERT_TRUE(waitUntil([&] {
            return kiosk->enrolmentEdit->text() == QString::fromStdString(digits);
        })) << state();
    }

    void findMember() {
        cable.press("#");
        ASSERT_TRUE(waitUntil([&] { return kiosk->memberName->text() == memberName; })) << state();
    }

    void chooseWorkout(char digit) {
        cable.press(std::string(1, digit));
        ASSERT_TRUE(waitUntil([&] {
            return kiosk->workoutEdit->text() == QChar::fromLatin1(digit);
        })) << state();
        cable.press("#");
        ASSERT_TRUE(waitUntil([&] { return atRest(); })) << state();
    }

    std::string anEnrolmentOf42() {
        return std::string(static_cast<std::size_t>(between(0, 8)), '0') + "42";
    }

    bool atRest() const {
        return kiosk->enrolmentEdit->isEnabled() && kiosk->enrolmentEdit->text().isEmpty() &&
               !kiosk->workoutEdit->isEnabled() && kiosk->memberName->text().isEmpty();
    }

    std::string state() const {
        std::ostringstream text;
        text << "kiosk " << (kiosk->isVisible() ? "open" : "closed") << ", enrolment '"
             << kiosk->enrolmentEdit->text().toStdString() << "', name '"
             << kiosk->memberName->text().toStdString() << "', workout '"
             << kiosk->workoutEdit->text().toStdString() << "', keypad "
             << (kiosk->keypadPort->isOpen() ? "open" : "closed") << ", messages '"
             << messages.texts().join('|').toStdString() << "'";
        return text.str();
    }

    QString port() const { return QDir(folder()).filePath(QStringLiteral("TKT")); }
    QByteArray ticket() const {
        QFile file(port());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int between(int low, int high) { return std::uniform_int_distribution(low, high)(random); }

    // The error log's lines that no injected fault explains: each refused ticket leaves one.
    QStringList unexpectedLogLines() const {
        QFile log(TerminalApplication::errorLogPath());
        QStringList lines;
        if (log.open(QIODevice::ReadOnly)) {
            lines = QString::fromLocal8Bit(log.readAll())
                        .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        }
        const auto removeExpected = [&lines](const QString& ending, int expected,
                                             const char* what) {
            lines.removeIf(
                [&](const QString& line) { return line.endsWith(ending) && expected-- > 0; });
            if (expected > 0) {
                lines << QStringLiteral("(%1 %2 left no line)").arg(expected).arg(what);
            }
        };
        removeExpected(QStringLiteral("ticket stopped: printer write: ") +
                           QString::fromStdString(std::generic_category().message(ENOSPC)),
                       tally.refusedTickets, "refused tickets");
        removeExpected(QStringLiteral("ticket not started: the port 'TKT' cannot be opened"),
                       tally.notReadyTickets, "tickets on a port that did not open");
        return lines;
    }

    void report(const ProcessFigures& before, const ProcessFigures& after) const {
        std::cout << "[ soak ] members " << tally.members << ", tickets " << tally.tickets
                  << ", unknown numbers " << tally.unknownMembers << ", escapes " << tally.escapes
                  << ", no such workout " << tally.noWorkout << "\n[ soak ] server restarts "
                  << tally.serverRestarts << " (" << tally.databaseMessages
                  << " database messages), keypad pulls " << tally.pulls
                  << ", tickets refused: port not ready " << tally.notReadyTickets
                  << ", writes refused " << tally.refusedTickets << "\n[ soak ] threads "
                  << before.threads << " -> " << after.threads << ", descriptors "
                  << before.descriptors << " -> " << after.descriptors << ", resident memory "
                  << before.residentKb / 1024.0 << " MB -> " << after.residentKb / 1024.0
                  << " MB (at most " << tally.maxResidentKb / 1024.0 << " MB)" << std::endl;
    }

    KeypadCable cable{deviceFolder()};
    std::mt19937 random;
    Tally tally;
};

TEST_F(Soak, TheKioskServesMembersThroughRestartsPulledKeypadsAndRefusedTicketsLeavingNothing) {
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(warmUp());
    const ProcessFigures before;
    tally.maxResidentKb = before.residentKb;

    runFor(soakSeconds());
    if (!HasFailure()) {
        serveWorkout('1');
        // What is given back a little after its last use is waited for; a leak never comes down.
        waitUntil(
            [&] {
                const ProcessFigures now;
                return now.threads <= before.threads && now.descriptors <= before.descriptors;
            },
            10000);
    }
    const ProcessFigures after;
    report(before, after);
    if (HasFailure()) {
        return;
    }
    EXPECT_LE(after.threads, before.threads);
    EXPECT_LE(after.descriptors, before.descriptors);
    if (memoryBounded) {
        EXPECT_LE(after.residentKb - before.residentKb, memoryGrowthLimitKb);
    }
    const QStringList unexpected = unexpectedLogLines();
    EXPECT_TRUE(unexpected.isEmpty()) << unexpected.join('\n').toStdString();
}

} // namespace
