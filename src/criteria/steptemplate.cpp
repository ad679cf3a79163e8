#include "criteria/steptemplate.h"

#include "platform/textfile.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace kemoro {

QByteArray blankStepTemplate(const QByteArray &existing)
{
    constexpr qsizetype blankBytes = qsizetype(stepTemplateRecords) * stepRecordSize;
    QByteArray bytes(blankBytes, '\0');
    if (existing.size() > blankBytes) bytes.append(existing.mid(blankBytes));
    return bytes;
}

std::optional<Diagnostic> writeBlankStepTemplate(const QString &path)
{
    QByteArray existing;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            Diagnostic d;
            d.filePath = path;
            d.location = Diagnostic::fileLocation();
            d.text = u"読み込めません (cannot be read): "_s + file.errorString();
            return d;
        }
        existing = file.readAll();
        file.close();
    }
    return writeFileAtomic(path, blankStepTemplate(existing));
}

} // namespace kemoro
