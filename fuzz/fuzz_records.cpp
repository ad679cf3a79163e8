// The 44-byte records of the result file, as every reader decodes them.
#include "results/aggregation.h"
#include "results/resultrecord.h"

#include <QDateTime>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const qint64 count = qint64(size) / kemoro::record::size;
    for (qint64 i = 0; i < count; ++i)
        kemoro::schoolCodeText(kemoro::decodeRecord(bytes + i * kemoro::record::size));
    static kemoro::ResultTables tables; // 36 x 5001 cells each: made once, as in the program
    static const kemoro::CriteriaTable criteria = [] {
        kemoro::CriteriaTable t;
        for (kemoro::CriteriaRow &row : t) {
            row.targetTime = 30;
            row.minTime = 60;
            row.pointRate = 1.5f;
            row.judgeDays = kemoro::FreeValue::fromField(QStringLiteral("7"), false);
            row.overDays = kemoro::FreeValue::fromField(QStringLiteral("1"), false);
        }
        return t;
    }();
    const std::vector<kemoro::LoadedRecord> records = kemoro::loadRecords(bytes, count, tables);
    kemoro::aggregateRecords(criteria, QDateTime(QDate(2026, 12, 10), QTime(9, 0)), records, tables);
    return 0;
}
