#include "hub/teacherpanel.h"

#include "criteria/steptemplate.h"
#include "platform/messages.h"
#include "platform/widgets.h"
#include "state/context.h"

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
    m_printSettings = ui::named(new QPushButton(u"印刷設定"_s, this), u"Command10"_s, 2);
    ui::placeTw(m_printSettings, 3825, 810, 1545, 855);
    m_stepTemplate = ui::named(new QPushButton(u"ステップ.datの初期化"_s, this), u"Command15"_s);
    ui::placeTw(m_stepTemplate, 855, 3060, 4515, 600);

    connect(m_records, &QPushButton::clicked, this, [this] { choose(0); });
    connect(m_criteria, &QPushButton::clicked, this, [this] { choose(1); });
    connect(m_printSettings, &QPushButton::clicked, this, [this] { choose(2); });
    connect(m_stepTemplate, &QPushButton::clicked, this, &TeacherPanel::writeStepTemplate);
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

bool TeacherPanel::passwordAccepted()
{
    if (passwordOpens(m_password->text(), m_context.session.settings.teacherPassword)) return true;
    const QString title = messageTitle(m_context.session);
    const bool noPassword = m_context.session.settings.teacherPassword.isEmpty();
    m_context.services.messages->show(
        this, title, noPassword ? u"パスワードが設定されていません"_s : u"パスワードを入力して下さい"_s,
        Messages::Buttons::Ok);
    m_password->setFocus();
    return false;
}

void TeacherPanel::choose(int k)
{
    if (!isVisible() || k < 0 || k > 2) return;
    if (!passwordAccepted()) return;
    emit screenChosen(k);
}

void TeacherPanel::writeStepTemplate()
{
    if (!isVisible() || !passwordAccepted()) return;
    if (const std::optional<Diagnostic> failure =
            writeBlankStepTemplate(m_context.session.folders.stepTemplateFile())) {
        const QString title = messageTitle(m_context.session);
        m_context.services.messages->show(this, title, failure->toMessage(), Messages::Buttons::Ok);
    }
}

} // namespace kemoro
