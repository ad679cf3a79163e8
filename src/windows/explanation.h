#pragma once

#include <QString>
#include <QUrl>

namespace kemoro {

// Which window shows an explanation file.
enum class ExplanationWindow { Browser, Video };

// A name ending in "swf" was a movie for a browser plug-in and goes to the
// browser window; so do "htm" and "html", which the video window cannot show.
// Everything else is played by the video window. Letter case is ignored.
ExplanationWindow explanationWindowFor(const QString &explanationFile);

// Where an explanation file is read from. An absolute path or a "file:"
// address is used as it is; another address (a scheme such as "http:") stays
// an address, which the windows refuse, since nothing is fetched from the
// network; any other name is relative to the program's data folder, with "\"
// read as a separator as in the settings files. Empty stays empty.
QUrl resolveExplanationFile(const QString &explanationFile, const QString &dataFolder);

// The text the windows show for an address: the local path of a file, or the
// address itself.
QString explanationAddressText(const QUrl &address);

} // namespace kemoro
