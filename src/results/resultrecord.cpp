#include "results/resultrecord.h"

#include "platform/cp932.h"
#include "platform/oledate.h"
#include "results/recordview.h"

#include <QtEndian>

#include <cstring>

using namespace Qt::StringLiterals;

namespace kemoro {

ResultRecord drillRecord(const QDateTime &now, qint16 pupil, qint16 level, qint32 resultTime,
                         const QString &schoolCode)
{
    ResultRecord rec;
    rec.date = ole::fromDate(now.date());
    rec.timeOfDay = ole::fromTimeOfDay(now.time());
    rec.pupil = pupil;
    rec.level = level;
    rec.resultTime = resultTime;
    rec.schoolCode = cp932::fixedField(schoolCode, int(record::textSize));
    // The number 0 as the platform prints it: a blank where a minus would go.
    rec.text3 = QByteArrayLiteral(" 0   ");
    return rec;
}

namespace {
void putText(const QByteArray &text, char *out)
{
    const qsizetype n = std::min(text.size(), record::textSize);
    std::memcpy(out, text.constData(), size_t(n));
    std::memset(out + n, ' ', size_t(record::textSize - n));
}
} // namespace

void encodeRecord(const ResultRecord &rec, char *out)
{
    qToLittleEndian(rec.date, out + record::dateOffset);
    qToLittleEndian(rec.timeOfDay, out + record::timeOffset);
    qToLittleEndian(rec.pupil, out + record::pupilOffset);
    qToLittleEndian(rec.level, out + record::levelOffset);
    qToLittleEndian(rec.resultTime, out + record::resultTimeOffset);
    putText(rec.schoolCode, out + record::schoolCodeOffset);
    putText(rec.text2, out + record::text2Offset);
    putText(rec.text3, out + record::text3Offset);
    putText(rec.text4, out + record::text4Offset);
}

QByteArray encodeRecord(const ResultRecord &rec)
{
    QByteArray bytes(record::size, Qt::Uninitialized);
    encodeRecord(rec, bytes.data());
    return bytes;
}

ResultRecord decodeRecord(const char *in)
{
    const RecordView view(in);
    ResultRecord rec;
    rec.date = view.date();
    rec.timeOfDay = view.timeOfDay();
    rec.pupil = view.pupil();
    rec.level = view.level();
    rec.resultTime = view.storedTime(); // as stored: a record read and written back is unchanged
    rec.schoolCode = QByteArray(in + record::schoolCodeOffset, record::textSize);
    rec.text2 = QByteArray(in + record::text2Offset, record::textSize);
    rec.text3 = QByteArray(in + record::text3Offset, record::textSize);
    rec.text4 = QByteArray(in + record::text4Offset, record::textSize);
    return rec;
}

QString schoolCodeText(const ResultRecord &rec)
{
    QByteArray bytes = rec.schoolCode;
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    return cp932::decode(bytes).text;
}

} // namespace kemoro
