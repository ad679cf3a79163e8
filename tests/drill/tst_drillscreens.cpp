#include "app/navigator.h"
#include "drill/drillform.h"
#include "drill/endofdrillscreen.h"
#include "hub/hubscreen.h"
#include "platform/messages.h"
#include "platform/sound.h"
#include "platform/widgets.h"
#include "recordingsound.h"
#include "results/aggregation.h"
#include "results/resultstore.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"
#include "windows/waitwindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

constexpr int pupil = 3;

// Level 6: target 35 s, minimum 70 s, rate 1.5; every other level: target
// 30 s, minimum 60 s, rate 1; all cleared by 5 drills or 100 points and barred
// after 20 drills or 300 points.
test::Classroom classroom()
{
    QList<QStringList> criteria(
        24, {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s});
    criteria[5] = {u"35"_s, u"70"_s, u"100"_s, u"5"_s, u"1.5"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s};
    return {.pupils = {{pupil, u"山田　花子"_s, 3}},
            .criteria = criteria,
            .sounds = {{u"正解音2"_s, {u"ピンポン1"_s, u"ピンポン2"_s}},
                       {u"間違い音2"_s, {u"ブー1"_s, u"ブー2"_s}},
                       {u"自己最高音2"_s, {u"やったね1"_s}},
                       {u"不合格音1"_s, {u"ざんねん1"_s}}},
            .today = QDate(2027, 1, 5)};
}

// A whole drill against a temporary installation of the classroom above, with
// a set clock and timers that only move when the test moves time on, a seeded
// random source, scripted message boxes and a recording sound.
struct Drill
{
    test::Installation install{classroom()};
    test::FakeClock clock{QDateTime(QDate(2027, 1, 5), QTime(9, 0))};
    test::ManualTimers timers{&clock};
    SystemRandom random{20270105};
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    test::RecordingSound sound;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>();
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<QSignalSpy> finished;
    bool configured = false; // the files written and read without a problem shown
    QString setupError;

    Drill()
    {
        context->services = {&clock, &random, &messages, &programs, &sound};
        context->services.timers = &timers;
        context->session.folders.programDir = install.programDir();
        navigator = std::make_unique<Navigator>(*context);
        finished = std::make_unique<QSignalSpy>(navigator.get(), &Navigator::finished);
        if (!install.isValid())
            setupError = install.error();
        else if (!navigator->configure())
            setupError = u"the configuration failed"_s;
        for (const test::ScriptedMessages::Shown &shown : std::as_const(messages.shown))
            setupError += u"; shown: "_s + shown.text;
        configured = setupError.isEmpty();
        Session &s = context->session;
        s.curPupilNo = pupil;
        s.curPupilName = u" 山田　花子 "_s;
        s.sessionStartTick = clock.monotonicMs() - 7 * 60000;
        buildDefaultLevelTable(s);
    }
    ~Drill() { navigator.reset(); }

    Session &session() { return context->session; }
    QString resultPath() const { return context->session.folders.resultFile(); }

    // Earlier drills of today, then the aggregation a hub would have run.
    void recordEarlier(int level, qint32 time, int count)
    {
        ResultStore file(resultPath());
        for (int i = 0; i < count; ++i)
            file.append(
                drillRecord(clock.now().addSecs(-60 * (i + 1)), pupil, qint16(level), time, QString()),
                [](int) { return false; });
        aggregate(
            session().criteria, clock.now(), file, [](int) { return false; }, session().results);
    }

    DrillForm *start(int level)
    {
        session().curLevel = qint16(level);
        navigator->startDrill();
        return screen();
    }

    DrillForm *screen() const { return test::openScreen<DrillForm>(); }
    EndOfDrillScreen *endScreen() const { return test::openScreen<EndOfDrillScreen>(); }
    HubScreen *hub() const { return test::openScreen<HubScreen>(); }
    // The one second of the wait window after a recorded drill.
    EndOfDrillScreen *afterTheWait()
    {
        timers.advance(1000);
        return endScreen();
    }
    template <typename T = QLabel> T *on(QWidget *w, const QString &name) const
    {
        T *child = w ? w->findChild<T *>(name) : nullptr;
        if (!child) qWarning("no control %s", qPrintable(name));
        return child;
    }
    QString text(QWidget *w, const QString &name) const { return on(w, name)->text(); }

    // Moves time on to `seconds` into the drill; the drill clock ticks once
    // a second on the way.
    void tickAt(int seconds)
    {
        const qint64 target = qint64(seconds) * 1000;
        timers.advance(target - (clock.monotonicMs() - session().drill.drillStartTick));
    }

    // Picks a shown pair whose product is (or, for a wrong answer, is not)
    // the product shown, and presses "判定": by a click, or by `key` on the
    // focused button.
    bool answer(bool right, std::optional<Qt::Key> key = std::nullopt)
    {
        DrillForm *s = screen();
        const int product = text(s, u"Label5"_s).toInt();
        for (int i = 1; i <= 9; ++i) {
            for (int j = 1; j <= 9; ++j) {
                auto *first = on(s, u"Label1(%1)"_s.arg(i));
                auto *second = on(s, u"Label2(%1)"_s.arg(j));
                if (first->isHidden() || second->isHidden() || (i * j == product) != right) continue;
                QTest::mouseClick(first, Qt::LeftButton);
                QTest::mouseClick(second, Qt::LeftButton);
                auto *judge = on<QPushButton>(s, u"Command1"_s);
                if (!key) {
                    QTest::mouseClick(judge, Qt::LeftButton);
                    return true;
                }
                // A tap on a digit gives "判定" the focus.
                if (!judge->hasFocus()) return false;
                QTest::keyClick(judge, *key, *key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
                return true;
            }
        }
        return false;
    }

    // How long the cue played last would sound: the installation's waves
    // all have one length.
    qint64 cueMs() const
    {
        return sound.played.isEmpty() ? -1 : wavFileDurationMs(sound.played.last()).value_or(-1);
    }

    QList<ResultRecord> records() const
    {
        QList<ResultRecord> list;
        const QByteArray bytes = test::readBytes(resultPath());
        for (qsizetype at = 0; at + record::size <= bytes.size(); at += record::size)
            list.append(decodeRecord(bytes.constData() + at));
        return list;
    }
};

} // namespace

class TestDrillScreens : public QObject
{
    Q_OBJECT
private slots:
    // As the program's main installs it.
    void initTestCase() { ui::installEnterPressesFocusedButton(); }
    void tenRightRecordOnceAndPlayAgain();
    void aWrongAnswerTakesOneBack();
    void secondJudgeDuringTheCueIsHeld();
    void soundOffHoldsTheAnswerForItsCue_data();
    void soundOffHoldsTheAnswerForItsCue();
    void cueEndsWithoutSound_data();
    void cueEndsWithoutSound();
    void timeOutStoresOnce();
    void lastAnswerAndTimeOutMeet();
    void headerLampsAndBars();
    void unrecordedLevelEndsOnTheHub_data();
    void unrecordedLevelEndsOnTheHub();
    void timedTaskRecordsItsButton();
    void endScreenAfterOverPractice_data();
    void endScreenAfterOverPractice();
    void fourthSoundFailureEndsTheProgram();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
};

void TestDrillScreens::tenRightRecordOnceAndPlayAgain()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    QPointer<DrillForm> screen = d.start(1);
    QVERIFY(screen);
    QCOMPARE(screen->objectName(), u"MainFrm"_s);
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"10"_s);
    QCOMPARE(d.text(screen, u"sLabel7"_s), u"山田　花子"_s);
    d.tickAt(25);
    for (int i = 0; i < 10; ++i)
        QVERIFY(d.answer(true));
    QVERIFY(d.on<QWidget>(screen, u"sPicture2"_s)->isVisible());
    QVERIFY(d.on(screen, u"lblsss1"_s)->isVisible());
    QVERIFY(!d.on(screen, u"lblsss2"_s)->isVisible());

    const QList<ResultRecord> stored = d.records();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().resultTime, 25);
    QCOMPARE(stored.first().level, qint16(1));
    QCOMPARE(stored.first().pupil, qint16(pupil));
    QCOMPARE(d.sound.played.size(), 10);
    QVERIFY(d.sound.playedNames().first().startsWith(u"ピンポン"_s));

    QVERIFY(!d.endScreen()); // the wait window's second first
    EndOfDrillScreen *end = d.afterTheWait();
    QVERIFY(end);
    QVERIFY(!screen); // closed by deferred deletion
    QCOMPARE(d.text(end, u"Label18"_s), u"今の成績：25秒"_s);
    QCOMPARE(d.text(end, u"Label19"_s), u"獲得ポイント：5点×1→5点"_s);
    QCOMPARE(d.text(end, u"Label20"_s), u"！！！最高新記録！！！"_s); // the first drill of the level
    QCOMPARE(d.sound.playedNames().last(), u"最高1.wav"_s);
    QCOMPARE(d.text(end, u"Label13"_s), u" (このレベル　1回目)"_s);
    QCOMPARE(d.text(end, u"Label14"_s), u"（1回目)"_s);
    QCOMPARE(d.text(end, u"Label16"_s), u"レベル１"_s);
    QVERIFY(!d.session().results.newLevelBest);
    auto *menu = d.on<QPushButton>(end, u"Command4"_s);
    auto *again = d.on<QPushButton>(end, u"Command5"_s);
    d.timers.advance(499);
    QVERIFY(!menu->isVisible());
    d.timers.advance(1);
    QVERIFY(menu->isVisible());
    QVERIFY(again->isVisible());
    QVERIFY(!test::openScreen<WaitWindow>());

    QTest::mouseClick(again, Qt::LeftButton);
    DrillForm *next = d.screen();
    QVERIFY(next);
    QCOMPARE(d.text(next, u"sLabel11"_s), u"2"_s); // this level's second drill today
    QCOMPARE(d.text(next, u"sLabel12"_s), u"2"_s);
    QVERIFY(!d.endScreen());
    QCOMPARE(d.records().size(), 1);
    QCOMPARE(d.messages.shown.size(), 0);
}

void TestDrillScreens::aWrongAnswerTakesOneBack()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    DrillForm *screen = d.start(1);
    QVERIFY(d.answer(false)); // a wrong first answer
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"10"_s);
    QVERIFY(d.sound.playedNames().first().startsWith(u"ブー"_s));
    for (int i = 0; i < 9; ++i)
        QVERIFY(d.answer(true));
    QVERIFY(d.answer(false));
    QVERIFY(d.answer(true));
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"1"_s);
    QCOMPARE(d.session().drill.drillFinished, qint16(0));
    QVERIFY(d.answer(true)); // the twelfth judgement after the first wrong one: net ten
    QCOMPARE(d.session().drill.drillFinished, qint16(1));
    QCOMPARE(d.records().size(), 1);
    // Judging without a digit picked is wrong, and a finished drill takes none.
    QTest::mouseClick(d.on<QPushButton>(screen, u"Command1"_s), Qt::LeftButton);
    QCOMPARE(d.sound.played.size(), 13);
}

void TestDrillScreens::secondJudgeDuringTheCueIsHeld()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    DrillForm *screen = d.start(1);
    d.sound.hold = true;
    QVERIFY(d.answer(true));
    QVERIFY(screen->cuePlaying());
    QVERIFY(d.on(screen, u"Judgement"_s)->isHidden()); // the sound tells right from wrong
    auto *judgeButton = d.on<QPushButton>(screen, u"Command1"_s);
    QTest::mouseClick(judgeButton, Qt::LeftButton);
    QTest::mouseClick(judgeButton, Qt::LeftButton);
    QCOMPARE(d.sound.played.size(), 1);
    d.tickAt(3); // the clock goes on meanwhile
    QCOMPARE(d.text(screen, u"sLabel10"_s), u"3"_s);
    d.sound.release();
    QVERIFY(!screen->cuePlaying());
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"9"_s);
    QCOMPARE(d.session().drill.correctCount, 1);
}

void TestDrillScreens::soundOffHoldsTheAnswerForItsCue_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("remaining"); // from 8 left
    // clang-format off
    QTest::newRow("right: one counted, the next question not judged") << true  << u"○"_s << u"7"_s;
    QTest::newRow("wrong: one taken back, not two")                   << false << u"×"_s << u"9"_s;
    // clang-format on
}

// With --sound=off nothing ends the cue but its length: a double click on
// "判定" must not judge the next question with nothing picked.
void TestDrillScreens::soundOffHoldsTheAnswerForItsCue()
{
    QFETCH(bool, right);
    QFETCH(QString, mark);
    QFETCH(QString, remaining);
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    d.sound.silent = true;
    DrillForm *screen = d.start(1);
    auto *judgement = d.on(screen, u"Judgement"_s);
    auto *judgeButton = d.on<QPushButton>(screen, u"Command1"_s);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(d.answer(true));
        d.timers.advance(d.cueMs());
    }
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"8"_s);
    QVERIFY(judgement->isHidden());

    QVERIFY(d.answer(right));
    QTest::mouseClick(judgeButton, Qt::LeftButton); // the double click's second click
    QCOMPARE(d.sound.played.size(), 3);
    QVERIFY(judgement->isVisible());
    QCOMPARE(judgement->text(), mark);
    const qint64 cueMs = d.cueMs();
    QVERIFY(cueMs > 1);
    // The keypads wait as well.
    const QString picked = d.text(screen, u"Label3"_s);
    for (int i = 1; i <= 9; ++i)
        if (auto *key = d.on(screen, u"Label1(%1)"_s.arg(i)); !key->isHidden() && key->text() != picked)
            QTest::mouseClick(key, Qt::LeftButton);
    QCOMPARE(d.text(screen, u"Label3"_s), picked);

    d.timers.advance(cueMs - 1);
    QVERIFY(screen->cuePlaying());
    QVERIFY(judgement->isVisible());
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"8"_s); // counted when the cue ends
    d.timers.advance(1);
    QVERIFY(!screen->cuePlaying());
    QVERIFY(judgement->isHidden());
    QCOMPARE(d.text(screen, u"sLabel9"_s), remaining);
    QCOMPARE(d.sound.played.size(), 3);
    QCOMPARE(d.text(screen, u"Label3"_s).isEmpty(), right); // a right answer's next question

    // The keypads and "判定" take the next answer.
    QVERIFY(d.answer(true));
    QCOMPARE(d.sound.played.size(), 4);
    QCOMPARE(judgement->text(), u"○"_s);
    d.timers.advance(cueMs);
    QCOMPARE(d.text(screen, u"sLabel9"_s), QString::number(remaining.toInt() - 1));
    QCOMPARE(d.messages.shown.size(), 0);
}

void TestDrillScreens::cueEndsWithoutSound_data()
{
    QTest::addColumn<int>("cue");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("wavesThere");
    QTest::addColumn<bool>("lasts"); // the wave's length, else at once
    // clang-format off
    QTest::newRow("sound off: an answer's cue lasts its wave")   << int(Cue::Wrong) << true  << true  << true;
    QTest::newRow("sound off: a missing wave ends at once")      << int(Cue::Right) << true  << false << false;
    QTest::newRow("sound off: the end screen's cues do not wait") << int(Cue::Pass)  << true  << true  << false;
    QTest::newRow("sound on: the player ends the cue")           << int(Cue::Right) << false << true  << false;
    // clang-format on
}

void TestDrillScreens::cueEndsWithoutSound()
{
    QFETCH(int, cue);
    QFETCH(bool, silent);
    QFETCH(bool, wavesThere);
    QFETCH(bool, lasts);
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    d.sound.silent = silent;
    const QDir folder(d.install.soundFolder());
    const qint64 cueMs = wavFileDurationMs(folder.filePath(u"合格.wav"_s)).value_or(-1);
    QVERIFY(cueMs > 1);
    if (!wavesThere)
        for (const QString &wave : folder.entryList({u"*.wav"_s}))
            QVERIFY(QFile::remove(folder.filePath(wave)));
    QObject guard;
    int ended = 0;
    d.context->services.cues->play(Cue(cue), &guard, [&] { ++ended; });
    if (lasts) {
        d.timers.advance(cueMs - 1);
        QCOMPARE(ended, 0);
        d.timers.advance(1);
    }
    QCOMPARE(ended, 1);
    d.timers.advance(cueMs);
    QCOMPARE(ended, 1);
    QCOMPARE(d.messages.shown.size(), 0);
}

void TestDrillScreens::timeOutStoresOnce()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    DrillForm *screen = d.start(1);
    QCOMPARE(d.session().drill.timeLimit, 300);
    d.tickAt(299);
    QCOMPARE(d.session().drill.timeUp, qint16(0));
    d.tickAt(300);
    QCOMPARE(d.session().drill.timeUp, qint16(1));
    QVERIFY(d.on(screen, u"lblsss2"_s)->isVisible());
    QVERIFY(!d.on(screen, u"lblsss1"_s)->isVisible());
    d.answer(true); // clicks after the time-out are not judged: no cue below
    d.tickAt(301);
    const QList<ResultRecord> stored = d.records();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().resultTime, noTime);
    QCOMPARE(d.sound.played.size(), 0);

    EndOfDrillScreen *end = d.endScreen(); // the tick to 301 s was the wait's second
    QVERIFY(end);
    QCOMPARE(d.text(end, u"Label18"_s), u"記録なし"_s);
    QCOMPARE(d.text(end, u"Label19"_s), u"獲得ポイント：0点×1→0点"_s);
    QCOMPARE(d.text(end, u"Label20"_s), u"時間切れ"_s);
    QCOMPARE(d.sound.played.size(), 0); // a time-out has no cue
}

void TestDrillScreens::lastAnswerAndTimeOutMeet()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    DrillForm *screen = d.start(1);
    for (int i = 0; i < 9; ++i)
        QVERIFY(d.answer(true));
    d.tickAt(299);
    d.sound.hold = true;
    QVERIFY(d.answer(true)); // the last answer; its cue still sounds at the time-out
    d.tickAt(300);
    d.sound.release();
    QCOMPARE(d.session().drill.timeUp, qint16(0));
    const QList<ResultRecord> stored = d.records();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().resultTime, 299);
    QVERIFY(d.on(screen, u"lblsss1"_s)->isVisible());
}

void TestDrillScreens::headerLampsAndBars()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    d.session().settings.schoolName = u"みどり小学校"_s;
    DrillForm *screen = d.start(1);
    const auto lampsOut = [&] {
        QString out;
        for (int i = 30; i <= 39; ++i)
            if (d.on<QWidget>(screen, u"sPicture3(%1)"_s.arg(i))->isHidden()) out += QString::number(i - 30);
        return out;
    };
    QCOMPARE(d.text(screen, u"sLabel2"_s), u"ケモロ"_s);
    QCOMPARE(d.text(screen, u"sLabel14"_s), u"みどり小学校"_s);
    QCOMPARE(d.text(screen, u"sLabel8"_s), u"レベル１"_s);
    QCOMPARE(d.text(screen, u"sLabel13"_s), u"7"_s);
    QCOMPARE(d.text(screen, u"sLabel11"_s), u"1"_s);
    QCOMPARE(d.text(screen, u"sLabel10"_s), u"0"_s);
    const int frame = d.on<QWidget>(screen, u"sShape5"_s)->width();
    QCOMPARE(d.on<QWidget>(screen, u"sShape3"_s)->width(), frame * 30 / 300);
    QCOMPARE(d.on<QWidget>(screen, u"sShape4"_s)->width(), frame * 60 / 300);
    QCOMPARE(d.on<QWidget>(screen, u"sShape2"_s)->width(), 0);

    d.tickAt(20);
    QCOMPARE(lampsOut(), QString());
    d.tickAt(21);
    QCOMPARE(lampsOut(), u"0"_s);
    d.tickAt(25);
    QCOMPARE(lampsOut(), u"01234"_s);
    QCOMPARE(d.text(screen, u"sLabel10"_s), u"25"_s);
    d.tickAt(30);
    QCOMPARE(lampsOut(), u"0123456789"_s);
    d.tickAt(150);
    QCOMPARE(d.on<QWidget>(screen, u"sShape2"_s)->width(), frame / 2);
    QCOMPARE(lampsOut(), u"0123456789"_s); // they stay out
    for (int i = 10; i <= 29; ++i)
        QVERIFY(d.on<QWidget>(screen, u"sPicture3(%1)"_s.arg(i))->isVisible());
}

void TestDrillScreens::unrecordedLevelEndsOnTheHub_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("inLevelSet");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("tries"); // sLabel11 and sLabel12
    // clang-format off
    QTest::newRow("odd practice level on the question drill")   << 7 << true  << u"MainFrm"_s  << u"－"_s;
    QTest::newRow("even practice level on the timed task")      << 4 << true  << u"MainFrm2"_s << u"－"_s;
    QTest::newRow("a level not in use, not left under the cover") << 5 << false << u"MainFrm"_s  << u"1"_s;
    // clang-format on
}

void TestDrillScreens::unrecordedLevelEndsOnTheHub()
{
    QFETCH(int, level);
    QFETCH(bool, inLevelSet);
    QFETCH(QString, form);
    QFETCH(QString, tries);
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    d.session().levels.levelInUse[size_t(level)] = inLevelSet ? 1 : 0;
    DrillForm *screen = d.start(level);
    QCOMPARE(screen->objectName(), form);
    QCOMPARE(d.text(screen, u"sLabel11"_s), tries);
    QCOMPARE(d.text(screen, u"sLabel12"_s), tries);
    if (form == u"MainFrm"_s) {
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(d.text(screen, u"Label5"_s), u"12"_s); // no question is drawn above level 3
            QVERIFY(d.answer(true));
        }
    } else {
        QTest::mouseClick(d.on<QPushButton>(screen, u"Command1"_s), Qt::LeftButton);
    }
    QVERIFY(d.hub() && d.hub()->hubReady());
    QVERIFY(!d.screen());
    QVERIFY(!QFile::exists(d.resultPath()));
    QVERIFY(!d.afterTheWait());
}

void TestDrillScreens::timedTaskRecordsItsButton()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    DrillForm *screen = d.start(2);
    QCOMPARE(screen->objectName(), u"MainFrm2"_s);
    auto *done = d.on<QPushButton>(screen, u"Command1"_s);
    QCOMPARE(done->text(), u"Command1"_s);
    QTest::mouseClick(done, Qt::LeftButton); // before the first tick
    QTest::mouseClick(done, Qt::LeftButton);
    const QList<ResultRecord> stored = d.records();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().resultTime, 0);
    QCOMPARE(stored.first().level, qint16(2));
    QCOMPARE(d.text(screen, u"sLabel9"_s), u"10"_s);
    QVERIFY(d.afterTheWait());
}

void TestDrillScreens::endScreenAfterOverPractice_data()
{
    QTest::addColumn<bool>("goalCleared");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<bool>("again");
    QTest::newRow("goal not cleared: move on, no second try")
        << false << u"次のレベルへ進みましょう"_s << false;
    QTest::newRow("goal cleared: the limit no longer binds") << true << u"このレベルクリア"_s << true;
}

void TestDrillScreens::endScreenAfterOverPractice()
{
    QFETCH(bool, goalCleared);
    QFETCH(QString, label2);
    QFETCH(bool, again);
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    // Level 6 (rate 1.5): 20 drills today of 17 s, 16 points each, clear the
    // level (5 drills, 100 points) and reach its limit (20 drills).
    if (goalCleared) d.recordEarlier(1, 10, 6); // 19 points each: the goal level 1 passes
    d.recordEarlier(6, 17, 20);
    DrillForm *screen = d.start(6);
    d.tickAt(17);
    QTest::mouseClick(d.on<QPushButton>(screen, u"Command1"_s), Qt::LeftButton);
    EndOfDrillScreen *end = d.afterTheWait();
    QVERIFY(end);
    QCOMPARE(d.text(end, u"Label19"_s), u"獲得ポイント：11点×1.5→16点"_s);
    QVERIFY(!d.on(end, u"Label20"_s)->isVisible());                   // 17 s equals the best: no record
    QCOMPARE(d.sound.playedNames(), QStringList{u"ざんねん1.wav"_s}); // within the minimum time
    QCOMPARE(d.text(end, u"Label13"_s), u" (このレベル　21回目)"_s);
    QVERIFY(d.on(end, u"Label2"_s)->isVisible());
    QVERIFY(!d.on<QWidget>(end, u"Picture1"_s)->isVisible()); // not the goal level
    d.timers.advance(500);
    QVERIFY(d.on<QPushButton>(end, u"Command4"_s)->isVisible());
    QCOMPARE(d.text(end, u"Label2"_s), label2);
    QCOMPARE(d.on<QPushButton>(end, u"Command5"_s)->isVisible(), again);

    QTest::mouseClick(d.on<QPushButton>(end, u"Command4"_s), Qt::LeftButton);
    QVERIFY(d.hub() && d.hub()->hubReady());
    QVERIFY(!d.endScreen());
}

void TestDrillScreens::fourthSoundFailureEndsTheProgram()
{
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    d.sound.codes = {1, 1, 1, 0, 1, 1, 1, 1};
    d.start(1);
    for (int i = 0; i < 7; ++i)
        QVERIFY(d.answer(true));
    QCOMPARE(d.messages.shown.size(), 0);
    QCOMPARE(d.finished->size(), 0);
    QVERIFY(d.answer(true)); // the fourth failure in a row
    QCOMPARE(d.messages.shown.size(), 1);
    QCOMPARE(d.messages.shown.first().title, u"音声エラー"_s);
    QCOMPARE(d.messages.shown.first().text, u"音声がでません。先生を呼びなさい。\r\nno device"_s);
    QCOMPARE(d.finished->size(), 1);
    QCOMPARE(d.finished->first().first().toInt(), 1);
    QCOMPARE(d.session().drill.correctCount, 7); // the failed cue's answer is not counted
    QVERIFY(!d.screen());
}

void TestDrillScreens::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("level"); // 1 the question drill, 2 the timed task
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("endButton"); // pressed by the same key once offered
    QTest::addColumn<QString>("next");      // the screen that follows it
    // clang-format off
    QTest::newRow("判定 and メニューへ by Return")          << 1 << int(Qt::Key_Return) << u"Command4"_s << u"seisekitime1"_s;
    QTest::newRow("判定 and もう一度 by the keypad's Enter") << 1 << int(Qt::Key_Enter)  << u"Command5"_s << u"MainFrm"_s;
    QTest::newRow("the timed task's Command1 by Return")   << 2 << int(Qt::Key_Return) << u"Command5"_s << u"MainFrm2"_s;
    // clang-format on
}

void TestDrillScreens::enterPressesTheFocusedButton()
{
    QFETCH(int, level);
    QFETCH(int, key);
    QFETCH(QString, endButton);
    QFETCH(QString, next);
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    Drill d;
    QVERIFY2(d.configured, qPrintable(d.setupError));
    DrillForm *screen = d.start(level);
    screen->activateWindow();
    QCoreApplication::processEvents(); // the window manager's activation
    QVERIFY(screen->isActiveWindow());
    d.tickAt(20);
    if (level == 1) {
        for (int i = 0; i < 10; ++i)
            QVERIFY(d.answer(true, Qt::Key(key)));
    } else {
        auto *done = d.on<QPushButton>(screen, u"Command1"_s);
        QVERIFY(done->hasFocus()); // its one control has the focus from the start
        QTest::keyClick(done, Qt::Key(key), modifiers);
    }
    const QList<ResultRecord> stored = d.records();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().resultTime, 20);
    QCOMPARE(stored.first().level, qint16(level));

    EndOfDrillScreen *end = d.afterTheWait();
    QVERIFY(end);
    end->activateWindow();
    QCoreApplication::processEvents();
    d.timers.advance(500);
    auto *menu = d.on<QPushButton>(end, u"Command4"_s);
    QVERIFY(menu->hasFocus()); // the reveal gives it the focus
    auto *button = d.on<QPushButton>(end, endButton);
    button->setFocus();
    QTest::keyClick(button, Qt::Key(key), modifiers);
    d.timers.advance(0);
    QVERIFY(!d.endScreen());
    QWidget *shown = next == u"seisekitime1"_s ? static_cast<QWidget *>(d.hub()) : d.screen();
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), next);
    QCOMPARE(d.records().size(), 1);
}

QTEST_MAIN(TestDrillScreens)
#include "tst_drillscreens.moc"
