#include "results/journal.h"
#include "results/resultstore.h"

#include "results/rewrite.h"
#include "tools/datatool.h"
#include <QDir>

#include "testsupport/fixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime stamp(QDate(2026, 12, 10), QTime(9, 30, 15));
constexpr int initialRecords = 10;
constexpr int appendersPerRound = 3;
constexpr int appendsPerProcess = 50;

ResultRecord initialRecord(int i)
{
    return drillRecord(stamp, qint16(i + 1), 1, 30 + i, u"12345"_s);
}
// Records of "other computers" encode (process, sequence) in pupil and time.
ResultRecord appendedRecord(int process, int seq)
{
    return drillRecord(stamp, qint16(process * 1000 + seq), 2, process * 1000 + seq, u"12345"_s);
}
ResultRecord correctedRecord(int i)
{
    ResultRecord rec = initialRecord(i);
    rec.resultTime = 7777;
    return rec;
}

QByteArray initialBytes(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += encodeRecord(initialRecord(i));
    return bytes;
}

bool quickWait(int)
{
    return true;
}

QString journalOf(const QString &path)
{
    return ResultStore(path).journalPath();
}
Bytes bytesOf(const QByteArray &bytes)
{
    return bytes.toStdString();
}
QByteArray qbytes(const Bytes &bytes)
{
    return QByteArray::fromStdString(bytes);
}
const WaitFunction shortWait = [](int) {
    QThread::msleep(2);
    return true;
};

// Drops what was written since the last flush of each file when the process
// "loses power": writes and cuts are undone in reverse order.
class PowerLossIo final : public RecordIo
{
public:
    explicit PowerLossIo(RecordIo &inner) : m_inner(inner) {}

    bool size(File f, std::int64_t &s) override { return m_inner.size(f, s); }
    bool read(File f, std::int64_t o, std::int64_t n, Bytes &out) override
    {
        return m_inner.read(f, o, n, out);
    }
    bool write(File f, std::int64_t o, const Bytes &data) override
    {
        Undo u{f, o, {}, 0};
        m_inner.size(f, u.sizeBefore);
        m_inner.read(f, o, std::int64_t(data.size()), u.bytes);
        m_log.append(u);
        return m_inner.write(f, o, data);
    }
    bool resize(File f, std::int64_t s) override
    {
        Undo u{f, s, {}, 0};
        m_inner.size(f, u.sizeBefore);
        if (u.sizeBefore > s) m_inner.read(f, s, u.sizeBefore - s, u.bytes);
        m_log.append(u);
        return m_inner.resize(f, s);
    }
    bool flush(File f) override
    {
        m_log.removeIf([f](const Undo &u) { return u.file == f; });
        return m_inner.flush(f);
    }
    bool journalExists(bool &e) override { return m_inner.journalExists(e); }
    bool createJournal() override
    {
        forget(File::Journal);
        return m_inner.createJournal();
    }
    bool removeJournal() override
    {
        forget(File::Journal);
        return m_inner.removeJournal();
    }
    bool setJournalAside(std::string &newPath) override
    {
        forget(File::Journal);
        return m_inner.setJournalAside(newPath);
    }
    int error() const override { return m_inner.error(); }

    void loseUnflushed()
    {
        for (qsizetype i = m_log.size() - 1; i >= 0; --i) {
            const Undo &u = m_log.at(i);
            m_inner.write(u.file, u.offset, u.bytes);
            m_inner.resize(u.file, u.sizeBefore);
        }
        m_inner.flush(File::Results);
    }

private:
    struct Undo
    {
        File file;
        std::int64_t offset;
        Bytes bytes;
        std::int64_t sizeBefore;
    };
    void forget(File f)
    {
        m_log.removeIf([f](const Undo &u) { return u.file == f; });
    }

    RecordIo &m_inner;
    QList<Undo> m_log;
};

PowerLossIo *g_powerLoss = nullptr;

// Child: exits with 3 at `step`, after dropping the unflushed writes when asked.
void crashAt(const QString &step, bool powerLoss)
{
    rewrite::setIoWrapper([](RecordIo &inner) {
        auto io = std::make_unique<PowerLossIo>(inner);
        g_powerLoss = io.get();
        return io;
    });
    rewrite::setStepHook([step = step.toStdString(), powerLoss](const std::string &reached) {
        if (reached != step) return;
        if (powerLoss && g_powerLoss) g_powerLoss->loseUnflushed();
        ::_exit(3);
    });
}

int editChild(const QString &path, const QString &kind, int k, const QString &step, bool powerLoss)
{
    crashAt(step, powerLoss);
    RecordEdit edit;
    edit.kind = kind == u"delete"_s ? RecordEdit::Kind::Delete : RecordEdit::Kind::Replace;
    edit.record = k;
    edit.expected = bytesOf(encodeRecord(initialRecord(k)));
    edit.replacement = bytesOf(encodeRecord(correctedRecord(k)));
    RewriteOutcome outcome;
    if (auto error = ResultStore(path).rewrite(edit, shortWait, outcome)) return 1;
    return outcome == RewriteOutcome::Done ? 0 : 2;
}

int recoverChild(const QString &path, const QString &step, bool powerLoss)
{
    crashAt(step, powerLoss);
    rewrite::Recovery recovery;
    return ResultStore(path).recover(shortWait, recovery) ? 1 : 0;
}

// Another computer's program, which knows nothing of journals: the append
// recipe alone.
int plainAppendChild(const QString &path, int process, int count)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0666);
    if (fd < 0) return 1;
    for (int seq = 0; seq < count; ++seq) {
        struct flock fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        while (::fcntl(fd, F_SETLK, &fl) != 0)
            QThread::msleep(1);
        const off_t end = ::lseek(fd, 0, SEEK_END);
        const QByteArray rec = encodeRecord(appendedRecord(process, seq));
        if (::pwrite(fd, rec.constData(), size_t(rec.size()), end - end % record::size) != rec.size())
            return 1;
        ::fsync(fd);
        fl.l_type = F_UNLCK;
        ::fcntl(fd, F_SETLK, &fl);
    }
    ::close(fd);
    return 0;
}

int appendChild(const QString &path, int process, int count)
{
    ResultStore file(path);
    for (int seq = 0; seq < count; ++seq)
        if (file.append(appendedRecord(process, seq), shortWait)) return 1;
    return 0;
}

// The storm of editsWhileOthersAppend: originals are pupils 30000.., the
// even ones 0, 2 .. 8 deleted in turn, then 10 .. 18 corrected in turn.
constexpr int stormOriginals = 20;
ResultRecord stormOriginal(int i)
{
    return drillRecord(stamp, qint16(30000 + i), 1, 500 + i, u"12345"_s);
}

// Why `bytes` is no state the storm's files went through, or nothing.
QString stormSnapshotProblem(const QByteArray &bytes)
{
    QMap<int, int> nextSeq;
    QList<int> originals;
    QMap<int, qint32> times;
    for (qsizetype at = 0; at + record::size <= bytes.size(); at += record::size) {
        const char *data = bytes.constData() + at;
        if (journal::isFiller(data)) return u"a filler at record %1"_s.arg(at / record::size + 1);
        const ResultRecord rec = decodeRecord(data);
        if (rec.pupil >= 30000) {
            originals.append(rec.pupil - 30000);
            times[rec.pupil - 30000] = rec.resultTime;
            continue;
        }
        const int process = rec.pupil / 1000, seq = rec.pupil % 1000;
        if (rec != appendedRecord(process, seq) || nextSeq.value(process) != seq)
            return u"record %1 is a copy or out of its order"_s.arg(at / record::size + 1);
        nextSeq[process] = seq + 1;
    }
    int deleted = 0;
    while (deleted < 5 && !times.contains(2 * deleted))
        ++deleted;
    QList<int> expected;
    for (int i = 0; i < stormOriginals; ++i)
        if (i % 2 == 1 || i >= 2 * deleted) expected.append(i);
    if (originals != expected) return u"the originals are no state between two edits"_s;
    int corrected = 0;
    while (corrected < 5 && times.value(2 * (5 + corrected)) == 9000 + 5 + corrected)
        ++corrected;
    for (int i = 0; i < stormOriginals; ++i)
        if (times.contains(i) && times.value(i) != 500 + i &&
            !(i >= 10 && i % 2 == 0 && (i / 2 - 5) < corrected))
            return u"original %1 has time %2"_s.arg(i).arg(times.value(i));
    if (corrected > 0 && deleted < 5) return u"a correction before the deletions"_s;
    return QString();
}

// Child: reads through a store of the program or of kemoro-data until
// `stopFile` exists; every snapshot must be a state that existed.
int readChild(const QString &path, bool readOnly, const QString &stopFile)
{
    ResultStore store(path, readOnly ? ResultStore::Access::ReadOnly : ResultStore::Access::Program);
    int reads = 0;
    while (reads == 0 || !QFile::exists(stopFile)) {
        ResultWindow window;
        if (auto error = store.read(-1, shortWait, window)) {
            std::fprintf(stderr, "read failed: %s\n", qPrintable(error->toLine()));
            return 1;
        }
        ++reads;
        const QString problem = stormSnapshotProblem(window.bytes);
        if (!problem.isEmpty() || store.journalFinding().kind != JournalFinding::Kind::None) {
            std::fprintf(stderr, "read %d: %s (journal finding %d)\n", reads, qPrintable(problem),
                         int(store.journalFinding().kind));
            return 1;
        }
    }
    return 0;
}

// Child: `kemoro-data check` over and over until `stopFile` exists; on a
// healthy folder it never speaks of a journal, a filler or an unreadable file
// (the storm's originals lie outside the pupil range, which it does report).
int checkChild(const QString &programDir, const QString &stopFile)
{
    DataToolEnvironment env;
    env.programDir = programDir;
    env.now = stamp;
    // kemoro-data gives up after ten waits; each is a fifth of a second here.
    env.wait = [](int) {
        QThread::msleep(200);
        return true;
    };
    env.mountInfo = [] { return QString(); };
    // Four appenders that never pause can keep the file locked for all of a
    // check's waits; such a check says so and is tried again.
    int runs = 0, whole = 0;
    while (whole == 0 || !QFile::exists(stopFile)) {
        QString out, err;
        QTextStream o(&out), e(&err);
        runDataTool({u"check"_s}, env, o, e);
        o.flush();
        e.flush();
        ++runs;
        bool busy = false;
        for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith(u"成績累積データ"_s) || line.contains(u"is outside 1..5000"_s)) continue;
            if (line.endsWith(u"locked by another computer for 10 s"_s)) {
                busy = true;
                continue;
            }
            std::fprintf(stderr, "check %d: %s\n", runs, qPrintable(line));
            return 1;
        }
        if (!err.isEmpty()) {
            std::fprintf(stderr, "check %d: %s\n", runs, qPrintable(err));
            return 1;
        }
        whole += busy ? 0 : 1;
    }
    return 0;
}

QList<ResultRecord> recordsOf(const QByteArray &bytes)
{
    QList<ResultRecord> list;
    for (qsizetype i = 0; i + record::size <= bytes.size(); i += record::size)
        list.append(decodeRecord(bytes.constData() + i));
    return list;
}
} // namespace

class TestRewrite : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void crashTable_data();
    void crashTable();
    void refusals_data();
    void refusals();
    void plainEdits_data();
    void plainEdits();
    void editsWhileOthersAppend();
    void journalForAnotherFile_data();
    void journalForAnotherFile();
    void tornHeaderIsOurs_data();
    void tornHeaderIsOurs();

private:
    int runChild(const QStringList &args);
    void appendRound(int firstProcess);
    // Empty when `bytes` holds the old or the new records, then at most one
    // filler, then each appended record once; otherwise what is wrong.
    QString verify(const QByteArray &bytes, const QString &kind, int k, int rounds, bool ownAppend);

    QTemporaryDir m_dir;
    QString m_path;
};

void TestRewrite::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(u"成績累積データ.dat"_s);
    for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
        QFile::remove(m_dir.filePath(name));
}

void TestRewrite::cleanup()
{
    rewrite::setStepHook({});
    rewrite::setIoWrapper({});
}

int TestRewrite::runChild(const QStringList &args)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit) return -1;
    return child.exitCode();
}

void TestRewrite::appendRound(int firstProcess)
{
    QList<QProcess *> children;
    for (int p = firstProcess; p < firstProcess + appendersPerRound; ++p) {
        auto *child = new QProcess(this);
        child->setProcessChannelMode(QProcess::ForwardedChannels);
        child->start(QCoreApplication::applicationFilePath(),
                     {u"--plain-append"_s, m_path, QString::number(p), QString::number(appendsPerProcess)});
        children.append(child);
    }
    for (QProcess *child : children) {
        QVERIFY(child->waitForFinished(120000));
        QCOMPARE(child->exitCode(), 0);
        delete child;
    }
}

QString TestRewrite::verify(const QByteArray &bytes, const QString &kind, int k, int rounds, bool ownAppend)
{
    if (bytes.size() % record::size != 0) return u"size %1 is no multiple of 44"_s.arg(bytes.size());
    QList<ResultRecord> oldList, newList;
    for (int i = 0; i < initialRecords; ++i) {
        oldList.append(initialRecord(i));
        if (kind == u"replace"_s)
            newList.append(i == k ? correctedRecord(i) : initialRecord(i));
        else if (i != k)
            newList.append(initialRecord(i));
    }
    QSet<QPair<int, int>> expected;
    for (int p = 1; p <= rounds * appendersPerRound; ++p)
        for (int seq = 0; seq < appendsPerProcess; ++seq)
            expected.insert({p, seq});

    const QList<ResultRecord> all = recordsOf(bytes);
    QString why;
    for (const QList<ResultRecord> &prefix : {newList, oldList}) {
        if (all.mid(0, prefix.size()) != prefix) {
            why = u"the first records are neither the old nor the new ones"_s;
            continue;
        }
        QSet<QPair<int, int>> seen;
        int fillers = 0, own = 0;
        bool ok = true;
        for (qsizetype i = prefix.size(); i < all.size() && ok; ++i) {
            const char *data = bytes.constData() + i * record::size;
            if (journal::isFiller(data)) {
                ok = ++fillers <= 1;
                why = u"more than one filler"_s;
                continue;
            }
            const ResultRecord &rec = all.at(i);
            if (rec.level == 3) {
                ++own;
                continue;
            }
            const QPair<int, int> key{rec.pupil / 1000, rec.pupil % 1000};
            if (rec != appendedRecord(key.first, key.second) || !expected.contains(key) ||
                seen.contains(key)) {
                ok = false;
                why = u"record %1 is no expected append, or a second copy"_s.arg(i + 1);
            }
            seen.insert(key);
        }
        if (!ok) continue;
        if (seen != expected)
            why = u"%1 of %2 appends survived"_s.arg(seen.size()).arg(expected.size());
        else if (own != (ownAppend ? 1 : 0))
            why = u"our own append is there %1 times"_s.arg(own);
        else
            return QString();
    }
    return why;
}

void TestRewrite::crashTable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("powerLoss");
    QTest::addColumn<int>("tail");
    QTest::addColumn<bool>("garbleNewer");
    QTest::addColumn<QString>("recoveryStep");
    QTest::addColumn<bool>("ownAppend");

    const QStringList deleteSteps = {
        u"journal-created"_s, u"journal-written"_s, u"journal-flushed"_s, u"records-written"_s,
        u"records-flushed"_s, u"cutting-written"_s, u"cutting-flushed"_s, u"cut"_s,
        u"cut-flushed"_s,     u"journal-removed"_s};
    for (const QString &step : deleteSteps)
        QTest::addRow("delete, crash at %s", qPrintable(step))
            << u"delete"_s << 3 << step << false << 0 << false << QString() << false;
    const QStringList replaceSteps = {u"journal-created"_s, u"journal-written"_s, u"journal-flushed"_s,
                                      u"records-written"_s, u"records-flushed"_s, u"journal-removed"_s};
    for (const QString &step : replaceSteps)
        QTest::addRow("replace, crash at %s", qPrintable(step))
            << u"replace"_s << 3 << step << false << 0 << false << QString() << false;
    // clang-format off
    QTest::newRow("delete the last record, crash before the cut")   << u"delete"_s  << 9 << u"cutting-flushed"_s << false << 0  << false << QString() << false;
    QTest::newRow("delete the last record, crash after the cut")    << u"delete"_s  << 9 << u"cut-flushed"_s     << false << 0  << false << QString() << false;
    QTest::newRow("delete the first record, crash mid-way")         << u"delete"_s  << 0 << u"records-written"_s << false << 0  << false << QString() << false;
    QTest::newRow("power loss: journal never on the disk")          << u"delete"_s  << 3 << u"journal-written"_s << true  << 0  << false << QString() << false;
    QTest::newRow("power loss: new records never on the disk")      << u"delete"_s  << 3 << u"records-written"_s << true  << 0  << false << QString() << false;
    QTest::newRow("power loss: cutting mark never on the disk")     << u"delete"_s  << 3 << u"cutting-written"_s << true  << 0  << false << QString() << false;
    QTest::newRow("power loss: the cut never on the disk")          << u"delete"_s  << 3 << u"cut"_s             << true  << 0  << false << QString() << false;
    QTest::newRow("power loss during a correction")                 << u"replace"_s << 3 << u"records-written"_s << true  << 0  << false << QString() << false;
    QTest::newRow("torn cutting mark")                              << u"delete"_s  << 3 << u"cutting-written"_s << false << 0  << true  << QString() << false;
    QTest::newRow("torn first mark")                                << u"delete"_s  << 3 << u"journal-flushed"_s << false << 0  << true  << QString() << false;
    QTest::newRow("partial tail, delete crashed mid-way")           << u"delete"_s  << 3 << u"records-flushed"_s << false << 20 << false << QString() << false;
    QTest::newRow("partial tail, delete crashed after the cut")     << u"delete"_s  << 3 << u"cut"_s             << false << 43 << false << QString() << false;
    QTest::newRow("partial tail, correction crashed")               << u"replace"_s << 3 << u"records-written"_s << false << 20 << false << QString() << false;
    QTest::newRow("our own append recovers")                        << u"delete"_s  << 3 << u"records-flushed"_s << false << 0  << false << QString() << true;
    QTest::newRow("recovery cut off writing the filler's journal")  << u"delete"_s  << 3 << u"records-flushed"_s << false << 0  << false << u"recover:filler-journalled"_s      << false;
    QTest::newRow("recovery cut off after the filler's journal")    << u"delete"_s  << 3 << u"records-flushed"_s << false << 0  << false << u"recover:filler-journal-flushed"_s << false;
    QTest::newRow("recovery loses power after the filler's journal")<< u"delete"_s  << 3 << u"records-flushed"_s << true  << 0  << false << u"recover:filler-journalled"_s      << false;
    QTest::newRow("recovery cut off moving the appends down")       << u"delete"_s  << 3 << u"journal-flushed"_s << false << 0  << false << u"recover:records-written"_s        << false;
    QTest::newRow("recovery cut off before its cut")                << u"delete"_s  << 3 << u"cutting-flushed"_s << false << 0  << false << u"recover:cutting-flushed"_s        << false;
    QTest::newRow("recovery cut off after its cut")                 << u"delete"_s  << 3 << u"records-written"_s << false << 0  << false << u"recover:cut"_s                    << false;
    QTest::newRow("recovery cut off before dropping the journal")   << u"delete"_s  << 3 << u"cut-flushed"_s     << false << 0  << false << u"recover:journal-removed"_s        << false;
    QTest::newRow("recovery of a correction cut off")               << u"replace"_s << 3 << u"records-written"_s << false << 0  << false << u"recover:records-written"_s        << false;
    // clang-format on
}

void TestRewrite::crashTable()
{
    QFETCH(QString, kind);
    QFETCH(int, record);
    QFETCH(QString, step);
    QFETCH(bool, powerLoss);
    QFETCH(int, tail);
    QFETCH(bool, garbleNewer);
    QFETCH(QString, recoveryStep);
    QFETCH(bool, ownAppend);

    QVERIFY(test::writeBytes(m_path, initialBytes(initialRecords) + QByteArray(tail, '\x55')));
    const int edited =
        runChild({u"--edit"_s, m_path, kind, QString::number(record), step, powerLoss ? u"1"_s : u"0"_s});
    QVERIFY2(edited == 3 || edited == 0, qPrintable(u"the edit child ended with %1"_s.arg(edited)));

    const QString journalPath = journalOf(m_path);
    if (garbleNewer) {
        QByteArray j = test::readBytes(journalPath);
        const journal::Inspection found = journal::inspect(bytesOf(j));
        QCOMPARE(found.kind, journal::Kind::Marked);
        j[journal::markSlots[found.markIndex] * journal::slot + 3] ^= 0x5a;
        QVERIFY(test::writeBytes(journalPath, j));
    }

    int rounds = 1;
    appendRound(1);
    if (!recoveryStep.isEmpty()) {
        const int recovered = runChild({u"--recover"_s, m_path, recoveryStep, powerLoss ? u"1"_s : u"0"_s});
        QVERIFY(recovered == 3 || recovered == 0);
        appendRound(4);
        rounds = 2;
    }

    // kemoro-data shows the records as the recovery will leave them, and
    // leaves the files alone.
    const QByteArray crashed = test::readBytes(m_path);
    const QByteArray crashedJournal = test::readBytes(journalPath);
    ResultStore inspector(m_path, ResultStore::Access::ReadOnly);
    ResultWindow preview;
    QVERIFY(!inspector.read(-1, quickWait, preview));
    QCOMPARE(test::readBytes(m_path), crashed);
    QCOMPARE(test::readBytes(journalPath), crashedJournal);

    if (ownAppend) {
        ResultRecord own = initialRecord(0);
        own.level = 3;
        QVERIFY(!ResultStore(m_path).append(own, quickWait));
    } else {
        // A reader of the program finishes the rewrite before it lists records.
        ResultWindow listed;
        QVERIFY(!ResultStore(m_path).read(-1, quickWait, listed));
        QCOMPARE(listed.bytes, preview.bytes);
    }
    QVERIFY(!QFile::exists(journalPath));
    const QByteArray after = test::readBytes(m_path);
    const QString problem = verify(after, kind, record, rounds, ownAppend);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    if (!ownAppend) QCOMPARE(after, preview.bytes);

    rewrite::Recovery again;
    QVERIFY(!ResultStore(m_path).recover(quickWait, again));
    QVERIFY(!again.journalFound);
    QCOMPARE(test::readBytes(m_path), after);
}

void TestRewrite::refusals_data()
{
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("record");
    QTest::addColumn<QByteArray>("journalBytes");
    QTest::addColumn<int>("outcome");
    const QByteArray rec3 = encodeRecord(initialRecord(3));
    const QByteArray foreignCopy = initialBytes(5);
    // clang-format off
    QTest::newRow("record changed on another computer") << encodeRecord(correctedRecord(3)) << 3 << QByteArray()  << int(RewriteOutcome::Changed);
    QTest::newRow("record deleted on another computer") << rec3                             << 4 << QByteArray()  << int(RewriteOutcome::Changed);
    QTest::newRow("file became shorter")                << encodeRecord(initialRecord(9))   << 12 << QByteArray() << int(RewriteOutcome::Changed);
    QTest::newRow("another program's temp copy")        << rec3                             << 3 << foreignCopy   << int(RewriteOutcome::ForeignJournal);
    // clang-format on
}

void TestRewrite::refusals()
{
    QFETCH(QByteArray, expected);
    QFETCH(int, record);
    QFETCH(QByteArray, journalBytes);
    QFETCH(int, outcome);
    const QByteArray before = initialBytes(initialRecords);
    QVERIFY(test::writeBytes(m_path, before));
    if (!journalBytes.isEmpty()) QVERIFY(test::writeBytes(journalOf(m_path), journalBytes));
    RecordEdit edit;
    edit.kind = RecordEdit::Kind::Delete;
    edit.record = record;
    edit.expected = bytesOf(expected);
    RewriteOutcome got = RewriteOutcome::Done;
    QVERIFY(!ResultStore(m_path).rewrite(edit, quickWait, got));
    QCOMPARE(int(got), outcome);
    QCOMPARE(test::readBytes(m_path), before);
    if (!journalBytes.isEmpty()) {
        QCOMPARE(test::readBytes(journalOf(m_path)), journalBytes);
        // A pupil's append is never held up by it.
        QVERIFY(!ResultStore(m_path).append(initialRecord(0), quickWait));
        QCOMPARE(test::readBytes(m_path).size(), before.size() + record::size);
    }
}

void TestRewrite::plainEdits_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("tail");
    QTest::addColumn<int>("record");
    // clang-format off
    QTest::newRow("delete from the middle")             << u"delete"_s  << 10 << 0  << 3;
    QTest::newRow("delete the last record")             << u"delete"_s  << 10 << 0  << 9;
    QTest::newRow("delete the only record")             << u"delete"_s  << 1  << 0  << 0;
    QTest::newRow("a deletion drops a partial tail")    << u"delete"_s  << 10 << 17 << 0;
    QTest::newRow("correct one record")                 << u"replace"_s << 10 << 0  << 5;
    QTest::newRow("a correction drops a partial tail")  << u"replace"_s << 10 << 30 << 9;
    // clang-format on
}

void TestRewrite::plainEdits()
{
    QFETCH(QString, kind);
    QFETCH(int, records);
    QFETCH(int, tail);
    QFETCH(int, record);
    QVERIFY(test::writeBytes(m_path, initialBytes(records) + QByteArray(tail, 'x')));
    RecordEdit edit;
    edit.kind = kind == u"delete"_s ? RecordEdit::Kind::Delete : RecordEdit::Kind::Replace;
    edit.record = record;
    edit.expected = bytesOf(encodeRecord(initialRecord(record)));
    edit.replacement = bytesOf(encodeRecord(correctedRecord(record)));
    RewriteOutcome outcome;
    QVERIFY(!ResultStore(m_path).rewrite(edit, quickWait, outcome));
    QCOMPARE(outcome, RewriteOutcome::Done);
    QByteArray expected;
    for (int i = 0; i < records; ++i) {
        if (i != record)
            expected += encodeRecord(initialRecord(i));
        else if (kind == u"replace"_s)
            expected += qbytes(edit.replacement);
    }
    QCOMPARE(test::readBytes(m_path), expected);
    QVERIFY(!QFile::exists(journalOf(m_path)));
}

void TestRewrite::editsWhileOthersAppend()
{
    constexpr int processes = 4, perProcess = 250, originals = stormOriginals;
    // In a whole installation, so that kemoro-data can check it meanwhile.
    const test::Installation install({.pupils = {{1, u"青木　さくら"_s, 1}}});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    m_path = install.dataFolder() + u"成績累積データ.dat"_s;
    QByteArray start;
    for (int i = 0; i < originals; ++i)
        start += encodeRecord(stormOriginal(i));
    QVERIFY(test::writeBytes(m_path, start));
    QList<QProcess *> children;
    auto startChild = [&](const QStringList &args) {
        auto *child = new QProcess(this);
        child->setProcessChannelMode(QProcess::ForwardedChannels);
        child->start(QCoreApplication::applicationFilePath(), args);
        children.append(child);
    };
    for (int p = 1; p <= processes; ++p)
        startChild({u"--append-child"_s, m_path, QString::number(p), QString::number(perProcess)});
    // Readers of the program and of kemoro-data list the records all along.
    const QString stopFile = m_dir.filePath(u"stop"_s);
    for (const QString &mode : {u"program"_s, u"program"_s, u"read-only"_s})
        startChild({u"--read-child"_s, m_path, mode, stopFile});
    startChild({u"--check-child"_s, install.programDir(), stopFile});
    // Records 0, 2, ... 8 are deleted, 10, 12, ... 18 corrected: each time
    // found afresh, as a teacher's double-click would.
    for (int n = 0; n < 10; ++n) {
        const int pupil = 30000 + 2 * n;
        for (;;) {
            const QList<ResultRecord> now = recordsOf(test::readBytes(m_path));
            const qsizetype at = std::find_if(now.begin(), now.end(),
                                              [&](const ResultRecord &r) { return r.pupil == pupil; }) -
                                 now.begin();
            QVERIFY(at < now.size());
            RecordEdit edit;
            edit.kind = n < 5 ? RecordEdit::Kind::Delete : RecordEdit::Kind::Replace;
            edit.record = at;
            edit.expected = bytesOf(encodeRecord(now.at(at)));
            ResultRecord corrected = now.at(at);
            corrected.resultTime = 9000 + n;
            edit.replacement = bytesOf(encodeRecord(corrected));
            RewriteOutcome outcome;
            QVERIFY(!ResultStore(m_path).rewrite(edit, shortWait, outcome));
            if (outcome == RewriteOutcome::Done) break;
            QCOMPARE(outcome, RewriteOutcome::Changed);
        }
    }
    QVERIFY(test::writeBytes(stopFile, {}));
    for (QProcess *child : children) {
        QVERIFY(child->waitForFinished(120000));
        QCOMPARE(child->exitCode(), 0);
    }
    const QByteArray bytes = test::readBytes(m_path);
    QCOMPARE(bytes.size() % record::size, 0);
    QSet<QPair<int, int>> seen;
    QMap<int, qint32> originalsLeft;
    for (const ResultRecord &rec : recordsOf(bytes)) {
        if (rec.pupil >= 30000) {
            QVERIFY(!originalsLeft.contains(rec.pupil));
            originalsLeft[rec.pupil] = rec.resultTime;
            continue;
        }
        const QPair<int, int> key{rec.pupil / 1000, rec.pupil % 1000};
        QCOMPARE(rec, appendedRecord(key.first, key.second));
        QVERIFY(!seen.contains(key));
        seen.insert(key);
    }
    QCOMPARE(seen.size(), processes * perProcess);
    QCOMPARE(originalsLeft.size(), originals - 5);
    for (int n = 5; n < 10; ++n)
        QCOMPARE(originalsLeft.value(30000 + 2 * n), 9000 + n);
    QCOMPARE(originalsLeft.value(30001), 501);
}

void TestRewrite::journalForAnotherFile_data()
{
    QTest::addColumn<QByteArray>("restored");
    QTest::addColumn<bool>("applies");
    QByteArray changedLater = initialBytes(initialRecords);
    changedLater.replace(5 * record::size, record::size, encodeRecord(correctedRecord(5)));
    // clang-format off
    QTest::newRow("an older backup, fewer records")   << initialBytes(6)               << false;
    QTest::newRow("a backup with other records")      << changedLater                  << false;
    // Only what the rewrite changes is compared: from the deleted record on
    // this backup is the file the journal was written for.
    QTest::newRow("a backup differing before the record") << initialBytes(initialRecords).replace(0, 8, QByteArray(8, '\x11')) << true;
    QTest::newRow("the very file before the deletion") << initialBytes(initialRecords) << true;
    // clang-format on
}

void TestRewrite::journalForAnotherFile()
{
    // A computer died in the middle of deleting record 3; the school then
    // restored the result file from a backup before any computer recovered.
    QFETCH(QByteArray, restored);
    QFETCH(bool, applies);
    QVERIFY(test::writeBytes(m_path, initialBytes(initialRecords)));
    QCOMPARE(runChild({u"--edit"_s, m_path, u"delete"_s, u"3"_s, u"records-flushed"_s, u"0"_s}), 3);
    const QString journalPath = journalOf(m_path);
    const QByteArray journalBytes = test::readBytes(journalPath);
    QVERIFY(test::writeBytes(m_path, restored));

    ResultStore inspector(m_path, ResultStore::Access::ReadOnly);
    ResultWindow preview;
    QVERIFY(!inspector.read(-1, quickWait, preview));
    QCOMPARE(inspector.journalFinding().kind,
             applies ? JournalFinding::Kind::Pending : JournalFinding::Kind::NotForThisFile);

    ResultStore store(m_path);
    Diagnostics notices;
    store.setNoticeHandler([&](const Diagnostic &d) { notices.append(d); });
    const ResultRecord own = drillRecord(stamp, 77, 3, 40, u"12345"_s);
    QVERIFY(!store.append(own, quickWait));
    QVERIFY(!QFile::exists(journalPath));
    const QString aside = m_dir.filePath(u"成績累積データtemp-別ファイル用1.dat"_s);
    if (applies) {
        QVERIFY(!QFile::exists(aside));
        QCOMPARE(test::readBytes(m_path), preview.bytes + encodeRecord(own));
        QVERIFY(notices.isEmpty());
        return;
    }
    QCOMPARE(preview.bytes, restored);
    QCOMPARE(test::readBytes(m_path), restored + encodeRecord(own));
    QCOMPARE(test::readBytes(aside), journalBytes);
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices.first().toMessage().contains(m_path) ||
            notices.first().toMessage().contains(journalPath));
    QVERIFY(notices.first().text.contains(QDir::toNativeSeparators(aside)));

    // A second stale journal gets the next free name.
    QVERIFY(test::writeBytes(journalPath, journalBytes));
    rewrite::Recovery recovery;
    QVERIFY(!store.recover(quickWait, recovery));
    QVERIFY(recovery.setAside);
    QCOMPARE(QString::fromStdString(recovery.asidePath),
             m_dir.filePath(u"成績累積データtemp-別ファイル用2.dat"_s));
    QCOMPARE(test::readBytes(m_path), restored + encodeRecord(own));
}

void TestRewrite::tornHeaderIsOurs_data()
{
    QTest::addColumn<QByteArray>("journalBytes");
    QByteArray holes = qbytes(journal::header()) + QByteArray(3 * journal::slot, '\0');
    holes[22] = '\0';
    holes[30] = '\0';
    // clang-format off
    QTest::newRow("shorter than its header")         << qbytes(journal::header()).left(27);
    QTest::newRow("the header's first byte only")    << qbytes(journal::header()).left(1);
    QTest::newRow("the header with holes, grown")    << holes;
    QTest::newRow("nothing but zeros")               << QByteArray(5 * journal::slot, '\0');
    // clang-format on
}

void TestRewrite::tornHeaderIsOurs()
{
    // Power lost during the journal's first write: the result file was not
    // touched, so the journal goes and corrections go on.
    QFETCH(QByteArray, journalBytes);
    const QByteArray before = initialBytes(initialRecords);
    QVERIFY(test::writeBytes(m_path, before));
    QVERIFY(test::writeBytes(journalOf(m_path), journalBytes));
    RecordEdit edit;
    edit.kind = RecordEdit::Kind::Delete;
    edit.record = 2;
    edit.expected = bytesOf(encodeRecord(initialRecord(2)));
    RewriteOutcome outcome;
    QVERIFY(!ResultStore(m_path).rewrite(edit, quickWait, outcome));
    QCOMPARE(outcome, RewriteOutcome::Done);
    QCOMPARE(test::readBytes(m_path), before.left(2 * record::size) + before.mid(3 * record::size));
    QVERIFY(!QFile::exists(journalOf(m_path)));
}

int main(int argc, char *argv[])
{
    if (argc == 7 && std::strcmp(argv[1], "--edit") == 0)
        return editChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]),
                         QString::fromLocal8Bit(argv[5]), std::strcmp(argv[6], "1") == 0);
    if (argc == 5 && std::strcmp(argv[1], "--recover") == 0)
        return recoverChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                            std::strcmp(argv[4], "1") == 0);
    if (argc == 5 && std::strcmp(argv[1], "--plain-append") == 0)
        return plainAppendChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 5 && std::strcmp(argv[1], "--append-child") == 0)
        return appendChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "--check-child") == 0)
        return checkChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "--read-child") == 0)
        return readChild(QString::fromLocal8Bit(argv[2]), std::strcmp(argv[3], "read-only") == 0,
                         QString::fromLocal8Bit(argv[4]));
    QCoreApplication app(argc, argv);
    TestRewrite test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rewrite.moc"
