#include "app/navigator.h"
#include "app/options.h"
#include "platform/clock.h"
#include "platform/mediaplayer.h"
#include "platform/messages.h"
#include "platform/programstarter.h"
#include "platform/soundplayer.h"
#include "platform/widgets.h"
#include "platform/zoom.h"
#include "state/context.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
// The zoom is Qt's scale factor, which an application reads when it starts.
// So a first application reads the command line (without Qt's own options,
// which it takes out) and the screen's free area, and goes again; a factor
// the user gave Qt himself is kept unless --zoom is given.
kemoro::ProgramOptions readOptionsAndSetZoom(int argc, char *argv[])
{
    std::vector<char *> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    int count = argc;
    const QGuiApplication probe(count, arguments.data());
    kemoro::ProgramOptions options = kemoro::parseProgramOptions(QCoreApplication::arguments());
    if (!options.error.isEmpty()) return options;
    if (!options.zoom && qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return options;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double zoom =
        options.zoom.value_or(screen ? kemoro::ui::chooseZoom(screen->availableGeometry().size()) : 1.0);
    qputenv("QT_SCALE_FACTOR", QByteArray::number(zoom));
    return options;
}
} // namespace

int main(int argc, char *argv[])
{
    const kemoro::ProgramOptions options = readOptionsAndSetZoom(argc, argv);
    if (!options.error.isEmpty()) {
        std::fputs(qPrintable(options.error + u'\n'), stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"kemoro"_s);

    kemoro::ui::installFontSubstitutions();
    kemoro::ui::installEnterPressesFocusedButton();
    kemoro::ui::installCentredWindows();
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), u"qtbase"_s, u"_"_s,
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    kemoro::SystemClock clock;
    // Seeded from the time of day, as the drill's questions always were.
    kemoro::SystemRandom random(quint64(clock.now().time().msecsSinceStartOfDay()));
    kemoro::QtMessages messages;
    kemoro::SystemProgramStarter programs;
    kemoro::SilentSoundPlayer silent;
    kemoro::QtSoundPlayer sound;

    kemoro::AppContext context;
    context.services = {&clock, &random, &messages, &programs,
                        options.soundOff ? static_cast<kemoro::SoundPlayer *>(&silent) : &sound};
    // The video window's sound follows --sound=off like the cues.
    context.services.mediaPlayers = [soundOff = options.soundOff] {
        return new kemoro::QtMediaPlayer(soundOff ? kemoro::QtMediaPlayer::Sound::Off
                                                  : kemoro::QtMediaPlayer::Sound::On);
    };
    context.session.folders.programDir = options.programDir;

    kemoro::Navigator navigator(context);
    QObject::connect(&navigator, &kemoro::Navigator::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    kemoro::StartTarget target = kemoro::NamesAtStart{};
    if (options.explain) {
        // Only a run that shows an explanation changes the media backend, so
        // the drill's cues play exactly as in every other run.
        kemoro::QtMediaPlayer::preferVideoBackend();
        target = kemoro::ExplanationAtStart{options.explanationFile};
    } else if (options.printTest) {
        target = kemoro::PrintTestAtStart{};
    }
    navigator.start(target);
    return QApplication::exec();
}
