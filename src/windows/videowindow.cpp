#include "windows/videowindow.h"

#include "platform/mediaplayer.h"
#include "platform/widgets.h"
#include "windows/explanation.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace kemoro {

VideoWindow::VideoWindow(const QString &explanationFile, const QString &dataFolder, MediaPlayer *player,
                         QWidget *parent)
    : QWidget(parent), m_player(player)
{
    // The player is this window's first child, so it is torn down before its
    // picture surface.
    m_player->setParent(this);
    setObjectName(u"FrmVideo"_s);
    setWindowTitle(u"QRVX"_s);
    setFixedSize(ui::px(15360), ui::px(9780));

    // Lies under the player; it shows through when the video cannot play.
    m_base = ui::named(new QLabel(u"Label1"_s, this), u"VideoBaseLabel"_s);
    m_base->setAlignment(Qt::AlignCenter);
    m_base->setWordWrap(true);

    m_view = ui::named(new MediaPlayerView(*m_player, this), u"VideoMediaPlayer"_s);
    ui::placeTw(m_view, 120, 120, 10800, 8760);

    auto *panel = ui::named(new QFrame(this), u"ScreenBasePic"_s);
    panel->setFrameShape(QFrame::Panel);
    ui::placeTw(panel, 11160, 120, 4080, 8760);
    auto *hint = ui::named(new QLabel(u"右クリックで再セット"_s, panel), u"Label1"_s);
    ui::placeTw(hint, 120, 120, 3840, 360);
    for (int i = 0; i < bookmarkCount; ++i) {
        const int top = 600 + i * 800;
        auto *number = ui::named(new QLabel(u"１"_s, panel), u"Label2"_s, i);
        number->setFont(ui::pGothicFont(14));
        number->setAlignment(Qt::AlignCenter);
        ui::placeTw(number, 120, top, 600, 600);
        m_set[i] = ui::named(new QPushButton(u"セット"_s, panel), u"Command3"_s, i);
        ui::placeTw(m_set[i], 840, top, 3120, 600);
        connect(m_set[i], &QPushButton::clicked, this, [this, i] { setBookmark(i); });
        m_jump[i] = ui::named(new QPushButton(u"ジャンプ"_s, panel), u"Command4"_s, i);
        ui::placeTw(m_jump[i], 840, top, 3120, 600);
        connect(m_jump[i], &QPushButton::clicked, this, [this, i] { jumpTo(i); });
        m_jump[i]->installEventFilter(this);
        // A set button for every pair from the start, so the first bookmark
        // can be reached at all.
        m_jump[i]->hide();
        if (i > 0) number->setText(QString::number(i + 1));
    }

    auto *back = ui::named(new QPushButton(u"戻る"_s, this), u"Command1"_s);
    ui::placeTw(back, 13080, 9060, 2160, 600);
    connect(back, &QPushButton::clicked, this, &QWidget::close);

    m_base->setGeometry(m_view->geometry());

    connect(m_player, &MediaPlayer::failed, this, &VideoWindow::showFailure);
    const QUrl address = resolveExplanationFile(explanationFile, dataFolder);
    m_file = address.isEmpty() ? dataFolder : explanationAddressText(address);
    if (!address.isEmpty() && !address.isLocalFile()) {
        showFailure(u"only files of this computer are played"_s);
        return;
    }
    m_player->setSource(m_file);
    m_player->play();
}

QString VideoWindow::cannotPlayText(const QString &file, const QString &errorText)
{
    return u"再生できません："_s + file + u" ("_s + errorText + u')';
}

void VideoWindow::setBookmark(int i)
{
    m_bookmarks[i] = m_player->position();
    m_set[i]->hide();
    m_jump[i]->show();
}

void VideoWindow::jumpTo(int i)
{
    m_player->seek(m_bookmarks[i]);
}

void VideoWindow::freeBookmark(int i)
{
    m_set[i]->show();
    m_jump[i]->hide();
}

bool VideoWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        for (int i = 0; i < bookmarkCount; ++i) {
            if (watched == m_jump[i]) {
                freeBookmark(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VideoWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    m_player->pause();
    emit closed();
}

void VideoWindow::showFailure(const QString &errorText)
{
    const QString text = cannotPlayText(m_file, errorText);
    m_view->hide();
    m_base->setText(text);
    std::fputs(qPrintable(text + u'\n'), stderr);
    std::fflush(stderr);
}

} // namespace kemoro
