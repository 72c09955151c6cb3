// The serial component's figures: from a byte written to the far end of a pseudo-terminal to
// the start of the OnRxChar handler on the user-interface thread, and the CPU an open, idle port
// costs.
#include "CommInt.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class PseudoTerminal {
public:
    PseudoTerminal()
        : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
    }
    ~PseudoTerminal() { ::close(m_master); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    QString slavePath() const { return QString::fromLocal8Bit(::ptsname(m_master)); }
    void send(char byte) const {
        [[maybe_unused]] const auto written = ::write(m_master, &byte, 1);
    }

private:
    int m_master;
};

double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(double(samples.size()) * fraction))];
}

void BM_ByteToRxCharHandler(benchmark::State& state) {
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath());
    comm.SetMonitorEvents(evRxChar);
    Clock::time_point handlerStart;
    bool handled = false;
    comm.SetOnRxChar([&](QObject*, int count) {
        handlerStart = Clock::now();
        handled = true;
        char buffer[64];
        comm.Read(buffer, std::min(count, 64));
    });
    comm.Open();
    if (!comm.Enabled()) {
        state.SkipWithError("the pseudo-terminal did not open");
        return;
    }
    std::vector<double> latencies;
    for (auto _ : state) {
        handled = false;
        const Clock::time_point sent = Clock::now();
        pty.send('5');
        while (!handled) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const std::chrono::duration<double> latency = handlerStart - sent;
        latencies.push_back(latency.count() * 1e6);
        state.SetIterationTime(latency.count());
    }
    state.counters["median_us"] = percentile(latencies, 0.5);
    state.counters["p99_us"] = percentile(latencies, 0.99);
}
BENCHMARK(BM_ByteToRxCharHandler)->UseManualTime()->Iterations(5000)->Unit(benchmark::kMicrosecond);

void BM_IdleOpenPortCpu(benchmark::State& state) {
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath());
    comm.SetMonitorEvents(evRxChar);
    comm.SetOnRxChar([](QObject*, int) {});
    comm.Open();
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        const double before = processCpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        state.counters["cpu_percent"] = (processCpuSeconds() - before) / seconds * 100;
    }
}
BENCHMARK(BM_IdleOpenPortCpu)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

void BM_OpenAndClose(benchmark::State& state) {
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath());
    for (auto _ : state) {
        comm.Open();
        comm.Close();
    }
}
BENCHMARK(BM_OpenAndClose)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
