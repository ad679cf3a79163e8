#include "benchsupport.h"

#include "app/navigator.h"
#include "hub/hubscreen.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/programstarter.h"
#include "roster/grades.h"
#include "roster/nameselectionscreen.h"
#include "roster/roster.h"
#include "state/context.h"
#include "state/startup.h"
#include "tools/demoinstall.h"

#include <QApplication>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {

// A pupil of the school-scale installation on a hub with 24 levels.
struct HubSchool
{
    SchoolClock clock;
    SystemRandom random{1};
    AnsweringMessages messages;
    SystemProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;

    HubSchool()
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        configure(context.session, demo::Installation{schoolInstallation()}.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        buildDefaultLevelTable(context.session);
        context.session.levelCount = 24;
        context.session.curPupilNo = 1;
        context.session.roster.schoolYear =
            schoolYear(clock.today(), context.session.settings.yearStartMonth);
        loadRoster(context.session.folders.rosterFile(), 0, context.session.roster, d);
    }
};

// The shown screen of class T among the top-level windows (a screen the
// navigator closed is hidden at once and deleted later).
template <typename T> T *openScreen()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (T *screen = qobject_cast<T *>(w); screen && screen->isVisible()) return screen;
    return nullptr;
}

void hubEntry(benchmark::State &state)
{
    HubSchool school;
    for (auto _ : state) {
        HubScreen hub(school.context);
        hub.show();
        hub.activate();
        if (!hub.hubReady()) state.SkipWithError("the hub did not become ready");
        benchmark::DoNotOptimize(hub.listLines(1).size());
    }
}

void hubViewSwitch(benchmark::State &state)
{
    HubSchool school;
    HubScreen hub(school.context);
    hub.show();
    hub.activate();
    int view = 0;
    for (auto _ : state) {
        // Time, points, personal time in turn: each a full rebuild of 24 lists.
        hub.findChild<QRadioButton *>(u"Option2(%1)"_s.arg(view))->setChecked(true);
        hub.switchView(hub::HubView(view));
        view = (view + 1) % 3;
        benchmark::DoNotOptimize(hub.listLines(1).size());
    }
}

// From "戻る(0)" to a usable name list: the name selection screen is created,
// aggregates again and lists the 5000 pupils. A fresh hub is made between
// runs, outside the timing.
void hubBackToNames(benchmark::State &state)
{
    HubSchool school;
    for (auto _ : state) {
        state.PauseTiming();
        school.navigator->showHub();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        HubScreen *hub = openScreen<HubScreen>();
        state.ResumeTiming();
        hub->goBack();
        if (!openScreen<NameSelectionScreen>()) state.SkipWithError("no name selection screen");
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

} // namespace

void registerHubBenchmarks()
{
    benchmark::RegisterBenchmark("HubEntry/school", hubEntry)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("HubViewSwitch/school", hubViewSwitch)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("HubBackToNames/school", hubBackToNames)->Unit(benchmark::kMillisecond);
}

} // namespace kemoro::bench
