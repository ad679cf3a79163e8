#include "results/journal.h"
#include "results/resultstore.h"
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

    std::unique_ptr<test::Installation> m_install;
};

void TestRecordTool::init()
{
    // Pupils 1 to 3 of a school whose name ends the lines of its records.
    m_install = std::make_unique<test::Installation>(test::Classroom{
        .pupils = {{1, u"青木　さくら"_s, 1}, {2, u"石井　はると"_s, 1}, {3, u"上田　ゆい"_s, 1}},
        .school = u"12345ケモロ算数教室"_s});
    QVERIFY2(m_install->isValid(), qPrintable(m_install->error()));
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
    QTest::newRow("a journal without a mark")    << u"unmarked"_s << u"成績累積データtemp.dat:file: a journal cut off before the result file was touched"_s;
    QTest::newRow("a leftover filler, once")     << u"filler"_s   << u"成績累積データ.dat:record 3: filler left by an interrupted deletion"_s;
    QTest::newRow("an empty teacher password")   << u"password"_s << u"共通データ.txt:line 6: パスワードが設定されていません"_s;
    QTest::newRow("a pending deletion")          << u"pending"_s  << u"成績累積データtemp.dat:file: an interrupted correction or deletion is pending; the records above are as it will leave them. Start the program"_s;
    QTest::newRow("a journal for another file")  << u"stale"_s    << u"成績累積データtemp.dat:file: written for another result file than the one there now (restored from a backup?); it is not applied: the next computer that takes the lock keeps it aside as 成績累積データtemp-別ファイル用1.dat"_s;
    QTest::newRow("a torn journal header")       << u"torn"_s     << u"成績累積データtemp.dat:file: a journal cut off before the result file was touched"_s;
    QTest::newRow("a folder as the journal")     << u"jdir"_s     << u"成績累積データtemp.dat:file: a folder stands in the file's place; corrections and deletions fail"_s;
    QTest::newRow("a folder as the result file") << u"rdir"_s     << u"成績累積データ.dat:file: 読み込めません (cannot be read): a folder stands in the file's place"_s;
    // clang-format on
}

void TestRecordTool::checkReports()
{
    QFETCH(QString, setup);
    QFETCH(QString, reported);
    const QString journalPath = ResultStore(resultFile()).journalPath();
    if (setup == u"foreign"_s)
        QVERIFY(test::writeBytes(journalPath, test::readBytes(resultFile())));
    else if (setup == u"unmarked"_s)
        QVERIFY(test::writeBytes(journalPath, QByteArray::fromStdString(journal::header())));
    else if (setup == u"filler"_s)
        QVERIFY(test::writeBytes(resultFile(), test::readBytes(resultFile()) +
                                                   QByteArray::fromStdString(journal::filler())));
    else if (setup == u"pending"_s || setup == u"stale"_s) {
        QVERIFY(test::writeBytes(journalPath, test::interruptedDeletion(test::readBytes(resultFile()))));
        if (setup == u"stale"_s)
            QVERIFY(test::writeBytes(resultFile(), encodeRecord(drillRecord(stamp, 3, 1, 60, u"12345"_s))));
    } else if (setup == u"torn"_s)
        QVERIFY(test::writeBytes(journalPath, QByteArray::fromStdString(journal::header()).left(30)));
    else if (setup == u"jdir"_s || setup == u"rdir"_s) {
        const QString target = setup == u"jdir"_s ? journalPath : resultFile();
        QFile::remove(target);
        QVERIFY(QDir().mkpath(target));
    } else {
        const QString settings = m_install->dataRoot() + u"共通データ.txt"_s;
        QVERIFY(test::writeCp932(settings, u"4\r\n12345ケモロ算数教室\r\n0\r\n0\r\n\r\n\r\n"_s));
    }
    const Result r = run({u"check"_s});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains(reported), qPrintable(r.out));
    if (setup == u"filler"_s) QCOMPARE(r.out.count(u"record 3:"_s), 1);
    // The records as the recovery will leave them: record 1 deleted.
    if (setup == u"pending"_s) {
        const Result shown = run({u"show"_s, u"records"_s});
        QCOMPARE(shown.out.split(u'\n', Qt::SkipEmptyParts).size(), 1);
        QVERIFY(shown.out.endsWith(u"++他塾\n"_s));
        QVERIFY(QFile::exists(journalPath)); // kemoro-data never recovers
    }
}

QTEST_APPLESS_MAIN(TestRecordTool)
#include "tst_recordtool.moc"
