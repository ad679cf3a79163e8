#include "platform/clock.h"
#include "platform/fieldreader.h"
#include "platform/printer.h"
#include "platform/textfile.h"
#include "print/printengine.h"
#include "print/worksheet.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

namespace {

// 200 questions of level 1, parts of a few to a dozen characters, as a
// teacher's question file holds them.
QString questionFile()
{
    const QString parts[] = {u"犬も"_s,          u"歩けば棒に当たる"_s,           u"七かける八は"_s,
                             u"五十六"_s,        u"二兎を追う者は一兎をも得ず"_s, u"石の上にも三年"_s,
                             u"ちりも積もれば"_s};
    QString text;
    for (int i = 0; i < 200; ++i)
        text += joinLine({u"1"_s,
                          parts[i % 7] + QString::number(i),
                          parts[(i + 2) % 7],
                          parts[(i + 5) % 7],
                          {},
                          {},
                          {},
                          {},
                          {}});
    return text;
}

// What a click on the print selection screen costs: RebuildWorksheet reads
// the file and blanks two parts of every shuffled question, then the preview
// draws the ruled table with every cell fitted to its row.
void worksheetPreview(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"プロト.csv"_s);
    if (writeTextFileAtomic(path, questionFile())) {
        state.SkipWithError("cannot write the question file");
        return;
    }
    print::WorksheetChoice choice;
    choice.levels[0] = true;
    choice.shuffle = true;
    choice.option = 3;
    SystemRandom random(1);
    print::Worksheet sheet;
    print::PrintEngine engine;
    const QSizeF box = print::PrintEngine::previewBoxSize(true);
    ImageSurface preview(QSize(int(box.width() / 15), int(box.height() / 15)));
    engine.initialise(preview, print::PrintEngine::Output::Preview, true);
    for (auto _ : state) {
        const print::QuestionFile file = print::readQuestionFile(path);
        print::rebuildWorksheet(sheet, file.questions, choice, random);
        print::drawQuestionTable(engine, sheet);
        benchmark::DoNotOptimize(preview.image().constBits());
    }
}

} // namespace

void registerPrintBenchmarks()
{
    benchmark::RegisterBenchmark("WorksheetPreview/a4", worksheetPreview)->Unit(benchmark::kMillisecond);
}

} // namespace kemoro::bench
