#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kemoro {

// Trimming removes ASCII blanks only, never full-width spaces: those are part
// of names and of the aligned list lines.
QString trimBlanks(QStringView text);
QString trimTrailingBlanks(QStringView text);

// `Right$(String(n, ' ') & value, n)`: right-aligns in a field of n characters,
// cutting from the left when the value is longer.
QString rightAligned(const QString &value, int width, QChar fill = u' ');
// `Left$(value & pad, n)`.
QString leftCut(const QString &value, int width);

// A number as the sequential reader and `Val` take it: optional blanks, sign,
// digits with an optional decimal point and exponent. Anything else, including
// an empty text, is not a number.
std::optional<double> parseNumber(QStringView text);

enum class NumberStatus {
    Ok,
    Empty,      // an empty field reads as 0 without complaint
    NotANumber, // text where a number is needed: 0
    OutOfRange, // a number the column cannot hold: 0
};

struct IntegerField
{
    qint64 value = 0;
    NumberStatus status = NumberStatus::Empty;
};
struct RealField
{
    double value = 0;
    NumberStatus status = NumberStatus::Empty;
};

// Reads a field into an integer column of the given range; fractions round
// half to even as the platform's integer conversion does.
IntegerField readInteger(QStringView text, qint64 min, qint64 max);
IntegerField readInt16(QStringView text);
IntegerField readInt32(QStringView text);
// Reads a field into a single-precision column.
RealField readSingle(QStringView text);

QString describe(NumberStatus status);

// The shortest decimal text that reads back as the same float ("1.5", "1.1", "1").
QString shortestDecimal(float value);

} // namespace kemoro

namespace kemoro {
// The platform's Val(): the numeric value of the longest number at the start
// of a text (blanks skipped), 0 when there is none.
double val(QStringView text);
} // namespace kemoro
