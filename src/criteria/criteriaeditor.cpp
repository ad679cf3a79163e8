#include "criteria/criteriaeditor.h"

#include "criteria/distribution.h"
#include "platform/busywait.h"
#include "platform/messages.h"
#include "platform/widgets.h"
#include "results/resultstore.h"
#include "state/context.h"

#include <QFrame>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QValidator>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int windowWidthTw = 15360;
constexpr int windowHeightTw = 11520;
constexpr int gridColumns = 13;
constexpr int gridWidthTw = 9600;
const QColor changedColour = ui::storedColour(65535); // yellow
const QColor headerColour(224, 224, 224);

// The criteria file is comma separated and cannot quote: a comma, a double
// quote or a line break in a cell would shift every later field.
class CellValidator final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (QChar c : std::as_const(input))
            if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') return Invalid;
        return Acceptable;
    }
};

// Shows its first row on several lines, where `lines` breaks it; the text
// itself, which the file keeps, stays as it is.
class FirstRowOnLines final : public QStyledItemDelegate
{
public:
    FirstRowOnLines(QStringList (*lines)(const QString &), QObject *parent)
        : QStyledItemDelegate(parent), m_lines(lines)
    {
    }
    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        return m_lines(QStyledItemDelegate::displayText(value, locale)).join(QChar::LineSeparator);
    }

private:
    QStringList (*m_lines)(const QString &);
};

bool isNavigationKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right ||
           key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

QStringList criteriaColumnHelp(int column)
{
    QStringList lines{criteriaColumnTitle(column)};
    switch (column) {
    case 1:
        lines << u"　大部分の人ががんばったら出せそうなタイムにしてください"_s;
        break;
    case 2:
        lines << u"  この５倍が時間切れになります"_s;
        break;
    case 3:
        lines << u"　　 目標ポイント"_s;
        break;
    case 4:
        lines << u"　　 目標回数"_s;
        break;
    case 5:
        lines << u"  ポイントを何倍にして加算するか"_s
              << u"  むずかしいレベルや生徒のいやがるレベルは高くしてください"_s;
        break;
    case 6:
        lines << u"  何回やったらやりすぎ禁止にするか"_s << u"  "_s;
        break;
    case 7:
        lines << u"  何ポイントとったらやりすぎ禁止にするか"_s << u" "_s;
        break;
    case 8:
    case 9:
        lines << u"　何日前からのポイントを有効にするか"_s;
        break;
    default:
        return {};
    }
    return lines;
}

QStringList criteriaTitleLines(const QString &title)
{
    // Where the titles break between their words; the grid's columns are
    // too narrow for most of them on one line.
    static const QHash<QString, QStringList> broken = {{u"目標Time"_s, {u"目標"_s, u"Time"_s}},
                                                       {u"最低Time"_s, {u"最低"_s, u"Time"_s}},
                                                       {u"ｸﾘｱﾎﾟｲﾝﾄ"_s, {u"ｸﾘｱ"_s, u"ﾎﾟｲﾝﾄ"_s}},
                                                       {u"ｸﾘｱ回数"_s, {u"ｸﾘｱ"_s, u"回数"_s}},
                                                       {u"ﾎﾟｲﾝﾄ倍率"_s, {u"ﾎﾟｲﾝﾄ"_s, u"倍率"_s}}};
    return broken.value(title, {title});
}

QStringList distributionHeaderLines(const QString &header)
{
    // The star unit goes onto a line of its own, so that a narrow list still
    // shows it.
    const qsizetype unit = header.indexOf(u"（★="_s);
    if (unit <= 0) return {header};
    return {header.left(unit), header.mid(unit)};
}

CriteriaEditor::CriteriaEditor(AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setObjectName(u"FrmTimeData"_s);
    setWindowTitle(u"ケモロ"_s);
    setFixedSize(ui::px(windowWidthTw), ui::px(windowHeightTw));

    m_panel = ui::named(new QFrame(this), u"Picture1"_s);
    ui::placeTw(m_panel, 0, 0, windowWidthTw, windowHeightTw);
    m_panel->hide();

    auto *heading = ui::named(new QLabel(u"成績の基準となるデータを変更できます"_s, m_panel), u"Label5"_s);
    heading->setFont(ui::gothicFont(16));
    ui::placeTw(heading, 240, 120, 9600, 480);
    auto *keys =
        ui::named(new QLabel(u"スペース：セルクリア　　Shift + ↓：セルコピー"_s, m_panel), u"Label1"_s);
    ui::placeTw(keys, 240, 660, 9600, 300);
    m_notice = ui::named(new QLabel(m_panel), u"Label4"_s);
    ui::placeTw(m_notice, 240, 960, 9600, 300);

    m_grid = ui::named(new QTableWidget(m_panel), u"MSFlexGrid1"_s);
    m_grid->setColumnCount(gridColumns);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setFocusPolicy(Qt::NoFocus);
    m_grid->verticalHeader()->setDefaultSectionSize(ui::px(270));
    m_grid->setFont(ui::pGothicFont(10));
    m_grid->setItemDelegateForRow(0, new FirstRowOnLines(criteriaTitleLines, m_grid));
    ui::placeTw(m_grid, 240, 1320, gridWidthTw, 33 * 270 + 60);
    connect(m_grid, &QTableWidget::cellClicked, this, &CriteriaEditor::clickCell);

    m_editor = ui::named(new QLineEdit(m_grid->viewport()), u"Gridinputtext"_s);
    m_editor->setValidator(new CellValidator(m_editor));
    m_editor->setFrame(false);
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textChanged, this, &CriteriaEditor::textToGrid);

    auto *helpTitle = ui::named(new QLabel(u"列の説明"_s, m_panel), u"Label6"_s);
    ui::placeTw(helpTitle, 10080, 120, 5040, 300);
    m_help = ui::named(new QLabel(m_panel), u"Label3"_s);
    m_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_help->setWordWrap(true);
    ui::placeTw(m_help, 10080, 420, 5040, 1200);

    m_save = ui::named(new QPushButton(u"更新記録"_s, m_panel), u"Command3"_s);
    ui::placeTw(m_save, 10080, 10320, 1560, 720);
    m_revert = ui::named(new QPushButton(u"元に戻す"_s, m_panel), u"Command2"_s);
    ui::placeTw(m_revert, 11760, 10320, 1560, 720);
    m_back = ui::named(new QPushButton(u"戻る"_s, m_panel), u"Command4"_s);
    ui::placeTw(m_back, 13440, 10320, 1560, 720);
    connect(m_save, &QPushButton::clicked, this, [this] { save(); });
    connect(m_revert, &QPushButton::clicked, this, &CriteriaEditor::reload);
    connect(m_back, &QPushButton::clicked, this, &CriteriaEditor::goBack);

    m_distributionPanel = ui::named(new QFrame(m_panel), u"Picture3"_s);
    ui::placeTw(m_distributionPanel, 10080, 1680, 5040, 8520);
    m_distributionTitle =
        ui::named(new QLabel(u"現在までの成績度数分布"_s, m_distributionPanel), u"Label7"_s);
    ui::placeTw(m_distributionTitle, 0, 0, 5040, 300);
    auto *allTitle = ui::named(new QLabel(u"全成績"_s, m_distributionPanel), u"Label9"_s);
    ui::placeTw(allTitle, 0, 600, 2460, 300);
    auto *bestTitle = ui::named(new QLabel(u"最高タイム"_s, m_distributionPanel), u"Label10"_s);
    ui::placeTw(bestTitle, 2580, 600, 2460, 300);
    auto makeList = [this](const QString &name, int left, QStringListModel *&model) {
        auto *list = ui::named(new QListView(m_distributionPanel), name);
        model = new QStringListModel(list);
        list->setModel(model);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // The header, on two lines, is taller than the bars.
        list->setUniformItemSizes(false);
        list->setFont(ui::gothicFont(9));
        list->setItemDelegateForRow(0, new FirstRowOnLines(distributionHeaderLines, list));
        ui::placeTw(list, left, 900, 2460, 7560);
        return list;
    };
    m_allList = makeList(u"List3"_s, 0, m_allLines);
    m_bestList = makeList(u"List4"_s, 2580, m_bestLines);
    const QStringList optionCaptions = {u"度数表示"_s, u"度数非表示"_s};
    for (int k = 0; k < 2; ++k) {
        auto *option =
            ui::named(new QRadioButton(optionCaptions.at(k), m_distributionPanel), u"Option1"_s, k);
        ui::placeTw(option, k * 2520, 300, 2400, 300);
        // "度数非表示" was never given a behaviour of its own: both show the panel.
        connect(option, &QRadioButton::clicked, this, [this] {
            m_distributionPanel->show();
            rebuildDistribution();
        });
        m_options.append(option);
    }
    m_options[0]->setChecked(true);

    m_wait = ui::named(new QFrame(this), u"Picture6"_s);
    m_wait->setAutoFillBackground(true);
    ui::placeTw(m_wait, 0, 0, windowWidthTw, windowHeightTw);
    auto *waitText = ui::named(new QLabel(u"Just a moment,please."_s, m_wait), u"Label8"_s);
    waitText->setAlignment(Qt::AlignCenter);
    waitText->setFont(ui::gothicFont(24));
    ui::placeTw(waitText, 1500, 5200, 12000, 900);
    m_wait->hide();
}

CriteriaEditor::~CriteriaEditor() = default;

int CriteriaEditor::levelRows() const
{
    return std::max(0, m_grid->rowCount() - 1);
}

QString CriteriaEditor::cellText(int row, int column) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item ? item->text() : QString();
}

bool CriteriaEditor::cellPainted(int row, int column) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item && item->background().color() == changedColour && item->background().style() != Qt::NoBrush;
}

void CriteriaEditor::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = m_grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_grid->setItem(row, column, item);
    }
    item->setText(text);
}

void CriteriaEditor::activate()
{
    m_notice->clear();
    m_panel->show();
    reload();
    m_row = levelRows() >= 1 ? 1 : 0;
    m_column = 1;
    m_selectionEnd = m_row;
    m_editor->show();
    const int width = ui::px(gridWidthTw) / gridColumns;
    for (int c = 0; c < gridColumns; ++c)
        m_grid->setColumnWidth(c, width);
    m_grid->setColumnWidth(1, int(0.8 * m_grid->columnWidth(2)));
    // The title row is as tall as its titles on their lines.
    m_grid->resizeRowToContents(0);
    placeEditor();
    m_editor->setFocus();
    gridToText();
    rebuildDistribution();
}

void CriteriaEditor::reload()
{
    Diagnostics diagnostics;
    const QString path = m_context.session.folders.criteriaFile();
    const CriteriaGrid grid = readCriteriaGrid(path, diagnostics, &m_keptText);
    for (const Diagnostic &d : std::as_const(diagnostics))
        if (d.severity != Diagnostic::Severity::Check) m_context.services.reporter->report(d, this);
    // Saving a grid that could not be read would overwrite the file with it.
    m_save->setEnabled(!hasFatal(diagnostics));
    m_loading = true;
    m_grid->clearContents();
    m_grid->setRowCount(int(grid.size()));
    for (int r = 0; r < grid.size(); ++r) {
        for (int c = 0; c < gridColumns; ++c) {
            setCell(r, c, c < grid.at(r).size() ? grid.at(r).at(c) : QString());
            if (r == 0 || c == 0) m_grid->item(r, c)->setBackground(headerColour);
        }
    }
    for (int c = 1; c < gridColumns && grid.size() > 0; ++c)
        m_grid->item(0, c)->setToolTip(criteriaColumnTitle(c));
    m_row = std::clamp(m_row, std::min(1, levelRows()), levelRows());
    m_selectionEnd = m_row;
    m_loading = false;
    placeEditor();
    gridToText();
}

bool CriteriaEditor::save()
{
    if (!m_save->isEnabled()) return false;
    m_wait->show();
    m_wait->raise();
    ui::letEventsRun();
    CriteriaGrid grid;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < gridColumns; ++c)
            row.append(cellText(r, c));
        grid.append(row);
    }
    if (!grid.isEmpty()) grid[0][0] = u"レベル"_s;
    const QString path = m_context.session.folders.criteriaFile();
    std::optional<Diagnostic> refused = prepareCriteriaGrid(path, grid);
    Diagnostics reloadDiagnostics;
    if (!refused) {
        // Numbers typed in full-width forms show as they are stored.
        for (int r = 1; r < grid.size(); ++r)
            for (int c = 1; c < gridColumns; ++c)
                if (cellText(r, c) != grid.at(r).at(c)) setCell(r, c, grid.at(r).at(c));
        gridToText();
        refused = saveCriteria(path, grid, m_context.session.criteria, reloadDiagnostics, m_keptText);
    }
    m_wait->hide();
    if (refused) {
        m_context.services.reporter->report(*refused, this);
        return false;
    }
    for (const Diagnostic &d : std::as_const(reloadDiagnostics))
        if (d.severity != Diagnostic::Severity::Check) m_context.services.reporter->report(d, this);
    m_changed = false;
    return true;
}

void CriteriaEditor::goBack()
{
    leave(false);
}

void CriteriaEditor::closeEvent(QCloseEvent *event)
{
    // The wait cover stands while a save or the way back runs.
    ui::closeByOwnWay(this, event, [this] {
        if (!m_wait->isVisible()) leave(true);
    });
}

void CriteriaEditor::leave(bool cancellable)
{
    if (m_changed) {
        const Messages::Answer answer = m_context.services.messages->show(
            this, u"注意"_s, u"データが変更されています。記録しますか？"_s,
            cancellable ? Messages::Buttons::YesNoCancel : Messages::Buttons::YesNo);
        if (answer == Messages::Answer::Cancel) return;
        // A refused save keeps the edits on the screen.
        if (answer == Messages::Answer::Yes && !save()) return;
    }
    m_wait->show();
    m_wait->raise();
    emit back();
}

void CriteriaEditor::clickCell(int row, int column)
{
    if (row < 1 || column < 1) return;
    m_row = row;
    m_column = column;
    m_selectionEnd = row;
    placeEditor();
    rebuildDistribution();
    gridToText();
}

void CriteriaEditor::textToGrid()
{
    if (m_loading || m_row < 1 || m_row > levelRows()) return;
    const QString text = m_editor->text();
    if (cellText(m_row, m_column) != text) {
        m_grid->item(m_row, m_column)->setBackground(changedColour);
        m_changed = true;
    }
    setCell(m_row, m_column, text);
}

void CriteriaEditor::gridToText()
{
    const QSignalBlocker block(m_editor);
    m_editor->setText(m_row >= 1 ? cellText(m_row, m_column) : QString());
    ui::letEventsRun();
    m_editor->setCursorPosition(std::min<int>(10, int(m_editor->text().size())));
}

void CriteriaEditor::placeEditor()
{
    if (m_row >= 1 && m_row <= levelRows()) {
        m_grid->scrollToItem(m_grid->item(m_row, m_column));
        const QRect cell = m_grid->visualItemRect(m_grid->item(m_row, m_column));
        m_editor->setGeometry(cell);
        m_editor->show();
    } else {
        m_editor->hide();
    }
    m_editor->setFocus();
    m_editor->setCursorPosition(std::min<int>(10, int(m_editor->text().size())));
    m_help->setText(criteriaColumnHelp(m_column).join(u'\n'));
}

void CriteriaEditor::moveTo(int row, int column)
{
    m_row = row;
    m_column = column;
    m_selectionEnd = row;
    gridToText();
    placeEditor();
}

void CriteriaEditor::copyDown()
{
    if (m_selectionEnd >= levelRows()) return;
    ++m_selectionEnd;
    const QString text = m_editor->text();
    // The copies count as typing, so that "戻る" asks before they are lost.
    for (int r = m_row; r <= m_selectionEnd; ++r) {
        if (cellText(r, m_column) != text) {
            m_grid->item(r, m_column)->setBackground(changedColour);
            m_changed = true;
        }
        setCell(r, m_column, text);
    }
}

bool CriteriaEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_editor || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape) return true;
    if (key->key() == Qt::Key_Space) {
        m_editor->clear();
        return true;
    }
    if (!isNavigationKey(key->key())) {
        // Typed characters go on to the box; the distribution follows as after any key.
        rebuildDistribution();
        return false;
    }
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
    case Qt::Key_Up:
        if (m_row > 1) moveTo(m_row - 1, m_column);
        break;
    case Qt::Key_Down:
        if (shift)
            copyDown();
        else if (m_row < levelRows())
            moveTo(m_row + 1, m_column);
        break;
    case Qt::Key_Left:
        if (m_column > 1) moveTo(m_row, m_column - 1);
        break;
    case Qt::Key_Right:
        if (m_column < gridColumns - 1) moveTo(m_row, m_column + 1);
        break;
    default:
        break;
    }
    rebuildDistribution();
    gridToText();
    return true;
}

void CriteriaEditor::rebuildDistribution()
{
    ResultWindow window;
    const std::optional<ResultFileError> failed =
        m_context.results().read(-1, ui::waitForOtherComputer(m_notice, m_context.services.timers), window);
    m_notice->clear();
    if (failed) {
        m_context.services.reporter->report(failed->toDiagnostic(), this);
        return;
    }
    const Distribution d = buildDistribution(window, m_row);
    m_allLines->setStringList(d.allResults);
    m_bestLines->setStringList(d.bestTimes);
}

} // namespace kemoro
