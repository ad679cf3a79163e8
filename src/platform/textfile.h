#pragma once

#include "platform/diagnostic.h"

#include <QString>

#include <optional>

namespace kemoro {

// What a reader knows about the file it reads.
struct TextFileKind
{
    // Files that only hold settings are small; a larger one is refused
    // unread instead of being parsed (-1: no limit).
    qint64 maxBytes = -1;
    // The file holds the teacher password: no message shows its bytes.
    bool holdsSecret = false;

    static TextFileKind data() { return {}; }
    static TextFileKind settings() { return {settingsFileLimit, false}; }
    static TextFileKind secretSettings() { return {settingsFileLimit, true}; }
    static constexpr qint64 settingsFileLimit = 1024 * 1024;
};

// Decodes a whole text file as the Windows computers read it:
// - a 0x1A byte (Ctrl-Z, as old editors end a file) ends the text;
// - the text is CP932; a byte sequence that is not becomes U+FFFD in its
//   field, the rest is read on, and each line that has one is reported
//   (a warning for the first, a check for the others);
// - a file that starts with a UTF-8 byte-order mark, or that is valid UTF-8
//   with multi-byte characters and not valid CP932, is read as UTF-8 with a
//   warning that tells how to save it for the other computers; one with a
//   UTF-16 byte-order mark (Notepad's "Unicode") likewise as UTF-16.
// `path` only names the file in the diagnostics.
QString decodeTextFile(QByteArrayView bytes, const QString &path, Diagnostics &diagnostics,
                       TextFileKind kind = TextFileKind::data());

// Reads and decodes a whole text file (above). A missing, unreadable or too
// large file gives a fatal diagnostic naming it. Readers never create a file.
std::optional<QString> readTextFile(const QString &path, Diagnostics &diagnostics,
                                    TextFileKind kind = TextFileKind::data());

// Writes a CP932 text through a temporary file in the same folder that is then
// renamed over the old one, so other computers never read a half-written file.
// Only for files that one teacher writes at a time, never the shared result
// file. Returns a diagnostic when the text cannot be encoded or written; the
// old file then stays as it was.
std::optional<Diagnostic> writeTextFileAtomic(const QString &path, const QString &text);

// Same for bytes that are already encoded.
std::optional<Diagnostic> writeFileAtomic(const QString &path, const QByteArray &bytes);

} // namespace kemoro
