#include "hub/hubscreen.h"

#include "hub/hublists.h"
#include "hub/hubrules.h"
#include "hub/rankings.h"
#include "hub/recordlists.h"
#include "hub/reportwindow.h"
#include "hub/teacherpanel.h"
#include "platform/busywait.h"
#include "platform/clicklabel.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "platform/widgets.h"
#include "results/aggregation.h"
#include "roster/grades.h"
#include "state/context.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringListModel>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int windowWidthTw = 15360;
constexpr int windowHeightTw = 11520;
const QColor green(0, 192, 0);
const QColor brightGreen(0, 255, 0);
const QColor paleGreen(192, 255, 192);
const QColor grey(224, 224, 224);
const QColor lightYellow(255, 255, 192);
const QColor cyan(0, 255, 255);

QLabel *label(QWidget *parent, const QString &name, const QString &text = QString())
{
    auto *l = ui::named(new QLabel(text, parent), name);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QStringList periodItems()
{
    // The last item ends in a double quote, as it always has.
    return {u"　　　今週の全成績"_s, u"　　先週からの全成績"_s, u"　　１ヶ月間の全成績"_s,
            u"　　１年間の全成績"_s, u"　　今までの全成績\""_s};
}
} // namespace

HubScreen::HubScreen(AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setObjectName(u"seisekitime1"_s);
    setWindowTitle(u"quendle"_s);
    setFixedSize(ui::px(windowWidthTw), ui::px(windowHeightTw));
    ui::setBackground(this, ui::storedColour(m_context.session.seasonColour));
    m_context.session.listPeriod = 3;
    buildTopBand();
    buildColumns();
    buildCovers();
}

HubScreen::~HubScreen() = default;

void HubScreen::buildTopBand()
{
    m_titleBar = label(this, u"Label2"_s);
    ui::setBackground(m_titleBar, green);
    ui::placeTw(m_titleBar, 120, 120, 9645, 705);
    m_title = label(this, u"Label11"_s);
    m_title->setStyleSheet(u"color: white"_s);
    ui::placeTw(m_title, 120, 150, 9660, 675);

    m_dataButton = ui::named(new QPushButton(u"データ処理"_s, this), u"Command8"_s);
    ui::placeTw(m_dataButton, 8370, 180, 1365, 585);
    m_dataButton->hide();
    connect(m_dataButton, &QPushButton::clicked, this, [this] { m_passwordPanel->open(); });

    m_pupilPanel = label(this, u"Label16"_s);
    ui::setBackground(m_pupilPanel, paleGreen);
    ui::placeTw(m_pupilPanel, 9795, 90, 2595, 735);
    m_schoolLine = label(this, u"Label13"_s);
    ui::placeTw(m_schoolLine, 9840, 135, 2505, 330);
    m_pupilLine = label(this, u"Label12"_s);
    ui::placeTw(m_pupilLine, 9840, 450, 2505, 330);

    m_listChoice = ui::named(new QFrame(this), u"Picture1"_s);
    ui::placeTw(m_listChoice, 12420, 90, 1320, 735);
    const hub::ListCaptions listCaptions = hub::designCaptions();
    auto *listGroup = new QButtonGroup(this);
    for (int j = 1; j <= 3; ++j) {
        auto *option = ui::named(
            new QRadioButton(listCaptions[size_t(j - 1)].value_or(QString()), m_listChoice), u"Option1"_s, j);
        option->setFont(ui::pGothicFont(8));
        ui::placeTw(option, 30, 15 + (j - 1) * 240, 1260, 240);
        listGroup->addButton(option, j);
        m_listOptions.append(option);
    }
    connect(listGroup, &QButtonGroup::idClicked, this, [this](int j) { chooseList(hub::ListChoice(j)); });

    m_back = ui::named(new QPushButton(u"戻る(0)"_s, this), u"Command1"_s);
    ui::placeTw(m_back, 13800, 90, 1305, 735);
    connect(m_back, &QPushButton::clicked, this, &HubScreen::goBack);

    auto *minutesBox = ui::named(new QFrame(this), u"Picture3"_s);
    ui::placeTw(minutesBox, 120, 840, 3090, 345);
    m_minutes = label(minutesBox, u"Label17"_s);
    m_minutes->setGeometry(0, 0, minutesBox->width(), minutesBox->height());
    auto *todayBox = ui::named(new QFrame(this), u"Picture4"_s);
    ui::placeTw(todayBox, 3210, 840, 3090, 345);
    m_todayTotal = label(todayBox, u"Label18"_s);
    m_todayTotal->setGeometry(0, 0, todayBox->width(), todayBox->height());

    m_graph = ui::named(new QPushButton(u"グラフ"_s, this), u"Command17"_s);
    ui::placeTw(m_graph, 10320, 840, 1065, 345);
    m_graph->hide();
    m_hubPrint = ui::named(new QPushButton(u"印刷"_s, this), u"Command20"_s);
    m_hubPrint->hide();
    ReportHost host;
    host.gradeFilter = [this] { return m_grades->currentText(); };
    host.pointRankPeriod = [this] { return int(m_lists.period); };
    host.rankedPupils = [this]() -> const hub::RankedPupils & { return m_rankedPupils; };
    host.markCurrentPupil = [this](int level) {
        if (level < 1 || level > levelCount()) return;
        const Column &c = m_columns.at(level - 1);
        const QStringList lines = c.lines->stringList();
        for (qsizetype k = 1; k < lines.size(); ++k)
            if (lines.at(k).contains(u'●'))
                c.list->selectionModel()->select(c.lines->index(int(k - 1)), QItemSelectionModel::Select);
    };
    host.finished = [this] { m_listChoice->setEnabled(true); };
    m_report = new ReportWindow(m_context, std::move(host), this);
    connect(m_graph, &QPushButton::clicked, m_report, &ReportWindow::open);

    m_viewChoice = ui::named(new QFrame(this), u"Picture5"_s);
    ui::placeTw(m_viewChoice, 11400, 840, 3690, 345);
    const QStringList viewCaptions = {u"ﾀｲﾑ表示"_s, u"ﾎﾟｲﾝﾄ表示"_s, u"個人ﾀｲﾑ"_s};
    auto *viewGroup = new QButtonGroup(this);
    for (int k = 0; k <= 2; ++k) {
        auto *option = ui::named(new QRadioButton(viewCaptions.at(k), m_viewChoice), u"Option2"_s, k);
        option->setFont(ui::pGothicFont(9));
        ui::placeTw(option, 30 + k * 1220, 30, 1200, 285);
        viewGroup->addButton(option, k);
        m_viewOptions.append(option);
    }
    connect(viewGroup, &QButtonGroup::idClicked, this, [this](int k) { switchView(hub::HubView(k)); });

    m_listTitle = label(this, u"Label5"_s, u"ベスト成績"_s);
    ui::setBackground(m_listTitle, cyan);
    m_listTitle->setFont(ui::pGothicFont(14));
    ui::placeTw(m_listTitle, 120, 1200, 14985, 525);

    m_periods = ui::named(new QComboBox(this), u"Combo2"_s);
    m_periods->addItems(periodItems());
    m_periods->setEditable(true);
    // The boxes offer their own entries only: Enter never adds the typed text.
    m_periods->setInsertPolicy(QComboBox::NoInsert);
    m_periods->setEditText(u"　　１ヶ月間の全成績"_s);
    ui::placeTw(m_periods, 6150, 1260, 3345, 405);
    m_periods->hide();
    connect(m_periods, &QComboBox::activated, this, &HubScreen::choosePeriod);

    m_grades = ui::named(new QComboBox(this), u"Combo1"_s);
    m_grades->addItems(gradeFilterTexts());
    m_grades->setEditable(true);
    m_grades->setInsertPolicy(QComboBox::NoInsert);
    m_grades->setEditText(m_context.session.gradeFilter);
    // Text that names no entry is no filter: Enter puts the last grade that
    // did back instead of emptying every list.
    m_lastGrade = m_context.session.gradeFilter;
    connect(m_grades, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (m_grades->findText(text) >= 0) m_lastGrade = text;
    });
    connect(m_grades->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (m_grades->findText(m_grades->currentText()) < 0) m_grades->setEditText(m_lastGrade);
    });
    m_grades->setToolTip(u"表示する学年を選びます"_s);
    ui::placeTw(m_grades, 13440, 1260, 1305, 405);
    connect(m_grades, &QComboBox::activated, this, &HubScreen::chooseGrade);

    m_scroll = ui::named(new QScrollBar(Qt::Horizontal, this), u"HScroll1"_s);
    ui::placeTw(m_scroll, 120, 10680, 15045, 330);
    // A click in the track moves one column, as the arrows do; Qt's page of
    // ten would jump past levels a pupil wanted to see.
    m_scroll->setPageStep(1);
    m_scroll->hide();
    connect(m_scroll, &QScrollBar::valueChanged, this, &HubScreen::onScroll);

    // Never shown: their colours are the list colours of the result lists.
    auto *text4 = ui::named(new QLineEdit(this), u"Text4"_s);
    ui::setBackground(text4, green);
    text4->hide();
    auto *text5 = ui::named(new QLineEdit(this), u"Text5"_s);
    ui::setBackground(text5, paleGreen);
    text5->hide();
}

void HubScreen::buildColumns()
{
    const int n = std::clamp(int(m_context.session.levelCount), 0, maxLevel);
    const hub::ColumnGeometry g = hub::columnGeometry(n, windowWidthTw);
    if (g.scrolls) {
        // No scroll handling yet: activation restores the column kept from the last entry.
        const QSignalBlocker block(m_scroll);
        m_scroll->setRange(1, g.scrollMaximum);
        m_scroll->show();
    }
    for (int i = 1; i <= n; ++i) {
        Column c;
        c.number = label(this, u"Label1"_s + u'(' + QString::number(i) + u')', QString::number(i));
        ui::setBackground(c.number, green);
        c.name = ui::named(new ui::ClickLabel(this), u"Label3"_s, i);
        c.name->setAlignment(Qt::AlignCenter);
        c.name->setText(m_context.session.levels.levelName[i]);
        c.name->setToolTip(m_context.session.levels.levelName[i]);
        ui::setBackground(c.name, brightGreen);
        connect(c.name, &ui::ClickLabel::clicked, this, [this, i] { startByName(i); });
        c.start = ui::named(new QPushButton(hub::startCaption(i), this), u"Command4"_s, i);
        c.start->setToolTip(u"クリックしてスタートします。番号を押してもよろしい"_s);
        connect(c.start, &QPushButton::clicked, this, [this, i] { startByButton(i); });
        c.todayHeading = label(this, ui::controlName(u"Label9"_s, i));
        c.totalHeading = label(this, ui::controlName(u"Label10"_s, i));
        c.today = label(this, ui::controlName(u"Label14"_s, i));
        c.total = label(this, ui::controlName(u"Label15"_s, i));
        for (QLabel *l : {c.todayHeading, c.totalHeading, c.today, c.total})
            ui::setBackground(l, grey);
        c.recent = label(this, ui::controlName(u"Label8"_s, i));
        c.list = ui::named(new QListView(this), u"List5"_s, i);
        c.lines = new QStringListModel(c.list);
        c.list->setModel(c.lines);
        c.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        c.list->setFont(ui::gothicFont(10));
        // Every line has the same height: the view then never measures thousands of them.
        c.list->setUniformItemSizes(true);
        // The hub's keys work while a list has the focus (a click in it or on
        // its scroll bar): the list's own type-ahead search would eat them.
        c.list->installEventFilter(this);
        ui::setBackground(c.list, lightYellow);
        c.criteria = label(this, ui::controlName(u"Label7"_s, i));
        c.criteria->setFont(ui::pGothicFont(8));
        c.recent->setFont(ui::pGothicFont(8));
        c.notice = ui::named(new QLineEdit(this), u"Text1"_s, i);
        c.notice->setReadOnly(true);
        c.notice->setAlignment(Qt::AlignCenter);
        c.notice->setFocusPolicy(Qt::NoFocus);
        ui::setBackground(c.notice, QColor(128, 128, 128));
        c.notice->hide();
        c.todayHeading->setText(u"今日"_s);
        c.totalHeading->setText(u"今まで"_s);
        c.recent->setText(hub::recentText(m_context.session, i));
        c.criteria->setText(hub::criteriaText(m_context.session, i));
        m_columns.append(c);
    }
}

void HubScreen::buildCovers()
{
    m_listCover = ui::named(new QFrame(this), u"Picture6"_s);
    ui::setBackground(m_listCover, ui::storedColour(m_context.session.seasonColour));
    ui::placeTw(m_listCover, 0, 1200, windowWidthTw, 10680 - 1200);
    m_listProgress = ui::named(new QProgressBar(m_listCover), u"ProgressBar2"_s);
    ui::placeTw(m_listProgress, 3000, 4000, 9000, 400);
    m_listCoverLabel = label(m_listCover, u"Label21"_s, u"Just a momento, please."_s);
    m_listCoverLabel->setFont(ui::gothicFont(20));
    ui::placeTw(m_listCoverLabel, 1500, 2800, 12000, 800);
    m_listCover->hide();

    m_passwordPanel = new TeacherPanel(m_context, this);
    connect(m_passwordPanel, &TeacherPanel::screenChosen, this, [this](int k) {
        if (k == 2) {
            // A dialog over the hub: the hub stays as it is.
            emit printSelectionRequested();
            return;
        }
        m_hubReady = false;
        if (k == 0)
            emit recordScreenRequested();
        else
            emit criteriaEditorRequested();
    });

    m_waitCover = ui::named(new QFrame(this), u"Picture2"_s);
    ui::setBackground(m_waitCover, ui::storedColour(m_context.session.seasonColour));
    m_waitCover->setGeometry(rect());
    m_waitProgress = ui::named(new QProgressBar(m_waitCover), u"ProgressBar1"_s);
    ui::placeTw(m_waitProgress, 3000, 6600, 9000, 400);
    m_waitLabel = label(m_waitCover, u"Label19"_s, u"Just a moment, please."_s);
    m_waitLabel->setFont(ui::gothicFont(24));
    ui::placeTw(m_waitLabel, 1500, 5200, 12000, 900);
    m_waitCover->raise();
}

void HubScreen::placeColumns()
{
    const hub::ColumnGeometry g = hub::columnGeometry(m_columns.size(), windowWidthTw);
    const int first = m_context.session.firstColumn;
    const double top = 1200 + 1.05 * 525;
    const double w = g.width;
    auto place = [](QWidget *widget, double left, double t, double width, double height) {
        widget->setGeometry(ui::px(int(left)), ui::px(int(t)), std::max(1, ui::px(int(width))),
                            ui::px(int(height)));
    };
    for (int i = 1; i <= m_columns.size(); ++i) {
        const Column &c = m_columns.at(i - 1);
        const double left = g.left(i, first, windowWidthTw);
        place(c.number, left, top, 0.2 * w, 420);
        place(c.name, left + 0.2 * w, top, 0.8 * w, 420);
        place(c.start, left, top + 420, w, 450);
        place(c.notice, left, top + 420, w, 450);
        place(c.todayHeading, left, top + 870, w / 2, 300);
        place(c.totalHeading, left + w / 2, top + 870, w / 2, 300);
        place(c.today, left, top + 1170, w / 2, 300);
        place(c.total, left + w / 2, top + 1170, w / 2, 300);
        place(c.recent, left, top + 1470, w, 300);
        place(c.list, left, top + 1770, w, 6690);
        place(c.criteria, left, top + 8460, w, 300);
    }
}

void HubScreen::activate()
{
    Session &s = m_context.session;
    const bool teacher = hub::isTeacherName(s.curPupilName);
    m_dataButton->setVisible(teacher);
    m_minutes->setText(hub::minutesText(minutesSinceStart(s, m_context.services.clock->monotonicMs())));
    m_hubReady = false;
    m_waitCover->setGeometry(rect());
    m_waitCover->show();
    m_waitCover->raise();
    ui::letEventsRun();
    const hub::HubList defaults = hub::activationList();
    setCaptions(defaults.captions);

    emit nameSelectionCloseRequested();
    const std::optional<ResultFileError> failed =
        aggregate(s.criteria, m_context.services.clock->now(), m_context.results(),
                  ui::waitForOtherComputer(m_waitLabel, m_context.services.timers), s.results);
    m_waitLabel->setText(u"Just a moment, please."_s);
    if (failed) {
        m_context.services.reporter->stop(this, loadFailureMessage(*failed), *failed);
        return;
    }
    const int pupil = std::clamp(int(s.curPupilNo), 0, maxPupil);
    m_todayTotal->setText(hub::todayTotalText(s.results, pupil));
    m_waitProgress->setMaximum(std::max(1, levelCount()));

    m_rankedPupils = hub::rankedPupils(s.roster);

    // The default lists: points view, ranking by points so far.
    m_activating = true;
    m_listOptions[0]->setChecked(true);
    showList(defaults);
    m_viewOptions[1]->setChecked(true);
    switchView(hub::HubView::Points);
    m_back->setEnabled(true);
    m_activating = false;

    hub::applyPracticeCriteria(s);
    for (int i = 1; i <= levelCount(); ++i)
        if (!isPracticeLevel(m_columns.at(i - 1).name->text())) m_columns.at(i - 1).list->show();
    m_listCover->hide();

    m_pupilLine->setText(s.curPupilGrade + u' ' + trimBlanks(s.curPupilName));
    m_schoolLine->setText(s.settings.schoolName + u':' + QString::number(s.curPupilNo));
    QFont titleFont = ui::gothicFont(s.programTitle.size() > 9 ? 20 : 24);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setText(s.programTitle);

    s.firstColumn = hub::clampFirstColumn(s.firstColumn, levelCount());
    {
        const QSignalBlocker block(m_scroll);
        m_scroll->setValue(s.firstColumn);
    }
    placeColumns();
    ui::letEventsRun();

    setColumnTexts();
    unlockLevels();

    m_waitCover->hide();
    m_waitProgress->hide();
    ui::letEventsRun();
    m_hubReady = true;
}

void HubScreen::setColumnTexts()
{
    const Session &s = m_context.session;
    const int pupil = std::clamp(int(s.curPupilNo), 0, maxPupil);
    for (int i = 1; i <= levelCount(); ++i) {
        const Column &c = m_columns.at(i - 1);
        c.criteria->setAutoFillBackground(true);
        ui::setBackground(c.criteria, grey);
        ui::setBackground(c.recent, grey);
        c.recent->setText(hub::recentText(s, i));
        c.criteria->setText(hub::criteriaText(s, i));
        if (isPracticeLevel(c.name->text())) {
            for (QWidget *w : std::initializer_list<QWidget *>{c.list, c.criteria, c.recent, c.today, c.total,
                                                               c.todayHeading, c.totalHeading})
                w->hide();
        }
        c.total->setText(hub::totalText(s.results, i, pupil));
        c.today->setText(hub::todayText(s.results, i, pupil));
    }
}

void HubScreen::unlockLevels()
{
    for (const Column &c : std::as_const(m_columns))
        c.start->setEnabled(false);
    const hub::Unlocking u = hub::unlockLevels(m_context.session);
    for (int i = 1; i <= levelCount(); ++i) {
        const Column &c = m_columns.at(i - 1);
        c.start->setEnabled(u.enabled[size_t(i)]);
        if (const std::optional<bool> notice = u.notice[size_t(i)]) {
            if (*notice) {
                c.notice->setText(QString::fromUtf16(hub::overPracticeNotice));
                c.notice->show();
                c.notice->raise();
            } else {
                c.notice->hide();
            }
        }
    }
    m_listCover->raise();
}

void HubScreen::coverLists()
{
    m_back->setEnabled(false);
    for (const Column &c : std::as_const(m_columns)) {
        c.start->setEnabled(false);
        c.list->hide();
    }
    m_listCover->show();
    m_listCover->raise();
}

void HubScreen::showLists()
{
    for (const Column &c : std::as_const(m_columns))
        if (!isPracticeLevel(c.name->text())) c.list->show();
    m_listCover->hide();
}

void HubScreen::setCaptions(const hub::ListCaptions &captions)
{
    for (size_t j = 0; j < captions.size(); ++j)
        if (captions[j]) m_listOptions[qsizetype(j)]->setText(*captions[j]);
}

std::optional<hub::ListChoice> HubScreen::checkedList() const
{
    for (int j = 1; j <= 3; ++j)
        if (m_listOptions[j - 1]->isChecked()) return hub::ListChoice(j);
    return std::nullopt;
}

void HubScreen::switchView(hub::HubView view)
{
    m_graph->hide();
    m_report->hide();
    coverLists();
    ui::letEventsRun();
    if (m_activating) return;
    const hub::HubList list = hub::viewChosen(m_lists, view, checkedList());
    if (list.reportButton) m_graph->show();
    if (view == hub::HubView::Personal) {
        m_periods->hide();
        buildRecordLists(list);
        return;
    }
    if (view == hub::HubView::Points) m_periods->hide();
    setCaptions(list.captions);
    m_listOptions[2]->setEnabled(true);
    m_lists = list.state;
    if (view == hub::HubView::Points) ui::letEventsRun();
    if (list.kind != hub::ListKind::None) showList(list);
}

void HubScreen::chooseList(hub::ListChoice choice)
{
    showList(hub::listChosen(m_lists, choice));
}

void HubScreen::showList(const hub::HubList &list)
{
    coverLists();
    m_periods->hide();
    m_listChoice->setEnabled(false);
    ui::letEventsRun();
    m_lists = list.state;
    switch (list.kind) {
    case hub::ListKind::None:
        break;
    case hub::ListKind::BestTimes:
        buildBestTimeLists(list);
        break;
    case hub::ListKind::PointsRanking:
        m_listTitle->setText(list.title);
        m_listProgress->setMaximum(std::max(1, levelCount()));
        for (int i = 1; i <= levelCount(); ++i) {
            m_listProgress->setValue(i);
            buildRanking(i, list);
        }
        break;
    case hub::ListKind::Records:
        buildRecordLists(list);
        break;
    }
    m_listChoice->setEnabled(true);
    m_back->setEnabled(true);
    unlockLevels();
    showLists();
}

void HubScreen::choosePeriod(int index)
{
    if (!m_listOptions[2]->isChecked()) return;
    m_context.session.listPeriod = std::clamp(index + 1, 1, 5);
    chooseList(hub::ListChoice::Third);
}

void HubScreen::chooseGrade()
{
    if (m_viewOptions[0]->isChecked()) {
        switchView(hub::HubView::Time);
    } else {
        // The personal-time view gives way to the points view here.
        m_viewOptions[1]->setChecked(true);
        switchView(hub::HubView::Points);
    }
    if (!m_columns.isEmpty()) m_columns.first().start->setFocus();
}

void HubScreen::clearLists()
{
    for (const Column &c : std::as_const(m_columns)) {
        c.todayHeading->setText(u"今日"_s);
        c.totalHeading->setText(u"今まで"_s);
        c.lines->setStringList({});
    }
}

void HubScreen::fillList(int level, const QStringList &lines)
{
    m_columns.at(level - 1).lines->setStringList(lines);
}

QStringList HubScreen::listLines(int level) const
{
    return m_columns.at(level - 1).lines->stringList();
}

void HubScreen::buildBestTimeLists(const hub::HubList &list)
{
    m_listTitle->setText(list.title);
    clearLists();
    m_listProgress->setValue(0);
    m_listProgress->setMaximum(std::max(1, levelCount()));
    for (int i = 1; i <= levelCount(); ++i) {
        m_listProgress->setValue(i);
        const Column &c = m_columns.at(i - 1);
        if (isPracticeLevel(c.name->text())) {
            for (QWidget *w : std::initializer_list<QWidget *>{c.list, c.criteria, c.recent, c.today, c.total,
                                                               c.todayHeading, c.totalHeading})
                w->hide();
        } else {
            buildRanking(i, list);
        }
        c.list->clearSelection();
    }
}

void HubScreen::buildRanking(int level, const hub::HubList &list)
{
    const Session &s = m_context.session;
    const Column &c = m_columns.at(level - 1);
    c.todayHeading->setText(u"今日"_s);
    c.totalHeading->setText(u"今まで"_s);
    hub::RankingOptions options;
    options.view = list.form;
    options.pointRankPeriod = int(list.state.period);
    options.gradeFilter = m_grades->currentText();
    options.currentPupil = s.curPupilNo;
    options.levelInUse = s.levels.levelInUse[level] == 1;
    const hub::Ranking ranking = hub::buildRanking(m_rankedPupils, s.results, level, options);
    fillList(level, ranking.lines);
    // Scrolls the pupil's own line into view, then leaves nothing selected.
    if (ranking.scrollRow >= 0)
        c.list->scrollTo(c.lines->index(ranking.scrollRow), QAbstractItemView::PositionAtTop);
    c.list->clearSelection();
}

void HubScreen::buildRecordLists(const hub::HubList &shown)
{
    const Session &s = m_context.session;
    const hub::RecordList list = shown.records;
    if (list == hub::RecordList::Personal) m_report->fillLists(levelCount());
    clearLists();
    m_listTitle->setText(shown.title);

    ResultWindow window;
    const std::optional<ResultFileError> failed = m_context.results().read(
        hub::recordWindow(list), ui::waitForOtherComputer(m_listCoverLabel, m_context.services.timers),
        window);
    m_listCoverLabel->setText(u"Just a momento, please."_s);
    if (failed) m_context.services.reporter->report(failed->toDiagnostic(), this);
    hub::RecordListOptions options;
    options.kind = list;
    options.view = shown.form;
    options.listPeriod = s.listPeriod;
    options.gradeFilter = m_grades->currentText();
    options.currentPupil = s.curPupilNo;
    options.levelCount = levelCount();
    options.now = m_context.services.clock->now();
    m_listProgress->setMaximum(std::max(1, int(1.1 * double(window.totalRecords + 1))));
    m_listProgress->setValue(int(window.totalRecords));
    const hub::LevelLists lists = hub::buildRecordLists(window, s.roster, s.criteria, options);
    for (int i = 1; i <= levelCount(); ++i)
        fillList(i, lists.lines[size_t(i)]);

    if (list == hub::RecordList::Personal) {
        m_listCover->hide();
        unlockLevels();
        showLists();
        m_back->setEnabled(true);
        return;
    }
    if (list == hub::RecordList::Period) ui::letEventsRun();
    tintLists(lists.tintTime, shown.tinted);
    m_listChoice->setEnabled(true);
    if (shown.periodBox) {
        const QSignalBlocker block(m_periods);
        m_periods->setCurrentIndex(s.listPeriod - 1);
        m_periods->show();
    }
}

void HubScreen::tintLists(const std::vector<std::optional<qint32>> &tintTimes, bool tinted)
{
    const Session &s = m_context.session;
    static const QColor colours[] = {green, paleGreen, QColor(192, 192, 192)};
    for (int i = 1; i <= levelCount(); ++i) {
        QListView *list = m_columns.at(i - 1).list;
        if (tinted && s.levels.levelInUse[i] == 1 && tintTimes[size_t(i)])
            ui::setBackground(list, colours[int(hub::tintFor(*tintTimes[size_t(i)], s.criteria[i]))]);
        list->clearSelection();
    }
}

bool HubScreen::startBlocked(int level) const
{
    if (!m_hubReady || level < 1 || level > levelCount()) return true;
    return m_passwordPanel->isVisible() || !m_columns.at(level - 1).start->isEnabled();
}

void HubScreen::startLevel(int level)
{
    m_context.session.curLevel = qint16(level);
    ui::letEventsRun();
    m_hubReady = false;
    if (drillScreenFor(level) != DrillScreen::None) {
        emit drillRequested();
        return;
    }
    // No drill screen for this level: the hub stays usable.
    m_waitCover->hide();
    m_hubReady = true;
}

void HubScreen::startByButton(int level)
{
    if (startBlocked(level)) return;
    showWaitCover();
    startLevel(level);
}

void HubScreen::startByName(int level)
{
    if (startBlocked(level)) return;
    // The drill start closes the hub at once: no wait cover.
    startLevel(level);
}

void HubScreen::goBack()
{
    if (!m_back->isEnabled()) return;
    showWaitCover();
    m_hubReady = false;
    emit backRequested();
}

void HubScreen::closeEvent(QCloseEvent *event)
{
    ui::closeByOwnWay(this, event, [this] { goBack(); });
}

void HubScreen::showWaitCover()
{
    m_waitCover->setGeometry(rect());
    m_waitCover->show();
    m_waitCover->raise();
}

void HubScreen::onScroll(int value)
{
    m_context.session.firstColumn = value > levelCount() ? 1 : value;
    placeColumns();
}

bool HubScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QListView *>(watched)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typed) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HubScreen::keyPressEvent(QKeyEvent *event)
{
    // While the door is open every key belongs to the password box: a "0"
    // typed there must not leave the hub.
    if (m_passwordPanel->isVisible()) {
        // A key the box leaves unused comes back here through its parents.
        static bool forwarding = false;
        if (!forwarding) {
            forwarding = true;
            QLineEdit *box = m_passwordPanel->passwordBox();
            box->setFocus();
            QCoreApplication::sendEvent(box, event);
            forwarding = false;
        }
        event->accept();
        return;
    }
    const QString text = event->text();
    if (!m_hubReady || text.size() != 1) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int level = hub::levelForKey(text.at(0), levelCount());
    if (level == 0)
        goBack();
    else if (level > 0)
        startByButton(level);
    else
        QWidget::keyPressEvent(event);
}

} // namespace kemoro
