#pragma once

#include <QLabel>

namespace kemoro::ui {

// A label that reports clicks and double-clicks, as the screens' labels do.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace kemoro::ui
