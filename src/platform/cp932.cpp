#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kemoro::cp932 {

namespace {
constexpr auto codecName = "windows-31j";

// ICU's table for code page 932 swaps three control codes both ways (0x1A
// reads as U+001C, 0x1C as U+007F, 0x7F as U+001A), and it marks a bad byte
// with U+001A, which the platform's text input takes for the end of the file.
bool icuSwapsControl(uchar b)
{
    return b == 0x1A || b == 0x1C || b == 0x7F;
}

bool isLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
bool isHalfWidthKatakana(uchar b)
{
    return b >= 0xA1 && b <= 0xDF;
}

// Encodes through ICU and undoes its swap of the control codes.
QByteArray icuEncode(QStringView text, bool &failed)
{
    QStringEncoder encoder(codecName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    failed = encoder.hasError();
    for (char &c : bytes) {
        switch (uchar(c)) {
        case 0x7F:
            c = 0x1A;
            break;
        case 0x1A:
            c = 0x1C;
            break;
        case 0x1C:
            c = 0x7F;
            break;
        default:
            break;
        }
    }
    return bytes;
}

bool encodesAlone(QStringView character)
{
    bool failed = false;
    icuEncode(character, failed);
    return !failed;
}

qsizetype characterLength(const QString &text, qsizetype i)
{
    return (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
}
} // namespace

Decoded decode(QByteArrayView bytes)
{
    Decoded result;
    QStringDecoder decoder(codecName, QStringConverter::Flag::Stateless);
    if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return icuSwapsControl(uchar(c)); })) {
        result.text = decoder.decode(bytes);
        if (!decoder.hasError()) return result;
    }
    // Character by character: ASCII and half-width katakana directly, only the
    // double-byte characters through ICU.
    result.text.clear();
    result.text.reserve(bytes.size());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            result.text.append(QLatin1Char(char(b)));
            ++i;
            continue;
        }
        if (isHalfWidthKatakana(b)) {
            result.text.append(QChar(0xFF61 + (b - 0xA1)));
            ++i;
            continue;
        }
        qsizetype length = 1;
        if (isLeadByte(b) && i + 1 < n && isTrailByte(uchar(bytes[i + 1]))) {
            length = 2;
            QChar out[4];
            const QChar *end = decoder.appendToBuffer(out, bytes.sliced(i, 2));
            if (end - out == 1 && out[0] != QChar(0x1A) && out[0] != QChar::ReplacementCharacter) {
                result.text.append(out[0]);
                i += 2;
                continue;
            }
        }
        result.bad.append({i, bytes.sliced(i, length).toByteArray()});
        result.text.append(QChar::ReplacementCharacter);
        i += length;
    }
    return result;
}

QString toCp932Repertoire(QString text)
{
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x301C:
            c = QChar(0xFF5E);
            break; // wave dash -> full-width tilde
        case 0x2212:
            c = QChar(0xFF0D);
            break; // minus sign -> full-width hyphen-minus
        case 0x2016:
            c = QChar(0x2225);
            break; // double vertical line -> parallel to
        case 0x00A2:
            c = QChar(0xFFE0);
            break; // cent
        case 0x00A3:
            c = QChar(0xFFE1);
            break; // pound
        case 0x00AC:
            c = QChar(0xFFE2);
            break; // not sign
        case 0x2014:
            c = QChar(0x2015);
            break; // em dash -> horizontal bar
        default:
            break;
        }
    }
    return text;
}

std::optional<QByteArray> encode(const QString &text, qsizetype *badIndex)
{
    const QString mapped = toCp932Repertoire(text);
    bool failed = false;
    QByteArray bytes = icuEncode(mapped, failed);
    if (!failed) return bytes;
    if (badIndex) {
        // Find the first character that does not survive alone.
        *badIndex = 0;
        for (qsizetype i = 0; i < mapped.size(); i += characterLength(mapped, i)) {
            if (!encodesAlone(QStringView(mapped).mid(i, characterLength(mapped, i)))) {
                *badIndex = i;
                break;
            }
        }
    }
    return std::nullopt;
}

QByteArray encodeLossy(const QString &text)
{
    const QString mapped = toCp932Repertoire(text);
    // Nearly every text encodes whole; only a failure goes character by character.
    bool failed = false;
    QByteArray whole = icuEncode(mapped, failed);
    if (!failed) return whole;
    QByteArray out;
    for (qsizetype i = 0; i < mapped.size(); i += characterLength(mapped, i)) {
        const QByteArray b = icuEncode(QStringView(mapped).mid(i, characterLength(mapped, i)), failed);
        out += failed ? QByteArray("?") : b;
    }
    return out;
}

QByteArray fixedField(const QString &text, int bytes)
{
    QByteArray out;
    const QString mapped = toCp932Repertoire(text);
    for (qsizetype i = 0; i < mapped.size(); i += characterLength(mapped, i)) {
        bool failed = false;
        QByteArray b = icuEncode(QStringView(mapped).mid(i, characterLength(mapped, i)), failed);
        if (failed) b = "?";
        if (out.size() + b.size() > bytes) break;
        out += b;
    }
    out.append(bytes - out.size(), ' ');
    return out;
}

} // namespace kemoro::cp932
