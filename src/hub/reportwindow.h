#pragma once

#include "hub/rankings.h"
#include "print/report.h"
#include "roster/roster.h"

#include <QFrame>
#include <QImage>

#include <functional>
#include <memory>

class QLabel;
class QListView;
class QPushButton;
class QStringListModel;

namespace kemoro {

struct AppContext;
class ImageSurface;
class PrinterService;
class PrintSurface;

// Picture12: the picture the on-screen report is drawn on. It keeps what was
// drawn, as a picture box does, and paints it whenever the window needs it.
class ReportPicture : public QWidget
{
    Q_OBJECT
public:
    ReportPicture(QSize pixels, QWidget *parent);
    ~ReportPicture() override;
    ImageSurface &surface() { return *m_surface; }
    const QImage &image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<ImageSurface> m_surface;
};

// What the report window takes from the hub it lies on.
struct ReportHost
{
    std::function<QString()> gradeFilter;                    // the text of the grade box Combo1
    std::function<int()> pointRankPeriod;                    // 1 points so far, 2 today's
    std::function<const hub::RankedPupils &()> rankedPupils; // the hub's ranking group
    std::function<void(int level)> markCurrentPupil;         // selects the line before "●" in List5(level)
    std::function<void()> finished; // a report was drawn: the list options work again
};

// Picture11: the report window laid over the hub. Shows the personal results
// report of one pupil for the selected levels and prints it for teachers.
class ReportWindow : public QFrame
{
    Q_OBJECT
public:
    ReportWindow(AppContext &context, ReportHost host, QWidget *parent);
    ~ReportWindow() override;

    // Run by the hub's personal list: refills the pupil list from the roster,
    // the level list with 1..levelCount, and reports on the current pupil.
    void fillLists(int levelCount);
    // "グラフ": the report of the current pupil, levels 1 to 3.
    void open();
    // Command24(k): 0 shows, 1 prints the report of each selected pupil, or of
    // the pupil last reported on when none is selected.
    void showSelected(int k);

    int reportPupil() const { return m_reportPupil; }
    bool isDrawing() const { return m_drawing; }
    const QImage &picture() const;
    // The last ranking lines of List4(kind): 1 by time, 2 by points.
    QStringList rankingLines(int kind) const;
    const report::LevelRanks &levelRanks(int level) const { return m_ranks[size_t(level)]; }

private:
    // A pupil or level line was selected or deselected, by any means.
    void selectionChanged();
    void redrawIfWanted();
    void selectFirstLevels();
    std::vector<int> selectedLevelItems() const;
    std::vector<int> selectedPupils() const;
    report::LevelRanks rankingStep(int level);
    // Command21 for m_reportPupil; false when a read failed and the program ends.
    bool drawOn(PrintSurface &surface, bool paper);
    void revealPupils();

    AppContext &m_context;
    ReportHost m_host;
    Roster m_roster;
    int m_reportPupil = 0;
    int m_firstLevel = 1;
    double m_baseFontSize = 6;
    int m_levelCount = 0;
    bool m_drawing = false;
    bool m_redrawWanted = false;
    bool m_settingUp = false;
    std::vector<report::LevelRanks> m_ranks;

    ReportPicture *m_picture;
    QListView *m_pupils;
    QStringListModel *m_pupilLines;
    QListView *m_levels;
    QStringListModel *m_levelLines;
    QLabel *m_levelLabel;
    QPushButton *m_show;
    QPushButton *m_print;
    QPushButton *m_others;
    QPushButton *m_back;
    QListView *m_rankings[2];
    QStringListModel *m_rankingLines[2];
    QLabel *m_waitNotice;
    QLabel *m_noLevelNotice;
};

} // namespace kemoro
