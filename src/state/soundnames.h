#pragma once

#include "platform/diagnostic.h"

#include <QString>

#include <array>

namespace kemoro {

// Which wave files play for each sound role, from "新音ファイル.txt".
struct SoundTable
{
    static constexpr int roles = 10;
    static constexpr int maxNames = 20;
    enum Role {
        Right1 = 1,
        Right2 = 2,
        Wrong1 = 3,
        Wrong2 = 4,
        Best1 = 5,
        Best2 = 6,
        PersonalBest1 = 7,
        PersonalBest2 = 8,
        PersonalBest3 = 9,
        Fail1 = 10,
    };

    // [row][column]: row 0 the role names, rows 1..20 the file names, row 21
    // the count as text; columns 1..10 are the roles.
    std::array<std::array<QString, roles + 1>, maxNames + 2> cell;

    SoundTable();
    static QString roleName(int role);
    int count(int role) const; // numeric value of row 21; empty is 0
    QString name(int role, int row) const { return cell[row][role]; }
    // Row n = integer part of (random x count + 1): 1..count, or 1 when empty.
    QString pick(int role, double random) const;
};

// Reads the groups of the sound-name file: a role name, up to 20 file names,
// then "*". A role listed twice takes the later group; a group of more than 20
// names leaves its count unset and the 21st field is read as an ordinary field.
// A group cut off by the end of the file keeps the names read (reported).
void loadSoundNames(const QString &path, SoundTable &table, Diagnostics &diagnostics);
// The same over the decoded text; `path` names the file in diagnostics.
void readSoundNames(const QString &text, const QString &path, SoundTable &table, Diagnostics &diagnostics);

} // namespace kemoro
