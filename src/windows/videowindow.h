#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace kemoro {

class MediaPlayer;

// FrmVideo: plays an explanation video, with ten bookmarks the teacher sets
// while it plays and jumps back to. Modeless.
class VideoWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int bookmarkCount = 10;

    // Takes the player over; it starts playing the file at once.
    VideoWindow(const QString &explanationFile, const QString &dataFolder, MediaPlayer *player,
                QWidget *parent = nullptr);

    // videoBookmarks: positions in seconds; elements 0..9 belong to the
    // button pairs, the rest are kept as the window always had them.
    const std::array<double, 21> &videoBookmarks() const { return m_bookmarks; }

    static QString cannotPlayText(const QString &file, const QString &errorText);

signals:
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setBookmark(int i);
    void jumpTo(int i);
    void freeBookmark(int i);
    void showFailure(const QString &errorText);

    MediaPlayer *m_player;
    QLabel *m_base;
    QWidget *m_view;
    std::array<QPushButton *, bookmarkCount> m_set{};
    std::array<QPushButton *, bookmarkCount> m_jump{};
    std::array<double, 21> m_bookmarks{};
    QString m_file;
};

} // namespace kemoro
