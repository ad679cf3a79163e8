#pragma once

#include "platform/rawfile.h"
#include "results/rewrite.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kemoro {

// The shared result file and its journal in plain C++: the append, the
// shared-locked read, the journalled rewrite and its recovery, on the file
// layer of platform/rawfile.h. ResultStore is the program's Qt-facing owner
// of one; the Windows test driver uses it as it is.
namespace shared {

struct Failure
{
    enum class Kind {
        Failed,    // the system refused an open, seek, read, write, flush or unlock
        NotFound,  // the folder of the file cannot be reached
        Busy,      // still locked by another computer when the wait gave up
        WrongType, // a folder, named pipe or device stands where the file belongs
    };
    Kind kind = Kind::Failed;
    std::string path;
    int code = 0;                              // the system's code; 0 for WrongType and a short read
    os::FileType type = os::FileType::Regular; // WrongType: what stands there
};

// What a read found beside the result file.
struct JournalFinding
{
    enum class Kind {
        None,           // no journal: nothing was interrupted
        Pending,        // an interrupted correction or deletion; the records read are as recovery leaves them
        Unmarked,       // begun and cut off before the result file was touched; recovery removes it
        Foreign,        // not this program's journal: kept, corrections and deletions are refused
        NotForThisFile, // written for another result file (one restored from a backup?): recovery sets it
                        // aside
        NotAFile,       // a folder, named pipe or device stands where the journal belongs
        Unreadable,     // the journal could not be read
    };
    Kind kind = Kind::None;
    os::FileType type = os::FileType::None; // NotAFile
    int code = 0;                           // Unreadable: the system's code (0: it cannot be applied)
};

// The records of a read, as raw bytes of whole records.
struct Window
{
    Bytes bytes;                  // records firstRecord .. firstRecord + count - 1
    std::int64_t firstRecord = 0; // 0-based number of the first record in `bytes`
    std::int64_t totalRecords = 0;
    std::int64_t tailBytes = 0; // bytes after the last whole record (a torn append)
    bool missing = false;       // the file does not exist (yet)
};

class SharedFile
{
public:
    enum class Access { Program, ReadOnly };

    explicit SharedFile(std::string path, Access access = Access::Program);
    const std::string &path() const { return m_path; }
    std::string journalPath() const;
    Access access() const { return m_access; }

    // One 44-byte record past the last whole record, overwriting a torn tail,
    // under the exclusive lock; creates a missing file. An interrupted rewrite
    // is finished first; whatever that recovery meets (`recoveryFailure`), the
    // record is appended.
    std::optional<Failure> append(const char *record, const os::Wait &wait, rewrite::Recovery &recovery,
                                  std::optional<Failure> &recoveryFailure);
    std::optional<Failure> rewrite(const RecordEdit &edit, const os::Wait &wait, RewriteOutcome &outcome,
                                   rewrite::Recovery &recovery);
    std::optional<Failure> recover(const os::Wait &wait, rewrite::Recovery &recovery);

    // The last `maxRecords` whole records (all when negative) under a shared
    // lock. A journal found under it was left by a crash: a Program store
    // finishes it first (`recovered` tells what that did), a ReadOnly one
    // reads the records as the recovery will leave them.
    std::optional<Failure> read(std::int64_t maxRecords, const os::Wait &wait, Window &window,
                                JournalFinding &finding, rewrite::Recovery &recovered,
                                std::optional<Failure> &recoveryFailure);

private:
    std::string m_path;
    Access m_access;
};

// A folder, pipe or device (or a path the system cannot look at) where the
// journal belongs; nothing when the way is clear.
std::optional<Failure> journalInTheWay(const std::string &journalPath);

} // namespace shared
} // namespace kemoro
