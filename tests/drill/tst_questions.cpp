#include "drill/questions.h"
#include "platform/clock.h"
#include "testsupport/fakes.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
// The random number that draws digit d (1..9) by int(random x 9 + 1).
double digit(int d)
{
    return (d - 1) / 9.0 + 0.01;
}
// ... and factor f (2..9) by int(random x 8 + 2).
double factor(int f)
{
    return (f - 2) / 8.0 + 0.01;
}

QString shown(const std::array<bool, 10> &visible)
{
    QString s;
    for (int d = 1; d <= 9; ++d)
        if (visible[size_t(d)]) s += QString::number(d);
    return s;
}
} // namespace

class TestQuestions : public QObject
{
    Q_OBJECT
private slots:
    void kind_data();
    void kind();
    void scriptedQuestion_data();
    void scriptedQuestion();
    void everyQuestionKeepsItsFactors();
    void stuckRandomNeverHangs();
    void judging_data();
    void judging();
    void netCount_data();
    void netCount();
};

void TestQuestions::kind_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("random");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("draws");
    const int none = int(QuestionKind::None), drawn = int(QuestionKind::Drawn),
              kept = int(QuestionKind::Kept);
    // clang-format off
    QTest::newRow("level 1 always draws")               << 1  << 0.9  << drawn << 0;
    QTest::newRow("level 2 keeps the product")          << 2  << 0.1  << kept  << 0;
    QTest::newRow("level 3 lower half draws")           << 3  << 0.49 << drawn << 1;
    QTest::newRow("level 3 upper half keeps")           << 3  << 0.5  << kept  << 1;
    QTest::newRow("level 5 asks nothing new")           << 5  << 0.1  << none  << 0;
    QTest::newRow("level 19 asks nothing new")          << 19 << 0.1  << none  << 0;
    // clang-format on
}

void TestQuestions::kind()
{
    QFETCH(int, level);
    QFETCH(double, random);
    QFETCH(int, kind);
    QFETCH(int, draws);
    test::FakeRandom r({random, 0.77}, 0.0);
    QCOMPARE(int(questionKindFor(level, r)), kind);
    // The next number tells how many the choice took.
    QCOMPARE(r.next(), draws == 0 ? random : 0.77);
}

void TestQuestions::scriptedQuestion_data()
{
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<int>("product");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    // clang-format off
    QTest::newRow("plain: 3 x 7")
        << QList<double>{factor(3), factor(7),
                         digit(1), digit(2), digit(4), digit(5), digit(6),
                         digit(1), digit(2), digit(3), digit(4), digit(5)}
        << 21 << u"3789"_s << u"6789"_s;
    QTest::newRow("a factor or a hidden digit drawn again is drawn anew")
        << QList<double>{factor(3), factor(7),
                         digit(3), digit(1), digit(1), digit(2), digit(4), digit(5), digit(6),
                         digit(7), digit(1), digit(2), digit(3), digit(4), digit(5)}
        << 21 << u"3789"_s << u"6789"_s;
    QTest::newRow("a = b keeps the same digit on both")
        << QList<double>{factor(9), factor(9),
                         digit(9), digit(1), digit(2), digit(3), digit(4), digit(5),
                         digit(9), digit(5), digit(6), digit(7), digit(8), digit(1)}
        << 81 << u"6789"_s << u"2349"_s;
    QTest::newRow("lowest and highest factors")
        << QList<double>{0.0, 0.9999,
                         digit(3), digit(4), digit(5), digit(6), digit(7),
                         digit(1), digit(2), digit(3), digit(4), digit(5)}
        << 18 << u"1289"_s << u"6789"_s;
    // clang-format on
}

void TestQuestions::scriptedQuestion()
{
    QFETCH(QList<double>, draws);
    QFETCH(int, product);
    QFETCH(QString, first);
    QFETCH(QString, second);
    test::FakeRandom r({draws.begin(), draws.end()}, 0.5);
    const Question q = drawQuestion(r);
    QCOMPARE(q.product(), product);
    QCOMPARE(productText(q), QString::number(product));
    QCOMPARE(shown(q.firstVisible), first);
    QCOMPARE(shown(q.secondVisible), second);
}

void TestQuestions::everyQuestionKeepsItsFactors()
{
    SystemRandom random(20261210);
    std::array<int, 10> seenA{};
    for (int i = 0; i < 5000; ++i) {
        const Question q = drawQuestion(random);
        QVERIFY(q.a >= 2 && q.a <= 9 && q.b >= 2 && q.b <= 9);
        QCOMPARE(shown(q.firstVisible).size(), 4);
        QCOMPARE(shown(q.secondVisible).size(), 4);
        QVERIFY(q.firstVisible[size_t(q.a)]);
        QVERIFY(q.secondVisible[size_t(q.b)]);
        ++seenA[size_t(q.a)];
    }
    for (int f = 2; f <= 9; ++f)
        QVERIFY2(seenA[size_t(f)] > 400, qPrintable(QString::number(f))); // about 625 each
}

void TestQuestions::stuckRandomNeverHangs()
{
    test::FakeRandom stuck({}, 0.0); // always digit 1, factor 2
    const Question q = drawQuestion(stuck);
    QCOMPARE(q.product(), 4);
    QCOMPARE(shown(q.firstVisible).size(), 4);
    QVERIFY(q.firstVisible[2]);
    QVERIFY(q.secondVisible[2]);
}

void TestQuestions::judging_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("judgement");
    const int right = int(Judgement::Right), wrong = int(Judgement::Wrong);
    // clang-format off
    QTest::newRow("the drawn factors")               << u"3"_s << u"7"_s << u"21"_s << right;
    QTest::newRow("the factors swapped")             << u"7"_s << u"3"_s << u"21"_s << right;
    QTest::newRow("another pair of the same product") << u"2"_s << u"6"_s << u"12"_s << right;
    QTest::newRow("a wrong pair")                    << u"3"_s << u"6"_s << u"21"_s << wrong;
    QTest::newRow("no digit picked")                 << QString() << QString() << u"21"_s << wrong;
    QTest::newRow("second digit missing")            << u"3"_s << QString() << u"21"_s << wrong;
    // clang-format on
}

void TestQuestions::judging()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, product);
    QFETCH(int, judgement);
    QCOMPARE(int(judge(first, second, product)), judgement);
}

void TestQuestions::netCount_data()
{
    QTest::addColumn<QString>("answers"); // r right, w wrong
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("reachesTenAt"); // 1-based judgement that makes ten, 0 never
    // clang-format off
    QTest::newRow("a wrong first answer stays at 0") << u"w"_s            << 0  << 0;
    QTest::newRow("wrong twice at 0 stays at 0")     << u"ww"_s           << 0  << 0;
    QTest::newRow("ten right")                       << u"rrrrrrrrrr"_s   << 10 << 10;
    QTest::newRow("nine right, one wrong, two right") << u"rrrrrrrrrwrr"_s << 10 << 12;
    QTest::newRow("a wrong takes one back")          << u"rrrw"_s         << 2  << 0;
    // clang-format on
}

void TestQuestions::netCount()
{
    QFETCH(QString, answers);
    QFETCH(int, count);
    QFETCH(int, reachesTenAt);
    int c = 0, at = 0;
    for (int i = 0; i < answers.size(); ++i) {
        c = afterJudgement(c, answers[i] == u'r' ? Judgement::Right : Judgement::Wrong);
        if (c >= 10 && at == 0) at = i + 1;
    }
    QCOMPARE(c, count);
    QCOMPARE(at, reachesTenAt);
}

QTEST_APPLESS_MAIN(TestQuestions)
#include "tst_questions.moc"
