#include "results/rewrite.h"

#include <algorithm>

namespace kemoro::rewrite {

namespace {

std::function<void(const std::string &)> &stepHook()
{
    static std::function<void(const std::string &)> hook;
    return hook;
}

IoWrapper &wrapperSlot()
{
    static IoWrapper wrapper;
    return wrapper;
}

using File = RecordIo::File;
constexpr std::int64_t slot = journal::slot;

std::int64_t sizeOf(const Bytes &bytes);

// Part of `bytes` from `at`, at most `n` bytes (to the end when negative);
// empty past the end.
Bytes mid(const Bytes &bytes, std::int64_t at, std::int64_t n = -1)
{
    if (at >= std::int64_t(bytes.size())) return Bytes();
    return bytes.substr(size_t(at), n < 0 ? Bytes::npos : size_t(n));
}
std::int64_t sizeOf(const Bytes &bytes)
{
    return std::int64_t(bytes.size());
}

class Steps
{
public:
    explicit Steps(bool recovering) : m_prefix(recovering ? "recover:" : "") {}
    void operator()(const char *name) const
    {
        if (stepHook()) stepHook()(m_prefix + name);
    }

private:
    std::string m_prefix;
};

#define KEMORO_TRY(call, file)                                                                               \
    do {                                                                                                     \
        if (!(call)) return IoFailure{file, io.error()};                                                     \
    } while (false)

// Where appends after a crash begin: past the old end until the cut, past the
// new end after it. Once a deletion's cut may have happened (its Cutting
// state), only the filler past the new end tells the two apart.
std::optional<IoFailure> appendStartOf(RecordIo &io, const journal::Mark &mark, std::int64_t whole,
                                       std::int64_t &appendStart)
{
    appendStart = mark.oldLength;
    if (mark.operation != journal::Operation::Delete || mark.state != journal::State::Cutting)
        return std::nullopt;
    Bytes atNewEnd;
    if (whole >= mark.oldLength)
        KEMORO_TRY(io.read(File::Results, mark.newLength(), record::size, atNewEnd), File::Results);
    const bool fillerThere = sizeOf(atNewEnd) == record::size && journal::isFiller(atNewEnd.data());
    appendStart = fillerThere ? mark.oldLength : mark.newLength();
    return std::nullopt;
}

// Step 4 of a rewrite, for a fresh one and for a recovery alike: the new
// records, the filler, the cut. Records that other computers appended after a
// crash are never overwritten; when they sit behind the filler, the filler is
// taken out at once by a second journalled deletion of its slot, because a
// filler left behind would shift the list positions other record screens use.
std::optional<IoFailure> finish(RecordIo &io, journal::Mark mark, int markIndex, Bytes body,
                                std::int64_t journalSize, const Steps &step, Recovery &recovery)
{
    for (;;) {
        const std::int64_t k = mark.record;
        const std::int64_t oldLength = mark.oldLength;
        const std::int64_t newLength = mark.newLength();
        const bool deletion = mark.operation == journal::Operation::Delete;
        std::int64_t size = 0;
        KEMORO_TRY(io.size(File::Results, size), File::Results);
        const std::int64_t whole = size - size % record::size;

        std::int64_t appendStart = oldLength;
        if (auto failure = appendStartOf(io, mark, whole, appendStart)) return failure;

        const Bytes newRecords = deletion ? mid(body, record::size) : mid(body, record::size, record::size);
        if (!newRecords.empty())
            KEMORO_TRY(io.write(File::Results, k * record::size, newRecords), File::Results);
        if (deletion && appendStart == oldLength)
            KEMORO_TRY(io.write(File::Results, newLength, journal::filler()), File::Results);
        step("records-written");
        KEMORO_TRY(io.flush(File::Results), File::Results);
        step("records-flushed");

        const std::int64_t appended = std::max<std::int64_t>(0, whole - appendStart);
        if (deletion && appendStart == oldLength && appended > 0) {
            Bytes tail;
            KEMORO_TRY(io.read(File::Results, newLength, whole - newLength, tail), File::Results);
            if (sizeOf(tail) != whole - newLength) return IoFailure{File::Results, 0};
            journal::Mark second;
            second.sequence = mark.sequence + 1;
            second.state = journal::State::Journalled;
            second.operation = journal::Operation::Delete;
            second.record = newLength / record::size;
            second.oldLength = whole;
            second.bodySlot = std::max<std::int64_t>(journal::firstBodySlot, (journalSize + slot - 1) / slot);
            KEMORO_TRY(io.write(File::Journal, second.bodySlot * slot, tail), File::Journal);
            const int other = 1 - markIndex;
            KEMORO_TRY(
                io.write(File::Journal, journal::markSlots[other] * slot, journal::encodeMark(second, tail)),
                File::Journal);
            step("filler-journalled");
            KEMORO_TRY(io.flush(File::Journal), File::Journal);
            step("filler-journal-flushed");
            ++recovery.fillersRemoved;
            journalSize = (second.bodySlot * slot) + sizeOf(tail);
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
                KEMORO_TRY(io.write(File::Journal, journal::markSlots[other] * slot,
                                    journal::encodeMark(cutting, body)),
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
std::optional<IoFailure> fitsJournal(RecordIo &io, const journal::Mark &mark, const Bytes &body, bool &fits)
{
    fits = false;
    std::int64_t size = 0;
    KEMORO_TRY(io.size(File::Results, size), File::Results);
    const std::int64_t whole = size - size % record::size;
    const bool deletion = mark.operation == journal::Operation::Delete;
    const std::int64_t start = mark.record * record::size;
    const Bytes newImage = deletion ? mid(body, record::size) + journal::filler() : mid(body, record::size);
    const Bytes oldImage = mid(body, 0, sizeOf(newImage));
    // A deletion's region ends where the appends after a crash begin.
    std::int64_t end = start + sizeOf(oldImage);
    if (deletion) {
        if (auto failure = appendStartOf(io, mark, whole, end)) return failure;
    }
    if (whole < end) return std::nullopt;
    Bytes now;
    KEMORO_TRY(io.read(File::Results, start, end - start, now), File::Results);
    if (sizeOf(now) != end - start) return std::nullopt;
    for (size_t i = 0; i < now.size(); ++i)
        if (now[i] != oldImage[i] && now[i] != newImage[i]) return std::nullopt;
    fits = true;
    return std::nullopt;
}

std::optional<IoFailure> recoverWith(RecordIo &io, Recovery &recovery)
{
    bool exists = false;
    KEMORO_TRY(io.journalExists(exists), File::Journal);
    if (!exists) return std::nullopt;
    recovery.journalFound = true;
    std::int64_t size = 0;
    KEMORO_TRY(io.size(File::Journal, size), File::Journal);
    Bytes bytes;
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
    const Bytes body = mid(bytes, m.bodySlot * slot, m.bodyRecords() * slot);
    bool fits = false;
    if (auto failure = fitsJournal(io, m, body, fits)) return failure;
    if (!fits) {
        KEMORO_TRY(io.setJournalAside(recovery.asidePath), File::Journal);
        recovery.setAside = true;
        step("journal-set-aside");
        return std::nullopt;
    }
    if (auto failure = finish(io, m, found.markIndex, body, sizeOf(bytes), step, recovery)) return failure;
    recovery.finished = true;
    return std::nullopt;
}

} // namespace

std::optional<IoFailure> recover(RecordIo &io, Recovery &recovery)
{
    return recoverWith(io, recovery);
}

std::optional<IoFailure> apply(RecordIo &io, const RecordEdit &edit, RewriteOutcome &outcome,
                               Recovery &recovery)
{
    recovery = Recovery();
    if (auto failure = recoverWith(io, recovery)) return failure;
    if (recovery.foreignJournal) {
        outcome = RewriteOutcome::ForeignJournal;
        return std::nullopt;
    }

    std::int64_t size = 0;
    KEMORO_TRY(io.size(File::Results, size), File::Results);
    const std::int64_t whole = size - size % record::size;
    const std::int64_t k = edit.record;
    outcome = RewriteOutcome::Changed;
    if (k < 0 || (k + 1) * record::size > whole) return std::nullopt;
    const bool deletion = edit.kind == RecordEdit::Kind::Delete;
    Bytes old;
    KEMORO_TRY(
        io.read(File::Results, k * record::size, deletion ? whole - k * record::size : record::size, old),
        File::Results);
    if (sizeOf(old) < record::size || mid(old, 0, record::size) != edit.expected) return std::nullopt;
    if (!deletion && sizeOf(edit.replacement) != record::size) return std::nullopt;

    journal::Mark mark;
    mark.sequence = 1;
    mark.state = journal::State::Journalled;
    mark.operation = deletion ? journal::Operation::Delete : journal::Operation::Replace;
    mark.record = k;
    mark.oldLength = whole;
    mark.bodySlot = journal::firstBodySlot;
    const Bytes body = deletion ? old : mid(old, 0, record::size) + edit.replacement;

    const Steps step(false);
    KEMORO_TRY(io.createJournal(), File::Journal);
    step("journal-created");
    Bytes journalBytes = journal::header();
    journalBytes += journal::encodeMark(mark, body);
    journalBytes += Bytes(size_t(slot), '\0');
    journalBytes += body;
    KEMORO_TRY(io.write(File::Journal, 0, journalBytes), File::Journal);
    step("journal-written");
    KEMORO_TRY(io.flush(File::Journal), File::Journal);
    step("journal-flushed");
    if (auto failure = finish(io, mark, 0, body, sizeOf(journalBytes), step, recovery)) return failure;
    outcome = RewriteOutcome::Done;
    return std::nullopt;
}

void setStepHook(std::function<void(const std::string &step)> hook)
{
    stepHook() = std::move(hook);
}
void setIoWrapper(IoWrapper wrapper)
{
    wrapperSlot() = std::move(wrapper);
}
const IoWrapper &ioWrapper()
{
    return wrapperSlot();
}

} // namespace kemoro::rewrite
