#include "results/resultrecord.h"
#include "testsupport/fixtures.h"
#include "tools/datatool.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime testNow(QDate(2026, 12, 10), QTime(10, 0));

QString fw(int n)
{
    return QString(n, QChar(0x3000));
}

QByteArray drill(int daysAgo, int pupil, int level, int time)
{
    return encodeRecord(drillRecord(QDateTime(testNow.date().addDays(-daysAgo), QTime(9, 0)), qint16(pupil),
                                    qint16(level), time, u"12345"_s));
}
} // namespace

// kemoro-data show report: the figures and bests of the report, line by line.
class TestReportData : public QObject
{
    Q_OBJECT
private slots:
    void showReport_data();
    void showReport();
};

void TestReportData::showReport_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    const QString row2 = u"タイム  "_s + fw(2) + u' ' + fw(1) + u"    本人 / 塾全体\n"_s;
    const QString row6 = u"ポイント  "_s + fw(3) + u'\n';
    const QString caption = fw(12) + u" (塾平均)\n"_s;
    // Pupil 8 drilled level 1 three days ago in 200 s and today in 25 s.
    // clang-format off
    QTest::newRow("levels beyond --levels left out")
        << QStringList{u"show"_s, u"report"_s, u"--pupil=8"_s} << 0
        << u"#1\n"_s + u"回数"_s + fw(7) + u"  2回\n"_s + row2
           + fw(2) + u"順位"_s + fw(4) + u"    1位\n"_s
           + fw(2) + u"最高"_s + fw(4) + u"   25秒 /   25秒\n"_s
           + fw(2) + u"平均"_s + fw(4) + u"  112秒 /  113秒\n"_s + row6
           + fw(2) + u"順位"_s + fw(4) + u"    1位\n"_s
           + fw(2) + u"獲得ポイント"_s + u"    6点\n"_s
           + fw(12) + u"/    6点\n"_s + caption
           + u"200秒 2026/12/07\n25秒 2026/12/10\n"_s;
    QTest::newRow("a grade box without the pupil: figures without bests")
        << QStringList{u"show"_s, u"report"_s, u"--pupil=8"_s, u"--level=2,1"_s, u"--levels=2"_s, u"--grade=小１"_s} << 0
        << u"#1\n"_s + u"回数"_s + fw(7) + u"  2回\n"_s + row2
           + fw(2) + u"順位"_s + fw(4) + u"     位\n"_s
           + fw(2) + u"最高"_s + fw(4) + u"       /   25秒\n"_s
           + fw(2) + u"平均"_s + fw(4) + u"  112秒 /  113秒\n"_s + row6
           + fw(2) + u"順位"_s + fw(4) + u"     位\n"_s
           + fw(2) + u"獲得ポイント"_s + u"     点\n"_s
           + u"\n"_s + caption
           + u"#2\n"_s + u"回数"_s + fw(7) + u"   回\n"_s + row2
           + fw(2) + u"順位"_s + fw(4) + u"     位\n"_s
           + fw(2) + u"最高"_s + fw(4) + u"       /99999秒\n"_s
           + u"\n"_s + row6
           + fw(2) + u"順位"_s + fw(4) + u"     位\n"_s
           + fw(2) + u"獲得ポイント"_s + u"     点\n"_s
           + u"\n"_s + caption;
    QTest::newRow("no pupil")       << QStringList{u"show"_s, u"report"_s} << 2 << QString();
    QTest::newRow("level 36")       << QStringList{u"show"_s, u"report"_s, u"--pupil=8"_s, u"--level=1,36"_s} << 2 << QString();
    QTest::newRow("period weekly")  << QStringList{u"show"_s, u"report"_s, u"--pupil=8"_s, u"--period=week"_s} << 2 << QString();
    // clang-format on
}

void TestReportData::showReport()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, out);
    // Pupil 8 in grade 3 and a first grader; target 30 s on every level.
    const test::Installation install(
        {.pupils = {{3, u"上田　ゆい"_s, 1}, {8, u"工藤　ゆうと"_s, 3}},
         .criteria = QList<QStringList>(
             24, {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s}),
         .today = testNow.date()});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    QVERIFY(test::writeBytes(install.dataFolder() + u"成績累積データ.dat"_s,
                             drill(3, 8, 1, 200) + drill(0, 8, 1, 25)));
    QByteArray outBytes, errBytes;
    QTextStream outStream(&outBytes), errStream(&errBytes);
    DataToolEnvironment env{install.programDir(), testNow, [](int) { return true; }};
    QCOMPARE(runDataTool(args, env, outStream, errStream), code);
    outStream.flush();
    QCOMPARE(QString::fromUtf8(outBytes), out);
}

QTEST_APPLESS_MAIN(TestReportData)
#include "tst_reportdata.moc"
