#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>

namespace kemoro {

// One record of the shared result file "成績累積データ.dat": 44 bytes, no
// header, integers little-endian, texts CP932 padded with blanks. Other
// classroom computers read and write the same bytes, so nothing here may
// change.
namespace record {
inline constexpr qsizetype size = 44;
inline constexpr qsizetype dateOffset = 0;        // double, OLE date: the day, no fraction
inline constexpr qsizetype timeOffset = 8;        // double, OLE date: time of day, whole part 0
inline constexpr qsizetype pupilOffset = 16;      // int16
inline constexpr qsizetype levelOffset = 18;      // int16
inline constexpr qsizetype resultTimeOffset = 20; // int32 seconds; 99999 after a time-out
inline constexpr qsizetype schoolCodeOffset = 24; // text, 5 bytes
inline constexpr qsizetype text2Offset = 29;      // text, 5 bytes
inline constexpr qsizetype text3Offset = 34;      // text, 5 bytes: a number (" 0" after a drill)
inline constexpr qsizetype text4Offset = 39;      // text, 5 bytes: reserved, never read
inline constexpr qsizetype textSize = 5;

static_assert(text4Offset + textSize == size, "the record is exactly 44 bytes");
static_assert(resultTimeOffset + 4 == schoolCodeOffset);
} // namespace record

struct ResultRecord
{
    double date = 0;
    double timeOfDay = 0;
    qint16 pupil = 0;
    qint16 level = 0;
    qint32 resultTime = 0;
    // The raw 5-byte texts, kept as bytes so that a record read and written
    // back is unchanged even when it holds something that is not CP932.
    QByteArray schoolCode = QByteArray(record::textSize, ' ');
    QByteArray text2 = QByteArray(record::textSize, ' ');
    QByteArray text3 = QByteArray(record::textSize, ' ');
    QByteArray text4 = QByteArray(record::textSize, ' ');

    bool operator==(const ResultRecord &) const = default;
};

// The record a finished drill leaves: the day and the time of day of `now`
// (whole seconds), the school code cut to 5 bytes at a character boundary,
// text field 3 the number 0 with its sign blank, field 4 five blanks.
ResultRecord drillRecord(const QDateTime &now, qint16 pupil, qint16 level, qint32 resultTime,
                         const QString &schoolCode);

// Writes exactly record::size bytes to `out`. Texts shorter than 5 bytes are
// blank-padded, longer ones cut.
void encodeRecord(const ResultRecord &rec, char *out);
QByteArray encodeRecord(const ResultRecord &rec);
// Reads record::size bytes.
ResultRecord decodeRecord(const char *in);

// The school code as text: CP932 decoded, trailing blanks dropped.
QString schoolCodeText(const ResultRecord &rec);

} // namespace kemoro
