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
    // Command10_Click(k): 0 the record management screen, 1 the criteria editor.
    void choose(int k);

    QLineEdit *passwordBox() const { return m_password; }

signals:
    // The password matched: the hub opens screen k and closes itself.
    void screenChosen(int k);

private:
    AppContext &m_context;
    QLabel *m_caption;
    QLineEdit *m_password;
    QPushButton *m_records;
    QPushButton *m_criteria;
    QPushButton *m_back;
};

// Whether the typed text opens the door. An empty password in the settings
// is matched by an empty box, as it always was (`kemoro-data check` warns).
inline bool passwordOpens(const QString &typed, const QString &teacherPassword)
{
    return typed == teacherPassword;
}

} // namespace kemoro
