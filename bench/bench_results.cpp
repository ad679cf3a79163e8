#include "schooldata.h"

#include "criteria/criteria.h"
#include "results/aggregation.h"
#include "tools/demoinstall.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {
struct School
{
    CriteriaTable criteria;
    QString resultFile;
};

const School &school()
{
    static const School loaded = [] {
        School s;
        const demo::Installation install{schoolInstallation()};
        Diagnostics diagnostics;
        loadCriteria(install.dataFolder() + u"タイム回数データ.txt"_s, s.criteria, diagnostics);
        s.resultFile = install.dataFolder() + u"成績累積データ.dat"_s;
        return s;
    }();
    return loaded;
}

// The whole refresh every screen runs: read the newest 20000 records, rebuild
// the best times and add up the eight tables.
void aggregateSchool(benchmark::State &state)
{
    const School &s = school();
    ResultStore file(s.resultFile);
    ResultTables tables;
    for (auto _ : state) {
        const std::optional<ResultFileError> error = aggregate(s.criteria, schoolNow(), file, {}, tables);
        if (error)
            state.SkipWithError("cannot read the result file");
        benchmark::DoNotOptimize(tables.totalPoints(1, 1));
    }
}

// What no aggregation can avoid: reading the same window and clearing the
// tables it fills.
void aggregateFloorSchool(benchmark::State &state)
{
    const School &s = school();
    ResultStore file(s.resultFile);
    ResultTables tables;
    ResultWindow window;
    for (auto _ : state) {
        if (file.read(resultWindow, {}, window))
            state.SkipWithError("cannot read the result file");
        // The eight counter tables share one block: clear it as aggregation
        // does, in one pass (the same bytes the eight separate tables held).
        tables.clearCounts();
        tables.best.fill(99999);
        benchmark::DoNotOptimize(window.bytes.data());
        benchmark::DoNotOptimize(tables.totalPoints(1, 1));
        benchmark::ClobberMemory();
    }
}
} // namespace

void registerResultBenchmarks()
{
    benchmark::RegisterBenchmark("Aggregate/school", aggregateSchool)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("AggregateFloor/school", aggregateFloorSchool)->Unit(benchmark::kMillisecond);
}

} // namespace kemoro::bench
