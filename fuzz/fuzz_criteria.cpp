#include "criteria/criteria.h"
#include "fuzzinput.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kemoro::fuzz::TextInput input(data, size, u"タイム回数データ.txt"_s);
    kemoro::CriteriaTable table;
    kemoro::readCriteria(input.text, input.path, table, input.diagnostics);
    // The editor's reading of the same text, and what a save would prepare.
    QString kept;
    kemoro::CriteriaGrid grid =
        kemoro::criteriaGridFromText(input.text, input.path, input.diagnostics, &kept);
    // At most 35 level rows, and what they cannot hold is kept whole: the end
    // of the file exactly as it was read.
    if (grid.size() > kemoro::levelSlots || !input.text.endsWith(kept)) __builtin_trap();
    kemoro::prepareCriteriaGrid(input.path, grid);
    kemoro::fuzz::checkDiagnostics(input);
    return 0;
}
