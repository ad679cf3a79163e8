#pragma once

#include "state/soundcues.h"

#include <QStringList>

#include <deque>

namespace kemoro::test {

// Remembers every file it is asked to play. Answers at once with the queued
// codes (then 0), or, while `hold` is set, keeps the plays pending until the
// test releases them, like a cue that is still sounding. With `silent` set it
// stands for --sound=off.
class RecordingSound final : public SoundPlayer
{
public:
    bool isSilent() const override { return silent; }
    void play(const QString &file, Done done) override
    {
        played.append(file);
        if (hold) {
            pending.push_back(std::move(done));
            return;
        }
        done(next());
    }
    // Ends the oldest pending play.
    void release()
    {
        if (pending.empty()) return;
        Done done = std::move(pending.front());
        pending.pop_front();
        done(next());
    }
    QStringList playedNames() const
    {
        QStringList names;
        for (const QString &f : played)
            names.append(f.section(u'/', -1));
        return names;
    }

    QStringList played;
    std::deque<int> codes;
    bool hold = false;
    bool silent = false;
    std::deque<Done> pending;

private:
    SoundResult next()
    {
        if (codes.empty()) return {};
        const int code = codes.front();
        codes.pop_front();
        return {code, code ? QStringLiteral("no device") : QString()};
    }
};

} // namespace kemoro::test
