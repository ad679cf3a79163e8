#include "state/splashwindow.h"

#include "platform/clock.h"
#include "platform/timers.h"
#include "platform/widgets.h"
#include "state/context.h"
#include "state/eradate.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
QPixmap splashPicture()
{
    QPixmap picture(640, 480);
    QPainter p(&picture);
    QLinearGradient sky(0, 0, 0, 480);
    sky.setColorAt(0, QColor(0xFF, 0x80, 0x00));
    sky.setColorAt(1, QColor(0xC0, 0xFF, 0xC0));
    p.fillRect(picture.rect(), sky);
    p.setPen(Qt::white);
    QFont title = ui::gothicFont(72);
    title.setBold(true);
    p.setFont(title);
    p.drawText(picture.rect().adjusted(0, 0, 0, -120), Qt::AlignCenter, u"ケモロ"_s);
    p.setFont(ui::gothicFont(28));
    p.drawText(picture.rect().adjusted(0, 200, 0, 0), Qt::AlignCenter, u"7 × 8 ＝ ５６"_s);
    return picture;
}
} // namespace

SplashWindow::SplashWindow(AppContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_picture(new QLabel(this)), m_date(new QLabel(this)),
      m_timer(context.services.timers->create(100, true, this))
{
    setObjectName(u"Firstfrm"_s);
    setWindowTitle(u"ケモロ"_s);
    m_picture->setObjectName(u"Image1"_s);
    m_picture->setPixmap(splashPicture());
    ui::placeTw(m_picture, 450, 720, 9600, 7200);
    m_date->setObjectName(u"Label5"_s);
    m_date->setFont(ui::gothicFont(18));
    m_date->setAlignment(Qt::AlignCenter);
    ui::placeTw(m_date, 450, 8040, 9600, 495);
    auto *wait = ui::named(new QLabel(u"Just a moment, please."_s, this), u"Label1"_s);
    wait->setFont(ui::gothicFont(14));
    wait->setAlignment(Qt::AlignCenter);
    ui::placeTw(wait, 450, 8640, 9600, 420);
    setFixedSize(ui::px(10500), ui::px(9420));

    m_timer->setObjectName(u"Timer1"_s);
    connect(m_timer, &FlowTimer::timeout, this, [this] {
        m_timer->stop();
        emit firstTick();
    });
}

void SplashWindow::startUp()
{
    show();
    ui::letEventsRun();
    m_date->setText(splashDate(m_context.services.clock->today()));
    m_context.session.seasonColour = seasonColour(m_context.services.clock->today().month());
    show();
    ui::letEventsRun();
    m_timer->start();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    ui::closeByOwnWay(this, event);
}

} // namespace kemoro
