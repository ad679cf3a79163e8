#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <functional>

class QCloseEvent;
class QLabel;
class QWidget;

namespace kemoro::ui {

// Screens are laid out in twips, 15 to a pixel. Every conversion goes through
// these; the zoom chosen at start scales the whole program after them.
inline constexpr int twipsPerPixel = 15;
constexpr int px(int twips)
{
    return (twips + (twips >= 0 ? 7 : -7)) / twipsPerPixel;
}
inline QRect rectTw(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}
void placeTw(QWidget *widget, int left, int top, int width, int height);

// Stored colour numbers hold blue in the high byte and red in the low byte.
inline QColor storedColour(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
void setBackground(QWidget *widget, const QColor &colour);

// Maps the Windows face names used by the screens to the IPA fonts of Debian.
void installFontSubstitutions();
// Return and the keypad's Enter press the focused button of every window, as
// Space does: pupils press Enter. Installed once on the application.
void installEnterPressesFocusedButton();
// Every main window opens centred on the screen that shows it, in the same
// place on every change of screen. Installed once on the application.
void installCentredWindows();
void centreOnScreen(QWidget *window);
QFont gothicFont(double pointSize);  // "ＭＳ ゴシック", fixed pitch
QFont pGothicFont(double pointSize); // "ＭＳ Ｐゴシック"
QFont minchoFont(double pointSize);  // "ＭＳ 明朝"

// A label in bold "ＭＳ Ｐゴシック" at a twips rectangle, as the drill screens use them.
QLabel *boldLabel(QWidget *parent, const QString &name, const QString &text, double points, int left, int top,
                  int width, int height, Qt::Alignment alignment = {});

// The control name of a screen: "Label1", or "Label1(3)" for element 3 of a
// control array.
QString controlName(const QString &name, int index);
template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}
template <typename T> T *named(T *widget, const QString &name, int index)
{
    widget->setObjectName(controlName(name, index));
    return widget;
}

// Lets pending window events run, as long steps do between their parts.
void letEventsRun();

// Set by the navigator on a screen it closes itself: the screen is hidden at
// once and deleted later, and a close event on it is the program's own.
inline constexpr char closingProperty[] = "kemoroClosing";

// The closeEvent of a screen that leaves only by its own way. A close the
// program did not ask for (the window manager's close button, Alt+F4) is
// ignored and `wayBack` runs instead: the screen's own way back, whose intent
// the navigator answers as it answers the button. Without a way back the close
// is only ignored. A screen the navigator is closing closes.
void closeByOwnWay(QWidget *screen, QCloseEvent *event, const std::function<void()> &wayBack = {});

} // namespace kemoro::ui
