// What a member waits for at the kiosk: from Enter on his enrolment number to his name and photo
// on the screen, and from Enter on a workout digit to the last byte of his ticket on the port.
#include "Backends.h"
#include "DemoData.h"
#include "DemoFolders.h"
#include "KioskWindows.h"
#include "PostgresDatabases.h"
#include "ResidentMemory.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

using bench::cameraPhoto;
using bench::member;
using bench::PostgresDatabases;
using bench::run;

// The demo's databases with one member of a photo and a workout A of 20 exercises.
void addMember(const QString& folder) {
    const QString name = QStringLiteral("bench-kiosk");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QDir(folder).filePath("quorvel.db"));
        db.open();
        run(db, "INSERT INTO ALUNOS (MATRICULA, NOME) VALUES (?, 'Conceição Aparecida Ribeiro')",
            {member});
        run(db, "INSERT INTO FotosAlunos (MATRICULA, FOTO1) VALUES (?, ?)",
            {member, cameraPhoto()});
        db.close();
        db.setDatabaseName(QDir(folder).filePath("palendra.db"));
        db.open();
        run(db, "UPDATE Secvar SET AlunosAtivos = 'Não', PORTA_IMP = 'TKT', ESPACO = 3");
        for (int order = 1; order <= 20; ++order) {
            run(db,
                "INSERT INTO TREINO (MATRICULA, CODIGO_EXERCICIO, PROFESSOR, REPETICOES, "
                "REGULAGEM, ORDEM, TREINO, SERIES, PESO, INTERVALO, OBS, DATA, DOM, SEG, TER, "
                "QUA, QUI, SEX, SAB) SELECT ?, CODIGO, '0000000901', '12', '3', ?, 'A', '3', "
                "'20', 60, 'Devagar', '2026-03-05 08:00:00', 0, 1, 0, 1, 0, 1, 0 FROM EXERCICIOS "
                "WHERE TIPO <> 'S' LIMIT 1 OFFSET ?",
                {member, order, order % 10});
        }
        run(db,
            "INSERT INTO AEROBICA (MATRICULA, CODIGO_EXERCICIO, DURACAO, VELOCIDADE, "
            "NIVEL_DIFICULDADE, DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB) SELECT ?, CODIGO, 20, "
            "6.5, 3, '2026-03-05 08:00:00', 0, 1, 0, 1, 0, 1, 0 FROM EXERCICIOS WHERE TIPO = 'S' "
            "LIMIT 1",
            {member});
        run(db,
            "INSERT INTO ALONGAMENTO (Matricula, Treino, Data, Obs) VALUES (?, 'A', "
            "'2026-03-05 08:00:00', 'Alongar panturrilha e posterior de coxa, 20 segundos "
            "cada, sem balanço, respirando devagar.')",
            {member});
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

const QTemporaryDir& databasesWith(int members) {
    demo::Options options;
    options.photos = false;
    return demoFolder(members, options, addMember);
}

// The main window and the kiosk over it, on the databases of one member count.
struct Kiosk {
    explicit Kiosk(int members)
        : Kiosk(databasesWith(members).path()) {}
    explicit Kiosk(const QString& databases)
        : folder(databases) {
        QDir::setCurrent(folder); // the ticket's port "TKT" is a file there
        platform::Backends failing = platform::backends();
        failing.presentMessage = [](const platform::Message& message) -> int {
            throw std::runtime_error("unexpected message: " + message.text.toStdString());
        };
        previous = platform::installBackends(std::move(failing));
        windows = std::make_unique<KioskWindows>(folder, KioskWindows::Heartbeat::Stopped);
    }
    ~Kiosk() {
        windows.reset();
        platform::installBackends(std::move(previous));
    }
    void enter(QLineEdit* field, const QString& text) {
        field->setText(text);
        QChar key(13);
        field == windows->kiosk->enrolmentEdit ? windows->kiosk->enrolmentKey(key)
                                               : windows->kiosk->workoutKey(key);
    }
    void backToRest() {
        QChar esc(27);
        windows->kiosk->workoutKey(esc);
    }

    QString folder;
    platform::Backends previous;
    std::unique_ptr<KioskWindows> windows;
};

// Enter on a member's number until his name and photo show, the kiosk back at rest between.
void timeEnrolments(benchmark::State& state, Kiosk& k) {
    for (auto _ : state) {
        k.enter(k.windows->kiosk->enrolmentEdit, QStringLiteral("424242"));
        if (!k.windows->kiosk->photo->isVisible()) {
            state.SkipWithError("no photo shown");
            break;
        }
        state.PauseTiming();
        k.backToRest();
        state.ResumeTiming();
    }
}

void EnrolmentToNameAndPhoto(benchmark::State& state) {
    Kiosk k(static_cast<int>(state.range(0)));
    timeEnrolments(state, k);
}

// Made once per member count; the servers stop before the program ends.
std::map<int, std::unique_ptr<PostgresDatabases>>& postgresDatabases() {
    static std::map<int, std::unique_ptr<PostgresDatabases>> made;
    return made;
}

QString postgresFolderWith(int members) {
    auto& databases = postgresDatabases()[members];
    if (!databases) {
        databases = std::make_unique<PostgresDatabases>(PostgresDatabases::Options{members});
    }
    return databases->folder.path();
}

void EnrolmentToNameAndPhotoOnPostgres(benchmark::State& state) {
    const QString reason = PostgresServer::unavailableReason();
    if (!reason.isEmpty()) {
        state.SkipWithError(reason.toStdString().c_str());
        return;
    }
    Kiosk k(postgresFolderWith(static_cast<int>(state.range(0))));
    timeEnrolments(state, k);
}

// The menu key that opens the kiosk, on a main window freshly connected each time: opening must
// read no member, so a chain's table of millions costs what a gym's thousand does.
void KioskOpensOnPostgres(benchmark::State& state) {
    const QString reason = PostgresServer::unavailableReason();
    if (!reason.isEmpty()) {
        state.SkipWithError(reason.toStdString().c_str());
        return;
    }
    const QString folder = postgresFolderWith(static_cast<int>(state.range(0)));
    long grownKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MainWindow main(folder, openExerciseSheet);
        main.clockTimer->stop();
        main.show();
        const long before = residentKilobytes();
        state.ResumeTiming();
        KioskWindow kiosk(main);
        kiosk.show();
        state.PauseTiming();
        if (!kiosk.isVisible()) {
            state.SkipWithError("the kiosk did not open");
            break;
        }
        grownKb = std::max(grownKb, residentKilobytes() - before);
        kiosk.close();
        state.ResumeTiming();
    }
    state.counters["resident_growth_kb"] = double(grownKb);
}

void WorkoutToLastTicketByte(benchmark::State& state) {
    Kiosk k(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        k.enter(k.windows->kiosk->enrolmentEdit, QStringLiteral("424242"));
        state.ResumeTiming();
        k.enter(k.windows->kiosk->workoutEdit, QStringLiteral("1"));
    }
    state.counters["ticket_bytes"] = double(QFileInfo(QDir(k.folder).filePath("TKT")).size());
}

} // namespace

BENCHMARK(EnrolmentToNameAndPhoto)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(EnrolmentToNameAndPhotoOnPostgres)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(KioskOpensOnPostgres)
    ->Arg(1000)
    ->Arg(5000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(WorkoutToLastTicketByte)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    postgresDatabases().clear();
    benchmark::Shutdown();
    return 0;
}
