// The workout on screen: from Enter on the workout digit to the series window shown and painted,
// for a workout A of 20 exercises with aerobic and stretching rows; and the terminal's resident
// memory while an exercise video plays.
#include "Backends.h"
#include "DataGrid.h"
#include "DemoData.h"
#include "DemoVideos.h"
#include "KioskWindows.h"
#include "ResidentMemory.h"
#include "SeriesWindow.h"
#include "TerminalApplication.h"
#include "VideoWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int exercisesInWorkout = 20;

void run(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        throw std::runtime_error(sql.toStdString());
    }
}

// The demo databases, member 1 with a newer workout A of 20 exercises, aerobic and stretching
// rows, and the workout shown on screen.
QString demoWithLongWorkout(const QTemporaryDir& dir) {
    demo::Options options;
    options.members = 3;
    options.photos = false;
    demo::writeDemoDatabases(dir.path(), options);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench");
        db.setDatabaseName(dir.filePath("palendra.db"));
        db.open();
        const QString when = "'2027-01-04 08:00:00'";
        const QString member = demo::enrolmentOf(1);
        for (int order = 1; order <= exercisesInWorkout; ++order) {
            run(db, QString("INSERT INTO TREINO (MATRICULA, CODIGO_EXERCICIO, PROFESSOR, "
                            "REPETICOES, REGULAGEM, ORDEM, TREINO, SERIES, PESO, INTERVALO, OBS, "
                            "DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB, DATA_REAVALIACAO) VALUES "
                            "('%1', '%2', '0000000901', '12', 'Banco 2', %3, 'A', '3', '20 kg', "
                            "60, 'Devagar', %4, 1, 0, 1, 0, 1, 0, 0, '2027-04-04 00:00:00')")
                        .arg(member)
                        .arg(order, 3, 10, QLatin1Char('0'))
                        .arg(order)
                        .arg(when));
        }
        run(db, QString("INSERT INTO AEROBICA (MATRICULA, CODIGO_EXERCICIO, DURACAO, VELOCIDADE, "
                        "NIVEL_DIFICULDADE, DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB) VALUES "
                        "('%1', '031', 20, 6.5, 3, %2, 0, 1, 0, 1, 0, 1, 0)")
                    .arg(member, when));
        run(db, QString("INSERT INTO ALONGAMENTO (Matricula, Treino, Data, Obs, Alogamento_01, "
                        "Alogamento_13) VALUES ('%1', 'A', %2, 'Alongar antes', 1, 1)")
                    .arg(member, when));
        run(db, "UPDATE Secvar SET SERIEEMVIDEO = 'Sim', AlunosAtivos = 'Não'");
    }
    QSqlDatabase::removeDatabase("bench");
    return demo::enrolmentOf(1);
}

void press(QWidget* field, Qt::Key key, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &event);
}

// Runs action on the next modal window of type T, once it is up.
template <typename T> void whenShown(std::function<void(T&)> action) {
    QTimer::singleShot(0, qApp, [action = std::move(action)]() mutable {
        if (auto* window = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            action(*window);
        } else {
            whenShown<T>(std::move(action));
        }
    });
}

struct Kiosk {
    Kiosk()
        : member(demoWithLongWorkout(dir))
        , windows(dir.path(), KioskWindows::Heartbeat::Stopped) {}
    void enterMember() {
        windows.kiosk->enrolmentEdit->setText(member);
        press(windows.kiosk->enrolmentEdit, Qt::Key_Return);
        windows.kiosk->workoutEdit->setText("1");
    }
    QTemporaryDir dir;
    QString member;
    KioskWindows windows;
};

void SeriesWindowShownAndPainted(benchmark::State& state) {
    Kiosk k;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        k.enterMember();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        whenShown<SeriesWindow>([&](SeriesWindow& series) {
            series.repaint();
            state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
            rows = series.strengthGrid[0]->model()->rowCount();
            series.close();
        });
        press(k.windows.kiosk->workoutEdit, Qt::Key_Return);
    }
    if (rows != exercisesInWorkout) {
        state.SkipWithError("the workout was not shown whole");
    }
}

void ResidentMemoryWithAVideoPlaying(benchmark::State& state) {
    Kiosk k;
    QTemporaryDir clips;
    const QString clip = clips.filePath("clip.mp4");
    demo::writeExerciseClip(clip, "Supino reto com barra", 4.0);
    long kilobytes = 0;
    for (auto _ : state) {
        QTimer::singleShot(2000, qApp, [&] {
            kilobytes = residentKilobytes();
            QApplication::activeModalWidget()->close();
        });
        showVideoWindow(k.windows.kiosk.get(), clip, {}, nullptr);
    }
    state.counters["rss_MB"] = static_cast<double>(kilobytes) / 1024.0;
}

} // namespace

BENCHMARK(SeriesWindowShownAndPainted)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3)
    ->ReportAggregatesOnly();
BENCHMARK(ResidentMemoryWithAVideoPlaying)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TerminalApplication app(argc, argv);
    // A message means the run went wrong: say so instead of waiting for an answer.
    platform::Backends backends;
    backends.presentMessage = [](const platform::Message& message) {
        std::fprintf(stderr, "bench_series: message \"%s\"\n", qPrintable(message.text));
        return static_cast<int>(platform::IdOk);
    };
    platform::installBackends(std::move(backends));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
