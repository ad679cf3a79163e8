#include "schooldata.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace kemoro::bench {
void registerResultBenchmarks();
void registerHubBenchmarks();
void registerReportBenchmarks();
void registerTeacherBenchmarks();
void registerPrintBenchmarks();
int deleteFirstRecord(const QString &path);
} // namespace kemoro::bench

int main(int argc, char **argv)
{
    // The other computer of ReadersDuringRewrite.
    if (argc == 3 && std::strcmp(argv[1], "--delete-first") == 0)
        return kemoro::bench::deleteFirstRecord(QString::fromLocal8Bit(argv[2]));
    // Screen benchmarks run the real widgets without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The data is made before any timing starts, once per build folder.
    if (kemoro::bench::schoolInstallation().isEmpty()) {
        std::fputs("kemoro-bench: cannot create the school-scale data\n", stderr);
        return 1;
    }
    kemoro::bench::registerResultBenchmarks();
    kemoro::bench::registerHubBenchmarks();
    kemoro::bench::registerTeacherBenchmarks();
    kemoro::bench::registerReportBenchmarks();
    kemoro::bench::registerPrintBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
