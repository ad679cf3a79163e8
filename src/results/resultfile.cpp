#include "results/resultfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace kemoro {

QString ResultFileError::appendMessage() const
{
    return u"成績ランダムファイル記録"_s + description;
}

namespace {

// The few system calls the append recipe needs, one set per platform. Each
// returns false (or -1) and leaves the error in lastError() on failure.
namespace os {
#ifdef Q_OS_WIN
using Handle = HANDLE;
const Handle invalid = INVALID_HANDLE_VALUE;
int lastError() { return int(GetLastError()); }
bool isInterrupted(int) { return false; }
// Another computer's lock (33) or a handle opened without sharing (32).
bool isBusy(int code) { return code == ERROR_LOCK_VIOLATION || code == ERROR_SHARING_VIOLATION; }
bool isMissing(int code) { return code == ERROR_FILE_NOT_FOUND; }
Handle open(const QString &path, bool write)
{
    const QString native = QDir::toNativeSeparators(path);
    return CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()), write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
OVERLAPPED at(qint64 offset)
{
    OVERLAPPED ov{};
    ov.Offset = DWORD(quint64(offset) & 0xffffffffu);
    ov.OffsetHigh = DWORD(quint64(offset) >> 32);
    return ov;
}
bool lockWhole(Handle h)
{
    OVERLAPPED ov = at(0);
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &ov);
}
bool unlockWhole(Handle h)
{
    OVERLAPPED ov = at(0);
    return UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &ov);
}
bool seekEnd(Handle h, qint64 &end)
{
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(h, zero, &pos, FILE_END))
        return false;
    end = pos.QuadPart;
    return true;
}
qint64 writeAt(Handle h, const char *data, qint64 n, qint64 offset)
{
    OVERLAPPED ov = at(offset);
    DWORD done = 0;
    return WriteFile(h, data, DWORD(n), &done, &ov) ? qint64(done) : -1;
}
qint64 readAt(Handle h, char *data, qint64 n, qint64 offset)
{
    OVERLAPPED ov = at(offset);
    DWORD done = 0;
    if (ReadFile(h, data, DWORD(std::min<qint64>(n, 1 << 30)), &done, &ov))
        return qint64(done);
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}
bool flush(Handle h) { return FlushFileBuffers(h); }
void close(Handle h) { CloseHandle(h); }
bool resize(Handle h, qint64 size)
{
    LARGE_INTEGER to{};
    to.QuadPart = size;
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}
Handle openJournal(const QString &path, bool create)
{
    const QString native = QDir::toNativeSeparators(path);
    return CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
bool removeFile(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    return DeleteFileW(reinterpret_cast<LPCWSTR>(native.utf16())) || GetLastError() == ERROR_FILE_NOT_FOUND;
}
#else
using Handle = int;
const Handle invalid = -1;
int lastError() { return errno; }
bool isInterrupted(int code) { return code == EINTR; }
// fcntl reports another process's lock as EAGAIN or EACCES; a cifs mount
// refuses I/O under another computer's lock with EACCES.
bool isBusy(int code) { return code == EAGAIN || code == EACCES; }
bool isMissing(int code) { return code == ENOENT; }
Handle open(const QString &path, bool write)
{
    // Never O_APPEND: on network file systems the client only simulates it.
    return ::open(QFile::encodeName(path).constData(), (write ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0666);
}
bool setLock(Handle h, short type)
{
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // to the largest offset, so it overlaps any range another writer locks
    return ::fcntl(h, F_SETLK, &fl) == 0;
}
bool lockWhole(Handle h) { return setLock(h, F_WRLCK); }
bool unlockWhole(Handle h) { return setLock(h, F_UNLCK); }
bool seekEnd(Handle h, qint64 &end)
{
    // A seek on the handle asks the server again; fstat may answer from a cache.
    const off_t pos = ::lseek(h, 0, SEEK_END);
    end = qint64(pos);
    return pos >= 0;
}
qint64 writeAt(Handle h, const char *data, qint64 n, qint64 offset)
{
    return qint64(::pwrite(h, data, size_t(n), off_t(offset)));
}
qint64 readAt(Handle h, char *data, qint64 n, qint64 offset)
{
    return qint64(::pread(h, data, size_t(std::min<qint64>(n, 1 << 30)), off_t(offset)));
}
bool flush(Handle h) { return ::fsync(h) == 0; }
void close(Handle h) { ::close(h); }
bool resize(Handle h, qint64 size) { return ::ftruncate(h, off_t(size)) == 0; }
Handle openJournal(const QString &path, bool create)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_TRUNC : 0), 0666);
}
bool removeFile(const QString &path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
}
#endif
} // namespace os

class Handle
{
public:
    explicit Handle(os::Handle h) : m_h(h) {}
    ~Handle()
    {
        if (m_h != os::invalid)
            os::close(m_h);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    os::Handle get() const { return m_h; }

private:
    os::Handle m_h;
};

ResultFileError failure(const QString &path, int code, ResultFileError::Kind kind = ResultFileError::Kind::Failed)
{
    return {kind, path, code, qt_error_string(code)};
}

// Runs one step of the recipe: an interrupted call is repeated at once, a
// busy one after waiting a second, without limit unless the wait gives up.
template<typename Op>
std::optional<ResultFileError> retrying(const QString &path, const WaitFunction &wait, Op op)
{
    for (;;) {
        if (op())
            return std::nullopt;
        const int code = os::lastError();
        if (os::isInterrupted(code))
            continue;
        if (!os::isBusy(code))
            return failure(path, code);
        if (!wait || !wait(1))
            return failure(path, code, ResultFileError::Kind::Busy);
    }
}

std::optional<ResultFileError> openFailure(const QString &path, int code)
{
    // A missing folder (a share that is not mounted) is told apart from a
    // missing file, which only readers meet.
    if (os::isMissing(code) && !QFileInfo(path).absoluteDir().exists())
        return failure(path, code, ResultFileError::Kind::NotFound);
    return failure(path, code);
}

// Opens the result file for writing (created when missing) or for reading,
// trying again after an interrupted call and, on Windows, while another
// computer's handle refuses it. A reader that finds no file in an existing
// folder gets `missing` set and no handle: readers never create the file.
std::optional<ResultFileError> openRetrying(const QString &path, bool forWriting, const WaitFunction &wait,
                                            os::Handle &raw, bool *missing = nullptr)
{
    for (;;) {
        raw = os::open(path, forWriting);
        if (raw != os::invalid)
            return std::nullopt;
        const int code = os::lastError();
        if (os::isInterrupted(code))
            continue;
        if (missing && os::isMissing(code) && QFileInfo(path).absoluteDir().exists()) {
            *missing = true;
            return std::nullopt;
        }
#ifdef Q_OS_WIN
        if (os::isBusy(code)) {
            if (!wait || !wait(1))
                return failure(path, code, ResultFileError::Kind::Busy);
            continue;
        }
#else
        Q_UNUSED(wait);
#endif
        return openFailure(path, code);
    }
}

// The locked result file and its journal as the rewrite sees them. The
// result file is only ever reached through the handle that holds the lock.
class OsRecordIo final : public RecordIo
{
public:
    OsRecordIo(os::Handle results, QString journalPath) : m_results(results), m_journalPath(std::move(journalPath)) {}
    ~OsRecordIo() override { closeJournal(); }

    bool size(File file, qint64 &size) override
    {
        os::Handle h = handle(file);
        return h != os::invalid && keep(os::seekEnd(h, size));
    }
    bool read(File file, qint64 offset, qint64 count, QByteArray &out) override
    {
        os::Handle h = handle(file);
        if (h == os::invalid)
            return false;
        out.resize(count);
        qint64 done = 0;
        while (done < count) {
            const qint64 n = os::readAt(h, out.data() + done, count - done, offset + done);
            if (n < 0) {
                if (os::isInterrupted(os::lastError()))
                    continue;
                return keep(false);
            }
            if (n == 0)
                break;
            done += n;
        }
        out.truncate(done);
        return true;
    }
    bool write(File file, qint64 offset, const QByteArray &data) override
    {
        os::Handle h = handle(file);
        if (h == os::invalid)
            return false;
        qint64 done = 0;
        while (done < data.size()) {
            const qint64 n = os::writeAt(h, data.constData() + done, data.size() - done, offset + done);
            if (n <= 0) {
                if (n < 0 && os::isInterrupted(os::lastError()))
                    continue;
                return keep(false);
            }
            done += n;
        }
        return true;
    }
    bool resize(File file, qint64 size) override
    {
        os::Handle h = handle(file);
        return h != os::invalid && keep(os::resize(h, size));
    }
    bool flush(File file) override
    {
        os::Handle h = handle(file);
        return h != os::invalid && keep(os::flush(h));
    }
    bool journalExists(bool &exists) override
    {
        exists = m_journal != os::invalid || QFileInfo::exists(m_journalPath);
        return true;
    }
    bool createJournal() override
    {
        closeJournal();
        m_journal = os::openJournal(m_journalPath, true);
        return keep(m_journal != os::invalid);
    }
    bool removeJournal() override
    {
        closeJournal();
        return keep(os::removeFile(m_journalPath));
    }
    int error() const override { return m_error; }

private:
    os::Handle handle(File file)
    {
        if (file == File::Results)
            return m_results;
        if (m_journal == os::invalid) {
            m_journal = os::openJournal(m_journalPath, false);
            keep(m_journal != os::invalid);
        }
        return m_journal;
    }
    bool keep(bool ok)
    {
        if (!ok)
            m_error = os::lastError();
        return ok;
    }
    void closeJournal()
    {
        if (m_journal != os::invalid)
            os::close(m_journal);
        m_journal = os::invalid;
    }

    os::Handle m_results;
    os::Handle m_journal = os::invalid;
    QString m_journalPath;
    int m_error = 0;
};

} // namespace

QString ResultFile::journalPath() const
{
    return journal::pathFor(m_path);
}

template<typename Work>
std::optional<ResultFileError> ResultFile::underLock(const WaitFunction &wait, Work work)
{
    os::Handle raw = os::invalid;
    if (auto error = openRetrying(m_path, true, wait, raw))
        return error;
    const Handle file(raw);

    if (auto error = retrying(m_path, wait, [&] { return os::lockWhole(file.get()); }))
        return error;
    const std::optional<ResultFileError> error = work(file.get());
    // Unlocked explicitly: a lock left to the close is freed late on Windows.
    const std::optional<ResultFileError> unlockError =
        retrying(m_path, wait, [&] { return os::unlockWhole(file.get()); });
    return error ? error : unlockError;
}

namespace {
// Runs a rewrite step on the locked handle, through the test wrapper if one is set.
template<typename Step>
std::optional<ResultFileError> onRecordIo(os::Handle locked, const QString &path, const QString &journalPath, Step step)
{
    OsRecordIo io(locked, journalPath);
    std::unique_ptr<RecordIo> wrapped;
    RecordIo *use = &io;
    if (const rewrite::IoWrapper &wrap = rewrite::ioWrapper()) {
        wrapped = wrap(io);
        use = wrapped.get();
    }
    if (const std::optional<rewrite::IoFailure> f = step(*use)) {
        const QString failedPath = f->file == RecordIo::File::Results ? path : journalPath;
        if (f->code == 0)
            return ResultFileError{ResultFileError::Kind::Failed, failedPath, 0, u"short read"_s};
        return failure(failedPath, f->code);
    }
    return std::nullopt;
}
} // namespace

std::optional<ResultFileError> ResultFile::rewrite(const RecordEdit &edit, const WaitFunction &wait,
                                                   RewriteOutcome &outcome)
{
    outcome = RewriteOutcome::Changed;
    return underLock(wait, [&](os::Handle locked) {
        return onRecordIo(locked, m_path, journalPath(),
                          [&](RecordIo &io) { return rewrite::apply(io, edit, outcome); });
    });
}

std::optional<ResultFileError> ResultFile::recover(const WaitFunction &wait, rewrite::Recovery &recovery)
{
    recovery = rewrite::Recovery();
    return underLock(wait, [&](os::Handle locked) {
        return onRecordIo(locked, m_path, journalPath(),
                          [&](RecordIo &io) { return rewrite::recover(io, recovery); });
    });
}

std::optional<ResultFileError> ResultFile::append(const ResultRecord &rec, const WaitFunction &wait)
{
    char buffer[record::size];
    encodeRecord(rec, buffer);

    return underLock(wait, [&](os::Handle locked) -> std::optional<ResultFileError> {
        // A pupil's record outranks the recovery: whatever it reports, the
        // record is appended, and the next taker of the lock tries again.
        if (QFileInfo::exists(journalPath())) {
            rewrite::Recovery recovery;
            (void)onRecordIo(locked, m_path, journalPath(),
                             [&](RecordIo &io) { return rewrite::recover(io, recovery); });
        }
        qint64 end = 0;
        if (auto error = retrying(m_path, wait, [&] { return os::seekEnd(locked, end); }))
            return error;
        // A torn tail from an append cut off by a crash is overwritten.
        const qint64 offset = end - end % record::size;
        qint64 done = 0;
        auto writeAll = [&] {
            while (done < record::size) {
                const qint64 n = os::writeAt(locked, buffer + done, record::size - done, offset + done);
                if (n <= 0)
                    return false;
                done += n;
            }
            return true;
        };
        if (auto error = retrying(m_path, wait, writeAll))
            return error;
        // On the disk before the lock goes, or another computer may read past it.
        return retrying(m_path, wait, [&] { return os::flush(locked); });
    });
}

std::optional<ResultFileError> ResultFile::read(qint64 maxRecords, const WaitFunction &wait,
                                                ResultWindow &window) const
{
    window = ResultWindow();
    os::Handle raw = os::invalid;
    if (auto error = openRetrying(m_path, false, wait, raw, &window.missing))
        return error;
    if (window.missing)
        return std::nullopt;
    const Handle file(raw);

    qint64 end = 0;
    if (auto error = retrying(m_path, wait, [&] { return os::seekEnd(file.get(), end); }))
        return error;
    window.totalRecords = end / record::size;
    window.tailBytes = end % record::size;
    window.firstRecord = maxRecords < 0 ? 0 : std::max<qint64>(0, window.totalRecords - maxRecords);
    const qint64 wanted = (window.totalRecords - window.firstRecord) * record::size;
    window.bytes.resize(wanted);
    qint64 done = 0;
    bool shrunk = false;
    auto readAll = [&] {
        while (done < wanted) {
            const qint64 n =
                os::readAt(file.get(), window.bytes.data() + done, wanted - done, window.firstRecord * record::size + done);
            if (n < 0)
                return false;
            if (n == 0) { // cut short since the seek (a rewrite by the record screen)
                shrunk = true;
                return true;
            }
            done += n;
        }
        return true;
    };
    if (auto error = retrying(m_path, wait, readAll))
        return error;
    if (shrunk) {
        window.bytes.truncate(done - done % record::size);
        window.totalRecords = window.firstRecord + window.count();
    }
    return std::nullopt;
}

} // namespace kemoro
