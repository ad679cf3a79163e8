#include "state/soundcues.h"

#include "platform/clock.h"

#include <QtEndian>

using namespace Qt::StringLiterals;

namespace kemoro {

bool isMonitored(Cue cue)
{
    return cue == Cue::Right || cue == Cue::Wrong;
}

QString cueFile(Cue cue, const SoundTable &table, const Folders &folders, RandomSource &random)
{
    const auto role = [&](int r) { return folders.soundFile(table.pick(r, random.next())); };
    switch (cue) {
    case Cue::Right:
        return role(SoundTable::Right2);
    case Cue::Wrong:
        return role(SoundTable::Wrong2);
    case Cue::PersonalBest:
        return role(SoundTable::PersonalBest2);
    case Cue::Fail:
        return role(SoundTable::Fail1);
    case Cue::LevelBest:
        return folders.soundFile(u"最高1"_s);
    case Cue::Pass:
        return folders.soundFile(u"合格"_s);
    }
    return QString();
}

bool SoundFailureMonitor::record(const SoundResult &result)
{
    if (result.code == soundcode::ok) {
        m_failures = 0;
        return false;
    }
    if (m_failures < tolerated) {
        ++m_failures;
        return false;
    }
    return true;
}

QString soundFailureTitle()
{
    return u"音声エラー"_s;
}

QString soundFailureMessage(const QString &error)
{
    return u"音声がでません。先生を呼びなさい。\r\n"_s + error;
}

} // namespace kemoro
