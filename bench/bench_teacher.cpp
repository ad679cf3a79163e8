#include "benchsupport.h"

#include "app/navigator.h"
#include "criteria/distribution.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/programstarter.h"
#include "results/recordscreen.h"
#include "results/resultstore.h"
#include "state/context.h"
#include "state/startup.h"
#include "tools/demoinstall.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {

// The school-scale installation, with the result file copied into a
// folder of its own so that a deletion never touches the shared data.
struct TeacherSchool
{
    SchoolClock clock;
    SystemRandom random{1};
    AnsweringMessages messages;
    SystemProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    QTemporaryDir copy;
    QByteArray original;

    TeacherSchool()
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        configure(context.session, demo::Installation{schoolInstallation()}.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        QFile file(context.session.folders.resultFile());
        if (file.open(QIODevice::ReadOnly)) original = file.readAll();
        context.session.folders.dataFolder = copy.path() + u'/';
        restore();
    }
    void restore()
    {
        QFile file(context.session.folders.resultFile());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(original);
    }
};

void recordList(benchmark::State &state)
{
    TeacherSchool school;
    for (auto _ : state) {
        RecordScreen screen(school.context);
        screen.show();
        screen.activate();
        if (screen.lines().size() != schoolRecords) state.SkipWithError("not every record is listed");
    }
}

void recordDelete(benchmark::State &state)
{
    TeacherSchool school;
    RecordScreen screen(school.context);
    screen.show();
    screen.activate();
    for (auto _ : state) {
        state.PauseTiming();
        school.restore();
        screen.rebuild();
        screen.openLine(0);
        state.ResumeTiming();
        screen.remove();
        if (screen.lines().size() != schoolRecords - 1) state.SkipWithError("the record was not deleted");
    }
}

void criteriaDistribution(benchmark::State &state)
{
    TeacherSchool school;
    ResultStore file(school.context.session.folders.resultFile());
    for (auto _ : state) {
        ResultWindow window;
        if (file.read(-1, {}, window)) state.SkipWithError("the result file cannot be read");
        const Distribution d = buildDistribution(window, 1);
        benchmark::DoNotOptimize(d.allResults.size());
    }
}

} // namespace

void registerTeacherBenchmarks()
{
    benchmark::RegisterBenchmark("RecordList/school", recordList)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("RecordDelete/school", recordDelete)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("CriteriaDistribution/school", criteriaDistribution)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace kemoro::bench
