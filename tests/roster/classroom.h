#pragma once

#include "testsupport/installation.h"

#include <QDate>

namespace kemoro::test {

// Pupils of every stage, youngest to oldest: two pre-school, one first
// grader, five third graders with 佐藤　みお as pupil 10, four middle
// schoolers and a teacher; 中村 (status 2) and 林 (status 1) are not listed.
// Level 1's target time is 30 s.
inline Classroom rosterClassroom(QDate today)
{
    using namespace Qt::StringLiterals;
    return {.pupils = {{1, u"岡田　りく"_s, -1},
                       {2, u"和田　ここな"_s, 0},
                       {3, u"青木　さくら"_s, 1},
                       {8, u"工藤　ゆうと"_s, 3},
                       {9, u"小林　あおい"_s, 3},
                       {10, u"佐藤　みお"_s, 3},
                       {11, u"清水　かいと"_s, 3},
                       {12, u"鈴木　りこ"_s, 3},
                       {16, u"中村　いつき"_s, 4, 2},
                       {20, u"林　そうすけ"_s, 5, 1},
                       {24, u"森　ひかる"_s, 7},
                       {25, u"山口　まなと"_s, 7},
                       {26, u"吉田　ももか"_s, 8},
                       {27, u"渡辺　だいち"_s, 9},
                       {30, u"山田先生"_s, 20}},
            .criteria = {{u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s}},
            .today = today};
}
inline constexpr int listedPupils = 13;
inline constexpr int thirdGraders = 5;
inline constexpr int middleSchoolers = 4;

} // namespace kemoro::test
