#pragma once

#include "results/recordformat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>

namespace kemoro {

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
