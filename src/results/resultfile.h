#pragma once

#include "results/resultrecord.h"
#include "results/rewrite.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace kemoro {

// Called when the file is busy: waits the given number of seconds (the
// screens let window events run and say that they wait for another
// computer) and returns false to give up. The screens never give up.
using WaitFunction = std::function<bool(int seconds)>;

struct ResultFileError
{
    enum class Kind {
        Failed,   // the system refused an open, seek, read, write, flush or unlock
        NotFound, // the folder of the file cannot be reached
        Busy,     // still locked by another computer when the wait gave up
    };
    Kind kind = Kind::Failed;
    QString path;
    int code = 0;        // errno (GetLastError on Windows)
    QString description; // the system's description of `code`

    // The message box text of a failed append.
    QString appendMessage() const;
};

// The records of a read, as raw bytes of whole records.
struct ResultWindow
{
    QByteArray bytes;        // records firstRecord .. firstRecord + count - 1
    qint64 firstRecord = 0;  // 0-based number of the first record in `bytes`
    qint64 totalRecords = 0; // whole records in the file
    qint64 tailBytes = 0;    // bytes after the last whole record (a torn append)
    bool missing = false;    // the file does not exist (yet)

    qint64 count() const { return bytes.size() / record::size; }
    const char *recordData(qint64 i) const { return bytes.constData() + i * record::size; }
};

// Every open of the shared result file goes through this class. A POSIX
// record lock is dropped when the process closes *any* descriptor of the
// file, so no other code may open it while an append holds the lock. Each
// call opens, works and closes; nothing stays open between calls.
class ResultFile
{
public:
    explicit ResultFile(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }

    // The journal of corrections and deletions beside the file.
    QString journalPath() const;

    // Appends one record just past the last whole record, overwriting a torn
    // tail, under an exclusive whole-file lock. Creates a missing file. While
    // another computer holds the lock, calls `wait(1)` and tries again. Like
    // every taker of the lock, it first finishes a rewrite a crash cut off; a
    // failing recovery never stops the record from being appended.
    std::optional<ResultFileError> append(const ResultRecord &rec, const WaitFunction &wait);

    // Deletes or replaces one record in place under the exclusive lock, held
    // from the recovery to the removal of the journal. The file is never
    // deleted, renamed or recreated: other computers' open handles and locks
    // stay on it. Nothing is written when the record changed since it was read
    // (`outcome` Changed) or a temp file of another program is in the way.
    std::optional<ResultFileError> rewrite(const RecordEdit &edit, const WaitFunction &wait, RewriteOutcome &outcome);

    // Takes the lock and finishes an interrupted rewrite, if any.
    std::optional<ResultFileError> recover(const WaitFunction &wait, rewrite::Recovery &recovery);

    // Reads the last `maxRecords` whole records (all of them when negative)
    // in one read through one handle. Never creates, writes or locks the
    // file; a read refused by another computer's lock calls `wait(1)` and
    // tries again.
    std::optional<ResultFileError> read(qint64 maxRecords, const WaitFunction &wait, ResultWindow &window) const;

private:
    template<typename Work>
    std::optional<ResultFileError> underLock(const WaitFunction &wait, Work work);

    QString m_path;
};

} // namespace kemoro
