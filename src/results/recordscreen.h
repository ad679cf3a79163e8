#pragma once

#include "results/recordlines.h"
#include "results/resultstore.h"

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QScrollBar;
class QStringListModel;

namespace kemoro {

struct AppContext;

// FrmData: the teacher's list of every stored result, with the means to
// correct the time or the pupil of one record or to delete it. Every change
// goes through the result file's journalled rewrite, never around the lock.
class RecordScreen : public QWidget
{
    Q_OBJECT
public:
    explicit RecordScreen(AppContext &context, QWidget *parent = nullptr);
    ~RecordScreen() override;

    // Form_Load: the list.
    void activate();

    // Command1: reads the roster and the whole result file anew.
    void rebuild();
    // List1_DblClick on the line at `row`.
    void openLine(int row);
    // "変更して記録".
    void correct();
    // "消去", after asking.
    void remove();
    // "戻る".
    void goBack();

    QStringList lines() const;
    int selectedRow() const;

signals:
    // "戻る": the teacher is done; a fresh hub takes over.
    void back();

protected:
    // A close by the window manager is "戻る", taken when that could be pressed.
    void closeEvent(QCloseEvent *event) override;

private:
    void selectRow(int row);
    void hideEditPanel();
    void pupilPicked();
    // Runs a rewrite with the buttons disabled; true when it was written.
    bool write(const RecordEdit &edit);
    void setBusy(bool busy);

    AppContext &m_context;
    QListView *m_list;
    QStringListModel *m_lines;
    QLabel *m_hint;
    QFrame *m_backPanel;
    QPushButton *m_back;
    QFrame *m_editPanel;
    QLabel *m_number;
    QLabel *m_level, *m_date, *m_grade, *m_seconds;
    QLineEdit *m_time;
    QScrollBar *m_timeScroll;
    QComboBox *m_pupil;
    QPushButton *m_correct, *m_delete;
    QFrame *m_cover;

    RecordPupils m_pupils;
    QStringList m_pupilEntries; // what Combo1 holds
    ResultWindow m_window;
    QList<qint64> m_numbers; // the record number of each line
    qint64 m_chosen = 0;     // 1-based record of the open line
    QByteArray m_chosenBytes;
    bool m_rosterReported = false;
};

} // namespace kemoro
