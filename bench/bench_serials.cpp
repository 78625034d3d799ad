// Serial-number throughput: 8 processes, as 8 workstations, draw numbers of
// one kind from one database at once. Reports numbers per second.
#include "common/testdb.h"
#include "core/schema.h"

#include <QCoreApplication>
#include <QProcess>
#include <benchmark/benchmark.h>

namespace {

constexpr int kProcesses = 8;

void drawConcurrently(benchmark::State &state, Dialect dialect)
{
    if (dialect == Dialect::PostgreSQL && !TestDb::postgresAvailable()) {
        state.SkipWithError("ZYBL_TEST_PG is not set");
        return;
    }
    const int each = int(state.range(0));
    TestDb::Scratch scratch(dialect);
    QString error;
    QSqlDatabase db = scratch.connection();
    if (!scratch.ok() || !Schema::ensureMain(db, &error)) {
        state.SkipWithError("cannot create the database");
        return;
    }
    const DbConfig &c = scratch.config();
    const QStringList target = TestDb::processArguments(c);

    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < kProcesses; ++i) {
            auto child = std::make_unique<QProcess>();
            child->start(QStringLiteral(SERIALDRAW_PATH), target + QStringList{QStringLiteral("4"), QString::number(each)});
            children.push_back(std::move(child));
        }
        for (auto &child : children) {
            child->waitForFinished(-1);
            if (child->exitCode() != 0)
                state.SkipWithError("a drawing process failed");
        }
    }
    state.counters["numbers_per_s"] =
        benchmark::Counter(double(state.iterations()) * kProcesses * each, benchmark::Counter::kIsRate);
}

void BM_SerialsSQLite(benchmark::State &state) { drawConcurrently(state, Dialect::SQLite); }
void BM_SerialsPostgreSQL(benchmark::State &state) { drawConcurrently(state, Dialect::PostgreSQL); }

BENCHMARK(BM_SerialsSQLite)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SerialsPostgreSQL)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
