#pragma once

#include "state/session.h"

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
};

} // namespace kemoro
