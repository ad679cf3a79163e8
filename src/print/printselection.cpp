#include "print/printselection.h"

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/widgets.h"
#include "state/context.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kemoro::print {

namespace {
constexpr int widthTw = 9240, heightTw = 5820;
} // namespace

PrintSelection::PrintSelection(AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context)
{
    setObjectName(u"FormPrint0"_s);
    setWindowTitle(u"Form1"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(ui::px(widthTw), ui::px(heightTw));

    auto *title = ui::named(new QLabel(u"印刷設定"_s, this), u"Label1"_s);
    title->setFont(ui::pGothicFont(18));
    ui::placeTw(title, 120, 120, 5000, 600);
    auto *back = ui::named(new QPushButton(u"もどる"_s, this), u"Command2"_s);
    ui::placeTw(back, 7560, 120, 1500, 480);
    connect(back, &QPushButton::clicked, this, &QWidget::close);

    auto *left = ui::named(new QFrame(this), u"Picture2"_s);
    left->setFrameShape(QFrame::Box);
    ui::placeTw(left, 120, 840, 4200, 4800);
    auto *chooseLevels = ui::named(new QLabel(u"レベルを選んでください"_s, left), u"Label2"_s);
    ui::placeTw(chooseLevels, 120, 120, 3960, 360);
    m_levels = ui::named(new QListWidget(left), u"List1"_s);
    m_levels->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui::placeTw(m_levels, 120, 540, 1800, 2760);
    auto *hint =
        ui::named(new QLabel(u"Shiftを押しながら選ぶと複数選択できます(そのうち15問が印刷されます)"_s, left),
                  u"Label3"_s);
    hint->setWordWrap(true);
    ui::placeTw(hint, 120, 3420, 3960, 1200);
    // Every change of the chosen levels rebuilds, however it was made: a
    // click, the arrow keys, a drag, Ctrl or Shift. A click that changes
    // nothing (on the level already chosen) rebuilds as well, in a new order.
    connect(m_levels, &QListWidget::itemSelectionChanged, this, [this] {
        m_levelsChangedSincePress = true;
        rebuild();
    });
    m_levels->viewport()->installEventFilter(this);
    connect(m_levels, &QListWidget::itemClicked, this, [this] {
        if (!m_levelsChangedSincePress) rebuild();
    });

    auto *right = ui::named(new QFrame(this), u"Picture1"_s);
    right->setFrameShape(QFrame::Box);
    ui::placeTw(right, 4440, 840, 4680, 3120);
    auto *group = new QButtonGroup(this);
    const QString captions[] = {u"すべて印刷"_s, u"問題一カ所"_s, u"問題二カ所"_s,
                                u"ことわざ部分を一つ消す"_s, u"ことわざ部分を二つ消す"_s};
    for (int i = 1; i <= 5; ++i) {
        auto *option = ui::named(new QRadioButton(captions[i - 1], right), u"Option1"_s, i);
        ui::placeTw(option, 240, 120 + (i - 1) * 580, 4200, 480);
        group->addButton(option, i);
        // A click on the option already chosen rebuilds as well: new order, new blanks.
        connect(option, &QRadioButton::clicked, this, &PrintSelection::rebuild);
        m_options.append(option);
    }
    m_options.first()->setChecked(true);

    m_shuffle = ui::named(new QCheckBox(u"順序を変える"_s, this), u"Check1"_s);
    m_shuffle->setChecked(true);
    ui::placeTw(m_shuffle, 4440, 4080, 1800, 480);
    connect(m_shuffle, &QCheckBox::clicked, this, &PrintSelection::rebuild);
    auto *again = ui::named(new QPushButton(u"再並べ替え"_s, this), u"Command3"_s);
    ui::placeTw(again, 6300, 4080, 1380, 480);
    connect(again, &QPushButton::clicked, this, &PrintSelection::rebuild);
    auto *toPrint = ui::named(new QPushButton(u"印刷へ"_s, this), u"Command1"_s);
    ui::placeTw(toPrint, 7740, 4080, 1380, 480);
    connect(toPrint, &QPushButton::clicked, this, [this] { openPreview(PrintJob::QuestionTable); });
    auto *hundred = ui::named(new QPushButton(u"百問計算"_s, this), u"Command4"_s);
    ui::placeTw(hundred, 7740, 4680, 1380, 480);
    connect(hundred, &QPushButton::clicked, this, [this] { openPreview(PrintJob::HundredSheet); });
}

PrintSelection::~PrintSelection() = default;

bool PrintSelection::eventFilter(QObject *watched, QEvent *event)
{
    // Seen before the list handles the press, so a change the press makes counts.
    if (watched == m_levels->viewport() && event->type() == QEvent::MouseButtonPress)
        m_levelsChangedSincePress = false;
    return QWidget::eventFilter(watched, event);
}

void PrintSelection::load()
{
    {
        // Filled quietly: the table is built once below, after the file is checked.
        const QSignalBlocker quiet(m_levels);
        m_levels->clear();
        for (int i = 1; i <= worksheetLevels; ++i)
            m_levels->addItem(QString::number(i));
        m_levels->setCurrentRow(0);
    }
    const QuestionFile file = readQuestionFile(m_context.session.folders.worksheetFile());
    // A missing file, or one read with bad bytes or as UTF-8, is said once on opening.
    const auto shown =
        std::find_if(file.diagnostics.cbegin(), file.diagnostics.cend(),
                     [](const Diagnostic &d) { return d.severity != Diagnostic::Severity::Check; });
    if (m_context.services.messages && shown != file.diagnostics.cend())
        m_context.services.messages->inform(this, u"印刷設定"_s, shown->toMessage());
    rebuild();
}

WorksheetChoice PrintSelection::choice() const
{
    WorksheetChoice c;
    for (int i = 0; i < m_levels->count() && i < worksheetLevels; ++i)
        c.levels[size_t(i)] = m_levels->item(i)->isSelected();
    c.shuffle = m_shuffle->isChecked();
    for (int i = 0; i < m_options.size(); ++i)
        if (m_options[i]->isChecked()) c.option = i + 1;
    return c;
}

void PrintSelection::rebuild()
{
    // The file is read afresh every time, so an edit shows at the next change.
    const QuestionFile file = readQuestionFile(m_context.session.folders.worksheetFile());
    SystemRandom fallback(1);
    RandomSource &random = m_context.services.random ? *m_context.services.random : fallback;
    rebuildWorksheet(m_desk.sheet, file.questions, choice(), random);
    setWorksheetJob(m_desk.job);
}

void PrintSelection::openPreview(int docType)
{
    m_desk.job.docType = docType;
    emit previewRequested();
}

} // namespace kemoro::print
