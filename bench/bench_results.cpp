#include "schooldata.h"

#include "criteria/criteria.h"
#include "results/aggregation.h"
#include "tools/demoinstall.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>

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
        if (error) state.SkipWithError("cannot read the result file");
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
        if (file.read(resultWindow, {}, window)) state.SkipWithError("cannot read the result file");
        // The eight counter tables share one block: clear it as aggregation
        // does, in one pass (the same bytes the eight separate tables held).
        tables.clearCounts();
        tables.best.fill(99999);
        benchmark::DoNotOptimize(window.bytes.data());
        benchmark::DoNotOptimize(tables.totalPoints(1, 1));
        benchmark::ClobberMemory();
    }
}
// A reader's refresh (the aggregation before a screen) while another
// computer deletes the first of the school's 200,000 records: the reader waits
// for the deletion's lock as the screens do, a second at a time.
void readersDuringRewrite(benchmark::State &state)
{
    const School &s = school();
    QFile source(s.resultFile);
    if (!source.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot read the result file");
        return;
    }
    const QByteArray original = source.readAll();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"成績累積データ.dat"_s);
    ResultStore store(path);
    ResultTables tables;
    const WaitFunction screenWait = [](int seconds) {
        QThread::msleep(ulong(seconds) * 1000);
        return true;
    };
    for (auto _ : state) {
        state.PauseTiming();
        QFile copy(path);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            copy.write(original) != original.size()) {
            state.SkipWithError("cannot copy the result file");
            return;
        }
        copy.close();
        QProcess deleter;
        deleter.start(QCoreApplication::applicationFilePath(), {u"--delete-first"_s, path});
        if (!deleter.waitForReadyRead(30000) || !deleter.readLine().startsWith("locked")) {
            state.SkipWithError("the deleting process did not start");
            return;
        }
        state.ResumeTiming();
        if (aggregate(s.criteria, schoolNow(), store, screenWait, tables))
            state.SkipWithError("cannot read the result file");
        state.PauseTiming();
        deleter.waitForFinished(30000);
        if (deleter.exitCode() != 0 || QFile(path).size() != original.size() - record::size)
            state.SkipWithError("the deletion failed");
        state.ResumeTiming();
    }
}
} // namespace

int deleteFirstRecord(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    RecordEdit edit;
    edit.kind = RecordEdit::Kind::Delete;
    edit.record = 0;
    edit.expected = file.read(record::size).toStdString();
    file.close(); // before the lock: closing a descriptor of the file drops it
    rewrite::setStepHook([](const std::string &step) {
        if (step == "journal-created") {
            std::fputs("locked\n", stdout);
            std::fflush(stdout);
        }
    });
    RewriteOutcome outcome;
    return !ResultStore(path).rewrite(edit, {}, outcome) && outcome == RewriteOutcome::Done ? 0 : 1;
}

void registerResultBenchmarks()
{
    benchmark::RegisterBenchmark("Aggregate/school", aggregateSchool)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("AggregateFloor/school", aggregateFloorSchool)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadersDuringRewrite", readersDuringRewrite)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
}

} // namespace kemoro::bench
