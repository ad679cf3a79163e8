#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kemoro::test {

// One line of the roster. The grade counts in the school year of the
// installation's `today`; a teacher is a pupil whose name carries "先生" or "★".
struct Pupil
{
    int number = 0;
    QString name;
    int grade = 0;
    int status = 0; // 0 listed; 2 listed only with the third common setting; others never
};

// One role of the sound-name file and the wave files it picks from.
struct SoundGroup
{
    QString role;
    QStringList files; // base names, without ".wav"
};

// The criteria line every level gets unless a test gives its own: target
// 30 s, minimum 60 s, cleared by 100 points or 5 passes, points rate 1,
// barred after 20 drills or 300 points, 7 days judged, 1 day barred. The
// fields follow the header 目標Time, 最低Time, ｸﾘｱﾎﾟｲﾝﾄ, ｸﾘｱ回数, ﾎﾟｲﾝﾄ倍率, 禁回,
// 禁点, 判期間, 禁期間 (three spare fields may follow).
QStringList defaultCriteriaLine();
// Levels 1..24 (every level of the default level table, so that `check` finds
// none without times), each with the line above.
QList<QStringList> defaultCriteria();
// One file a role: 正解音 ピンポン1, 間違い音 ブー1, 最高音 ファンファーレ1,
// 自己最高音 やったね1, 不合格音 ざんねん1.
QList<SoundGroup> defaultSounds();

// What a test installation holds. Only the pupils are always the test's own;
// everything else has the stated default.
struct Classroom
{
    QList<Pupil> pupils = {};
    QList<QStringList> criteria = defaultCriteria(); // the lines of levels 1, 2, … after the header
    QList<SoundGroup> sounds = defaultSounds();
    QString school = QStringLiteral("12345ケモロ算数教室"); // field 2: school code and name
    QString password = QStringLiteral("1234");              // field 6
    int yearStartMonth = 4;                                 // field 1
    int commonSetting3 = 0;                                 // field 3: 1 lists status-2 pupils too
    QList<QStringList> worksheet = {}; // プロト.csv, nine fields a question; none: no file
    QDate today = QDate(2026, 12, 10); // the date the grades count from
};

// A temporary installation with the files of `classroom`, all CP932 with
// CR LF through the program's own encoder:
//   ROOT/パスデータ.txt                data root "..\データ\" (relative, Windows separators)
//   ROOT/kemoro/                      the program folder (プロト.csv when asked)
//   ROOT/データ/共通データ.txt, 新名簿.txt
//   ROOT/データ/音フォルダ/            新音ファイル.txt and a tiny WAV per name,
//                                     最高1.wav and 合格.wav
//   ROOT/データ/kemoro/タイム回数データ.txt
// No result file: the program creates it on the first drill.
class Installation
{
public:
    explicit Installation(const Classroom &classroom = {});

    // Empty when every file was written; otherwise what failed. Tests
    // QVERIFY2(install.isValid(), qPrintable(install.error())).
    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }

    const Classroom &classroom() const { return m_classroom; }
    QString root() const;
    QString programDir() const;
    QString dataRoot() const;
    QString dataFolder() const;
    QString soundFolder() const;
    QString pathFile() const;
    QString rosterFile() const;
    QString criteriaFile() const;
    QString resultFile() const;

private:
    void fail(const QString &what);
    void writeLines(const QString &path, const QList<QStringList> &lines);
    void writeFile(const QString &path, const QByteArray &bytes);

    QTemporaryDir m_dir;
    Classroom m_classroom;
    QString m_error;
};

// The school year of birth of a grade in `classroom`'s school year, as the
// roster stores it.
int birthYearOf(const Classroom &classroom, int grade);

// A wave file of `milliseconds` of silence (16-bit PCM mono, 8000 Hz).
QByteArray silentWav(int milliseconds = 20);

} // namespace kemoro::test
