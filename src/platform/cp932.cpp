#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace kemoro::cp932 {

namespace {
constexpr auto codecName = "windows-31j";
}

Decoded decode(QByteArrayView bytes)
{
    QStringDecoder decoder(codecName, QStringConverter::Flag::Stateless);
    Decoded result;
    result.text = decoder.decode(bytes);
    result.clean = !decoder.hasError();
    return result;
}

QString toCp932Repertoire(QString text)
{
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x301C: c = QChar(0xFF5E); break; // wave dash -> full-width tilde
        case 0x2212: c = QChar(0xFF0D); break; // minus sign -> full-width hyphen-minus
        case 0x2016: c = QChar(0x2225); break; // double vertical line -> parallel to
        case 0x00A2: c = QChar(0xFFE0); break; // cent
        case 0x00A3: c = QChar(0xFFE1); break; // pound
        case 0x00AC: c = QChar(0xFFE2); break; // not sign
        case 0x2014: c = QChar(0x2015); break; // em dash -> horizontal bar
        default: break;
        }
    }
    return text;
}

std::optional<QByteArray> encode(const QString &text, qsizetype *badIndex)
{
    const QString mapped = toCp932Repertoire(text);
    QStringEncoder encoder(codecName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(mapped);
    if (!encoder.hasError())
        return bytes;
    if (badIndex) {
        // Find the first character that does not survive alone.
        *badIndex = 0;
        for (qsizetype i = 0; i < mapped.size(); ++i) {
            const qsizetype len = (mapped.at(i).isHighSurrogate() && i + 1 < mapped.size()) ? 2 : 1;
            QStringEncoder one(codecName, QStringConverter::Flag::Stateless);
            const QByteArray encoded = one.encode(QStringView(mapped).mid(i, len));
            Q_UNUSED(encoded);
            if (one.hasError()) {
                *badIndex = i;
                break;
            }
            i += len - 1;
        }
    }
    return std::nullopt;
}

QByteArray encodeLossy(const QString &text)
{
    const QString mapped = toCp932Repertoire(text);
    {
        // Nearly every text encodes whole; only a failure goes character by character.
        QStringEncoder whole(codecName, QStringConverter::Flag::Stateless);
        QByteArray bytes = whole.encode(mapped);
        if (!whole.hasError())
            return bytes;
    }
    QByteArray out;
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const qsizetype len = (mapped.at(i).isHighSurrogate() && i + 1 < mapped.size()) ? 2 : 1;
        QStringEncoder one(codecName, QStringConverter::Flag::Stateless);
        const QByteArray b = one.encode(QStringView(mapped).mid(i, len));
        out += one.hasError() ? QByteArray("?") : b;
        i += len - 1;
    }
    return out;
}

QByteArray fixedField(const QString &text, int bytes)
{
    QByteArray out;
    const QString mapped = toCp932Repertoire(text);
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const qsizetype len = (mapped.at(i).isHighSurrogate() && i + 1 < mapped.size()) ? 2 : 1;
        QStringEncoder one(codecName, QStringConverter::Flag::Stateless);
        QByteArray b = one.encode(QStringView(mapped).mid(i, len));
        if (one.hasError())
            b = "?";
        if (out.size() + b.size() > bytes)
            break;
        out += b;
        i += len - 1;
    }
    out.append(bytes - out.size(), ' ');
    return out;
}

} // namespace kemoro::cp932
