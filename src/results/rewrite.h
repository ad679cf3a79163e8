#pragma once

#include "results/journal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kemoro {

// The two files a correction or deletion works on, while this program holds
// the result file's whole-file lock. The result file is always the handle
// that holds the lock: closing any other handle of it would drop the lock.
class RecordIo
{
public:
    enum class File { Results, Journal };
    virtual ~RecordIo() = default;

    // Each returns false on failure and leaves the system's code in error().
    virtual bool size(File file, std::int64_t &size) = 0;
    // Reads up to `count` bytes from `offset` (fewer at the end of the file).
    virtual bool read(File file, std::int64_t offset, std::int64_t count, Bytes &out) = 0;
    virtual bool write(File file, std::int64_t offset, const Bytes &data) = 0;
    virtual bool resize(File file, std::int64_t size) = 0;
    virtual bool flush(File file) = 0;
    virtual bool journalExists(bool &exists) = 0;
    // An empty journal, replacing whatever was there.
    virtual bool createJournal() = 0;
    virtual bool removeJournal() = 0;
    // Moves the journal out of the way under a free name that says it does
    // not belong to the result file; `newPath` is that name.
    virtual bool setJournalAside(std::string &newPath) = 0;
    virtual int error() const = 0;
};

struct RecordEdit
{
    enum class Kind { Delete, Replace };
    Kind kind = Kind::Delete;
    std::int64_t record = 0; // 0-based
    Bytes expected;          // the record's 44 bytes when it was opened
    Bytes replacement;       // Replace: the new 44 bytes
};

enum class RewriteOutcome {
    Done,
    Changed,        // the record no longer holds the bytes it was opened with: nothing written
    ForeignJournal, // a temp file this program did not write is in the way: nothing written
};

namespace rewrite {

struct IoFailure
{
    RecordIo::File file = RecordIo::File::Results;
    int code = 0;
};

struct Recovery
{
    bool journalFound = false;
    bool foreignJournal = false; // kept; rewrites are refused while it is there
    bool finished = false;       // an interrupted rewrite was completed
    int fillersRemoved = 0;
    // The journal was written for another file than the one there now (a
    // result file restored from a backup, say): the file was left untouched
    // and the journal kept under `asidePath`.
    bool setAside = false;
    std::string asidePath;
};

// Finishes a rewrite that a crash cut off, keeping every record other
// computers appended meanwhile. A journal is only applied to the file it was
// written for: every byte of the region it changes must hold the old or the
// new contents, and the file must not be shorter than the rewrite left it. May itself be cut off anywhere:
// the next recovery picks up from the marks. Runs under the result file's lock.
std::optional<IoFailure> recover(RecordIo &io, Recovery &recovery);

// Deletes or replaces one record: recovers first, checks that the record
// still holds `edit.expected`, journals, writes, cuts and drops the journal.
// Runs under the result file's lock.
// `recovery` tells what the recovery before it did.
std::optional<IoFailure> apply(RecordIo &io, const RecordEdit &edit, RewriteOutcome &outcome,
                               Recovery &recovery);

// Test seams: the crash tests end a child process at a named step, and wrap
// the file access to drop what was written since the last flush.
void setStepHook(std::function<void(const std::string &step)> hook);
using IoWrapper = std::function<std::unique_ptr<RecordIo>(RecordIo &inner)>;
void setIoWrapper(IoWrapper wrapper);
const IoWrapper &ioWrapper();

} // namespace rewrite
} // namespace kemoro
