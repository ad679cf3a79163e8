#include "results/recordscreen.h"

#include "platform/busywait.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "platform/widgets.h"
#include "roster/grades.h"
#include "state/context.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int windowWidthTw = 15360;
constexpr int windowHeightTw = 11520;
const QColor lightYellow(255, 255, 192);
constexpr int scrollMaximum = 6000;
// The edit panel's captions stand left of their fields.
constexpr int captionWidthTw = 1200;

const QString hintText = u"ダブルクリックすると変更、消去できます"_s;
} // namespace

RecordScreen::RecordScreen(AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setObjectName(u"FrmData"_s);
    setWindowTitle(u"ケモロ"_s);
    setFixedSize(ui::px(windowWidthTw), ui::px(windowHeightTw));

    m_hint = ui::named(new QLabel(hintText, this), u"Label5"_s);
    m_hint->setFont(ui::gothicFont(12));
    ui::placeTw(m_hint, 240, 120, 10200, 420);

    m_list = ui::named(new QListView(this), u"List1"_s);
    m_lines = new QStringListModel(m_list);
    m_list->setModel(m_lines);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setFont(ui::gothicFont(18));
    ui::setBackground(m_list, lightYellow);
    // A line in 18-point gothic is about 980 pixels wide: the list takes the
    // window's whole width, and the edit panel lies over its right part only
    // while a record is open.
    ui::placeTw(m_list, 60, 600, windowWidthTw - 120, 9240);
    m_list->hide();
    connect(m_list, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { openLine(index.row()); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &RecordScreen::hideEditPanel);

    m_backPanel = ui::named(new QFrame(this), u"Picture10"_s);
    ui::placeTw(m_backPanel, 10680, 9960, 4440, 1200);
    m_back = ui::named(new QPushButton(u"戻る"_s, m_backPanel), u"Command4"_s);
    ui::placeTw(m_back, 120, 120, 4200, 960);
    connect(m_back, &QPushButton::clicked, this, &RecordScreen::goBack);

    m_editPanel = ui::named(new QFrame(this), u"Picture3"_s);
    m_editPanel->setFrameShape(QFrame::Box);
    m_editPanel->setAutoFillBackground(true);
    m_editPanel->setFont(ui::gothicFont(12));
    ui::placeTw(m_editPanel, 10680, 600, 4440, 9000);
    m_number = ui::named(new QLabel(m_editPanel), u"Label1"_s);
    ui::placeTw(m_number, captionWidthTw + 240, 120, 4080 - captionWidthTw, 420);
    m_level = ui::named(new QLabel(m_editPanel), u"Label2"_s, 1);
    ui::placeTw(m_level, captionWidthTw + 240, 600, 4080 - captionWidthTw, 420);
    m_date = ui::named(new QLabel(m_editPanel), u"Label2"_s, 2);
    ui::placeTw(m_date, captionWidthTw + 240, 1080, 4080 - captionWidthTw, 420);
    m_time = ui::named(new QLineEdit(m_editPanel), u"Text1"_s, 1);
    ui::placeTw(m_time, captionWidthTw + 240, 1800, 1320, 480);
    m_seconds = ui::named(new QLabel(u"秒"_s, m_editPanel), u"Label2"_s, 0);
    ui::placeTw(m_seconds, captionWidthTw + 1680, 1800, 480, 480);
    m_timeScroll = ui::named(new QScrollBar(Qt::Vertical, m_editPanel), u"VScroll1"_s);
    m_timeScroll->setRange(0, scrollMaximum);
    ui::placeTw(m_timeScroll, 3480, 1560, 480, 2160);
    connect(m_timeScroll, &QScrollBar::valueChanged, this,
            [this](int value) { m_time->setText(QString::number(value)); });
    // The pupil box takes the panel's width, so that a long name shows whole;
    // its caption stands above it.
    m_pupil = ui::named(new QComboBox(m_editPanel), u"Combo1"_s);
    m_pupil->setEditable(true);
    m_pupil->setInsertPolicy(QComboBox::NoInsert);
    ui::placeTw(m_pupil, 120, 4440, 4200, 480);
    connect(m_pupil, &QComboBox::activated, this, &RecordScreen::pupilPicked);
    m_grade = ui::named(new QLabel(m_editPanel), u"Label2"_s, 4);
    ui::placeTw(m_grade, captionWidthTw + 240, 5040, 4080 - captionWidthTw, 420);
    const struct
    {
        QWidget *field;
        QString caption;
        int top;
    } captions[] = {{m_number, u"記録番号"_s, 120}, {m_level, u"レベル"_s, 600}, {m_date, u"日付"_s, 1080},
                    {m_time, u"タイム"_s, 1800},    {m_pupil, u"生徒"_s, 3960},  {m_grade, u"学年"_s, 5040}};
    for (const auto &c : captions) {
        auto *caption = ui::named(new QLabel(c.caption, m_editPanel), c.field->objectName() + u"Caption"_s);
        caption->setBuddy(c.field);
        ui::placeTw(caption, 120, c.top, captionWidthTw, c.field == m_time ? 480 : 420);
    }
    m_correct = ui::named(new QPushButton(u"変更して記録"_s, m_editPanel), u"Command2"_s);
    ui::placeTw(m_correct, 120, 5880, 4200, 840);
    m_correct->setEnabled(false);
    connect(m_correct, &QPushButton::clicked, this, &RecordScreen::correct);
    m_delete = ui::named(new QPushButton(u"消去"_s, m_editPanel), u"Command3"_s);
    ui::placeTw(m_delete, 120, 6960, 4200, 840);
    m_delete->setEnabled(false);
    connect(m_delete, &QPushButton::clicked, this, &RecordScreen::remove);
    m_editPanel->hide();

    m_cover = ui::named(new QFrame(this), u"Picture1"_s);
    ui::placeTw(m_cover, 0, 0, windowWidthTw, windowHeightTw);
    m_cover->setAutoFillBackground(true);
    m_cover->hide();
}

RecordScreen::~RecordScreen() = default;

void RecordScreen::activate()
{
    m_list->show();
    rebuild();
}

void RecordScreen::rebuild()
{
    const Session &s = m_context.session;
    Diagnostics diagnostics;
    m_pupils = loadRecordPupils(s.folders.rosterFile(),
                                schoolYear(m_context.services.clock->today(), s.settings.yearStartMonth),
                                diagnostics);
    if (!m_rosterReported)
        for (const Diagnostic &d : std::as_const(diagnostics))
            if (d.severity != Diagnostic::Severity::Check) m_context.services.reporter->report(d, this);
    m_rosterReported = m_rosterReported || !diagnostics.isEmpty();

    const std::optional<ResultFileError> failed =
        m_context.results().read(-1, ui::waitForOtherComputer(m_hint, m_context.services.timers), m_window);
    m_hint->setText(hintText);
    if (failed) {
        m_context.services.reporter->report(failed->toDiagnostic(), this);
        m_window = ResultWindow();
    }
    RecordLineContext c;
    c.pupils = &m_pupils;
    c.schoolCode = s.settings.schoolCode;
    c.schoolName = s.settings.schoolName;
    RecordLines built = buildRecordLines(m_window, c);
    m_numbers = std::move(built.numbers);
    m_lines->setStringList(built.lines);
}

QStringList RecordScreen::lines() const
{
    return m_lines->stringList();
}

int RecordScreen::selectedRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() && m_list->selectionModel()->isSelected(current) ? current.row() : -1;
}

void RecordScreen::selectRow(int row)
{
    if (row < 0) {
        m_list->selectionModel()->clear();
        m_list->setCurrentIndex(QModelIndex());
    } else {
        m_list->setCurrentIndex(m_lines->index(row));
    }
    hideEditPanel();
}

void RecordScreen::hideEditPanel()
{
    m_editPanel->hide();
}

void RecordScreen::openLine(int row)
{
    if (row < 0 || row >= m_numbers.size()) return;
    m_chosen = m_numbers.at(row);
    const qint64 at = m_chosen - 1 - m_window.firstRecord;
    if (at < 0 || at >= m_window.count()) return;
    m_chosenBytes = QByteArray(m_window.recordData(at), record::size);
    const ResultRecord rec = decodeRecord(m_chosenBytes.constData());
    m_number->setText(QString::number(m_chosen));
    m_correct->setEnabled(true);
    m_delete->setEnabled(true);
    m_level->setText(u"ﾚﾍﾞﾙ"_s + QString::number(rec.level));
    m_date->setText(recordDateText(rec.date));
    m_grade->setText(trimBlanks(m_pupils.gradeLabel(rec.pupil)));
    {
        // A time-out (99999) lies past the adjuster's range: it stands at its
        // end while the box keeps the stored time.
        const QSignalBlocker block(m_timeScroll);
        m_timeScroll->setValue(std::clamp<qint32>(rec.resultTime, 0, scrollMaximum));
    }
    m_time->setText(QString::number(rec.resultTime));
    // The box is filled when a record is first opened, not with every list:
    // 5000 entries would hold up the list the teacher waits for.
    if (m_pupil->count() != m_pupils.entries.size() || m_pupilEntries != m_pupils.entries) {
        const QSignalBlocker block(m_pupil);
        m_pupil->clear();
        m_pupil->addItems(m_pupils.entries);
        m_pupilEntries = m_pupils.entries;
    }
    m_pupil->setEditText(pupilEntry(rec.pupil, m_pupils.name(rec.pupil)));
    for (QWidget *w : std::initializer_list<QWidget *>{m_number, m_level, m_date, m_grade, m_seconds, m_pupil,
                                                       m_time, m_timeScroll})
        w->show();
    m_editPanel->show();
    m_editPanel->raise();
}

void RecordScreen::pupilPicked()
{
    const QString text = m_pupil->currentText();
    const qsizetype slash = text.indexOf(u'/');
    const double n = val(QStringView(text).left(slash < 0 ? text.size() : slash));
    m_grade->setText(n >= 0 && n <= 5000 ? trimBlanks(m_pupils.gradeLabel(int(n))) : QString());
}

void RecordScreen::setBusy(bool busy)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_correct, m_delete, m_back, m_list})
        w->setEnabled(!busy);
}

bool RecordScreen::write(const RecordEdit &edit)
{
    setBusy(true);
    RewriteOutcome outcome = RewriteOutcome::Changed;
    const std::optional<ResultFileError> failed = m_context.results().rewrite(
        edit, ui::waitForOtherComputer(m_hint, m_context.services.timers), outcome);
    m_hint->setText(hintText);
    setBusy(false);
    if (failed) {
        m_context.services.reporter->report(
            failed->toDiagnostic(u"記録を書き換えられません (the record file cannot be rewritten): "_s),
            this);
    } else if (outcome == RewriteOutcome::Changed) {
        m_context.services.messages->inform(
            this, messageTitle(m_context.session),
            u"この記録は他のコンピュータで変更されました。何も書き込まずに一覧を作り直します。"_s);
    } else if (outcome == RewriteOutcome::ForeignJournal) {
        m_context.services.messages->inform(
            this, messageTitle(m_context.session),
            m_context.results().journalPath() +
                u" があるため記録を変更できません。中の記録を確かめてから、このファイルを移してください。"_s);
    }
    return !failed && outcome == RewriteOutcome::Done;
}

void RecordScreen::correct()
{
    if (!m_correct->isEnabled() || m_chosenBytes.isEmpty()) return;
    const std::optional<qint32> time = readResultTimeBox(m_time->text());
    if (!time) {
        m_context.services.messages->inform(this, messageTitle(m_context.session),
                                            u"秒の欄（Text1）には 0 から 99999 までの数を入れて下さい"_s);
        return;
    }
    const std::optional<qint16> pupil = readPupilBox(m_pupil->currentText());
    if (!pupil) {
        m_context.services.messages->inform(
            this, messageTitle(m_context.session),
            u"生徒の欄（Combo1）は「番号 /  名前」の形で、番号は 0 から 5000 までにして下さい"_s);
        return;
    }
    ResultRecord rec = decodeRecord(m_chosenBytes.constData());
    rec.resultTime = *time;
    rec.pupil = *pupil;
    RecordEdit edit;
    edit.kind = RecordEdit::Kind::Replace;
    edit.record = m_chosen - 1;
    edit.expected = m_chosenBytes.toStdString();
    edit.replacement = encodeRecord(rec).toStdString();
    const bool written = write(edit);
    rebuild();
    selectRow(written ? int(m_numbers.indexOf(m_chosen)) : -1);
}

void RecordScreen::remove()
{
    if (!m_delete->isEnabled() || m_chosenBytes.isEmpty()) return;
    if (m_context.services.messages->show(this, u"注意"_s, u"本当に消去しますか"_s,
                                          Messages::Buttons::OkCancel) != Messages::Answer::Ok)
        return;
    RecordEdit edit;
    edit.kind = RecordEdit::Kind::Delete;
    edit.record = m_chosen - 1;
    edit.expected = m_chosenBytes.toStdString();
    const bool written = write(edit);
    rebuild();
    if (!written) {
        selectRow(-1);
        return;
    }
    // The line that now carries the deleted record's number is the record
    // that followed it.
    const qsizetype next = m_numbers.indexOf(m_chosen);
    selectRow(next >= 0 ? int(next) : int(m_numbers.size()) - 1);
}

void RecordScreen::closeEvent(QCloseEvent *event)
{
    ui::closeByOwnWay(this, event, [this] { goBack(); });
}

void RecordScreen::goBack()
{
    if (!m_back->isEnabled()) return;
    m_cover->show();
    m_cover->raise();
    emit back();
}

} // namespace kemoro
