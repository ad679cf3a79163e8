#pragma once

#include <QDialog>

namespace kemoro {

struct AppContext;

// frmver: the version dialog, opened modal from the name selection screen.
class VersionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit VersionDialog(AppContext &context, QWidget *parent = nullptr);

    // "Version" + major.minor.revision, run together.
    static QString versionLine(int major, int minor, int revision);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitLabelsToTexts();

    AppContext &m_context;
};

} // namespace kemoro
