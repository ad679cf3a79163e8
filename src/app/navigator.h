#pragma once

#include "platform/diagnostic.h"
#include "state/session.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace kemoro {

struct AppContext;
class SplashWindow;
class NameSelectionScreen;
class WaitWindow;

// Opens and closes the screens. Every screen change goes through here, and a
// screen is only ever closed by deferred deletion, never while one of its own
// routines is still running.
class Navigator : public QObject
{
    Q_OBJECT
public:
    explicit Navigator(AppContext &context, QObject *parent = nullptr);
    ~Navigator() override;

    // Shows the splash window; its first timer tick configures and opens the
    // name selection screen.
    void start();
    // The configuration step of start-up. Returns false when the program ends.
    bool configure();

    void showNameSelection();
    void closeNameSelection();
    // A pupil confirmed a name: builds the default level table and opens the
    // hub without waiting for it.
    void pupilConfirmed();
    // Opens the progress hub. Until the hub screen exists this starts level 1.
    void showHub();
    void showVersionDialog(QWidget *over);
    void showWaitWindow();
    void closeWaitWindow();

    // Resets the drill state and opens the drill screen of curLevel (the
    // question drill for odd levels 1..19, the timed task for even levels
    // 2..20). Returns which screen the level dispatches to.
    DrillScreen startDrill();

    // Starts the launcher of the product family and ends the program.
    void leaveToLauncher();

    // Shows a problem found in a file (and writes it to standard error).
    void report(const Diagnostic &diagnostic, QWidget *parent = nullptr);

    // Closes every screen and reports the end of the program (finished); the
    // program's main loop ends on it.
    void quit(int exitCode);

    SplashWindow *splash() const;
    NameSelectionScreen *nameSelection() const;
    WaitWindow *waitWindow() const;

    // Closes a screen once the running event handler has returned.
    void closeLater(QWidget *screen);

signals:
    void finished(int exitCode);

private:

    AppContext &m_context;
    QPointer<SplashWindow> m_splash;
    QPointer<NameSelectionScreen> m_nameSelection;
    QPointer<WaitWindow> m_wait;
};

} // namespace kemoro
