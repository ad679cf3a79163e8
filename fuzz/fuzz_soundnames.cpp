#include "fuzzinput.h"
#include "state/soundnames.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kemoro::fuzz::TextInput input(data, size, u"新音ファイル.txt"_s, kemoro::TextFileKind::settings());
    kemoro::SoundTable table;
    kemoro::readSoundNames(input.text, input.path, table, input.diagnostics);
    kemoro::fuzz::checkDiagnostics(input);
    // Every role picks a name, whatever its count says.
    for (int role = 1; role <= kemoro::SoundTable::roles; ++role)
        for (double random : {0.0, 0.5, 0.999999})
            table.pick(role, random);
    return 0;
}
