#include "tools/datatool.h"

#include "criteria/criteria.h"
#include "criteria/distribution.h"
#include "hub/hubrules.h"
#include "hub/rankings.h"
#include "hub/recordlists.h"
#include "platform/oledate.h"
#include "platform/paths.h"
#include "print/report.h"
#include "print/worksheet.h"
#include "results/aggregation.h"
#include "results/journal.h"
#include "results/recordlines.h"
#include "results/recordview.h"
#include "roster/grades.h"
#include "roster/namelist.h"
#include "roster/roster.h"
#include "state/config.h"
#include "state/folders.h"
#include "state/session.h"
#include "state/soundnames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <variant>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

constexpr int lockWaitLimitSeconds = 10;

struct Options
{
    QStringList words; // the command: "check", or "show" and what to show
    std::map<QString, QString> values;
};

// A usage problem: one line on stderr, exit 2.
struct UsageError
{
    QString text;
};

// Options every command takes.
const QStringList &commonOptions()
{
    static const QStringList names = {u"program-dir"_s, u"now"_s, u"levels"_s};
    return names;
}

std::variant<Options, UsageError> parse(const QStringList &args)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(u"--"_s)) {
            options.words.append(arg);
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(u'=');
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (options.values.count(name)) return UsageError{u"option --%1 given twice"_s.arg(name)};
        if (eq < 0) {
            if (i + 1 >= args.size() || args.at(i + 1).startsWith(u"--"_s))
                return UsageError{u"option --%1 needs a value"_s.arg(name)};
            value = args.at(++i);
        }
        options.values[name] = value;
    }
    if (options.words.isEmpty()) return UsageError{u"no command given (check, export, summary or show)"_s};
    return options;
}

std::optional<QDateTime> parseNow(const QString &text)
{
    static const QRegularExpression form(u"^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})$"_s);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time);
}

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString readFailureText(const ResultFileError &error)
{
    if (error.kind == ResultFileError::Kind::Busy)
        return u"locked by another computer for %1 s"_s.arg(lockWaitLimitSeconds);
    return u"読み込めません (cannot be read): "_s + error.description;
}

// What is wrong with a record, one line a field. The "not counted" lines are
// exactly the conditions of isAddedUp, the aggregation's own rule.
QStringList recordProblems(const RecordView rec, double latest)
{
    QStringList lines;
    if (rec.level() < 1 || rec.level() > maxLevel)
        lines.append(u"level %1 is outside 1..35 (not counted)"_s.arg(rec.level()));
    if (rec.pupil() < 1 || rec.pupil() > maxPupil)
        lines.append(u"pupil %1 is outside 1..5000 (not counted)"_s.arg(rec.pupil()));
    if (rec.storedTime() < 0)
        lines.append(u"result time %1 is negative (read as 99999)"_s.arg(rec.storedTime()));
    if (!rec.hasDate() || rec.date() < 0)
        lines.append(u"date %1 is not a valid date (not counted)"_s.arg(number(rec.date())));
    else if (isAddedUp(rec) && rec.date() > latest)
        lines.append(u"date %1 lies in the future (counted in every period)"_s.arg(
            ole::toDate(rec.date())->toString(Qt::ISODate)));
    if (!rec.hasTimeOfDay())
        lines.append(u"time of day %1 is not in [0, 1) (not counted)"_s.arg(number(rec.timeOfDay())));
    Q_ASSERT(isAddedUp(rec) == !std::any_of(lines.cbegin(), lines.cend(),
                                            [](const QString &l) { return l.endsWith(u"(not counted)"_s); }));
    return lines;
}

// The check line for what the read found beside the result file.
std::optional<QString> journalText(const JournalFinding &found, const QString &asidePath)
{
    switch (found.kind) {
    case JournalFinding::Kind::None:
        return std::nullopt;
    case JournalFinding::Kind::Pending:
        return u"an interrupted correction or deletion is pending; the records above are as it will leave "
               u"them. "
               u"Start the program (or let a drill end) on any computer and it is finished; do not restore "
               u"the "
               u"result file"_s;
    case JournalFinding::Kind::Unmarked:
        return u"a journal cut off before the result file was touched; the next computer that takes the lock "
               u"removes it"_s;
    case JournalFinding::Kind::Foreign:
        return u"not this program's journal (another program's copy of the result file?); corrections and "
               u"deletions are refused while it is there: check its records, then move it away"_s;
    case JournalFinding::Kind::NotForThisFile:
        return u"written for another result file than the one there now (restored from a backup?); it is not "
               u"applied: the next computer that takes the lock keeps it aside as "_s +
               QFileInfo(asidePath).fileName() + u" and leaves the result file as it is"_s;
    case JournalFinding::Kind::NotAFile:
        return found.detail + u"; corrections and deletions fail until it is moved away"_s;
    case JournalFinding::Kind::Unreadable:
        return u"cannot be read ("_s + found.detail + u"); corrections and deletions fail until it can"_s;
    }
    return std::nullopt;
}

class Tool
{
public:
    Tool(const DataToolEnvironment &env, QTextStream &out, QTextStream &err)
        : m_env(env), m_out(out), m_err(err)
    {
    }

    int run(const QStringList &args);

private:
    int usage(const QString &text)
    {
        m_err << "kemoro-data: " << text << '\n';
        return 2;
    }
    int failed(const QString &text)
    {
        m_err << "kemoro-data: " << text << '\n';
        return 1;
    }
    // Readers of the tool wait for another computer's lock ten seconds at most.
    WaitFunction limitedWait()
    {
        return [this, waited = 0](int seconds) mutable {
            if (waited + seconds > lockWaitLimitSeconds) return false;
            waited += seconds;
            return m_env.wait ? m_env.wait(seconds) : true;
        };
    }
    // The tool's own store: it may wait for a shared lock, never writes and
    // never recovers.
    ResultStore &results()
    {
        if (!m_store || m_store->path() != m_folders.resultFile())
            m_store = std::make_unique<ResultStore>(m_folders.resultFile(), ResultStore::Access::ReadOnly);
        return *m_store;
    }
    std::optional<int> requireFile(const QString &path);
    std::array<bool, levelSlots> timedLevels() const;
    int fileFailure(const ResultFileError &error);
    int check();
    int exportCsv();
    int summary();
    int showNameList();
    int showRanking();
    int showRecordList();
    int showRecords();
    int showDistribution();
    int showReport();

    // What the show commands share: the settings, criteria, roster, level
    // table and a fresh aggregation, as the screens hold them.
    std::optional<int> loadSession();
    std::optional<int> pupilOption(const QString &name, int &pupil);
    QString value(const QString &name, const QString &fallback = QString()) const
    {
        const auto it = m_options.values.find(name);
        return it == m_options.values.end() ? fallback : it->second;
    }
    bool has(const QString &name) const { return m_options.values.count(name) > 0; }
    void printLines(const QStringList &lines)
    {
        for (const QString &line : lines)
            m_out << line << '\n';
    }

    struct Command
    {
        QStringList words;
        QStringList options;
        int (Tool::*run)();
    };
    static const QList<Command> &commands();

    const DataToolEnvironment &m_env;
    QTextStream &m_out;
    QTextStream &m_err;
    QDateTime m_now;
    Folders m_folders;
    Diagnostics m_pathDiagnostics;
    Options m_options;
    int m_levels = 1;
    Session m_session;
    std::unique_ptr<ResultStore> m_store;
};

const QList<Tool::Command> &Tool::commands()
{
    static const QList<Command> table = {
        {{u"check"_s}, {}, &Tool::check},
        {{u"export"_s}, {}, &Tool::exportCsv},
        {{u"summary"_s}, {}, &Tool::summary},
        {{u"show"_s, u"namelist"_s}, {u"kind"_s, u"grade"_s}, &Tool::showNameList},
        {{u"show"_s, u"ranking"_s},
         {u"level"_s, u"view"_s, u"period"_s, u"grade"_s, u"pupil"_s},
         &Tool::showRanking},
        {{u"show"_s, u"today"_s}, {u"grade"_s, u"pupil"_s}, &Tool::showRecordList},
        {{u"show"_s, u"period"_s}, {u"view"_s, u"period"_s, u"grade"_s, u"pupil"_s}, &Tool::showRecordList},
        {{u"show"_s, u"personal"_s}, {u"grade"_s, u"pupil"_s}, &Tool::showRecordList},
        {{u"show"_s, u"records"_s}, {}, &Tool::showRecords},
        {{u"show"_s, u"distribution"_s}, {u"level"_s}, &Tool::showDistribution},
        {{u"show"_s, u"report"_s}, {u"pupil"_s, u"level"_s, u"grade"_s, u"period"_s}, &Tool::showReport},
    };
    return table;
}

std::optional<int> Tool::requireFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile()) return failed(path + u": ファイルがありません (file not found)"_s);
    if (!info.isReadable()) return failed(path + u": 読み込めません (cannot be read)"_s);
    return std::nullopt;
}

// The levels whose times matter: in use in the default level table and not
// practice (practice levels get fixed times on the hub).
std::array<bool, levelSlots> Tool::timedLevels() const
{
    Session session;
    buildDefaultLevelTable(session);
    std::array<bool, levelSlots> timed{};
    for (size_t k = 1; k <= size_t(maxLevel); ++k)
        timed[k] = session.levels.levelInUse[k] == 1 && !isPracticeLevel(session.levels.levelName[k]);
    return timed;
}

int Tool::fileFailure(const ResultFileError &error)
{
    return failed(error.path + u": "_s + readFailureText(error));
}

int Tool::run(const QStringList &args)
{
    const auto parsed = parse(args);
    if (const auto *error = std::get_if<UsageError>(&parsed)) return usage(error->text);
    m_options = std::get<Options>(parsed);
    const Options &options = m_options;
    const Command *command = nullptr;
    for (const Command &c : commands())
        if (c.words == options.words) command = &c;
    if (!command)
        return usage(
            u"unknown command \"%1\" (check, export, summary, show namelist|ranking|today|period|personal|report)"_s
                .arg(options.words.join(u' ')));
    for (const auto &[name, text] : options.values)
        if (!commonOptions().contains(name) && !command->options.contains(name))
            return usage(u"unknown option --%1 for %2"_s.arg(name, options.words.join(u' ')));

    m_now = m_env.now;
    if (auto it = options.values.find(u"now"_s); it != options.values.end()) {
        const std::optional<QDateTime> now = parseNow(it->second);
        if (!now) return usage(u"--now \"%1\" is not YYYY-MM-DDTHH:MM:SS"_s.arg(it->second));
        m_now = *now;
    }
    if (auto it = options.values.find(u"levels"_s); it != options.values.end()) {
        static const QRegularExpression digits(u"^\\d{1,2}$"_s);
        const int levels = it->second.toInt();
        if (!digits.match(it->second).hasMatch() || levels < 1 || levels > maxLevel)
            return usage(u"--levels \"%1\" is not a level count 1..35"_s.arg(it->second));
        m_levels = levels;
    }

    QString programDir = m_env.programDir;
    if (auto it = options.values.find(u"program-dir"_s); it != options.values.end()) programDir = it->second;
    programDir = QDir(programDir).absolutePath();
    m_folders.programDir = paths::toFolder(programDir, programDir);
    readPathFile(m_folders, m_pathDiagnostics);
    for (const Diagnostic &d : std::as_const(m_pathDiagnostics))
        if (d.severity == Diagnostic::Severity::Fatal) return usage(u"no data folder: "_s + d.toLine());
    if (!QFileInfo(m_folders.dataRoot).isDir())
        return usage(u"no data folder: %1 is not a folder"_s.arg(m_folders.dataRoot));
    if (!QFileInfo(m_folders.dataFolder).isDir())
        return usage(u"no data folder: %1 is not a folder"_s.arg(m_folders.dataFolder));

    return (this->*(command->run))();
}

int Tool::check()
{
    Diagnostics diagnostics = m_pathDiagnostics;
    // Every file is looked at, whatever is wrong with the others.
    auto present = [&](const QString &path) {
        if (QFileInfo(path).isFile()) return true;
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(), u"missing"_s});
        return false;
    };
    CommonSettings settings;
    if (present(m_folders.commonSettingsFile()))
        settings = readCommonSettings(m_folders.commonSettingsFile(), diagnostics);
    if (present(m_folders.criteriaFile())) {
        CriteriaTable criteria;
        const int rows = loadCriteria(m_folders.criteriaFile(), criteria, diagnostics);
        diagnostics += criteriaTimeChecks(m_folders.criteriaFile(), criteria, rows, timedLevels());
    }
    if (present(m_folders.soundNameFile())) {
        SoundTable sounds;
        loadSoundNames(m_folders.soundNameFile(), sounds, diagnostics);
    }
    if (present(m_folders.rosterFile()))
        diagnostics += rosterChecks(m_folders.rosterFile(), settings.commonSetting3,
                                    schoolYear(m_now.date(), settings.yearStartMonth));

    // The worksheet questions are optional: only a file that is there is checked.
    if (QFileInfo::exists(m_folders.worksheetFile()))
        diagnostics += print::readQuestionFile(m_folders.worksheetFile()).diagnostics;

    const QString path = m_folders.resultFile();
    if (m_env.mountInfo)
        if (auto warning = localLockWarning(m_env.mountInfo(), m_folders.dataFolder, path))
            diagnostics.append(*warning);

    ResultWindow window;
    if (auto error = results().read(-1, limitedWait(), window)) {
        // One line for a result file that cannot be read; the other files'
        // problems are still reported.
        diagnostics.append(
            {Diagnostic::Severity::Check, error->path, Diagnostic::fileLocation(), readFailureText(*error)});
        window = ResultWindow();
    }
    if (const std::optional<QString> text =
            journalText(results().journalFinding(), results().nextAsidePath()))
        diagnostics.append(
            {Diagnostic::Severity::Check, results().journalPath(), Diagnostic::fileLocation(), *text});
    const double latest = ole::fromDateTime(m_now) + 1;
    auto report = [&](qint64 record, const QString &text) {
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::recordLocation(record), text});
    };
    for (qint64 i = 0; i < window.count(); ++i) {
        const RecordView rec(window.recordData(i));
        const qint64 n = window.firstRecord + i + 1;
        if (journal::isFiller(rec.data())) {
            report(n,
                   u"filler left by an interrupted deletion (skipped by every reader; the next computer that "
                   u"takes the lock should have removed it)"_s);
            continue;
        }
        for (const QString &text : recordProblems(rec, latest))
            report(n, text);
    }
    if (window.tailBytes)
        report(window.totalRecords + 1,
               u"partial record of %1 bytes at the end (ignored; the next append overwrites it)"_s.arg(
                   window.tailBytes));

    sortForReport(diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics))
        m_out << d.toLine() << '\n';
    return diagnostics.isEmpty() ? 0 : 1;
}

int Tool::exportCsv()
{
    ResultWindow window;
    if (auto error = results().read(-1, limitedWait(), window)) return fileFailure(*error);
    m_out << "record,date,time,pupil,level,result_time,school_code\n";
    for (qint64 i = 0; i < window.count(); ++i) {
        const RecordView rec(window.recordData(i));
        const std::optional<QDate> date = ole::toDate(rec.date());
        const std::optional<QTime> time = ole::toTimeOfDay(rec.timeOfDay());
        m_out << (window.firstRecord + i + 1) << ',' << (date ? date->toString(u"yyyy-MM-dd"_s) : QString())
              << ',' << (time ? time->toString(u"HH:mm:ss"_s) : QString()) << ',' << rec.pupil() << ','
              << rec.level() << ',' << rec.storedTime() << ',' << csvField(schoolCodeText(rec.decode()))
              << '\n';
    }
    return 0;
}

int Tool::summary()
{
    const QString criteriaPath = m_folders.criteriaFile();
    if (auto code = requireFile(criteriaPath)) return *code;
    Diagnostics diagnostics;
    CriteriaTable criteria;
    loadCriteria(criteriaPath, criteria, diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics))
        if (d.severity == Diagnostic::Severity::Fatal) return failed(d.toLine());

    ResultTables tables;
    LoadOutcome loaded = loadResults(results(), limitedWait(), tables);
    if (loaded.error) return fileFailure(*loaded.error);
    aggregateRecords(criteria, m_now, loaded.records, tables);

    m_out << "pupil,level,today_tries,today_points,total_tries,total_points,judge_tries,judge_points,limit_"
             "tries,"
             "limit_points,best\n";
    for (int pupil = 1; pupil <= maxPupil; ++pupil) {
        for (int level = 1; level <= maxLevel; ++level) {
            const qint32 values[] = {tables.todayTries(level, pupil), tables.todayPoints(level, pupil),
                                     tables.totalTries(level, pupil), tables.totalPoints(level, pupil),
                                     tables.judgeTries(level, pupil), tables.judgePoints(level, pupil),
                                     tables.limitTries(level, pupil), tables.limitPoints(level, pupil)};
            const qint32 best = tables.best(level, pupil);
            if (best == 99999 &&
                std::all_of(std::begin(values), std::end(values), [](qint32 v) { return v == 0; }))
                continue;
            m_out << pupil << ',' << level;
            for (qint32 v : values)
                m_out << ',' << v;
            m_out << ',' << best << '\n';
        }
    }
    return 0;
}

std::optional<int> Tool::loadSession()
{
    for (const QString &path :
         {m_folders.commonSettingsFile(), m_folders.criteriaFile(), m_folders.rosterFile()})
        if (auto code = requireFile(path)) return code;
    Session &s = m_session;
    s.folders = m_folders;
    Diagnostics diagnostics;
    s.settings = readCommonSettings(m_folders.commonSettingsFile(), diagnostics);
    loadCriteria(m_folders.criteriaFile(), s.criteria, diagnostics);
    s.roster.schoolYear = schoolYear(m_now.date(), s.settings.yearStartMonth);
    loadRoster(m_folders.rosterFile(), s.settings.commonSetting3, s.roster, diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics))
        if (d.severity == Diagnostic::Severity::Fatal) return failed(d.toLine());
    buildDefaultLevelTable(s);
    s.levelCount = qint16(m_levels);
    if (auto error = aggregate(s.criteria, m_now, results(), limitedWait(), s.results))
        return fileFailure(*error);
    return std::nullopt;
}

std::optional<int> Tool::pupilOption(const QString &name, int &pupil)
{
    if (!has(name)) return std::nullopt;
    static const QRegularExpression digits(u"^\\d{1,4}$"_s);
    const QString text = value(name);
    pupil = text.toInt();
    if (!digits.match(text).hasMatch() || pupil < 1 || pupil > maxPupil)
        return usage(u"--%1 \"%2\" is not a pupil number 1..5000"_s.arg(name, text));
    return std::nullopt;
}

int Tool::showNameList()
{
    const QString kindText = value(u"kind"_s, u"1"_s);
    if (kindText.size() != 1 || kindText.at(0) < u'0' || kindText.at(0) > u'3')
        return usage(u"--kind \"%1\" is not a ranking kind 0..3"_s.arg(kindText));
    if (auto code = loadSession()) return *code;
    printLines(buildNameList(m_session.roster, m_session.results, RankingKind(kindText.toInt()),
                             value(u"grade"_s, allGradesFilter()))
                   .list1);
    return 0;
}

int Tool::showRanking()
{
    static const QRegularExpression digits(u"^\\d{1,2}$"_s);
    const QString levelText = value(u"level"_s);
    const int level = levelText.toInt();
    if (!digits.match(levelText).hasMatch() || level < 1 || level > maxLevel)
        return usage(u"--level \"%1\" is not a level 1..35"_s.arg(levelText));
    const QString view = value(u"view"_s);
    if (view != u"time"_s && view != u"points"_s) return usage(u"--view must be time or points"_s);
    const QString period = value(u"period"_s, u"total"_s);
    if (has(u"period"_s) && view != u"points"_s) return usage(u"--period goes with --view points only"_s);
    if (period != u"total"_s && period != u"today"_s) return usage(u"--period must be total or today"_s);
    int pupil = 0;
    if (auto code = pupilOption(u"pupil"_s, pupil)) return *code;
    if (auto code = loadSession()) return *code;
    hub::applyPracticeCriteria(m_session);
    hub::RankingOptions options;
    options.view = view == u"time"_s ? hub::RankView::Time : hub::RankView::Points;
    options.pointRankPeriod = period == u"today"_s ? 2 : 1;
    options.gradeFilter = value(u"grade"_s, allGradesFilter());
    options.currentPupil = pupil;
    options.levelInUse = m_session.levels.levelInUse[level] == 1;
    printLines(hub::buildRanking(m_session.roster, m_session.results, level, options).lines);
    return 0;
}

int Tool::showRecordList()
{
    const QString which = m_options.words.at(1);
    hub::RecordListOptions options;
    options.kind = which == u"today"_s    ? hub::RecordList::Today
                   : which == u"period"_s ? hub::RecordList::Period
                                          : hub::RecordList::Personal;
    const QString view = value(u"view"_s, u"time"_s);
    if (view != u"time"_s && view != u"points"_s) return usage(u"--view must be time or points"_s);
    options.view = view == u"time"_s ? hub::RankView::Time : hub::RankView::Points;
    const QString period = value(u"period"_s, u"3"_s);
    if (period.size() != 1 || period.at(0) < u'1' || period.at(0) > u'5')
        return usage(u"--period \"%1\" is not a period 1..5"_s.arg(period));
    options.listPeriod = period.toInt();
    int pupil = 0;
    if (auto code = pupilOption(u"pupil"_s, pupil)) return *code;
    if (options.kind == hub::RecordList::Personal && pupil == 0)
        return usage(u"show personal needs --pupil"_s);
    if (auto code = loadSession()) return *code;
    hub::applyPracticeCriteria(m_session);
    options.gradeFilter = value(u"grade"_s, allGradesFilter());
    options.currentPupil = pupil;
    options.levelCount = m_levels;
    options.now = m_now;
    ResultWindow window;
    if (auto error = results().read(hub::recordWindow(options.kind), limitedWait(), window))
        return fileFailure(*error);
    const hub::LevelLists lists =
        hub::buildRecordLists(window, m_session.roster, m_session.criteria, options);
    for (int i = 1; i <= m_levels; ++i) {
        m_out << '#' << i << '\n';
        printLines(lists.lines[size_t(i)]);
    }
    return 0;
}

int Tool::showReport()
{
    int pupil = 0;
    if (auto code = pupilOption(u"pupil"_s, pupil)) return *code;
    if (pupil == 0) return usage(u"show report needs --pupil"_s);
    std::vector<int> levels{1, 2, 3};
    if (has(u"level"_s)) {
        static const QRegularExpression digits(u"^\\d{1,2}$"_s);
        levels.clear();
        for (const QString &text : value(u"level"_s).split(u',')) {
            const int level = text.toInt();
            if (!digits.match(text).hasMatch() || level < 1 || level > maxLevel)
                return usage(u"--level \"%1\" is not a level 1..35"_s.arg(text));
            levels.push_back(level);
        }
    }
    // The report window's level list is taken top to bottom.
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    const QString period = value(u"period"_s, u"total"_s);
    if (period != u"total"_s && period != u"today"_s) return usage(u"--period must be total or today"_s);
    if (auto code = loadSession()) return *code;
    hub::applyPracticeCriteria(m_session);
    ResultWindow file;
    if (auto error = results().read(-1, limitedWait(), file)) return fileFailure(*error);

    const QString grade = value(u"grade"_s, allGradesFilter());
    const hub::RankedPupils group = hub::rankedPupils(m_session.roster);
    // A PDF page: which very slow drills still count as bests depends on the block's height.
    const report::Geometry a4{11906, 16838};
    for (int level : levels) {
        if (level > m_levels) break; // as the report leaves its loop
        hub::RankingOptions options;
        options.gradeFilter = grade;
        options.currentPupil = pupil;
        options.levelInUse = m_session.levels.levelInUse[size_t(level)] == 1;
        options.pointRankPeriod = period == u"today"_s ? 2 : 1;
        const report::LevelRanks ranks =
            report::rankingStep(group, m_session.results, level, pupil, options).values;
        report::BlockInput input;
        input.pupil = pupil;
        input.level = level;
        input.levelCount = m_levels;
        input.gradeMatches = gradeMatches(grade, m_session.roster.gradeOf(pupil));
        input.now = m_now;
        input.top = 0.05 * a4.height;
        input.geometry = a4;
        const report::BlockFigures figures = report::blockFigures(file, input);
        m_out << '#' << level << '\n';
        printLines(report::figureRows(figures, ranks));
        for (const report::BestEntry &best : figures.bests)
            m_out << best.timeText << ' ' << best.date << '\n';
    }
    return 0;
}

int Tool::showRecords()
{
    if (auto code = requireFile(m_folders.commonSettingsFile())) return *code;
    Diagnostics diagnostics;
    const CommonSettings settings = readCommonSettings(m_folders.commonSettingsFile(), diagnostics);
    const RecordPupils pupils = loadRecordPupils(
        m_folders.rosterFile(), schoolYear(m_now.date(), settings.yearStartMonth), diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics))
        if (d.severity != Diagnostic::Severity::Check) m_err << d.toLine() << '\n';
    ResultWindow window;
    if (auto error = results().read(-1, limitedWait(), window)) return fileFailure(*error);
    RecordLineContext context;
    context.pupils = &pupils;
    context.schoolCode = settings.schoolCode;
    context.schoolName = settings.schoolName;
    printLines(buildRecordLines(window, context).lines);
    return 0;
}

int Tool::showDistribution()
{
    static const QRegularExpression digits(u"^\\d{1,2}$"_s);
    const QString levelText = value(u"level"_s);
    const int level = levelText.toInt();
    if (!digits.match(levelText).hasMatch() || level < 1 || level > maxLevel)
        return usage(u"--level \"%1\" is not a level 1..35"_s.arg(levelText));
    ResultWindow window;
    if (auto error = results().read(-1, limitedWait(), window)) return fileFailure(*error);
    const Distribution d = buildDistribution(window, level);
    printLines(d.allResults);
    m_out << "#best\n";
    printLines(d.bestTimes);
    return 0;
}

} // namespace

int runDataTool(const QStringList &args, const DataToolEnvironment &env, QTextStream &out, QTextStream &err)
{
    return Tool(env, out, err).run(args);
}

} // namespace kemoro
