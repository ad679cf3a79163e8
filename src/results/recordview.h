#pragma once

#include "platform/oledate.h"
#include "results/resultrecord.h"
#include "state/limits.h"

namespace kemoro {

// The one reading of a stored record's fields. Every reader of the result
// file (aggregation, the lists, the record screen, the report, the
// distribution and `kemoro-data`) looks at records through this view, so a
// record means the same to all of them.
class RecordView
{
public:
    static constexpr qint32 noTime = kemoro::noTime;
    static constexpr int maxStoredLevel = maxLevel;
    static constexpr int maxStoredPupil = maxPupil;

    explicit RecordView(const char *data) : m_data(data) {}

    qint16 pupil() const { return record::get<qint16>(m_data, record::pupilOffset); }
    qint16 level() const { return record::get<qint16>(m_data, record::levelOffset); }
    qint32 storedTime() const { return record::get<qint32>(m_data, record::resultTimeOffset); }
    // Drills that crossed midnight on older computers stored a negative time;
    // it reads as no valid time.
    qint32 resultTime() const
    {
        const qint32 t = storedTime();
        return t < 0 ? noTime : t;
    }
    double date() const { return record::get<double>(m_data, record::dateOffset); }
    double timeOfDay() const { return record::get<double>(m_data, record::timeOffset); }

    // Level 0..35 and pupil 0..5000: a record outside is corrupt and skipped
    // by every reader.
    bool inRange() const
    {
        const int l = level(), p = pupil();
        return l >= 0 && l <= maxStoredLevel && p >= 0 && p <= maxStoredPupil;
    }
    bool hasDate() const { return isDay(date()); }
    bool hasTimeOfDay() const { return isTimeOfDay(timeOfDay()); }

    // A whole number of days within the platform's range (the range test
    // first: it also turns NaN away, so the cast is safe).
    static bool isDay(double d) { return d >= ole::minDay && d <= ole::maxDay && d == double(qint64(d)); }
    static bool isTimeOfDay(double t) { return t >= 0 && t < 1; } // false for NaN
    // A pupil's drill: a level from 1 and a pupil from 1, both in range.
    // Level 0 and pupil 0 are nobody's: the journal's header, marks and
    // fillers are such records.
    bool isDrill() const
    {
        const int l = level(), p = pupil();
        return l >= 1 && l <= maxStoredLevel && p >= 1 && p <= maxStoredPupil;
    }

    const char *data() const { return m_data; }
    ResultRecord decode() const { return decodeRecord(m_data); }

private:
    const char *m_data;
};

} // namespace kemoro
