#include "testsupport/fixtures.h"

#include "platform/cp932.h"
#include "tools/demoinstall.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace kemoro::test {

TempInstallation::TempInstallation(QDate today)
{
    m_valid = m_dir.isValid() && demo::create(m_dir.path(), today).isEmpty();
}

QString TempInstallation::root() const { return m_dir.path(); }
QString TempInstallation::programDir() const { return demo::Installation{root()}.programDir(); }
QString TempInstallation::dataRoot() const { return demo::Installation{root()}.dataRoot(); }
QString TempInstallation::dataFolder() const { return demo::Installation{root()}.dataFolder(); }
QString TempInstallation::soundFolder() const { return demo::Installation{root()}.soundFolder(); }
QString TempInstallation::pathFile() const { return root() + u"/パスデータ.txt"_s; }

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool writeCp932(const QString &path, const QString &text)
{
    const std::optional<QByteArray> bytes = cp932::encode(text);
    return bytes && writeBytes(path, *bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace kemoro::test
