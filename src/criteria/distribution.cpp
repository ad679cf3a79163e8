#include "criteria/distribution.h"

#include "platform/text.h"
#include "results/recordview.h"

#include <QHash>
#include <QtEndian>

#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int buckets = 101;
constexpr int lastAllBucket = 100;
constexpr int lastBestBucket = 30;

QStringList bars(const QString &header, const std::array<int, buckets> &counts)
{
    int most = 0;
    for (int c : counts)
        most = std::max(most, c);
    const int unit = most / 10 == 0 ? 1 : most / 10;
    QStringList lines;
    lines.reserve(buckets + 1);
    lines.append(header.arg(unit));
    for (int b = 0; b < buckets; ++b)
        lines.append(rightAligned(QString::number(b * 10), 4) + u"～"_s +
                     QString(int(double(counts[size_t(b)]) / unit + 0.5), u'★'));
    return lines;
}
} // namespace

Distribution buildDistribution(const ResultWindow &window, int level)
{
    std::array<int, buckets> all{};
    std::array<int, buckets> best{};
    int count = 0;
    QHash<qint16, qint32> bestByPupil;
    const bool listed = level >= 1 && level <= 35;
    for (qint64 i = 0; listed && i < window.count(); ++i) {
        const RecordView rec(window.recordData(i));
        if (rec.level() != level) continue;
        const qint32 time = rec.resultTime();
        ++count;
        ++all[size_t(std::min(time / 10, lastAllBucket))];
        const qint16 pupil = rec.pupil();
        auto it = bestByPupil.find(pupil);
        if (it == bestByPupil.end())
            bestByPupil.insert(pupil, time);
        else if (time < *it)
            *it = time;
    }
    for (qint32 time : std::as_const(bestByPupil))
        ++best[size_t(std::min(time / 10, lastBestBucket))];

    const QString s = QString::number(level);
    // A level without results shows "今まで回", as the screen always has.
    const QString counted = count == 0 ? QString() : QString::number(count);
    Distribution d;
    d.allResults = bars(u"レベル"_s + s + u" 今まで"_s + counted + u"回  （★=%1）"_s, all);
    d.bestTimes = bars(u"レベル"_s + s + u" （★=%1）"_s, best);
    return d;
}

} // namespace kemoro
