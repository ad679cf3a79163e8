#include "criteria/steptemplate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What writing 5000 zero records in place into `old` leaves.
QByteArray inPlace(QByteArray old)
{
    if (old.size() < 40000) old.resize(40000);
    std::fill(old.begin(), old.begin() + 40000, '\0');
    return old;
}
} // namespace

class TestStepTemplate : public QObject
{
    Q_OBJECT
private slots:
    void writesLikeTheInPlaceWrite_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("old");
        // clang-format off
        QTest::newRow("missing file: 40000 zero bytes")            << false << QByteArray();
        QTest::newRow("empty file grows to 40000")                  << true  << QByteArray();
        QTest::newRow("shorter file with data is zeroed and grown") << true  << QByteArray(1234, '\x7f');
        QTest::newRow("exactly 5000 records of data are zeroed")    << true  << QByteArray(40000, '\x01');
        QTest::newRow("records past 5000 are kept")                 << true  << QByteArray(40000, '\x01') + QByteArray("\x05\x00\x02\x00\x09\x00\x01\x00tail", 12);
        // clang-format on
    }
    void writesLikeTheInPlaceWrite()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, old);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"ステップ原.dat"_s);
        const QString live = dir.filePath(u"ステップ.dat"_s);
        const QByteArray progress("\x03\x00\x01\x00\x02\x00\x01\x00", 8);
        QVERIFY(writeAll(live, progress));
        if (exists) QVERIFY(writeAll(path, old));

        QVERIFY(!writeBlankStepTemplate(path));

        const QByteArray now = readAll(path);
        QCOMPARE(now.size(), std::max<qsizetype>(40000, old.size()));
        QCOMPARE(now, inPlace(old));
        QCOMPARE(readAll(live), progress);
        // No temporary file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }

    void failedWriteKeepsTheFileAndNamesIt()
    {
        // The template's folder is a file: nothing can be written beside it.
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath(u"data"_s);
        QVERIFY(writeAll(notAFolder, "x"));
        const std::optional<Diagnostic> failure = writeBlankStepTemplate(notAFolder + u"/ステップ原.dat"_s);
        QVERIFY(failure);
        QVERIFY(failure->toMessage().contains(u"ステップ原.dat"_s));
        QCOMPARE(readAll(notAFolder), QByteArray("x"));
    }
};

QTEST_APPLESS_MAIN(TestStepTemplate)
#include "tst_steptemplate.moc"
