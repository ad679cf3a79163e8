#include "platform/widgets.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

// A plain window as the screens are (not a dialog), with two buttons and a
// text box.
struct Window
{
    QWidget window;
    QPushButton *first = new QPushButton(u"判定"_s, &window);
    QPushButton *second = new QPushButton(u"メニューへ"_s, &window);
    QLineEdit *box = new QLineEdit(&window);

    Window()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(box);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

class TestEnterKey : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { kemoro::ui::installEnterPressesFocusedButton(); }

    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("pressed");
        // clang-format off
        QTest::newRow("Return")            << int(Qt::Key_Return) << int(Qt::NoModifier)      << true;
        QTest::newRow("keypad Enter")      << int(Qt::Key_Enter)  << int(Qt::KeypadModifier)  << true;
        QTest::newRow("Space as before")   << int(Qt::Key_Space)  << int(Qt::NoModifier)      << true;
        QTest::newRow("Ctrl+Return: no")   << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
        // clang-format on
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, pressed);
        Window w;
        QSignalSpy first(w.first, &QPushButton::clicked);
        QSignalSpy second(w.second, &QPushButton::clicked);
        w.second->setFocus();
        QTest::keyClick(w.second, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(second.size(), pressed ? 1 : 0);
        QCOMPARE(first.size(), 0); // only the focused one
    }

    void onlyAFocusedEnabledButton()
    {
        Window w;
        QSignalSpy first(w.first, &QPushButton::clicked);
        QSignalSpy second(w.second, &QPushButton::clicked);
        // A disabled button takes no Enter.
        w.first->setFocus();
        w.first->setEnabled(false);
        QTest::keyClick(w.first, Qt::Key_Return);
        QCOMPARE(first.size(), 0);
        // Enter in a text box stays the box's: no button is pressed.
        QSignalSpy returned(w.box, &QLineEdit::returnPressed);
        w.box->setFocus();
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(returned.size(), 1);
        QCOMPARE(second.size(), 0);
    }
};

QTEST_MAIN(TestEnterKey)
#include "tst_enterkey.moc"
