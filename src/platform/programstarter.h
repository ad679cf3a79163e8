#pragma once

#include <QString>
#include <QStringList>

namespace kemoro {

// Starts another program without waiting for it (the launcher of the product
// family). Tests replace it.
class ProgramStarter
{
public:
    virtual ~ProgramStarter() = default;
    // Returns an empty text on success, else what went wrong.
    virtual QString startDetached(const QString &program, const QStringList &arguments) = 0;
};

class SystemProgramStarter final : public ProgramStarter
{
public:
    QString startDetached(const QString &program, const QStringList &arguments) override;
};

} // namespace kemoro
