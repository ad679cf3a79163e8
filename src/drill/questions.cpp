#include "drill/questions.h"

#include "platform/clock.h"
#include "platform/text.h"

namespace kemoro {

QuestionKind questionKindFor(int level, RandomSource &random)
{
    switch (level) {
    case 1:
        return QuestionKind::Drawn;
    case 2:
        return QuestionKind::Kept;
    case 3:
        return random.pick(2, 1) == 1 ? QuestionKind::Drawn : QuestionKind::Kept;
    default:
        return QuestionKind::None;
    }
}

namespace {

// Hides five digits of a keypad, never `keep`. Each try draws 1..9 until it
// names a digit still shown other than `keep`. A source that keeps returning
// the same few numbers (a stuck generator) must not freeze the drill, so
// after many fruitless tries the lowest digit that may go is hidden instead.
void hideFive(std::array<bool, 10> &visible, int keep, RandomSource &random)
{
    constexpr int patience = 1000;
    for (int n = 0; n < hiddenPerKeypad; ++n) {
        int r = 0;
        for (int attempt = 0; attempt < patience; ++attempt) {
            const int candidate = random.pick(9, 1);
            if (candidate >= 1 && candidate <= 9 && visible[candidate] && candidate != keep) {
                r = candidate;
                break;
            }
        }
        if (r == 0) {
            for (int d = 1; d <= 9 && r == 0; ++d)
                if (visible[d] && d != keep) r = d;
        }
        visible[r] = false;
    }
}

} // namespace

Question drawQuestion(RandomSource &random)
{
    Question q;
    q.a = random.pick(8, 2);
    q.b = random.pick(8, 2);
    q.firstVisible.fill(true);
    q.secondVisible.fill(true);
    q.firstVisible[0] = q.secondVisible[0] = false;
    hideFive(q.firstVisible, q.a, random);
    hideFive(q.secondVisible, q.b, random);
    return q;
}

Judgement judge(const QString &first, const QString &second, const QString &product)
{
    return val(first) * val(second) == val(product) ? Judgement::Right : Judgement::Wrong;
}

int afterJudgement(int correctCount, Judgement judgement)
{
    switch (judgement) {
    case Judgement::Right:
        return correctCount + 1;
    case Judgement::Wrong:
        return correctCount > 0 ? correctCount - 1 : 0;
    case Judgement::None:
        break;
    }
    return correctCount;
}

} // namespace kemoro
