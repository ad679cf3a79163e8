#pragma once

#include "app/navigator.h"
#include "results/resultrecord.h"
#include "results/resultstore.h"
#include "roster/grades.h"
#include "roster/roster.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/installation.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"

#include <QTest>

#include <algorithm>
#include <memory>

namespace kemoro::test {

// A configured session on an installation of `classroom` with `pupil`
// confirmed and the roster loaded, as the hub finds it. Any problem of the
// files, of the configuration or of the roster leaves error() non-empty:
// QVERIFY2(run.isValid(), qPrintable(run.error())).
struct HubRun
{
    Installation install;
    FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    FakeRandom random;
    ScriptedMessages messages;
    FakeProgramStarter programs;
    // The hub's waits and the drill's clock move only when the test moves time on.
    ManualTimers timers{&clock};
    AppContext context;
    std::unique_ptr<Navigator> navigator;

    HubRun(const Classroom &classroom, int pupil, int levels = 1) : install(classroom)
    {
        context.services = {&clock, &random, &messages, &programs};
        context.services.timers = &timers;
        navigator = std::make_unique<Navigator>(context);
        if (!install.isValid()) {
            m_error = install.error();
            return;
        }
        Diagnostics d;
        if (!configure(context.session, install.programDir(), clock.today(), d))
            m_error = QStringLiteral("configure failed; ");
        Session &s = context.session;
        buildDefaultLevelTable(s);
        s.levelCount = qint16(levels);
        const auto confirmed = std::find_if(classroom.pupils.cbegin(), classroom.pupils.cend(),
                                            [&](const Pupil &p) { return p.number == pupil; });
        if (confirmed == classroom.pupils.cend()) {
            m_error += QStringLiteral("pupil %1 is not in the classroom; ").arg(pupil);
        } else {
            s.curPupilNo = qint16(pupil);
            s.curPupilName = confirmed->name;
            s.curPupilGrade = storedGradeLabel(confirmed->grade).value_or(QString());
        }
        s.sessionStartTick = clock.monotonicMs();
        s.roster.schoolYear = schoolYear(clock.today(), s.settings.yearStartMonth);
        loadRoster(s.folders.rosterFile(), s.settings.commonSetting3, s.roster, d);
        for (const Diagnostic &problem : std::as_const(d))
            m_error += problem.toLine() + QStringLiteral("; ");
    }

    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }

    // A drill of `pupil` stamped `daysAgo` days before the clock's now.
    void append(int pupil, int level, int seconds, int daysAgo = 0)
    {
        const ResultRecord rec = drillRecord(clock.now().addDays(-daysAgo), qint16(pupil), qint16(level),
                                             seconds, QStringLiteral("12345"));
        QVERIFY(!ResultStore(context.session.folders.resultFile()).append(rec, [](int) { return true; }));
    }

private:
    QString m_error;
};

} // namespace kemoro::test
