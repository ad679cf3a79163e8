#include "app/services.h"

#include "platform/messages.h"

#include <QPointer>
#include <QWidget>

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
    player->play(file, [self, alive, monitored, then = std::move(then)](const SoundResult &result) {
        if (!self || self->m_halted) return;
        if (monitored && self->m_failures.record(result)) {
            self->m_context.services.messages->show(qobject_cast<QWidget *>(alive.data()),
                                                    soundFailureTitle(), soundFailureMessage(result.error),
                                                    Messages::Buttons::Ok);
            self->m_halted = true;
            self->m_quit(1);
            return;
        }
        if (alive) then();
    });
}

} // namespace kemoro
