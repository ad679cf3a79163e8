#include "results/resultstore.h"

#include "results/memoryrecordio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace kemoro {

QString ResultFileError::appendMessage() const
{
    return u"成績ランダムファイル記録"_s + description;
}

QString ResultFileError::toLine() const
{
    return path + u": "_s + description;
}

namespace {

// What stands at the path of the result file or the journal. Unreachable:
// the system could not say (a share that went away, no permission).
enum class FileType { None, Regular, Directory, Fifo, Device, Unknown, Unreachable };

QString typeDescription(FileType type)
{
    switch (type) {
    case FileType::Directory:
        return u"a folder stands in the file's place"_s;
    case FileType::Fifo:
        return u"a named pipe (FIFO) stands in the file's place"_s;
    case FileType::Device:
        return u"a device stands in the file's place"_s;
    default:
        return u"not a regular file"_s;
    }
}

// The few system calls the store needs, one set per platform. Each returns
// false (or -1) and leaves the error in lastError() on failure.
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
bool lockShared(Handle h)
{
    OVERLAPPED ov = at(0);
    return LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &ov);
}
// What stands at a path, without opening it.
FileType typeAt(const QString &path, int &code)
{
    const QString native = QDir::toNativeSeparators(path);
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(native.utf16()));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        code = lastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? FileType::None : FileType::Unreachable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileType::Directory;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return FileType::Device;
    return FileType::Regular;
}
FileType typeOf(Handle h)
{
    switch (GetFileType(h)) {
    case FILE_TYPE_DISK:
        return FileType::Regular;
    case FILE_TYPE_PIPE:
        return FileType::Fifo;
    case FILE_TYPE_CHAR:
        return FileType::Device;
    default:
        return FileType::Unknown;
    }
}
bool renameNoReplace(const QString &from, const QString &to)
{
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()), MOVEFILE_WRITE_THROUGH);
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
    // Non-blocking, so that a named pipe in the file's place cannot hang the
    // open; the caller looks at the type before reading.
    return ::open(QFile::encodeName(path).constData(),
                  (write ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC | O_NONBLOCK, 0666);
}
FileType typeFromMode(mode_t mode)
{
    if (S_ISREG(mode))
        return FileType::Regular;
    if (S_ISDIR(mode))
        return FileType::Directory;
    if (S_ISFIFO(mode))
        return FileType::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileType::Device;
    return FileType::Unknown;
}
FileType typeAt(const QString &path, int &code)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        code = errno;
        return code == ENOENT ? FileType::None : FileType::Unreachable;
    }
    return typeFromMode(st.st_mode);
}
FileType typeOf(Handle h)
{
    struct stat st = {};
    return ::fstat(h, &st) == 0 ? typeFromMode(st.st_mode) : FileType::Unknown;
}
bool renameNoReplace(const QString &from, const QString &to)
{
    // link() fails when `to` exists, where rename() would replace it.
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::link(f.constData(), t.constData()) == 0)
        return ::unlink(f.constData()) == 0;
    return errno != EPERM && errno != ENOSYS ? false : ::rename(f.constData(), t.constData()) == 0;
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
bool lockShared(Handle h) { return setLock(h, F_RDLCK); }
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
    return ::open(QFile::encodeName(path).constData(),
                  O_RDWR | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT | O_TRUNC : 0), 0666);
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

ResultFileError wrongType(const QString &path, FileType type)
{
    return {ResultFileError::Kind::WrongType, path, 0, typeDescription(type)};
}

std::optional<ResultFileError> openFailure(const QString &path, int code)
{
    // A folder in the file's place refuses a writing open on its own.
    int statCode = 0;
    const FileType type = os::typeAt(path, statCode);
    if (type == FileType::Directory || type == FileType::Fifo || type == FileType::Device)
        return wrongType(path, type);
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
        if (raw != os::invalid) {
            const FileType type = os::typeOf(raw);
            if (type == FileType::Regular)
                return std::nullopt;
            os::close(raw);
            raw = os::invalid;
            return wrongType(path, type);
        }
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
        if (m_journal != os::invalid) {
            exists = true;
            return true;
        }
        int code = 0;
        const FileType type = os::typeAt(m_journalPath, code);
        exists = type != FileType::None;
        if (type == FileType::Unreachable)
            m_error = code;
        return type != FileType::Unreachable;
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
    bool setJournalAside(QString &newPath) override
    {
        closeJournal();
        newPath = journal::asidePath(m_journalPath, [](const QString &p) {
            int code = 0;
            return os::typeAt(p, code) != FileType::None;
        });
        return keep(os::renameNoReplace(m_journalPath, newPath));
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

// A journal that cannot be one: a folder, pipe or device in its place.
std::optional<ResultFileError> journalInTheWay(const QString &journalPath)
{
    int code = 0;
    const FileType type = os::typeAt(journalPath, code);
    if (type == FileType::None || type == FileType::Regular)
        return std::nullopt;
    if (type == FileType::Unreachable)
        return failure(journalPath, code);
    return wrongType(journalPath, type);
}

bool journalThere(const QString &journalPath)
{
    int code = 0;
    return os::typeAt(journalPath, code) == FileType::Regular;
}

// Reads whole records from `first` through the locked handle; a file cut
// short since the size was taken ends the read there.
std::optional<ResultFileError> readRecords(os::Handle h, const QString &path, const WaitFunction &wait,
                                           qint64 maxRecords, ResultWindow &window)
{
    qint64 end = 0;
    if (auto error = retrying(path, wait, [&] { return os::seekEnd(h, end); }))
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
                os::readAt(h, window.bytes.data() + done, wanted - done, window.firstRecord * record::size + done);
            if (n < 0)
                return false;
            if (n == 0) { // cut short by a program that does not lock
                shrunk = true;
                return true;
            }
            done += n;
        }
        return true;
    };
    if (auto error = retrying(path, wait, readAll))
        return error;
    if (shrunk) {
        window.bytes.truncate(done - done % record::size);
        window.totalRecords = window.firstRecord + window.count();
    }
    return std::nullopt;
}

// Every byte of the file, the tail of a torn append included: recovery
// looks at the exact size.
std::optional<ResultFileError> readWhole(os::Handle h, const QString &path, QByteArray &bytes)
{
    ResultWindow all;
    if (auto error = readRecords(h, path, {}, -1, all))
        return error;
    QByteArray tail(all.tailBytes, Qt::Uninitialized);
    const qint64 n = all.tailBytes ? os::readAt(h, tail.data(), all.tailBytes, all.bytes.size()) : 0;
    bytes = all.bytes + tail.left(std::max<qint64>(0, n));
    return std::nullopt;
}

std::optional<ResultFileError> readWhole(const QString &path, QByteArray &bytes)
{
    os::Handle raw = os::invalid;
    if (auto error = openRetrying(path, false, {}, raw))
        return error;
    const Handle file(raw);
    return readWhole(file.get(), path, bytes);
}

void windowOf(const QByteArray &bytes, qint64 maxRecords, ResultWindow &window)
{
    window.totalRecords = bytes.size() / record::size;
    window.tailBytes = bytes.size() % record::size;
    window.firstRecord = maxRecords < 0 ? 0 : std::max<qint64>(0, window.totalRecords - maxRecords);
    window.bytes = bytes.mid(window.firstRecord * record::size,
                             (window.totalRecords - window.firstRecord) * record::size);
}

JournalFinding::Kind findingOf(const rewrite::Recovery &recovery)
{
    if (recovery.foreignJournal)
        return JournalFinding::Kind::Foreign;
    if (recovery.setAside)
        return JournalFinding::Kind::NotForThisFile;
    if (recovery.finished)
        return JournalFinding::Kind::Pending;
    return recovery.journalFound ? JournalFinding::Kind::Unmarked : JournalFinding::Kind::None;
}
} // namespace

ResultStore::ResultStore(QString path, Access access) : m_path(std::move(path)), m_access(access) {}

QString ResultStore::journalPath() const
{
    return journal::pathFor(m_path);
}

void ResultStore::notice(const QString &key, const Diagnostic &diagnostic)
{
    if (m_noticed.contains(key))
        return;
    m_noticed.insert(key);
    if (m_notices)
        m_notices(diagnostic);
}

void ResultStore::noteRecovery(const rewrite::Recovery &recovery, const std::optional<ResultFileError> &error)
{
    const QString journal = journalPath();
    if (error) {
        notice(u"failed:"_s + error->toLine(),
               {Diagnostic::Severity::Warning, error->path, Diagnostic::fileLocation(),
                u"中断された記録の修正・削除を仕上げられません: "_s + error->description});
        return;
    }
    if (recovery.setAside) {
        notice(u"aside:"_s + recovery.asidePath,
               {Diagnostic::Severity::Warning, journal, Diagnostic::fileLocation(),
                u"この一時ファイルは今の「%1」のために書かれたものではないため（バックアップから戻したファイル"
                u"など）、成績ファイルには何も書かず、「%2」として残しました。"_s.arg(
                    QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(recovery.asidePath))});
    }
    if (recovery.foreignJournal) {
        notice(u"foreign:"_s + journal,
               {Diagnostic::Severity::Warning, journal, Diagnostic::fileLocation(),
                u"このプログラムの一時ファイルではありません。中を確かめて別の場所へ移すまで、記録の修正・削除は"
                u"できません。"_s});
    }
}

template<typename Work>
std::optional<ResultFileError> ResultStore::underLock(const WaitFunction &wait, Work work)
{
    if (m_access == Access::ReadOnly)
        return ResultFileError{ResultFileError::Kind::Failed, m_path, 0, u"opened read-only"_s};
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

std::optional<ResultFileError> ResultStore::rewrite(const RecordEdit &edit, const WaitFunction &wait,
                                                    RewriteOutcome &outcome)
{
    outcome = RewriteOutcome::Changed;
    if (auto error = journalInTheWay(journalPath()))
        return error;
    rewrite::Recovery recovery;
    const std::optional<ResultFileError> error = underLock(wait, [&](os::Handle locked) {
        return onRecordIo(locked, m_path, journalPath(),
                          [&](RecordIo &io) { return rewrite::apply(io, edit, outcome, recovery); });
    });
    noteRecovery(recovery, std::nullopt);
    return error;
}

std::optional<ResultFileError> ResultStore::recover(const WaitFunction &wait, rewrite::Recovery &recovery)
{
    recovery = rewrite::Recovery();
    if (auto error = journalInTheWay(journalPath()))
        return error;
    const std::optional<ResultFileError> error = underLock(wait, [&](os::Handle locked) {
        return onRecordIo(locked, m_path, journalPath(),
                          [&](RecordIo &io) { return rewrite::recover(io, recovery); });
    });
    noteRecovery(recovery, error);
    return error;
}

std::optional<ResultFileError> ResultStore::append(const ResultRecord &rec, const WaitFunction &wait)
{
    char buffer[record::size];
    encodeRecord(rec, buffer);

    const std::optional<ResultFileError> inTheWay = journalInTheWay(journalPath());
    if (inTheWay)
        notice(u"in-the-way:"_s + inTheWay->toLine(),
               {Diagnostic::Severity::Warning, inTheWay->path, Diagnostic::fileLocation(),
                inTheWay->description + u"。記録の修正・削除はできません。"_s});
    rewrite::Recovery recovery;
    std::optional<ResultFileError> recoveryError;
    const std::optional<ResultFileError> error =
        underLock(wait, [&](os::Handle locked) -> std::optional<ResultFileError> {
            // A pupil's record outranks the recovery: whatever it reports, the
            // record is appended, and the next taker of the lock tries again.
            if (!inTheWay && journalThere(journalPath()))
                recoveryError = onRecordIo(locked, m_path, journalPath(),
                                           [&](RecordIo &io) { return rewrite::recover(io, recovery); });
            qint64 end = 0;
            if (auto failed = retrying(m_path, wait, [&] { return os::seekEnd(locked, end); }))
                return failed;
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
            if (auto failed = retrying(m_path, wait, writeAll))
                return failed;
            // On the disk before the lock goes, or another computer may read past it.
            return retrying(m_path, wait, [&] { return os::flush(locked); });
        });
    noteRecovery(recovery, recoveryError);
    return error;
}

std::optional<ResultFileError> ResultStore::read(qint64 maxRecords, const WaitFunction &wait, ResultWindow &window)
{
    const QString journal = journalPath();
    bool recovered = false;
    for (;;) {
        window = ResultWindow();
        m_finding = JournalFinding();
        m_finding.path = journal;
        os::Handle raw = os::invalid;
        if (auto error = openRetrying(m_path, false, wait, raw, &window.missing))
            return error;
        if (window.missing)
            return std::nullopt;
        const Handle file(raw);
        if (auto error = retrying(m_path, wait, [&] { return os::lockShared(file.get()); }))
            return error;

        // While this shared lock is held no rewrite runs: a journal there now
        // was left by a crash, or is not this program's.
        int code = 0;
        const FileType journalType = os::typeAt(journal, code);
        std::optional<ResultFileError> error;
        if (journalType == FileType::Regular && m_access == Access::Program && !recovered) {
            (void)retrying(m_path, wait, [&] { return os::unlockWhole(file.get()); });
            recovered = true;
            rewrite::Recovery recovery;
            // Failures are noticed; the read goes on with the file as it is.
            (void)recover(wait, recovery);
            continue; // `file` closes here, before the next open
        }
        if (journalType == FileType::Regular && m_access == Access::ReadOnly) {
            QByteArray results, journalBytes;
            // The result file only through the locked handle: closing another
            // descriptor of it would drop the lock.
            error = readWhole(file.get(), m_path, results);
            const std::optional<ResultFileError> journalError = error ? error : readWhole(journal, journalBytes);
            if (!error && journalError) {
                m_finding.kind = JournalFinding::Kind::Unreadable;
                m_finding.detail = journalError->description;
                error = readRecords(file.get(), m_path, wait, maxRecords, window);
            } else if (!error) {
                MemoryRecordIo io(results, journalBytes);
                rewrite::Recovery recovery;
                if (const std::optional<rewrite::IoFailure> f = rewrite::recover(io, recovery); !f) {
                    m_finding.kind = findingOf(recovery);
                    windowOf(io.results(), maxRecords, window);
                } else {
                    m_finding.kind = JournalFinding::Kind::Unreadable;
                    m_finding.detail = u"the journal cannot be applied"_s;
                    windowOf(results, maxRecords, window);
                }
            }
        } else {
            if (journalType == FileType::Regular) {
                // Recovery ran and left it: another program's file, or one
                // it could not finish.
                m_finding.kind = JournalFinding::Kind::Foreign;
            } else if (journalType == FileType::Unreachable) {
                m_finding.kind = JournalFinding::Kind::Unreadable;
                m_finding.detail = qt_error_string(code);
            } else if (journalType != FileType::None) {
                m_finding.kind = JournalFinding::Kind::NotAFile;
                m_finding.detail = typeDescription(journalType);
            }
            error = readRecords(file.get(), m_path, wait, maxRecords, window);
        }
        const std::optional<ResultFileError> unlockError =
            retrying(m_path, wait, [&] { return os::unlockWhole(file.get()); });
        return error ? error : unlockError;
    }
}

} // namespace kemoro
