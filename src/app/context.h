#pragma once

#include "results/resultstore.h"
#include "state/session.h"

#include <memory>

namespace kemoro {

class Clock;
class RandomSource;
class Messages;
class ProgramStarter;
class SoundPlayer;
class Navigator;

// The platform services a run uses. The program passes the real ones; tests
// pass fakes. Nothing here is owned.
struct Services
{
    Clock *clock = nullptr;
    RandomSource *random = nullptr;
    Messages *messages = nullptr;
    ProgramStarter *programs = nullptr;
    SoundPlayer *sound = nullptr; // none: every cue is silent
};

// Everything a screen needs: the session state, the services and the navigator
// that opens and closes screens.
struct AppContext
{
    Session session;
    Services services;
    Navigator *navigator = nullptr;
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
