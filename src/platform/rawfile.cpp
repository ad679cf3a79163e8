#include "platform/rawfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kemoro::os {

#ifdef _WIN32
namespace {
std::wstring wide(const std::string &utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    // The API wants backslashes; the program's paths use "/".
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}
HANDLE handleOf(void *h)
{
    return static_cast<HANDLE>(h);
}
OVERLAPPED at(std::int64_t offset)
{
    OVERLAPPED ov{};
    ov.Offset = DWORD(std::uint64_t(offset) & 0xffffffffu);
    ov.OffsetHigh = DWORD(std::uint64_t(offset) >> 32);
    return ov;
}
} // namespace

FileType typeAt(const std::string &path, int &code)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        code = int(GetLastError());
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? FileType::None
                                                                            : FileType::Unreachable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileType::Directory;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return FileType::Device;
    return FileType::Regular;
}

// Another computer's lock (33) or a handle opened without sharing (32).
bool isBusy(int code)
{
    return code == ERROR_LOCK_VIOLATION || code == ERROR_SHARING_VIOLATION;
}
bool isMissing(int code)
{
    return code == ERROR_FILE_NOT_FOUND;
}
bool isInterrupted(int)
{
    return false;
}
std::string errorText(int code)
{
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string out;
    if (n && text) {
        const int m = WideCharToMultiByte(CP_UTF8, 0, text, int(n), nullptr, 0, nullptr, nullptr);
        out.resize(size_t(m));
        WideCharToMultiByte(CP_UTF8, 0, text, int(n), out.data(), m, nullptr, nullptr);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
            out.pop_back();
    }
    LocalFree(text);
    return out.empty() ? "error " + std::to_string(code) : out;
}

bool removeFile(const std::string &path, int &code)
{
    if (DeleteFileW(wide(path).c_str())) return true;
    code = int(GetLastError());
    return code == ERROR_FILE_NOT_FOUND;
}

bool renameNoReplace(const std::string &from, const std::string &to, int &code)
{
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    code = int(GetLastError());
    return false;
}

bool RawFile::open(const std::string &path, Open mode)
{
    close();
    // Synchronous handles only: a blocking lock on an overlapped handle never
    // completes under some emulators, and the calls below pass their offset.
    const DWORD access = mode == Open::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = mode == Open::ReadWriteCreate ? OPEN_ALWAYS : OPEN_EXISTING;
    m_handle = CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return keep(m_handle != INVALID_HANDLE_VALUE);
}

bool RawFile::create(const std::string &path)
{
    close();
    m_handle = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return keep(m_handle != INVALID_HANDLE_VALUE);
}

bool RawFile::isOpen() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}

FileType RawFile::type() const
{
    switch (GetFileType(handleOf(m_handle))) {
    case FILE_TYPE_DISK:
        return FileType::Regular;
    case FILE_TYPE_PIPE:
        return FileType::Fifo;
    case FILE_TYPE_CHAR:
        return FileType::Device;
    default:
        return FileType::Other;
    }
}

void RawFile::close()
{
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(handleOf(m_handle));
    m_handle = INVALID_HANDLE_VALUE;
}

bool RawFile::tryLock(Lock kind)
{
    OVERLAPPED ov = at(0);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (kind == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return keep(LockFileEx(handleOf(m_handle), flags, 0, MAXDWORD, MAXDWORD, &ov));
}

bool RawFile::unlock()
{
    OVERLAPPED ov = at(0);
    return keep(UnlockFileEx(handleOf(m_handle), 0, MAXDWORD, MAXDWORD, &ov));
}

bool RawFile::size(std::int64_t &size)
{
    LARGE_INTEGER zero{}, pos{};
    if (!keep(SetFilePointerEx(handleOf(m_handle), zero, &pos, FILE_END))) return false;
    size = pos.QuadPart;
    return true;
}

std::int64_t RawFile::readAt(char *data, std::int64_t count, std::int64_t offset)
{
    OVERLAPPED ov = at(offset);
    DWORD done = 0;
    if (ReadFile(handleOf(m_handle), data, DWORD(std::min<std::int64_t>(count, 1 << 30)), &done, &ov))
        return std::int64_t(done);
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    keep(false);
    return -1;
}

std::int64_t RawFile::writeAt(const char *data, std::int64_t count, std::int64_t offset)
{
    OVERLAPPED ov = at(offset);
    DWORD done = 0;
    if (WriteFile(handleOf(m_handle), data, DWORD(std::min<std::int64_t>(count, 1 << 30)), &done, &ov))
        return std::int64_t(done);
    keep(false);
    return -1;
}

bool RawFile::truncate(std::int64_t size)
{
    LARGE_INTEGER to{};
    to.QuadPart = size;
    return keep(SetFilePointerEx(handleOf(m_handle), to, nullptr, FILE_BEGIN) &&
                SetEndOfFile(handleOf(m_handle)));
}

bool RawFile::flush()
{
    return keep(FlushFileBuffers(handleOf(m_handle)));
}

bool RawFile::keep(bool ok)
{
    if (!ok) m_error = int(GetLastError());
    return ok;
}

#else // POSIX

namespace {
FileType typeFromMode(mode_t mode)
{
    if (S_ISREG(mode)) return FileType::Regular;
    if (S_ISDIR(mode)) return FileType::Directory;
    if (S_ISFIFO(mode)) return FileType::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileType::Device;
    return FileType::Other;
}

bool setLock(int fd, short type)
{
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // to the largest offset
    return ::fcntl(fd, F_SETLK, &fl) == 0;
}
} // namespace

FileType typeAt(const std::string &path, int &code)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) != 0) {
        code = errno;
        return code == ENOENT ? FileType::None : FileType::Unreachable;
    }
    return typeFromMode(st.st_mode);
}

// fcntl reports another process's lock as EAGAIN or EACCES; a cifs mount
// refuses I/O under another computer's lock with EACCES.
bool isBusy(int code)
{
    return code == EAGAIN || code == EACCES;
}
bool isMissing(int code)
{
    return code == ENOENT;
}
bool isInterrupted(int code)
{
    return code == EINTR;
}
std::string errorText(int code)
{
    return std::strerror(code);
}

bool removeFile(const std::string &path, int &code)
{
    if (::unlink(path.c_str()) == 0) return true;
    code = errno;
    return code == ENOENT;
}

bool renameNoReplace(const std::string &from, const std::string &to, int &code)
{
    // link() fails when `to` exists, where rename() would replace it; a file
    // system without hard links gets the rename (the caller chose a free name).
    bool done = false;
    if (::link(from.c_str(), to.c_str()) == 0)
        done = ::unlink(from.c_str()) == 0;
    else if (errno == EPERM || errno == ENOSYS || errno == EOPNOTSUPP)
        done = ::rename(from.c_str(), to.c_str()) == 0;
    if (!done) code = errno;
    return done;
}

bool RawFile::open(const std::string &path, Open mode)
{
    close();
    // Never O_APPEND: on network file systems the client only simulates it.
    // Non-blocking, so that a named pipe in the file's place cannot hang the
    // open.
    int flags = O_CLOEXEC | O_NONBLOCK;
    flags |= mode == Open::Read ? O_RDONLY : O_RDWR;
    if (mode == Open::ReadWriteCreate) flags |= O_CREAT;
    do
        m_fd = ::open(path.c_str(), flags, 0666);
    while (m_fd < 0 && errno == EINTR);
    return keep(m_fd >= 0);
}

bool RawFile::create(const std::string &path)
{
    close();
    do
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    while (m_fd < 0 && errno == EINTR);
    return keep(m_fd >= 0);
}

bool RawFile::isOpen() const
{
    return m_fd >= 0;
}

FileType RawFile::type() const
{
    struct stat st = {};
    return ::fstat(m_fd, &st) == 0 ? typeFromMode(st.st_mode) : FileType::Other;
}

void RawFile::close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool RawFile::tryLock(Lock kind)
{
    for (;;) {
        if (setLock(m_fd, kind == Lock::Exclusive ? F_WRLCK : F_RDLCK)) return true;
        if (errno != EINTR) return keep(false);
    }
}

bool RawFile::unlock()
{
    for (;;) {
        if (setLock(m_fd, F_UNLCK)) return true;
        if (errno != EINTR) return keep(false);
    }
}

bool RawFile::size(std::int64_t &size)
{
    // A seek on the handle asks the server again; fstat may answer from a cache.
    const off_t pos = ::lseek(m_fd, 0, SEEK_END);
    size = std::int64_t(pos);
    return keep(pos >= 0);
}

std::int64_t RawFile::readAt(char *data, std::int64_t count, std::int64_t offset)
{
    for (;;) {
        const ssize_t n = ::pread(m_fd, data, size_t(std::min<std::int64_t>(count, 1 << 30)), off_t(offset));
        if (n >= 0) return std::int64_t(n);
        if (errno != EINTR) {
            keep(false);
            return -1;
        }
    }
}

std::int64_t RawFile::writeAt(const char *data, std::int64_t count, std::int64_t offset)
{
    for (;;) {
        const ssize_t n = ::pwrite(m_fd, data, size_t(std::min<std::int64_t>(count, 1 << 30)), off_t(offset));
        if (n >= 0) return std::int64_t(n);
        if (errno != EINTR) {
            keep(false);
            return -1;
        }
    }
}

bool RawFile::truncate(std::int64_t size)
{
    return keep(::ftruncate(m_fd, off_t(size)) == 0);
}

bool RawFile::flush()
{
    return keep(::fsync(m_fd) == 0);
}

bool RawFile::keep(bool ok)
{
    if (!ok) m_error = errno;
    return ok;
}
#endif

bool RawFile::lock(Lock kind, const Wait &wait)
{
    for (;;) {
        if (tryLock(kind)) return true;
        if (!isBusy(m_error) || !wait || !wait(1)) return false;
    }
}

bool RawFile::readAll(char *data, std::int64_t count, std::int64_t offset, std::int64_t &done)
{
    done = 0;
    while (done < count) {
        const std::int64_t n = readAt(data + done, count - done, offset + done);
        if (n < 0) return false;
        if (n == 0) return true; // the end of the file
        done += n;
    }
    return true;
}

bool RawFile::writeAll(const char *data, std::int64_t count, std::int64_t offset)
{
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t n = writeAt(data + done, count - done, offset + done);
        if (n < 0) return false;
        if (n == 0) {
#ifdef _WIN32
            m_error = ERROR_WRITE_FAULT;
#else
            m_error = EIO;
#endif
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace kemoro::os
