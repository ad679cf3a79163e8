#pragma once

#include "criteria/criteria.h"
#include "results/points.h"
#include "results/recordview.h"
#include "results/resultstore.h"
#include "state/limits.h"

#include <QDateTime>

#include <array>
#include <vector>

namespace kemoro {

inline constexpr qint64 resultWindow = 20000;    // the newest records aggregation reads
inline constexpr qint32 countedTimeLimit = 6000; // from this time on a drill scores but is no try

// One value per level 0..35 and pupil 0..5000. A table either holds its own
// values or views one counter of the shared block of ResultTables; copying a
// table copies its values, so both kinds read and write the same way.
class LevelPupilTable
{
public:
    explicit LevelPupilTable(qint32 initial = 0) : m_own(cellCount, initial), m_cells(m_own.data()) {}
    LevelPupilTable(const LevelPupilTable &other) : m_own(cellCount), m_cells(m_own.data())
    {
        copyValues(other);
    }
    LevelPupilTable &operator=(const LevelPupilTable &other)
    {
        copyValues(other);
        return *this;
    }
    qint32 &operator()(int level, int pupil) { return m_cells[index(level, pupil) * m_stride]; }
    qint32 operator()(int level, int pupil) const { return m_cells[index(level, pupil) * m_stride]; }
    void fill(qint32 value);

private:
    friend struct ResultTables;
    static constexpr size_t cellCount = size_t(levelSlots) * pupilSlots;
    static size_t index(int level, int pupil) { return size_t(level) * pupilSlots + size_t(pupil); }
    struct View
    {
    };
    LevelPupilTable(View, size_t stride) : m_stride(stride) {}
    void copyValues(const LevelPupilTable &other);

    std::vector<qint32> m_own; // empty for a view
    qint32 *m_cells = nullptr;
    size_t m_stride = 1;
};

// The per-level, per-pupil results every screen judges and ranks by. Counts
// are 32-bit integers throughout (wider than some of the stored originals,
// never narrower).
//
// The eight counters of one level and pupil sit side by side in one aligned
// 32-byte cell: aggregation scatters its adds over the whole 36 x 5001 range,
// and one cache line per record instead of eight is most of its cost.
struct ResultTables
{
    enum Counter {
        TodayTries,
        TodayPoints,
        TotalTries,
        TotalPoints,
        JudgeTries,
        JudgePoints,
        LimitTries,
        LimitPoints
    };
    static constexpr int counterCount = 8;

private:
    struct alignas(32) CounterCell
    {
        qint32 value[counterCount];
    };
    static_assert(sizeof(CounterCell) == 32, "one cell never straddles a cache line");
    std::vector<CounterCell> m_counters = std::vector<CounterCell>(LevelPupilTable::cellCount);

public:
    LevelPupilTable todayTries{view()}, todayPoints{view()};
    LevelPupilTable totalTries{view()}, totalPoints{view()};
    LevelPupilTable judgeTries{view()}, judgePoints{view()}; // within the level's judgeDays
    LevelPupilTable limitTries{view()}, limitPoints{view()}; // within the level's overDays
    LevelPupilTable best{99999};                             // smallest result time; 99999 when none
    std::array<qint32, levelSlots> levelBest;                // over pupils 1..1000; 99999 when none

    // Kept between aggregations; a copy starts with an empty memo.
    PointsMemo pointsMemo;

    // Set by recording a drill, read by the end-of-drill screen.
    bool clearedBefore = false;
    bool newPersonalBest = false;
    bool newLevelBest = false;

    ResultTables()
    {
        bindViews();
        levelBest.fill(99999);
    }
    ResultTables(const ResultTables &other)
        : m_counters(other.m_counters), best(other.best), levelBest(other.levelBest),
          clearedBefore(other.clearedBefore), newPersonalBest(other.newPersonalBest),
          newLevelBest(other.newLevelBest)
    {
        bindViews();
    }
    ResultTables &operator=(const ResultTables &other)
    {
        m_counters = other.m_counters;
        bindViews();
        best = other.best;
        levelBest = other.levelBest;
        clearedBefore = other.clearedBefore;
        newPersonalBest = other.newPersonalBest;
        newLevelBest = other.newLevelBest;
        return *this;
    }

    // The eight counters of one level and pupil, indexed by Counter.
    qint32 *counters(int level, int pupil) { return m_counters[LevelPupilTable::index(level, pupil)].value; }
    // Sets all eight counter tables to 0 in one pass over the block.
    void clearCounts();

private:
    static LevelPupilTable view() { return LevelPupilTable(LevelPupilTable::View{}, counterCount); }
    void bindViews();
};

// A record as aggregation uses it.
struct LoadedRecord
{
    double date = 0;
    double timeOfDay = 0;
    qint16 pupil = 0;
    qint16 level = 0;
    qint32 resultTime = 0; // a negative stored time reads as 99999
};

// LoadResults over raw whole records: resets and rebuilds the best times
// and gives back the records that aggregation adds up. Every record of the
// window that can be used is kept. A record whose level is outside 0..35 or
// pupil outside 0..5000 is skipped (one corrupt record must not stop every
// computer of a classroom); a record of level 0 or pupil 0, or whose date is
// not a whole-day date or time of day not in [0, 1), is not added up, though
// its time still counts for the best times.
// Whether aggregation adds the record up: a pupil's drill (isDrill) with a
// date of day 0 or later and a valid time of day. `kemoro-data check` judges
// records by this same rule.
bool isAddedUp(RecordView view);

std::vector<LoadedRecord> loadRecords(const char *data, qint64 count, ResultTables &tables);

// Reads the newest `resultWindow` records of the file, then loadRecords. A
// missing file reads as no records. A folder that cannot be reached is tried
// again every 5 seconds, four times; a lock every second while `wait` agrees.
struct LoadOutcome
{
    std::vector<LoadedRecord> records;
    std::optional<ResultFileError> error;
};
LoadOutcome loadResults(ResultStore &file, const WaitFunction &wait, ResultTables &tables);

// The message box text when the results cannot be read.
QString loadFailureMessage(const ResultFileError &error);

// Aggregate: clears the tries and points tables and adds up the records.
// Periods count whole days back from `now` (a drill counts toward judgeDays
// d when its date is later than now minus d days, time of day included).
void aggregateRecords(const CriteriaTable &criteria, const QDateTime &now,
                      const std::vector<LoadedRecord> &records, ResultTables &tables);

// loadResults, then aggregateRecords: the whole refresh before a screen.
std::optional<ResultFileError> aggregate(const CriteriaTable &criteria, const QDateTime &now,
                                         ResultStore &file, const WaitFunction &wait, ResultTables &tables);

} // namespace kemoro
