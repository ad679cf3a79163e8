#include "results/resultrecord.h"
#include "testsupport/fixtures.h"
#include "tools/datatool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime testNow(QDate(2026, 12, 10), QTime(9, 0));
constexpr double today = 46366; // 2026-12-10

struct Run
{
    int code = 0;
    QByteArray out;
    QByteArray err;
};

ResultRecord rec(double date, double timeOfDay, int pupil, int level, int time,
                 const QByteArray &school = "12345")
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = timeOfDay;
    r.pupil = qint16(pupil);
    r.level = qint16(level);
    r.resultTime = time;
    r.schoolCode = school;
    return r;
}

QByteArray bytesOf(const QList<ResultRecord> &recs)
{
    QByteArray bytes;
    for (const ResultRecord &r : recs)
        bytes += encodeRecord(r);
    return bytes;
}

// Records worth reporting, and a torn tail.
QByteArray awkwardFile()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return bytesOf({rec(today, 0.375, 12, 1, 45),
                    rec(today - 1, (12 * 3600 + 0.4) / 86400, 3, 0, 99999, "     "),
                    rec(nan, 86399.6 / 86400, -1, 36, -5, "1,2  "), rec(today + 0.5, 1.0, 4, 2, 30),
                    rec(today + 2, 0.5, 4, 2, 30), rec(today + 1, 0.5, 4, 2, 30)}) +
           QByteArray(10, '\0');
}
} // namespace

class TestDataTool : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanInstallationChecksClean();
    void checkReportsEveryProblemSorted();
    void exportIsExact();
    void exportOfMissingFileIsHeaderOnly();
    void summaryIsTheAggregation();
    void usageErrors_data();
    void usageErrors();
    void requiredFileMissing();
    void checkReportsWorksheetQuestions();
    void checkWarnsOfLocalLockMount();
    void checkGoesOnPastEveryProblem();
    void showsTheScreensLists_data();
    void showsTheScreensLists();

private:
    Run run(const QStringList &args, const QString &mountInfo = QString());
    QString resultPath() const { return m_install->dataFolder() + u"成績累積データ.dat"_s; }
    std::unique_ptr<test::Installation> m_install;
};

void TestDataTool::init()
{
    // Pupil 3 and 7, and the third graders in roster order (pupil 10 on
    // line 5). Every level of the default level table has criteria (check
    // would name a level without), all with target 30 s and minimum 60 s,
    // 7 days judged and 1 day barred; level 3's points rate is 1.5.
    QList<QStringList> criteria(
        24, {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s});
    criteria[2][4] = u"1.5"_s;
    m_install = std::make_unique<test::Installation>(test::Classroom{.pupils = {{3, u"上田　ゆい"_s, 1},
                                                                                {7, u"木村　めい"_s, 2},
                                                                                {8, u"工藤　ゆうと"_s, 3},
                                                                                {9, u"小林　あおい"_s, 3},
                                                                                {10, u"佐藤　みお"_s, 3},
                                                                                {11, u"清水　かいと"_s, 3},
                                                                                {12, u"鈴木　りこ"_s, 3}},
                                                                     .criteria = criteria,
                                                                     .school = u"12345ケモロ算数教室"_s,
                                                                     .today = testNow.date()});
    QVERIFY2(m_install->isValid(), qPrintable(m_install->error()));
}

Run TestDataTool::run(const QStringList &args, const QString &mountInfo)
{
    Run result;
    QTextStream out(&result.out), err(&result.err);
    DataToolEnvironment env{m_install->programDir(), testNow, [](int) { return true; },
                            [=] { return mountInfo; }};
    result.code = runDataTool(args, env, out, err);
    out.flush();
    err.flush();
    return result;
}

void TestDataTool::cleanInstallationChecksClean()
{
    QVERIFY(test::writeBytes(resultPath(), bytesOf({rec(today, 0.375, 12, 1, 45)})));
    const Run r = run({u"check"_s});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.code, 0);
}

void TestDataTool::checkReportsEveryProblemSorted()
{
    const QByteArray file = awkwardFile();
    QVERIFY(test::writeBytes(resultPath(), file));
    QVERIFY(test::writeCp932(m_install->dataRoot() + u"共通データ.txt"_s,
                             u"13\r\n12345ケモロ算数教室\r\n0\r\n0\r\n\r\n1234\r\n"_s));
    const Run r = run({u"check"_s, u"--now=2026-12-10T09:00:00"_s});
    QCOMPARE(r.code, 1);
    QCOMPARE(QString::fromUtf8(r.out),
             u"共通データ.txt:line 1: field 1 (school-year start month) is not a month 1..12\n"
             "成績累積データ.dat:record 2: level 0 is outside 1..35 (not counted)\n"
             "成績累積データ.dat:record 3: level 36 is outside 1..35 (not counted)\n"
             "成績累積データ.dat:record 3: pupil -1 is outside 1..5000 (not counted)\n"
             "成績累積データ.dat:record 3: result time -5 is negative (read as 99999)\n"
             "成績累積データ.dat:record 3: date nan is not a valid date (not counted)\n"
             "成績累積データ.dat:record 4: date 46366.5 is not a valid date (not counted)\n"
             "成績累積データ.dat:record 4: time of day 1 is not in [0, 1) (not counted)\n"
             "成績累積データ.dat:record 5: date 2026-12-12 lies in the future (counted in every period)\n"
             "成績累積データ.dat:record 7: partial record of 10 bytes at the end "
             "(ignored; the next append overwrites it)\n"_s);
    QCOMPARE(test::readBytes(resultPath()), file); // only read
}

void TestDataTool::exportIsExact()
{
    QVERIFY(test::writeBytes(resultPath(), awkwardFile()));
    const Run r = run({u"export"_s});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, QByteArray("record,date,time,pupil,level,result_time,school_code\n"
                               "1,2026-12-10,09:00:00,12,1,45,12345\n"
                               "2,2026-12-09,12:00:00,3,0,99999,\n"
                               "3,,00:00:00,-1,36,-5,\"1,2\"\n"
                               "4,,,4,2,30,12345\n"
                               "5,2026-12-12,12:00:00,4,2,30,12345\n"
                               "6,2026-12-11,12:00:00,4,2,30,12345\n"));
}

void TestDataTool::exportOfMissingFileIsHeaderOnly()
{
    const Run r = run({u"export"_s});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QByteArray("record,date,time,pupil,level,result_time,school_code\n"));
    QVERIFY(!QFile::exists(resultPath()));
}

void TestDataTool::summaryIsTheAggregation()
{
    // The criteria of init(): levels 1 and 3 have target 30, level 3 rate 1.5;
    // judging 7 days, over-practice 1 day.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QVERIFY(test::writeBytes(resultPath(), bytesOf({
                                               rec(today, 0.3, 12, 1, 15),        // 11 points
                                               rec(today - 3, 0.3, 12, 1, 30),    // 5 points, judged only
                                               rec(today, 0.3, 12, 3, 15),        // 11 x 1.5 = 16
                                               rec(today - 10, 0.3, 7, 1, 99999), // nothing at all
                                               rec(today, 0.3, 7, 1, -5),         // read as a time-out
                                               rec(today, 0.3, 5001, 1, 20),      // skipped
                                               rec(nan, 0.3, 3, 2, 40),           // only its best counts
                                           })));
    const Run r = run({u"summary"_s, u"--now"_s, u"2026-12-10T09:00:00"_s});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QByteArray("pupil,level,today_tries,today_points,total_tries,total_points,judge_tries,"
                               "judge_points,limit_tries,limit_points,best\n"
                               "3,2,0,0,0,0,0,0,0,0,40\n"
                               "12,1,1,11,2,16,2,16,1,11,15\n"
                               "12,3,1,16,1,16,1,16,1,16,15\n"));
}

void TestDataTool::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("breakInstallation");
    // clang-format off
    QTest::newRow("no command")             << QStringList{} << false;
    QTest::newRow("unknown command")        << QStringList{u"repair"_s} << false;
    QTest::newRow("two commands")           << QStringList{u"check"_s, u"export"_s} << false;
    QTest::newRow("unknown option")         << QStringList{u"check"_s, u"--force"_s} << false;
    QTest::newRow("repeated option")        << QStringList{u"check"_s, u"--levels=2"_s, u"--levels"_s, u"3"_s} << false;
    QTest::newRow("missing value at end")   << QStringList{u"check"_s, u"--now"_s} << false;
    QTest::newRow("option as a value")      << QStringList{u"check"_s, u"--now"_s, u"--levels=2"_s} << false;
    QTest::newRow("now with a blank")       << QStringList{u"check"_s, u"--now=2026-12-10 09:00:00"_s} << false;
    QTest::newRow("now on 30 February")     << QStringList{u"check"_s, u"--now=2026-02-30T09:00:00"_s} << false;
    QTest::newRow("now without seconds")    << QStringList{u"check"_s, u"--now=2026-12-10T09:00"_s} << false;
    QTest::newRow("levels 0")               << QStringList{u"summary"_s, u"--levels=0"_s} << false;
    QTest::newRow("levels 36")              << QStringList{u"summary"_s, u"--levels=36"_s} << false;
    QTest::newRow("levels not a number")    << QStringList{u"summary"_s, u"--levels=two"_s} << false;
    QTest::newRow("no path file")           << QStringList{u"check"_s, u"--program-dir"_s, u"/nonexistent/kemoro"_s} << false;
    QTest::newRow("data folder missing")    << QStringList{u"export"_s} << true;
    QTest::newRow("show nothing")           << QStringList{u"show"_s} << false;
    QTest::newRow("show what is not")       << QStringList{u"show"_s, u"everything"_s} << false;
    QTest::newRow("option of another show") << QStringList{u"show"_s, u"today"_s, u"--kind=1"_s} << false;
    QTest::newRow("namelist kind 4")        << QStringList{u"show"_s, u"namelist"_s, u"--kind=4"_s} << false;
    QTest::newRow("ranking without level")  << QStringList{u"show"_s, u"ranking"_s, u"--view=time"_s} << false;
    QTest::newRow("ranking level 36")       << QStringList{u"show"_s, u"ranking"_s, u"--level=36"_s, u"--view=time"_s} << false;
    QTest::newRow("ranking without view")   << QStringList{u"show"_s, u"ranking"_s, u"--level=1"_s} << false;
    QTest::newRow("period with time view")  << QStringList{u"show"_s, u"ranking"_s, u"--level=1"_s, u"--view=time"_s, u"--period=today"_s} << false;
    QTest::newRow("pupil 5001")             << QStringList{u"show"_s, u"ranking"_s, u"--level=1"_s, u"--view=time"_s, u"--pupil=5001"_s} << false;
    QTest::newRow("period 6")               << QStringList{u"show"_s, u"period"_s, u"--period=6"_s} << false;
    QTest::newRow("personal without pupil") << QStringList{u"show"_s, u"personal"_s} << false;
    // clang-format on
}

void TestDataTool::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(bool, breakInstallation);
    if (breakInstallation) QVERIFY(QDir(m_install->dataFolder()).removeRecursively());
    const Run r = run(args);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY(r.err.startsWith("kemoro-data: "));
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.endsWith('\n'));
}

void TestDataTool::requiredFileMissing()
{
    const QString criteria = m_install->dataFolder() + u"タイム回数データ.txt"_s;
    QVERIFY(QFile::remove(criteria));
    const Run summary = run({u"summary"_s});
    QCOMPARE(summary.code, 1);
    QCOMPARE(summary.out, QByteArray());
    QCOMPARE(summary.err.count('\n'), 1);
    QVERIFY(QString::fromUtf8(summary.err).contains(u"タイム回数データ.txt"_s));
    // check names it among its problems and goes on with the other files.
    const Run check = run({u"check"_s});
    QCOMPARE(check.code, 1);
    QCOMPARE(check.err, QByteArray());
    QCOMPARE(QString::fromUtf8(check.out), u"タイム回数データ.txt:file: missing\n"_s);
}

void TestDataTool::checkReportsWorksheetQuestions()
{
    QVERIFY(test::writeCp932(m_install->programDir() + u"/プロト.csv"_s,
                             u"1,一,二,三,,,,,\r\n9,a,b,c,,,,,\r\n1,x,y,z,,,,\r\n"_s));
    const Run r = run({u"check"_s});
    QCOMPARE(r.code, 1);
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(u"プロト.csv:line 2: "_s));
    QVERIFY(lines.at(1).startsWith(u"プロト.csv:line 3: "_s));
}

void TestDataTool::checkWarnsOfLocalLockMount()
{
    QVERIFY(test::writeBytes(resultPath(), bytesOf({rec(today, 0.375, 12, 1, 45)})));
    const QString mountPoint = QFileInfo(m_install->dataRoot()).canonicalFilePath();
    const QString mountInfo =
        u"29 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        u"52 29 0:52 / %1 rw,relatime shared:150 - nfs 192.168.1.5:/export rw,vers=3,hard,"
        u"nolock,proto=tcp,local_lock=all,addr=192.168.1.5\n"_s.arg(mountPoint);
    const Run r = run({u"check"_s}, mountInfo);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(
        QString::fromUtf8(r.out),
        u"成績累積データ.dat:file: データフォルダーのマウント %1 (nfs, nolock) "
        u"では、ロックがこのコンピューターの"
        u"中だけで効きます。二台のコンピューターが同時に成績を書き込み、あるドリルの記録が別の記録で上書きさ"
        u"れる"
        u"ことがあります。nolock を付けずにマウントしてください (locks on the mount %1 (nfs, nolock) stay on "
        u"this computer: two computers can write the result file at the same moment and one drill's record "
        u"can "
        u"overwrite another's; mount it without nolock)\n"_s.arg(mountPoint));
    // Every line of check is a problem, and this one is a real risk.
    QCOMPARE(r.code, 1);
}

void TestDataTool::checkGoesOnPastEveryProblem()
{
    QVERIFY(test::writeBytes(resultPath(), bytesOf({rec(today, 0.375, 12, 1, 45)})));
    QVERIFY(QFile::remove(m_install->soundFolder() + u"新音ファイル.txt"_s));
    // A lost line: the password moved up into field 4, field 6 is empty.
    QVERIFY(test::writeCp932(m_install->dataRoot() + u"共通データ.txt"_s,
                             u"4\r\n12345ケモロ算数教室\r\n0\r\nSecret7\r\n\r\n\r\n"_s));
    QString criteria = u"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"_s;
    for (int level = 1; level <= 24; ++level)
        criteria += level == 2   ? u"30,0,100,5,1,20,300,7,1,,,\r\n"_s
                    : level == 3 ? u"３０,60,100,5,1,20,300,7,1,,,\r\n"_s
                                 : u"30,60,100,5,1,20,300,7,1,,,\r\n"_s;
    QVERIFY(test::writeCp932(m_install->dataFolder() + u"タイム回数データ.txt"_s, criteria));
    const QString roster = m_install->dataRoot() + u"新名簿.txt"_s;
    QByteArray bytes = test::readBytes(roster);
    qsizetype line5 = 0;
    for (int line = 1; line < 5; ++line)
        line5 = bytes.indexOf("\r\n", line5) + 2;
    bytes.insert(bytes.indexOf("\r\n", line5) - 4, '\xFF');
    QVERIFY(test::writeBytes(roster, bytes));

    const Run r = run({u"check"_s});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(
        QString::fromUtf8(r.out),
        u"タイム回数データ.txt:line 3: level 2 minTime (最低Time) is 0: every drill of the level times out "
        u"at once\n"
        u"タイム回数データ.txt:line 4: level 3 column 1 (目標Time) \"３０\" is written in full-width digits, "
        u"which "
        u"read as 0 (type half-width digits, or save the level again in the criteria editor)\n"
        u"タイム回数データ.txt:line 4: level 3 targetTime (目標Time) is 0: every drill of the level times "
        u"out at once\n"
        u"共通データ.txt:line 4: field 4 (name selection option) is not a number; read as 0\n"
        u"共通データ.txt:line 6: パスワードが設定されていません。先生の画面は開けません (field 6, the "
        u"teacher "
        u"password, is empty: the teacher screens stay closed)\n"
        u"新名簿.txt:line 5: Shift-JIS でない文字があります。「\uFFFD」として読みました (bytes 0xFF are not "
        u"Shift-JIS (CP932) text, read as U+FFFD)\n"
        u"新音ファイル.txt:file: missing\n"_s);
    QVERIFY(!r.out.contains("Secret7"));
}

void TestDataTool::showsTheScreensLists_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    // Pupil 8 (工藤 ゆうと, grade 3) drilled level 1 today in 25 s and three days ago in 200 s.
    // clang-format off
    QTest::newRow("ranking by time")
        << QStringList{u"show"_s, u"ranking"_s, u"--level=1"_s, u"--view=time"_s, u"--pupil=8"_s, u"--grade=小３"_s}
        << u" 1●工藤　ゆう    25 ●\n--③小林　あお------ 　\n--③佐藤　みお------ 　\n--③清水　かい------ 　\n--③鈴木　りこ------ 　\n"_s;
    QTest::newRow("ranking by today's points")
        << QStringList{u"show"_s, u"ranking"_s, u"--level=1"_s, u"--view=points"_s, u"--period=today"_s, u"--grade=小３"_s}
        << u" 1③工藤　ゆう  5/    6\n 2③小林　あお  0/    0\n 2③佐藤　みお  0/    0\n 2③清水　かい  0/    0\n 2③鈴木　りこ  0/    0\n"_s;
    QTest::newRow("today")
        << QStringList{u"show"_s, u"today"_s, u"--levels=2"_s}
        << u"#1\n  25秒 09:00③工藤　ゆう③5\n#2\n"_s;
    QTest::newRow("period by points")
        << QStringList{u"show"_s, u"period"_s, u"--view=points"_s, u"--period=1"_s, u"--pupil=8"_s}
        << u"#1\n    1 12/07●工藤　ゆう●200秒\n    5 12/10●工藤　ゆう●25秒\n"_s;
    QTest::newRow("personal of another grade")
        << QStringList{u"show"_s, u"personal"_s, u"--pupil=8"_s, u"--grade=小１"_s}
        << u"#1\n"_s;
    QTest::newRow("personal")
        << QStringList{u"show"_s, u"personal"_s, u"--pupil=8"_s}
        << u"#1\n2026/12/07 9:00:00 200秒\n2026/12/10 9:00:00  25秒\n"_s;
    // clang-format on
}

void TestDataTool::showsTheScreensLists()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QVERIFY(test::writeBytes(resultPath(),
                             bytesOf({rec(today - 3, 0.375, 8, 1, 200), rec(today, 0.375, 8, 1, 25)})));
    const Run r = run(args);
    QCOMPARE(QString::fromUtf8(r.err), QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(QString::fromUtf8(r.out), out);
}

QTEST_APPLESS_MAIN(TestDataTool)
#include "tst_datatool.moc"
