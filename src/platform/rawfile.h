#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kemoro::os {

// The operating system's side of the shared result file and its journal, in
// plain C++ with one POSIX and one Win32 implementation, so that the same
// code runs in the program and in the Windows test driver.
//
// Paths are UTF-8. Every call returns false (or -1) on failure and leaves the
// system's code (errno, GetLastError) in error().

// What stands at a path. Unreachable: the system could not say (a share that
// went away, no permission).
enum class FileType { None, Regular, Directory, Fifo, Device, Other, Unreachable };
FileType typeAt(const std::string &path, int &code);

// Called while another computer holds a lock: waits `seconds` and returns
// false to give up.
using Wait = std::function<bool(int seconds)>;

bool isBusy(int code);        // another computer's lock or sharing refusal
bool isMissing(int code);     // no such file
bool isInterrupted(int code); // a signal cut the call short: repeat it
std::string errorText(int code);

// True when the file is gone (or was never there); `code` tells why not.
bool removeFile(const std::string &path, int &code);
// Renames without ever replacing an existing `to`.
bool renameNoReplace(const std::string &from, const std::string &to, int &code);

class RawFile
{
public:
    enum class Open {
        Read,           // an existing file, for reading
        ReadWrite,      // an existing file
        ReadWriteCreate // created when missing; never truncated
    };
    enum class Lock { Shared, Exclusive };

    RawFile() = default;
    ~RawFile() { close(); }
    RawFile(const RawFile &) = delete;
    RawFile &operator=(const RawFile &) = delete;

    // Opens without blocking (a named pipe in the file's place cannot hang
    // it). `type()` tells what was opened; callers refuse all but Regular.
    bool open(const std::string &path, Open mode);
    // Creates the file empty, or empties an existing one.
    bool create(const std::string &path);
    bool isOpen() const;
    FileType type() const;
    void close();

    // A whole-file lock (to the largest offset, so that it overlaps any range
    // another writer locks), taken at once or refused with a busy code.
    bool tryLock(Lock kind);
    // The same, calling `wait(1)` between tries while the lock is busy.
    bool lock(Lock kind, const Wait &wait);
    bool unlock();

    // The size as the server sees it now (a seek asks again where a stat may
    // answer from a cache).
    bool size(std::int64_t &size);
    // One call each; they may do less than asked. Interrupted calls are
    // repeated inside.
    std::int64_t readAt(char *data, std::int64_t count, std::int64_t offset);
    std::int64_t writeAt(const char *data, std::int64_t count, std::int64_t offset);
    // The whole of `count`, or false; a read stops short only at the end of
    // the file (`done` tells how much it got).
    bool readAll(char *data, std::int64_t count, std::int64_t offset, std::int64_t &done);
    bool writeAll(const char *data, std::int64_t count, std::int64_t offset);
    bool truncate(std::int64_t size);
    bool flush();

    int error() const { return m_error; }

private:
    bool keep(bool ok);
#ifdef _WIN32
    void *m_handle = reinterpret_cast<void *>(std::intptr_t(-1));
#else
    int m_fd = -1;
#endif
    int m_error = 0;
};

} // namespace kemoro::os
