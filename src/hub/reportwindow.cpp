#include "hub/reportwindow.h"

#include "hub/hubrules.h"
#include "platform/busywait.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/widgets.h"
#include "roster/grades.h"
#include "state/context.h"

#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStringListModel>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int windowLeftTw = 120, windowTopTw = 1740;
constexpr int windowWidthTw = 15045, windowHeightTw = 8880;
constexpr int pictureWidthTw = 11460;
constexpr int panelLeftTw = 11580, panelWidthTw = 3405;
constexpr int openingLevels = 3;
} // namespace

ReportPicture::ReportPicture(QSize pixels, QWidget *parent)
    : QWidget(parent), m_surface(std::make_unique<ImageSurface>(pixels))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ReportPicture::~ReportPicture() = default;

const QImage &ReportPicture::image() const
{
    return m_surface->image();
}

void ReportPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface->image());
}

ReportWindow::ReportWindow(AppContext &context, ReportHost host, QWidget *parent)
    : QFrame(parent), m_context(context), m_host(std::move(host)), m_ranks(size_t(levelSlots))
{
    setObjectName(u"Picture11"_s);
    setFrameShape(QFrame::Box);
    ui::setBackground(this, QColor(255, 255, 255));
    ui::placeTw(this, windowLeftTw, windowTopTw, windowWidthTw, windowHeightTw);

    m_picture = ui::named(new ReportPicture(QSize(ui::px(pictureWidthTw), ui::px(windowHeightTw)), this),
                          u"Picture12"_s);
    ui::placeTw(m_picture, 0, 0, pictureWidthTw, windowHeightTw);

    m_others = ui::named(new QPushButton(u"他の人のデータを見る"_s, this), u"Command25"_s);
    ui::placeTw(m_others, panelLeftTw, 120, panelWidthTw, 450);
    connect(m_others, &QPushButton::clicked, this, &ReportWindow::revealPupils);

    m_pupils = ui::named(new QListView(this), u"List2"_s);
    m_pupilLines = new QStringListModel(m_pupils);
    m_pupils->setModel(m_pupilLines);
    m_pupils->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pupils->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pupils->setUniformItemSizes(true);
    m_pupils->setFont(ui::gothicFont(9));
    ui::placeTw(m_pupils, panelLeftTw, 120, panelWidthTw, 4200);
    m_pupils->hide();
    // The report follows every change of the selection, by mouse, keys or drag.
    connect(m_pupils->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ReportWindow::selectionChanged);

    m_levelLabel = ui::named(new QLabel(u"ﾚﾍﾞﾙ"_s, this), u"Label27"_s);
    ui::placeTw(m_levelLabel, panelLeftTw, 4440, 1200, 300);
    m_levels = ui::named(new QListView(this), u"List3"_s);
    m_levelLines = new QStringListModel(m_levels);
    m_levels->setModel(m_levelLines);
    m_levels->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_levels->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_levels->setFont(ui::gothicFont(10));
    ui::placeTw(m_levels, panelLeftTw, 4740, 1200, 3900);
    connect(m_levels->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ReportWindow::selectionChanged);

    m_show = ui::named(new QPushButton(u"表示"_s, this), u"Command24"_s, 0);
    ui::placeTw(m_show, panelLeftTw + 1380, 4740, panelWidthTw - 1380, 600);
    connect(m_show, &QPushButton::clicked, this, [this] { showSelected(0); });
    m_print = ui::named(new QPushButton(u"印刷"_s, this), u"Command24"_s, 1);
    ui::placeTw(m_print, panelLeftTw + 1380, 5460, panelWidthTw - 1380, 600);
    connect(m_print, &QPushButton::clicked, this, [this] { showSelected(1); });
    m_print->hide();
    m_back = ui::named(new QPushButton(u"戻る"_s, this), u"Command18"_s);
    ui::placeTw(m_back, panelLeftTw + 1380, 8040, panelWidthTw - 1380, 600);
    connect(m_back, &QPushButton::clicked, this, &QWidget::hide);

    for (int kind = 1; kind <= 2; ++kind) {
        QListView *list = ui::named(new QListView(this), u"List4"_s, kind);
        m_rankingLines[kind - 1] = new QStringListModel(list);
        list->setModel(m_rankingLines[kind - 1]);
        list->hide();
        m_rankings[kind - 1] = list;
    }

    // Notices over the middle of the picture: while another computer holds
    // the record file, and while no level is selected.
    const auto notice = [this](const QString &name, const QString &text) {
        auto *label = ui::named(new QLabel(text, this), name);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(ui::gothicFont(14));
        ui::setBackground(label, QColor(255, 255, 192));
        ui::placeTw(label, 600, 3600, pictureWidthTw - 1200, 900);
        label->hide();
        return label;
    };
    m_waitNotice = notice(u"waitNotice"_s, QString());
    m_noLevelNotice =
        notice(u"noLevelNotice"_s, u"レベルが一つも選ばれていないので、成績を表示できません。"_s);

    hide();
}

ReportWindow::~ReportWindow() = default;

const QImage &ReportWindow::picture() const
{
    return m_picture->image();
}

QStringList ReportWindow::rankingLines(int kind) const
{
    return m_rankingLines[std::clamp(kind, 1, 2) - 1]->stringList();
}

void ReportWindow::fillLists(int levelCount)
{
    const Session &s = m_context.session;
    // New lines leave nothing selected; that is no reason to redraw.
    m_settingUp = true;
    m_pupilLines->setStringList({});
    // The window keeps its own roster: reloading must not change the hub's rankings.
    m_roster = s.roster;
    Diagnostics diagnostics;
    if (loadRoster(s.folders.rosterFile(), 0, m_roster, diagnostics)) {
        m_pupilLines->setStringList(report::pupilLines(m_roster));
    } else {
        for (Diagnostic d : std::as_const(diagnostics)) {
            d.severity = Diagnostic::Severity::Warning; // the report of the current pupil still works
            m_context.services.reporter->report(d, window());
        }
    }
    m_levelCount = std::clamp(levelCount, 0, maxLevel);
    QStringList levels;
    for (int i = 1; i <= m_levelCount; ++i)
        levels.append(QString::number(i));
    m_levelLines->setStringList(levels);
    m_settingUp = false;
    m_reportPupil = s.curPupilNo;
}

void ReportWindow::selectFirstLevels()
{
    m_levels->clearSelection();
    QItemSelection selection;
    const int n = std::min<int>(openingLevels, int(m_levelLines->rowCount()));
    if (n > 0) selection.select(m_levelLines->index(0), m_levelLines->index(n - 1));
    m_levels->selectionModel()->select(selection, QItemSelectionModel::Select);
}

std::vector<int> ReportWindow::selectedLevelItems() const
{
    std::vector<int> items;
    for (const QModelIndex &index : m_levels->selectionModel()->selectedRows())
        items.push_back(index.row() + 1);
    std::sort(items.begin(), items.end());
    return items;
}

std::vector<int> ReportWindow::selectedPupils() const
{
    QModelIndexList rows = m_pupils->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<int> pupils;
    for (const QModelIndex &index : std::as_const(rows))
        pupils.push_back(report::pupilOfLine(index.data().toString()));
    return pupils;
}

void ReportWindow::revealPupils()
{
    m_others->hide();
    m_pupils->show();
}

void ReportWindow::selectionChanged()
{
    // The level list redraws only while the window shows; the pupil list is
    // visible only inside it.
    if (m_settingUp || !isVisible()) return;
    if (m_drawing) {
        // Changed while events run inside a drawing: drawn once it ends.
        m_redrawWanted = true;
        return;
    }
    showSelected(0);
}

void ReportWindow::redrawIfWanted()
{
    while (m_redrawWanted && !m_drawing) {
        m_redrawWanted = false;
        showSelected(0);
    }
}

void ReportWindow::open()
{
    if (m_drawing) return;
    m_reportPupil = m_context.session.curPupilNo;
    m_pupils->hide();
    m_others->show();
    // Set up quietly: the report is drawn once below. (Blocking the selection
    // models' signals would keep the lists from repainting their selection.)
    m_settingUp = true;
    m_pupils->clearSelection();
    selectFirstLevels();
    m_settingUp = false;
    m_baseFontSize = 6;
    m_firstLevel = 1;
    m_print->setVisible(hub::isTeacherName(m_context.session.curPupilName));
    ui::placeTw(this, windowLeftTw, windowTopTw, windowWidthTw, windowHeightTw);
    show();
    raise();
    drawOn(m_picture->surface(), false);
    redrawIfWanted();
}

void ReportWindow::showSelected(int k)
{
    // A click while a report is drawn would start a second one inside the first.
    if (m_drawing) return;
    std::vector<int> pupils = selectedPupils();
    if (pupils.empty()) pupils.push_back(m_reportPupil);
    if (k == 0) {
        for (int pupil : pupils) {
            m_reportPupil = pupil;
            if (!drawOn(m_picture->surface(), false)) return;
        }
        redrawIfWanted();
        return;
    }
    const Session &s = m_context.session;
    if (selectedLevelItems().empty()) {
        // Pages without a block would come out blank.
        m_context.services.messages->inform(window(), s.programTitle,
                                            u"レベルが一つも選ばれていないので、印刷できません。"_s);
        return;
    }
    PrintRequest request;
    request.documentName = s.programTitle;
    request.fileTitle = report::pdfTitle(m_roster, pupils, s.programTitle);
    request.date = m_context.services.clock->today();
    request.messages = m_context.services.messages;
    request.messageTitle = s.programTitle;
    const PrintOutcome outcome = printDocuments(*m_context.services.printers, window(), int(pupils.size()),
                                                request, [&](PrintSurface &surface, int i) {
                                                    m_reportPupil = pupils[size_t(i)];
                                                    return drawOn(surface, true);
                                                });
    if (outcome.kind == PrintOutcome::Kind::Failed)
        m_context.services.messages->inform(window(), s.programTitle, outcome.message);
    redrawIfWanted();
}

report::LevelRanks ReportWindow::rankingStep(int level)
{
    if (level < 1 || level > maxLevel) return {};
    const Session &s = m_context.session;
    hub::RankingOptions options;
    options.gradeFilter = m_host.gradeFilter ? m_host.gradeFilter() : allGradesFilter();
    options.currentPupil = s.curPupilNo;
    options.levelInUse = s.levels.levelInUse[size_t(level)] == 1;
    options.pointRankPeriod = m_host.pointRankPeriod ? m_host.pointRankPeriod() : 1;
    const hub::RankedPupils fallback =
        m_host.rankedPupils ? hub::RankedPupils() : hub::rankedPupils(s.roster);
    const hub::RankedPupils &group = m_host.rankedPupils ? m_host.rankedPupils() : fallback;
    report::RankingStep step = report::rankingStep(group, s.results, level, m_reportPupil, options);
    m_rankingLines[1]->setStringList(step.points.lines);
    m_rankingLines[0]->setStringList(step.time.lines);
    if (m_host.markCurrentPupil) m_host.markCurrentPupil(level);
    m_ranks[size_t(level)] = step.values;
    return step.values;
}

bool ReportWindow::drawOn(PrintSurface &surface, bool paper)
{
    const Session &s = m_context.session;
    m_drawing = true;
    const int pupil = std::clamp(m_reportPupil, 0, maxPupil);
    report::Request request;
    request.pupil = m_reportPupil;
    request.pupilName = m_roster.pupilNames[size_t(pupil)];
    request.levelItems = selectedLevelItems();
    if (!paper) m_noLevelNotice->setVisible(request.levelItems.empty());
    request.firstLevel = m_firstLevel;
    request.levelCount = s.levelCount;
    request.gradeMatches =
        gradeMatches(m_host.gradeFilter ? m_host.gradeFilter() : allGradesFilter(), m_roster.gradeOf(pupil));
    request.now = m_context.services.clock->now();
    request.style.paper = paper;
    request.style.baseFontSize = m_baseFontSize;
    request.title = [&s](int level) {
        return s.programTitle + u' ' + s.levels.levelName[size_t(std::clamp(level, 0, maxLevel))];
    };

    report::Hooks hooks;
    hooks.rank = [this](int level) { return rankingStep(level); };
    hooks.read = [this, &s](ResultWindow &file) {
        const std::optional<ResultFileError> failed = m_context.results().read(
            -1, ui::waitForOtherComputer(m_waitNotice, m_context.services.timers), file);
        m_waitNotice->hide();
        return failed;
    };
    hooks.drawn = [this, paper] {
        if (!paper) {
            show();
            raise();
            m_picture->update();
        }
        ui::letEventsRun();
    };

    if (!paper) {
        ui::placeTw(this, windowLeftTw, windowTopTw, windowWidthTw, windowHeightTw);
        show();
        raise();
    }
    const std::optional<ResultFileError> failed = report::drawReport(surface, request, hooks);
    m_picture->update();
    m_drawing = false;
    if (failed) {
        m_context.services.reporter->stop(window(),
                                          u"Command7"_s + failed->path + u": "_s + failed->description +
                                              QString::number(failed->code),
                                          *failed);
        return false;
    }
    if (m_host.finished) m_host.finished();
    return true;
}

} // namespace kemoro
