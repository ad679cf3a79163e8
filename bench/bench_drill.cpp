#include "app/navigator.h"
#include "benchsupport.h"
#include "drill/drillform.h"
#include "platform/clicklabel.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/programstarter.h"
#include "state/context.h"
#include "state/soundcues.h"
#include "tools/demoinstall.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {

class DrillClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2027, 1, 5), QTime(9, 0)); }
    qint64 monotonicMs() const override { return 1000000; }
};

// A cue that has ended as soon as it starts. Not silent: a silent answer cue
// lasts its wave file's length, and the drill would wait for it.
class InstantSound final : public SoundPlayer
{
public:
    void play(const QString &, Done done) override { done(SoundResult{}); }
};

// The drill screen the navigator opened: the one shown among the windows.
DrillForm *openDrill()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *drill = qobject_cast<DrillForm *>(w); drill && drill->isVisible()) return drill;
    return nullptr;
}

// Level 1 of a demo installation on the question drill screen, with every
// cue succeeding at once: what is measured is the program, not the sound.
struct DrillOnScreen
{
    QTemporaryDir dir;
    DrillClock clock;
    SystemRandom random{20270105};
    AnsweringMessages messages;
    SystemProgramStarter programs;
    InstantSound sound;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>();
    std::unique_ptr<Navigator> navigator;

    bool open()
    {
        if (!dir.isValid() || !demo::create(dir.path(), clock.today()).isEmpty()) return false;
        context->services = {&clock, &random, &messages, &programs, &sound};
        context->session.folders.programDir = demo::Installation{dir.path()}.programDir();
        navigator = std::make_unique<Navigator>(*context);
        if (!navigator->configure()) return false;
        context->session.curPupilNo = 1;
        buildDefaultLevelTable(context->session);
        context->session.curLevel = 1;
        navigator->startDrill();
        return openDrill() != nullptr;
    }

    // Picks a shown pair that multiplies to the product.
    bool pickRight()
    {
        QWidget *screen = openDrill();
        const int product = screen->findChild<QLabel *>(u"Label5"_s)->text().toInt();
        for (int i = 1; i <= 9; ++i) {
            auto *first = screen->findChild<ui::ClickLabel *>(u"Label1(%1)"_s.arg(i));
            if (first->isHidden() || product % i != 0) continue;
            auto *second = screen->findChild<ui::ClickLabel *>(u"Label2(%1)"_s.arg(product / i));
            if (!second || second->isHidden()) continue;
            emit first->clicked();
            emit second->clicked();
            return true;
        }
        return false;
    }
};

// From a "判定" click on a right answer until the next question has been
// painted.
void drillJudgeToNextQuestion(benchmark::State &state)
{
    DrillOnScreen drill;
    if (!drill.open()) {
        state.SkipWithError("the drill screen did not open");
        return;
    }
    DrillForm *screen = openDrill();
    auto *judge = screen->findChild<QPushButton *>(u"Command1"_s);
    DrillState &d = drill.context->session.drill;
    for (auto _ : state) {
        state.PauseTiming();
        d.correctCount = 0; // never reach the end of the drill
        const bool picked = drill.pickRight();
        state.ResumeTiming();
        if (!picked) {
            state.SkipWithError("no right pair on the keypads");
            break;
        }
        judge->click();
        // The whole window rendered once: a frame as the pupil would see it.
        benchmark::DoNotOptimize(screen->grab().cacheKey());
    }
    if (d.correctCount != 1) state.SkipWithError("the answer was not judged right");
}

} // namespace

BENCHMARK(drillJudgeToNextQuestion)
    ->Name("DrillJudgeToNextQuestion")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace kemoro::bench
