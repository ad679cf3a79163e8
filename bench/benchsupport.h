#pragma once

#include "schooldata.h"

#include "platform/clock.h"
#include "platform/messages.h"

namespace kemoro::bench {

// The school's clock stands still, so every run sees the same figures.
class SchoolClock final : public Clock
{
public:
    QDateTime now() const override { return schoolNow(); }
    qint64 monotonicMs() const override { return 0; }
};

// Answers every message box as the user who goes on would: OK, or Yes.
class AnsweringMessages final : public Messages
{
public:
    Answer show(QWidget *, const QString &, const QString &, Buttons buttons) override
    {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
};

} // namespace kemoro::bench
