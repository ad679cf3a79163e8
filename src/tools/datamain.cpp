#include "platform/clock.h"
#include "tools/datatool.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

// kemoro-data: the school IT person's view of the data folder, without a
// display. All of the work is runDataTool, which the tests call directly.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    kemoro::DataToolEnvironment env;
    env.programDir = QCoreApplication::applicationDirPath();
    env.now = kemoro::SystemClock().now();
    env.wait = [](int seconds) {
        QThread::sleep(unsigned(seconds));
        return true;
    };
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = kemoro::runDataTool(QCoreApplication::arguments().mid(1), env, out, err);
    out.flush();
    err.flush();
    return code;
}
