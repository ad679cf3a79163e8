#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kemoro {

struct AppContext;

// Picture7: the password door of the teacher functions on the hub. The typed
// text is compared with the teacher password of the common settings; it is
// never shown, logged or put into a message.
class TeacherPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TeacherPanel(AppContext &context, QWidget *parent = nullptr);

    // Command8_Click: shows the panel in front with the caret in the box.
    void open();
    // Command12_Click: hides the panel; the box empties.
    void close();
    // Command10_Click(k): 0 the record management screen, 1 the criteria
    // editor, 2 the print selection screen "印刷設定" (over the hub).
    void choose(int k);
    // Command15 "ステップ.datの初期化": behind the same password, writes the blank
    // step template; a failure is named in a message.
    void writeStepTemplate();

    QLineEdit *passwordBox() const { return m_password; }

signals:
    // The password matched: the hub opens screen k and closes itself (the
    // print selection screen opens over it).
    void screenChosen(int k);

private:
    // The typed password opens the door; otherwise the message asks for it.
    bool passwordAccepted();

    AppContext &m_context;
    QLabel *m_caption;
    QLineEdit *m_password;
    QPushButton *m_records;
    QPushButton *m_criteria;
    QPushButton *m_printSettings;
    QPushButton *m_stepTemplate;
    QPushButton *m_back;
};

// Whether the typed text opens the door. An empty password in the settings
// (a lost line shifts the fields) opens it for nobody.
inline bool passwordOpens(const QString &typed, const QString &teacherPassword)
{
    return !teacherPassword.isEmpty() && typed == teacherPassword;
}

} // namespace kemoro
