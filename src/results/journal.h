#pragma once

#include "results/recordformat.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kemoro {
// Raw bytes of the two files, as the plain file layer passes them.
using Bytes = std::string;
} // namespace kemoro

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

inline constexpr std::int64_t slot = record::size;
inline constexpr std::int64_t markSlots[2] = {1, 2};
inline constexpr std::int64_t firstBodySlot = 3;

enum class Operation : std::uint8_t { Delete = 1, Replace = 2 };
enum class State : std::uint8_t {
    Journalled = 1, // the new records may be partly written; the file still has its old length
    Cutting = 2,    // the new records and the filler are on the disk; the cut may have happened
};

struct Mark
{
    std::uint64_t sequence = 0; // the newer of two valid marks wins
    State state = State::Journalled;
    Operation operation = Operation::Delete;
    std::int64_t record = 0;    // 0-based record that changes first
    std::int64_t oldLength = 0; // whole records only: others append at that boundary
    std::int64_t bodySlot = firstBodySlot;

    std::int64_t bodyRecords() const
    {
        return operation == Operation::Replace ? 2 : oldLength / record::size - record;
    }
    std::int64_t newLength() const
    {
        return operation == Operation::Delete ? oldLength - record::size : oldLength;
    }
};

Bytes header();
bool isHeader(const char *slotData);
// A journal this program began and lost power in the middle of its header:
// its bytes are a prefix of the header, or the header with zeros in places.
bool isTornHeader(const Bytes &journal);

// The filler a deletion leaves in the slot past the new end until the cut.
Bytes filler();
bool isFiller(const char *recordData);

// 64-bit FNV-1a, continued over several pieces.
std::uint64_t checksum(const char *data, std::int64_t size, std::uint64_t seed = 0xcbf29ce484222325ULL);

// A mark as stored; the checksum covers its own fields, the header and the body.
Bytes encodeMark(const Mark &mark, const Bytes &body);
// Reads slot `which` (0 or 1) of a whole journal; nothing when the slot is
// torn, garbled or points past the journal's end.
std::optional<Mark> readMark(const Bytes &journal, int which);

enum class Kind {
    Empty,    // nothing in it: left by a crash before anything was written
    Unmarked, // this program's journal without a valid mark (or a torn header): the result file was not
              // touched
    Marked,   // a rewrite to finish
    Foreign,  // not this program's journal: another program's copy, kept
};
struct Inspection
{
    Kind kind = Kind::Empty;
    Mark mark; // Marked: the newest valid mark
    int markIndex = 0;
};
Inspection inspect(const Bytes &journal);

// The journal's name beside the result file.
std::string pathFor(const std::string &resultFilePath);
// The first free name "成績累積データtemp-別ファイル用N.dat" beside the journal,
// for a journal that was written for another result file.
std::string asidePath(const std::string &journalPath, const std::function<bool(const std::string &)> &taken);

} // namespace kemoro::journal
