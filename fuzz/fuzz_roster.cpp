#include "fuzzinput.h"
#include "roster/grades.h"
#include "roster/namelist.h"
#include "roster/roster.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kemoro::fuzz::TextInput input(data, size, u"新名簿.txt"_s);
    // Tables by pupil number, 5001 entries each: made once and kept between
    // runs, as the program keeps them between loads.
    static kemoro::Roster roster;
    static kemoro::ResultTables results;
    roster.schoolYear = 2026;
    kemoro::readRoster(input.text, input.path, 1, roster, input.diagnostics);
    kemoro::fuzz::checkDiagnostics(input);
    // The name list lays out whatever names were read.
    kemoro::buildNameList(roster, results, kemoro::RankingKind(size % 4), kemoro::allGradesFilter());
    return 0;
}
