#include "app/navigator.h"

#include "app/services.h"
#include "criteria/criteriaeditor.h"
#include "drill/endofdrillscreen.h"
#include "drill/questiondrillscreen.h"
#include "drill/timedtaskscreen.h"
#include "hub/hubscreen.h"
#include "platform/clock.h"
#include "platform/mediaplayer.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/programstarter.h"
#include "platform/timers.h"
#include "platform/widgets.h"
#include "print/frmprint.h"
#include "print/printselection.h"
#include "results/recordscreen.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/splashwindow.h"
#include "state/startup.h"
#include "windows/browserwindow.h"
#include "windows/explanation.h"
#include "windows/versiondialog.h"
#include "windows/videowindow.h"
#include "windows/waitwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
// A screen handed to closeLater() is hidden at once but deleted only when the
// event loop next runs; until then its pointer is still set, and showing it
// again would show a window that is about to go.
bool isOpen(const QWidget *screen)
{
    return screen && !screen->property(ui::closingProperty).toBool();
}
} // namespace

Navigator::Navigator(AppContext &context, QObject *parent) : QObject(parent), m_context(context)
{
    // The program ends by its own ways out only (finished). Qt would otherwise
    // end it behind our back once the last shown window closes, be it a
    // message box or a screen the window manager closed.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // What the caller leaves empty the program's own fills in.
    Services &services = m_context.services;
    const QuitFunction quit = [this](int exitCode) { this->quit(exitCode); };
    if (!services.reporter) {
        m_reporting = std::make_unique<Reporting>(m_context, quit);
        services.reporter = m_reporting.get();
    }
    if (!services.cues) {
        m_cues = std::make_unique<CuePlayback>(m_context, quit);
        services.cues = m_cues.get();
    }
    if (!services.timers) {
        m_timers = std::make_unique<QtTimerSource>();
        services.timers = m_timers.get();
    }
    if (!services.printers) {
        m_printers = std::make_unique<QtPrinterService>();
        services.printers = m_printers.get();
    }
    if (!services.mediaPlayers)
        services.mediaPlayers = [] { return new QtMediaPlayer(QtMediaPlayer::Sound::On); };
    // The store meets these in the middle of a read or an append; the box
    // comes after that work, not inside it.
    m_context.resultNotices = [this](const Diagnostic &d) {
        QTimer::singleShot(
            0, this, [this, d] { m_context.services.reporter->report(d, QApplication::activeWindow()); });
    };
}

Navigator::~Navigator()
{
    for (QWidget *w : {static_cast<QWidget *>(m_splash.data()),
                       static_cast<QWidget *>(m_nameSelection.data()), static_cast<QWidget *>(m_wait.data())})
        delete w;
    delete m_drill.data();
    delete m_end.data();
    delete m_hub.data();
    delete m_records.data();
    delete m_criteriaEditor.data();
    delete m_explanation.data();
}

void Navigator::start(const StartTarget &target)
{
    m_splash = new SplashWindow(m_context);
    connect(m_splash, &SplashWindow::firstTick, this, [this, target] {
        if (!configure()) return;
        if (const auto *explanation = std::get_if<ExplanationAtStart>(&target))
            showExplanation(explanation->file);
        else if (std::holds_alternative<PrintTestAtStart>(target))
            showPrintTest();
        else
            showNameSelection();
        closeLater(m_splash);
    });
    m_splash->startUp();
}

void Navigator::showExplanation(const QString &file)
{
    m_context.session.explanationFile = file;
    const QString dataFolder = m_context.session.folders.dataFolder;
    const auto end = [this] {
        if (!m_finished) quit(0);
    };
    if (explanationWindowFor(file) == ExplanationWindow::Browser) {
        auto *browser = new BrowserWindow(file, dataFolder);
        connect(browser, &QDialog::finished, this, end);
        m_explanation = browser;
    } else {
        MediaPlayer *player = m_context.services.mediaPlayers();
        auto *video = new VideoWindow(file, dataFolder, player);
        connect(video, &VideoWindow::closed, this, end);
        m_explanation = video;
    }
    m_explanation->show();
    m_explanation->raise();
    m_explanation->activateWindow();
}

void Navigator::showPrintSelection(QWidget *over)
{
    if (!isOpen(m_printSelection)) {
        m_printSelection = new print::PrintSelection(m_context, over);
        connect(m_printSelection, &print::PrintSelection::previewRequested, this,
                [this] { showPrintPreview(m_printSelection); });
        m_printSelection->show();
        m_printSelection->load();
    }
    m_printSelection->show();
    m_printSelection->raise();
    m_printSelection->activateWindow();
}

void Navigator::showPrintPreview(print::PrintSelection *selection)
{
    if (!isOpen(m_printPreview)) {
        // The preview draws from the selection's desk and goes with it.
        m_printPreview = new print::FrmPrint(m_context, &selection->desk(), false, selection);
        m_printPreview->show();
        return;
    }
    m_printPreview->show();
    m_printPreview->raise();
    m_printPreview->activateWindow();
    m_printPreview->drawCurrentDocument();
}

void Navigator::showPrintTest()
{
    m_printTest = new print::FrmPrint(m_context, nullptr, true);
    connect(m_printTest, &QObject::destroyed, this, [this] {
        if (!m_finished) quit(0);
    });
    m_printTest->show();
    m_printTest->raise();
    m_printTest->activateWindow();
}

bool Navigator::configure()
{
    Diagnostics diagnostics;
    const QString programDir = m_context.session.folders.programDir;
    const bool ok =
        kemoro::configure(m_context.session, programDir, m_context.services.clock->today(), diagnostics);
    for (const Diagnostic &d : diagnostics) {
        if (d.severity != Diagnostic::Severity::Check) m_context.services.reporter->report(d, m_splash);
        if (d.severity == Diagnostic::Severity::Fatal) break;
    }
    if (!ok) {
        quit(1);
        return false;
    }
    return true;
}

void Navigator::showNameSelection()
{
    if (!isOpen(m_nameSelection)) {
        m_nameSelection = new NameSelectionScreen(m_context);
        NameSelectionScreen *names = m_nameSelection;
        connect(names, &NameSelectionScreen::versionDialogRequested, this,
                [this, names] { showVersionDialog(names); });
        connect(names, &NameSelectionScreen::pupilConfirmed, this, &Navigator::pupilConfirmed);
        connect(names, &NameSelectionScreen::leaveRequested, this, &Navigator::leaveToLauncher);
    }
    m_nameSelection->show();
    m_nameSelection->activate();
    closeHub();
}

void Navigator::closeNameSelection()
{
    closeLater(m_nameSelection);
}

void Navigator::pupilConfirmed()
{
    buildDefaultLevelTable(m_context.session);
    showHub();
}

void Navigator::showHub()
{
    closeHub();
    m_hub = new HubScreen(m_context);
    connect(m_hub, &HubScreen::nameSelectionCloseRequested, this, &Navigator::closeNameSelection);
    connect(m_hub, &HubScreen::drillRequested, this, &Navigator::startDrill);
    connect(m_hub, &HubScreen::backRequested, this, &Navigator::showNameSelection);
    connect(m_hub, &HubScreen::recordScreenRequested, this, &Navigator::showRecordScreen);
    connect(m_hub, &HubScreen::criteriaEditorRequested, this, &Navigator::showCriteriaEditor);
    connect(m_hub, &HubScreen::printSelectionRequested, this, [this] { showPrintSelection(m_hub); });
    m_hub->show();
    m_hub->raise();
    m_hub->activate();
}

void Navigator::closeHub()
{
    closeLater(m_hub);
}

void Navigator::showRecordScreen()
{
    if (!isOpen(m_records)) {
        m_records = new RecordScreen(m_context);
        RecordScreen *records = m_records;
        connect(records, &RecordScreen::back, this, [this, records] { closeTeacherScreen(records); });
    }
    m_records->show();
    m_records->raise();
    closeHub();
    m_records->activate();
}

void Navigator::showCriteriaEditor()
{
    if (!isOpen(m_criteriaEditor)) {
        m_criteriaEditor = new CriteriaEditor(m_context);
        CriteriaEditor *editor = m_criteriaEditor;
        connect(editor, &CriteriaEditor::back, this, [this, editor] { closeTeacherScreen(editor); });
    }
    m_criteriaEditor->show();
    m_criteriaEditor->raise();
    closeHub();
    m_criteriaEditor->activate();
}

void Navigator::closeTeacherScreen(QWidget *screen)
{
    showHub();
    closeLater(screen);
}

void Navigator::showVersionDialog(QWidget *over)
{
    VersionDialog dialog(m_context, over);
    dialog.adjustSize();
    // Centred on the screen, as the name selection screen places it.
    const QRect area =
        over && over->screen() ? over->screen()->geometry() : QGuiApplication::primaryScreen()->geometry();
    dialog.move(area.x() + (area.width() - dialog.width()) / 2,
                area.y() + (area.height() - dialog.height()) / 2);
    dialog.exec();
    if (m_nameSelection && over == m_nameSelection) m_nameSelection->activate();
}

void Navigator::showWaitWindow()
{
    if (!isOpen(m_wait)) m_wait = new WaitWindow();
    m_wait->show();
    m_wait->raise();
    ui::letEventsRun();
}

void Navigator::closeWaitWindow()
{
    closeLater(m_wait);
}

DrillScreen Navigator::startDrill()
{
    resetForDrillStart(m_context.session.drill);
    ui::letEventsRun();
    const DrillScreen kind = drillScreenFor(m_context.session.curLevel);
    if (kind == DrillScreen::None) return kind;
    closeLater(m_drill);
    // The drill screen takes over from the hub.
    closeHub();
    if (kind == DrillScreen::QuestionDrill)
        m_drill = new QuestionDrillScreen(m_context);
    else
        m_drill = new TimedTaskScreen(m_context);
    DrillForm *drill = m_drill;
    connect(drill, &DrillForm::endedUnrecorded, this, [this, drill] { practiceDrillEnded(drill); });
    connect(drill, &DrillForm::recorded, this, [this, drill] { drillRecorded(drill); });
    m_drill->show();
    m_drill->raise();
    // The wait window of the drill before goes once this one is set up.
    closeWaitWindow();
    m_drill->activate();
    return kind;
}

void Navigator::practiceDrillEnded(QWidget *drillScreen)
{
    showWaitWindow();
    closeLater(drillScreen);
    showMenuAfterDrill();
    ui::letEventsRun();
}

void Navigator::drillRecorded(QWidget *drillScreen)
{
    showWaitWindow();
    // The second is measured by a timer of the event loop: the cover and the
    // wait window paint, and nothing spins.
    QPointer<QWidget> screen(drillScreen);
    m_context.services.timers->singleShot(1000, this, [this, screen] {
        if (m_finished) return;
        closeLater(screen);
        closeLater(m_end);
        m_end = new EndOfDrillScreen(m_context);
        EndOfDrillScreen *end = m_end;
        connect(end, &EndOfDrillScreen::toMenu, this, [this, end] { endScreenToMenu(end); });
        connect(end, &EndOfDrillScreen::again, this, [this, end] { drillAgain(end); });
        connect(end, &EndOfDrillScreen::evaluated, this, &Navigator::closeWaitWindow);
        m_end->show();
        m_end->raise();
        m_end->activate();
    });
}

void Navigator::endScreenToMenu(QWidget *endScreen)
{
    showMenuAfterDrill();
    closeLater(endScreen);
    ui::letEventsRun();
}

void Navigator::drillAgain(QWidget *endScreen)
{
    showWaitWindow();
    closeLater(endScreen);
    ui::letEventsRun();
    startDrill();
}

void Navigator::showMenuAfterDrill()
{
    showHub();
    // The wait window of a practice level's end would otherwise linger behind
    // the hub until the next drill; once the hub is usable it has no use.
    closeWaitWindow();
}

void Navigator::leaveToLauncher()
{
    const QString launcher = m_context.session.folders.launcherProgram();
    const QString failure = m_context.services.programs->startDetached(launcher, {u"001"_s});
    if (!failure.isEmpty())
        m_context.services.reporter->report(
            {Diagnostic::Severity::Warning, launcher, Diagnostic::fileLocation(),
             u"ランチャーを起動できません (the launcher cannot be started): "_s + failure},
            m_nameSelection);
    quit(0);
}

void Navigator::quit(int exitCode)
{
    for (QWidget *w : {static_cast<QWidget *>(m_splash.data()),
                       static_cast<QWidget *>(m_nameSelection.data()), static_cast<QWidget *>(m_wait.data())})
        closeLater(w);
    closeLater(m_drill);
    closeLater(m_end);
    closeLater(m_hub);
    closeLater(m_records);
    closeLater(m_criteriaEditor);
    closeLater(m_explanation);
    closeLater(m_printTest);
    m_finished = true;
    if (m_cues) m_cues->halt();
    emit finished(exitCode);
}

void Navigator::closeLater(QWidget *screen)
{
    if (!screen) return;
    screen->setProperty(ui::closingProperty, true);
    screen->hide();
    screen->deleteLater();
}

} // namespace kemoro
