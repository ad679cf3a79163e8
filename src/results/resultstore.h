#pragma once

#include "platform/diagnostic.h"
#include "platform/wait.h"
#include "results/resultrecord.h"
#include "results/rewrite.h"
#include "results/sharedfile.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace kemoro {

struct ResultFileError
{
    using Kind = shared::Failure::Kind;
    Kind kind = Kind::Failed;
    QString path;
    int code = 0;        // errno (GetLastError on Windows); 0 for WrongType
    QString description; // the system's description of `code`, or what stands there

    // The message box text of a failed append.
    QString appendMessage() const;
    // "PATH: description" for standard error.
    QString toLine() const;
    // A failed read or rewrite as a warning on the file: what failed, then
    // the system's words.
    Diagnostic toDiagnostic(const QString &what = {}) const;
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

// What a read found beside the result file.
struct JournalFinding
{
    using Kind = shared::JournalFinding::Kind;
    Kind kind = Kind::None;
    QString path;   // the journal
    QString detail; // what stands there, or the system's error
};

// The one owner of the shared result file "成績累積データ.dat" and of its
// journal. Every append, correction, deletion, recovery and read of them goes
// through a store; the program keeps one for the whole run.
//
// A POSIX record lock is dropped when the process closes *any* descriptor of
// the file, so nothing else may open it while the store holds a lock. Each
// call opens, works and closes; nothing stays open between calls.
//
// Reads take a shared lock: appends and rewrites hold the exclusive one, so a
// read sees the records before a rewrite or after it, never a mix. A journal
// found under the shared lock is a rewrite that a crash cut off: the program
// takes the exclusive lock and finishes it before it reads; a read-only store
// (`kemoro-data`) never writes and computes in memory what the recovery will
// leave.
class ResultStore
{
public:
    enum class Access { Program, ReadOnly };
    using NoticeHandler = std::function<void(const Diagnostic &)>;

    explicit ResultStore(QString path, Access access = Access::Program);
    const QString &path() const { return m_path; }
    Access access() const { return m_access; }

    // The journal of corrections and deletions beside the file.
    QString journalPath() const;

    // Problems the store met on its own way and that the user should hear of
    // (a journal set aside, a folder in the journal's place): each is given
    // to the handler once per store.
    void setNoticeHandler(NoticeHandler handler) { m_notices = std::move(handler); }

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
    std::optional<ResultFileError> rewrite(const RecordEdit &edit, const WaitFunction &wait,
                                           RewriteOutcome &outcome);

    // Takes the lock and finishes an interrupted rewrite, if any.
    std::optional<ResultFileError> recover(const WaitFunction &wait, rewrite::Recovery &recovery);

    // Reads the last `maxRecords` whole records (all of them when negative)
    // under a shared lock. Never creates the file; a lock held by another
    // computer calls `wait(1)` and tries again.
    std::optional<ResultFileError> read(qint64 maxRecords, const WaitFunction &wait, ResultWindow &window);

    // The name recovery would keep a journal of another file under now.
    QString nextAsidePath() const;

    // What the last read found of the journal.
    const JournalFinding &journalFinding() const { return m_finding; }

private:
    void noteRecovery(const rewrite::Recovery &recovery, const std::optional<ResultFileError> &error);
    void notice(const QString &key, const Diagnostic &diagnostic);

    QString m_path;
    Access m_access;
    NoticeHandler m_notices;
    QSet<QString> m_noticed;
    JournalFinding m_finding;
    shared::SharedFile m_file;
};

} // namespace kemoro
