#include "platform/diagnostic.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace kemoro {

QString Diagnostic::fileName() const
{
    const qsizetype slash = std::max(filePath.lastIndexOf(u'/'), filePath.lastIndexOf(u'\\'));
    return slash < 0 ? filePath : filePath.mid(slash + 1);
}

QString Diagnostic::toLine() const
{
    return fileName() + u':' + location + u": "_s + text;
}

QString Diagnostic::toPathLine() const
{
    return QDir::toNativeSeparators(QFileInfo(filePath).absoluteFilePath()) + u':' + location + u": "_s +
           text;
}

QString Diagnostic::toMessage() const
{
    QString where = QFileInfo(filePath).absoluteFilePath();
    if (location != fileLocation()) where += u" ("_s + location + u')';
    return where + u"\n"_s + text;
}

bool hasFatal(const Diagnostics &diagnostics)
{
    return std::any_of(diagnostics.cbegin(), diagnostics.cend(),
                       [](const Diagnostic &d) { return d.severity == Diagnostic::Severity::Fatal; });
}

QString quotedField(const QString &text)
{
    constexpr qsizetype shown = 40;
    return u'"' + (text.size() > shown ? text.left(shown) + u"…"_s : text) + u'"';
}

namespace {
std::tuple<int, qint64, QString> locationKey(const QString &location)
{
    if (location == Diagnostic::fileLocation()) return {0, 0, QString()};
    const qsizetype blank = location.indexOf(u' ');
    bool ok = false;
    const qint64 n = blank < 0 ? 0 : location.mid(blank + 1).toLongLong(&ok);
    if (ok) return {1, n, location.left(blank)};
    return {2, 0, location};
}
} // namespace

void sortForReport(Diagnostics &diagnostics)
{
    std::stable_sort(diagnostics.begin(), diagnostics.end(), [](const Diagnostic &a, const Diagnostic &b) {
        const QString fa = a.fileName(), fb = b.fileName();
        if (fa != fb) return fa < fb;
        return locationKey(a.location) < locationKey(b.location);
    });
}

} // namespace kemoro
