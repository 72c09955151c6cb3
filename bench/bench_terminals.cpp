// A hundred terminals on one PostgreSQL server of a million members: each a process of its own,
// as terminals are (the call watch bounds one caller per process), doing the kiosk's look-up of a
// member, name then photo, through the terminal's data layer every 2 s. The parent collects
// each look-up's time from Enter to name and photo read and prints the rate, median and 99th
// percentile. BENCH_TERMINALS, BENCH_MEMBERS and BENCH_SECONDS change the scale. BENCH_STALLS
// stops the whole server that many times for 4 s while the terminals look members up, as a server
// too loaded to answer: the look-ups in flight are cut, the terminals reconnect and go on.
#include "BenchSupport.h"
#include "DataLink.h"
#include "Database.h"
#include "PostgresDatabases.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

int setting(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

struct Scale {
    int terminals = setting("BENCH_TERMINALS", 100);
    int members = setting("BENCH_MEMBERS", 1000000);
    int seconds = setting("BENCH_SECONDS", 60);
    int stalls = setting("BENCH_STALLS", 0);
    // One member in a hundred has a photo (40 KB each): every look-up is of one of them.
    int photoEvery = 100;
};

// What a terminal tells the parent, in one write (atomic on a pipe).
struct Report {
    enum Kind : char { Ready, NotStarted, LookUp, Failed } kind;
    double milliseconds;
};

void send(int pipe, Report report) {
    if (write(pipe, &report, sizeof report) != sizeof report) {
        _exit(2);
    }
}

// A turn at the gate: a few tokens go round, so that only that many terminals start at once.
class GateTurn {
public:
    explicit GateTurn(const int* gate)
        : m_gate(gate) {
        if (read(m_gate[0], &m_token, 1) != 1) {
            _exit(2);
        }
    }
    ~GateTurn() {
        if (write(m_gate[1], &m_token, 1) != 1) {
            _exit(2);
        }
    }
    GateTurn(const GateTurn&) = delete;
    GateTurn& operator=(const GateTurn&) = delete;

private:
    const int* m_gate;
    char m_token = 0;
};

struct Pipes {
    int reports[2];
    int gate[2];
    int go[2]; // closed by the parent once every terminal is ready: they all start together
};

// The kiosk's look-up after Enter: the member's row by his number, then his photo.
bool nameAndPhoto(TableDataSet& members, CommandDataSet& photos, const QString& enrolment) {
    if (!members.locate(QStringLiteral("MATRICULA"), enrolment)) {
        return false;
    }
    const QString name = members.fieldText(QStringLiteral("NOME"));
    photos.close();
    photos.setCommandText(QStringLiteral("SELECT * FROM FotosAlunos WHERE MATRICULA = :MATRICULA"));
    photos.setParameter(QStringLiteral("MATRICULA"),
                        members.fieldText(QStringLiteral("MATRICULA")));
    photos.open();
    return !name.isEmpty() && !photos.eof() && !photos.fieldBlob(QStringLiteral("FOTO1")).isEmpty();
}

void runTerminal(const Scale& scale, const QString& folder, int index, const Pipes& pipes) {
    int argc = 1;
    char program[] = "bench_terminals";
    char* argv[] = {program, nullptr};
    QCoreApplication app(argc, argv);
    // One connection to the training database, shared by the look-ups as the kiosk shares the
    // main window's.
    Connection palendra(platform::dataLinkConnectionString(folder, QStringLiteral("Palendra.udl")));
    KeyedTable members;
    members.keepConnection(&palendra);
    members.setTableName(QStringLiteral("ALUNOS"));
    members.setDeclaredColumns({QStringLiteral("MATRICULA"), QStringLiteral("NOME")});
    CommandDataSet photos;
    photos.keepConnection(&palendra);
    // Opening the member table (its columns checked, no row read) and the first look-up, with
    // their logins, are done at the gate: a hundred terminals logging in at once would measure
    // the server's start rather than the look-up.
    try {
        const GateTurn turn(pipes.gate);
        members.open();
        nameAndPhoto(members, photos, bench::member);
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "terminal %d: %s\n", index, error.what());
        send(pipes.reports[1], {Report::NotStarted, 0});
        return;
    }
    send(pipes.reports[1], {Report::Ready, 0});
    char nothing = 0;
    while (read(pipes.go[0], &nothing, 1) > 0) {
    }

    std::mt19937 random(static_cast<unsigned>(index));
    std::uniform_int_distribution<int> photographed(1, scale.members / scale.photoEvery);
    const auto end = bench::Clock::now() + std::chrono::seconds(scale.seconds);
    // Each terminal at its own moment of the 2 s, as members arrive.
    auto next = bench::Clock::now() + std::chrono::milliseconds(random() % 2000);
    for (; next < end; next += 2s) {
        std::this_thread::sleep_until(next);
        const QString enrolment = QStringLiteral("%1").arg(photographed(random) * scale.photoEvery,
                                                           10, 10, QLatin1Char('0'));
        const auto entered = bench::Clock::now();
        bool found = false;
        try {
            found = nameAndPhoto(members, photos, enrolment);
        } catch (const DatabaseError& error) {
            std::fprintf(stderr, "terminal %d: %s\n", index, error.what());
        }
        const std::chrono::duration<double, std::milli> took = bench::Clock::now() - entered;
        send(pipes.reports[1], {found ? Report::LookUp : Report::Failed, took.count()});
    }
}

} // namespace

int main(int argc, char** argv) {
    const QString unavailable = PostgresServer::unavailableReason();
    if (!unavailable.isEmpty()) {
        std::fprintf(stderr, "skipped: %s\n", qPrintable(unavailable));
        return 0;
    }
    const Scale scale;
    std::unique_ptr<bench::PostgresDatabases> databases;
    QElapsedTimer clock;
    clock.start();
    {
        // Gone before the fork: each terminal makes its own application and connections.
        QCoreApplication app(argc, argv);
        // Room for every terminal's connection, and the server's own.
        databases = std::make_unique<bench::PostgresDatabases>(bench::PostgresDatabases::Options{
            scale.members, scale.photoEvery, scale.terminals * 2 + 50});
    }
    std::printf("%d members and %d photos loaded and indexed in %.1f s\n", scale.members,
                scale.members / scale.photoEvery, double(clock.elapsed()) / 1000);
    std::fflush(stdout);

    Pipes pipes{};
    if (pipe(pipes.reports) != 0 || pipe(pipes.gate) != 0 || pipe(pipes.go) != 0) {
        return 1;
    }
    const char tokens[] = "ab"; // as many as the machine's cores
    if (write(pipes.gate[1], tokens, 2) != 2) {
        return 1;
    }
    clock.restart();
    for (int index = 0; index < scale.terminals; ++index) {
        if (fork() == 0) {
            close(pipes.reports[0]);
            close(pipes.go[1]);
            runTerminal(scale, databases->folder.path(), index, pipes);
            // Not exit(): the parent's objects (the server above all) are not the terminal's.
            _exit(0);
        }
    }
    close(pipes.reports[1]);
    close(pipes.go[0]);

    std::jthread stalling;
    const auto stallServer = [&](const std::stop_token& stop) {
        for (int stall = 0; stall < scale.stalls && !stop.stop_requested(); ++stall) {
            std::this_thread::sleep_for(8s);
            databases->server.freeze();
            std::this_thread::sleep_for(4s);
            databases->server.thaw();
        }
    };
    std::vector<double> latencies;
    int started = 0;
    int answered = 0;
    int failed = 0;
    Report report{};
    while (read(pipes.reports[0], &report, sizeof report) == sizeof report) {
        switch (report.kind) {
        case Report::Ready:
        case Report::NotStarted:
            started += report.kind == Report::Ready;
            if (++answered == scale.terminals) {
                std::printf("%d of %d terminals connected, opened their member table and looked up "
                            "a member in "
                            "%.1f s\n",
                            started, scale.terminals, double(clock.elapsed()) / 1000);
                std::fflush(stdout);
                close(pipes.go[1]);
                stalling = std::jthread(stallServer);
            }
            break;
        case Report::LookUp:
            latencies.push_back(report.milliseconds);
            break;
        case Report::Failed:
            ++failed;
            break;
        }
    }
    // A terminal that crashed or was killed stops reporting: its look-ups would be missing
    // silently.
    int endedAbnormally = 0;
    int status = 0;
    while (wait(&status) > 0) {
        endedAbnormally += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    stalling = {};
    std::printf("%d of %d terminals ended abnormally\n", endedAbnormally, scale.terminals);
    if (latencies.empty()) {
        std::printf("no look-up succeeded (%d failed)\n", failed);
        return 1;
    }
    std::printf("%zu look-ups in %d s (%.1f a second), %d failed; Enter to name and photo read: "
                "median %.1f ms, p99 %.1f ms, max %.1f ms\n",
                latencies.size(), scale.seconds, double(latencies.size()) / scale.seconds, failed,
                bench::percentile(latencies, 0.5), bench::percentile(latencies, 0.99),
                *std::max_element(latencies.begin(), latencies.end()));
    return endedAbnormally == 0 ? 0 : 1;
}
