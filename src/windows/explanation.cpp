#include "windows/explanation.h"

#include <QDir>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace kemoro {

ExplanationWindow explanationWindowFor(const QString &explanationFile)
{
    for (const QString &ending : {u"swf"_s, u"htm"_s, u"html"_s})
        if (explanationFile.endsWith(ending, Qt::CaseInsensitive)) return ExplanationWindow::Browser;
    return ExplanationWindow::Video;
}

QUrl resolveExplanationFile(const QString &explanationFile, const QString &dataFolder)
{
    if (explanationFile.isEmpty()) return {};
    if (explanationFile.startsWith(u"file:"_s, Qt::CaseInsensitive)) return QUrl(explanationFile);
    if (QDir::isAbsolutePath(explanationFile)) return QUrl::fromLocalFile(explanationFile);
    // Two letters or more before the colon: a one-letter scheme would be a
    // Windows drive ("C:\…"), which is no address.
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    if (scheme.match(explanationFile).hasMatch()) return QUrl(explanationFile);
    QString relative = explanationFile;
    relative.replace(u'\\', u'/');
    return QUrl::fromLocalFile(dataFolder + relative);
}

QString explanationAddressText(const QUrl &address)
{
    return address.isLocalFile() ? address.toLocalFile() : address.toString();
}

} // namespace kemoro
