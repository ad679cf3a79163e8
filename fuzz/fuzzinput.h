#pragma once

#include "platform/diagnostic.h"
#include "platform/textfile.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace kemoro::fuzz {

// What every text loader gets first: the bytes decoded as a file of that
// name, with the diagnostics of the decoding.
struct TextInput
{
    Diagnostics diagnostics;
    QString path;
    QString text;

    TextInput(const uint8_t *data, size_t size, const QString &fileName,
              TextFileKind kind = TextFileKind::data())
        : path(fileName)
    {
        text = decodeTextFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), path,
                              diagnostics, kind);
    }
};

// Every diagnostic must name its file and say something: a loader that
// reports an empty text or the wrong file has lost track of what it read.
inline void checkDiagnostics(const TextInput &input)
{
    for (const Diagnostic &d : input.diagnostics)
        if (d.filePath != input.path || d.text.isEmpty() || d.location.isEmpty()) __builtin_trap();
}

} // namespace kemoro::fuzz
