#pragma once

#include "results/rewrite.h"

namespace kemoro {

// The result file and its journal as bytes in memory. `kemoro-data`, which
// never writes, runs the recovery on a copy to show the records as the next
// computer that takes the lock will leave them.
class MemoryRecordIo final : public RecordIo
{
public:
    MemoryRecordIo(QByteArray results, std::optional<QByteArray> journal)
        : m_results(std::move(results)), m_journal(std::move(journal))
    {
    }

    bool size(File file, qint64 &size) override;
    bool read(File file, qint64 offset, qint64 count, QByteArray &out) override;
    bool write(File file, qint64 offset, const QByteArray &data) override;
    bool resize(File file, qint64 size) override;
    bool flush(File) override { return true; }
    bool journalExists(bool &exists) override
    {
        exists = m_journal.has_value();
        return true;
    }
    bool createJournal() override
    {
        m_journal = QByteArray();
        return true;
    }
    bool removeJournal() override
    {
        m_journal.reset();
        return true;
    }
    bool setJournalAside(QString &newPath) override;
    int error() const override { return m_error; }

    const QByteArray &results() const { return m_results; }
    const std::optional<QByteArray> &journal() const { return m_journal; }

private:
    QByteArray *bytes(File file);

    QByteArray m_results;
    std::optional<QByteArray> m_journal;
    int m_error = 0;
};

} // namespace kemoro
