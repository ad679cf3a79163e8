#include "windows/versiondialog.h"

#include "platform/widgets.h"
#include "state/context.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace kemoro {

VersionDialog::VersionDialog(AppContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(u"frmver"_s);
    setWindowTitle(u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    setModal(true);
    setFixedSize(ui::px(4620), ui::px(4260));

    auto *frame = ui::named(new QFrame(this), u"Shape1"_s);
    frame->setFrameShape(QFrame::Box);
    ui::placeTw(frame, 240, 600, 4140, 2640);

    auto *title = ui::named(new QLabel(u"abc"_s, this), u"Label1"_s);
    title->setFont(ui::gothicFont(18));
    title->setAlignment(Qt::AlignCenter);
    ui::placeTw(title, 390, 720, 3840, 465);

    auto *version = ui::named(new QLabel(u"Label2"_s, this), u"Label2"_s);
    version->setFont(ui::pGothicFont(9));
    version->setAlignment(Qt::AlignCenter);
    ui::placeTw(version, 390, 1200, 3840, 270);

    auto *maker = ui::named(new QLabel(u"Label4"_s, this), u"Label4"_s);
    maker->setFont(ui::pGothicFont(14));
    maker->setAlignment(Qt::AlignCenter);
    ui::placeTw(maker, 510, 2130, 3480, 630);

    auto *notice = ui::named(new QLabel(u"Label5"_s, this), u"Label5"_s);
    notice->setFont(ui::gothicFont(9));
    notice->setAlignment(Qt::AlignCenter);
    ui::placeTw(notice, 540, 2760, 3480, 420);

    auto *ok = ui::named(new QPushButton(u"O.K."_s, this), u"Command1"_s);
    ok->setFont(ui::pGothicFont(11));
    ui::placeTw(ok, 1260, 3375, 2085, 555);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *unused = ui::named(new QPushButton(u"Command2"_s, this), u"Command2"_s);
    unused->hide();
}

QString VersionDialog::versionLine(int major, int minor, int revision)
{
    return u"Version%1.%2.%3"_s.arg(major).arg(minor).arg(revision);
}

void VersionDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui::letEventsRun();
    ui::letEventsRun();
    findChild<QLabel *>(u"Label1"_s)->setText(m_context.session.programTitle);
    findChild<QLabel *>(u"Label2"_s)
        ->setText(versionLine(KEMORO_VERSION_MAJOR, KEMORO_VERSION_MINOR, KEMORO_VERSION_PATCH));
    findChild<QLabel *>(u"Label4"_s)->setText(u"Quorvex"_s);
    findChild<QLabel *>(u"Label5"_s)->setText(u"教室のコンピューター用　九九の逆算ドリル"_s);
    fitLabelsToTexts();
}

void VersionDialog::fitLabelsToTexts()
{
    // Each label grows about its centre until its text fits; a label that
    // then reaches into the margin widens the dialog and its frame on both
    // sides, so that everything stays centred.
    const int margin = ui::px(360); // inside the frame, which stands 240 from the edge
    int overflow = 0;
    const QList<QLabel *> labels = findChildren<QLabel *>();
    for (QLabel *label : labels) {
        const QSize need = label->sizeHint();
        QRect r = label->geometry();
        const int wider = std::max(0, need.width() - r.width());
        const int taller = std::max(0, need.height() - r.height());
        r.adjust(-wider / 2, -taller / 2, wider - wider / 2, taller - taller / 2);
        label->setGeometry(r);
        overflow = std::max({overflow, margin - r.left(), r.right() + 1 - (width() - margin)});
    }
    if (overflow <= 0) return;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->move(child->x() + overflow, child->y());
    auto *frame = findChild<QFrame *>(u"Shape1"_s);
    frame->setGeometry(frame->geometry().adjusted(-overflow, 0, overflow, 0));
    setFixedSize(width() + 2 * overflow, height());
    move(x() - overflow, y()); // centred where its opener placed it
}

} // namespace kemoro
