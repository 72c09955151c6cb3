// Opening the member table and locating one enrolment number, at growing member counts.
// The terminal does both after every enrolment number a member types.
#include "DataLink.h"
#include "Database.h"
#include "DemoData.h"
#include "DemoFolders.h"
#include "ResidentMemory.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QTemporaryDir& databasesWith(int members) {
    demo::Options options;
    options.workouts = false;
    options.photos = false;
    return demoFolder(members, options);
}

struct MemberTable {
    explicit MemberTable(int members)
        : connection(
              platform::dataLinkConnectionString(databasesWith(members).path(), "Quorvel.udl")) {
        connection.open();
        table.setConnection(&connection);
        table.setTableName("ALUNOS");
        table.setDeclaredColumns({"MATRICULA", "NOME"});
    }
    Connection connection;
    KeyedTable table;
};

void OpenMemberTable(benchmark::State& state) {
    MemberTable members(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        members.table.open();
        benchmark::DoNotOptimize(members.table.eof());
        members.table.close();
    }
    state.counters["rss_kB"] = static_cast<double>(residentKilobytes());
}

void LocateMember(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    MemberTable members(count);
    members.table.open();
    long long n = 1;
    for (auto _ : state) {
        n = (n * 7919 + 13) % count + 1;
        if (!members.table.locate("MATRICULA", demo::enrolmentOf(static_cast<int>(n)))) {
            state.SkipWithError("member not found");
            break;
        }
        benchmark::DoNotOptimize(members.table.fieldText("NOME"));
    }
    state.counters["rss_kB"] = static_cast<double>(residentKilobytes());
}

} // namespace

BENCHMARK(OpenMemberTable)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(LocateMember)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
