#include "roster/nameselectionscreen.h"

#include "app/context.h"
#include "app/navigator.h"
#include "platform/clicklabel.h"
#include "platform/widgets.h"

#include <QPushButton>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace kemoro {

NameSelectionScreen::NameSelectionScreen(AppContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_title(new ui::ClickLabel(this)), m_leave(new QPushButton(this))
{
    setObjectName(u"namesel"_s);
    setWindowTitle(u"quendle"_s);
    setFixedSize(ui::px(15360), ui::px(11520));
    ui::setBackground(this, ui::storedColour(m_context.session.seasonColour));

    m_title->setObjectName(u"Label4"_s);
    QFont titleFont = ui::gothicFont(48);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setText(m_context.session.programTitle);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setCursor(Qt::PointingHandCursor);
    ui::placeTw(m_title, 480, 240, 14400, 1320);
    connect(m_title, &ui::ClickLabel::clicked, this,
            [this] { m_context.navigator->showVersionDialog(this); });

    m_leave->setObjectName(u"Command7"_s);
    m_leave->setText(u"ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"_s);
    m_leave->setFont(ui::pGothicFont(14));
    ui::placeTw(m_leave, 10800, 10200, 4080, 840);
    connect(m_leave, &QPushButton::clicked, this, &NameSelectionScreen::leave);

    // The screen sees key presses before its controls.
    auto *zero = new QShortcut(QKeySequence(u"0"_s), this);
    connect(zero, &QShortcut::activated, this, [this] {
        if (m_leave->isVisible())
            leave();
    });
}

void NameSelectionScreen::activate()
{
    ui::letEventsRun();
    m_title->setText(m_context.session.programTitle);
}

void NameSelectionScreen::leave()
{
    m_context.navigator->leaveToLauncher();
}

} // namespace kemoro
