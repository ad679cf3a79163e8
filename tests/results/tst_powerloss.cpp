#include "results/journal.h"
#include "results/resultrecord.h"
#include "results/rewrite.h"

#include <QHash>
#include <QSet>
#include <QTest>

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
using File = RecordIo::File;

// A disk writes a sector at a time, so a power loss may keep any of the
// sectors of one write. 512 bytes is the smallest sector: a write torn at
// 4096-byte boundaries is among the patterns too.
constexpr qint64 sector = 512;
// Every subset of a file's pending operations in every order while there are
// this many at most (1957 patterns); past that, which only a rewrite with
// flushes missing reaches, each subset in the order written and in reverse.
constexpr int orderedUpTo = 6;

const QDateTime stamp(QDate(2026, 12, 10), QTime(9, 30, 15));
QByteArray original(int i)
{
    return encodeRecord(drillRecord(stamp, qint16(i + 1), 1, 30 + i, u"12345"_s));
}
// A teacher corrects the pupil and the time.
QByteArray corrected(int i)
{
    return encodeRecord(drillRecord(stamp, qint16(i + 1001), 1, 7777, u"12345"_s));
}
QByteArray appended(int i)
{
    return encodeRecord(drillRecord(stamp, qint16(500 + i), 2, 60, u"12345"_s));
}

struct Disk
{
    QByteArray results;
    bool journalExists = false;
    QByteArray journal;
    bool operator==(const Disk &) const = default;
};
size_t qHash(const Disk &disk, size_t seed = 0)
{
    return qHashMulti(seed, disk.results, disk.journalExists, disk.journal);
}

struct Op
{
    enum class Kind { Write, Resize, Create, Remove };
    Kind kind = Kind::Write;
    qint64 at = 0; // a write's offset, a resize's size
    QByteArray data;
};

QString describe(const Op &op)
{
    switch (op.kind) {
    case Op::Kind::Write:
        return u"write %1..%2"_s.arg(op.at).arg(op.at + op.data.size());
    case Op::Kind::Resize:
        return u"resize %1"_s.arg(op.at);
    case Op::Kind::Create:
        return u"create"_s;
    case Op::Kind::Remove:
        return u"remove"_s;
    }
    return QString();
}

void apply(Disk &disk, File file, const Op &op)
{
    if (file == File::Journal) {
        if (op.kind == Op::Kind::Create || op.kind == Op::Kind::Remove) {
            disk.journalExists = op.kind == Op::Kind::Create;
            disk.journal.clear();
            return;
        }
        if (!disk.journalExists) return; // the file these bytes went to is not on the disk
    }
    QByteArray &bytes = file == File::Results ? disk.results : disk.journal;
    const qint64 end = op.kind == Op::Kind::Resize ? op.at : op.at + op.data.size();
    if (bytes.size() < end) bytes.append(QByteArray(end - bytes.size(), '\0'));
    if (op.kind == Op::Kind::Resize)
        bytes.truncate(op.at);
    else
        std::memcpy(bytes.data() + op.at, op.data.constData(), size_t(op.data.size()));
}

// The disk as it is after one call: what the flushes made durable, and what
// each file holds since its last flush.
struct Instant
{
    QString call;
    Disk durable;
    std::array<QList<Op>, 2> pending;
};

// The two files in memory, keeping the disk as it is after every call that
// changes it.
class MemoryIo final : public RecordIo
{
public:
    explicit MemoryIo(const Disk &disk) : m_durable(disk), m_now(disk)
    {
        m_instants.append({u"nothing"_s, m_durable, m_pending});
    }

    const Disk &now() const { return m_now; }
    const QList<Instant> &instants() const { return m_instants; }

    bool size(File file, std::int64_t &size) override
    {
        if (!present(file)) return false;
        size = bytes(file).size();
        return true;
    }
    bool read(File file, std::int64_t offset, std::int64_t count, Bytes &out) override
    {
        if (!present(file)) return false;
        out = bytes(file).mid(offset, count).toStdString();
        return true;
    }
    bool write(File file, std::int64_t offset, const Bytes &written) override
    {
        if (!present(file)) return false;
        const QByteArray data = QByteArray::fromStdString(written);
        for (qint64 from = offset; from < offset + data.size();) {
            const qint64 to = std::min(offset + data.size(), (from / sector + 1) * sector);
            log(file, {Op::Kind::Write, from, data.mid(from - offset, to - from)});
            from = to;
        }
        noteInstant(u"write %1..%2"_s.arg(offset).arg(offset + data.size()), file);
        return true;
    }
    bool resize(File file, std::int64_t size) override
    {
        if (!present(file)) return false;
        log(file, {Op::Kind::Resize, size, {}});
        noteInstant(u"resize %1"_s.arg(size), file);
        return true;
    }
    bool flush(File file) override
    {
        if (!present(file)) return false;
        for (const Op &op : pending(file))
            apply(m_durable, file, op);
        pending(file).clear();
        noteInstant(u"flush"_s, file);
        return true;
    }
    bool journalExists(bool &exists) override
    {
        exists = m_now.journalExists;
        return true;
    }
    bool createJournal() override
    {
        log(File::Journal, {Op::Kind::Create, 0, {}});
        noteInstant(u"createJournal"_s, File::Journal);
        return true;
    }
    bool removeJournal() override
    {
        log(File::Journal, {Op::Kind::Remove, 0, {}});
        noteInstant(u"removeJournal"_s, File::Journal);
        return true;
    }
    // Every journal here was written for its result file: setting one aside
    // would be a wrong verdict of the recovery, and fails it.
    bool setJournalAside(std::string &) override
    {
        m_error = EPERM;
        return false;
    }
    int error() const override { return m_error; }

private:
    QByteArray &bytes(File file) { return file == File::Results ? m_now.results : m_now.journal; }
    QList<Op> &pending(File file) { return m_pending[file == File::Results ? 0 : 1]; }
    bool present(File file)
    {
        m_error = file == File::Journal && !m_now.journalExists ? ENOENT : 0;
        return m_error == 0;
    }
    void log(File file, const Op &op)
    {
        apply(m_now, file, op);
        pending(file).append(op);
    }
    void noteInstant(const QString &call, File file)
    {
        const QString name = file == File::Results ? u"results"_s : u"journal"_s;
        m_instants.append({name + u" "_s + call, m_durable, m_pending});
    }

    Disk m_durable;
    Disk m_now;
    std::array<QList<Op>, 2> m_pending;
    QList<Instant> m_instants;
    int m_error = 0;
};

// One file's part of a power loss: the operations kept, by their index in the
// file's pending list, in the order they reached the disk.
struct Kept
{
    Disk disk;
    QList<int> order;
};

// Every state one file can be left in; patterns that leave the same bytes
// count once.
QList<Kept> keptStates(const Disk &durable, File file, const QList<Op> &ops)
{
    QSet<Disk> seen;
    QList<Kept> states;
    const auto keep = [&](const Disk &disk, const QList<int> &order) {
        if (!seen.contains(disk)) {
            seen.insert(disk);
            states.append({disk, order});
        }
    };
    const int n = int(ops.size());
    if (n <= orderedUpTo) {
        const std::function<void(const Disk &, const QList<int> &)> extend = [&](const Disk &disk,
                                                                                 const QList<int> &order) {
            keep(disk, order);
            for (int i = 0; i < n; ++i) {
                if (order.contains(i)) continue;
                Disk next = disk;
                apply(next, file, ops.at(i));
                extend(next, order + QList<int>{i});
            }
        };
        extend(durable, {});
        return states;
    }
    for (quint32 subset = 0; subset < (1u << n); ++subset) {
        for (const bool reversed : {false, true}) {
            Disk disk = durable;
            QList<int> order;
            for (int step = 0; step < n; ++step) {
                const int i = reversed ? n - 1 - step : step;
                if (subset & (1u << i)) {
                    apply(disk, file, ops.at(i));
                    order.append(i);
                }
            }
            keep(disk, order);
        }
    }
    return states;
}

struct Loss
{
    Disk disk;
    QList<int> results;
    QList<int> journal;
};

// The files are independent: what one keeps does not depend on the other, so
// a loss is any state of the one beside any state of the other.
QList<Loss> lossesAt(const Instant &at)
{
    QList<Loss> losses;
    const QList<Kept> results = keptStates(at.durable, File::Results, at.pending[0]);
    const QList<Kept> journals = keptStates(at.durable, File::Journal, at.pending[1]);
    for (const Kept &r : results)
        for (const Kept &j : journals)
            losses.append({{r.disk.results, j.disk.journalExists, j.disk.journal}, r.order, j.order});
    return losses;
}

QString describe(const Instant &at, const Loss &loss)
{
    QStringList files;
    const std::array<QList<int>, 2> orders = {loss.results, loss.journal};
    for (int f = 0; f < 2; ++f) {
        QStringList kept;
        for (const int i : orders[f])
            kept.append(describe(at.pending[f].at(i)));
        QStringList lost;
        for (int i = 0; i < at.pending[f].size(); ++i)
            if (!orders[f].contains(i)) lost.append(describe(at.pending[f].at(i)));
        files.append(u"%1 kept [%2] lost [%3]"_s.arg(f == 0 ? u"results"_s : u"journal"_s, kept.join(u", "_s),
                                                     lost.join(u", "_s)));
    }
    return u"after %1: %2"_s.arg(at.call, files.join(u"; "_s));
}

// Records by what they are: "3" the original record 3, "3'" its correction,
// "a0" another computer's record, "F" a filler, "?" anything else.
QString describe(const QByteArray &results)
{
    QStringList parts;
    qsizetype at = 0;
    for (; at + record::size <= results.size(); at += record::size) {
        const QByteArray bytes = results.mid(at, record::size);
        const int pupil = decodeRecord(bytes.constData()).pupil;
        if (journal::isFiller(bytes.constData()))
            parts.append(u"F"_s);
        else if (bytes == original(pupil - 1))
            parts.append(QString::number(pupil));
        else if (bytes == corrected(pupil - 1001))
            parts.append(QString::number(pupil - 1000) + u"'"_s);
        else if (bytes == appended(pupil - 500))
            parts.append(u"a"_s + QString::number(pupil - 500));
        else
            parts.append(u"?"_s);
    }
    if (at < results.size()) parts.append(u"+%1 bytes"_s.arg(results.size() - at));
    return u"["_s + parts.join(u" "_s) + u"]"_s;
}

// Another computer's appends, with the recipe that knows nothing of journals:
// each at the end of the whole records.
QByteArray withAppends(const QByteArray &results, int count)
{
    QByteArray bytes = results;
    for (int i = 0; i < count; ++i) {
        bytes.truncate(bytes.size() - bytes.size() % record::size);
        bytes += appended(i);
    }
    return bytes;
}

struct Recovered
{
    Disk end;
    QString failure;
};

Recovered recoverDisk(const Disk &disk, QList<Instant> *instants = nullptr)
{
    MemoryIo io(disk);
    rewrite::Recovery recovery;
    Recovered result;
    if (const auto failure = rewrite::recover(io, recovery))
        result.failure = u"recovery failed on the %1 (code %2)"_s.arg(
            failure->file == File::Results ? u"result file"_s : u"journal"_s, QString::number(failure->code));
    result.end = io.now();
    if (instants) *instants = io.instants();
    return result;
}
} // namespace

class TestPowerLoss : public QObject
{
    Q_OBJECT

private slots:
    void everyLoss_data();
    void everyLoss();

private:
    // Many losses leave the same state: each is recovered once.
    const Recovered &recovered(const Disk &disk);
    QString checkInterruptedRecovery(const Disk &disk);

    QHash<Disk, Recovered> m_recovered;
};

const Recovered &TestPowerLoss::recovered(const Disk &disk)
{
    auto found = m_recovered.constFind(disk);
    if (found == m_recovered.constEnd()) found = m_recovered.insert(disk, recoverDisk(disk));
    return *found;
}

// A recovery cut off by a power loss anywhere ends, after the next one, where
// it would have ended uninterrupted.
QString TestPowerLoss::checkInterruptedRecovery(const Disk &disk)
{
    QList<Instant> instants;
    const Recovered first = recoverDisk(disk, &instants);
    m_recovered.insert(disk, first);
    if (!first.failure.isEmpty()) return first.failure;
    for (const Instant &at : instants) {
        for (const Loss &loss : lossesAt(at)) {
            const Recovered &again = recovered(loss.disk);
            if (!again.failure.isEmpty())
                return u"recovery lost power %1; the next %2"_s.arg(describe(at, loss), again.failure);
            if (again.end != first.end)
                return u"recovery lost power %1; the next one left %2 instead of %3"_s.arg(
                    describe(at, loss), describe(again.end.results), describe(first.end.results));
        }
    }
    return QString();
}

void TestPowerLoss::everyLoss_data()
{
    QTest::addColumn<bool>("correct");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("tail");
    QTest::addColumn<int>("appends");
    // 14 records are 616 bytes: moving the records behind an early one down is
    // a write of two sectors, and so is the journal of deleting the first.
    // Record 81 begins 20 bytes before a sector boundary, which parts its
    // pupil from its time.
    // clang-format off
    QTest::newRow("delete the first record")                   << false << 14 << 0  << 0  << 0;
    QTest::newRow("delete a middle record")                    << false << 14 << 6  << 0  << 0;
    QTest::newRow("delete the last record")                    << false << 14 << 13 << 0  << 0;
    QTest::newRow("correct a record")                          << true  << 14 << 3  << 0  << 0;
    QTest::newRow("correct a record across a sector boundary") << true  << 82 << 81 << 0  << 0;
    QTest::newRow("delete before a torn append")               << false << 14 << 6  << 20 << 0;
    QTest::newRow("correct before a torn append")              << true  << 14 << 13 << 20 << 0;
    QTest::newRow("delete, another computer appends one")      << false << 14 << 6  << 0  << 1;
    QTest::newRow("delete, another computer appends two")      << false << 14 << 0  << 0  << 2;
    QTest::newRow("delete the last, another computer appends") << false << 14 << 13 << 0  << 1;
    // clang-format on
}

// At every instant of the edit, every loss is followed by another computer's
// appends and a recovery that may itself lose power. The file then holds
// exactly the records before or after the edit, and no journal; once the edit
// has returned, only the records after it.
void TestPowerLoss::everyLoss()
{
    QFETCH(bool, correct);
    QFETCH(int, records);
    QFETCH(int, record);
    QFETCH(int, tail);
    QFETCH(int, appends);

    QByteArray before, after;
    for (int i = 0; i < records; ++i) {
        before += original(i);
        if (i != record)
            after += original(i);
        else if (correct)
            after += corrected(i);
    }
    before += QByteArray(tail, '\x55');

    RecordEdit edit;
    edit.kind = correct ? RecordEdit::Kind::Replace : RecordEdit::Kind::Delete;
    edit.record = record;
    edit.expected = original(record).toStdString();
    edit.replacement = corrected(record).toStdString();
    MemoryIo io(Disk{before, false, {}});
    RewriteOutcome outcome = RewriteOutcome::Changed;
    rewrite::Recovery recovery;
    QVERIFY(!rewrite::apply(io, edit, outcome, recovery));
    QCOMPARE(outcome, RewriteOutcome::Done);
    QVERIFY2(io.now() == (Disk{after, false, {}}), qPrintable(describe(io.now().results)));

    const QByteArray untouched = withAppends(before, appends);
    const QByteArray edited = withAppends(after, appends);
    m_recovered.clear();
    QSet<Disk> checked;
    const QList<Instant> &instants = io.instants();
    for (qsizetype n = 0; n < instants.size(); ++n) {
        const bool returned = n == instants.size() - 1;
        for (const Loss &loss : lossesAt(instants.at(n))) {
            Disk disk = loss.disk;
            disk.results = withAppends(disk.results, appends);
            if (!checked.contains(disk)) {
                checked.insert(disk);
                const QString problem = checkInterruptedRecovery(disk);
                QVERIFY2(problem.isEmpty(), qPrintable(describe(instants.at(n), loss) + u": "_s + problem));
            }
            const Disk &end = recovered(disk).end;
            QVERIFY2(!end.journalExists,
                     qPrintable(describe(instants.at(n), loss) + u": the journal is left"_s));
            const bool ok = end.results == edited || (end.results == untouched && !returned);
            const QString expected =
                returned ? describe(edited) : describe(untouched) + u" or "_s + describe(edited);
            QVERIFY2(ok, qPrintable(u"%1: recovery left %2, not %3"_s.arg(describe(instants.at(n), loss),
                                                                          describe(end.results), expected)));
        }
    }
}

QTEST_APPLESS_MAIN(TestPowerLoss)

#include "tst_powerloss.moc"
