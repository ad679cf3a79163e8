#include "results/resultstore.h"

#include "testsupport/fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime stamp(QDate(2026, 12, 10), QTime(9, 30, 15));

// The storm encodes (process, sequence) into pupil, level and time.
ResultRecord stormRecord(int process, int seq)
{
    return drillRecord(stamp, qint16(process * 1000 + seq), qint16(process + 1), process * 100000 + seq,
                       u"12345"_s);
}

QByteArray records(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += encodeRecord(drillRecord(stamp, qint16(i + 1), 1, 30 + i, u"12345"_s));
    return bytes;
}

// Child mode: append `count` storm records as process `process`.
int appendChild(const QString &path, int process, int count)
{
    ResultStore file(path);
    for (int seq = 0; seq < count; ++seq) {
        if (auto error = file.append(stormRecord(process, seq), [](int) {
                QThread::msleep(5);
                return true;
            })) {
            std::fprintf(stderr, "append failed: %s\n", qPrintable(error->description));
            return 1;
        }
    }
    return 0;
}

// Child mode: hold an exclusive lock on the whole file like another computer.
int holdLock(const QString &path, int ms)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0666);
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (fd < 0 || ::fcntl(fd, F_SETLK, &fl) != 0) return 1;
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    QThread::msleep(ulong(ms));
    fl.l_type = F_UNLCK;
    ::fcntl(fd, F_SETLK, &fl);
    ::close(fd);
    return 0;
}
} // namespace

class TestResultStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void appendCreatesMissingFile();
    void appendOverwritesTornTail_data();
    void appendOverwritesTornTail();
    void appendToUnreachableFolderFails();
    void readWindow_data();
    void readWindow();
    void readNeverCreates();
    void appendStorm();
    void appendWaitsForLock();
    void readWaitsForWriter();
    void wrongTypeInPlace_data();
    void wrongTypeInPlace();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestResultStore::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(u"成績累積データ.dat"_s);
    QFile::remove(m_path);
}

void TestResultStore::appendCreatesMissingFile()
{
    ResultStore file(m_path);
    const ResultRecord rec = drillRecord(stamp, 7, 3, 99999, u"12345"_s);
    QVERIFY(!file.append(rec, {}));
    QCOMPARE(test::readBytes(m_path), encodeRecord(rec));
}

void TestResultStore::appendOverwritesTornTail_data()
{
    QTest::addColumn<int>("whole");
    QTest::addColumn<int>("tail");
    // clang-format off
    QTest::newRow("no tail")                  << 2 << 0;
    QTest::newRow("one stray byte")           << 2 << 1;
    QTest::newRow("one byte short of a record") << 2 << 43;
    QTest::newRow("only a torn record")       << 0 << 20;
    // clang-format on
}

void TestResultStore::appendOverwritesTornTail()
{
    QFETCH(int, whole);
    QFETCH(int, tail);
    const QByteArray before = records(whole);
    QVERIFY(test::writeBytes(m_path, before + QByteArray(tail, '\x7f')));
    const ResultRecord rec = drillRecord(stamp, 99, 2, 41, u"12345"_s);
    QVERIFY(!ResultStore(m_path).append(rec, {}));
    QCOMPARE(test::readBytes(m_path), before + encodeRecord(rec));
}

void TestResultStore::appendToUnreachableFolderFails()
{
    const QString path = m_dir.filePath(u"not-mounted/成績累積データ.dat"_s);
    const std::optional<ResultFileError> error =
        ResultStore(path).append(drillRecord(stamp, 1, 1, 30, {}), {});
    QVERIFY(error);
    QCOMPARE(error->path, path);
    QVERIFY(error->appendMessage().startsWith(u"成績ランダムファイル記録"_s));
    QVERIFY(error->appendMessage().size() > 12); // the system's description follows
}

void TestResultStore::readWindow_data()
{
    QTest::addColumn<int>("whole");
    QTest::addColumn<int>("tail");
    QTest::addColumn<int>("maxRecords");
    QTest::addColumn<int>("first");
    // clang-format off
    QTest::newRow("empty file")                    << 0 << 0  << 3  << 0;
    QTest::newRow("fewer than the window")         << 2 << 0  << 3  << 0;
    QTest::newRow("window keeps the newest")       << 5 << 0  << 3  << 2;
    QTest::newRow("torn tail is not read")         << 5 << 17 << 3  << 2;
    QTest::newRow("no limit reads everything")     << 5 << 43 << -1 << 0;
    // clang-format on
}

void TestResultStore::readWindow()
{
    QFETCH(int, whole);
    QFETCH(int, tail);
    QFETCH(int, maxRecords);
    QFETCH(int, first);
    const QByteArray all = records(whole);
    QVERIFY(test::writeBytes(m_path, all + QByteArray(tail, 'x')));
    ResultWindow window;
    QVERIFY(!ResultStore(m_path).read(maxRecords, {}, window));
    QVERIFY(!window.missing);
    QCOMPARE(window.totalRecords, whole);
    QCOMPARE(window.tailBytes, tail);
    QCOMPARE(window.firstRecord, first);
    QCOMPARE(window.bytes, all.mid(first * record::size));
}

void TestResultStore::readNeverCreates()
{
    ResultWindow window;
    QVERIFY(!ResultStore(m_path).read(20000, {}, window));
    QVERIFY(window.missing);
    QCOMPARE(window.count(), 0);
    QVERIFY(!QFile::exists(m_path));
}

void TestResultStore::appendStorm()
{
    constexpr int processes = 4, perProcess = 500;
    QList<QProcess *> children;
    for (int p = 0; p < processes; ++p) {
        auto *child = new QProcess(this);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationFilePath(),
                     {u"--append-child"_s, m_path, QString::number(p), QString::number(perProcess)});
        children.append(child);
    }
    for (QProcess *child : children) {
        QVERIFY(child->waitForFinished(120000));
        QCOMPARE(child->exitStatus(), QProcess::NormalExit);
        QCOMPARE(child->exitCode(), 0);
    }
    const QByteArray bytes = test::readBytes(m_path);
    QCOMPARE(bytes.size() % record::size, 0);
    QCOMPARE(bytes.size() / record::size, processes * perProcess);
    QSet<QPair<int, int>> seen;
    for (qsizetype i = 0; i < bytes.size(); i += record::size) {
        const ResultRecord rec = decodeRecord(bytes.constData() + i);
        const int process = rec.level - 1;
        const int seq = rec.resultTime - process * 100000;
        QVERIFY(process >= 0 && process < processes);
        QVERIFY(seq >= 0 && seq < perProcess);
        QCOMPARE(rec, stormRecord(process, seq)); // every field, not only the key
        QVERIFY2(!seen.contains({process, seq}), "a record was written twice");
        seen.insert({process, seq});
    }
    QCOMPARE(seen.size(), processes * perProcess);
}

void TestResultStore::appendWaitsForLock()
{
    QVERIFY(test::writeBytes(m_path, records(1)));
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {u"--hold-lock"_s, m_path, u"1500"_s});
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine(), QByteArray("locked\n"));

    int waits = 0;
    const ResultRecord rec = drillRecord(stamp, 5, 5, 55, u"12345"_s);
    const std::optional<ResultFileError> error = ResultStore(m_path).append(rec, [&](int seconds) {
        ++waits;
        QThread::msleep(ulong(seconds) * 100);
        return true;
    });
    QVERIFY(!error);
    QVERIFY(waits > 0);
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(test::readBytes(m_path), records(1) + encodeRecord(rec));

    // A wait that gives up reports the file as busy and writes nothing.
    holder.start(QCoreApplication::applicationFilePath(), {u"--hold-lock"_s, m_path, u"1500"_s});
    QVERIFY(holder.waitForReadyRead(30000));
    const std::optional<ResultFileError> busy = ResultStore(m_path).append(rec, [](int) { return false; });
    QVERIFY(busy);
    QCOMPARE(busy->kind, ResultFileError::Kind::Busy);
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(test::readBytes(m_path).size(), 2 * record::size);
}

void TestResultStore::readWaitsForWriter()
{
    // A read shares the file with other readers, never with a writer.
    QVERIFY(test::writeBytes(m_path, records(3)));
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {u"--hold-lock"_s, m_path, u"1000"_s});
    QVERIFY(holder.waitForReadyRead(30000));
    for (const ResultStore::Access access : {ResultStore::Access::Program, ResultStore::Access::ReadOnly}) {
        ResultWindow window;
        const std::optional<ResultFileError> busy = ResultStore(m_path, access)
                                                        .read(
                                                            -1, [](int) { return false; }, window);
        QVERIFY(busy);
        QCOMPARE(busy->kind, ResultFileError::Kind::Busy);
    }
    int waits = 0;
    ResultWindow window;
    QVERIFY(!ResultStore(m_path).read(
        -1,
        [&](int) {
            ++waits;
            QThread::msleep(100);
            return true;
        },
        window));
    QVERIFY(waits > 0);
    QCOMPARE(window.bytes, records(3));
    QVERIFY(holder.waitForFinished(30000));
}

void TestResultStore::wrongTypeInPlace_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("what");
    // clang-format off
    QTest::newRow("a folder as the result file")     << u"results"_s << u"folder"_s;
    QTest::newRow("a named pipe as the result file") << u"results"_s << u"fifo"_s;
    QTest::newRow("a folder as the journal")         << u"journal"_s << u"folder"_s;
    QTest::newRow("a named pipe as the journal")     << u"journal"_s << u"fifo"_s;
    // clang-format on
}

void TestResultStore::wrongTypeInPlace()
{
    // Never a crash, never a hang: one error that names the file.
    QFETCH(QString, where);
    QFETCH(QString, what);
    ResultStore store(m_path);
    const QString journalPath = store.journalPath();
    const QString target = where == u"results"_s ? m_path : journalPath;
    QFile::remove(journalPath);
    if (where == u"journal"_s) QVERIFY(test::writeBytes(m_path, records(2)));
    if (what == u"folder"_s)
        QVERIFY(QDir().mkpath(target));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0666), 0);
    Diagnostics notices;
    store.setNoticeHandler([&](const Diagnostic &d) { notices.append(d); });
    const ResultRecord rec = drillRecord(stamp, 9, 1, 50, u"12345"_s);
    ResultWindow window;
    RecordEdit edit;
    edit.record = 0;
    edit.expected = records(1).toStdString();
    RewriteOutcome outcome;

    if (where == u"results"_s) {
        for (const ResultStore::Access access :
             {ResultStore::Access::Program, ResultStore::Access::ReadOnly}) {
            const std::optional<ResultFileError> read = ResultStore(m_path, access).read(-1, {}, window);
            QVERIFY(read);
            QCOMPARE(read->kind, ResultFileError::Kind::WrongType);
            QCOMPARE(read->path, m_path);
        }
        const std::optional<ResultFileError> appended = store.append(rec, {});
        QVERIFY(appended);
        QCOMPARE(appended->kind, ResultFileError::Kind::WrongType);
    } else {
        // The pupils' reads and appends go on; corrections are refused, by name.
        QVERIFY(!store.read(-1, {}, window));
        QCOMPARE(window.bytes, records(2));
        ResultStore inspector(m_path, ResultStore::Access::ReadOnly);
        QVERIFY(!inspector.read(-1, {}, window));
        QCOMPARE(inspector.journalFinding().kind, JournalFinding::Kind::NotAFile);
        QVERIFY(!store.append(rec, {}));
        QCOMPARE(test::readBytes(m_path), records(2) + encodeRecord(rec));
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.first().filePath, journalPath);
        const std::optional<ResultFileError> refused = store.rewrite(edit, {}, outcome);
        QVERIFY(refused);
        QCOMPARE(refused->kind, ResultFileError::Kind::WrongType);
        QCOMPARE(refused->path, journalPath);
        QCOMPARE(test::readBytes(m_path), records(2) + encodeRecord(rec));
    }
    QFileInfo(target).isDir() ? QDir(target).removeRecursively() : QFile::remove(target);
}

int main(int argc, char *argv[])
{
    if (argc == 5 && std::strcmp(argv[1], "--append-child") == 0)
        return appendChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "--hold-lock") == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    QCoreApplication app(argc, argv);
    TestResultStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resultstore.moc"
