#pragma once

#include "results/rewrite.h"

#include <optional>

namespace kemoro {

// The result file and its journal as bytes in memory. `kemoro-data`, which
// never writes, runs the recovery on a copy to show the records as the next
// computer that takes the lock will leave them.
class MemoryRecordIo final : public RecordIo
{
public:
    MemoryRecordIo(Bytes results, std::optional<Bytes> journal)
        : m_results(std::move(results)), m_journal(std::move(journal))
    {
    }

    bool size(File file, std::int64_t &size) override;
    bool read(File file, std::int64_t offset, std::int64_t count, Bytes &out) override;
    bool write(File file, std::int64_t offset, const Bytes &data) override;
    bool resize(File file, std::int64_t size) override;
    bool flush(File) override { return true; }
    bool journalExists(bool &exists) override
    {
        exists = m_journal.has_value();
        return true;
    }
    bool createJournal() override
    {
        m_journal = Bytes();
        return true;
    }
    bool removeJournal() override
    {
        m_journal.reset();
        return true;
    }
    bool setJournalAside(std::string &newPath) override;
    int error() const override { return m_error; }

    const Bytes &results() const { return m_results; }
    const std::optional<Bytes> &journal() const { return m_journal; }

private:
    Bytes *bytes(File file);

    Bytes m_results;
    std::optional<Bytes> m_journal;
    int m_error = 0;
};

} // namespace kemoro
