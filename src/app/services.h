#pragma once

#include "state/context.h"

#include <QObject>

#include <functional>

namespace kemoro {

// Quits the program with an exit status (the navigator's end).
using QuitFunction = std::function<void(int exitCode)>;

// The one home of the program's reporting: every problem goes to standard
// error with the whole path of its file and into a message box titled with the
// program's title (or "ケモロ" before the settings are read).
class Reporting final : public Reporter
{
public:
    Reporting(AppContext &context, QuitFunction quit);

    void report(const Diagnostic &diagnostic, QWidget *parent) override;
    void stop(QWidget *parent, const QString &text) override;
    void stop(QWidget *parent, const Diagnostic &diagnostic) override;
    void stop(QWidget *parent, const QString &text, const ResultFileError &cause) override;

private:
    AppContext &m_context;
    QuitFunction m_quit;
};

// Plays the cues through the context's sound player (silently without one)
// and watches the answer cues: the fourth failure in a row ends the program.
// Played silently, an answer cue ends after its wave file's length, through
// the context's timers.
class CuePlayback final : public QObject, public CuePlayer
{
public:
    CuePlayback(AppContext &context, QuitFunction quit);

    void play(Cue cue, QObject *guard, std::function<void()> then) override;
    // The program is ending: no cue's continuation runs any more.
    void halt() { m_halted = true; }

private:
    AppContext &m_context;
    QuitFunction m_quit;
    SilentSoundPlayer m_silent;
    SoundFailureMonitor m_failures;
    bool m_halted = false;
};

} // namespace kemoro
