// A console driver of the shared result file for tests across operating
// systems: it appends, reads, deletes, corrects and recovers through the same
// file layer and the same append, rewrite and recovery code as the program,
// builds natively and with MinGW-w64, and so lets Linux processes and Windows
// processes (under Wine) work on one file at once.
//
//   filedriver [--poll-ms N] COMMAND ...
//
//   append FILE PROCESS COUNT [FIRST]   records FIRST.. FIRST+COUNT-1 of PROCESS
//   teacher FILE TEACHER COUNT [PAUSE_MS]
//                                       COUNT deletions and corrections of
//                                       appended records, alternately
//   edit FILE delete|replace K [STEP]   one deletion or correction of record K
//   recover FILE [STEP]                 finishes an interrupted rewrite
//   hold FILE MS [TORN]                 the exclusive lock for MS milliseconds,
//                                       after TORN bytes of a record past the end
//   trylock FILE                        exit 0 when the lock is free, 4 when busy
//   verify FILE EXPECTATION...          exactly the expected records, each once
//
// With STEP, the command ends itself at that step of the rewrite or recovery
// (exit 3), as a crash or a kill would; without it, it names every step it
// passes ("# step NAME"), so that a test can kill it at each.
//
// An expectation is PROCESS:COUNT (records 1..COUNT of that process, as
// appended) or @LOG, the standard output of a teacher or edit run: lines
// "delete PROCESS SEQ" and "replace PROCESS SEQ TEACHER". Lines beginning
// with "#" are figures for people: "# append ... worst-wait-ms=N".
//
// Exit codes: 0 done, 1 failed (a message on standard error), 2 wrong usage,
// 3 stopped at STEP, 4 the lock is busy (trylock).

#include "platform/rawfile.h"
#include "results/recordformat.h"
#include "results/sharedfile.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace {

using namespace kemoro;
using Clock = std::chrono::steady_clock;

constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int exitStopped = 3;
constexpr int exitBusy = 4;

// The fields of a test record: the identity (process, sequence number) is
// written into several fields, so that a torn or mixed record never passes as
// a whole one.
constexpr double testDate = 46000.0; // 2025-12-09
constexpr std::int16_t appendedLevel = 12;
constexpr std::int16_t correctedLevel = 30;
constexpr int maxProcess = 9999;
constexpr int maxSequence = 99999;

void putText(Bytes &r, std::ptrdiff_t offset, const std::string &text)
{
    for (std::ptrdiff_t i = 0; i < record::textSize; ++i)
        r[std::size_t(offset + i)] = i < std::ptrdiff_t(text.size()) ? text[std::size_t(i)] : ' ';
}

std::string digits(const char *format, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// teacher 0: as appended; otherwise as that teacher corrected it.
Bytes testRecord(int process, int sequence, int teacher = 0)
{
    Bytes r(std::size_t(record::size), ' ');
    record::put<double>(r.data(), record::dateOffset, testDate);
    record::put<double>(r.data(), record::timeOffset, sequence / 100000.0);
    record::put<std::int16_t>(r.data(), record::pupilOffset, std::int16_t(process));
    record::put<std::int16_t>(r.data(), record::levelOffset, teacher == 0 ? appendedLevel : correctedLevel);
    record::put<std::int32_t>(r.data(), record::resultTimeOffset, sequence);
    putText(r, record::schoolCodeOffset, digits("P%04d", process));
    putText(r, record::text2Offset, digits("%05d", sequence));
    putText(r, record::text3Offset, " 0");
    putText(r, record::text4Offset, teacher == 0 ? std::string() : digits("T%d", teacher));
    return r;
}

struct Identity
{
    int process = 0;
    int sequence = 0;
    int teacher = 0; // who corrected it; 0: as appended
    auto operator<=>(const Identity &) const = default;
};

// The identity of a record this driver wrote, or nothing for any other bytes.
std::optional<Identity> identify(const char *data)
{
    const int process = record::get<std::int16_t>(data, record::pupilOffset);
    const int sequence = record::get<std::int32_t>(data, record::resultTimeOffset);
    if (process < 1 || process > maxProcess || sequence < 1 || sequence > maxSequence) return std::nullopt;
    const Bytes bytes(data, std::size_t(record::size));
    if (bytes == testRecord(process, sequence)) return Identity{process, sequence, 0};
    const std::string text4 = bytes.substr(std::size_t(record::text4Offset), std::size_t(record::textSize));
    const int teacher = text4[0] == 'T' ? std::atoi(text4.c_str() + 1) : 0;
    if (teacher > 0 && bytes == testRecord(process, sequence, teacher))
        return Identity{process, sequence, teacher};
    return std::nullopt;
}

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "filedriver: %s\n", what.c_str());
    std::exit(exitFailed);
}

std::string describe(const shared::Failure &f)
{
    const char *kind = "failed";
    switch (f.kind) {
    case shared::Failure::Kind::Failed:
        break;
    case shared::Failure::Kind::NotFound:
        kind = "not found";
        break;
    case shared::Failure::Kind::Busy:
        kind = "still busy";
        break;
    case shared::Failure::Kind::WrongType:
        kind = "not a regular file";
        break;
    }
    return std::string(kind) + ": " + f.path + " (" + std::to_string(f.code) + ": " + os::errorText(f.code) +
           ")";
}

void check(const std::optional<shared::Failure> &failure, const char *what)
{
    if (failure) fail(std::string(what) + " " + describe(*failure));
}

// Waits between lock tries, as the screens do, but `pollMs` long instead of a
// second, and gives up after a minute. It measures how long each operation
// waited for the lock: from its start to the last try that found it busy.
class LockWaits
{
public:
    explicit LockWaits(int pollMs) : m_pollMs(pollMs) {}

    os::Wait begin()
    {
        m_start = m_lastWake = Clock::now();
        m_waited = false;
        return [this](int seconds) {
            if (Clock::now() - m_start > std::chrono::minutes(1)) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(std::max(1, seconds) * m_pollMs));
            m_lastWake = Clock::now();
            m_waited = true;
            return true;
        };
    }
    void end()
    {
        if (m_waited) m_worst = std::max(m_worst, m_lastWake - m_start);
    }
    long long worstMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(m_worst).count();
    }

private:
    int m_pollMs;
    Clock::time_point m_start;
    Clock::time_point m_lastWake;
    bool m_waited = false;
    Clock::duration m_worst{};
};

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void stopAt(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
#ifdef _WIN32
    // As a crash would: no clean-up, the system closes the handles.
    TerminateProcess(GetCurrentProcess(), UINT(code));
#endif
    ::_exit(code);
}

// With a step, ends the process there; without, names each step passed.
class Steps
{
public:
    explicit Steps(std::string stop) : m_stop(std::move(stop))
    {
        rewrite::setStepHook([this](const std::string &step) {
            if (m_stop.empty()) {
                std::printf("# step %s\n", step.c_str());
            } else if (step == m_stop) {
                std::printf("# stopped at %s\n", step.c_str());
                stopAt(exitStopped);
            }
        });
    }
    ~Steps() { rewrite::setStepHook({}); }
    // A step that never came means the test would prove nothing.
    void finished() const
    {
        if (!m_stop.empty()) fail("the step " + m_stop + " was never reached");
    }

private:
    std::string m_stop;
};

int number(const std::string &text, int low, int high, const char *what)
{
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        std::fprintf(stderr, "filedriver: %s must be a number from %d to %d, not \"%s\"\n", what, low, high,
                     text.c_str());
        std::exit(exitUsage);
    }
    return int(value);
}

struct Recoveries
{
    int journals = 0; // journals found under the lock: a crash's leftovers, or a lock that failed
    int finished = 0;

    void add(const rewrite::Recovery &r)
    {
        journals += r.journalFound ? 1 : 0;
        finished += r.finished ? 1 : 0;
        if (r.foreignJournal || r.setAside)
            fail("the journal was not this file's: " + (r.setAside ? r.asidePath : std::string("kept")));
    }
};

int append(const std::string &path, int process, int count, int first, LockWaits &waits)
{
    if (first + count - 1 > maxSequence) fail("sequence numbers go up to " + std::to_string(maxSequence));
    shared::SharedFile file(path);
    Recoveries recoveries;
    const Clock::time_point start = Clock::now();
    for (int sequence = first; sequence < first + count; ++sequence) {
        const Bytes r = testRecord(process, sequence);
        rewrite::Recovery recovery;
        std::optional<shared::Failure> recoveryFailure;
        const os::Wait wait = waits.begin();
        check(file.append(r.data(), wait, recovery, recoveryFailure), "append:");
        waits.end();
        check(recoveryFailure, "recovery before the append:");
        recoveries.add(recovery);
    }
    std::printf("# append process=%d records=%d seconds=%.3f worst-wait-ms=%lld journals=%d finished=%d\n",
                process, count, secondsSince(start), waits.worstMs(), recoveries.journals,
                recoveries.finished);
    return 0;
}

// Reads every record under the shared lock.
shared::Window readAll(shared::SharedFile &file, LockWaits &waits, Recoveries &recoveries)
{
    shared::Window window;
    shared::JournalFinding finding;
    rewrite::Recovery recovery;
    std::optional<shared::Failure> recoveryFailure;
    const os::Wait wait = waits.begin();
    check(file.read(-1, wait, window, finding, recovery, recoveryFailure), "read:");
    waits.end();
    check(recoveryFailure, "recovery before the read:");
    recoveries.add(recovery);
    return window;
}

// A deletion of record k, or its correction by `teacher`.
RecordEdit editOf(bool deletion, std::int64_t k, const Identity &id, int teacher)
{
    RecordEdit edit;
    edit.kind = deletion ? RecordEdit::Kind::Delete : RecordEdit::Kind::Replace;
    edit.record = k;
    edit.expected = testRecord(id.process, id.sequence);
    if (!deletion) edit.replacement = testRecord(id.process, id.sequence, teacher);
    return edit;
}

// The line of an edit that `verify` reads from a log.
void logEdit(const RecordEdit &edit, const Identity &id, int teacher)
{
    if (edit.kind == RecordEdit::Kind::Delete)
        std::printf("delete %d %d\n", id.process, id.sequence);
    else
        std::printf("replace %d %d %d\n", id.process, id.sequence, teacher);
    std::fflush(stdout);
}

RewriteOutcome rewriteOnce(shared::SharedFile &file, const RecordEdit &edit, LockWaits &waits,
                           Recoveries &recoveries)
{
    RewriteOutcome outcome = RewriteOutcome::Done;
    rewrite::Recovery recovery;
    const os::Wait wait = waits.begin();
    check(file.rewrite(edit, wait, outcome, recovery), "rewrite:");
    waits.end();
    recoveries.add(recovery);
    if (outcome == RewriteOutcome::ForeignJournal) fail("a journal of another program is in the way");
    return outcome;
}

// Deletes and corrects records as a teacher does on the record screen: reads
// the list, picks a record as appended, and rewrites it; when the record has
// changed meanwhile (another teacher), reads again and picks anew.
int teacher(const std::string &path, int teacherNumber, int count, int pauseMs, LockWaits &waits)
{
    shared::SharedFile file(path);
    std::mt19937 random(std::uint32_t(teacherNumber) * 7919u);
    Recoveries recoveries;
    int deleted = 0;
    int replaced = 0;
    int changed = 0;
    const Clock::time_point start = Clock::now();
    while (deleted + replaced < count) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        const shared::Window window = readAll(file, waits, recoveries);
        std::vector<std::pair<std::int64_t, Identity>> candidates;
        const std::int64_t n = std::int64_t(window.bytes.size()) / record::size;
        for (std::int64_t i = 0; i < n; ++i) {
            const std::optional<Identity> id = identify(window.bytes.data() + i * record::size);
            if (!id) fail("a record that no driver wrote at " + std::to_string(window.firstRecord + i));
            if (id->teacher == 0) candidates.emplace_back(window.firstRecord + i, *id);
        }
        if (candidates.empty()) {
            if (secondsSince(start) > 60) fail("no records to edit");
            continue;
        }
        const auto &[k, id] = candidates[random() % candidates.size()];
        const bool deletion = (deleted + replaced) % 2 == 0;
        const RecordEdit edit = editOf(deletion, k, id, teacherNumber);
        if (rewriteOnce(file, edit, waits, recoveries) == RewriteOutcome::Changed) {
            ++changed;
            continue;
        }
        logEdit(edit, id, teacherNumber);
        ++(deletion ? deleted : replaced);
    }
    std::printf("# teacher %d deleted=%d replaced=%d changed=%d seconds=%.3f worst-wait-ms=%lld journals=%d "
                "finished=%d\n",
                teacherNumber, deleted, replaced, changed, secondsSince(start), waits.worstMs(),
                recoveries.journals, recoveries.finished);
    return 0;
}

int edit(const std::string &path, bool deletion, std::int64_t k, const std::string &stop, LockWaits &waits)
{
    shared::SharedFile file(path);
    Recoveries recoveries;
    const shared::Window window = readAll(file, waits, recoveries);
    if (k < window.firstRecord || k >= window.firstRecord + std::int64_t(window.bytes.size()) / record::size)
        fail("there is no record " + std::to_string(k));
    const Bytes old =
        window.bytes.substr(std::size_t((k - window.firstRecord) * record::size), std::size_t(record::size));
    const std::optional<Identity> id = identify(old.data());
    if (!id || id->teacher != 0) fail("record " + std::to_string(k) + " is not one as a driver appended it");
    // The editor is teacher 9. The edit is logged first: a test that stops
    // it decides itself whether it counts.
    const RecordEdit change = editOf(deletion, k, *id, 9);
    logEdit(change, *id, 9);
    const Steps steps(stop);
    const RewriteOutcome outcome = rewriteOnce(file, change, waits, recoveries);
    steps.finished();
    if (outcome != RewriteOutcome::Done)
        fail("record " + std::to_string(k) + " changed before it could be rewritten");
    return 0;
}

int recover(const std::string &path, const std::string &stop, LockWaits &waits)
{
    shared::SharedFile file(path);
    const Steps steps(stop);
    rewrite::Recovery recovery;
    const os::Wait wait = waits.begin();
    check(file.recover(wait, recovery), "recover:");
    waits.end();
    steps.finished();
    Recoveries recoveries;
    recoveries.add(recovery);
    std::printf("# recover journals=%d finished=%d\n", recoveries.journals, recoveries.finished);
    return 0;
}

void checkOs(bool ok, const os::RawFile &f, const std::string &what)
{
    if (!ok) fail(what + " (" + std::to_string(f.error()) + ": " + os::errorText(f.error()) + ")");
}

// Holds the lock as an append does while it writes, with `torn` bytes of a
// record already written past the end, until it is killed.
int hold(const std::string &path, int ms, int torn, LockWaits &waits)
{
    os::RawFile f;
    checkOs(f.open(path, os::RawFile::Open::ReadWriteCreate), f, "open " + path);
    const os::Wait wait = waits.begin();
    checkOs(f.lock(os::RawFile::Lock::Exclusive, wait), f, "lock " + path);
    waits.end();
    std::int64_t size = 0;
    checkOs(f.size(size), f, "size");
    const Bytes r = testRecord(maxProcess, maxSequence);
    checkOs(f.writeAll(r.data(), torn, size - size % record::size), f, "write");
    checkOs(f.flush(), f, "flush");
    std::printf("locked\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    checkOs(f.unlock(), f, "unlock");
    return 0;
}

int tryLock(const std::string &path)
{
    os::RawFile f;
    checkOs(f.open(path, os::RawFile::Open::ReadWrite), f, "open " + path);
    if (!f.tryLock(os::RawFile::Lock::Exclusive)) {
        if (!os::isBusy(f.error())) checkOs(false, f, "lock " + path);
        std::printf("busy\n");
        return exitBusy;
    }
    checkOs(f.unlock(), f, "unlock");
    std::printf("free\n");
    return 0;
}

// What a file must hold: each identity once.
class Expectation
{
public:
    void appended(int process, int count)
    {
        for (int s = 1; s <= count; ++s)
            m_expected[{process, s}] = 0;
    }
    void readLog(const std::string &logPath)
    {
        std::FILE *log = std::fopen(logPath.c_str(), "rb");
        if (!log) fail("cannot read " + logPath);
        char line[256];
        while (std::fgets(line, sizeof line, log)) {
            if (line[0] == '#') continue;
            char op[16] = {};
            int process = 0;
            int sequence = 0;
            int teacher = 0;
            const int fields = std::sscanf(line, "%15s %d %d %d", op, &process, &sequence, &teacher);
            const auto at = m_expected.find({process, sequence});
            if (fields < 3 || at == m_expected.end() || at->second != 0)
                fail(logPath + ": not an edit of an appended record: " + line);
            if (std::string(op) == "delete" && fields == 3)
                m_expected.erase(at);
            else if (std::string(op) == "replace" && fields == 4 && teacher > 0)
                at->second = teacher;
            else
                fail(logPath + ": " + line);
        }
        std::fclose(log);
    }
    std::size_t size() const { return m_expected.size(); }

    // The problems, at most `most` of them named.
    std::vector<std::string> compare(const Bytes &bytes, std::size_t most) const
    {
        std::vector<std::string> problems;
        const auto note = [&](const std::string &p) {
            if (problems.size() < most) problems.push_back(p);
        };
        if (bytes.size() % record::size != 0)
            note("a torn record: " + std::to_string(bytes.size() % record::size) + " bytes past the last");
        std::map<std::pair<int, int>, int> seen;
        for (std::size_t i = 0; i + record::size <= bytes.size(); i += record::size) {
            const std::optional<Identity> id = identify(bytes.data() + i);
            const std::string at = "record " + std::to_string(i / record::size);
            if (!id) {
                note(at + ": not a whole record of a driver");
                continue;
            }
            const auto key = std::pair(id->process, id->sequence);
            const auto expected = m_expected.find(key);
            const std::string name =
                " (" + std::to_string(id->process) + ", " + std::to_string(id->sequence) + ")";
            if (++seen[key] == 2)
                note(at + name + ": written twice");
            else if (expected == m_expected.end())
                note(at + name + ": not expected (deleted, or never appended)");
            else if (expected->second != id->teacher)
                note(at + name + ": " + (id->teacher == 0 ? "not corrected" : "corrected but should not be"));
        }
        for (const auto &[key, teacher] : m_expected)
            if (!seen.contains(key))
                note("missing: (" + std::to_string(key.first) + ", " + std::to_string(key.second) + ")");
        return problems;
    }

private:
    std::map<std::pair<int, int>, int> m_expected; // (process, sequence) -> correcting teacher
};

int verify(const std::string &path, const std::vector<std::string> &expectations)
{
    Expectation expected;
    for (const std::string &item : expectations) {
        const std::size_t colon = item.find(':');
        if (!item.empty() && item[0] == '@')
            expected.readLog(item.substr(1));
        else if (colon != std::string::npos && colon > 0)
            expected.appended(number(item.substr(0, colon), 1, maxProcess, "PROCESS"),
                              number(item.substr(colon + 1), 0, maxSequence, "COUNT"));
        else
            fail("an expectation is PROCESS:COUNT or @LOG, not \"" + item + "\"");
    }

    // Read as bytes, past the layer under test; the tests run it when no
    // other process works on the file.
    os::RawFile f;
    checkOs(f.open(path, os::RawFile::Open::Read), f, "open " + path);
    std::int64_t size = 0;
    checkOs(f.size(size), f, "size");
    Bytes bytes(std::size_t(size), '\0');
    std::int64_t done = 0;
    checkOs(f.readAll(bytes.data(), size, 0, done), f, "read");
    bytes.resize(std::size_t(done));
    f.close();

    std::vector<std::string> problems = expected.compare(bytes, 20);
    int code = 0;
    const std::string journal = shared::SharedFile(path).journalPath();
    if (os::typeAt(journal, code) != os::FileType::None) problems.push_back("a journal is left: " + journal);
    if (!problems.empty()) {
        for (const std::string &p : problems)
            std::fprintf(stderr, "filedriver: %s: %s\n", path.c_str(), p.c_str());
        return exitFailed;
    }
    std::printf("# verified records=%zu\n", expected.size());
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: filedriver [--poll-ms N] append FILE PROCESS COUNT [FIRST]\n"
                         "                                teacher FILE TEACHER COUNT [PAUSE_MS]\n"
                         "                                edit FILE delete|replace K [STEP]\n"
                         "                                recover FILE [STEP]\n"
                         "                                hold FILE MS [TORN]\n"
                         "                                trylock FILE\n"
                         "                                verify FILE PROCESS:COUNT|@LOG...\n");
    return exitUsage;
}

int run(std::vector<std::string> args)
{
    int pollMs = 10;
    if (args.size() >= 2 && args[0] == "--poll-ms") {
        pollMs = number(args[1], 1, 1000, "--poll-ms");
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 2) return usage();
    const std::string &command = args[0];
    const std::string &path = args[1];
    const std::size_t n = args.size();
    const auto optional = [&](std::size_t i, const std::string &fallback) {
        return i < n ? args[i] : fallback;
    };
    LockWaits waits(pollMs);
    if (command == "append" && (n == 4 || n == 5))
        return append(path, number(args[2], 1, maxProcess, "PROCESS"),
                      number(args[3], 1, maxSequence, "COUNT"),
                      number(optional(4, "1"), 1, maxSequence, "FIRST"), waits);
    if (command == "teacher" && (n == 4 || n == 5))
        return teacher(path, number(args[2], 1, 8, "TEACHER"), number(args[3], 1, 10000, "COUNT"),
                       number(optional(4, "20"), 0, 60000, "PAUSE_MS"), waits);
    if (command == "edit" && (n == 4 || n == 5) && (args[2] == "delete" || args[2] == "replace"))
        return edit(path, args[2] == "delete", number(args[3], 0, 1 << 30, "K"), optional(4, ""), waits);
    if (command == "recover" && (n == 2 || n == 3)) return recover(path, optional(2, ""), waits);
    if (command == "hold" && (n == 3 || n == 4))
        return hold(path, number(args[2], 0, 3600000, "MS"),
                    number(optional(3, "0"), 0, int(record::size) - 1, "TORN"), waits);
    if (command == "trylock" && n == 2) return tryLock(path);
    if (command == "verify") return verify(path, std::vector<std::string>(args.begin() + 2, args.end()));
    return usage();
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args;
#ifdef _WIN32
    // The file layer takes UTF-8 paths; the narrow arguments would be in the
    // ANSI code page, which cannot hold every name.
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(std::size_t(std::max(bytes, 1)), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    LocalFree(wide);
    // Lines end in LF on both systems, so that one reader takes both logs.
    _setmode(_fileno(stdout), _O_BINARY);
#else
    args.assign(argv + 1, argv + argc);
#endif
    return run(std::move(args));
}
