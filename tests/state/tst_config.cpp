#include "state/config.h"
#include "state/startup.h"
#include "testsupport/fixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void schoolCode_data();
    void schoolCode();
    void seasonColour_data();
    void seasonColour();
    void installationConfigures();
    void foldersFollowTheProgramFolder();
    void brokenFiles_data();
    void brokenFiles();
    void startUpWritesNothing();
    void localLockMountIsWarnedOf();
    void noMessageShowsThePassword_data();
    void noMessageShowsThePassword();
};

void TestConfig::schoolCode_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    // clang-format off
    QTest::newRow("code and name")    << u"12345ケモロ教室"_s << u"12345"_s << u"ケモロ教室"_s;
    QTest::newRow("starts with text") << u"ケモロ教室"_s      << QString()  << u"ケモロ教室"_s;
    QTest::newRow("only five digits") << u"12345"_s           << u"12345"_s << QString();
    QTest::newRow("zeros are no code")<< u"00000教室"_s       << QString()  << u"00000教室"_s;
    QTest::newRow("numeric start")    << u"12ab教室"_s        << u"12ab教"_s << u"室"_s;
    // clang-format on
}

void TestConfig::schoolCode()
{
    QFETCH(QString, field);
    QFETCH(QString, code);
    QFETCH(QString, name);
    const SchoolName split = splitSchoolCode(field);
    QCOMPARE(split.code, code);
    QCOMPARE(split.name, name);
}

void TestConfig::seasonColour_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<quint32>("colour");
    QTest::newRow("January") << 1 << 33023u;
    QTest::newRow("February") << 2 << 33023u;
    QTest::newRow("March") << 3 << 12648384u;
    QTest::newRow("May") << 5 << 12648384u;
    QTest::newRow("June") << 6 << 12632064u;
    QTest::newRow("August") << 8 << 12632064u;
    QTest::newRow("September") << 9 << 16576u;
    QTest::newRow("November") << 11 << 16576u;
    QTest::newRow("December is spring's") << 12 << 12648384u;
}

void TestConfig::seasonColour()
{
    QFETCH(int, month);
    QFETCH(quint32, colour);
    QCOMPARE(kemoro::seasonColour(month), colour);
}

void TestConfig::installationConfigures()
{
    const test::Installation install(
        {.pupils = {{1, u"青木　さくら"_s, 1}},
         .criteria = {{u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s}},
         .sounds = {{u"正解音2"_s, {u"ピンポン1"_s, u"ピンポン2"_s}}},
         .school = u"12345ケモロ算数教室"_s,
         .password = u"1234"_s,
         .yearStartMonth = 4});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    Session session;
    Diagnostics diagnostics;
    QVERIFY(configure(session, install.programDir(), QDate(2026, 12, 10), diagnostics));
    QCOMPARE(diagnostics.size(), 0);
    QCOMPARE(session.folders.dataRoot, install.dataRoot());
    QCOMPARE(session.folders.dataFolder, install.dataFolder());
    QCOMPARE(session.folders.soundFolder, install.soundFolder());
    QCOMPARE(session.settings.schoolCode, u"12345"_s);
    QCOMPARE(session.settings.schoolName, u"ケモロ算数教室"_s);
    QCOMPARE(session.settings.teacherPassword, u"1234"_s);
    QCOMPARE(session.settings.yearStartMonth, 4);
    QCOMPARE(session.programTitle, u"ケモロ"_s);
    QCOMPARE(session.allLevelsSelectable, 1);
    QCOMPARE(session.seasonColour, 12648384u);
    QCOMPARE(session.criteria[1].targetTime, 30);
    QCOMPARE(session.criteria[1].minTime, 60);
    QCOMPARE(session.sounds.count(SoundTable::Right2), 2);
}

void TestConfig::foldersFollowTheProgramFolder()
{
    Folders folders;
    folders.programDir = u"/school/prog/drill/"_s;
    folders.dataRoot = u"/school/data/"_s;
    folders.derive();
    QCOMPARE(folders.progFolderName, u"drill"_s);
    QCOMPARE(folders.dataFolder, u"/school/data/drill/"_s);
    QCOMPARE(folders.soundFolder, u"/school/data/音フォルダ/"_s);
    QCOMPARE(folders.pathFile(), u"/school/prog/パスデータ.txt"_s);
    QCOMPARE(folders.launcherProgram(), u"/school/prog/起動/プログラムメニューc.exe"_s);
}

void TestConfig::brokenFiles_data()
{
    QTest::addColumn<QString>("file");    // relative to the installation root
    QTest::addColumn<QString>("content"); // empty: the file is removed
    QTest::addColumn<QString>("named");   // bare name the fatal message must carry
    // clang-format off
    QTest::newRow("no path file")        << u"パスデータ.txt"_s << QString()       << u"パスデータ.txt"_s;
    QTest::newRow("empty path file")     << u"パスデータ.txt"_s << u"\r\n"_s        << u"パスデータ.txt"_s;
    QTest::newRow("data root elsewhere") << u"パスデータ.txt"_s << u"../nowhere/\r\n"_s << u"共通データ.txt"_s;
    QTest::newRow("no common settings")  << u"データ/共通データ.txt"_s << QString() << u"共通データ.txt"_s;
    QTest::newRow("short settings")      << u"データ/共通データ.txt"_s << u"4\r\n12345教室\r\n0\r\n0\r\n\r\n"_s << u"共通データ.txt"_s;
    QTest::newRow("no criteria")         << u"データ/kemoro/タイム回数データ.txt"_s << QString() << u"タイム回数データ.txt"_s;
    QTest::newRow("no sound names")      << u"データ/音フォルダ/新音ファイル.txt"_s << QString() << u"新音ファイル.txt"_s;
    // Files that only hold settings are refused above 1 MiB, whatever they hold.
    const QString pastTheLimit(1024 * 1024, u' ');
    QTest::newRow("a runaway path file") << u"パスデータ.txt"_s << u"../データ/"_s + pastTheLimit << u"パスデータ.txt"_s;
    QTest::newRow("huge common settings") << u"データ/共通データ.txt"_s
                                          << u"4\r\n12345教室\r\n0\r\n0\r\n\r\n1234\r\n"_s + pastTheLimit << u"共通データ.txt"_s;
    QTest::newRow("huge sound names")    << u"データ/音フォルダ/新音ファイル.txt"_s << u"正解音2,a,*\r\n"_s + pastTheLimit
                                         << u"新音ファイル.txt"_s;
    // clang-format on
}

void TestConfig::brokenFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, content);
    QFETCH(QString, named);
    const test::Installation install({.pupils = {{1, u"青木　さくら"_s, 1}}});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    const QString path = install.root() + u'/' + file;
    if (content.isEmpty())
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(test::writeCp932(path, content));
    Session session;
    Diagnostics diagnostics;
    QVERIFY(!configure(session, install.programDir(), QDate(2026, 12, 10), diagnostics));
    QVERIFY(hasFatal(diagnostics));
    const auto fatal = std::find_if(diagnostics.cbegin(), diagnostics.cend(), [](const Diagnostic &d) {
        return d.severity == Diagnostic::Severity::Fatal;
    });
    QCOMPARE(fatal->fileName(), named);
    QVERIFY(!fatal->text.isEmpty());
}

void TestConfig::startUpWritesNothing()
{
    const test::Installation install({.pupils = {{1, u"青木　さくら"_s, 1}}});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    QVERIFY(QFile::remove(install.criteriaFile()));
    const QStringList before = QDir(install.dataFolder()).entryList(QDir::Files);
    Session session;
    Diagnostics diagnostics;
    configure(session, install.programDir(), QDate(2026, 12, 10), diagnostics);
    QCOMPARE(QDir(install.dataFolder()).entryList(QDir::Files), before);
}

void TestConfig::localLockMountIsWarnedOf()
{
    const test::Installation install({.pupils = {{1, u"青木　さくら"_s, 1}}});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    const QString mountPoint = QFileInfo(install.dataFolder()).canonicalFilePath();
    const QString mountInfo =
        u"29 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        u"41 29 0:45 / %1 rw,relatime shared:140 - cifs //srv/school rw,vers=3.1.1,nobrl\n"_s.arg(mountPoint);
    Session session;
    Diagnostics diagnostics;
    QVERIFY(configure(session, install.programDir(), QDate(2026, 12, 10), diagnostics,
                      [&] { return mountInfo; }));
    QCOMPARE(diagnostics.size(), 1);
    const Diagnostic &warning = diagnostics.first();
    QCOMPARE(warning.severity, Diagnostic::Severity::Warning);
    QCOMPARE(warning.filePath, session.folders.resultFile());
    for (const QString &part : {mountPoint + u" (cifs, nobrl)"_s, u"nobrl を付けずに"_s})
        QVERIFY2(warning.text.contains(part), qPrintable(warning.text));
}

void TestConfig::noMessageShowsThePassword_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("secret");         // a field that may be the password
    QTest::addColumn<bool>("passwordReadEmpty"); // the door then stays closed, with a warning
    // clang-format off
    QTest::newRow("a lost line: the password in field 4")  << u"4\r\n12345教室\r\n0\r\nSecret7\r\n\r\n\r\n"_s << u"Secret7"_s << true;
    QTest::newRow("lines shifted up: password in field 1") << u"Secret7\r\n12345教室\r\n0\r\n0\r\n\r\n\r\n"_s << u"Secret7"_s << true;
    QTest::newRow("a numeric password as the month")       << u"4321\r\n12345教室\r\n0\r\n0\r\n\r\n\r\n"_s << u"4321"_s << true;
    QTest::newRow("a numeric password as option 3")        << u"4\r\n12345教室\r\n99999\r\n0\r\n\r\n\r\n"_s << u"99999"_s << true;
    QTest::newRow("commas instead of lines")               << u"4,12345教室,0,0,,Secret7\r\n"_s << u"Secret7"_s << false;
    QTest::newRow("the password in its place")             << u"4\r\n12345教室\r\n0\r\n0\r\n\r\nSecret7\r\n"_s << u"Secret7"_s << false;
    // clang-format on
}

void TestConfig::noMessageShowsThePassword()
{
    QFETCH(QString, content);
    QFETCH(QString, secret);
    QFETCH(bool, passwordReadEmpty);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"共通データ.txt"_s);
    QVERIFY(test::writeCp932(path, content));
    Diagnostics diagnostics;
    const CommonSettings settings = readCommonSettings(path, diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics)) {
        QVERIFY2(!d.toLine().contains(secret), qPrintable(d.toLine()));
        QVERIFY2(!d.toMessage().contains(secret), qPrintable(d.toMessage()));
    }
    QCOMPARE(settings.teacherPassword.isEmpty(), passwordReadEmpty);
    const bool warned = std::any_of(diagnostics.cbegin(), diagnostics.cend(), [](const Diagnostic &d) {
        return d.severity == Diagnostic::Severity::Warning &&
               d.text.startsWith(u"パスワードが設定されていません"_s);
    });
    QCOMPARE(warned, passwordReadEmpty);
}

QTEST_APPLESS_MAIN(TestConfig)
#include "tst_config.moc"
