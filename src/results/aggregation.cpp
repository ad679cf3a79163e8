#include "results/aggregation.h"

#include "platform/oledate.h"
#include "results/points.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
// A drill dated before the platform's day 0 counts for the best times only.
bool isAddedUpDate(double date, double timeOfDay)
{
    return date >= 0 && RecordView::isDay(date) && RecordView::isTimeOfDay(timeOfDay);
}
} // namespace

bool isAddedUp(const RecordView view)
{
    return view.isDrill() && isAddedUpDate(view.date(), view.timeOfDay());
}

namespace {
constexpr qint32 noBest = 99999;
constexpr int levelBestPupils = 1000; // pupils above 1000 never set a level's best

// Decodes the fields aggregation reads; false when the level or pupil is out
// of range, and the record is skipped altogether.
bool readFields(const RecordView view, LoadedRecord &r)
{
    if (!view.inRange()) return false;
    r.pupil = view.pupil();
    r.level = view.level();
    r.resultTime = view.resultTime();
    r.date = view.date();
    r.timeOfDay = view.timeOfDay();
    return true;
}

// The best counts before the date is looked at, as on every other computer.
// The level's best is the smallest of its pupils' bests, so it can follow the
// records directly instead of scanning the table afterwards.
void noteBest(const LoadedRecord &r, ResultTables &tables)
{
    if (r.level < 1 || r.pupil < 1) return;
    qint32 &best = tables.best(r.level, r.pupil);
    best = std::min(best, r.resultTime);
    qint32 &levelBest = tables.levelBest[size_t(r.level)];
    levelBest = std::min(levelBest, r.pupil <= levelBestPupils ? r.resultTime : noBest);
}

bool isAddedUp(const LoadedRecord &r)
{
    return r.pupil != 0 && r.level >= 1 && isAddedUpDate(r.date, r.timeOfDay);
}

// Almost every record lands on a level and pupil no record near it touched,
// so its best and its counters are cache misses; asking for them a few
// records ahead lets those misses overlap instead of stalling one by one.
constexpr qint64 prefetchAhead = 16;

void prefetch(const void *p)
{
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    // An asm statement, as GCC 12 drops a __builtin_prefetch behind a branch.
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char *>(p)));
#elif defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    Q_UNUSED(p);
#endif
}

void prefetchCells(const char *in, ResultTables &tables)
{
    const RecordView view(in);
    if (!view.isDrill()) return;
    prefetch(&tables.best(view.level(), view.pupil()));
    prefetch(tables.counters(view.level(), view.pupil()));
}

void resetBests(ResultTables &tables)
{
    tables.best.fill(noBest);
    tables.levelBest.fill(noBest);
}

// Adds records into the counters.
class Adder
{
public:
    Adder(const CriteriaTable &criteria, const QDateTime &now, PointsMemo &memo)
        : m_criteria(criteria), m_today(ole::fromDate(now.date())), m_memo(memo)
    {
        m_memo.prepare(criteria);
        const double nowOle = ole::fromDateTime(now);
        // A record date has no time of day, so "later than now minus d days"
        // takes today and the d - 1 days before it; d = 0 takes nothing.
        for (int level = 1; level <= maxLevel; ++level) {
            m_judgeAfter[size_t(level)] = nowOle - criteria[size_t(level)].judgeDays.asNumber();
            m_limitAfter[size_t(level)] = nowOle - criteria[size_t(level)].overDays.asNumber();
        }
    }

    void add(const LoadedRecord &r, ResultTables &tables)
    {
        const int level = r.level;
        const qint32 t = r.resultTime;
        const int tries = t < countedTimeLimit ? 1 : 0;
        const int points = m_memo.points(level, t, m_criteria[size_t(level)]);
        // Which periods the drill counts in is close to random from one record
        // to the next, so adding zeros beats branching on each period.
        const int inJudge = r.date > m_judgeAfter[size_t(level)] ? 1 : 0;
        const int inLimit = r.date > m_limitAfter[size_t(level)] ? 1 : 0;
        const int inToday = r.date == m_today ? 1 : 0;
        const qint32 add[ResultTables::counterCount] = {inToday * tries, inToday * points, tries,
                                                        points,          inJudge * tries,  inJudge * points,
                                                        inLimit * tries, inLimit * points};
        static_assert(ResultTables::TodayTries == 0 && ResultTables::TodayPoints == 1 &&
                      ResultTables::TotalTries == 2 && ResultTables::TotalPoints == 3 &&
                      ResultTables::JudgeTries == 4 && ResultTables::JudgePoints == 5 &&
                      ResultTables::LimitTries == 6 && ResultTables::LimitPoints == 7);
        qint32 *c = tables.counters(level, r.pupil);
        for (int k = 0; k < ResultTables::counterCount; ++k)
            c[k] += add[k];
    }

private:
    const CriteriaTable &m_criteria;
    const double m_today;
    PointsMemo &m_memo;
    std::array<double, levelSlots> m_judgeAfter{}, m_limitAfter{};
};
} // namespace

void LevelPupilTable::fill(qint32 value)
{
    if (m_stride == 1) {
        std::fill(m_cells, m_cells + cellCount, value);
        return;
    }
    for (size_t i = 0; i < cellCount; ++i)
        m_cells[i * m_stride] = value;
}

void LevelPupilTable::copyValues(const LevelPupilTable &other)
{
    for (size_t i = 0; i < cellCount; ++i)
        m_cells[i * m_stride] = other.m_cells[i * other.m_stride];
}

void ResultTables::bindViews()
{
    LevelPupilTable *const views[counterCount] = {&todayTries, &todayPoints, &totalTries, &totalPoints,
                                                  &judgeTries, &judgePoints, &limitTries, &limitPoints};
    static_assert(TodayTries == 0 && TodayPoints == 1 && TotalTries == 2 && TotalPoints == 3 &&
                  JudgeTries == 4 && JudgePoints == 5 && LimitTries == 6 && LimitPoints == 7);
    for (int k = 0; k < counterCount; ++k)
        views[k]->m_cells = m_counters.front().value + k;
}

void ResultTables::clearCounts()
{
    std::memset(static_cast<void *>(m_counters.data()), 0, m_counters.size() * sizeof(CounterCell));
}

std::vector<LoadedRecord> loadRecords(const char *data, qint64 count, ResultTables &tables)
{
    resetBests(tables);
    std::vector<LoadedRecord> records;
    records.reserve(size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        LoadedRecord r;
        if (!readFields(RecordView(data + i * record::size), r)) continue;
        noteBest(r, tables);
        if (isAddedUp(r)) records.push_back(r);
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

namespace {
// The newest `resultWindow` records of the file.
std::optional<ResultFileError> readWindow(ResultStore &file, const WaitFunction &wait, ResultWindow &window)
{
    std::optional<ResultFileError> error;
    int notFound = 0;
    for (;;) {
        error = file.read(resultWindow, wait, window);
        if (!error || error->kind != ResultFileError::Kind::NotFound) break;
        // A shared folder that is briefly unreachable (a server waking up)
        // gets four chances before the program gives up.
        if (!wait || !wait(5) || ++notFound >= 4) break;
    }
    return error;
}
} // namespace

LoadOutcome loadResults(ResultStore &file, const WaitFunction &wait, ResultTables &tables)
{
    LoadOutcome outcome;
    ResultWindow window;
    outcome.error = readWindow(file, wait, window);
    if (outcome.error) {
        resetBests(tables);
        return outcome;
    }
    outcome.records = loadRecords(window.bytes.constData(), window.count(), tables);
    return outcome;
}

void aggregateRecords(const CriteriaTable &criteria, const QDateTime &now,
                      const std::vector<LoadedRecord> &records, ResultTables &tables)
{
    tables.clearCounts();
    Adder adder(criteria, now, tables.pointsMemo);
    for (const LoadedRecord &r : records)
        adder.add(r, tables);
}

// The same as loadResults then aggregateRecords, in one pass over the window
// without the list of records in between.
std::optional<ResultFileError> aggregate(const CriteriaTable &criteria, const QDateTime &now,
                                         ResultStore &file, const WaitFunction &wait, ResultTables &tables)
{
    ResultWindow window;
    const std::optional<ResultFileError> error = readWindow(file, wait, window);
    resetBests(tables);
    tables.clearCounts();
    if (error) return error;
    Adder adder(criteria, now, tables.pointsMemo);
    const char *data = window.bytes.constData();
    const qint64 count = window.count();
    for (qint64 i = 0; i < count; ++i) {
        if (i + prefetchAhead < count) prefetchCells(data + (i + prefetchAhead) * record::size, tables);
        LoadedRecord r;
        if (!readFields(RecordView(data + i * record::size), r)) continue;
        noteBest(r, tables);
        if (isAddedUp(r)) adder.add(r, tables);
    }
    return std::nullopt;
}

} // namespace kemoro
