#pragma once

#include "platform/diagnostic.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace kemoro::demo {

// A demo installation for trying the program:
//   DIR/パスデータ.txt           the path file (data root "データ\", relative)
//   DIR/kemoro/                 the program folder, with the worksheet
//                               questions プロト.csv of levels 1..8
//   DIR/データ/共通データ.txt      school settings (teacher password "1234")
//   DIR/データ/新名簿.txt          about 30 pupils and one teacher
//   DIR/データ/音フォルダ/         the sound-name file and generated cues
//   DIR/データ/kemoro/            criteria of 24 levels, an explanation page
//                                 with its picture (kemoro --explain 解説.html)
// Files that exist are left alone. All text is CP932 with CR LF.
struct Installation
{
    QString root;
    QString programDir() const { return root + QStringLiteral("/kemoro"); }
    QString dataRoot() const;
    QString dataFolder() const;
    QString soundFolder() const;
};

inline constexpr auto teacherPassword = "1234";

// Creates what is missing; returns the problems met (nothing written twice).
Diagnostics create(const QString &root, QDate today);

// The single files, for tests that need one of them.
QByteArray pathFileText();
QByteArray commonSettingsText();
QByteArray rosterText(QDate today, int yearStartMonth = 4);
QByteArray soundNamesText();
QByteArray criteriaText();
// Worksheet questions, nine fields a line: levels 1..4 multiplication facts
// split into factor, factor and product, levels 5..8 proverbs in three parts.
QString worksheetFileName();
QByteArray worksheetQuestionsText();
// A short 16-bit PCM mono tone.
QByteArray toneWav(double frequency, int milliseconds, int sampleRate = 22050);

// The explanation page in the data folder (CP932 HTML) and its picture, a PNG
// of rows x columns dots: a product drawn as a rectangle.
QString explanationPageName();
QString explanationPictureName();
QByteArray explanationPageText();
QByteArray dotsPng(int rows, int columns);

} // namespace kemoro::demo
