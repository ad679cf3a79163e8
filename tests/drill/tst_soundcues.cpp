#include "platform/clock.h"
#include "state/soundcues.h"
#include "testsupport/fakes.h"

#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray chunk(const QByteArray &id, const QByteArray &body, quint32 declared = 0)
{
    QByteArray c = id + le32(declared ? declared : quint32(body.size())) + body;
    if (body.size() % 2) c += '\0';
    return c;
}

// A PCM format chunk: mono, 16 bits, at the given sample rate.
QByteArray fmt(quint32 rate)
{
    QByteArray b;
    b += QByteArray::fromHex("0100"); // PCM
    b += QByteArray::fromHex("0100"); // one channel
    b += le32(rate);
    b += le32(rate * 2);              // byte rate
    b += QByteArray::fromHex("0200"); // block align
    b += QByteArray::fromHex("1000"); // bits
    return chunk("fmt ", b);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

} // namespace

class TestSoundCues : public QObject
{
    Q_OBJECT
private slots:
    void cueFiles_data();
    void cueFiles();
    void failureMonitor_data();
    void failureMonitor();
    void failureMessage();
    void wavLength_data();
    void wavLength();
    void silentPlayer();
};

void TestSoundCues::cueFiles_data()
{
    QTest::addColumn<int>("cue");
    QTest::addColumn<double>("random");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("drawsRandom");
    QTest::addColumn<bool>("monitored");
    // clang-format off
    QTest::newRow("right: first of two")        << int(Cue::Right)        << 0.49 << u"ピンポン1.wav"_s  << true  << true;
    QTest::newRow("right: second of two")       << int(Cue::Right)        << 0.5  << u"ピンポン2.wav"_s  << true  << true;
    QTest::newRow("wrong plays role 4")         << int(Cue::Wrong)        << 0.0  << u"ブー2.wav"_s      << true  << true;
    QTest::newRow("personal best plays role 8") << int(Cue::PersonalBest) << 0.0  << u"やったね2.wav"_s  << true  << false;
    QTest::newRow("a role without names fails") << int(Cue::Fail)         << 0.3  << u".wav"_s          << true  << false;
    QTest::newRow("level best is fixed")        << int(Cue::LevelBest)    << 0.3  << u"最高1.wav"_s      << false << false;
    QTest::newRow("pass is fixed")              << int(Cue::Pass)         << 0.3  << u"合格.wav"_s       << false << false;
    // clang-format on
}

void TestSoundCues::cueFiles()
{
    QFETCH(int, cue);
    QFETCH(double, random);
    QFETCH(QString, file);
    QFETCH(bool, drawsRandom);
    QFETCH(bool, monitored);
    SoundTable table;
    table.cell[1][SoundTable::Right2] = u"ピンポン1"_s;
    table.cell[2][SoundTable::Right2] = u"ピンポン2"_s;
    table.cell[21][SoundTable::Right2] = u"2"_s;
    table.cell[1][SoundTable::Wrong2] = u"ブー2"_s;
    table.cell[21][SoundTable::Wrong2] = u"1"_s;
    table.cell[1][SoundTable::PersonalBest2] = u"やったね2"_s;
    table.cell[21][SoundTable::PersonalBest2] = u"1"_s;
    Folders folders;
    folders.soundFolder = u"/data/音フォルダ/"_s;
    test::FakeRandom r({random, 0.875});
    QCOMPARE(cueFile(Cue(cue), table, folders, r), folders.soundFolder + file);
    QCOMPARE(r.next(), drawsRandom ? 0.875 : random);
    QCOMPARE(isMonitored(Cue(cue)), monitored);
}

void TestSoundCues::failureMonitor_data()
{
    QTest::addColumn<QString>("codes"); // one play per character, 0 = played
    QTest::addColumn<int>("endsAt");    // 1-based play that ends the program, 0 never
    QTest::addColumn<int>("failuresAfter");
    // clang-format off
    QTest::newRow("three failures are borne")         << u"111"_s      << 0 << 3;
    QTest::newRow("the fourth in a row ends")         << u"1111"_s     << 4 << 3;
    QTest::newRow("a success starts the count again") << u"11101110"_s << 0 << 0;
    QTest::newRow("alternating never ends")           << u"1010101010"_s << 0 << 0;
    QTest::newRow("four after a success end")         << u"01111"_s    << 5 << 3;
    // clang-format on
}

void TestSoundCues::failureMonitor()
{
    QFETCH(QString, codes);
    QFETCH(int, endsAt);
    QFETCH(int, failuresAfter);
    SoundFailureMonitor monitor;
    int ended = 0;
    for (int i = 0; i < codes.size() && ended == 0; ++i) {
        const int code = codes[i].digitValue();
        if (monitor.record({code, code ? u"device"_s : QString()})) ended = i + 1;
    }
    QCOMPARE(ended, endsAt);
    QCOMPARE(monitor.failures(), failuresAfter);
}

void TestSoundCues::failureMessage()
{
    QCOMPARE(soundFailureTitle(), u"音声エラー"_s);
    QCOMPARE(soundFailureMessage(u"no audio output device"_s),
             u"音声がでません。先生を呼びなさい。\r\nno audio output device"_s);
}

void TestSoundCues::wavLength_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("ms");     // -1: not a wave file
    const QByteArray tenth(1600, '\0'); // 0.1 s at 8000 Hz, 16 bits
    // clang-format off
    QTest::newRow("plain PCM")                       << riff(fmt(8000) + chunk("data", tenth)) << qint64(100);
    QTest::newRow("a chunk before the data")         << riff(fmt(8000) + chunk("LIST", "abc") + chunk("data", tenth)) << qint64(100);
    QTest::newRow("data cut off by the file's end")  << riff(fmt(8000) + chunk("data", tenth.left(800), 1600)) << qint64(50);
    QTest::newRow("no format chunk")                 << riff(chunk("data", tenth)) << qint64(-1);
    QTest::newRow("not RIFF")                        << QByteArray("ID3\x04 and more bytes") << qint64(-1);
    QTest::newRow("empty")                           << QByteArray() << qint64(-1);
    // clang-format on
}

void TestSoundCues::wavLength()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, ms);
    const std::optional<qint64> length = wavDurationMs(bytes);
    QCOMPARE(length.value_or(-1), ms);
}

void TestSoundCues::silentPlayer()
{
    SilentSoundPlayer silent;
    int played = 0;
    silent.play(u"/no/such/folder/ピンポン1.wav"_s, [&](const SoundResult &result) {
        QCOMPARE(result.code, soundcode::ok);
        ++played;
    });
    QCOMPARE(played, 1); // at once: how long the cue lasts is the cue player's part
    QVERIFY(playsSilently(&silent));
    QVERIFY(playsSilently(nullptr));
    QVERIFY(!wavFileDurationMs(u"/no/such/folder/ピンポン1.wav"_s));
}

QTEST_APPLESS_MAIN(TestSoundCues)
#include "tst_soundcues.moc"
