#include "windows/waitwindow.h"

#include "platform/widgets.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace kemoro {

WaitWindow::WaitWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"BASEFRM"_s);
    setWindowTitle(u"Form1"_s);
    setFixedSize(ui::px(15360), ui::px(11520));
    auto *label = ui::named(new QLabel(u"Just a moment, please."_s, this), u"Label19"_s);
    label->setFont(ui::gothicFont(24));
    label->setAlignment(Qt::AlignCenter);
    ui::placeTw(label, 4050, 5460, 7005, 690);
}

void WaitWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    ui::letEventsRun();
}

void WaitWindow::closeEvent(QCloseEvent *event)
{
    ui::closeByOwnWay(this, event);
}

} // namespace kemoro
