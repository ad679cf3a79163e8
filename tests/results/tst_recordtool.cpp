#include "results/journal.h"
#include "results/resultfile.h"
#include "tools/datatool.h"

#include "testsupport/fixtures.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime stamp(QDate(2026, 12, 10), QTime(9, 5, 3));
} // namespace

// kemoro-data's views of the teacher screens and what check says about rewrites.
class TestRecordTool : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void showRecords();
    void showDistribution();
    void checkReports_data();
    void checkReports();

private:
    struct Result
    {
        int code = 0;
        QString out, err;
    };
    Result run(const QStringList &args);
    QString resultFile() const { return m_install->dataFolder() + u"成績累積データ.dat"_s; }

    std::unique_ptr<test::TempInstallation> m_install;
};

void TestRecordTool::init()
{
    m_install = std::make_unique<test::TempInstallation>();
    QVERIFY(m_install->isValid());
    QByteArray bytes;
    bytes += encodeRecord(drillRecord(stamp, 1, 1, 45, u"12345"_s));
    bytes += encodeRecord(drillRecord(stamp, 2, 1, 99999, u"00000"_s));
    QVERIFY(test::writeBytes(resultFile(), bytes));
}

TestRecordTool::Result TestRecordTool::run(const QStringList &args)
{
    DataToolEnvironment env;
    env.programDir = m_install->programDir();
    env.now = QDateTime(QDate(2026, 12, 10), QTime(12, 0));
    env.wait = [](int) { return true; };
    Result r;
    QTextStream out(&r.out), err(&r.err);
    r.code = runDataTool(args, env, out, err);
    out.flush();
    err.flush();
    return r;
}

void TestRecordTool::showRecords()
{
    const Result r = run({u"show"_s, u"records"_s});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(u"   1 2026/12/10　  9:05:03ﾚﾍﾞﾙ1　   45秒 　   1 "_s));
    QVERIFY(lines.at(0).endsWith(u"++ケモロ算数教室"_s));
    QVERIFY(lines.at(1).endsWith(u"++他塾"_s));
}

void TestRecordTool::showDistribution()
{
    const Result r = run({u"show"_s, u"distribution"_s, u"--level"_s, u"1"_s});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 102 + 1 + 102);
    QCOMPARE(lines.at(0), u"レベル1 今まで2回  （★=1）"_s);
    QCOMPARE(lines.at(102), u"#best"_s);
    QCOMPARE(lines.at(103), u"レベル1 （★=1）"_s);
    QCOMPARE(run({u"show"_s, u"distribution"_s, u"--level"_s, u"0"_s}).code, 2);
}

void TestRecordTool::checkReports_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reported");
    // clang-format off
    QTest::newRow("another program's temp copy") << u"foreign"_s  << u"成績累積データtemp.dat:file: not this program's journal"_s;
    QTest::newRow("a journal without a mark")    << u"unmarked"_s << u"成績累積データtemp.dat:file: a journal left before anything was written"_s;
    QTest::newRow("a leftover filler, once")     << u"filler"_s   << u"成績累積データ.dat:record 3: filler left by an interrupted deletion"_s;
    QTest::newRow("an empty teacher password")   << u"password"_s << u"共通データ.txt:line 6: パスワードが設定されていません"_s;
    // clang-format on
}

void TestRecordTool::checkReports()
{
    QFETCH(QString, setup);
    QFETCH(QString, reported);
    const QString journalPath = ResultFile(resultFile()).journalPath();
    if (setup == u"foreign"_s)
        QVERIFY(test::writeBytes(journalPath, test::readBytes(resultFile())));
    else if (setup == u"unmarked"_s)
        QVERIFY(test::writeBytes(journalPath, journal::header()));
    else if (setup == u"filler"_s)
        QVERIFY(test::writeBytes(resultFile(), test::readBytes(resultFile()) + journal::filler()));
    else {
        const QString settings = m_install->dataRoot() + u"共通データ.txt"_s;
        QVERIFY(test::writeCp932(settings, u"4\r\n12345ケモロ算数教室\r\n0\r\n0\r\n\r\n\r\n"_s));
    }
    const Result r = run({u"check"_s});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains(reported), qPrintable(r.out));
    if (setup == u"filler"_s)
        QCOMPARE(r.out.count(u"record 3:"_s), 1);
}

QTEST_APPLESS_MAIN(TestRecordTool)
#include "tst_recordtool.moc"
