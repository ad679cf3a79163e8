#pragma once

#include <QWidget>

class QLabel;

namespace kemoro {

class FlowTimer;
struct AppContext;

// Firstfrm: the splash window shown while the program starts.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SplashWindow(AppContext &context, QWidget *parent = nullptr);

    // The start-up sequence up to enabling Timer1.
    void startUp();

signals:
    // The first Timer1 tick: the configuration runs now.
    void firstTick();

protected:
    // Start-up runs its course: a close by the window manager is ignored.
    void closeEvent(QCloseEvent *event) override;

private:
    AppContext &m_context;
    QLabel *m_picture;
    QLabel *m_date;
    FlowTimer *m_timer; // Timer1
};

} // namespace kemoro
