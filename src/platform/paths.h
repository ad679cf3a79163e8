#pragma once

#include <QString>

namespace kemoro::paths {

// Folder paths are kept with "/" separators and a final "/", so that file
// names can be appended directly as the stored settings expect. The settings
// files may hold "\" (written on Windows) or "/"; both work on every system.
// A CP932 path is split only after decoding, so a trail byte 0x5C inside a
// double-byte character is never taken for a separator.
QString toFolder(const QString &raw, const QString &baseFolder);

// The last component of a folder path ("C:\prog\drill\" gives "drill").
QString lastComponent(const QString &folder);

// The parent of a folder, with a final "/".
QString parentFolder(const QString &folder);

// A file name the file systems take: no path separators, wildcards or control
// characters, no blanks or dots at either end; "ケモロ" when nothing is left.
QString safeFileName(const QString &name);

} // namespace kemoro::paths
