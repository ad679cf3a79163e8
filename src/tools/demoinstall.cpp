#include "tools/demoinstall.h"

#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "platform/sound.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QtEndian>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro::demo {

QString Installation::dataRoot() const
{
    return root + u"/データ/"_s;
}
QString Installation::dataFolder() const
{
    return dataRoot() + u"kemoro/"_s;
}
QString Installation::soundFolder() const
{
    return dataRoot() + u"音フォルダ/"_s;
}

namespace {

QByteArray lines(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows)
        text += joinLine(row);
    return cp932::encodeLossy(text);
}

struct Cue
{
    const char16_t *role;
    QList<std::pair<QString, double>> files; // base name, tone frequency
};

QList<Cue> cues()
{
    return {
        {u"正解音1", {{u"ピンポン1"_s, 880}}},
        {u"正解音2", {{u"ピンポン1"_s, 880}, {u"ピンポン2"_s, 988}}},
        {u"間違い音1", {{u"ブー1"_s, 196}}},
        {u"間違い音2", {{u"ブー1"_s, 196}, {u"ブー2"_s, 175}}},
        {u"最高音1", {{u"ファンファーレ1"_s, 1047}}},
        {u"最高音2", {{u"ファンファーレ1"_s, 1047}}},
        {u"自己最高音1", {{u"やったね1"_s, 784}}},
        {u"自己最高音2", {{u"やったね1"_s, 784}, {u"やったね2"_s, 659}}},
        {u"自己最高音3", {{u"やったね2"_s, 659}}},
        {u"不合格音1", {{u"ざんねん1"_s, 262}}},
    };
}

void writeIfMissing(const QString &path, const QByteArray &bytes, Diagnostics &diagnostics)
{
    if (QFileInfo::exists(path)) return;
    if (std::optional<Diagnostic> failed = writeFileAtomic(path, bytes)) diagnostics.append(*failed);
}

} // namespace

QByteArray pathFileText()
{
    // Relative to the program folder; the separators are Windows', as the
    // other computers of a classroom write them.
    return lines({{u"..\\データ\\"_s}});
}

QByteArray commonSettingsText()
{
    return lines({{u"4"_s},
                  {u"12345ケモロ算数教室"_s},
                  {u"0"_s},
                  {u"0"_s},
                  {QString()},
                  {QString::fromLatin1(teacherPassword)},
                  {QString()},
                  {QString()},
                  {QString()},
                  {QString()}});
}

QByteArray rosterText(QDate today, int yearStartMonth)
{
    const int schoolYear = today.month() < yearStartMonth ? today.year() - 1 : today.year();
    struct Pupil
    {
        const char16_t *name;
        int grade;
        int status;
    };
    static const Pupil pupils[] = {
        {u"青木　さくら", 1, 0}, {u"石井　はると", 1, 0}, {u"上田　ゆい", 1, 0},   {u"江藤　そうた", 2, 0},
        {u"大野　ひな", 2, 0},   {u"加藤　れん", 2, 0},   {u"木村　めい", 2, 0},   {u"工藤　ゆうと", 3, 0},
        {u"小林　あおい", 3, 0}, {u"佐藤　みお", 3, 0},   {u"清水　かいと", 3, 0}, {u"鈴木　りこ", 3, 0},
        {u"田中　こはる", 4, 0}, {u"千葉　ゆうま", 4, 0}, {u"土屋　ほのか", 4, 0}, {u"中村　いつき", 4, 2},
        {u"西田　あかり", 5, 0}, {u"野口　たくみ", 5, 0}, {u"橋本　ことね", 5, 0}, {u"林　そうすけ", 5, 1},
        {u"藤井　ゆな", 6, 0},   {u"前田　こうき", 6, 0}, {u"松本　ちひろ", 6, 0}, {u"森　ひかる", 7, 0},
        {u"山口　まなと", 7, 0}, {u"吉田　ももか", 8, 0}, {u"渡辺　だいち", 9, 0}, {u"和田　ここな", 0, 0},
        {u"岡田　りく", -1, 0},  {u"山田先生", 20, 0},
    };
    QList<QStringList> rows;
    int number = 1;
    for (const Pupil &p : pupils) {
        const int birthYear = schoolYear - p.grade - 6;
        rows.append({QString::number(number++), QString::number(birthYear), u"0"_s, u"0"_s,
                     QString::fromUtf16(p.name), QString::number(p.status), QString(), QString()});
    }
    return lines(rows);
}

QByteArray soundNamesText()
{
    QList<QStringList> rows;
    for (const Cue &cue : cues()) {
        rows.append({QString::fromUtf16(cue.role)});
        for (const auto &file : cue.files)
            rows.append({file.first});
        rows.append({u"*"_s});
    }
    return lines(rows);
}

QByteArray criteriaText()
{
    QList<QStringList> rows;
    rows.append(QStringList{u"目標Time"_s, u"最低Time"_s, u"ｸﾘｱﾎﾟｲﾝﾄ"_s, u"ｸﾘｱ回数"_s, u"ﾎﾟｲﾝﾄ倍率"_s,
                            u"禁回"_s, u"禁点"_s, u"判期間"_s, u"禁期間"_s, QString(), QString(), QString()});
    for (int level = 1; level <= 24; ++level) {
        const int stage = (level + 2) / 3; // 1..8
        const int target = 25 + 5 * stage;
        const int minimum = target * 2;
        const QString rate = level % 3 == 0 ? u"1.5"_s : u"1"_s;
        rows.append({QString::number(target), QString::number(minimum), u"100"_s, u"5"_s, rate, u"20"_s,
                     u"300"_s, u"7"_s, u"1"_s, QString(), QString(), QString()});
    }
    return lines(rows);
}

QByteArray toneWav(double frequency, int milliseconds, int sampleRate)
{
    const int samples = sampleRate * milliseconds / 1000;
    QByteArray data(samples * 2, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / sampleRate;
        const double envelope = std::min(1.0, std::min(i, samples - i) / (0.01 * sampleRate));
        const auto value = qint16(std::lround(9000 * envelope * std::sin(2 * M_PI * frequency * t)));
        qToLittleEndian(value, data.data() + 2 * i);
    }
    return monoWav(data, sampleRate);
}

QString explanationPageName()
{
    return u"解説.html"_s;
}
QString explanationPictureName()
{
    return u"解説.png"_s;
}

QByteArray explanationPageText()
{
    const QString page = uR"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="Shift_JIS">
<title>ケモロの解説</title>
</head>
<body>
<h1>ケモロ：九九を逆からとく</h1>
<p>問題には答え（かけ算の積）が出ます。たとえば <b>12</b> です。</p>
<p><img src="%1" alt="たて3こ、よこ4この点"></p>
<p>点がたてに3こ、よこに4こならんでいます。3×4＝12 ですね。</p>
<p>2つのボタンのならびから、かけて 12 になる数を1つずつえらんで「判定」をおします。</p>
<p>10問正解するとおわりです。まちがえると正解の数が1つへります。</p>
</body>
</html>
)"_s.arg(explanationPictureName());
    QString text;
    for (const QString &line : page.split(u'\n', Qt::SkipEmptyParts))
        text += line + u"\r\n"_s;
    return cp932::encodeLossy(text);
}

namespace {

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    char number[4];
    qToBigEndian(quint32(data.size()), number);
    png.append(number, 4);
    const QByteArray typed = QByteArray(type, 4) + data;
    png.append(typed);
    qToBigEndian(crc32(typed), number);
    png.append(number, 4);
}

} // namespace

QByteArray dotsPng(int rows, int columns)
{
    constexpr int pitch = 40;
    constexpr int margin = 12;
    constexpr int radius = 14;
    const int width = 2 * margin + columns * pitch;
    const int height = 2 * margin + rows * pitch;
    QByteArray pixels;
    pixels.reserve(height * (1 + 3 * width));
    for (int y = 0; y < height; ++y) {
        pixels.append('\0'); // no filter
        for (int x = 0; x < width; ++x) {
            const int cx = margin + ((x - margin) / pitch) * pitch + pitch / 2;
            const int cy = margin + ((y - margin) / pitch) * pitch + pitch / 2;
            const bool inside = x >= margin && y >= margin && x < width - margin && y < height - margin;
            const bool dot = inside && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
            pixels.append(dot ? "\xF0\x80\x20" : "\xFF\xFF\xFF", 3);
        }
    }
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", qCompress(pixels).mid(4)); // without Qt's length prefix: a plain zlib stream
    appendChunk(png, "IEND", {});
    return png;
}

QString worksheetFileName()
{
    return u"プロト.csv"_s;
}

QByteArray worksheetQuestionsText()
{
    const auto wide = [](int n) {
        QString digits = QString::number(n);
        for (QChar &c : digits)
            c = QChar(c.unicode() - u'0' + u'０');
        return digits;
    };
    QList<QStringList> rows;
    for (int level = 1; level <= 4; ++level)
        for (int a = 2; a <= 6; ++a) {
            const int b = 2 * level + (a % 2);
            rows.append({QString::number(level),
                         wide(a),
                         u"×"_s + wide(b),
                         u"＝"_s + wide(a * b),
                         {},
                         {},
                         {},
                         {},
                         {}});
        }
    const char16_t *proverbs[][3] = {
        {u"犬も", u"歩けば", u"棒に当たる"},
        {u"猿も", u"木から", u"落ちる"},
        {u"石の", u"上にも", u"三年"},
        {u"ちりも", u"積もれば", u"山となる"},
        {u"百聞は", u"一見に", u"しかず"},
        {u"早起きは", u"三文の", u"徳"},
        {u"笑う門には", u"福", u"来たる"},
        {u"良薬は", u"口に", u"苦し"},
        {u"案ずるより", u"産むが", u"易し"},
        {u"二兎を追う者は", u"一兎をも", u"得ず"},
        {u"能ある鷹は", u"爪を", u"隠す"},
        {u"三人寄れば", u"文殊の", u"知恵"},
        {u"雨降って", u"地", u"固まる"},
        {u"失敗は", u"成功の", u"もと"},
        {u"帯に短し", u"たすきに", u"長し"},
        {u"石橋を", u"たたいて", u"渡る"},
        {u"果報は", u"寝て", u"待て"},
        {u"好きこそ", u"物の", u"上手なれ"},
        {u"鬼に", u"金", u"棒"},
        {u"覆水", u"盆に", u"返らず"},
    };
    int i = 0;
    for (const auto &p : proverbs)
        rows.append({QString::number(5 + i++ / 5),
                     QString::fromUtf16(p[0]),
                     QString::fromUtf16(p[1]),
                     QString::fromUtf16(p[2]),
                     {},
                     {},
                     {},
                     {},
                     {}});
    return lines(rows);
}

Diagnostics create(const QString &root, QDate today)
{
    Diagnostics diagnostics;
    Installation install{QDir(root).absolutePath()};
    for (const QString &folder : {install.programDir(), install.dataFolder(), install.soundFolder()}) {
        if (!QDir().mkpath(folder))
            diagnostics.append({Diagnostic::Severity::Fatal, folder, Diagnostic::fileLocation(),
                                u"cannot create the folder"_s});
    }
    if (!diagnostics.isEmpty()) return diagnostics;
    writeIfMissing(install.root + u"/パスデータ.txt"_s, pathFileText(), diagnostics);
    writeIfMissing(install.dataRoot() + u"共通データ.txt"_s, commonSettingsText(), diagnostics);
    writeIfMissing(install.dataRoot() + u"新名簿.txt"_s, rosterText(today), diagnostics);
    writeIfMissing(install.soundFolder() + u"新音ファイル.txt"_s, soundNamesText(), diagnostics);
    writeIfMissing(install.dataFolder() + u"タイム回数データ.txt"_s, criteriaText(), diagnostics);
    for (const Cue &cue : cues())
        for (const auto &file : cue.files)
            writeIfMissing(install.soundFolder() + file.first + u".wav"_s, toneWav(file.second, 300),
                           diagnostics);
    writeIfMissing(install.soundFolder() + u"最高1.wav"_s, toneWav(1319, 600), diagnostics);
    writeIfMissing(install.soundFolder() + u"合格.wav"_s, toneWav(1175, 600), diagnostics);
    writeIfMissing(install.programDir() + u"/"_s + worksheetFileName(), worksheetQuestionsText(),
                   diagnostics);
    writeIfMissing(install.dataFolder() + explanationPageName(), explanationPageText(), diagnostics);
    writeIfMissing(install.dataFolder() + explanationPictureName(), dotsPng(3, 4), diagnostics);
    return diagnostics;
}

} // namespace kemoro::demo
