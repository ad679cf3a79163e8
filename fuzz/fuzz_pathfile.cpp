#include "fuzzinput.h"
#include "state/config.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kemoro::fuzz::TextInput input(data, size, u"/school/prog/パスデータ.txt"_s,
                                  kemoro::TextFileKind::settings());
    kemoro::Folders folders;
    folders.programDir = u"/school/prog/kemoro/"_s;
    kemoro::parsePathFile(input.text, input.path, folders, input.diagnostics);
    kemoro::fuzz::checkDiagnostics(input);
    return 0;
}
