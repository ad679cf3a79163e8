#include "state/soundnames.h"
#include "testsupport/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestSoundNames : public QObject
{
    Q_OBJECT
private slots:
    void groups();
    void roleListedTwiceTakesTheLaterGroup();
    void moreThanTwentyNames();
    void unclosedGroupKeepsItsNames();
    void pickCoversEveryName();

private:
    SoundTable load(const QString &text, Diagnostics &diagnostics);
    QTemporaryDir m_dir;
};

SoundTable TestSoundNames::load(const QString &text, Diagnostics &diagnostics)
{
    const QString path = m_dir.filePath(u"新音ファイル.txt"_s);
    test::writeCp932(path, text);
    SoundTable table;
    loadSoundNames(path, table, diagnostics);
    return table;
}

void TestSoundNames::groups()
{
    Diagnostics d;
    const SoundTable t = load(u"メモ,正解音2\r\nok1,ok2,ok3\r\n*\r\n間違い音2,ng1,*\r\n"_s, d);
    QCOMPARE(d.size(), 0);
    QCOMPARE(t.count(SoundTable::Right2), 3);
    QCOMPARE(t.name(SoundTable::Right2, 3), u"ok3"_s);
    QCOMPARE(t.count(SoundTable::Wrong2), 1);
    QCOMPARE(t.count(SoundTable::Fail1), 0); // a role not in the file
    QCOMPARE(t.cell[0][SoundTable::Fail1], u"不合格音1"_s);
}

void TestSoundNames::roleListedTwiceTakesTheLaterGroup()
{
    Diagnostics d;
    const SoundTable t = load(u"正解音2,a,b,*\r\n正解音2,c,*\r\n"_s, d);
    QCOMPARE(t.count(SoundTable::Right2), 1);
    QCOMPARE(t.pick(SoundTable::Right2, 0.99), u"c"_s);
}

void TestSoundNames::moreThanTwentyNames()
{
    QString text = u"正解音2"_s;
    for (int i = 1; i <= 21; ++i)
        text += u",n%1"_s.arg(i);
    text += u",*,間違い音2,x,*\r\n"_s;
    Diagnostics d;
    const SoundTable t = load(text, d);
    QCOMPARE(t.count(SoundTable::Right2), 0); // count stays unset
    QCOMPARE(t.name(SoundTable::Right2, 20), u"n20"_s);
    QCOMPARE(t.count(SoundTable::Wrong2), 1); // reading goes on after the 21st field
    QCOMPARE(d.size(), 1);
}

void TestSoundNames::unclosedGroupKeepsItsNames()
{
    Diagnostics d;
    const SoundTable t = load(u"正解音2,a,b\r\n"_s, d);
    QCOMPARE(t.count(SoundTable::Right2), 2);
    QCOMPARE(d.size(), 1);
    QCOMPARE(d.first().severity, Diagnostic::Severity::Warning);
    QCOMPARE(d.first().location, u"line 1"_s);
}

void TestSoundNames::pickCoversEveryName()
{
    Diagnostics d;
    const SoundTable t = load(u"正解音2,a,b,c,*\r\n"_s, d);
    QCOMPARE(t.pick(SoundTable::Right2, 0.0), u"a"_s);
    QCOMPARE(t.pick(SoundTable::Right2, 0.34), u"b"_s);
    QCOMPARE(t.pick(SoundTable::Right2, 0.9999), u"c"_s);
    QCOMPARE(t.pick(SoundTable::Fail1, 0.5), QString()); // no names: row 1, empty
}

QTEST_APPLESS_MAIN(TestSoundNames)
#include "tst_soundnames.moc"
