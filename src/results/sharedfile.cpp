#include "results/sharedfile.h"

#include "results/memoryrecordio.h"

#include <algorithm>
#include <memory>

namespace kemoro::shared {

namespace {

using os::FileType;
using os::RawFile;

Failure failure(const std::string &path, int code, Failure::Kind kind = Failure::Kind::Failed)
{
    Failure f;
    f.kind = kind;
    f.path = path;
    f.code = code;
    return f;
}

Failure wrongType(const std::string &path, FileType type)
{
    Failure f;
    f.kind = Failure::Kind::WrongType;
    f.path = path;
    f.type = type;
    return f;
}

// The folder of `path`, "." for a bare name.
std::string folderOf(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, std::max<size_t>(slash, 1));
}

bool folderExists(const std::string &path)
{
    int code = 0;
    return os::typeAt(folderOf(path), code) == FileType::Directory;
}

// Runs one step of a recipe on `file`: a busy call is tried again after
// waiting a second, without limit unless the wait gives up.
template <typename Op>
std::optional<Failure> retrying(RawFile &file, const std::string &path, const os::Wait &wait, Op op)
{
    for (;;) {
        if (op()) return std::nullopt;
        const int code = file.error();
        if (!os::isBusy(code)) return failure(path, code);
        if (!wait || !wait(1)) return failure(path, code, Failure::Kind::Busy);
    }
}

// Opens the result file for writing (created when missing) or for reading.
// A folder, pipe or device in its place is refused by name. A reader that
// finds no file in an existing folder gets `missing` set and no open file:
// readers never create the file.
std::optional<Failure> openResults(RawFile &file, const std::string &path, bool forWriting,
                                   const os::Wait &wait, bool *missing = nullptr)
{
    for (;;) {
        if (file.open(path, forWriting ? RawFile::Open::ReadWriteCreate : RawFile::Open::Read)) {
            const FileType type = file.type();
            if (type == FileType::Regular) return std::nullopt;
            file.close();
            return wrongType(path, type);
        }
        const int code = file.error();
        int statCode = 0;
        const FileType there = os::typeAt(path, statCode);
        if (there == FileType::Directory || there == FileType::Fifo || there == FileType::Device)
            return wrongType(path, there);
        if (missing && os::isMissing(code) && folderExists(path)) {
            *missing = true;
            return std::nullopt;
        }
        // Windows refuses an open while another program's handle does not
        // share the file.
        if (os::isBusy(code)) {
            if (!wait || !wait(1)) return failure(path, code, Failure::Kind::Busy);
            continue;
        }
        // A missing folder (a share that is not mounted) is told apart from a
        // missing file, which only readers meet.
        if (os::isMissing(code) && !folderExists(path)) return failure(path, code, Failure::Kind::NotFound);
        return failure(path, code);
    }
}

// The locked result file and its journal as the rewrite sees them. The
// result file is only ever reached through the handle that holds the lock.
class OsRecordIo final : public RecordIo
{
public:
    OsRecordIo(RawFile &results, std::string journalPath)
        : m_results(results), m_journalPath(std::move(journalPath))
    {
    }

    bool size(File file, std::int64_t &size) override
    {
        RawFile *f = handle(file);
        return f && keep(*f, f->size(size));
    }
    bool read(File file, std::int64_t offset, std::int64_t count, Bytes &out) override
    {
        RawFile *f = handle(file);
        if (!f) return false;
        out.resize(size_t(count));
        std::int64_t done = 0;
        if (!keep(*f, f->readAll(out.data(), count, offset, done))) return false;
        out.resize(size_t(done));
        return true;
    }
    bool write(File file, std::int64_t offset, const Bytes &data) override
    {
        RawFile *f = handle(file);
        return f && keep(*f, f->writeAll(data.data(), std::int64_t(data.size()), offset));
    }
    bool resize(File file, std::int64_t size) override
    {
        RawFile *f = handle(file);
        return f && keep(*f, f->truncate(size));
    }
    bool flush(File file) override
    {
        RawFile *f = handle(file);
        return f && keep(*f, f->flush());
    }
    bool journalExists(bool &exists) override
    {
        if (m_journal.isOpen()) {
            exists = true;
            return true;
        }
        int code = 0;
        const FileType type = os::typeAt(m_journalPath, code);
        exists = type != FileType::None;
        if (type == FileType::Unreachable) m_error = code;
        return type != FileType::Unreachable;
    }
    bool createJournal() override
    {
        m_journal.close();
        return keep(m_journal, m_journal.create(m_journalPath));
    }
    bool removeJournal() override
    {
        m_journal.close();
        return os::removeFile(m_journalPath, m_error);
    }
    bool setJournalAside(std::string &newPath) override
    {
        m_journal.close();
        newPath = journal::asidePath(m_journalPath, [](const std::string &p) {
            int code = 0;
            return os::typeAt(p, code) != FileType::None;
        });
        return os::renameNoReplace(m_journalPath, newPath, m_error);
    }
    int error() const override { return m_error; }

private:
    RawFile *handle(File file)
    {
        if (file == File::Results) return &m_results;
        if (!m_journal.isOpen()) {
            if (!m_journal.open(m_journalPath, RawFile::Open::ReadWrite)) {
                m_error = m_journal.error();
                return nullptr;
            }
            if (m_journal.type() != FileType::Regular) {
                // Never read from a pipe or device: it could hang the lock's holder.
                m_journal.close();
                m_error = 0;
                return nullptr;
            }
        }
        return &m_journal;
    }
    bool keep(const RawFile &f, bool ok)
    {
        if (!ok) m_error = f.error();
        return ok;
    }

    RawFile &m_results;
    RawFile m_journal;
    std::string m_journalPath;
    int m_error = 0;
};

// Runs a rewrite step on the locked file, through the test wrapper if one is set.
template <typename Step>
std::optional<Failure> onRecordIo(RawFile &locked, const std::string &path, const std::string &journalPath,
                                  Step step)
{
    OsRecordIo io(locked, journalPath);
    std::unique_ptr<RecordIo> wrapped;
    RecordIo *use = &io;
    if (const rewrite::IoWrapper &wrap = rewrite::ioWrapper()) {
        wrapped = wrap(io);
        use = wrapped.get();
    }
    if (const std::optional<rewrite::IoFailure> f = step(*use))
        return failure(f->file == RecordIo::File::Results ? path : journalPath, f->code);
    return std::nullopt;
}

bool journalThere(const std::string &journalPath)
{
    int code = 0;
    return os::typeAt(journalPath, code) == FileType::Regular;
}

// Reads the last `maxRecords` whole records through the locked file; a file
// cut short since the size was taken (by a program that does not lock) ends
// the read there.
// The counts of a window of the last `maxRecords` whole records (all when
// negative) of a file of `size` bytes; returns how many bytes it holds.
std::int64_t frame(Window &window, std::int64_t size, std::int64_t maxRecords)
{
    window.totalRecords = size / record::size;
    window.tailBytes = size % record::size;
    window.firstRecord = maxRecords < 0 ? 0 : std::max<std::int64_t>(0, window.totalRecords - maxRecords);
    return (window.totalRecords - window.firstRecord) * record::size;
}

std::optional<Failure> readRecords(RawFile &file, const std::string &path, const os::Wait &wait,
                                   std::int64_t maxRecords, Window &window)
{
    std::int64_t end = 0;
    if (auto error = retrying(file, path, wait, [&] { return file.size(end); })) return error;
    const std::int64_t wanted = frame(window, end, maxRecords);
    window.bytes.resize(size_t(wanted));
    std::int64_t done = 0;
    if (auto error = retrying(file, path, wait, [&] {
            return file.readAll(window.bytes.data(), wanted, window.firstRecord * record::size, done);
        }))
        return error;
    if (done < wanted) {
        window.bytes.resize(size_t(done - done % record::size));
        window.totalRecords = window.firstRecord + std::int64_t(window.bytes.size()) / record::size;
    }
    return std::nullopt;
}

// Every byte of the file, the tail of a torn append included: recovery
// looks at the exact size.
std::optional<Failure> readWhole(RawFile &file, const std::string &path, Bytes &bytes)
{
    std::int64_t end = 0;
    if (!file.size(end)) return failure(path, file.error());
    bytes.resize(size_t(end));
    std::int64_t done = 0;
    if (!file.readAll(bytes.data(), end, 0, done)) return failure(path, file.error());
    bytes.resize(size_t(done));
    return std::nullopt;
}

void windowOf(const Bytes &bytes, std::int64_t maxRecords, Window &window)
{
    const std::int64_t wanted = frame(window, std::int64_t(bytes.size()), maxRecords);
    window.bytes = bytes.substr(size_t(window.firstRecord * record::size), size_t(wanted));
}

JournalFinding::Kind findingOf(const rewrite::Recovery &recovery)
{
    if (recovery.foreignJournal) return JournalFinding::Kind::Foreign;
    if (recovery.setAside) return JournalFinding::Kind::NotForThisFile;
    if (recovery.finished) return JournalFinding::Kind::Pending;
    return recovery.journalFound ? JournalFinding::Kind::Unmarked : JournalFinding::Kind::None;
}

// Takes the exclusive lock on the result file (created when missing), runs
// `work` and unlocks explicitly: a lock left to the close is freed late on
// Windows.
template <typename Work>
std::optional<Failure> underLock(const std::string &path, const os::Wait &wait, Work work)
{
    RawFile file;
    if (auto error = openResults(file, path, true, wait)) return error;
    if (auto error = retrying(file, path, wait, [&] { return file.tryLock(RawFile::Lock::Exclusive); }))
        return error;
    const std::optional<Failure> error = work(file);
    const std::optional<Failure> unlockError = retrying(file, path, wait, [&] { return file.unlock(); });
    return error ? error : unlockError;
}

} // namespace

std::optional<Failure> journalInTheWay(const std::string &journalPath)
{
    int code = 0;
    const FileType type = os::typeAt(journalPath, code);
    if (type == FileType::None || type == FileType::Regular) return std::nullopt;
    if (type == FileType::Unreachable) return failure(journalPath, code);
    return wrongType(journalPath, type);
}

SharedFile::SharedFile(std::string path, Access access) : m_path(std::move(path)), m_access(access) {}

std::string SharedFile::journalPath() const
{
    return journal::pathFor(m_path);
}

std::optional<Failure> SharedFile::rewrite(const RecordEdit &edit, const os::Wait &wait,
                                           RewriteOutcome &outcome, rewrite::Recovery &recovery)
{
    outcome = RewriteOutcome::Changed;
    recovery = rewrite::Recovery();
    if (m_access == Access::ReadOnly) return failure(m_path, 0);
    if (auto error = journalInTheWay(journalPath())) return error;
    return underLock(m_path, wait, [&](RawFile &locked) {
        return onRecordIo(locked, m_path, journalPath(),
                          [&](RecordIo &io) { return rewrite::apply(io, edit, outcome, recovery); });
    });
}

std::optional<Failure> SharedFile::recover(const os::Wait &wait, rewrite::Recovery &recovery)
{
    recovery = rewrite::Recovery();
    if (m_access == Access::ReadOnly) return failure(m_path, 0);
    if (auto error = journalInTheWay(journalPath())) return error;
    return underLock(m_path, wait, [&](RawFile &locked) {
        return onRecordIo(locked, m_path, journalPath(),
                          [&](RecordIo &io) { return rewrite::recover(io, recovery); });
    });
}

std::optional<Failure> SharedFile::append(const char *rec, const os::Wait &wait, rewrite::Recovery &recovery,
                                          std::optional<Failure> &recoveryFailure)
{
    recovery = rewrite::Recovery();
    recoveryFailure = journalInTheWay(journalPath());
    if (m_access == Access::ReadOnly) return failure(m_path, 0);
    const bool recoverable = !recoveryFailure;
    return underLock(m_path, wait, [&](RawFile &locked) -> std::optional<Failure> {
        // A pupil's record outranks the recovery: whatever it reports, the
        // record is appended, and the next taker of the lock tries again.
        if (recoverable && journalThere(journalPath()))
            recoveryFailure = onRecordIo(locked, m_path, journalPath(),
                                         [&](RecordIo &io) { return rewrite::recover(io, recovery); });
        std::int64_t end = 0;
        if (auto failed = retrying(locked, m_path, wait, [&] { return locked.size(end); })) return failed;
        // A torn tail from an append cut off by a crash is overwritten.
        const std::int64_t offset = end - end % record::size;
        if (auto failed =
                retrying(locked, m_path, wait, [&] { return locked.writeAll(rec, record::size, offset); }))
            return failed;
        // On the disk before the lock goes, or another computer may read past it.
        return retrying(locked, m_path, wait, [&] { return locked.flush(); });
    });
}

std::optional<Failure> SharedFile::read(std::int64_t maxRecords, const os::Wait &wait, Window &window,
                                        JournalFinding &finding, rewrite::Recovery &recovered,
                                        std::optional<Failure> &recoveryFailure)
{
    const std::string journal = journalPath();
    recovered = rewrite::Recovery();
    recoveryFailure.reset();
    bool triedRecovery = false;
    for (;;) {
        window = Window();
        finding = JournalFinding();
        RawFile file;
        if (auto error = openResults(file, m_path, false, wait, &window.missing)) return error;
        if (window.missing) return std::nullopt;
        if (auto error = retrying(file, m_path, wait, [&] { return file.tryLock(RawFile::Lock::Shared); }))
            return error;

        // While this shared lock is held no rewrite runs: a journal there now
        // was left by a crash, or is not this program's.
        int code = 0;
        const FileType journalType = os::typeAt(journal, code);
        std::optional<Failure> error;
        if (journalType == FileType::Regular && m_access == Access::Program && !triedRecovery) {
            (void)file.unlock();
            file.close(); // before the exclusive lock: closing a descriptor drops a process's locks
            triedRecovery = true;
            // A failure is told to the caller; the read goes on with the file as it is.
            recoveryFailure = recover(wait, recovered);
            continue;
        }
        if (journalType == FileType::Regular && m_access == Access::ReadOnly) {
            // The result file only through the locked handle.
            Bytes results, journalBytes;
            error = readWhole(file, m_path, results);
            RawFile journalFile;
            std::optional<Failure> journalError;
            if (!journalFile.open(journal, RawFile::Open::Read))
                journalError = failure(journal, journalFile.error());
            else if (journalFile.type() != FileType::Regular)
                journalError = wrongType(journal, journalFile.type());
            else
                journalError = readWhole(journalFile, journal, journalBytes);
            if (!error && journalError) {
                finding.kind = JournalFinding::Kind::Unreadable;
                finding.code = journalError->code;
                windowOf(results, maxRecords, window);
            } else if (!error) {
                MemoryRecordIo io(results, journalBytes);
                rewrite::Recovery recovery;
                if (!rewrite::recover(io, recovery)) {
                    finding.kind = findingOf(recovery);
                    windowOf(io.results(), maxRecords, window);
                } else {
                    finding.kind = JournalFinding::Kind::Unreadable;
                    windowOf(results, maxRecords, window);
                }
            }
        } else {
            if (journalType == FileType::Regular) {
                // The recovery ran and left it: another program's file, or
                // one it could not finish.
                finding.kind = JournalFinding::Kind::Foreign;
            } else if (journalType == FileType::Unreachable) {
                finding.kind = JournalFinding::Kind::Unreadable;
                finding.code = code;
            } else if (journalType != FileType::None) {
                finding.kind = JournalFinding::Kind::NotAFile;
                finding.type = journalType;
            }
            error = readRecords(file, m_path, wait, maxRecords, window);
        }
        const std::optional<Failure> unlockError =
            retrying(file, m_path, wait, [&] { return file.unlock(); });
        return error ? error : unlockError;
    }
}

} // namespace kemoro::shared
