#include "windows/browserwindow.h"

#include "platform/cp932.h"
#include "platform/widgets.h"
#include "windows/explanation.h"

#include <QFileInfo>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextBrowser>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace kemoro {

// Reads local files only: an address of the web is never fetched, and pages
// without a charset are read as UTF-8 or, failing that, as the CP932 that
// Windows editors of the classroom save.
class LocalTextBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (!url.isLocalFile()) return {};
        const QVariant content = QTextBrowser::loadResource(type, url);
        if (content.isValid()) loaded.append(url);
        if (type == QTextDocument::HtmlResource && content.userType() == QMetaType::QByteArray)
            return decodeHtml(content.toByteArray());
        return content;
    }

    QList<QUrl> loaded;

private:
    static QString decodeHtml(const QByteArray &bytes)
    {
        QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
        if (decoder.isValid()) {
            QString text = decoder(bytes);
            if (!decoder.hasError() || hasCharset(bytes)) return text;
        }
        return cp932::decode(bytes).text;
    }

    static bool hasCharset(const QByteArray &bytes) { return bytes.left(1024).toLower().contains("charset"); }
};

BrowserWindow::BrowserWindow(const QString &explanationFile, const QString &dataFolder, QWidget *parent)
    : QDialog(parent), m_browser(new LocalTextBrowser(this))
{
    setObjectName(u"frmBrowser"_s);
    setWindowTitle(QString());
    setModal(true);
    setFixedSize(ui::px(14640), ui::px(10440));

    ui::named(m_browser, u"brwWebBrowser"_s);
    ui::placeTw(m_browser, 120, 120, 14400, 9360);
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this,
            [this](const QUrl &link) { navigate(m_browser->source().resolved(link)); });

    auto *done = ui::named(new QPushButton(u"解説終わり"_s, this), u"Command1"_s);
    ui::placeTw(done, 11760, 9600, 2760, 600);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    m_startingAddress = explanationFile;
    if (m_startingAddress.isEmpty()) return;
    navigate(resolveExplanationFile(m_startingAddress, dataFolder));
}

QList<QUrl> BrowserWindow::loadedResources() const
{
    return m_browser->loaded;
}

QString BrowserWindow::cannotShowText(const QString &address)
{
    return u"表示できません："_s + address;
}

void BrowserWindow::navigate(const QUrl &address)
{
    const QString text = explanationAddressText(address);
    const QFileInfo file(address.toLocalFile());
    // A movie for a browser plug-in ("swf") plays nowhere any more, and a web
    // address would go to the network: the teacher reads why instead of a
    // blank page.
    const bool showable = address.isLocalFile() && !text.endsWith(u"swf"_s, Qt::CaseInsensitive) &&
                          file.isFile() && file.isReadable();
    if (showable) {
        m_browser->setSource(address);
        return;
    }
    m_browser->setSource(QUrl());
    m_browser->setPlainText(cannotShowText(text));
    std::fputs(qPrintable(cannotShowText(text) + u'\n'), stderr);
    std::fflush(stderr);
}

} // namespace kemoro
