#include "app/services.h"

#include "platform/messages.h"
#include "platform/timers.h"

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

void toStandardError(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stderr);
    std::fflush(stderr);
}

} // namespace

Reporting::Reporting(AppContext &context, QuitFunction quit) : m_context(context), m_quit(std::move(quit)) {}

void Reporting::report(const Diagnostic &diagnostic, QWidget *parent)
{
    toStandardError(diagnostic.toPathLine());
    m_context.services.messages->inform(parent, messageTitle(m_context.session), diagnostic.toMessage());
}

void Reporting::stop(QWidget *parent, const QString &text, const ResultFileError &cause)
{
    toStandardError(cause.toLine());
    stop(parent, text);
}

void Reporting::stop(QWidget *parent, const Diagnostic &diagnostic)
{
    report(diagnostic, parent);
    m_quit(1);
}

void Reporting::stop(QWidget *parent, const QString &text)
{
    m_context.services.messages->show(parent, messageTitle(m_context.session), text, Messages::Buttons::Ok);
    m_quit(1);
}

CuePlayback::CuePlayback(AppContext &context, QuitFunction quit) : m_context(context), m_quit(std::move(quit))
{
}

void CuePlayback::play(Cue cue, QObject *guard, std::function<void()> then)
{
    SoundPlayer *player = m_context.services.sound ? m_context.services.sound : &m_silent;
    const QString file =
        cueFile(cue, m_context.session.sounds, m_context.session.folders, *m_context.services.random);
    QPointer<QObject> alive(guard);
    QPointer<CuePlayback> self(this);
    const bool monitored = isMonitored(cue);
    // A silent answer cue still lasts as long as its sound would: the drill
    // holds the pupil's input until the cue has ended, so that a double click
    // on "判定" cannot judge the next question too. A wave file that cannot be
    // read has no length and ends at once.
    const qint64 silentMs = monitored && playsSilently(player) ? wavFileDurationMs(file).value_or(0) : 0;
    player->play(file, [self, alive, monitored, silentMs, then = std::move(then)](const SoundResult &result) {
        if (!self || self->m_halted) return;
        if (monitored && self->m_failures.record(result)) {
            self->m_context.services.messages->show(qobject_cast<QWidget *>(alive.data()),
                                                    soundFailureTitle(), soundFailureMessage(result.error),
                                                    Messages::Buttons::Ok);
            self->m_halted = true;
            self->m_quit(1);
            return;
        }
        if (!alive) return;
        if (silentMs <= 0) {
            then();
            return;
        }
        self->m_context.services.timers->singleShot(int(std::min(silentMs, maxCueMs)), alive, [self, then] {
            if (self && !self->m_halted) then();
        });
    });
}

} // namespace kemoro
