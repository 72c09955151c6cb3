// From the program's start to the login dialog on the screen, the splash's own four seconds left
// out. Each start is a fresh process of this program (loading the libraries is part of the wait):
// it runs the terminal's start-up on the demo databases and reports, in milliseconds from the
// moment the benchmark started it, when the login dialog was first painted and how long the
// splash stayed up.
#include "DemoFolders.h"
#include "KioskWindow.h"
#include "LoginDialog.h"
#include "SplashWindow.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(qint64 startNanoseconds) {
    const auto now = Clock::now().time_since_epoch();
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() -
                  startNanoseconds) /
           1e6;
}

// In the started process: watches the splash come and go and the login dialog's first paint,
// then prints the times and ends the process there.
class StartWatch : public QObject {
public:
    explicit StartWatch(qint64 startNanoseconds)
        : m_start(startNanoseconds) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (dynamic_cast<SplashWindow*>(watched) != nullptr) {
            if (event->type() == QEvent::Show) {
                m_splashShown = millisecondsSince(m_start);
            } else if (event->type() == QEvent::Hide) {
                m_splashHidden = millisecondsSince(m_start);
            }
        } else if (event->type() == QEvent::Paint && !m_reported &&
                   dynamic_cast<LoginDialog*>(watched) != nullptr) {
            m_reported = true;
            // Once this paint is over.
            QTimer::singleShot(0, [this] { report(); });
        }
        return false;
    }

private:
    void report() const {
        std::printf("login_ms=%f splash_ms=%f\n", millisecondsSince(m_start),
                    m_splashHidden - m_splashShown);
        std::fflush(stdout);
        std::_Exit(0);
    }

    qint64 m_start;
    double m_splashShown = 0;
    double m_splashHidden = 0;
    bool m_reported = false;
};

int runStartedProcess(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const qint64 start = std::strtoll(argv[2], nullptr, 10);
    TerminalApplication app(argc, argv);
    StartWatch watch(start);
    app.installEventFilter(&watch);
    return runTerminal(QString::fromLocal8Bit(argv[3]), openExerciseSheet);
}

void StartToLoginDialog(benchmark::State& state) {
    demo::Options options;
    options.photos = false;
    const QString folder = demoFolder(1000, options).path();
    for (auto _ : state) {
        QProcess started;
        const auto start = Clock::now().time_since_epoch();
        started.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--started"),
             QString::number(std::chrono::duration_cast<std::chrono::nanoseconds>(start).count()),
             folder});
        double loginMs = 0;
        double splashMs = 0;
        if (!started.waitForFinished(60000) ||
            std::sscanf(started.readAllStandardOutput().constData(), "login_ms=%lf splash_ms=%lf",
                        &loginMs, &splashMs) != 2) {
            state.SkipWithError("the terminal did not reach its login dialog");
            break;
        }
        state.SetIterationTime((loginMs - splashMs) / 1000);
        state.counters["splash_ms"] = splashMs;
    }
}

} // namespace

BENCHMARK(StartToLoginDialog)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--started") == 0) {
        return runStartedProcess(argc, argv);
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
