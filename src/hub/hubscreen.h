#pragma once

#include "hub/hublists.h"
#include "hub/rankings.h"

#include <QList>

#include <QWidget>

#include <optional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QStringListModel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kemoro {

struct AppContext;
namespace ui {
class ClickLabel;
}
class TeacherPanel;
class ReportWindow;

// seisekitime1: the progress hub between drills. Created anew on every entry;
// the navigator connects its intents and calls activate() once it is shown.
class HubScreen : public QWidget
{
    Q_OBJECT
public:
    explicit HubScreen(AppContext &context, QWidget *parent = nullptr);
    ~HubScreen() override;

    // Form_Activate: teacher controls, aggregation, default lists, columns,
    // unlocking. Ends with hubReady = 1.
    void activate();

    bool hubReady() const { return m_hubReady; }
    int levelCount() const { return m_columns.size(); }

    // Starting a level i by its start button (Command4(i)).
    void startByButton(int level);
    // Starting a level i by its name (Label3(i)).
    void startByName(int level);
    // "戻る(0)".
    void goBack();

    // Runs the unlocking routine (Command9): start buttons and notices.
    void unlockLevels();

    // Option2_Click: the time, points or personal-time view.
    void switchView(hub::HubView view);
    // Option1_Click: which list of the view.
    void chooseList(hub::ListChoice choice);
    // Combo2_Click: the period of the period list (index 0..4).
    void choosePeriod(int index);
    // Combo1_Click: a grade was chosen; the current view is rebuilt.
    void chooseGrade();

    // The lines of List5(i), as shown.
    QStringList listLines(int level) const;

signals:
    // Activation has begun: the name selection screen goes.
    void nameSelectionCloseRequested();
    // curLevel is set to a level with a drill screen; the drill takes over from the hub.
    void drillRequested();
    // "戻る(0)": back to the name selection screen, which closes the hub.
    void backRequested();
    // The teacher panel's screens, after the password: the first two close the
    // hub, the print selection screen opens over it.
    void recordScreenRequested();
    void criteriaEditorRequested();
    void printSelectionRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A close by the window manager is "戻る(0)", taken when that could be pressed.
    void closeEvent(QCloseEvent *event) override;

private:
    struct Column
    {
        QLabel *number;
        ui::ClickLabel *name;
        QPushButton *start;
        QLabel *todayHeading, *totalHeading;
        QLabel *today, *total;
        QLabel *recent;
        QListView *list;
        QStringListModel *lines;
        QLabel *criteria;
        QLineEdit *notice;
    };

    void buildTopBand();
    void buildColumns();
    void buildCovers();
    void placeColumns();
    void setColumnTexts();
    bool startBlocked(int level) const;
    void startLevel(int level);
    void onScroll(int value);
    void showWaitCover();
    void coverLists();
    void showLists();
    void setCaptions(const hub::ListCaptions &captions);
    std::optional<hub::ListChoice> checkedList() const;
    void showList(const hub::HubList &list);                // Option1_Click's rebuild
    void clearLists();                                      // 回数など表示
    void buildBestTimeLists(const hub::HubList &list);      // Command6
    void buildRanking(int level, const hub::HubList &list); // Command3(i)
    void buildRecordLists(const hub::HubList &list);        // Command5, Command7, Command16
    void tintLists(const std::vector<std::optional<qint32>> &tintTimes, bool tinted); // 成績リスト色表示
    void fillList(int level, const QStringList &lines);

    AppContext &m_context;
    bool m_hubReady = false;
    bool m_activating = false;
    hub::ListState m_lists;

    QLabel *m_titleBar;
    QLabel *m_title;
    QPushButton *m_dataButton;
    QLabel *m_pupilPanel, *m_schoolLine, *m_pupilLine;
    QFrame *m_listChoice;
    QList<QRadioButton *> m_listOptions; // Option1(1..3) at 0..2
    QPushButton *m_back;
    QLabel *m_minutes;
    QLabel *m_todayTotal;
    QPushButton *m_graph;
    QPushButton *m_hubPrint; // Command20: never does anything
    ReportWindow *m_report;
    QFrame *m_viewChoice;
    QList<QRadioButton *> m_viewOptions; // Option2(0..2)
    QLabel *m_listTitle;
    QComboBox *m_periods;
    QComboBox *m_grades;
    QString m_lastGrade; // the last text of m_grades that named an entry
    QScrollBar *m_scroll;
    QList<Column> m_columns; // level i at index i - 1
    hub::RankedPupils m_rankedPupils;

    QFrame *m_waitCover;
    QProgressBar *m_waitProgress;
    QLabel *m_waitLabel;
    QFrame *m_listCover;
    QProgressBar *m_listProgress;
    QLabel *m_listCoverLabel;
    TeacherPanel *m_passwordPanel; // Picture7
};

} // namespace kemoro
