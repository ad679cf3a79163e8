#include "print/report.h"

#include "hub/recordlists.h"
#include "platform/cp932.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "results/recordview.h"
#include "state/session.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace Qt::StringLiterals;

namespace kemoro::report {

namespace {
QString fullWidth(int n)
{
    return QString(n, QChar(0x3000));
}

constexpr Rgb black{0, 0, 0};
constexpr Rgb ruleColour{1, 0, 0}; // as good as black, but not the current colour
constexpr Rgb bestColour{255, 0, 0};
constexpr Rgb otherColour{0, 0, 255};
} // namespace

QString numberField(double value, int width)
{
    const double rounded = std::round(value); // halves away from zero
    const QString digits = rounded == 0 ? QString() : QString::number(qint64(rounded));
    return rightAligned(digits, width);
}

QString textField(const QString &text, int width)
{
    return rightAligned(text, width);
}

int chartTop(qint32 slowest)
{
    const qint64 top = 10 * (qint64(slowest) / 10 + 1);
    return int(std::min<qint64>(top, 1000));
}

RankingStep rankingStep(const hub::RankedPupils &group, const ResultTables &tables, int level, int pupil,
                        hub::RankingOptions options)
{
    RankingStep step;
    options.reportStyle = true;
    if (options.pointRankPeriod != 2) options.pointRankPeriod = 1;
    auto rankOf = [](const QString &piece) {
        bool ok = false;
        const int rank = trimBlanks(piece).toInt(&ok);
        return ok ? rank : 0; // "---": no result
    };

    options.view = hub::RankView::Points;
    step.points = hub::buildRanking(group, tables, level, options);
    for (size_t i = 0; i < step.points.pupils.size(); ++i) {
        const qint64 points = step.points.points[i];
        if (points > 0) {
            ++step.values.pointsPupils;
            step.values.pointsSum += points;
        }
    }
    // Found by number: names cut to five characters can be another pupil's.
    const auto inPoints = std::find(step.points.pupils.begin(), step.points.pupils.end(), pupil);
    if (inPoints != step.points.pupils.end()) {
        const size_t i = size_t(inPoints - step.points.pupils.begin());
        step.values.pointsRank = rankOf(step.points.ranks.at(qsizetype(i)));
        step.values.points = step.points.points[i];
    }

    options.view = hub::RankView::Time;
    step.time = hub::buildRanking(group, tables, level, options);
    const auto inTime = std::find(step.time.pupils.begin(), step.time.pupils.end(), pupil);
    if (inTime != step.time.pupils.end())
        step.values.timeRank = rankOf(step.time.ranks.at(qsizetype(inTime - step.time.pupils.begin())));
    return step;
}

QString pdfTitle(const Roster &roster, const std::vector<int> &pupils, const QString &fallback)
{
    if (pupils.empty()) return fallback;
    QString title = roster.pupilNames[size_t(std::clamp(pupils.front(), 0, maxPupil))];
    if (title.isEmpty()) title = fallback;
    if (pupils.size() > 1) title += u"ほか%1名"_s.arg(pupils.size() - 1);
    return title;
}

QStringList pupilLines(const Roster &roster)
{
    QStringList lines;
    lines.reserve(roster.rosterCount());
    for (const RosterEntry &e : roster.entries) {
        if (e.status != 0) continue;
        const int p = std::clamp(int(e.pupilNo), 0, maxPupil);
        lines.append(roster.pupilGradeLabels[size_t(p)] + u" /  "_s + e.trimmedName() + u'/' +
                     QString::number(p));
    }
    std::vector<QByteArray> keys;
    keys.reserve(size_t(lines.size()));
    for (const QString &line : std::as_const(lines))
        keys.push_back(cp932::encode(line).value_or(cp932::encodeLossy(line)));
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    QStringList sorted;
    sorted.reserve(lines.size());
    for (size_t k : order)
        sorted.append(lines.at(qsizetype(k)));
    return sorted;
}

int pupilOfLine(const QString &line)
{
    const qsizetype slash = line.lastIndexOf(u'/');
    if (slash < 0) return 0;
    bool ok = false;
    const int pupil = trimBlanks(QStringView(line).mid(slash + 1)).toInt(&ok);
    return ok ? pupil : 0;
}

namespace {
// The fields of a record the report reads, straight from its bytes: the
// passes read every record of the file for every block.
struct Fields
{
    double date;
    double timeOfDay;
    int pupil;
    int level;
    qint32 time;
    bool valid; // a pupil's drill with a date and a time of day
};

Fields fieldsOf(const char *rec)
{
    const RecordView view(rec);
    Fields f;
    f.date = view.date();
    f.timeOfDay = view.timeOfDay();
    f.pupil = view.pupil();
    f.level = view.level();
    f.time = view.resultTime();
    f.valid = view.isDrill() && view.hasDate() && view.hasTimeOfDay();
    return f;
}

struct Window
{
    int levelCount;
    double earliest; // dates must be later than this

    bool contains(const Fields &f) const { return f.valid && f.level <= levelCount && f.date > earliest; }
};
} // namespace

BlockFigures blockFigures(const ResultWindow &file, const BlockInput &input)
{
    BlockFigures out;
    const Window window{std::clamp(input.levelCount, 0, maxLevel), ole::fromDateTime(input.now) - windowDays};
    const int level = input.level;
    const qint64 n = file.count();

    for (qint64 k = std::max<qint64>(0, n - firstPassRecords); k < n; ++k) {
        const Fields f = fieldsOf(file.recordData(k));
        if (f.level != level || f.pupil != input.pupil || f.time >= plottedTimeLimit || !window.contains(f))
            continue;
        ++out.count;
        out.sum += f.time;
        out.slowest = std::max(out.slowest, f.time);
    }
    out.chartTop = chartTop(out.slowest);

    const double c = input.geometry.c();
    const double m = out.chartTop;
    double lastOffset = -99999; // the value the first best has to beat
    std::optional<double> lastDay;
    std::vector<qint64> plottedAt; // t of each point, for x once t is known
    for (qint64 k = 0; k < n; ++k) {
        const Fields f = fieldsOf(file.recordData(k));
        if (!window.contains(f)) continue;
        lastDay = f.date;
        if (f.level != level) continue;
        if (f.time < plottedTimeLimit) {
            out.schoolSum += f.time;
            ++out.schoolCount;
        }
        out.schoolBest = std::min(out.schoolBest, f.time);
        if (f.pupil != input.pupil) continue;
        if (f.time < plottedTimeLimit) ++out.plotted;
        if (!input.gradeMatches) continue;
        const double offset = c * (0.8 - 0.7 * double(f.time) / m);
        PlotPoint point;
        point.y = input.top + offset;
        if (offset > lastOffset && out.bests.size() < size_t(maxBestEntries)) {
            point.best = true;
            lastOffset = offset;
            out.bests.push_back({offset, 0, point.y, QString::number(f.time) + u"秒"_s,
                                 hub::shortDate(*ole::toDate(f.date))});
        }
        out.points.push_back(point);
        plottedAt.push_back(out.plotted);
    }
    if (lastDay) out.lastDate = hub::shortDate(*ole::toDate(*lastDay));

    // x spreads the drills over the count the pass ended with, so nothing
    // divides by zero and no point leaves the axis.
    const double f = input.geometry.f();
    size_t best = 0;
    for (size_t i = 0; i < out.points.size(); ++i) {
        const double share = out.plotted == 0 ? 0 : double(plottedAt[i]) / double(out.plotted);
        out.points[i].x = f * (0.7 * share + 0.2);
        if (out.points[i].best) out.bests[best++].x = out.points[i].x;
    }
    if (!out.points.empty()) out.lastX = out.points.back().x;
    return out;
}

QStringList figureRows(const BlockFigures &figures, const LevelRanks &ranks)
{
    const QString lastBest = figures.bests.empty() ? QString() : figures.bests.back().timeText;
    QStringList rows;
    rows.reserve(rowCount);
    rows << u"回数"_s + fullWidth(7) + numberField(double(figures.count), 3) + u"回"_s;
    rows << u"タイム  "_s + fullWidth(2) + u' ' + fullWidth(1) + u"    本人 / 塾全体"_s;
    rows << fullWidth(2) + u"順位"_s + fullWidth(4) + numberField(ranks.timeRank, 5) + u"位"_s;
    rows << fullWidth(2) + u"最高"_s + fullWidth(4) + textField(lastBest, 6) + u" /"_s +
                numberField(figures.schoolBest, 5) + u"秒"_s;
    if (figures.count != 0) {
        // The pupil's average is cut to whole seconds, the school's rounded.
        const double school =
            figures.schoolCount == 0 ? 0 : double(figures.schoolSum) / double(figures.schoolCount);
        rows << fullWidth(2) + u"平均"_s + fullWidth(4) +
                    numberField(double(figures.sum / figures.count), 5) + u"秒"_s + u" /"_s +
                    numberField(school, 5) + u"秒"_s;
    } else {
        rows << QString();
    }
    rows << u"ポイント  "_s + fullWidth(3);
    rows << fullWidth(2) + u"順位"_s + fullWidth(4) + numberField(ranks.pointsRank, 5) + u"位"_s;
    rows << fullWidth(2) + u"獲得ポイント"_s + numberField(double(ranks.points), 5) + u"点"_s;
    if (ranks.pointsPupils != 0)
        rows << fullWidth(12) + u'/' + numberField(double(ranks.pointsSum) / double(ranks.pointsPupils), 5) +
                    u"点"_s;
    else
        rows << QString();
    rows << fullWidth(12) + u" (塾平均)"_s;
    return rows;
}

namespace {
void textAt(PrintSurface &s, double x, double y, const QString &text)
{
    s.moveTo(QPointF(x, y));
    s.text(text);
}

void lineIn(PrintSurface &s, QPointF from, QPointF to, Rgb colour)
{
    s.setColour(colour);
    s.line(from, to);
    s.setColour(black);
}

// A later best's date in the same year as the best before it shows month and day only.
QString labelDate(const QString &date, const QString &previous)
{
    return date.left(5) == previous.left(5) ? date.right(5) : date;
}
} // namespace

void drawBlock(PrintSurface &s, const BlockInput &input, const BlockFigures &figures, const LevelRanks &ranks,
               const QString &pupilName, const QString &title, const Style &style)
{
    const double w = input.geometry.width, h = input.geometry.height;
    const double f = input.geometry.f(), c = input.geometry.c();
    const double n = input.top;
    const double base = style.paper ? 6 : style.baseFontSize;
    s.setColour(black);

    if (n < 0.08 * h) {
        s.setFont(style.fontName, 3 * style.baseFontSize);
        textAt(s, 0.01 * f, 0.02 * c, pupilName);
    }
    const double width = style.paper ? 30 : 5;
    s.setLineWidth(width);
    s.setFont(style.fontName, base);

    s.setLineWidth(2);
    lineIn(s, QPointF(0, n), QPointF(w, n), ruleColour);
    lineIn(s, QPointF(0, n + 0.09 * c), QPointF(w, n + 0.09 * c), ruleColour);
    s.setLineWidth(width);

    s.setFontSize((style.paper ? 3 : 2) * style.baseFontSize);
    textAt(s, 0.7 * f, n + 0.01 * c, title);
    s.setFontSize(style.baseFontSize);

    lineIn(s, QPointF(0.2 * f, n + 0.8 * c), QPointF(0.9 * f, n + 0.8 * c), ruleColour);
    s.line(QPointF(0.2 * f, n + 0.8 * c), QPointF(0.2 * f, n + 0.1 * c));

    for (const PlotPoint &p : figures.points) {
        s.setColour(p.best ? bestColour : otherColour);
        s.point(QPointF(p.x, p.y));
    }
    s.setColour(black);

    const double size = s.fontSize();
    s.setFontSize(1.5 * size);
    const double step = (style.paper ? 0.06 : 0.08) * c;
    const QStringList rows = figureRows(figures, ranks);
    for (int r = 1; r <= rowCount; ++r) {
        const double row = r == rowCount ? 9.5 : r; // the caption stands half a step below row 9
        if (!rows.at(r - 1).isEmpty()) textAt(s, 1.05 * f, n + 0.05 * c + row * step, rows.at(r - 1));
    }
    s.setFontSize(size);

    const std::vector<BestEntry> &bests = figures.bests;
    if (bests.empty()) return;
    textAt(s, figures.lastX - 0.025 * f, n + 0.815 * c, figures.lastDate);
    s.setLineWidth(3);
    for (size_t k = 1; k < bests.size(); ++k)
        lineIn(s, QPointF(bests[k - 1].x, bests[k - 1].y), QPointF(bests[k].x, bests[k].y), black);
    textAt(s, 0.12 * f, n + 0.79 * c, u"0秒"_s);
    textAt(s, 0.12 * f, n + 0.1 * c, QString::number(figures.chartTop) + u"秒"_s);

    const BestEntry &first = bests.front();
    textAt(s, 0.12 * f, first.y - 0.01 * c, first.timeText);
    textAt(s, first.x - 0.025 * f, n + 0.815 * c, first.date);
    const size_t count = bests.size();
    if (count > 5) {
        for (size_t k = 3; k + 2 <= count; k += 3) { // entries 3, 6, 9, ... counted from 1
            const BestEntry &e = bests[k - 1];
            textAt(s, e.x - 0.025 * f, e.y + 0.01 * c, e.timeText);
            textAt(s, e.x - 0.025 * f, e.y + 0.03 * c, labelDate(e.date, bests[k - 2].date));
        }
    }
    const BestEntry &last = bests.back();
    textAt(s, last.x - 0.025 * f, last.y + 0.04 * c, last.timeText);
    textAt(s, last.x - 0.025 * f, last.y + 0.07 * c,
           count > 1 ? labelDate(last.date, bests[count - 2].date) : last.date);
}

std::optional<ResultFileError> drawReport(PrintSurface &surface, const Request &request, const Hooks &hooks)
{
    // The blocks fill the page; on paper the surface fits the page, with the
    // rules' pen (2 dots, round ends) on its edges, into the printable area.
    const Geometry geometry{surface.pageSize().width(), surface.pageSize().height()};
    const double h = geometry.height;
    if (request.style.paper) {
        const double pen = 2 * surface.twipsPerDevicePixel();
        surface.setContentBox(QRectF(QPointF(0, 0), surface.pageSize()).adjusted(-pen, -pen, pen, pen));
    } else {
        surface.newPage();
    }
    surface.setFont(request.style.fontName, request.style.paper ? 6 : request.style.baseFontSize);
    surface.setLineWidth(request.style.paper ? 30 : 5);

    double top = 0.05 * h - 0.3 * h;
    for (int item : request.levelItems) {
        top += 0.3 * h;
        if (top > 0.9 * h) {
            surface.newPage();
            top = 0.05 * h;
        }
        const int level = item + request.firstLevel - 1;
        const LevelRanks ranks = hooks.rank ? hooks.rank(level) : LevelRanks();
        if (level > request.levelCount) break;

        ResultWindow file;
        if (hooks.read) {
            if (std::optional<ResultFileError> failed = hooks.read(file)) return failed;
        }
        BlockInput input;
        input.pupil = request.pupil;
        input.level = level;
        input.levelCount = request.levelCount;
        input.gradeMatches = request.gradeMatches;
        input.now = request.now;
        input.top = top;
        input.geometry = geometry;
        const BlockFigures figures = blockFigures(file, input);
        drawBlock(surface, input, figures, ranks, request.pupilName,
                  request.title ? request.title(level) : QString(), request.style);
        if (hooks.drawn) hooks.drawn();
    }
    return std::nullopt;
}

} // namespace kemoro::report
