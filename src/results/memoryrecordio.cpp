#include "results/memoryrecordio.h"

#include <algorithm>
#include <cerrno>

namespace kemoro {

Bytes *MemoryRecordIo::bytes(File file)
{
    if (file == File::Results) return &m_results;
    if (!m_journal) {
        m_error = ENOENT;
        return nullptr;
    }
    return &*m_journal;
}

bool MemoryRecordIo::size(File file, std::int64_t &size)
{
    const Bytes *b = bytes(file);
    if (b) size = std::int64_t(b->size());
    return b;
}

bool MemoryRecordIo::read(File file, std::int64_t offset, std::int64_t count, Bytes &out)
{
    const Bytes *b = bytes(file);
    if (!b) return false;
    out = offset < std::int64_t(b->size()) ? b->substr(size_t(offset), size_t(count)) : Bytes();
    return true;
}

bool MemoryRecordIo::write(File file, std::int64_t offset, const Bytes &data)
{
    Bytes *b = bytes(file);
    if (!b) return false;
    if (std::int64_t(b->size()) < offset + std::int64_t(data.size()))
        b->resize(size_t(offset) + data.size(), '\0');
    std::copy(data.begin(), data.end(), b->begin() + offset);
    return true;
}

bool MemoryRecordIo::resize(File file, std::int64_t size)
{
    Bytes *b = bytes(file);
    if (!b) return false;
    b->resize(size_t(size), '\0');
    return true;
}

bool MemoryRecordIo::setJournalAside(std::string &newPath)
{
    m_journal.reset();
    newPath = "(set aside)";
    return true;
}

} // namespace kemoro
