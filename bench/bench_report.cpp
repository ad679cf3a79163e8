#include "benchsupport.h"

#include "app/navigator.h"
#include "hub/hubscreen.h"
#include "hub/reportwindow.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/programstarter.h"
#include "results/resultrecord.h"
#include "roster/grades.h"
#include "roster/roster.h"
#include "state/context.h"
#include "state/startup.h"
#include "tools/demoinstall.h"

#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {

// No printer: every print goes into one PDF file of a temporary folder.
class PdfOnly final : public PrinterService
{
public:
    QString path;
    QStringList printerNames() const override { return {}; }
    QString defaultPrinterName() const override { return {}; }
    std::unique_ptr<PrintSurface> startJob(const QString &, const QString &, QString &) override
    {
        return nullptr;
    }
    std::unique_ptr<PrintSurface> startPdf(const QString &p, const QString &name, QString &error) override
    {
        return QtPrinterService().startPdf(p, name, error);
    }
    QString askPdfFileName(QWidget *, const QString &) override { return path; }
};

// The school-scale installation on a 24-level hub in the personal-time view,
// reading a copy of the record file in which pupil 1 has 100 drills on each
// of levels 1 to 3 among the newest 20000 records.
struct ReportSchool
{
    SchoolClock clock;
    SystemRandom random{1};
    AnsweringMessages messages;
    SystemProgramStarter programs;
    QTemporaryDir data;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<HubScreen> hub;
    ReportWindow *report = nullptr;

    ReportSchool()
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        configure(context.session, demo::Installation{schoolInstallation()}.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        buildDefaultLevelTable(context.session);
        context.session.levelCount = 24;
        context.session.curPupilNo = 1;
        context.session.curPupilName = u"先生"_s;
        context.session.roster.schoolYear =
            schoolYear(clock.today(), context.session.settings.yearStartMonth);
        loadRoster(context.session.folders.rosterFile(), 0, context.session.roster, d);

        QFile original(context.session.folders.resultFile());
        original.open(QIODevice::ReadOnly);
        QByteArray bytes = original.readAll();
        const qint64 n = bytes.size() / record::size;
        for (int k = 0; k < 300; ++k) {
            char *rec = bytes.data() + (n - 19900 + qint64(k) * 66) * record::size;
            qToLittleEndian<qint16>(1, rec + record::pupilOffset);
            qToLittleEndian<qint16>(qint16(1 + k % 3), rec + record::levelOffset);
        }
        context.session.folders.dataFolder = data.path() + u'/';
        QFile copy(context.session.folders.resultFile());
        copy.open(QIODevice::WriteOnly);
        copy.write(bytes);
        copy.close();

        hub = std::make_unique<HubScreen>(context);
        hub->show();
        hub->activate();
        hub->findChild<QRadioButton *>(u"Option2(2)"_s)->setChecked(true);
        hub->switchView(hub::HubView::Personal);
        report = hub->findChild<ReportWindow *>(u"Picture11"_s);
    }
};

// "グラフ" to three drawn blocks for pupil 1.
void reportOpen(benchmark::State &state)
{
    ReportSchool school;
    auto *graph = school.hub->findChild<QPushButton *>(u"Command17"_s);
    for (auto _ : state) {
        graph->click();
        if (!school.report->isVisible()) state.SkipWithError("the report window did not open");
        benchmark::DoNotOptimize(school.report->levelRanks(3).timeRank);
    }
}

// Thirty pupils of a class, three levels each, into one PDF.
void reportPdf(benchmark::State &state)
{
    ReportSchool school;
    QTemporaryDir out;
    PdfOnly printers;
    printers.path = out.filePath(u"class.pdf"_s);
    school.context.services.printers = &printers;
    school.hub->findChild<QPushButton *>(u"Command17"_s)->click();
    auto *pupils = school.report->findChild<QListView *>(u"List2"_s);
    for (int row = 0; row < 30; ++row)
        pupils->selectionModel()->select(pupils->model()->index(row, 0), QItemSelectionModel::Select);
    for (auto _ : state) {
        school.report->showSelected(1);
        benchmark::DoNotOptimize(QFile(printers.path).size());
    }
}

} // namespace

void registerReportBenchmarks()
{
    benchmark::RegisterBenchmark("ReportOpen/school", reportOpen)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReportPdf/class", reportPdf)->Unit(benchmark::kMillisecond);
}

} // namespace kemoro::bench
