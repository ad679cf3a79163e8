#pragma once

#include "platform/mounts.h"
#include "results/resultstore.h"

#include <QDateTime>
#include <QStringList>
#include <QTextStream>

namespace kemoro {

// What kemoro-data takes from outside: the defaults of --program-dir and
// --now, how to wait a second for another computer's lock, and the mount table.
struct DataToolEnvironment
{
    QString programDir;
    QDateTime now;
    WaitFunction wait;
    MountInfoSource mountInfo = readMountInfo;
};

// kemoro-data COMMAND [--program-dir DIR] [--now YYYY-MM-DDTHH:MM:SS] [--levels N]
// with the commands check, export, summary and "show WHAT" (namelist,
// ranking, today, period, personal, records, distribution, report: what the
// screens show, line by line). `args` excludes the program
// name. Writes UTF-8 text with LF line ends; returns the exit code: 0 done
// (check: clean), 1 problems found or a required file missing, 2 a usage
// error or no data folder. Only reads: never creates or writes a file, and
// takes no lock but the shared one that readers take. A pending correction or
// deletion is not finished: the records are shown as its recovery will leave
// them.
int runDataTool(const QStringList &args, const DataToolEnvironment &env, QTextStream &out, QTextStream &err);

} // namespace kemoro
