#include "fuzzinput.h"
#include "state/config.h"

#include <algorithm>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kemoro::fuzz::TextInput input(data, size, u"共通データ.txt"_s, kemoro::TextFileKind::secretSettings());
    const kemoro::CommonSettings settings =
        kemoro::parseCommonSettings(input.text, input.path, input.diagnostics);
    kemoro::fuzz::checkDiagnostics(input);
    // No message may show the password. Messages have words of their own
    // ("password", "line 6"), so only a password with a character that no
    // message text uses can be looked for.
    const QString &password = settings.teacherPassword;
    const bool distinctive = std::any_of(password.cbegin(), password.cend(), [](QChar c) {
        return u"!#$%&*<>?@[]^`{|}~"_s.contains(c) || (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF5A);
    });
    if (distinctive)
        for (const kemoro::Diagnostic &d : input.diagnostics)
            if (d.toLine().contains(password) || d.toMessage().contains(password)) __builtin_trap();
    return 0;
}
