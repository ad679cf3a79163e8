#pragma once

#include "state/soundcues.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace kemoro {

struct AppContext;
class FlowTimer;

// FrmSyuuryou: opens after every recorded drill. Shows the time, the points,
// today's attempt numbers, a new record and whether the level is cleared,
// then offers "メニューへ" and, unless the pupil is to move on, "もう一度".
class EndOfDrillScreen final : public QWidget
{
    Q_OBJECT
public:
    explicit EndOfDrillScreen(AppContext &context, QWidget *parent = nullptr);

    // Form_Activate: the whole evaluation, with its cues.
    void activate();

signals:
    // "メニューへ": a fresh hub.
    void toMenu();
    // "もう一度": the same level again.
    void again();
    // The evaluation with its cues is over: the wait window has done its work.
    void evaluated();

protected:
    // A close by the window manager is "メニューへ", once that is offered.
    void closeEvent(QCloseEvent *event) override;

private:
    void playCue(Cue cue, std::function<void()> then);
    void afterOutcomeCue();
    void activationDone();
    void timerTick();
    void reveal();

    AppContext &m_context;
    QLabel *m_title;      // Label15
    QLabel *m_levelName;  // Label16
    QLabel *m_dayTries;   // Label14
    QLabel *m_pupil;      // Label17
    QLabel *m_levelTries; // Label13
    QLabel *m_result;     // Label18
    QLabel *m_points;     // Label19
    QLabel *m_outcome;    // Label20
    QLabel *m_cleared;    // Label2
    QWidget *m_banner;    // Picture1 with Label1
    QLabel *m_waitNotice;
    QPushButton *m_menu;  // Command4
    QPushButton *m_again; // Command5
    FlowTimer *m_timer;   // Timer1
    bool m_levelCleared = false;
    bool m_isGoalLevel = false;
    bool m_activating = false;
    bool m_revealPending = false;
};

} // namespace kemoro
