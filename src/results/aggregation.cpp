#include "results/aggregation.h"

#include "platform/oledate.h"
#include "results/points.h"

#include <QtEndian>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr qint32 noBest = 99999;
constexpr int levelBestPupils = 1000; // pupils above 1000 never set a level's best

bool isWholeDay(double d)
{
    // The range test first: it also turns NaN away, so the cast is safe.
    return d >= ole::minDay && d <= ole::maxDay && d == double(qint64(d));
}
bool isTimeOfDay(double t)
{
    return t >= 0 && t < 1; // false for NaN
}
} // namespace

std::vector<LoadedRecord> loadRecords(const char *data, qint64 count, ResultTables &tables)
{
    tables.best.fill(noBest);
    std::vector<LoadedRecord> records;
    records.reserve(size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        const char *in = data + i * record::size;
        LoadedRecord r;
        r.pupil = qFromLittleEndian<qint16>(in + record::pupilOffset);
        r.level = qFromLittleEndian<qint16>(in + record::levelOffset);
        if (r.level < 0 || r.level > maxLevel || r.pupil < 0 || r.pupil > maxPupil)
            continue;
        r.resultTime = qFromLittleEndian<qint32>(in + record::resultTimeOffset);
        // Drills that crossed midnight on older computers stored a negative time.
        if (r.resultTime < 0)
            r.resultTime = noBest;
        // The best counts before the date is looked at, as on every other computer.
        if (r.level >= 1 && r.pupil >= 1) {
            qint32 &best = tables.best(r.level, r.pupil);
            if (r.resultTime < best)
                best = r.resultTime;
        }
        r.date = qFromLittleEndian<double>(in + record::dateOffset);
        r.timeOfDay = qFromLittleEndian<double>(in + record::timeOffset);
        if (r.date < 0 || !isWholeDay(r.date) || !isTimeOfDay(r.timeOfDay) || r.pupil == 0 || r.level < 1)
            continue;
        records.push_back(r);
    }
    tables.levelBest.fill(noBest);
    for (int level = 1; level <= maxLevel; ++level) {
        qint32 best = noBest;
        for (int pupil = 1; pupil <= levelBestPupils; ++pupil)
            best = std::min(best, tables.best(level, pupil));
        tables.levelBest[size_t(level)] = best;
    }
    return records;
}

QString loadFailureMessage(const ResultFileError &error)
{
    // The stage marker tells the teacher's helper where the loader stopped:
    // 3 is the open, 5 the reading of the records.
    if (error.kind == ResultFileError::Kind::NotFound)
        return u"ファイルがありません"_s + u"3"_s + error.description + QString::number(error.code);
    return u"成績ランダムファイル表示"_s + u"5"_s + error.description + QString::number(error.code) + u" "_s +
           error.path;
}

LoadOutcome loadResults(const ResultFile &file, const WaitFunction &wait, ResultTables &tables)
{
    LoadOutcome outcome;
    ResultWindow window;
    int notFound = 0;
    for (;;) {
        outcome.error = file.read(resultWindow, wait, window);
        if (!outcome.error || outcome.error->kind != ResultFileError::Kind::NotFound)
            break;
        // A shared folder that is briefly unreachable (a server waking up)
        // gets four chances before the program gives up.
        if (!wait || !wait(5) || ++notFound >= 4)
            break;
    }
    if (outcome.error) {
        tables.best.fill(noBest);
        tables.levelBest.fill(noBest);
        return outcome;
    }
    outcome.records = loadRecords(window.bytes.constData(), window.count(), tables);
    return outcome;
}

void aggregateRecords(const CriteriaTable &criteria, const QDateTime &now, const std::vector<LoadedRecord> &records,
                      ResultTables &tables)
{
    for (LevelPupilTable *t : {&tables.todayTries, &tables.todayPoints, &tables.totalTries, &tables.totalPoints,
                               &tables.judgeTries, &tables.judgePoints, &tables.limitTries, &tables.limitPoints})
        t->fill(0);

    const double nowOle = ole::fromDateTime(now);
    const double today = ole::fromDate(now.date());
    // A record date has no time of day, so "later than now minus d days"
    // takes today and the d - 1 days before it; d = 0 takes nothing.
    std::array<double, levelSlots> judgeAfter{}, limitAfter{};
    for (int level = 1; level <= maxLevel; ++level) {
        judgeAfter[size_t(level)] = nowOle - criteria[size_t(level)].judgeDays.asNumber();
        limitAfter[size_t(level)] = nowOle - criteria[size_t(level)].overDays.asNumber();
    }

    for (const LoadedRecord &r : records) {
        const int level = r.level, pupil = r.pupil;
        const qint32 t = r.resultTime;
        const int tries = t < countedTimeLimit ? 1 : 0;
        const int points = drillPoints(t, criteria[size_t(level)]);
        if (r.date > judgeAfter[size_t(level)]) {
            tables.judgeTries(level, pupil) += tries;
            tables.judgePoints(level, pupil) += points;
        }
        if (r.date > limitAfter[size_t(level)]) {
            tables.limitTries(level, pupil) += tries;
            tables.limitPoints(level, pupil) += points;
        }
        tables.totalTries(level, pupil) += tries;
        tables.totalPoints(level, pupil) += points;
        if (r.date == today) {
            tables.todayTries(level, pupil) += tries;
            tables.todayPoints(level, pupil) += points;
        }
    }
}

std::optional<ResultFileError> aggregate(const CriteriaTable &criteria, const QDateTime &now, const ResultFile &file,
                                         const WaitFunction &wait, ResultTables &tables)
{
    LoadOutcome loaded = loadResults(file, wait, tables);
    aggregateRecords(criteria, now, loaded.records, tables);
    return loaded.error;
}

} // namespace kemoro
