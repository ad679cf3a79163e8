#include "benchsupport.h"

#include "app/navigator.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "roster/namelist.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/startup.h"
#include "tools/demoinstall.h"

#include <QFile>
#include <QListWidget>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {

// A configured session over the school-scale installation.
std::unique_ptr<AppContext> schoolContext(benchmark::State &state, SchoolClock &clock)
{
    auto context = std::make_unique<AppContext>();
    context->services.clock = &clock;
    Diagnostics diagnostics;
    const demo::Installation install{schoolInstallation()};
    if (!configure(context->session, install.programDir(), schoolNow().date(), diagnostics))
        state.SkipWithError("cannot configure the school installation");
    return context;
}

// 名簿表示 as the name selection screen runs it: a fresh aggregation, the
// 5000-pupil roster, the lines sorted and filtered, and List1 filled.
void nameListSchool(benchmark::State &state)
{
    SchoolClock clock;
    const std::unique_ptr<AppContext> context = schoolContext(state, clock);
    NameSelectionScreen screen(*context);
    for (auto _ : state) {
        if (!screen.listNames()) state.SkipWithError("the name list failed");
    }
    state.counters["lines"] = double(screen.findChild<QListWidget *>(u"List1"_s)->count());
}

// The same without the widgets: what the rules alone cost.
void nameListRulesSchool(benchmark::State &state)
{
    SchoolClock clock;
    const std::unique_ptr<AppContext> context = schoolContext(state, clock);
    qsizetype lines = 0;
    for (auto _ : state) {
        const NameListRun run = runNameList(context->session, context->results(), schoolNow(), {},
                                            RankingKind::Points, u"全学年"_s);
        if (run.failed()) state.SkipWithError("the name list failed");
        lines = run.list.list1.size();
        benchmark::DoNotOptimize(run.list.list1.constData());
    }
    state.counters["lines"] = double(lines);
}

// Decoding the 5000-pupil roster file: clean (one pass through ICU), and
// with one bad byte in its first name, which sends the whole file through
// the character-by-character decoding that finds and reports it.
void rosterDecode(benchmark::State &state, bool damaged)
{
    const demo::Installation install{schoolInstallation()};
    QFile file(install.dataRoot() + u"新名簿.txt"_s);
    if (!file.open(QIODevice::ReadOnly)) state.SkipWithError("no roster");
    QByteArray bytes = file.readAll();
    if (damaged) {
        qsizetype name = 0; // after the fourth comma
        for (int field = 1; field < 5; ++field)
            name = bytes.indexOf(',', name) + 1;
        bytes.insert(name, '\xFF');
    }
    qsizetype problems = 0;
    for (auto _ : state) {
        Diagnostics diagnostics;
        const QString text = decodeTextFile(bytes, file.fileName(), diagnostics);
        benchmark::DoNotOptimize(text.constData());
        problems = diagnostics.size();
    }
    state.counters["bytes"] = double(bytes.size());
    state.counters["problems"] = double(problems);
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("NameList/school", nameListSchool)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("NameListRules/school", nameListRulesSchool)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RosterDecode/school", rosterDecode, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RosterDecode/damaged", rosterDecode, true)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace

} // namespace kemoro::bench
