// The kiosk's keypad figures: from a byte written to the far end of the keypad's pseudo-terminal
// to the digit shown in enrolmentEdit, and the CPU the kiosk costs while it waits for a member
// with its keypad open (the main window's one-second tick and database heartbeat included).
#include "Backends.h"
#include "BenchSupport.h"
#include "DemoData.h"
#include "KioskWindows.h"
#include "SerialDriverPosix.h"
#include "SerialPort.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

void setKeypad(const QString& folder, const QString& pinpad) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bench");
        db.setDatabaseName(QDir(folder).filePath(QStringLiteral("palendra.db")));
        db.open();
        QSqlQuery(db).exec(QStringLiteral("UPDATE Secvar SET PINPAD = '%1'").arg(pinpad));
    }
    QSqlDatabase::removeDatabase("bench");
}

// The demo's databases with a keypad on a pseudo-terminal linked as KPD1, the main window and
// the kiosk over it, as a member finds them.
class KioskWithKeypad {
public:
    KioskWithKeypad()
        : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
        , m_driver(QDir(m_dir.path()).filePath(QStringLiteral("dev"))) {
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        demo::Options options;
        options.members = 300;
        options.workouts = false;
        options.photos = false;
        demo::writeDemoDatabases(m_dir.path(), options);
        setKeypad(m_dir.path(), QStringLiteral("KPD1"));
        QDir(m_dir.path()).mkpath(QStringLiteral("dev"));
        QFile::link(QString::fromLocal8Bit(::ptsname(m_master)),
                    QDir(m_dir.path()).filePath(QStringLiteral("dev/KPD1")));
        platform::Backends devices = platform::backends();
        devices.keypadSerialDriver = [this]() -> platform::SerialDriver& {
            return m_driver;
        };
        m_previous = platform::installBackends(std::move(devices));
        m_windows = std::make_unique<KioskWindows>(m_dir.path(), KioskWindows::Heartbeat::Running);
    }
    ~KioskWithKeypad() {
        m_windows.reset();
        platform::installBackends(std::move(m_previous));
        ::close(m_master);
    }
    KioskWithKeypad(const KioskWithKeypad&) = delete;
    KioskWithKeypad& operator=(const KioskWithKeypad&) = delete;

    KioskWindow& kiosk() { return *m_windows->kiosk; }
    void press(char key) const { [[maybe_unused]] const auto written = ::write(m_master, &key, 1); }

private:
    QTemporaryDir m_dir;
    int m_master;
    platform::PosixSerialDriver m_driver;
    platform::Backends m_previous;
    std::unique_ptr<KioskWindows> m_windows;
};

void BM_KeypadByteToDigitShown(benchmark::State& state) {
    KioskWithKeypad setup;
    QLineEdit* field = setup.kiosk().enrolmentEdit;
    if (!setup.kiosk().keypadPort->isOpen()) {
        state.SkipWithError("the keypad did not open");
        return;
    }
    bench::Clock::time_point shown;
    bool changed = false;
    QObject::connect(field, &QLineEdit::textChanged, [&] {
        shown = bench::Clock::now();
        changed = true;
    });
    const auto send = [&] {
        if (field->text().size() == 10) {
            field->clear(); // microseconds, next to the milliseconds measured
        }
        changed = false;
        setup.press('5');
    };
    bench::measureArrivals(state, send, changed, shown, 1e3, "ms");
}
BENCHMARK(BM_KeypadByteToDigitShown)
    ->UseManualTime()
    ->Iterations(3000)
    ->Unit(benchmark::kMillisecond);

void BM_IdleKioskWithKeypadCpu(benchmark::State& state) {
    KioskWithKeypad setup;
    bench::measureIdleCpu(state);
}
BENCHMARK(BM_IdleKioskWithKeypadCpu)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
