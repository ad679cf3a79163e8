// The 44-byte records of the result file, as every reader decodes them: the
// record view, the aggregation's rule and the aggregation itself.
#include "results/aggregation.h"
#include "results/recordview.h"
#include "results/resultrecord.h"

#include <QDateTime>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const qint64 count = qint64(size) / kemoro::record::size;
    for (qint64 i = 0; i < count; ++i) {
        const kemoro::RecordView view(bytes + i * kemoro::record::size);
        // The aggregation adds up only a pupil's drill with a valid day and time.
        if (kemoro::isAddedUp(view) && !(view.isDrill() && view.hasDate() && view.hasTimeOfDay()))
            __builtin_trap();
        kemoro::schoolCodeText(view.decode());
    }
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
