#include "roster/grades.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace kemoro {

int schoolYear(QDate today, int yearStartMonth)
{
    return today.month() < yearStartMonth ? today.year() - 1 : today.year();
}

std::optional<QString> storedGradeLabel(int grade)
{
    static const QString fullDigits = u"０１２３４５６７８９"_s;
    if (grade == 0) return u"幼３"_s;
    if (grade >= 1 && grade <= 6) return u"小"_s + fullDigits.at(grade);
    if (grade >= 7 && grade <= 9) return u"中"_s + fullDigits.at(grade - 6);
    if (grade == 10) return u"高１"_s;
    return std::nullopt;
}

QString listGradeLabel(int grade)
{
    if (grade < -2) return u"幼-"_s;
    if (grade <= 0) return u"幼"_s + QString::number(grade + 3);
    if (grade <= 6) return u"小"_s + QString::number(grade);
    if (grade <= 9) return u"中"_s + QString::number(grade - 6);
    if (grade <= 12) return u"高"_s + QString::number(grade - 9);
    return u"大+"_s;
}

int gradeWithinSchool(int grade)
{
    if (grade <= 0) return grade - 6;
    if (grade <= 6) return grade;
    if (grade <= 9) return grade - 6;
    return grade - 9;
}

QString gradeMark(int grade)
{
    if (grade >= 1 && grade <= 6) return QString(QChar(0x2460 + grade - 1)); // ① …
    if (grade >= 7 && grade <= 9) return QString(QChar(0x2160 + grade - 7)); // Ⅰ …
    return u"　"_s;
}

const QStringList &gradeFilterTexts()
{
    static const QStringList texts = {u"全学年"_s, u"中学生全体"_s, u"小学生全体"_s, u"中３"_s,
                                      u"中２"_s,   u"中１"_s,       u"小６"_s,       u"小５"_s,
                                      u"小４"_s,   u"小３"_s,       u"小２"_s,       u"小１"_s};
    return texts;
}

bool gradeMatches(const QString &filter, int grade)
{
    if (filter == u"全学年") return true;
    if (filter == u"小学生全体") return grade >= 1 && grade <= 6;
    if (filter == u"中学生全体") return grade >= 7 && grade <= 9;
    for (int g = 1; g <= 9; ++g) {
        if (const std::optional<QString> label = storedGradeLabel(g); label && filter == *label)
            return grade == g;
    }
    return false;
}

} // namespace kemoro
