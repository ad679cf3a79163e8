#include "drill/questiondrillscreen.h"

#include "drill/questions.h"
#include "platform/clicklabel.h"
#include "platform/widgets.h"
#include "state/context.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

// A keypad: 7 8 9 on the top row, 4 5 6 in the middle, 1 2 3 at the bottom.
QWidget *keypad(QWidget *parent, const QString &frameName, const QString &labelName, int left, int top,
                std::array<ui::ClickLabel *, 10> &keys)
{
    auto *frame = ui::named(new QWidget(parent), frameName);
    ui::setBackground(frame, QColor(255, 255, 255));
    ui::placeTw(frame, left, top, 2850, 2985);
    const int columns[3] = {90, 960, 1830};
    const int rows[3] = {1920, 1005, 90}; // row of 1 2 3, of 4 5 6, of 7 8 9
    QFont font = ui::pGothicFont(32);
    font.setBold(true);
    for (int digit = 1; digit <= 9; ++digit) {
        auto *key = ui::named(new ui::ClickLabel(QString::number(digit), frame), labelName, digit);
        key->setFont(font);
        key->setAlignment(Qt::AlignCenter);
        key->setFrameShape(QFrame::Box);
        key->setCursor(Qt::PointingHandCursor);
        ui::placeTw(key, columns[(digit - 1) % 3], rows[(digit - 1) / 3], 870, 915);
        keys[size_t(digit)] = key;
    }
    return frame;
}

} // namespace

QuestionDrillScreen::QuestionDrillScreen(AppContext &context, QWidget *parent)
    : DrillForm(context, u"MainFrm"_s, parent)
{
    QWidget *area = workArea();
    ui::setBackground(area, QColor(0xE0, 0xF4, 0xF4));
    auto *instruction = ui::named(new QLabel(u"当てはまる数字を押しなさい"_s, area), u"Label8"_s);
    instruction->setFont(ui::pGothicFont(24));
    ui::placeTw(instruction, 3510, 270, 9000, 720);

    m_product = ui::boldLabel(area, u"Label5"_s, u"12"_s, 96, 945, 1125, 4515, 2490, Qt::AlignCenter);
    ui::boldLabel(area, u"Label6"_s, u"="_s, 72, 5355, 1215, 1500, 2400, Qt::AlignCenter);
    m_first = ui::boldLabel(area, u"Label3"_s, QString(), 96, 7065, 1170, 2850, 2490, Qt::AlignCenter);
    ui::boldLabel(area, u"Label7"_s, u"×"_s, 60, 9855, 1440, 1200, 2000, Qt::AlignCenter);
    m_second = ui::boldLabel(area, u"Label4"_s, QString(), 96, 11070, 1170, 2850, 2445, Qt::AlignCenter);

    keypad(area, u"Picture1"_s, u"Label1"_s, 7065, 3690, m_keypad1);
    keypad(area, u"Picture3"_s, u"Label2"_s, 11070, 3645, m_keypad2);
    for (int digit = 1; digit <= 9; ++digit) {
        connect(m_keypad1[size_t(digit)], &ui::ClickLabel::clicked, this, [this, digit] { pick(1, digit); });
        connect(m_keypad2[size_t(digit)], &ui::ClickLabel::clicked, this, [this, digit] { pick(2, digit); });
    }

    m_judge = ui::named(new QPushButton(u"判定"_s, area), u"Command1"_s);
    m_judge->setFont(ui::pGothicFont(48));
    ui::placeTw(m_judge, 7065, 6885, 6855, 1050);
    connect(m_judge, &QPushButton::clicked, this, &QuestionDrillScreen::judgeClicked);

    // Commandkakunin "確認" belongs to the form but is never shown.
    auto *confirm = ui::named(new QPushButton(u"確認"_s, area), u"Commandkakunin"_s);
    confirm->hide();

    // Made last, so it lies over the product and the factors. Clicks go
    // through it; the input is held while it shows anyway.
    m_judgement = ui::boldLabel(area, u"Judgement"_s, QString(), 320, 945, 0, 12975, 6885, Qt::AlignCenter);
    m_judgement->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_judgement->hide();
}

void QuestionDrillScreen::showJudgement(Judgement judgement)
{
    if (judgement == Judgement::None) {
        m_judgement->hide();
        return;
    }
    const bool right = judgement == Judgement::Right;
    m_judgement->setText(right ? u"○"_s : u"×"_s);
    QPalette palette = m_judgement->palette();
    palette.setColor(QPalette::WindowText, right ? QColor(0xE0, 0, 0) : QColor(0, 0, 0xC0));
    m_judgement->setPalette(palette);
    m_judgement->show();
    m_judgement->raise();
}

void QuestionDrillScreen::pick(int keypad, int digit)
{
    if (inputHeld()) return;
    (keypad == 1 ? m_first : m_second)->setText((keypad == 1 ? m_keypad1 : m_keypad2)[size_t(digit)]->text());
    m_judge->setFocus();
}

// 問題作成表示
void QuestionDrillScreen::makeQuestion()
{
    if (drillClosed()) return;
    for (int digit = 1; digit <= 9; ++digit) {
        m_keypad1[size_t(digit)]->show();
        m_keypad2[size_t(digit)]->show();
    }
    m_first->clear();
    m_second->clear();
    RandomSource &random = *m_context.services.random;
    if (questionKindFor(m_context.session.curLevel, random) != QuestionKind::Drawn) return;
    const Question q = drawQuestion(random);
    m_product->setText(productText(q));
    for (int digit = 1; digit <= 9; ++digit) {
        m_keypad1[size_t(digit)]->setVisible(q.firstVisible[size_t(digit)]);
        m_keypad2[size_t(digit)]->setVisible(q.secondVisible[size_t(digit)]);
    }
}

// Command1 "判定": 判定 then, once its cue has ended, 判定後処理.
void QuestionDrillScreen::judgeClicked()
{
    if (inputHeld() || drillClosed()) return;
    judgeAnswer(judge(m_first->text(), m_second->text(), m_product->text()));
}

} // namespace kemoro
