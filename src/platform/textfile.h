#pragma once

#include "platform/diagnostic.h"

#include <QString>

#include <optional>

namespace kemoro {

// Reads a whole CP932 text file. A missing or unreadable file gives a fatal
// diagnostic naming it; bytes that are not CP932 give a warning. Readers never
// create a file.
std::optional<QString> readTextFile(const QString &path, Diagnostics &diagnostics);

// Writes a CP932 text through a temporary file in the same folder that is then
// renamed over the old one, so other computers never read a half-written file.
// Only for files that one teacher writes at a time, never the shared result
// file. Returns a diagnostic when the text cannot be encoded or written; the
// old file then stays as it was.
std::optional<Diagnostic> writeTextFileAtomic(const QString &path, const QString &text);

// Same for bytes that are already encoded.
std::optional<Diagnostic> writeFileAtomic(const QString &path, const QByteArray &bytes);

} // namespace kemoro
