#pragma once

#include <QWidget>

class QPushButton;

namespace kemoro {

struct AppContext;
namespace ui {
class ClickLabel;
}

// namesel: the home screen. The pupil picks a name here, or leaves to the
// launcher of the product family.
class NameSelectionScreen : public QWidget
{
    Q_OBJECT
public:
    explicit NameSelectionScreen(AppContext &context, QWidget *parent = nullptr);

    // Form_Activate: runs each time the screen becomes active through one of
    // our own screens (start-up, the hub, the version dialog).
    void activate();

private:
    void leave();

    AppContext &m_context;
    ui::ClickLabel *m_title;
    QPushButton *m_leave;
};

} // namespace kemoro
