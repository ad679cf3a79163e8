#include "drill/drillform.h"

#include "platform/busywait.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "platform/timers.h"
#include "platform/widgets.h"
#include "results/drillrecord.h"
#include "state/context.h"

#include <QFrame>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

constexpr quint32 formColour = 12632064; // RGB 00C0C0
constexpr quint32 headerColour = 33023;  // RGB FF8000
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
      m_clock(context.services.timers->create(1000, false, this)),
      m_minutesClock(context.services.timers->create(10000, false, this)), m_run(context.session.drill)
{
    setObjectName(formName);
    setWindowTitle(u"Quendle"_s);
    setFixedSize(ui::px(15360), ui::px(11520));
    ui::setBackground(this, ui::storedColour(formColour));

    buildHeader();
    ui::named(m_workArea, u"Picture2"_s);
    ui::placeTw(m_workArea, 0, headerHeightTw, 15360, 11520 - headerHeightTw);
    buildCover();

    m_clock->setObjectName(u"sTimer1"_s);
    connect(m_clock, &FlowTimer::timeout, this, &DrillForm::clockTick);
    m_minutesClock->setObjectName(u"sTimer2"_s);
    connect(m_minutesClock, &FlowTimer::timeout, this, &DrillForm::minutesTick);
    m_minutesClock->start();
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
    const Row rows[] = {
        {10, 1, u"Best", greenLamp}, {20, 0, u"YourBest", yellowLamp}, {30, 2, u"Pass", redLamp}};
    int top = 1140;
    for (const Row &row : rows) {
        headerLabel(m_header, ui::controlName(u"sLabel17"_s, row.captionIndex),
                    QString::fromUtf16(row.caption), 120, top - 30, 1200, 240);
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

// 初期設定, with the rules of レベル別設定 and スタート: the run starts here, and
// perLevelSetUp and startClock show and start what it set.
void DrillForm::setUp()
{
    const Session &s = m_context.session;
    const Clock &clock = *m_context.services.clock;
    m_started = m_run.start(s.curLevel, s, clock.monotonicMs(),
                            clock.now().time().msecsSinceStartOfDay() / 1000.0, m_barFrame->width());
    if (m_started.inUse) {
        m_seconds->setText(u"0"_s);
        const QPoint at = m_barFrame->pos();
        const int height = m_barFrame->height();
        m_bar->setGeometry(at.x(), at.y(), 0, height);
        m_barStill->setGeometry(at.x(), at.y(), 0, height);
        m_targetBar->setGeometry(at.x(), at.y(), m_started.targetBarWidth, height);
        m_minBar->setGeometry(at.x(), at.y(), m_started.minBarWidth, height);
    }

    const QString &title = s.programTitle;
    QFont titleFont = ui::gothicFont(title.size() > 9 ? 14 : 16.8);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setText(title);
    m_pupil->setText(trimBlanks(s.curPupilName));
    m_school->setText(s.settings.schoolName);
    m_levelName->setText(m_started.levelName);
    minutesTick();
    m_levelTries->setText(m_started.levelTries);
    m_dayTries->setText(m_started.dayTries);
}

// レベル別設定
void DrillForm::perLevelSetUp()
{
    m_remaining->setText(QString::number(m_started.remaining));
}

// スタート
void DrillForm::startClock()
{
    m_clock->start();
}

void DrillForm::clockTick()
{
    const DrillTick t = m_run.tick(m_context.services.clock->monotonicMs());
    if (!t.counted) return;
    for (int k = 0; k < 10; ++k)
        if (t.lampsOut.test(size_t(k))) m_lamps[size_t(30 + k)]->hide();
    if (t.showSeconds) m_seconds->setText(QString::number(t.elapsed));
    m_bar->resize(t.barWidth, m_bar->height());
    syncClock();
    if (t.timedOut) endOfDrill();
}

void DrillForm::minutesTick()
{
    m_minutes->setText(
        QString::number(minutesSinceStart(m_context.session, m_context.services.clock->monotonicMs())));
}

void DrillForm::syncClock()
{
    if (!m_run.clockRunning()) m_clock->stop();
}

void DrillForm::judgeAnswer(Judgement judgement)
{
    const AnswerOutcome answer = m_run.answered(judgement);
    if (!answer.taken) return;
    syncClock();
    if (playsSilently(m_context.services.sound))
        showJudgement(answer.cue == Cue::Right ? Judgement::Right : Judgement::Wrong);
    m_context.services.cues->play(answer.cue, this, [this] { answerCounted(); });
}

void DrillForm::answerCounted()
{
    showJudgement(Judgement::None);
    const AnswerCount count = m_run.cueEnded();
    if (!count.taken) return;
    m_remaining->setText(QString::number(count.remaining));
    syncClock();
    if (count.nextQuestion) makeQuestion();
    if (count.finished) endOfDrill();
}

void DrillForm::finishByPupil()
{
    if (!m_run.finish()) return;
    syncClock();
    endOfDrill();
}

void DrillForm::abandon()
{
    if (!m_run.abandon()) return;
    syncClock();
    emit endedUnrecorded();
}

void DrillForm::closeEvent(QCloseEvent *event)
{
    ui::closeByOwnWay(this, event, [this] { abandon(); });
}

void DrillForm::endOfDrill()
{
    // The run marks the end before anything lets events run, so that no tick
    // or click that is still queued can start a second end.
    const DrillEnd end = m_run.end();
    syncClock();
    if (end.kind == DrillEnd::Kind::AlreadyEnded) return;

    m_recording->setVisible(!end.timeUp);
    m_timeUpText->setVisible(end.timeUp);
    m_cover->show();
    m_cover->raise();
    ui::letEventsRun();

    switch (end.kind) {
    case DrillEnd::Kind::AlreadyEnded:
        return;
    case DrillEnd::Kind::PracticeReturn:
    case DrillEnd::Kind::NotPlayable:
        emit endedUnrecorded();
        return;
    case DrillEnd::Kind::Record:
        break;
    }
    Session &s = m_context.session;
    const DrillRecordOutcome outcome =
        recordFinishedDrill(s, s.curLevel, m_context.services.clock->now(), m_context.results(),
                            ui::waitForOtherComputer(m_waitNotice, m_context.services.timers));
    m_waitNotice->hide();
    if (outcome.error) {
        m_context.services.reporter->stop(this, outcome.error->appendMessage(), *outcome.error);
        return;
    }
    emit recorded();
}

} // namespace kemoro
