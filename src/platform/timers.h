#pragma once

#include <QObject>

#include <functional>

namespace kemoro {

// A timer of the program's flow (the drill clock, the one-second wait after a
// drill, the end screen's reveal, the hub's waits). Screens take theirs from a
// TimerSource, so tests move time on instead of waiting for it.
class FlowTimer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;

signals:
    void timeout();
};

class TimerSource
{
public:
    virtual ~TimerSource() = default;

    // A stopped timer owned by `parent`: repeating, or firing once per start.
    virtual FlowTimer *create(int intervalMs, bool singleShot, QObject *parent) = 0;

    // Runs `then` once after `ms`, unless `context` is gone by then.
    void singleShot(int ms, QObject *context, std::function<void()> then);
};

// The event loop's timers.
class QtTimerSource final : public TimerSource
{
public:
    FlowTimer *create(int intervalMs, bool singleShot, QObject *parent) override;
};

} // namespace kemoro
