#include "platform/text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace kemoro {

QString trimBlanks(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == u' ')
        ++b;
    while (e > b && text.at(e - 1) == u' ')
        --e;
    return text.mid(b, e - b).toString();
}

QString trimTrailingBlanks(QStringView text)
{
    qsizetype e = text.size();
    while (e > 0 && text.at(e - 1) == u' ')
        --e;
    return text.left(e).toString();
}

QString rightAligned(const QString &value, int width, QChar fill)
{
    const QString padded = QString(width, fill) + value;
    return padded.right(width);
}

QString leftCut(const QString &value, int width)
{
    return value.left(width);
}

std::optional<double> parseNumber(QStringView text)
{
    qsizetype i = 0, n = text.size();
    auto isBlank = [&](qsizetype k) { return text.at(k) == u' ' || text.at(k) == u'\t'; };
    while (i < n && isBlank(i))
        ++i;
    while (n > i && isBlank(n - 1))
        --n;
    if (i == n) return std::nullopt;
    QByteArray ascii;
    ascii.reserve(n - i);
    qsizetype k = i;
    if (text.at(k) == u'+' || text.at(k) == u'-') ascii += char(text.at(k++).unicode());
    bool digits = false;
    while (k < n && text.at(k).unicode() >= '0' && text.at(k).unicode() <= '9') {
        ascii += char(text.at(k++).unicode());
        digits = true;
    }
    if (k < n && text.at(k) == u'.') {
        ascii += '.';
        ++k;
        while (k < n && text.at(k).unicode() >= '0' && text.at(k).unicode() <= '9') {
            ascii += char(text.at(k++).unicode());
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (k < n && (text.at(k) == u'e' || text.at(k) == u'E')) {
        ascii += 'e';
        ++k;
        if (k < n && (text.at(k) == u'+' || text.at(k) == u'-')) ascii += char(text.at(k++).unicode());
        bool expDigits = false;
        while (k < n && text.at(k).unicode() >= '0' && text.at(k).unicode() <= '9') {
            ascii += char(text.at(k++).unicode());
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    if (k != n) return std::nullopt;
    double value = 0;
    const char *begin = ascii.constData();
    if (*begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, ascii.constData() + ascii.size(), value);
    if (ec != std::errc() || ptr != ascii.constData() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

IntegerField readInteger(QStringView text, qint64 min, qint64 max)
{
    if (trimBlanks(text).isEmpty()) return {0, NumberStatus::Empty};
    const std::optional<double> number = parseNumber(text);
    if (!number) return {0, NumberStatus::NotANumber};
    const double rounded = std::nearbyint(*number); // default rounding mode: half to even
    if (rounded < double(min) || rounded > double(max)) return {0, NumberStatus::OutOfRange};
    return {qint64(rounded), NumberStatus::Ok};
}

IntegerField readInt16(QStringView text)
{
    return readInteger(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
}

IntegerField readInt32(QStringView text)
{
    return readInteger(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
}

RealField readSingle(QStringView text)
{
    if (trimBlanks(text).isEmpty()) return {0, NumberStatus::Empty};
    const std::optional<double> number = parseNumber(text);
    if (!number) return {0, NumberStatus::NotANumber};
    if (std::fabs(*number) > double(FLT_MAX)) return {0, NumberStatus::OutOfRange};
    return {double(float(*number)), NumberStatus::Ok};
}

QString describe(NumberStatus status)
{
    switch (status) {
    case NumberStatus::Ok:
    case NumberStatus::Empty:
        return QString();
    case NumberStatus::NotANumber:
        return u"is not a number; read as 0"_s;
    case NumberStatus::OutOfRange:
        return u"is out of range; read as 0"_s;
    }
    return QString();
}

QString shortestDecimal(float value)
{
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) return QString::number(double(value));
    QString text = QString::fromLatin1(buf, ptr - buf);
    // to_chars may choose exponent form for very large or small values; the
    // platform's Str() writes those rarely enough that plain digits are fine.
    if (text.contains(u'e')) {
        text = QString::number(double(value), 'f', 6);
        while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
            text.chop(1);
    }
    return text;
}

} // namespace kemoro

namespace kemoro {
double val(QStringView text)
{
    QByteArray ascii;
    qsizetype k = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (k < n &&
               (text.at(k) == u' ' || text.at(k) == u'\t' || text.at(k) == u'\n' || text.at(k) == u'\r'))
            ++k;
    };
    auto digit = [&] { return k < n && text.at(k).unicode() >= '0' && text.at(k).unicode() <= '9'; };
    skipBlanks();
    if (k < n && (text.at(k) == u'-' || text.at(k) == u'+')) ascii += char(text.at(k++).unicode());
    skipBlanks();
    while (digit() || (k < n && text.at(k) == u' ')) {
        if (text.at(k) != u' ') ascii += char(text.at(k).unicode());
        ++k;
    }
    if (k < n && text.at(k) == u'.') {
        ascii += '.';
        ++k;
        while (digit())
            ascii += char(text.at(k++).unicode());
    }
    const std::optional<double> value = parseNumber(QString::fromLatin1(ascii));
    return value.value_or(0.0);
}
} // namespace kemoro
