#pragma once

#include <QDialog>
#include <QList>
#include <QUrl>

namespace kemoro {

class LocalTextBrowser;

// frmBrowser: shows an explanation page, modal. A QTextBrowser stands in for
// the web browser control: it shows local HTML, text and pictures and fetches
// nothing from the network, which is all an explanation page needs.
class BrowserWindow : public QDialog
{
    Q_OBJECT
public:
    BrowserWindow(const QString &explanationFile, const QString &dataFolder, QWidget *parent = nullptr);

    // StartingAddress: what the window was asked to open.
    QString startingAddress() const { return m_startingAddress; }
    // The files the page was read from (the page and its pictures), in order.
    QList<QUrl> loadedResources() const;

    static QString cannotShowText(const QString &address);

private:
    void navigate(const QUrl &address);

    LocalTextBrowser *m_browser;
    QString m_startingAddress;
};

} // namespace kemoro
