#pragma once

#include "results/resultstore.h"
#include "state/session.h"
#include "state/soundcues.h"

#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace kemoro {

class Clock;
class RandomSource;
class Messages;
class ProgramStarter;
class SoundPlayer;
class TimerSource;
class PrinterService;
class MediaPlayer;

// Plays the drill's cues. `then` runs when the cue has ended, provided
// `guard` still exists. The answer cues are watched: the fourth failure in a
// row tells the pupil to call the teacher and ends the program, and `then`
// never runs.
class CuePlayer
{
public:
    virtual ~CuePlayer() = default;
    virtual void play(Cue cue, QObject *guard, std::function<void()> then) = 0;
};

// Where the problems a screen meets go: a message box over `parent` and a
// line on standard error.
class Reporter
{
public:
    virtual ~Reporter() = default;
    // A problem found in a file; the program goes on.
    virtual void report(const Diagnostic &diagnostic, QWidget *parent) = 0;
    // A failure the program cannot go on from: an OK-only message, then the end.
    virtual void stop(QWidget *parent, const QString &text) = 0;
    // A problem found in a file that the program cannot go on from: shown as
    // report() shows it, then the end.
    virtual void stop(QWidget *parent, const Diagnostic &diagnostic) = 0;
    // The same for a failure of the result file: its full path and the
    // system's words also go to standard error.
    virtual void stop(QWidget *parent, const QString &text, const ResultFileError &cause) = 0;
};

// The services a run uses. The program passes the real ones; tests pass
// fakes. Nothing here is owned; what is left empty the navigator fills in
// with the program's own.
struct Services
{
    Clock *clock = nullptr;
    RandomSource *random = nullptr;
    Messages *messages = nullptr;
    ProgramStarter *programs = nullptr;
    SoundPlayer *sound = nullptr; // none: every cue is silent
    TimerSource *timers = nullptr;
    CuePlayer *cues = nullptr;
    Reporter *reporter = nullptr;
    PrinterService *printers = nullptr;
    // Makes the video window's player; the caller owns what it returns.
    std::function<MediaPlayer *()> mediaPlayers = {};
};

// Everything a screen needs: the session state, the services and the one
// owner of the shared result file.
struct AppContext
{
    Session session;
    Services services;
    // Where the result store's notices go (the navigator shows them).
    ResultStore::NoticeHandler resultNotices;

    // The one owner of the shared result file of the session's data folder.
    // No screen opens that file itself.
    ResultStore &results()
    {
        const QString path = session.folders.resultFile();
        if (!m_results || m_results->path() != path) {
            m_results = std::make_unique<ResultStore>(path);
            m_results->setNoticeHandler([this](const Diagnostic &d) {
                if (resultNotices) resultNotices(d);
            });
        }
        return *m_results;
    }

private:
    std::unique_ptr<ResultStore> m_results;
};

} // namespace kemoro
