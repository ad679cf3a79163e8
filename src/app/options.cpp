#include "app/options.h"

#include "platform/zoom.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace kemoro {

ProgramOptions parseProgramOptions(const QStringList &arguments)
{
    ProgramOptions options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption programDir(u"program-dir"_s,
                                        u"The program folder (default: the executable's)."_s, u"DIR"_s);
    parser.addOption(programDir);
    const QCommandLineOption sound(u"sound"_s, u"off: play no sounds (a computer without a sound device)."_s,
                                   u"off"_s);
    parser.addOption(sound);
    const QCommandLineOption explain(u"explain"_s,
                                     u"Show the explanation FILE (a page or a video) and end."_s, u"FILE"_s);
    parser.addOption(explain);
    const QCommandLineOption printTest(u"print-test"_s,
                                       u"Show only the print preview with its test pages."_s);
    parser.addOption(printTest);
    const QCommandLineOption zoom(u"zoom"_s,
                                  u"auto (default): the largest size up to 2 that fits the screen; "
                                  u"or a factor from 0.5 to 3."_s,
                                  u"FACTOR"_s);
    parser.addOption(zoom);
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = u"unexpected argument: "_s + parser.positionalArguments().first();
        return options;
    }
    if (parser.values(programDir).size() > 1) {
        options.error = u"--program-dir given more than once"_s;
        return options;
    }
    if (parser.isSet(sound)) {
        if (parser.values(sound) != QStringList{u"off"_s}) {
            options.error = u"--sound takes only the value off"_s;
            return options;
        }
        options.soundOff = true;
    }
    if (parser.isSet(explain)) {
        if (parser.values(explain).size() > 1) {
            options.error = u"--explain given more than once"_s;
            return options;
        }
        if (parser.value(explain).isEmpty()) {
            options.error = u"--explain needs the name of an explanation file"_s;
            return options;
        }
        options.explain = true;
        options.explanationFile = parser.value(explain);
    }
    if (parser.isSet(printTest)) {
        if (options.explain) {
            options.error = u"--print-test and --explain cannot be used together"_s;
            return options;
        }
        options.printTest = true;
    }
    if (parser.isSet(zoom)) {
        if (parser.values(zoom).size() > 1) {
            options.error = u"--zoom given more than once"_s;
            return options;
        }
        const ui::ZoomOption chosen = ui::parseZoom(parser.value(zoom));
        if (!chosen.error.isEmpty()) {
            options.error = chosen.error;
            return options;
        }
        options.zoom = chosen.factor;
    }
    options.programDir = parser.isSet(programDir) ? QFileInfo(parser.value(programDir)).absoluteFilePath()
                                                  : QCoreApplication::applicationDirPath();
    return options;
}

} // namespace kemoro
