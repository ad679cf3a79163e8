#include "tools/demoinstall.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

// kemoro-demo DIR: creates (where missing) a demo installation in DIR and
// prints its program folder, for `kemoro --program-dir`.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args.at(1).startsWith(u'-')) {
        std::fputs("usage: kemoro-demo DIR\n", stderr);
        return 2;
    }
    const kemoro::Diagnostics problems = kemoro::demo::create(args.at(1), QDate::currentDate());
    for (const kemoro::Diagnostic &d : problems)
        std::fputs(qPrintable(d.toLine() + u'\n'), stderr);
    if (!problems.isEmpty()) return 1;
    const kemoro::demo::Installation install{QDir(args.at(1)).absolutePath()};
    std::fputs(qPrintable(install.programDir() + u'\n'), stdout);
    return 0;
}
