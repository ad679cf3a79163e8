#include "platform/widgets.h"

#include "platform/zoom.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace kemoro::ui {

namespace {
// Qt presses a focused button on Enter only in dialogs (autoDefault); the
// program's screens are plain windows.
class EnterPressesFocusedButton final : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible()) return false;
        if (!key->isAutoRepeat()) button->click();
        return true;
    }
};
} // namespace

void installEnterPressesFocusedButton()
{
    static EnterPressesFocusedButton *filter = nullptr;
    if (filter || !QCoreApplication::instance()) return;
    filter = new EnterPressesFocusedButton(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

namespace {
// A window a window manager places lands somewhere else on every change of
// screen; every screen of the program opens centred on the screen that shows it.
class CentredWindows final : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous())
            if (auto *window = qobject_cast<QWidget *>(watched); window && window->windowType() == Qt::Window)
                centreOnScreen(window);
        return false;
    }
};
} // namespace

void installCentredWindows()
{
    static CentredWindows *filter = nullptr;
    if (filter || !QCoreApplication::instance()) return;
    filter = new CentredWindows(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen) return;
    // The usual frame is assumed even where the window knows its own: a window
    // opens in the same place on every change, whether shown before or not.
    window->move(centredPosition(window->size(), windowFrameAllowance, screen->availableGeometry()));
}

void placeTw(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(rectTw(left, top, width, height));
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void installFontSubstitutions()
{
    QFont::insertSubstitution(u"ＭＳ ゴシック"_s, u"IPAGothic"_s);
    QFont::insertSubstitution(u"ＭＳ 明朝"_s, u"IPAMincho"_s);
    QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
    QFont::insertSubstitution(u"ＭＳ Ｐ明朝"_s, u"IPAPMincho"_s);
    QFont::insertSubstitution(u"MS Gothic"_s, u"IPAGothic"_s);
    QFont::insertSubstitution(u"MS PGothic"_s, u"IPAPGothic"_s);
}

namespace {
QFont face(const QString &family, double pointSize, bool fixedPitch)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setFixedPitch(fixedPitch);
    if (fixedPitch) font.setStyleHint(QFont::Monospace);
    return font;
}
} // namespace

QFont gothicFont(double pointSize)
{
    return face(u"ＭＳ ゴシック"_s, pointSize, true);
}
QFont pGothicFont(double pointSize)
{
    return face(u"ＭＳ Ｐゴシック"_s, pointSize, false);
}
QFont minchoFont(double pointSize)
{
    return face(u"ＭＳ 明朝"_s, pointSize, false);
}

QLabel *boldLabel(QWidget *parent, const QString &name, const QString &text, double points, int left, int top,
                  int width, int height, Qt::Alignment alignment)
{
    auto *label = named(new QLabel(text, parent), name);
    QFont font = pGothicFont(points);
    font.setBold(true);
    label->setFont(font);
    if (alignment) label->setAlignment(alignment);
    placeTw(label, left, top, width, height);
    return label;
}

QString controlName(const QString &name, int index)
{
    return name + u'(' + QString::number(index) + u')';
}

void letEventsRun()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void closeByOwnWay(QWidget *screen, QCloseEvent *event, const std::function<void()> &wayBack)
{
    if (screen->property(closingProperty).toBool()) {
        event->accept();
        return;
    }
    event->ignore();
    if (wayBack) wayBack();
}

} // namespace kemoro::ui
