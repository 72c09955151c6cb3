// The serial component's figures: from a byte written to the far end of a pseudo-terminal to
// the start of the onBytesReceived handler on the user-interface thread, and the CPU an open, idle
// port costs.
#include "BenchSupport.h"
#include "SerialPort.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

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

void BM_ByteToRxCharHandler(benchmark::State& state) {
    PseudoTerminal pty;
    SerialPort comm;
    comm.setDeviceName(pty.slavePath());
    comm.setMonitorEvents(SerialPort::Event::RxChar);
    bench::Clock::time_point handlerStart;
    bool handled = false;
    comm.setOnBytesReceived([&](QObject*, int count) {
        handlerStart = bench::Clock::now();
        handled = true;
        char buffer[64];
        comm.read(buffer, std::min(count, 64));
    });
    comm.open();
    if (!comm.isOpen()) {
        state.SkipWithError("the pseudo-terminal did not open");
        return;
    }
    const auto send = [&] {
        handled = false;
        pty.send('5');
    };
    bench::measureArrivals(state, send, handled, handlerStart, 1e6, "us");
}
BENCHMARK(BM_ByteToRxCharHandler)->UseManualTime()->Iterations(5000)->Unit(benchmark::kMicrosecond);

void BM_IdleOpenPortCpu(benchmark::State& state) {
    PseudoTerminal pty;
    SerialPort comm;
    comm.setDeviceName(pty.slavePath());
    comm.setMonitorEvents(SerialPort::Event::RxChar);
    comm.setOnBytesReceived([](QObject*, int) {});
    comm.open();
    bench::measureIdleCpu(state);
}
BENCHMARK(BM_IdleOpenPortCpu)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

void BM_OpenAndClose(benchmark::State& state) {
    PseudoTerminal pty;
    SerialPort comm;
    comm.setDeviceName(pty.slavePath());
    for (auto _ : state) {
        comm.open();
        comm.close();
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
