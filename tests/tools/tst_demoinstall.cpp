#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "print/worksheet.h"
#include "testsupport/fixtures.h"
#include "tools/demoinstall.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestDemoInstall : public QObject
{
    Q_OBJECT
private slots:
    void textFilesAreCp932WithCrLf();
    void rosterHasGradesAndATeacher();
    void cuesAreShortPcmWaves();
    void existingFilesAreKept();
    void worksheetQuestionsCoverEveryLevel();
};

void TestDemoInstall::textFilesAreCp932WithCrLf()
{
    QTemporaryDir dir;
    QVERIFY(demo::create(dir.path(), QDate(2026, 12, 10)).isEmpty());
    QDirIterator it(dir.path(), {u"*.txt"_s}, QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QByteArray bytes = test::readBytes(it.next());
        ++files;
        QVERIFY2(cp932::decode(bytes).clean(), qPrintable(it.filePath()));
        QVERIFY2(bytes.endsWith("\r\n"), qPrintable(it.filePath()));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n")); // no bare LF
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n")); // no bare CR
    }
    QCOMPARE(files, 5);
}

void TestDemoInstall::rosterHasGradesAndATeacher()
{
    FieldReader reader(cp932::decode(demo::rosterText(QDate(2026, 12, 10))).text);
    QSet<int> birthYears;
    int pupils = 0;
    bool teacher = false;
    while (!reader.atEnd()) {
        QStringList fields;
        for (int i = 0; i < 8; ++i)
            fields.append(reader.next().text);
        ++pupils;
        birthYears.insert(fields.at(1).toInt());
        teacher = teacher || fields.at(4).contains(u"先生"_s);
        QCOMPARE(fields.at(0).toInt(), pupils); // numbered 1..n, one pupil per line
    }
    QVERIFY(pupils >= 25 && pupils <= 40);
    QVERIFY(birthYears.size() >= 8);
    QVERIFY(birthYears.contains(2026 - 3 - 6)); // a third grader in school year 2026
    QVERIFY(teacher);
}

void TestDemoInstall::cuesAreShortPcmWaves()
{
    const QByteArray wav = demo::toneWav(880, 300, 22050);
    QVERIFY(wav.startsWith("RIFF"));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 20), quint16(1)); // PCM
    QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 34), quint16(16));
    QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 40), quint32(22050 * 300 / 1000 * 2));
    QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
}

void TestDemoInstall::existingFilesAreKept()
{
    QTemporaryDir dir;
    QVERIFY(demo::create(dir.path(), QDate(2026, 12, 10)).isEmpty());
    const demo::Installation install{dir.path()};
    const QString roster = install.dataRoot() + u"新名簿.txt"_s;
    QVERIFY(test::writeCp932(roster, u"1,2019,0,0,だれか,0,,\r\n"_s));
    QVERIFY(demo::create(dir.path(), QDate(2026, 12, 10)).isEmpty());
    QCOMPARE(cp932::decode(test::readBytes(roster)).text, u"1,2019,0,0,だれか,0,,\r\n"_s);
}

void TestDemoInstall::worksheetQuestionsCoverEveryLevel()
{
    const print::QuestionFile file =
        print::parseQuestionFile(cp932::decode(demo::worksheetQuestionsText()).text, u"プロト.csv"_s);
    QVERIFY(file.diagnostics.isEmpty());
    for (int level = 1; level <= 8; ++level) {
        const auto count = std::count_if(file.questions.begin(), file.questions.end(),
                                         [&](const print::WorksheetQuestion &q) { return q.level == level; });
        QVERIFY2(count >= 3, qPrintable(u"level %1"_s.arg(level)));
    }
}

QTEST_APPLESS_MAIN(TestDemoInstall)
#include "tst_demoinstall.moc"
