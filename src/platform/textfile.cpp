#include "platform/textfile.h"

#include "platform/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace kemoro {

std::optional<QString> readTextFile(const QString &path, Diagnostics &diagnostics)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"ファイルがありません (file not found)"_s});
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"読み込めません (cannot be read): "_s + file.errorString()});
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"読み込めません (cannot be read): "_s + file.errorString()});
        return std::nullopt;
    }
    cp932::Decoded decoded = cp932::decode(bytes);
    if (!decoded.clean) {
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::fileLocation(),
                            u"contains bytes that are not Shift-JIS (CP932) text"_s});
    }
    return decoded.text;
}

std::optional<Diagnostic> writeFileAtomic(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return Diagnostic{Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                          u"書き込めません (cannot be written): "_s + file.errorString()};
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Diagnostic{Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                          u"書き込めません (cannot be written): "_s + file.errorString()};
    return std::nullopt;
}

std::optional<Diagnostic> writeTextFileAtomic(const QString &path, const QString &text)
{
    qsizetype bad = -1;
    const std::optional<QByteArray> bytes = cp932::encode(text, &bad);
    if (!bytes) {
        const int line = int(QStringView(text).left(bad).count(u'\n')) + 1;
        return Diagnostic{Diagnostic::Severity::Fatal, path, Diagnostic::lineLocation(line),
                          u"「%1」は Shift-JIS で保存できません (cannot be saved as Shift-JIS)"_s.arg(
                              text.mid(bad, 1))};
    }
    return writeFileAtomic(path, *bytes);
}

} // namespace kemoro
