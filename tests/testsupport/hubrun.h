#pragma once

#include "state/context.h"
#include "app/navigator.h"
#include "results/resultstore.h"
#include "results/resultrecord.h"
#include "roster/grades.h"
#include "roster/roster.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/uifakes.h"

#include <QTest>

#include <memory>

namespace kemoro::test {

// A configured session on the demo installation with pupil 8 (工藤　ゆうと,
// grade 3) confirmed and the roster loaded, as the hub finds it.
struct HubRun
{
    TempInstallation install;
    FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    FakeRandom random;
    ScriptedMessages messages;
    FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;

    explicit HubRun(int levels = 1, const QString &pupilName = QStringLiteral("工藤　ゆうと"))
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        configure(context.session, install.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        buildDefaultLevelTable(context.session);
        context.session.levelCount = qint16(levels);
        context.session.curPupilNo = 8;
        context.session.curPupilName = pupilName;
        context.session.curPupilGrade = QStringLiteral("小３");
        context.session.sessionStartTick = clock.monotonicMs();
        context.session.roster.schoolYear = schoolYear(clock.today(), context.session.settings.yearStartMonth);
        loadRoster(context.session.folders.rosterFile(), 0, context.session.roster, d);
    }

    // A drill of `pupil` stamped `daysAgo` days before the clock's now.
    void append(int pupil, int level, int seconds, int daysAgo = 0)
    {
        const ResultRecord rec = drillRecord(clock.now().addDays(-daysAgo), qint16(pupil), qint16(level), seconds,
                                             QStringLiteral("12345"));
        QVERIFY(!ResultStore(context.session.folders.resultFile()).append(rec, [](int) { return true; }));
    }
};

} // namespace kemoro::test
