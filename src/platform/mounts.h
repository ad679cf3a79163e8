#pragma once

#include "platform/diagnostic.h"

#include <QString>

#include <functional>
#include <optional>

namespace kemoro {

// A mount whose byte-range locks never leave this computer, and the option
// that makes it so. The result file's whole-file lock keeps the other
// computers' appends out only where the server sees it.
struct LocalLockMount
{
    QString mountPoint;
    QString fsType;
    QString option;
};

// The text of /proc/self/mountinfo; empty where there is none (not Linux).
QString readMountInfo();

// Where start-up and `kemoro-data check` take the mount table from.
using MountInfoSource = std::function<QString()>;

// The mount in `mountInfo` (the format of /proc/self/mountinfo) that holds
// `folder`, if it keeps locks local: cifs or smb3 with nobrl, nfs or nfs4 with
// nolock, local_lock=all or local_lock=posix. The folder is looked up by its
// canonical path (its absolute path when it does not exist).
std::optional<LocalLockMount> localLockMount(const QString &mountInfo, const QString &folder);

// The warning about a data folder on such a mount, for `resultFile`.
std::optional<Diagnostic> localLockWarning(const QString &mountInfo, const QString &dataFolder,
                                           const QString &resultFile);

} // namespace kemoro
