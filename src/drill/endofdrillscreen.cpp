#include "drill/endofdrillscreen.h"

#include "drill/drillresult.h"
#include "platform/busywait.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/timers.h"
#include "platform/widgets.h"
#include "results/aggregation.h"
#include "state/context.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace kemoro {

EndOfDrillScreen::EndOfDrillScreen(AppContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_timer(context.services.timers->create(500, true, this))
{
    setObjectName(u"FrmSyuuryou"_s);
    setWindowTitle(u"終了"_s);
    setFixedSize(ui::px(15360), ui::px(11520));
    ui::setBackground(this, ui::storedColour(12632064)); // RGB 00C0C0

    auto *image = ui::named(new QWidget(this), u"Image1"_s);
    ui::setBackground(image, QColor(0xE0, 0xF4, 0xF4));
    ui::placeTw(image, 0, 0, 15360, 11520);

    m_title = ui::boldLabel(this, u"Label15"_s, QString(), 36, 1845, 405, 8000, 1100);
    m_levelName = ui::boldLabel(this, u"Label16"_s, QString(), 28, 1845, 1755, 8000, 900);
    m_dayTries = ui::boldLabel(this, u"Label14"_s, QString(), 20, 10215, 1395, 4900, 700);
    m_pupil = ui::boldLabel(this, u"Label17"_s, QString(), 28, 1845, 3255, 8000, 900);
    m_levelTries = ui::boldLabel(this, u"Label13"_s, QString(), 20, 10260, 2745, 4900, 700);
    m_result = ui::boldLabel(this, u"Label18"_s, QString(), 28, 1845, 4440, 12000, 800);
    m_points = ui::boldLabel(this, u"Label19"_s, QString(), 28, 1845, 5280, 13000, 900);
    m_outcome = ui::boldLabel(this, u"Label20"_s, QString(), 36, 1845, 6390, 13000, 1100);
    m_outcome->setStyleSheet(u"color: #c00000"_s);
    m_outcome->hide();
    m_cleared = ui::boldLabel(this, u"Label2"_s, u"このレベルクリア"_s, 28, 180, 7710, 15000, 500);
    m_cleared->hide();

    m_banner = ui::named(new QWidget(this), u"Picture1"_s);
    ui::setBackground(m_banner, QColor(255, 255, 192));
    ui::placeTw(m_banner, 180, 8145, 15105, 1785);
    auto *bannerText =
        ui::boldLabel(m_banner, u"Label1"_s, u"目標レベルクリア。おめでとう！"_s, 40, 0, 0, 15105, 1785);
    bannerText->setAlignment(Qt::AlignCenter);
    m_banner->hide();

    m_menu = ui::named(new QPushButton(u"メニューへ"_s, this), u"Command4"_s);
    m_again = ui::named(new QPushButton(u"もう一度"_s, this), u"Command5"_s);
    ui::placeTw(m_menu, 1890, 8325, 5235, 1005);
    ui::placeTw(m_again, 8055, 8325, 5235, 1005);
    for (QPushButton *button : {m_menu, m_again}) {
        button->setFont(ui::pGothicFont(28));
        button->hide();
    }
    connect(m_menu, &QPushButton::clicked, this, [this] {
        m_menu->setEnabled(false);
        emit toMenu();
    });
    connect(m_again, &QPushButton::clicked, this, [this] {
        m_menu->setEnabled(false);
        m_again->setEnabled(false);
        emit again();
    });

    m_waitNotice = ui::named(new QLabel(this), u"lblWaitNotice"_s);
    m_waitNotice->setFont(ui::pGothicFont(16));
    ui::placeTw(m_waitNotice, 1845, 10500, 13000, 600);
    m_waitNotice->hide();

    m_timer->setObjectName(u"Timer1"_s);
    connect(m_timer, &FlowTimer::timeout, this, &EndOfDrillScreen::timerTick);
}

void EndOfDrillScreen::closeEvent(QCloseEvent *event)
{
    // Before the buttons are revealed the evaluation and its cues still run;
    // after "もう一度" the next drill is on its way.
    ui::closeByOwnWay(this, event, [this] {
        if (m_menu->isVisible()) m_menu->click();
    });
}

void EndOfDrillScreen::activate()
{
    Session &s = m_context.session;
    m_activating = true;
    const std::optional<ResultFileError> error =
        aggregate(s.criteria, m_context.services.clock->now(), m_context.results(),
                  ui::waitForOtherComputer(m_waitNotice, m_context.services.timers), s.results);
    m_waitNotice->hide();
    if (error) {
        m_context.services.reporter->stop(this, loadFailureMessage(*error));
        return;
    }

    const int level = std::clamp(int(s.curLevel), 0, maxLevel);
    const CriteriaRow &row = s.criteria[size_t(level)];
    const DrillState &d = s.drill;
    m_levelCleared = levelPassed(s.results, s.criteria, level, s.curPupilNo);
    m_isGoalLevel = double(s.curLevel) == s.goalLevel;
    m_cleared->setVisible(m_levelCleared);
    m_banner->setVisible(showGoalBanner(m_levelCleared, m_isGoalLevel, s.criteria));
    ui::letEventsRun();
    m_timer->start();

    m_points->setText(pointsText(scoreDrill(d.resultTime, row), row.pointRate));
    m_result->setText(resultText(d.resultTime, d.timeUp == 1));
    m_pupil->setText(trimBlanks(s.curPupilName));
    m_title->setText(s.programTitle);
    m_levelName->setText(s.levels.levelName[size_t(level)]);
    m_levelTries->setText(levelTriesText(todayTriesOf(s, level)));
    m_dayTries->setText(dayTriesText(todayTriesUpTo(s, maxLevel)));

    ui::letEventsRun();
    const Outcome outcome = drillOutcome(d.timeUp == 1, s.results.newPersonalBest, s.results.newLevelBest);
    if (outcome != Outcome::None) {
        m_outcome->setText(outcomeText(outcome));
        m_outcome->show();
    }
    if (const std::optional<Cue> cue = outcomeCue(outcome, d.resultTime, row.minTime))
        playCue(*cue, [this] { afterOutcomeCue(); });
    else
        afterOutcomeCue();
}

void EndOfDrillScreen::playCue(Cue cue, std::function<void()> then)
{
    ui::letEventsRun();
    m_context.services.cues->play(cue, this, [then = std::move(then)] {
        ui::letEventsRun();
        then();
    });
}

void EndOfDrillScreen::afterOutcomeCue()
{
    if (m_levelCleared && m_isGoalLevel) {
        if (playPassCue(m_levelCleared, m_isGoalLevel, m_context.session.results.clearedBefore)) {
            playCue(Cue::Pass, [this] { activationDone(); });
            return;
        }
    } else {
        m_banner->hide();
    }
    activationDone();
}

void EndOfDrillScreen::activationDone()
{
    // Each new record is greeted once.
    m_context.session.results.newPersonalBest = false;
    m_context.session.results.newLevelBest = false;
    ui::letEventsRun();
    emit evaluated();
    m_activating = false;
    if (m_revealPending) reveal();
}

// Timer1: once. While the activation's cues still play the buttons wait for
// them, so nothing can be pressed during a cue.
void EndOfDrillScreen::timerTick()
{
    m_timer->stop();
    if (m_activating)
        m_revealPending = true;
    else
        reveal();
}

void EndOfDrillScreen::reveal()
{
    m_revealPending = false;
    const Session &s = m_context.session;
    const int level = std::clamp(int(s.curLevel), 0, maxLevel);
    m_banner->hide();
    m_menu->show();
    ui::letEventsRun();
    m_menu->setFocus();
    const bool over = overPracticeLimit(s.results, s.criteria[size_t(level)], level, s.curPupilNo);
    const Reveal r = revealAfterTimer(over, m_levelCleared, m_isGoalLevel, goalCleared(s));
    switch (r.banner) {
    case Reveal::Banner::Keep:
        break;
    case Reveal::Banner::ClearAndHide:
        m_cleared->clear();
        m_cleared->hide();
        break;
    case Reveal::Banner::MoveOn:
        m_cleared->setText(moveOnText());
        break;
    }
    m_again->setVisible(r.again);
}

} // namespace kemoro
