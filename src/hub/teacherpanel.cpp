#include "hub/teacherpanel.h"

#include "app/context.h"
#include "platform/messages.h"
#include "platform/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace kemoro {

TeacherPanel::TeacherPanel(AppContext &context, QWidget *parent) : QFrame(parent), m_context(context)
{
    setObjectName(u"Picture7"_s);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    ui::placeTw(this, 4860, 3600, 6045, 3945);

    m_caption = ui::named(new QLabel(u"データ変更パスワード"_s, this), u"Label28"_s);
    ui::placeTw(m_caption, 855, 90, 2400, 285);
    m_password = ui::named(new QLineEdit(this), u"Text3"_s);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(u"lineedit-password-character: 42"_s); // "*"
    ui::placeTw(m_password, 810, 360, 2445, 375);
    m_records = ui::named(new QPushButton(u"データ変更"_s, this), u"Command10"_s, 0);
    ui::placeTw(m_records, 855, 810, 2430, 855);
    m_criteria = ui::named(new QPushButton(u"合格タイムデータ変更"_s, this), u"Command10"_s, 1);
    ui::placeTw(m_criteria, 855, 2115, 2430, 855);
    m_back = ui::named(new QPushButton(u"戻る"_s, this), u"Command12"_s);
    ui::placeTw(m_back, 3825, 2115, 1545, 855);

    connect(m_records, &QPushButton::clicked, this, [this] { choose(0); });
    connect(m_criteria, &QPushButton::clicked, this, [this] { choose(1); });
    connect(m_back, &QPushButton::clicked, this, &TeacherPanel::close);
    hide();
}

void TeacherPanel::open()
{
    show();
    raise();
    m_password->setFocus();
}

void TeacherPanel::close()
{
    m_password->clear();
    hide();
}

void TeacherPanel::choose(int k)
{
    if (!isVisible() || (k != 0 && k != 1))
        return;
    if (!passwordOpens(m_password->text(), m_context.session.settings.teacherPassword)) {
        const QString title =
            m_context.session.programTitle.isEmpty() ? u"ケモロ"_s : m_context.session.programTitle;
        m_context.services.messages->show(this, title, u"パスワードを入力して下さい"_s, Messages::Buttons::Ok);
        m_password->setFocus();
        return;
    }
    emit screenChosen(k);
}

} // namespace kemoro
