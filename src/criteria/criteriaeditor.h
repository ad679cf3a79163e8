#pragma once

#include "criteria/criteria.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QStringListModel;
class QTableWidget;

namespace kemoro {

struct AppContext;

// FrmTimeData: the teacher's editor of the criteria file, one grid row per
// level, with the help of the current column and the distribution of the
// stored times of the current level beside it.
class CriteriaEditor : public QWidget
{
    Q_OBJECT
public:
    explicit CriteriaEditor(AppContext &context, QWidget *parent = nullptr);
    ~CriteriaEditor() override;

    // Form_Activate: the grid from the file, row 1 column 1, the distribution.
    void activate();

    // "元に戻す": the grid from the file again; the changed flag stays.
    void reload();
    // "更新記録": SaveCriteria, which also reloads the criteria table.
    // False when the save was refused or failed.
    bool save();
    // "戻る": asks to save when something changed, then the hub.
    void goBack();
    // MSFlexGrid1_Click on a cell.
    void clickCell(int row, int column);

    int currentRow() const { return m_row; }
    int currentColumn() const { return m_column; }
    int levelRows() const;
    bool changed() const { return m_changed; }
    QString cellText(int row, int column) const;
    bool cellPainted(int row, int column) const;

signals:
    // "戻る", once any save asked for is done: a fresh hub takes over.
    void back();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A close by the window manager is "戻る", whose question may also be
    // cancelled there: the editor stays with its changes.
    void closeEvent(QCloseEvent *event) override;

private:
    // The way back; `cancellable` adds Cancel to the question, which keeps the editor.
    void leave(bool cancellable);
    void textToGrid(); // TextToGrid転送
    void gridToText(); // GridToText転送
    void placeEditor();
    void moveTo(int row, int column);
    void copyDown();
    void rebuildDistribution(); // Command7
    void setCell(int row, int column, const QString &text);

    AppContext &m_context;
    QFrame *m_panel;
    QTableWidget *m_grid;
    QLineEdit *m_editor;
    QLabel *m_help;
    QLabel *m_notice;
    QPushButton *m_save, *m_revert, *m_back;
    QFrame *m_distributionPanel;
    QLabel *m_distributionTitle;
    QListView *m_allList, *m_bestList;
    QStringListModel *m_allLines, *m_bestLines;
    QList<QRadioButton *> m_options;
    QFrame *m_wait;

    QString m_keptText; // the lines of the file the grid cannot show, written back as read
    int m_row = 1;
    int m_column = 1;
    int m_selectionEnd = 1; // the cell copy's last row
    bool m_changed = false;
    bool m_loading = false;
};

// The help of a grid column (Label3), line by line.
QStringList criteriaColumnHelp(int column);
// How the grid shows a column title and the distribution lists their header:
// the lines, which run together give the text.
QStringList criteriaTitleLines(const QString &title);
QStringList distributionHeaderLines(const QString &header);

} // namespace kemoro
