#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kemoro {

// The program's command line: only the options the README lists.
struct ProgramOptions
{
    QString programDir;    // --program-dir DIR; default: the executable's folder
    bool soundOff = false; // --sound=off: cues play silently, for as long as they last
    bool explain = false;  // --explain FILE: only the explanation window for FILE
    QString explanationFile;
    bool printTest = false;     // --print-test: only the print preview with its test pages
    std::optional<double> zoom; // --zoom FACTOR; unset (--zoom=auto): fitted to the screen
    QString error;              // set when the command line is not usable
};

ProgramOptions parseProgramOptions(const QStringList &arguments);

} // namespace kemoro
