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

void SilentSoundPlayer::play(const QString &, Done done)
{
    done(SoundResult{});
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

std::optional<qint64> wavDurationMs(const QByteArray &bytes)
{
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 byteRate = 0;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = u32(at + 4);
        if (id == "fmt " && at + 8 + 12 <= bytes.size())
            byteRate = u32(at + 8 + 8);
        if (id == "data") {
            if (byteRate == 0)
                return std::nullopt;
            // A data chunk cut short by the end of the file plays only what is there.
            const qint64 data = std::min<qint64>(size, bytes.size() - (at + 8));
            return data * 1000 / byteRate;
        }
        // Chunks are padded to an even size.
        at += 8 + qsizetype(size) + (size & 1);
    }
    return std::nullopt;
}

} // namespace kemoro
