#pragma once

#include <QString>

#include <array>

namespace kemoro {

class RandomSource;

// What a level asks: kind 1 draws a product with two keypads of four digits;
// kind 2 and "no kind" leave the screen as it is (the previous product, all
// digits visible).
enum class QuestionKind { None, Drawn, Kept };

// Level 1 draws, level 2 keeps, level 3 picks one of the two with one random
// number; every other level asks nothing new.
QuestionKind questionKindFor(int level, RandomSource &random);

// A drawn question: the factors, the product and which digits 1..9 each
// keypad shows (index 0 unused).
struct Question
{
    int a = 0;
    int b = 0;
    int product() const { return a * b; }
    std::array<bool, 10> firstVisible{};
    std::array<bool, 10> secondVisible{};
};

inline constexpr int hiddenPerKeypad = 5;

// Draws a and b (2..9 each), then hides five digits of the first keypad,
// never a, and five of the second, never b, one random draw per try.
Question drawQuestion(RandomSource &random);

// The product as the screen shows it.
inline QString productText(const Question &q)
{
    return QString::number(q.product());
}

enum class Judgement { None = 0, Right = 1, Wrong = 2 };

// Only the product counts: any pair of picked digits that multiplies to the
// product shown is right. An empty label counts as 0, so judging with a digit
// missing is wrong.
Judgement judge(const QString &first, const QString &second, const QString &product);

// The net right answers: a right answer adds one, a wrong one takes one back
// but never below 0.
int afterJudgement(int correctCount, Judgement judgement);

} // namespace kemoro
