#include "drill/drillform.h"

#include "drill/drillresult.h"

#include "state/context.h"
#include "app/navigator.h"
#include "drill/drillclock.h"
#include "platform/busywait.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/widgets.h"
#include "results/drillrecord.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

constexpr quint32 formColour = 12632064;  // RGB 00C0C0
constexpr quint32 headerColour = 33023;   // RGB FF8000
constexpr quint32 greenLamp = 32768;
constexpr quint32 yellowLamp = 49344;
constexpr quint32 redLamp = 192;

// Where the time bar sits in the header; its width stands for timeLimit.
constexpr int barLeftTw = 9300, barTopTw = 720, barWidthTw = 5700, barHeightTw = 300;

QLabel *headerLabel(QWidget *parent, const QString &name, const QString &text, int left, int top, int width,
                    int height, Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft)
{
    auto *label = ui::named(new QLabel(text, parent), name);
    label->setFont(ui::pGothicFont(12));
    label->setAlignment(align);
    ui::placeTw(label, left, top, width, height);
    return label;
}

QWidget *block(QWidget *parent, const QString &name, quint32 colour)
{
    auto *w = ui::named(new QWidget(parent), name);
    ui::setBackground(w, ui::storedColour(colour));
    return w;
}

} // namespace

DrillForm::DrillForm(AppContext &context, const QString &formName, QWidget *parent)
    : QWidget(parent), m_context(context), m_header(new QWidget(this)), m_workArea(new QWidget(this)),
      m_clock(new QTimer(this)), m_minutesClock(new QTimer(this))
{
    setObjectName(formName);
    setWindowTitle(u"Quendle"_s);
    setFixedSize(ui::px(15360), ui::px(11520));
    ui::setBackground(this, ui::storedColour(formColour));

    buildHeader();
    ui::named(m_workArea, u"Picture2"_s);
    ui::placeTw(m_workArea, 0, headerHeightTw, 15360, 11520 - headerHeightTw);
    buildCover();

    ui::named(m_clock, u"sTimer1"_s);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &DrillForm::clockTick);
    ui::named(m_minutesClock, u"sTimer2"_s);
    m_minutesClock->setInterval(10000);
    connect(m_minutesClock, &QTimer::timeout, this, &DrillForm::minutesTick);
    m_minutesClock->start();
}

void DrillForm::buildHeader()
{
    ui::named(m_header, u"sPicture1"_s);
    ui::setBackground(m_header, ui::storedColour(headerColour));
    ui::placeTw(m_header, 0, 0, 15360, headerHeightTw);

    m_title = headerLabel(m_header, u"sLabel2"_s, QString(), 120, 60, 2700, 540);
    m_pupil = headerLabel(m_header, u"sLabel7"_s, QString(), 2900, 60, 3000, 540);
    m_school = headerLabel(m_header, u"sLabel14"_s, QString(), 6000, 60, 3300, 540);
    headerLabel(m_header, u"sLabel3"_s, u"レベル"_s, 9400, 60, 900, 540);
    m_levelName = headerLabel(m_header, u"sLabel8"_s, QString(), 10300, 60, 2400, 540);
    headerLabel(m_header, u"sLabel4"_s, u"残り"_s, 12800, 60, 700, 540);
    m_remaining = headerLabel(m_header, u"sLabel9"_s, QString(), 13500, 60, 700, 540, Qt::AlignCenter);
    headerLabel(m_header, u"sLabel6"_s, u"問"_s, 14200, 60, 500, 540);

    headerLabel(m_header, u"sLabel5"_s, u"タイム"_s, 120, 660, 900, 420);
    m_seconds = headerLabel(m_header, u"sLabel10"_s, QString(), 1020, 660, 900, 420, Qt::AlignCenter);
    headerLabel(m_header, ui::controlName(u"sLabel16"_s, 4), u"このレベル"_s, 2100, 660, 1500, 420);
    m_levelTries = headerLabel(m_header, u"sLabel11"_s, QString(), 3600, 660, 600, 420, Qt::AlignCenter);
    headerLabel(m_header, ui::controlName(u"sLabel16"_s, 5), u"回目"_s, 4200, 660, 600, 420);
    headerLabel(m_header, ui::controlName(u"sLabel16"_s, 2), u"本日"_s, 5000, 660, 700, 420);
    m_dayTries = headerLabel(m_header, u"sLabel12"_s, QString(), 5700, 660, 600, 420, Qt::AlignCenter);
    headerLabel(m_header, ui::controlName(u"sLabel16"_s, 3), u"回目"_s, 6300, 660, 600, 420);
    headerLabel(m_header, ui::controlName(u"sLabel16"_s, 0), u"起動後"_s, 7100, 660, 900, 420);
    m_minutes = headerLabel(m_header, u"sLabel13"_s, QString(), 8000, 660, 600, 420, Qt::AlignCenter);
    headerLabel(m_header, ui::controlName(u"sLabel16"_s, 1), u"分"_s, 8600, 660, 400, 420);

    // The bar segments lie on top of each other from the frame's left edge:
    // the minimum time, the target time, then the elapsed time on top.
    m_barFrame = ui::named(new QFrame(m_header), u"sShape5"_s);
    m_barFrame->setFrameShape(QFrame::Box);
    ui::setBackground(m_barFrame, Qt::white);
    ui::placeTw(m_barFrame, barLeftTw, barTopTw, barWidthTw, barHeightTw);
    m_minBar = block(m_header, u"sShape4"_s, 0x80FFFF);    // light yellow
    m_targetBar = block(m_header, u"sShape3"_s, 0x80FF80); // light green
    m_bar = block(m_header, u"sShape2"_s, 0xFF0000);       // blue
    m_barStill = block(m_header, u"sShape7"_s, 0xFF0000);
    for (QWidget *w : {m_minBar, m_targetBar, m_bar, m_barStill})
        ui::placeTw(w, barLeftTw, barTopTw, 0, barHeightTw);

    // Three rows of ten lamps: the level best (green), the pupil's best
    // (yellow), and the red countdown of the pass line.
    struct Row
    {
        int first;
        int captionIndex;
        const char16_t *caption;
        quint32 colour;
    };
    const Row rows[] = {{10, 1, u"Best", greenLamp}, {20, 0, u"YourBest", yellowLamp}, {30, 2, u"Pass", redLamp}};
    int top = 1140;
    for (const Row &row : rows) {
        headerLabel(m_header, ui::controlName(u"sLabel17"_s, row.captionIndex), QString::fromUtf16(row.caption), 120,
                    top - 30, 1200, 240);
        for (int k = 0; k < 10; ++k) {
            QWidget *lamp = block(m_header, ui::controlName(u"sPicture3"_s, row.first + k), row.colour);
            ui::placeTw(lamp, 1400 + k * 270, top, 210, 180);
            m_lamps[size_t(row.first + k)] = lamp;
        }
        top += 210;
    }
}

void DrillForm::buildCover()
{
    m_cover = ui::named(new QWidget(this), u"sPicture2"_s);
    ui::setBackground(m_cover, ui::storedColour(formColour));
    ui::placeTw(m_cover, 0, 0, 15390, 11190);
    QFont big = ui::pGothicFont(48);
    big.setBold(true);
    m_recording = ui::named(new QLabel(u"成績記録中"_s, m_cover), u"lblsss1"_s);
    m_timeUpText = ui::named(new QLabel(u"時間切れ"_s, m_cover), u"lblsss2"_s);
    for (QLabel *label : {m_recording, m_timeUpText}) {
        label->setFont(big);
        label->setAlignment(Qt::AlignCenter);
        ui::placeTw(label, 1500, 4200, 12360, 1800);
    }
    // Says so while another computer holds the result file.
    m_waitNotice = ui::named(new QLabel(m_cover), u"lblWaitNotice"_s);
    m_waitNotice->setFont(ui::pGothicFont(20));
    m_waitNotice->setAlignment(Qt::AlignCenter);
    ui::placeTw(m_waitNotice, 1500, 6300, 12360, 900);
    m_waitNotice->hide();
    m_cover->hide();
}

void DrillForm::activate()
{
    setUp();
    perLevelSetUp();
    startClock();
    makeQuestion();
}

// 初期設定
void DrillForm::setUp()
{
    m_context.navigator->closeWaitWindow();
    Session &s = m_context.session;
    DrillState &d = s.drill;
    d.drillFinished = 0;
    d.endStarted = 0;
    d.judgeResult = 0;

    const int level = s.curLevel;
    const bool valid = level >= 0 && level <= maxLevel;
    if (valid && s.levels.levelInUse[size_t(level)] == 1) {
        const CriteriaRow &row = s.criteria[size_t(level)];
        d.timeLimit = timeLimitFor(row.minTime);
        m_seconds->setText(u"0"_s);
        const int frame = m_barFrame->width();
        const QPoint at = m_barFrame->pos();
        m_bar->setGeometry(at.x(), at.y(), 0, m_barFrame->height());
        m_barStill->setGeometry(at.x(), at.y(), 0, m_barFrame->height());
        m_targetBar->setGeometry(at.x(), at.y(), barWidth(row.targetTime, d.timeLimit, frame), m_barFrame->height());
        m_minBar->setGeometry(at.x(), at.y(), barWidth(row.minTime, d.timeLimit, frame), m_barFrame->height());
    }

    const QString &title = s.programTitle;
    QFont titleFont = ui::gothicFont(title.size() > 9 ? 14 : 16.8);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setText(title);
    m_pupil->setText(trimBlanks(s.curPupilName));
    m_school->setText(s.settings.schoolName);
    const QString levelName = valid ? s.levels.levelName[size_t(level)] : QString();
    m_levelName->setText(levelName);
    minutesTick();
    if (isPracticeLevel(levelName)) {
        m_levelTries->setText(u"－"_s);
        m_dayTries->setText(u"－"_s);
    } else {
        m_levelTries->setText(QString::number(todayTriesOf(s, level) + 1));
        m_dayTries->setText(QString::number(todayTriesUpTo(s, 15) + 1));
    }
}

// レベル別設定
void DrillForm::perLevelSetUp()
{
    m_context.session.drill.questionCount = 10;
    m_remaining->setText(u"10"_s);
}

// スタート
void DrillForm::startClock()
{
    DrillState &d = m_context.session.drill;
    const Clock &clock = *m_context.services.clock;
    d.drillStartTime = clock.now().time().msecsSinceStartOfDay() / 1000.0;
    d.drillStartTick = clock.monotonicMs();
    d.elapsedSeconds = 0;
    m_clock->start();
}

void DrillForm::clockTick()
{
    if (!m_clock->isActive())
        return;
    Session &s = m_context.session;
    DrillState &d = s.drill;
    const int level = s.curLevel;
    const CriteriaRow &row = s.criteria[size_t(std::clamp(level, 0, maxLevel))];
    const qint32 e = elapsedSeconds(d.drillStartTick, m_context.services.clock->monotonicMs());
    d.elapsedSeconds = e;

    const std::bitset<10> out = redLampsOut(e, row.targetTime, row.minTime);
    for (int k = 0; k < 10; ++k)
        if (out.test(size_t(k)))
            m_lamps[size_t(30 + k)]->hide();
    if (level >= 0 && level <= maxLevel && s.levels.levelInUse[size_t(level)] == 1)
        m_seconds->setText(QString::number(e));

    const int frame = m_barFrame->width();
    if (!timedOut(e, d.timeLimit)) {
        m_bar->resize(barWidth(e, d.timeLimit, frame), m_bar->height());
        return;
    }
    m_bar->resize(barWidth(d.timeLimit, d.timeLimit, frame), m_bar->height());
    if (d.endStarted != 1 && d.drillFinished != 1) {
        d.timeUp = 1;
        m_clock->stop();
        endOfDrill();
    }
}

void DrillForm::minutesTick()
{
    m_minutes->setText(
        QString::number(minutesSinceStart(m_context.session, m_context.services.clock->monotonicMs())));
}

bool DrillForm::drillClosed() const
{
    const DrillState &d = m_context.session.drill;
    return d.timeUp == 1 || d.drillFinished == 1;
}

bool DrillForm::inputHeld() const
{
    return m_cuePlaying || m_context.session.drill.endStarted == 1;
}

void DrillForm::playCue(Cue cue, std::function<void()> then)
{
    m_cuePlaying = true;
    m_context.navigator->playCue(cue, this, [this, then = std::move(then)] {
        m_cuePlaying = false;
        then();
    });
}

void DrillForm::showRemaining()
{
    const DrillState &d = m_context.session.drill;
    m_remaining->setText(QString::number(d.questionCount - d.correctCount));
}

void DrillForm::stopClock()
{
    m_clock->stop();
}

void DrillForm::finishByPupil()
{
    m_clock->stop();
    m_context.session.drill.drillFinished = 1;
    endOfDrill();
}

void DrillForm::endOfDrill()
{
    Session &s = m_context.session;
    DrillState &d = s.drill;
    // Marked before anything lets events run, so that no tick or click that
    // is still queued can start a second end.
    if (d.endStarted == 1)
        return;
    d.endStarted = 1;

    const bool timeUp = d.timeUp == 1;
    m_recording->setVisible(!timeUp);
    m_timeUpText->setVisible(timeUp);
    m_cover->show();
    m_cover->raise();
    ui::letEventsRun();

    const int level = s.curLevel;
    if (level < 0 || level > maxLevel)
        return;
    if (isPracticeLevel(s.levels.levelName[size_t(level)])) {
        m_clock->stop();
        m_context.navigator->practiceDrillEnded(this);
        return;
    }
    if (s.levels.levelInUse[size_t(level)] != 1)
        return;
    m_clock->stop();
    d.resultTime = timeUp ? noTime : d.elapsedSeconds;
    const DrillRecordOutcome outcome = recordFinishedDrill(s, level, m_context.services.clock->now(),
                                                           m_context.results(), ui::waitForOtherComputer(m_waitNotice));
    m_waitNotice->hide();
    if (outcome.error) {
        m_context.navigator->stopWithMessage(this, outcome.error->appendMessage(), *outcome.error);
        return;
    }
    m_context.navigator->drillRecorded(this);
}

} // namespace kemoro
