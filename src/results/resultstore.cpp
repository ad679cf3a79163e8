#include "results/resultstore.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace kemoro {

QString ResultFileError::appendMessage() const
{
    return u"成績ランダムファイル記録"_s + description;
}

QString ResultFileError::toLine() const
{
    return QDir::toNativeSeparators(path) + u": "_s + description;
}

Diagnostic ResultFileError::toDiagnostic(const QString &what) const
{
    return {Diagnostic::Severity::Warning, path, Diagnostic::fileLocation(), what + description};
}

namespace {
// Paths cross to the plain file layer as the system names files: the local
// 8-bit encoding on POSIX, UTF-8 (made wide inside) on Windows.
std::string toNative(const QString &path)
{
#ifdef Q_OS_WIN
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}
QString fromNative(const std::string &path)
{
#ifdef Q_OS_WIN
    return QString::fromStdString(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

QString typeDescription(os::FileType type)
{
    switch (type) {
    case os::FileType::Directory:
        return u"a folder stands in the file's place"_s;
    case os::FileType::Fifo:
        return u"a named pipe (FIFO) stands in the file's place"_s;
    case os::FileType::Device:
        return u"a device stands in the file's place"_s;
    default:
        return u"not a regular file"_s;
    }
}

std::optional<ResultFileError> fromShared(const std::optional<shared::Failure> &f)
{
    if (!f) return std::nullopt;
    ResultFileError e;
    e.path = fromNative(f->path);
    e.code = f->code;
    e.kind = f->kind;
    if (e.kind == ResultFileError::Kind::WrongType)
        e.description = typeDescription(f->type);
    else
        e.description = f->code == 0 ? u"short read"_s : qt_error_string(f->code);
    return e;
}

JournalFinding fromShared(const shared::JournalFinding &f, const QString &path)
{
    JournalFinding out;
    out.path = path;
    out.kind = f.kind;
    if (f.kind == JournalFinding::Kind::NotAFile)
        out.detail = typeDescription(f.type);
    else if (f.kind == JournalFinding::Kind::Unreadable)
        out.detail = f.code == 0 ? u"the journal cannot be applied"_s : qt_error_string(f.code);
    return out;
}

shared::SharedFile::Access sharedAccess(ResultStore::Access access)
{
    return access == ResultStore::Access::ReadOnly ? shared::SharedFile::Access::ReadOnly
                                                   : shared::SharedFile::Access::Program;
}
} // namespace

ResultStore::ResultStore(QString path, Access access)
    : m_path(std::move(path)), m_access(access), m_file(toNative(m_path), sharedAccess(access))
{
}

QString ResultStore::journalPath() const
{
    return fromNative(m_file.journalPath());
}

QString ResultStore::nextAsidePath() const
{
    return fromNative(journal::asidePath(m_file.journalPath(), [](const std::string &p) {
        int code = 0;
        return os::typeAt(p, code) != os::FileType::None;
    }));
}

void ResultStore::notice(const QString &key, const Diagnostic &diagnostic)
{
    if (m_noticed.contains(key)) return;
    m_noticed.insert(key);
    if (m_notices) m_notices(diagnostic);
}

void ResultStore::noteRecovery(const rewrite::Recovery &recovery, const std::optional<ResultFileError> &error)
{
    const QString journal = journalPath();
    if (error) {
        notice(u"failed:"_s + error->toLine(),
               error->toDiagnostic(u"中断された記録の修正・削除を仕上げられません: "_s));
        return;
    }
    if (recovery.setAside) {
        notice(
            u"aside:"_s + fromNative(recovery.asidePath),
            {Diagnostic::Severity::Warning, journal, Diagnostic::fileLocation(),
             u"この一時ファイルは今の「%1」のために書かれたものではないため（バックアップから戻したファイル"
             u"など）、成績ファイルには何も書かず、「%2」として残しました。"_s.arg(
                 QDir::toNativeSeparators(m_path),
                 QDir::toNativeSeparators(fromNative(recovery.asidePath)))});
    }
    if (recovery.foreignJournal) {
        notice(
            u"foreign:"_s + journal,
            {Diagnostic::Severity::Warning, journal, Diagnostic::fileLocation(),
             u"このプログラムの一時ファイルではありません。中を確かめて別の場所へ移すまで、記録の修正・削除は"
             u"できません。"_s});
    }
}

std::optional<ResultFileError> ResultStore::rewrite(const RecordEdit &edit, const WaitFunction &wait,
                                                    RewriteOutcome &outcome)
{
    rewrite::Recovery recovery;
    const std::optional<ResultFileError> error = fromShared(m_file.rewrite(edit, wait, outcome, recovery));
    noteRecovery(recovery, std::nullopt);
    return error;
}

std::optional<ResultFileError> ResultStore::recover(const WaitFunction &wait, rewrite::Recovery &recovery)
{
    const std::optional<ResultFileError> error = fromShared(m_file.recover(wait, recovery));
    noteRecovery(recovery, error);
    return error;
}

std::optional<ResultFileError> ResultStore::append(const ResultRecord &rec, const WaitFunction &wait)
{
    char buffer[record::size];
    encodeRecord(rec, buffer);
    rewrite::Recovery recovery;
    std::optional<shared::Failure> recoveryFailure;
    const std::optional<ResultFileError> error =
        fromShared(m_file.append(buffer, wait, recovery, recoveryFailure));
    const std::optional<ResultFileError> recoveryError = fromShared(recoveryFailure);
    if (recoveryError && recoveryError->kind == ResultFileError::Kind::WrongType) {
        notice(u"in-the-way:"_s + recoveryError->toLine(),
               {Diagnostic::Severity::Warning, recoveryError->path, Diagnostic::fileLocation(),
                recoveryError->description + u"。記録の修正・削除はできません。"_s});
    } else {
        noteRecovery(recovery, recoveryError);
    }
    return error;
}

std::optional<ResultFileError> ResultStore::read(qint64 maxRecords, const WaitFunction &wait,
                                                 ResultWindow &window)
{
    shared::Window read;
    shared::JournalFinding finding;
    rewrite::Recovery recovered;
    std::optional<shared::Failure> recoveryFailure;
    const std::optional<ResultFileError> error =
        fromShared(m_file.read(maxRecords, wait, read, finding, recovered, recoveryFailure));
    if (recovered.journalFound || recoveryFailure) noteRecovery(recovered, fromShared(recoveryFailure));
    m_finding = fromShared(finding, journalPath());
    window = ResultWindow();
    window.bytes = QByteArray::fromStdString(read.bytes);
    window.firstRecord = read.firstRecord;
    window.totalRecords = read.totalRecords;
    window.tailBytes = read.tailBytes;
    window.missing = read.missing;
    return error;
}

} // namespace kemoro
