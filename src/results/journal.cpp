#include "results/journal.h"

#include <algorithm>
#include <cstring>

namespace kemoro::journal {

namespace {
// Level 0 and pupil 0 sit at 16..19 in every slot; the magic texts follow.
constexpr std::int64_t magicOffset = 20;
constexpr char headerMagic[] = "KEMORO-JOURNAL-1";
constexpr char fillerMagic[] = "KEMORO-FILLER-1";
constexpr char markMagic[] = "KMRK";
constexpr std::int64_t checkedMarkBytes = 36; // the mark's own fields before its checksum

Bytes magicSlot(const char *magic)
{
    Bytes bytes(size_t(slot), '\0');
    std::memcpy(bytes.data() + magicOffset, magic, std::strlen(magic));
    return bytes;
}

bool hasMagic(const char *slotData, const char *magic)
{
    static const char zeros[magicOffset] = {};
    const size_t n = std::strlen(magic);
    if (std::memcmp(slotData, zeros, magicOffset) != 0 || std::memcmp(slotData + magicOffset, magic, n) != 0)
        return false;
    for (std::int64_t i = magicOffset + std::int64_t(n); i < slot; ++i)
        if (slotData[i] != '\0') return false;
    return true;
}
} // namespace

Bytes header()
{
    return magicSlot(headerMagic);
}
bool isHeader(const char *slotData)
{
    return hasMagic(slotData, headerMagic);
}
Bytes filler()
{
    return magicSlot(fillerMagic);
}
bool isFiller(const char *recordData)
{
    return hasMagic(recordData, fillerMagic);
}

std::uint64_t checksum(const char *data, std::int64_t size, std::uint64_t seed)
{
    std::uint64_t h = seed;
    for (std::int64_t i = 0; i < size; ++i) {
        h ^= std::uint8_t(data[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}

namespace {
std::uint64_t markChecksum(const char *markData, const char *headerData, const char *body,
                           std::int64_t bodySize)
{
    std::uint64_t h = checksum(markData, checkedMarkBytes);
    h = checksum(headerData, slot, h);
    return checksum(body, bodySize, h);
}
} // namespace

Bytes encodeMark(const Mark &mark, const Bytes &body)
{
    Bytes bytes(size_t(slot), '\0');
    char *p = bytes.data();
    record::put<std::uint64_t>(p, 0, mark.sequence);
    record::put<std::int64_t>(p, 8, mark.oldLength);
    std::memcpy(p + magicOffset, markMagic, 4);
    p[24] = char(mark.state);
    p[25] = char(mark.operation);
    record::put<std::uint32_t>(p, 28, std::uint32_t(mark.bodySlot));
    record::put<std::uint32_t>(p, 32, std::uint32_t(mark.record));
    const Bytes head = header();
    record::put<std::uint64_t>(p, 36, markChecksum(p, head.data(), body.data(), std::int64_t(body.size())));
    return bytes;
}

std::optional<Mark> readMark(const Bytes &journal, int which)
{
    const std::int64_t at = markSlots[which] * slot;
    const std::int64_t size = std::int64_t(journal.size());
    if (size < at + slot || !isHeader(journal.data())) return std::nullopt;
    const char *p = journal.data() + at;
    static const char zeros[4] = {};
    if (std::memcmp(p + 16, zeros, 4) != 0 || std::memcmp(p + magicOffset, markMagic, 4) != 0)
        return std::nullopt;
    Mark m;
    m.sequence = record::get<std::uint64_t>(p, 0);
    m.oldLength = record::get<std::int64_t>(p, 8);
    const std::uint8_t state = std::uint8_t(p[24]);
    const std::uint8_t operation = std::uint8_t(p[25]);
    if (state < 1 || state > 2 || operation < 1 || operation > 2) return std::nullopt;
    m.state = State(state);
    m.operation = Operation(operation);
    m.bodySlot = record::get<std::uint32_t>(p, 28);
    m.record = record::get<std::uint32_t>(p, 32);
    if (m.oldLength < 0 || m.oldLength % record::size != 0 || m.bodySlot < firstBodySlot) return std::nullopt;
    if (m.record >= m.oldLength / record::size) return std::nullopt;
    const std::int64_t bodyBytes = m.bodyRecords() * slot;
    if (m.bodySlot * slot + bodyBytes > size) return std::nullopt;
    const std::uint64_t stored = record::get<std::uint64_t>(p, 36);
    if (markChecksum(p, journal.data(), journal.data() + m.bodySlot * slot, bodyBytes) != stored)
        return std::nullopt;
    return m;
}

bool isTornHeader(const Bytes &journal)
{
    // The header is the first thing written: power lost during that write
    // leaves a shorter file, or one whose first slot has some of the header's
    // bytes and zeros in place of the others.
    const Bytes ours = header();
    const size_t n = std::min(journal.size(), size_t(slot));
    for (size_t i = 0; i < n; ++i)
        if (journal[i] != ours[i] && journal[i] != '\0') return false;
    return true;
}

Inspection inspect(const Bytes &journal)
{
    Inspection result;
    if (journal.empty()) return result;
    if (std::int64_t(journal.size()) < slot || !isHeader(journal.data())) {
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

namespace {
// The name without a final ".dat" (in any case).
std::string withoutDat(const std::string &path)
{
    if (path.size() >= 4) {
        std::string end = path.substr(path.size() - 4);
        std::transform(end.begin(), end.end(), end.begin(), [](char c) { return char(c | 0x20); });
        if (end == ".dat") return path.substr(0, path.size() - 4);
    }
    return path;
}
} // namespace

std::string pathFor(const std::string &resultFilePath)
{
    return withoutDat(resultFilePath) + "temp.dat";
}

std::string asidePath(const std::string &journalPath, const std::function<bool(const std::string &)> &taken)
{
    const std::string base = withoutDat(journalPath);
    for (int n = 1;; ++n) {
        const std::string candidate = base + "-別ファイル用" + std::to_string(n) + ".dat";
        if (!taken(candidate)) return candidate;
    }
}

} // namespace kemoro::journal
