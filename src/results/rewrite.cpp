#include "results/rewrite.h"

using namespace Qt::StringLiterals;

namespace kemoro::rewrite {

namespace {

std::function<void(const QString &)> &stepHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

IoWrapper &wrapperSlot()
{
    static IoWrapper wrapper;
    return wrapper;
}

using File = RecordIo::File;
constexpr qsizetype slot = journal::slot;

class Steps
{
public:
    explicit Steps(bool recovering) : m_prefix(recovering ? u"recover:"_s : QString()) {}
    void operator()(const char *name) const
    {
        if (stepHook())
            stepHook()(m_prefix + QLatin1StringView(name));
    }

private:
    QString m_prefix;
};

#define KEMORO_TRY(call, file)                                                                                         \
    do {                                                                                                               \
        if (!(call))                                                                                                   \
            return IoFailure{file, io.error()};                                                                        \
    } while (false)

// Step 4 of a rewrite, for a fresh one and for a recovery alike: the new
// records, the filler, the cut. Records that other computers appended after a
// crash are never overwritten; when they sit behind the filler, the filler is
// taken out at once by a second journalled deletion of its slot, because a
// filler left behind would shift the list positions other record screens use.
std::optional<IoFailure> finish(RecordIo &io, journal::Mark mark, int markIndex, QByteArray body, qint64 journalSize,
                                const Steps &step, Recovery &recovery)
{
    for (;;) {
        const qint64 k = mark.record;
        const qint64 oldLength = mark.oldLength;
        const qint64 newLength = mark.newLength();
        const bool deletion = mark.operation == journal::Operation::Delete;
        qint64 size = 0;
        KEMORO_TRY(io.size(File::Results, size), File::Results);
        const qint64 whole = size - size % record::size;

        // Where appends after a crash begin: past the old end until the cut,
        // past the new end after it. Only the filler tells the two apart once
        // the cut may have happened.
        qint64 appendStart = oldLength;
        if (deletion && mark.state == journal::State::Cutting) {
            QByteArray atNewEnd;
            if (whole >= oldLength)
                KEMORO_TRY(io.read(File::Results, newLength, record::size, atNewEnd), File::Results);
            const bool fillerThere = atNewEnd.size() == record::size && journal::isFiller(atNewEnd.constData());
            appendStart = fillerThere ? oldLength : newLength;
        }

        const QByteArray newRecords = deletion ? body.mid(record::size) : body.mid(record::size, record::size);
        if (!newRecords.isEmpty())
            KEMORO_TRY(io.write(File::Results, k * record::size, newRecords), File::Results);
        if (deletion && appendStart == oldLength)
            KEMORO_TRY(io.write(File::Results, newLength, journal::filler()), File::Results);
        step("records-written");
        KEMORO_TRY(io.flush(File::Results), File::Results);
        step("records-flushed");

        const qint64 appended = std::max<qint64>(0, whole - appendStart);
        if (deletion && appendStart == oldLength && appended > 0) {
            QByteArray tail;
            KEMORO_TRY(io.read(File::Results, newLength, whole - newLength, tail), File::Results);
            if (tail.size() != whole - newLength)
                return IoFailure{File::Results, 0};
            journal::Mark second;
            second.sequence = mark.sequence + 1;
            second.state = journal::State::Journalled;
            second.operation = journal::Operation::Delete;
            second.record = newLength / record::size;
            second.oldLength = whole;
            second.bodySlot = std::max<qint64>(journal::firstBodySlot, (journalSize + slot - 1) / slot);
            KEMORO_TRY(io.write(File::Journal, second.bodySlot * slot, tail), File::Journal);
            const int other = 1 - markIndex;
            KEMORO_TRY(io.write(File::Journal, journal::markSlots[other] * slot, journal::encodeMark(second, tail)),
                       File::Journal);
            step("filler-journalled");
            KEMORO_TRY(io.flush(File::Journal), File::Journal);
            step("filler-journal-flushed");
            ++recovery.fillersRemoved;
            journalSize = (second.bodySlot * slot) + tail.size();
            mark = second;
            markIndex = other;
            body = tail;
            continue;
        }

        if (deletion && appendStart == oldLength) {
            if (mark.state != journal::State::Cutting) {
                journal::Mark cutting = mark;
                cutting.sequence = mark.sequence + 1;
                cutting.state = journal::State::Cutting;
                const int other = 1 - markIndex;
                KEMORO_TRY(
                    io.write(File::Journal, journal::markSlots[other] * slot, journal::encodeMark(cutting, body)),
                    File::Journal);
                step("cutting-written");
                KEMORO_TRY(io.flush(File::Journal), File::Journal);
                step("cutting-flushed");
            }
            KEMORO_TRY(io.resize(File::Results, newLength), File::Results);
            step("cut");
            KEMORO_TRY(io.flush(File::Results), File::Results);
            step("cut-flushed");
        } else if (!deletion && whole == oldLength && size > whole) {
            // A torn append's tail goes with the correction, as with a deletion.
            KEMORO_TRY(io.resize(File::Results, whole), File::Results);
            KEMORO_TRY(io.flush(File::Results), File::Results);
        }
        break;
    }
    KEMORO_TRY(io.removeJournal(), File::Journal);
    step("journal-removed");
    return std::nullopt;
}

// Whether the result file is the one the journal was written for. Until the
// journal is removed only this rewrite changed the region from the first
// changed record on, and only towards the new contents; whatever a crash kept,
// each byte there is the old one or the new one. Appends only ever add.
std::optional<IoFailure> fitsJournal(RecordIo &io, const journal::Mark &mark, const QByteArray &body, bool &fits)
{
    fits = false;
    qint64 size = 0;
    KEMORO_TRY(io.size(File::Results, size), File::Results);
    const qint64 whole = size - size % record::size;
    const bool deletion = mark.operation == journal::Operation::Delete;
    const qint64 start = mark.record * record::size;
    const QByteArray newImage = deletion ? body.mid(record::size) + journal::filler() : body.mid(record::size);
    const QByteArray oldImage = body.left(newImage.size());
    qint64 end = start + oldImage.size();
    if (deletion && mark.state == journal::State::Cutting) {
        // Once the cut may have happened, only the filler tells whether the
        // slot past the new end is still the rewrite's or already an append.
        QByteArray atNewEnd;
        if (whole > mark.newLength())
            KEMORO_TRY(io.read(File::Results, mark.newLength(), record::size, atNewEnd), File::Results);
        if (atNewEnd.size() != record::size || !journal::isFiller(atNewEnd.constData()))
            end = mark.newLength();
    }
    if (whole < end)
        return std::nullopt;
    QByteArray now;
    KEMORO_TRY(io.read(File::Results, start, end - start, now), File::Results);
    if (now.size() != end - start)
        return std::nullopt;
    for (qsizetype i = 0; i < now.size(); ++i)
        if (now[i] != oldImage[i] && now[i] != newImage[i])
            return std::nullopt;
    fits = true;
    return std::nullopt;
}

std::optional<IoFailure> recoverWith(RecordIo &io, Recovery &recovery)
{
    bool exists = false;
    KEMORO_TRY(io.journalExists(exists), File::Journal);
    if (!exists)
        return std::nullopt;
    recovery.journalFound = true;
    qint64 size = 0;
    KEMORO_TRY(io.size(File::Journal, size), File::Journal);
    QByteArray bytes;
    KEMORO_TRY(io.read(File::Journal, 0, size, bytes), File::Journal);
    const journal::Inspection found = journal::inspect(bytes);
    const Steps step(true);
    switch (found.kind) {
    case journal::Kind::Foreign:
        recovery.foreignJournal = true;
        return std::nullopt;
    case journal::Kind::Empty:
    case journal::Kind::Unmarked:
        // No valid mark: the result file was never touched by it.
        KEMORO_TRY(io.removeJournal(), File::Journal);
        step("journal-dropped");
        return std::nullopt;
    case journal::Kind::Marked:
        break;
    }
    const journal::Mark &m = found.mark;
    const QByteArray body = bytes.mid(m.bodySlot * slot, m.bodyRecords() * slot);
    bool fits = false;
    if (auto failure = fitsJournal(io, m, body, fits))
        return failure;
    if (!fits) {
        KEMORO_TRY(io.setJournalAside(recovery.asidePath), File::Journal);
        recovery.setAside = true;
        step("journal-set-aside");
        return std::nullopt;
    }
    if (auto failure = finish(io, m, found.markIndex, body, bytes.size(), step, recovery))
        return failure;
    recovery.finished = true;
    return std::nullopt;
}

} // namespace

std::optional<IoFailure> recover(RecordIo &io, Recovery &recovery)
{
    return recoverWith(io, recovery);
}

std::optional<IoFailure> apply(RecordIo &io, const RecordEdit &edit, RewriteOutcome &outcome, Recovery &recovery)
{
    recovery = Recovery();
    if (auto failure = recoverWith(io, recovery))
        return failure;
    if (recovery.foreignJournal) {
        outcome = RewriteOutcome::ForeignJournal;
        return std::nullopt;
    }

    qint64 size = 0;
    KEMORO_TRY(io.size(File::Results, size), File::Results);
    const qint64 whole = size - size % record::size;
    const qint64 k = edit.record;
    outcome = RewriteOutcome::Changed;
    if (k < 0 || (k + 1) * record::size > whole)
        return std::nullopt;
    const bool deletion = edit.kind == RecordEdit::Kind::Delete;
    QByteArray old;
    KEMORO_TRY(io.read(File::Results, k * record::size, deletion ? whole - k * record::size : record::size, old),
               File::Results);
    if (old.size() < record::size || old.left(record::size) != edit.expected)
        return std::nullopt;
    if (!deletion && edit.replacement.size() != record::size)
        return std::nullopt;

    journal::Mark mark;
    mark.sequence = 1;
    mark.state = journal::State::Journalled;
    mark.operation = deletion ? journal::Operation::Delete : journal::Operation::Replace;
    mark.record = k;
    mark.oldLength = whole;
    mark.bodySlot = journal::firstBodySlot;
    const QByteArray body = deletion ? old : old.left(record::size) + edit.replacement;

    const Steps step(false);
    KEMORO_TRY(io.createJournal(), File::Journal);
    step("journal-created");
    QByteArray journalBytes = journal::header();
    journalBytes += journal::encodeMark(mark, body);
    journalBytes += QByteArray(slot, '\0');
    journalBytes += body;
    KEMORO_TRY(io.write(File::Journal, 0, journalBytes), File::Journal);
    step("journal-written");
    KEMORO_TRY(io.flush(File::Journal), File::Journal);
    step("journal-flushed");
    if (auto failure = finish(io, mark, 0, body, journalBytes.size(), step, recovery))
        return failure;
    outcome = RewriteOutcome::Done;
    return std::nullopt;
}

void setStepHook(std::function<void(const QString &step)> hook) { stepHook() = std::move(hook); }
void setIoWrapper(IoWrapper wrapper) { wrapperSlot() = std::move(wrapper); }
const IoWrapper &ioWrapper() { return wrapperSlot(); }

} // namespace kemoro::rewrite
