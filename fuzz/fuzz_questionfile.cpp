#include "fuzzinput.h"
#include "print/worksheet.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kemoro::fuzz::TextInput input(data, size, u"プロト.csv"_s);
    const kemoro::print::QuestionFile file = kemoro::print::parseQuestionFile(input.text, input.path);
    input.diagnostics += file.diagnostics;
    kemoro::fuzz::checkDiagnostics(input);
    return 0;
}
