// A result file and a journal as a crash, a restore or another program may
// leave them: the journal's reading and the recovery, worked in memory as
// kemoro-data does. The recovery must never crash, never leave a journal it
// says it finished, and only ever make the file shorter by the one record a
// deletion takes (a filler it takes out counts as a second deletion).
#include "results/memoryrecordio.h"
#include "results/rewrite.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) return 0;
    // The first two bytes split the rest: that many slots go to the result file.
    const size_t split =
        std::min(size - 2, size_t(data[0] | data[1] << 8) * size_t(kemoro::journal::slot) / 8);
    const char *bytes = reinterpret_cast<const char *>(data) + 2;
    const kemoro::Bytes results(bytes, split);
    const kemoro::Bytes journal(bytes + split, size - 2 - split);

    kemoro::MemoryRecordIo io(results, journal);
    kemoro::rewrite::Recovery recovery;
    if (kemoro::rewrite::recover(io, recovery)) return 0; // the memory files never fail
    if (recovery.finished && io.journal()) __builtin_trap();
    const std::int64_t before = std::int64_t(results.size());
    const std::int64_t after = std::int64_t(io.results().size());
    if (after < before - (1 + recovery.fillersRemoved) * kemoro::record::size - kemoro::record::size)
        __builtin_trap();
    return 0;
}
