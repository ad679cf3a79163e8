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

} // namespace

std::optional<ResultFileError> ResultFile::append(const ResultRecord &rec, const WaitFunction &wait)
{
    char buffer[record::size];
    encodeRecord(rec, buffer);

    os::Handle raw = os::invalid;
    for (;;) {
        raw = os::open(m_path, true);
        if (raw != os::invalid)
            break;
        const int code = os::lastError();
        if (os::isInterrupted(code))
            continue;
#ifdef Q_OS_WIN
        if (os::isBusy(code)) {
            if (!wait || !wait(1))
                return failure(m_path, code, ResultFileError::Kind::Busy);
            continue;
        }
#endif
        return openFailure(m_path, code);
    }
    const Handle file(raw);

    if (auto error = retrying(m_path, wait, [&] { return os::lockWhole(file.get()); }))
        return error;

    auto body = [&]() -> std::optional<ResultFileError> {
        qint64 end = 0;
        if (auto error = retrying(m_path, wait, [&] { return os::seekEnd(file.get(), end); }))
            return error;
        // A torn tail from an append cut off by a crash is overwritten.
        const qint64 offset = end - end % record::size;
        qint64 done = 0;
        auto writeAll = [&] {
            while (done < record::size) {
                const qint64 n = os::writeAt(file.get(), buffer + done, record::size - done, offset + done);
                if (n <= 0)
                    return false;
                done += n;
            }
            return true;
        };
        if (auto error = retrying(m_path, wait, writeAll))
            return error;
        // On the disk before the lock goes, or another computer may read past it.
        return retrying(m_path, wait, [&] { return os::flush(file.get()); });
    };
    const std::optional<ResultFileError> error = body();
    // Unlocked explicitly: a lock left to the close is freed late on Windows.
    const std::optional<ResultFileError> unlockError =
        retrying(m_path, wait, [&] { return os::unlockWhole(file.get()); });
    return error ? error : unlockError;
}

std::optional<ResultFileError> ResultFile::read(qint64 maxRecords, const WaitFunction &wait,
                                                ResultWindow &window) const
{
    window = ResultWindow();
    os::Handle raw = os::invalid;
    for (;;) {
        raw = os::open(m_path, false);
        if (raw != os::invalid)
            break;
        const int code = os::lastError();
        if (os::isInterrupted(code))
            continue;
        if (os::isMissing(code) && QFileInfo(m_path).absoluteDir().exists()) {
            window.missing = true;
            return std::nullopt;
        }
#ifdef Q_OS_WIN
        if (os::isBusy(code)) {
            if (!wait || !wait(1))
                return failure(m_path, code, ResultFileError::Kind::Busy);
            continue;
        }
#endif
        return openFailure(m_path, code);
    }
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
