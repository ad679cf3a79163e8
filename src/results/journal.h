#pragma once

#include "results/resultrecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kemoro::journal {

// The journal "成績累積データtemp.dat" that makes a correction or deletion of
// the shared result file survive a crash. Every slot is 44 bytes, like the
// records, so that the file keeps the old records readable for a person:
//
//   slot 0          header: tells this program's journal from another
//                   program's copy of the result file
//   slots 1 and 2   the two marks, written alternately: a state change never
//                   destroys the last valid mark
//   slots 3 ...     the bodies the marks point to: the old records from the
//                   first changed one on (a deletion), or the old and the new
//                   record (a correction)
//
// Header, marks and fillers are records with level 0 and pupil 0, which every
// reader of the result file skips. A mark's checksum covers the header and its
// body, so a mark is valid only when everything it relies on reached the disk.

inline constexpr qsizetype slot = record::size;
inline constexpr qsizetype markSlots[2] = {1, 2};
inline constexpr qsizetype firstBodySlot = 3;

enum class Operation : quint8 { Delete = 1, Replace = 2 };
enum class State : quint8 {
    Journalled = 1, // the new records may be partly written; the file still has its old length
    Cutting = 2,    // the new records and the filler are on the disk; the cut may have happened
};

struct Mark
{
    quint64 sequence = 0;  // the newer of two valid marks wins
    State state = State::Journalled;
    Operation operation = Operation::Delete;
    qint64 record = 0;     // 0-based record that changes first
    qint64 oldLength = 0;  // whole records only: others append at that boundary
    qint64 bodySlot = firstBodySlot;

    qint64 bodyRecords() const
    {
        return operation == Operation::Replace ? 2 : oldLength / record::size - record;
    }
    qint64 newLength() const
    {
        return operation == Operation::Delete ? oldLength - record::size : oldLength;
    }
};

QByteArray header();
bool isHeader(const char *slotData);

// The filler a deletion leaves in the slot past the new end until the cut.
QByteArray filler();
bool isFiller(const char *recordData);

// 64-bit FNV-1a, continued over several pieces.
quint64 checksum(const char *data, qsizetype size, quint64 seed = 0xcbf29ce484222325ULL);

// A mark as stored; the checksum covers its own fields, the header and the body.
QByteArray encodeMark(const Mark &mark, const QByteArray &body);
// Reads slot `which` (0 or 1) of a whole journal; nothing when the slot is
// torn, garbled or points past the journal's end.
std::optional<Mark> readMark(const QByteArray &journal, int which);

enum class Kind {
    Empty,     // nothing in it: left by a crash before anything was written
    Unmarked,  // this program's journal without a valid mark, or with its header torn: the
               // result file was not touched
    Marked,    // a rewrite to finish
    Foreign,   // not this program's journal: another program's copy, kept
};
struct Inspection
{
    Kind kind = Kind::Empty;
    Mark mark;   // Marked: the newest valid mark
    int markIndex = 0;
};
Inspection inspect(const QByteArray &journal);

// The journal's name beside the result file.
QString pathFor(const QString &resultFilePath);

} // namespace kemoro::journal
