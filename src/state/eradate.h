#pragma once

#include <QDate>
#include <QString>

namespace kemoro {

struct JapaneseEra
{
    QString name; // "令和"; empty before the first era
    int year = 0; // year within the era (1 for the first year)
};

// The era of a date, by the boundaries the Windows calendar uses.
JapaneseEra japaneseEra(QDate date);

// The splash date: "ggge年 m月 dd日（aaa）", e.g. "令和8年 12月 10日（木）".
QString splashDate(QDate date);

// Short weekday name: 日 月 火 水 木 金 土.
QString shortWeekday(QDate date);

} // namespace kemoro
