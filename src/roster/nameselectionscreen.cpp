#include "roster/nameselectionscreen.h"

#include "platform/busywait.h"
#include "platform/clicklabel.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "platform/widgets.h"
#include "roster/grades.h"
#include "roster/namelist.h"
#include "state/context.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

QString chooseYourName()
{
    return u"名前を選びなさい"_s;
}

QString justAMoment()
{
    return u"Just a moment, please."_s;
}

} // namespace

NameSelectionScreen::NameSelectionScreen(AppContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_title(new ui::ClickLabel(this)), m_list(new QListWidget(this)),
      m_grades(new QComboBox(this)), m_chosen(new QLabel(this)), m_chosenNo(new QLabel(this)),
      m_ok(new QPushButton(this)), m_leave(new QPushButton(this)), m_cover(new QFrame(this)),
      m_coverText(new QLabel(m_cover))
{
    setObjectName(u"namesel"_s);
    setWindowTitle(u"quendle"_s);
    setFixedSize(ui::px(15360), ui::px(11520));
    const QColor season = ui::storedColour(m_context.session.seasonColour);
    ui::setBackground(this, season);

    m_title->setObjectName(u"Label4"_s);
    QFont titleFont = ui::gothicFont(48);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setText(m_context.session.programTitle);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setCursor(Qt::PointingHandCursor);
    ui::placeTw(m_title, 480, 240, 14400, 1320);
    connect(m_title, &ui::ClickLabel::clicked, this, &NameSelectionScreen::versionDialogRequested);

    // The lines are laid out in fixed-width pieces; only a fixed-pitch face
    // whose full-width characters are two half widths keeps the columns.
    m_list->setObjectName(u"List1"_s);
    m_list->setFont(ui::gothicFont(16));
    ui::placeTw(m_list, 480, 1800, 9360, 9240);
    // Every line has the same height; saying so spares measuring 5000 lines.
    m_list->setUniformItemSizes(true);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::currentRowChanged, this, &NameSelectionScreen::rowChosen);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &NameSelectionScreen::rowDoubleClicked);

    m_grades->setObjectName(u"Combo1"_s);
    m_grades->setToolTip(u"表示する学年を選びなさい"_s);
    m_grades->setFont(ui::gothicFont(14));
    ui::placeTw(m_grades, 10200, 1800, 4680, 480);
    fillGradeBox();
    connect(m_grades, &QComboBox::activated, this, &NameSelectionScreen::gradeChosen);

    const QString rankingCaptions[] = {u"回数(今日／今まで）"_s, u"ポイント（今日／今まで）"_s,
                                       u"本日（ポイント／回数）"_s, u"今まで（ポイント／回数）"_s};
    for (int i = 0; i < rankingKinds; ++i) {
        QRadioButton *option = ui::named(new QRadioButton(rankingCaptions[i], this), u"Option1"_s, i);
        option->setFont(ui::pGothicFont(12));
        option->setAutoFillBackground(true);
        ui::setBackground(option, season);
        ui::placeTw(option, 10200, 2520 + i * 540, 4680, 480);
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) rankingChosen(i);
        });
        m_rankings[size_t(i)] = option;
    }

    m_chosen->setObjectName(u"Label1"_s);
    m_chosen->setFont(ui::minchoFont(20));
    m_chosen->setAlignment(Qt::AlignCenter);
    m_chosen->setText(chooseYourName());
    ui::placeTw(m_chosen, 10200, 4920, 4680, 900);
    m_chosenNo->setObjectName(u"Label2"_s);
    m_chosenNo->hide();

    m_ok->setObjectName(u"Command14"_s);
    m_ok->setText(u"O.K."_s);
    m_ok->setFont(ui::pGothicFont(24));
    ui::placeTw(m_ok, 11040, 6120, 3000, 1200);
    connect(m_ok, &QPushButton::clicked, this, &NameSelectionScreen::confirm);

    m_leave->setObjectName(u"Command7"_s);
    m_leave->setText(u"ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"_s);
    m_leave->setFont(ui::pGothicFont(14));
    ui::placeTw(m_leave, 10800, 10200, 4080, 840);
    connect(m_leave, &QPushButton::clicked, this, &NameSelectionScreen::leave);

    // The wait cover hides the half-built screen while it loads and while the
    // hub opens.
    m_cover->setObjectName(u"Picture5"_s);
    m_cover->setAutoFillBackground(true);
    ui::setBackground(m_cover, season);
    m_cover->setGeometry(0, 0, width(), height());
    m_coverText->setObjectName(u"Label19"_s);
    m_coverText->setText(justAMoment());
    m_coverText->setFont(ui::pGothicFont(24));
    m_coverText->setAlignment(Qt::AlignCenter);
    m_coverText->setGeometry(0, 0, width(), height());
    m_cover->raise();

    // The screen sees these keys before its controls.
    auto *one = new QShortcut(QKeySequence(u"1"_s), this);
    connect(one, &QShortcut::activated, this, [this] {
        if (m_ok->isVisible()) confirm();
    });
    auto *zero = new QShortcut(QKeySequence(u"0"_s), this);
    connect(zero, &QShortcut::activated, this, [this] {
        if (m_leave->isVisible()) leave();
    });
}

void NameSelectionScreen::fillGradeBox()
{
    // Refilled rather than appended to, so that returning to the screen never
    // lists the grades twice.
    const QSignalBlocker blocker(m_grades);
    m_grades->clear();
    m_grades->addItems(gradeFilterTexts());
    m_grades->setCurrentIndex(0);
}

bool NameSelectionScreen::load()
{
    m_loaded = true;
    m_confirmed = false;
    m_ok->show();
    m_cover->move(0, 0);
    m_cover->show();
    m_cover->raise();
    // The ranking kind is not chosen yet, which counts as 0.
    m_kind = 0;
    if (!listNames()) return false;
    m_title->setText(m_context.session.programTitle);
    m_list->setCurrentRow(0);
    ui::letEventsRun();
    m_cover->hide();
    return true;
}

void NameSelectionScreen::activate()
{
    const QPointer<NameSelectionScreen> self(this);
    if ((!m_loaded || m_confirmed) && !load()) return;
    ui::letEventsRun();
    if (!self) return;

    // The grade box starts again from all grades; gradeFilter with it.
    fillGradeBox();
    m_context.session.gradeFilter = allGradesFilter();
    m_kind = 1;
    // Checked quietly: the list is rebuilt below only when it shows
    // something else, not once per changed control.
    for (QRadioButton *option : m_rankings)
        option->blockSignals(true);
    m_rankings[1]->setChecked(true);
    for (QRadioButton *option : m_rankings)
        option->blockSignals(false);
    if ((m_shownKind != m_kind || m_shownFilter != m_grades->currentText()) && !listNames()) return;

    ui::letEventsRun();
    if (!self) return;
    m_chosen->setText(chooseYourName());
    m_chosen->show();
    m_cover->hide();
}

bool NameSelectionScreen::listNames()
{
    // A click while the aggregation waits for another computer's lock would
    // start a second list over the first; it is ignored instead.
    if (m_listing) return true;
    m_listing = true;
    const QPointer<NameSelectionScreen> self(this);
    const bool coverShown = m_cover->isVisible();
    const WaitFunction notice = ui::waitForOtherComputer(m_coverText, m_context.services.timers);
    const WaitFunction wait = [self, notice](int seconds) {
        if (self) {
            self->m_cover->show();
            self->m_cover->raise();
        }
        return notice(seconds);
    };
    const QString filter = m_grades->currentText();
    const int kind = m_kind;
    NameListRun run = runNameList(m_context.session, m_context.results(), m_context.services.clock->now(),
                                  wait, RankingKind(kind), filter);
    if (!self) return false;
    m_listing = false;
    m_coverText->setText(justAMoment());
    if (!coverShown) m_cover->hide();

    Reporter &reporter = *m_context.services.reporter;
    if (run.resultError) {
        reporter.stop(this, loadFailureMessage(*run.resultError), *run.resultError);
        return false;
    }
    for (const Diagnostic &d : run.diagnostics) {
        if (d.severity == Diagnostic::Severity::Check) continue;
        if (d.severity == Diagnostic::Severity::Warning) {
            if (m_warned.contains(d.toLine())) continue;
            m_warned.insert(d.toLine());
        }
        if (d.severity == Diagnostic::Severity::Fatal) {
            reporter.stop(this, d);
            return false;
        }
        reporter.report(d, this);
    }

    m_list->clear();
    m_list->addItems(run.list.list1);
    m_pupils = run.list.pupils;
    m_shownKind = kind;
    m_shownFilter = filter;
    m_list->setCurrentRow(0);
    return true;
}

void NameSelectionScreen::rowChosen(int row)
{
    if (row < 0) return;
    if (row == 0 || row > m_pupils.size()) {
        m_chosen->setText(chooseYourName());
        return;
    }
    m_chosen->setText(trimBlanks(trimBlanks(m_list->item(row)->text()).left(10)));
    m_chosenNo->setText(QString::number(m_pupils.at(row - 1)));
}

void NameSelectionScreen::rowDoubleClicked(QListWidgetItem *item)
{
    const int row = m_list->row(item);
    if (row <= 0 || row > m_pupils.size()) {
        rowChosen(row);
        return;
    }
    const QString line = item->text();
    const qsizetype slash = line.indexOf(u'/');
    m_chosen->setText(trimBlanks(slash < 0 ? line : line.left(slash)));
    m_chosenNo->setText(QString::number(m_pupils.at(row - 1)));
    confirm();
}

void NameSelectionScreen::rankingChosen(int kind)
{
    if (m_listing) {
        // Ignored while a list is being built: the option goes back to the
        // kind the coming list shows.
        const QSignalBlocker blocker(m_rankings[size_t(kind)]);
        m_rankings[size_t(m_kind)]->setChecked(true);
        return;
    }
    m_kind = kind;
    listNames();
}

void NameSelectionScreen::gradeChosen()
{
    if (m_listing) {
        const QSignalBlocker blocker(m_grades);
        m_grades->setCurrentText(m_shownFilter);
        return;
    }
    m_context.session.gradeFilter = m_grades->currentText();
    if (listNames()) m_list->setFocus();
}

void NameSelectionScreen::confirm()
{
    // Enter or a double-click while the hub opens must not confirm twice.
    if (m_listing || m_confirmed) return;
    const QString chosen = m_chosen->text();
    if (chosen.isEmpty() || chosen == chooseYourName()) {
        playWrongAnswerCue();
        return;
    }
    bool ok = false;
    const int pupil = m_chosenNo->text().toInt(&ok);
    if (!ok || pupil < 0 || pupil > maxPupil) return;

    Session &session = m_context.session;
    const Clock &clock = *m_context.services.clock;
    confirmPupil(session, qint16(pupil), session.roster.pupilNames.at(size_t(pupil)),
                 session.roster.pupilGradeLabels.at(size_t(pupil)), clock.now().time(), clock.monotonicMs());

    m_ok->hide();
    m_cover->show();
    m_cover->raise();
    m_confirmed = true;
    const QPointer<NameSelectionScreen> self(this);
    ui::letEventsRun();
    if (!self) return;
    emit pupilConfirmed();
}

void NameSelectionScreen::leave()
{
    emit leaveRequested();
}

void NameSelectionScreen::closeEvent(QCloseEvent *event)
{
    ui::closeByOwnWay(this, event, [this] { leave(); });
}

bool NameSelectionScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            confirm();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NameSelectionScreen::playWrongAnswerCue()
{
    m_context.services.cues->play(Cue::Wrong, this, [] {});
}

} // namespace kemoro
