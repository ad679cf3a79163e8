#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>

#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace kemoro {

struct AppContext;
namespace ui {
class ClickLabel;
}

// namesel: the home screen. The pupil picks a name from the list of the
// roster (with today's and all-time counts or points), optionally narrowed to
// one grade, and confirms it; or leaves to the launcher of the product family.
class NameSelectionScreen : public QWidget
{
    Q_OBJECT
public:
    explicit NameSelectionScreen(AppContext &context, QWidget *parent = nullptr);

    // Form_Activate: runs each time the screen becomes active through one of
    // our own screens (start-up, the hub, the version dialog). The first
    // activation, and the first after a confirmed name, loads the screen
    // first, so every return rebuilds the lists from the current results.
    void activate();

    // 名簿表示: rebuilds the lists from a fresh aggregation and the roster,
    // for the ranking kind and the grade box text. Returns false when the
    // program ends because the results or the roster cannot be read.
    bool listNames();

    int rankingKind() const { return m_kind; }

signals:
    // A click on the title: the version dialog over this screen.
    void versionDialogRequested();
    // "O.K." with a name chosen: the session holds the pupil now.
    void pupilConfirmed();
    // "ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)": to the launcher of the product family.
    void leaveRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A close by the window manager leaves to the launcher, as Command7 does.
    void closeEvent(QCloseEvent *event) override;

private:
    bool load();
    void fillGradeBox();
    void rowChosen(int row);
    void rowDoubleClicked(QListWidgetItem *item);
    void rankingChosen(int kind);
    void gradeChosen();
    void confirm();
    void leave();
    void playWrongAnswerCue();

    AppContext &m_context;
    ui::ClickLabel *m_title;
    QListWidget *m_list; // List1
    QComboBox *m_grades;
    std::array<QRadioButton *, 4> m_rankings{};
    QLabel *m_chosen;   // Label1
    QLabel *m_chosenNo; // Label2, hidden
    QPushButton *m_ok;
    QPushButton *m_leave;
    QFrame *m_cover;     // Picture5
    QLabel *m_coverText; // Label19

    // The pupil of List1 line i + 1, kept beside the lines instead of in a
    // hidden list of lines ending in "*" and the number.
    QList<qint16> m_pupils;
    int m_kind = 0;
    // What the lists show, so an activation that changes nothing rebuilds nothing.
    int m_shownKind = -1;
    QString m_shownFilter;
    // The roster is read again for every list: each of its warnings shows once.
    QSet<QString> m_warned;
    bool m_loaded = false;
    bool m_confirmed = false;
    bool m_listing = false;
};

} // namespace kemoro
