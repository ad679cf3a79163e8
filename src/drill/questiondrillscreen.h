#pragma once

#include "drill/drillform.h"

class QLabel;
class QPushButton;

namespace kemoro {

namespace ui {
class ClickLabel;
}

// MainFrm: the question drill of the reverse multiplication table, for odd
// levels 1..19. A product, two keypads of the digits 1..9 and "判定".
class QuestionDrillScreen final : public DrillForm
{
    Q_OBJECT
public:
    explicit QuestionDrillScreen(AppContext &context, QWidget *parent = nullptr);

protected:
    void makeQuestion() override;
    void showJudgement(Judgement judgement) override;

private:
    void pick(int keypad, int digit);
    void judgeClicked();

    QLabel *m_product;                            // Label5
    QLabel *m_first;                              // Label3
    QLabel *m_second;                             // Label4
    std::array<ui::ClickLabel *, 10> m_keypad1{}; // Label1(1..9)
    std::array<ui::ClickLabel *, 10> m_keypad2{}; // Label2(1..9)
    QPushButton *m_judge;                         // Command1
    QLabel *m_judgement;                          // "○" or "×" over the question, without sound
};

} // namespace kemoro
