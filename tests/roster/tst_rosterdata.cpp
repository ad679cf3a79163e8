#include "results/resultrecord.h"
#include "testsupport/fixtures.h"
#include "tools/datatool.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

const QDateTime testNow(QDate(2026, 12, 10), QTime(9, 0));

struct Output
{
    int code = 0;
    QString out;
    QString err;
};

} // namespace

// kemoro-data over the roster: the name list exactly as the screen's List1
// holds it, and the roster problems of `check`.
class TestRosterData : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void nameList_data();
    void nameList();
    void kindOutsideTheRangeIsAUsageError_data();
    void kindOutsideTheRangeIsAUsageError();
    void checkReportsTheRoster();
    void checkReportsAMissingRoster();

private:
    Output run(const QStringList &args);
    std::unique_ptr<test::Installation> m_install;
};

void TestRosterData::init()
{
    // The five third graders, a first grader and a teacher; criteria of
    // every level: target 30 s.
    m_install = std::make_unique<test::Installation>(
        test::Classroom{.pupils = {{3, u"上田　ゆい"_s, 1},
                                   {8, u"工藤　ゆうと"_s, 3},
                                   {9, u"小林　あおい"_s, 3},
                                   {10, u"佐藤　みお"_s, 3},
                                   {11, u"清水　かいと"_s, 3},
                                   {12, u"鈴木　りこ"_s, 3},
                                   {30, u"山田先生"_s, 20}},
                        .criteria = QList<QStringList>(24, {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s,
                                                            u"20"_s, u"300"_s, u"7"_s, u"1"_s}),
                        .today = testNow.date()});
    QVERIFY2(m_install->isValid(), qPrintable(m_install->error()));
    // 佐藤　みお (pupil 10, grade 3): level 1 in 15 s today (11 points), 30 s yesterday (5 points).
    QVERIFY(test::writeBytes(m_install->dataFolder() + u"成績累積データ.dat"_s,
                             encodeRecord(drillRecord(testNow.addSecs(-600), 10, 1, 15, u"12345"_s)) +
                                 encodeRecord(drillRecord(testNow.addDays(-1), 10, 1, 30, u"12345"_s))));
}

Output TestRosterData::run(const QStringList &args)
{
    QByteArray out, err;
    QTextStream outStream(&out), errStream(&err);
    const DataToolEnvironment env{m_install->programDir(), testNow, [](int) { return true; }};
    Output result;
    result.code = runDataTool(args, env, outStream, errStream);
    outStream.flush();
    errStream.flush();
    result.out = QString::fromUtf8(out);
    result.err = QString::fromUtf8(err);
    return result;
}

void TestRosterData::nameList_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    // Descending Shift-JIS order within the year: 鈴 97E9, 清 90B4, 小 8FAC, 佐 8DB2, 工 8D48.
    const QString grade3Points = u"－－－－－－\n"
                                 u"小3 鈴木　りこ　  　/       \n"
                                 u"小3 清水　かいと  　/       \n"
                                 u"小3 小林　あおい  　/       \n"
                                 u"小3 佐藤　みお　  11/     16\n"
                                 u"小3 工藤　ゆうと  　/       \n"_s;
    // clang-format off
    QTest::newRow("kind 1 is the default")
        << QStringList{u"show"_s, u"namelist"_s, u"--grade=小３"_s} << grade3Points;
    QTest::newRow("kind 0: counts, untrimmed")
        << QStringList{u"show"_s, u"namelist"_s, u"--kind=0"_s, u"--grade=小３"_s}
        << u"－－－－－－\n小3 鈴木　りこ　     /     　\n小3 清水　かいと     /     　\n"
           u"小3 小林　あおい     /     　\n小3 佐藤　みお　  1回/    2回\n小3 工藤　ゆうと     /     　\n"_s;
    QTest::newRow("kind 3: so far")
        << QStringList{u"show"_s, u"namelist"_s, u"--kind=3"_s, u"--grade=小３"_s}
        << u"－－－－－－\n小3 鈴木　りこ　       /     　\n小3 清水　かいと       /     　\n"
           u"小3 小林　あおい       /     　\n小3 佐藤　みお　     16/    2回\n小3 工藤　ゆうと       /     　\n"_s;
    QTest::newRow("any grade text is taken, as the screen's box")
        << QStringList{u"show"_s, u"namelist"_s, u"--grade=高校"_s} << u"－－－－－－\n"_s;
    // clang-format on
}

void TestRosterData::nameList()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    const Output r = run(args);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, out);
}

void TestRosterData::kindOutsideTheRangeIsAUsageError_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("4") << u"4"_s;
    QTest::newRow("negative") << u"-1"_s;
    QTest::newRow("text") << u"x"_s;
}

void TestRosterData::kindOutsideTheRangeIsAUsageError()
{
    QFETCH(QString, kind);
    const Output r = run({u"show"_s, u"namelist"_s, u"--kind="_s + kind});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY(!r.err.isEmpty());
}

void TestRosterData::checkReportsTheRoster()
{
    QVERIFY(test::writeCp932(m_install->dataRoot() + u"新名簿.txt"_s, u"1,2016,0,0,青木,0,,\r\n"
                                                                      u"0,2016,0,0,誰か,0,,\r\n"
                                                                      u"5001,2016,0,0,石井,0,,\r\n"
                                                                      u"1,16,0,0,上田,0,,\r\n"
                                                                      u"2,2016,0,0,加藤,0,,,x\r\n"_s));
    const Output r = run({u"check"_s});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, u"新名簿.txt:line 2: pupil number 0 is listed, but drills of pupil 0 are never counted\n"
                    u"新名簿.txt:line 3: pupil number 5001 is outside 1..5000; line skipped\n"
                    u"新名簿.txt:line 4: birth year \"16\" is not four digits; counts as 16\n"
                    u"新名簿.txt:line 4: pupil number 1 is used twice; this line's name \"上田\" wins\n"
                    u"新名簿.txt:line 5: 9 fields on this line: a pupil needs 8, the following pupils shift\n"
                    u"新名簿.txt:line 5: the last pupil has only 1 of 8 fields; skipped\n"_s);
}

void TestRosterData::checkReportsAMissingRoster()
{
    QVERIFY(QFile::remove(m_install->dataRoot() + u"新名簿.txt"_s));
    const Output r = run({u"check"_s});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.startsWith(u"新名簿.txt:file: "_s));
}

QTEST_APPLESS_MAIN(TestRosterData)
#include "tst_rosterdata.moc"
