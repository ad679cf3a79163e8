#include "state/eradate.h"

using namespace Qt::StringLiterals;

namespace kemoro {

JapaneseEra japaneseEra(QDate date)
{
    struct Era
    {
        QDate start;
        const char16_t *name;
    };
    static const Era eras[] = {
        {QDate(2019, 5, 1), u"令和"},  {QDate(1989, 1, 8), u"平成"}, {QDate(1926, 12, 25), u"昭和"},
        {QDate(1912, 7, 30), u"大正"}, {QDate(1868, 1, 1), u"明治"},
    };
    for (const Era &era : eras) {
        if (date >= era.start) return {QString::fromUtf16(era.name), date.year() - era.start.year() + 1};
    }
    return {QString(), date.year()};
}

QString shortWeekday(QDate date)
{
    static const char16_t days[] = u"月火水木金土日";
    return QString(QChar(days[date.dayOfWeek() - 1]));
}

QString splashDate(QDate date)
{
    const JapaneseEra era = japaneseEra(date);
    return u"%1%2年 %3月 %4日（%5）"_s.arg(era.name)
        .arg(era.year)
        .arg(date.month())
        .arg(date.day(), 2, 10, QChar(u'0'))
        .arg(shortWeekday(date));
}

} // namespace kemoro
