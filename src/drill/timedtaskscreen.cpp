#include "drill/timedtaskscreen.h"

#include "drill/questions.h"
#include "platform/widgets.h"
#include "state/context.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace kemoro {

TimedTaskScreen::TimedTaskScreen(AppContext &context, QWidget *parent)
    : DrillForm(context, u"MainFrm2"_s, parent)
{
    QWidget *area = workArea();
    ui::setBackground(area, ui::storedColour(8454016)); // RGB 80FF80
    m_done = ui::named(new QPushButton(u"Command1"_s, area), u"Command1"_s);
    ui::placeTw(m_done, 2475, 990, 1050, 420);
    connect(m_done, &QPushButton::clicked, this, &TimedTaskScreen::finishByPupil);
    auto *confirm = ui::named(new QPushButton(u"確認"_s, area), u"Commandkakunin"_s);
    confirm->hide();
}

// 問題作成表示: the kind is chosen as on the question drill (it draws the
// same random number on level 3), but nothing is shown.
void TimedTaskScreen::makeQuestion()
{
    if (drillClosed()) return;
    questionKindFor(m_context.session.curLevel, *m_context.services.random);
}

} // namespace kemoro
