#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kemoro::cp932 {

// Every text file of the installation is Windows-31J (code page 932), shared
// with Windows computers. Decoding takes the whole text at once: a byte
// sequence that is not CP932 (a lead byte at the very end included) becomes
// one U+FFFD and the bytes after it are read on; a delimiter is never part of
// such a sequence, since no trail byte is below 0x40. Bytes below 0x80 are
// always their ASCII character, as on Windows (0x7F too).
struct Decoded
{
    struct Bad
    {
        qsizetype offset = 0; // of the first byte
        QByteArray bytes;     // the sequence that became U+FFFD
    };
    QString text;
    QList<Bad> bad; // in the order of the text
    bool clean() const { return bad.isEmpty(); }
};
Decoded decode(QByteArrayView bytes);

// Characters that Linux input methods type but CP932 lacks are mapped to the
// code page's look-alikes first (the wave dash U+301C becomes the full-width
// tilde U+FF5E, as a Windows computer would have typed it).
QString toCp932Repertoire(QString text);

// Encodes after toCp932Repertoire. Returns nothing when a character has no
// CP932 form; `badIndex` then receives the index of the first such character.
std::optional<QByteArray> encode(const QString &text, qsizetype *badIndex = nullptr);

// Encodes what can be encoded and replaces the rest with "?"; for texts
// built by the program itself, which come only from CP932 sources.
QByteArray encodeLossy(const QString &text);

// Cuts an encoded text to at most `bytes` bytes without splitting a
// double-byte character, then pads it with ASCII blanks to exactly `bytes`.
QByteArray fixedField(const QString &text, int bytes);

} // namespace kemoro::cp932
