#pragma once

#include "print/printdesk.h"

#include <QWidget>

class QCheckBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kemoro {

struct AppContext;

namespace print {

// FormPrint0 ("Form1", "印刷設定"): a teacher picks levels, a blanking option
// and the order, and every change rebuilds the question table at once; "印刷へ"
// opens the preview of the table, "百問計算" the hundred-problem sheet.
class PrintSelection : public QWidget
{
    Q_OBJECT
public:
    explicit PrintSelection(AppContext &context, QWidget *parent = nullptr);
    ~PrintSelection() override;

    // Form_Load: levels "1".."8", the first selected, then a rebuild. A
    // missing question file is named in a message; the table stays empty.
    void load();
    // RebuildWorksheet from the screen's controls.
    void rebuild();
    // "印刷へ" (document 2) and "百問計算" (document 6): the document to
    // preview, then the request to show the preview of the desk.
    void openPreview(int docType);

    PrintDesk &desk() { return m_desk; }
    WorksheetChoice choice() const;

signals:
    // The preview of desk() is wanted: opened once over this screen, then
    // brought to the front and redrawn.
    void previewRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppContext &m_context;
    PrintDesk m_desk;

    QListWidget *m_levels;
    QList<QRadioButton *> m_options;
    QCheckBox *m_shuffle;
    bool m_levelsChangedSincePress = false;
};

} // namespace print
} // namespace kemoro
