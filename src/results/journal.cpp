#include "results/journal.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace kemoro::journal {

namespace {
// Level 0 and pupil 0 sit at 16..19 in every slot; the magic texts follow.
constexpr qsizetype magicOffset = 20;
constexpr char headerMagic[] = "KEMORO-JOURNAL-1";
constexpr char fillerMagic[] = "KEMORO-FILLER-1";
constexpr char markMagic[] = "KMRK";
constexpr qsizetype checkedMarkBytes = 36; // the mark's own fields before its checksum

QByteArray magicSlot(const char *magic)
{
    QByteArray bytes(slot, '\0');
    std::memcpy(bytes.data() + magicOffset, magic, std::strlen(magic));
    return bytes;
}

bool hasMagic(const char *slotData, const char *magic)
{
    static const char zeros[magicOffset] = {};
    const size_t n = std::strlen(magic);
    if (std::memcmp(slotData, zeros, magicOffset) != 0 || std::memcmp(slotData + magicOffset, magic, n) != 0)
        return false;
    for (qsizetype i = magicOffset + qsizetype(n); i < slot; ++i)
        if (slotData[i] != '\0')
            return false;
    return true;
}
} // namespace

QByteArray header() { return magicSlot(headerMagic); }
bool isHeader(const char *slotData) { return hasMagic(slotData, headerMagic); }
QByteArray filler() { return magicSlot(fillerMagic); }
bool isFiller(const char *recordData) { return hasMagic(recordData, fillerMagic); }

quint64 checksum(const char *data, qsizetype size, quint64 seed)
{
    quint64 h = seed;
    for (qsizetype i = 0; i < size; ++i) {
        h ^= quint8(data[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}

namespace {
quint64 markChecksum(const char *markData, const char *headerData, const char *body, qsizetype bodySize)
{
    quint64 h = checksum(markData, checkedMarkBytes);
    h = checksum(headerData, slot, h);
    return checksum(body, bodySize, h);
}
} // namespace

QByteArray encodeMark(const Mark &mark, const QByteArray &body)
{
    QByteArray bytes(slot, '\0');
    char *p = bytes.data();
    qToLittleEndian<quint64>(mark.sequence, p);
    qToLittleEndian<qint64>(mark.oldLength, p + 8);
    std::memcpy(p + magicOffset, markMagic, 4);
    p[24] = char(mark.state);
    p[25] = char(mark.operation);
    qToLittleEndian<quint32>(quint32(mark.bodySlot), p + 28);
    qToLittleEndian<quint32>(quint32(mark.record), p + 32);
    const QByteArray head = header();
    qToLittleEndian<quint64>(markChecksum(p, head.constData(), body.constData(), body.size()), p + 36);
    return bytes;
}

std::optional<Mark> readMark(const QByteArray &journal, int which)
{
    const qsizetype at = markSlots[which] * slot;
    if (journal.size() < at + slot || !isHeader(journal.constData()))
        return std::nullopt;
    const char *p = journal.constData() + at;
    static const char zeros[4] = {};
    if (std::memcmp(p + 16, zeros, 4) != 0 || std::memcmp(p + magicOffset, markMagic, 4) != 0)
        return std::nullopt;
    Mark m;
    m.sequence = qFromLittleEndian<quint64>(p);
    m.oldLength = qFromLittleEndian<qint64>(p + 8);
    const quint8 state = quint8(p[24]);
    const quint8 operation = quint8(p[25]);
    if (state < 1 || state > 2 || operation < 1 || operation > 2)
        return std::nullopt;
    m.state = State(state);
    m.operation = Operation(operation);
    m.bodySlot = qFromLittleEndian<quint32>(p + 28);
    m.record = qFromLittleEndian<quint32>(p + 32);
    if (m.oldLength < 0 || m.oldLength % record::size != 0 || m.bodySlot < firstBodySlot)
        return std::nullopt;
    if (m.record >= m.oldLength / record::size)
        return std::nullopt;
    const qint64 bodyBytes = m.bodyRecords() * slot;
    if (m.bodySlot * slot + bodyBytes > journal.size())
        return std::nullopt;
    const quint64 stored = qFromLittleEndian<quint64>(p + 36);
    if (markChecksum(p, journal.constData(), journal.constData() + m.bodySlot * slot, bodyBytes) != stored)
        return std::nullopt;
    return m;
}

bool isTornHeader(const QByteArray &journal)
{
    // The header is the first thing written: power lost during that write
    // leaves a shorter file, or one whose first slot has some of the header's
    // bytes and zeros in place of the others.
    const QByteArray ours = header();
    const qsizetype n = std::min(journal.size(), slot);
    for (qsizetype i = 0; i < n; ++i)
        if (journal[i] != ours[i] && journal[i] != '\0')
            return false;
    return true;
}

Inspection inspect(const QByteArray &journal)
{
    Inspection result;
    if (journal.isEmpty())
        return result;
    if (journal.size() < slot || !isHeader(journal.constData())) {
        result.kind = isTornHeader(journal) ? Kind::Unmarked : Kind::Foreign;
        return result;
    }
    result.kind = Kind::Unmarked;
    for (int which = 0; which < 2; ++which) {
        const std::optional<Mark> m = readMark(journal, which);
        if (m && (result.kind != Kind::Marked || m->sequence > result.mark.sequence)) {
            result.kind = Kind::Marked;
            result.mark = *m;
            result.markIndex = which;
        }
    }
    return result;
}

QString pathFor(const QString &resultFilePath)
{
    QString base = resultFilePath;
    if (base.endsWith(u".dat"_s, Qt::CaseInsensitive))
        base.chop(4);
    return base + u"temp.dat"_s;
}

QString asidePath(const QString &journalPath, const std::function<bool(const QString &)> &taken)
{
    QString base = journalPath;
    if (base.endsWith(u".dat"_s, Qt::CaseInsensitive))
        base.chop(4);
    for (int n = 1;; ++n) {
        const QString candidate = base + u"-別ファイル用"_s + QString::number(n) + u".dat"_s;
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace kemoro::journal
