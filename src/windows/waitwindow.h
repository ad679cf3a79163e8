#pragma once

#include <QWidget>

namespace kemoro {

// BASEFRM: shown while the program switches between the drill, the
// end-of-drill screen and the hub.
class WaitWindow : public QWidget
{
    Q_OBJECT
public:
    explicit WaitWindow(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    // It has no input: the screen that follows closes it, not the window manager.
    void closeEvent(QCloseEvent *event) override;
};

} // namespace kemoro
