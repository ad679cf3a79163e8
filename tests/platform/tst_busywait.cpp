#include "platform/busywait.h"
#include "testsupport/fakes.h"
#include "testsupport/manualtimers.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestBusyWait : public QObject
{
    Q_OBJECT
private slots:
    void waitsOnTheTimerSource();
};

// The screens' wait for a locked result file: the seconds pass on the timer
// source, with window events running, and the notice says why.
void TestBusyWait::waitsOnTheTimerSource()
{
    test::FakeClock clock;
    test::ManualTimers timers(&clock);
    QLabel notice;
    const WaitFunction wait = ui::waitForOtherComputer(&notice, &timers);
    int runningDuringTheWait = -1;
    // Runs inside the wait, as the first window event.
    QTimer::singleShot(0, &notice, [&] {
        runningDuringTheWait = timers.active();
        timers.advance(2000);
    });
    QVERIFY(wait(2));
    QCOMPARE(runningDuringTheWait, 1);
    QCOMPARE(timers.elapsed(), 2000);
    QCOMPARE(timers.active(), 0);
    QCOMPARE(notice.text(), ui::waitingForOtherComputerText());
}

QTEST_MAIN(TestBusyWait)
#include "tst_busywait.moc"
