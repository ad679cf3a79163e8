#pragma once

#include "platform/diagnostic.h"
#include "state/session.h"
#include "state/soundcues.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <variant>

class QWidget;

namespace kemoro {

struct AppContext;
struct ResultFileError;
class SplashWindow;
class NameSelectionScreen;
class WaitWindow;
class DrillForm;
class EndOfDrillScreen;
class HubScreen;
class MediaPlayer;
class Reporting;
class CuePlayback;
class TimerSource;
class PrinterService;
class RecordScreen;
class CriteriaEditor;
namespace print {
class PrintSelection;
class FrmPrint;
} // namespace print

// What a run shows once start-up has configured it: the name selection
// screen (an ordinary run), the explanation window of a file (--explain FILE)
// or the print preview with its test pages (--print-test). The last two are
// the only screen of their run; closing them ends the program.
struct NamesAtStart
{
};
struct ExplanationAtStart
{
    QString file;
};
struct PrintTestAtStart
{
};
using StartTarget = std::variant<NamesAtStart, ExplanationAtStart, PrintTestAtStart>;

// Opens and closes the screens. Every screen change goes through here, and a
// screen is only ever closed by deferred deletion, never while one of its own
// routines is still running.
class Navigator : public QObject
{
    Q_OBJECT
public:
    explicit Navigator(AppContext &context, QObject *parent = nullptr);
    ~Navigator() override;

    // The one start-up: shows the splash window; its first timer tick
    // configures the session and opens `target`.
    void start(const StartTarget &target = NamesAtStart{});
    // The configuration step of start-up. Returns false when the program ends.
    bool configure();

    void showNameSelection();
    void closeNameSelection();
    // A pupil confirmed a name: builds the default level table and opens the
    // hub without waiting for it.
    void pupilConfirmed();
    // Opens a fresh progress hub (each entry creates it anew).
    void showHub();
    void closeHub();
    // The teacher functions behind the hub's password: the record management
    // screen and the criteria editor. Each closes the hub.
    void showRecordScreen();
    void showCriteriaEditor();
    // Their "戻る": a fresh hub, then the screen goes.
    void closeTeacherScreen(QWidget *screen);
    // "印刷設定" of the teacher panel: the print selection screen as a dialog
    // over `over` (the hub), which stays open; opened once, then brought forward.
    void showPrintSelection(QWidget *over);
    // Its "印刷へ" and "百問計算": the preview of its desk, opened once over it.
    void showPrintPreview(print::PrintSelection *selection);
    // Modal, centred on the screen; the name selection screen is activated
    // again once it closes.
    void showVersionDialog(QWidget *over);
    void showWaitWindow();
    void closeWaitWindow();

    // Resets the drill state and opens the drill screen of curLevel (the
    // question drill for odd levels 1..19, the timed task for even levels
    // 2..20). Returns which screen the level dispatches to.
    DrillScreen startDrill();

    // A practice level ended: nothing is recorded; back to the menu.
    void practiceDrillEnded(QWidget *drillScreen);
    // A drill was recorded: the wait window for one second (events keep
    // running), then the end-of-drill screen.
    void drillRecorded(QWidget *drillScreen);
    // The end-of-drill screen's "メニューへ".
    void endScreenToMenu(QWidget *endScreen);
    // The end-of-drill screen's "もう一度": the same level again.
    void drillAgain(QWidget *endScreen);
    // Where a pupil goes after a drill: a fresh hub.
    void showMenuAfterDrill();

    // Starts the launcher of the product family and ends the program.
    void leaveToLauncher();

    // Closes every screen and reports the end of the program (finished); the
    // program's main loop ends on it.
    void quit(int exitCode);

    // Closes a screen once the running event handler has returned.
    void closeLater(QWidget *screen);

signals:
    void finished(int exitCode);

private:
    // Sets explanationFile and opens the window its name picks: the browser
    // window (modal) or the video window.
    void showExplanation(const QString &file);
    void showPrintTest();

    AppContext &m_context;
    QPointer<SplashWindow> m_splash;
    QPointer<NameSelectionScreen> m_nameSelection;
    QPointer<WaitWindow> m_wait;
    QPointer<QWidget> m_explanation;
    QPointer<DrillForm> m_drill;
    QPointer<EndOfDrillScreen> m_end;
    QPointer<HubScreen> m_hub;
    QPointer<RecordScreen> m_records;
    QPointer<CriteriaEditor> m_criteriaEditor;
    QPointer<print::PrintSelection> m_printSelection;
    QPointer<print::FrmPrint> m_printPreview;
    QPointer<print::FrmPrint> m_printTest;
    // The program's own services, where the caller gave none.
    std::unique_ptr<Reporting> m_reporting;
    std::unique_ptr<CuePlayback> m_cues;
    std::unique_ptr<TimerSource> m_timers;
    std::unique_ptr<PrinterService> m_printers;
    bool m_finished = false;
};

} // namespace kemoro
