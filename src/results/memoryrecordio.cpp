#include "results/memoryrecordio.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace kemoro {

QByteArray *MemoryRecordIo::bytes(File file)
{
    if (file == File::Results) return &m_results;
    if (!m_journal) {
        m_error = ENOENT;
        return nullptr;
    }
    return &*m_journal;
}

bool MemoryRecordIo::size(File file, qint64 &size)
{
    const QByteArray *b = bytes(file);
    if (b) size = b->size();
    return b;
}

bool MemoryRecordIo::read(File file, qint64 offset, qint64 count, QByteArray &out)
{
    const QByteArray *b = bytes(file);
    if (!b) return false;
    out = offset < b->size() ? b->mid(offset, count) : QByteArray();
    return true;
}

bool MemoryRecordIo::write(File file, qint64 offset, const QByteArray &data)
{
    QByteArray *b = bytes(file);
    if (!b) return false;
    if (b->size() < offset + data.size()) b->resize(offset + data.size(), '\0');
    std::copy(data.begin(), data.end(), b->begin() + offset);
    return true;
}

bool MemoryRecordIo::resize(File file, qint64 size)
{
    QByteArray *b = bytes(file);
    if (!b) return false;
    b->resize(size, '\0');
    return true;
}

bool MemoryRecordIo::setJournalAside(QString &newPath)
{
    m_journal.reset();
    newPath = u"(set aside)"_s;
    return true;
}

} // namespace kemoro
