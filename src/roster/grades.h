#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace kemoro {

// The school year of a date: it starts in `yearStartMonth`, so January of
// 2027 still belongs to school year 2026 when the year starts in April.
int schoolYear(QDate today, int yearStartMonth);

// GradeNumber: 1..6 elementary, 7..9 middle school, 10..12 high school,
// 0 and below pre-school. The roster stores the school year of birth so that
// nobody has to edit it when a year begins.
inline int gradeNumber(int schoolYear, int birthYear)
{
    return schoolYear - birthYear - 6;
}

// The full-width label kept per pupil ("幼３", "小１" … "小６", "中１" … "中３",
// "高１"); other grades have none and leave an earlier label as it was.
std::optional<QString> storedGradeLabel(int grade);

// The half-width label of the name list ("幼-", "幼1" … "幼3", "小1" … "小6",
// "中1" … "中3", "高1" … "高3", "大+").
QString listGradeLabel(int grade);

// The grade counted within its school; below 1 for pre-school pupils, whose
// name column is wider.
int gradeWithinSchool(int grade);

// GradeMark: "①" … "⑥", "Ⅰ" … "Ⅲ", or one full-width space, for the compact
// grade columns of the hub.
QString gradeMark(int grade);

// The texts of the grade box, in the order the box lists them.
const QStringList &gradeFilterTexts();
inline QString allGradesFilter()
{
    return QStringLiteral("全学年");
}

// GradeMatches: whether a grade passes the text of a grade box. A text that
// is none of the box's entries passes nothing.
bool gradeMatches(const QString &filter, int grade);

} // namespace kemoro
