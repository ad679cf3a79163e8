#include "tools/datatool.h"

#include "criteria/criteria.h"
#include "platform/oledate.h"
#include "platform/paths.h"
#include "results/aggregation.h"
#include "state/config.h"
#include "state/folders.h"
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
    QString command;
    std::map<QString, QString> values;
};

// A usage problem: one line on stderr, exit 2.
struct UsageError
{
    QString text;
};

std::variant<Options, UsageError> parse(const QStringList &args)
{
    static const QStringList known = {u"program-dir"_s, u"now"_s, u"levels"_s};
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(u"--"_s)) {
            if (!options.command.isEmpty())
                return UsageError{u"unexpected argument \"%1\""_s.arg(arg)};
            options.command = arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(u'=');
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (!known.contains(name))
            return UsageError{u"unknown option --%1"_s.arg(name)};
        if (options.values.count(name))
            return UsageError{u"option --%1 given twice"_s.arg(name)};
        if (eq < 0) {
            if (i + 1 >= args.size() || args.at(i + 1).startsWith(u"--"_s))
                return UsageError{u"option --%1 needs a value"_s.arg(name)};
            value = args.at(++i);
        }
        options.values[name] = value;
    }
    if (options.command.isEmpty())
        return UsageError{u"no command given (check, export or summary)"_s};
    if (options.command != u"check"_s && options.command != u"export"_s && options.command != u"summary"_s)
        return UsageError{u"unknown command \"%1\" (check, export or summary)"_s.arg(options.command)};
    return options;
}

std::optional<QDateTime> parseNow(const QString &text)
{
    static const QRegularExpression form(u"^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})$"_s);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
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

class Tool
{
public:
    Tool(const DataToolEnvironment &env, QTextStream &out, QTextStream &err) : m_env(env), m_out(out), m_err(err) {}

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
            if (waited + seconds > lockWaitLimitSeconds)
                return false;
            waited += seconds;
            return m_env.wait ? m_env.wait(seconds) : true;
        };
    }
    std::optional<int> requireFile(const QString &path);
    int fileFailure(const ResultFileError &error);
    int check();
    int exportCsv();
    int summary();

    const DataToolEnvironment &m_env;
    QTextStream &m_out;
    QTextStream &m_err;
    QDateTime m_now;
    Folders m_folders;
    Diagnostics m_pathDiagnostics;
};

std::optional<int> Tool::requireFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return failed(path + u": ファイルがありません (file not found)"_s);
    if (!info.isReadable())
        return failed(path + u": 読み込めません (cannot be read)"_s);
    return std::nullopt;
}

int Tool::fileFailure(const ResultFileError &error)
{
    if (error.kind == ResultFileError::Kind::Busy)
        return failed(error.path + u": locked by another computer for %1 s"_s.arg(lockWaitLimitSeconds));
    return failed(error.path + u": 読み込めません (cannot be read): "_s + error.description);
}

int Tool::run(const QStringList &args)
{
    const auto parsed = parse(args);
    if (const auto *error = std::get_if<UsageError>(&parsed))
        return usage(error->text);
    const Options &options = std::get<Options>(parsed);

    m_now = m_env.now;
    if (auto it = options.values.find(u"now"_s); it != options.values.end()) {
        const std::optional<QDateTime> now = parseNow(it->second);
        if (!now)
            return usage(u"--now \"%1\" is not YYYY-MM-DDTHH:MM:SS"_s.arg(it->second));
        m_now = *now;
    }
    if (auto it = options.values.find(u"levels"_s); it != options.values.end()) {
        static const QRegularExpression digits(u"^\\d{1,2}$"_s);
        const int levels = it->second.toInt();
        if (!digits.match(it->second).hasMatch() || levels < 1 || levels > maxLevel)
            return usage(u"--levels \"%1\" is not a level count 1..35"_s.arg(it->second));
    }

    QString programDir = m_env.programDir;
    if (auto it = options.values.find(u"program-dir"_s); it != options.values.end())
        programDir = it->second;
    programDir = QDir(programDir).absolutePath();
    m_folders.programDir = paths::toFolder(programDir, programDir);
    readPathFile(m_folders, m_pathDiagnostics);
    for (const Diagnostic &d : std::as_const(m_pathDiagnostics))
        if (d.severity == Diagnostic::Severity::Fatal)
            return usage(u"no data folder: "_s + d.toLine());
    if (!QFileInfo(m_folders.dataRoot).isDir())
        return usage(u"no data folder: %1 is not a folder"_s.arg(m_folders.dataRoot));
    if (!QFileInfo(m_folders.dataFolder).isDir())
        return usage(u"no data folder: %1 is not a folder"_s.arg(m_folders.dataFolder));

    if (options.command == u"check"_s)
        return check();
    if (options.command == u"export"_s)
        return exportCsv();
    return summary();
}

int Tool::check()
{
    for (const QString &path : {m_folders.commonSettingsFile(), m_folders.criteriaFile(), m_folders.soundNameFile()})
        if (auto code = requireFile(path))
            return *code;

    Diagnostics diagnostics = m_pathDiagnostics;
    readCommonSettings(m_folders.commonSettingsFile(), diagnostics);
    CriteriaTable criteria;
    loadCriteria(m_folders.criteriaFile(), criteria, diagnostics);
    SoundTable sounds;
    loadSoundNames(m_folders.soundNameFile(), sounds, diagnostics);

    const QString path = m_folders.resultFile();
    ResultWindow window;
    if (auto error = ResultFile(path).read(-1, limitedWait(), window))
        return fileFailure(*error);
    const double latest = ole::fromDateTime(m_now) + 1;
    auto report = [&](qint64 record, const QString &text) {
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::recordLocation(record), text});
    };
    for (qint64 i = 0; i < window.count(); ++i) {
        const ResultRecord rec = decodeRecord(window.recordData(i));
        const qint64 n = window.firstRecord + i + 1;
        if (rec.level < 1 || rec.level > maxLevel)
            report(n, u"level %1 is outside 1..35 (not counted)"_s.arg(rec.level));
        if (rec.pupil < 1 || rec.pupil > maxPupil)
            report(n, u"pupil %1 is outside 1..5000 (not counted)"_s.arg(rec.pupil));
        if (rec.resultTime < 0)
            report(n, u"result time %1 is negative (read as 99999)"_s.arg(rec.resultTime));
        const std::optional<QDate> date = ole::toDate(rec.date);
        if (!date || rec.date < 0)
            report(n, u"date %1 is not a valid date (not counted)"_s.arg(number(rec.date)));
        else if (rec.date > latest)
            report(n, u"date %1 lies in the future (counted in every period)"_s.arg(date->toString(Qt::ISODate)));
        if (!ole::toTimeOfDay(rec.timeOfDay))
            report(n, u"time of day %1 is not in [0, 1) (not counted)"_s.arg(number(rec.timeOfDay)));
    }
    if (window.tailBytes)
        report(window.totalRecords + 1,
               u"partial record of %1 bytes at the end (ignored; the next append overwrites it)"_s.arg(window.tailBytes));

    sortForReport(diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics))
        m_out << d.toLine() << '\n';
    return diagnostics.isEmpty() ? 0 : 1;
}

int Tool::exportCsv()
{
    ResultWindow window;
    if (auto error = ResultFile(m_folders.resultFile()).read(-1, limitedWait(), window))
        return fileFailure(*error);
    m_out << "record,date,time,pupil,level,result_time,school_code\n";
    for (qint64 i = 0; i < window.count(); ++i) {
        const ResultRecord rec = decodeRecord(window.recordData(i));
        const std::optional<QDate> date = ole::toDate(rec.date);
        const std::optional<QTime> time = ole::toTimeOfDay(rec.timeOfDay);
        m_out << (window.firstRecord + i + 1) << ',' << (date ? date->toString(u"yyyy-MM-dd"_s) : QString()) << ','
              << (time ? time->toString(u"HH:mm:ss"_s) : QString()) << ',' << rec.pupil << ',' << rec.level << ','
              << rec.resultTime << ',' << csvField(schoolCodeText(rec)) << '\n';
    }
    return 0;
}

int Tool::summary()
{
    const QString criteriaPath = m_folders.criteriaFile();
    if (auto code = requireFile(criteriaPath))
        return *code;
    Diagnostics diagnostics;
    CriteriaTable criteria;
    loadCriteria(criteriaPath, criteria, diagnostics);
    for (const Diagnostic &d : std::as_const(diagnostics))
        if (d.severity == Diagnostic::Severity::Fatal)
            return failed(d.toLine());

    ResultTables tables;
    LoadOutcome loaded = loadResults(ResultFile(m_folders.resultFile()), limitedWait(), tables);
    if (loaded.error)
        return fileFailure(*loaded.error);
    aggregateRecords(criteria, m_now, loaded.records, tables);

    m_out << "pupil,level,today_tries,today_points,total_tries,total_points,judge_tries,judge_points,limit_tries,"
             "limit_points,best\n";
    for (int pupil = 1; pupil <= maxPupil; ++pupil) {
        for (int level = 1; level <= maxLevel; ++level) {
            const qint32 values[] = {tables.todayTries(level, pupil),  tables.todayPoints(level, pupil),
                                     tables.totalTries(level, pupil),  tables.totalPoints(level, pupil),
                                     tables.judgeTries(level, pupil),  tables.judgePoints(level, pupil),
                                     tables.limitTries(level, pupil),  tables.limitPoints(level, pupil)};
            const qint32 best = tables.best(level, pupil);
            if (best == 99999 && std::all_of(std::begin(values), std::end(values), [](qint32 v) { return v == 0; }))
                continue;
            m_out << pupil << ',' << level;
            for (qint32 v : values)
                m_out << ',' << v;
            m_out << ',' << best << '\n';
        }
    }
    return 0;
}

} // namespace

int runDataTool(const QStringList &args, const DataToolEnvironment &env, QTextStream &out, QTextStream &err)
{
    return Tool(env, out, err).run(args);
}

} // namespace kemoro
