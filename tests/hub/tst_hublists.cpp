#include "hub/hublists.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::hub;

namespace {
// "time" or "points", a comma, "so far" or "today": the state the hub stands in.
ListState stateOf(const QString &text)
{
    const QStringList parts = text.split(u", "_s);
    return {parts.at(0) == u"points"_s ? HubView::Points : HubView::Time,
            parts.at(1) == u"today"_s ? PointsPeriod::Today : PointsPeriod::SoFar};
}
QString stateText(const ListState &s)
{
    return (s.listView == HubView::Points ? u"points, "_s
            : s.listView == HubView::Time ? u"time, "_s
                                          : u"personal, "_s) +
           (s.period == PointsPeriod::Today ? u"today"_s : u"so far"_s);
}
QString kindText(const HubList &list)
{
    switch (list.kind) {
    case ListKind::None:
        return u"none"_s;
    case ListKind::BestTimes:
        return u"best times"_s;
    case ListKind::PointsRanking:
        return u"points ranking"_s;
    case ListKind::Records:
        break;
    }
    switch (list.records) {
    case RecordList::Today:
        return u"today's records"_s;
    case RecordList::Period:
        return u"period records"_s;
    case RecordList::Personal:
        return u"own records"_s;
    }
    return QString();
}
// The three captions joined by "/", "=" for one that stays as it was.
QString captionsText(const ListCaptions &captions)
{
    QStringList out;
    for (const std::optional<QString> &c : captions)
        out.append(c.value_or(u"="_s));
    return out.join(u'/');
}
} // namespace

class TestHubLists : public QObject
{
    Q_OBJECT
private slots:
    void lists_data();
    void lists();
};

void TestHubLists::lists_data()
{
    QTest::addColumn<QString>("call"); // design, activation, view k, list j
    QTest::addColumn<QString>("from"); // the state before the call
    QTest::addColumn<int>("arg");      // the view k or the list j; for a view the checked list, 0 none
    QTest::addColumn<int>("checked");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("form"); // the ranking's or the period list's form
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("captions");
    QTest::addColumn<bool>("tinted");
    QTest::addColumn<bool>("periodBox");
    QTest::addColumn<bool>("graph");
    QTest::addColumn<QString>("after"); // the state after the call
    const QString soFar = u"獲得ポイント（今まで順位）"_s, today = u"獲得ポイント（今日の順位）"_s;
    const QString timeCaptions = u"BEST表示/本日のみ/="_s, pointsCaptions = u"合計累計/合計本日/すべて"_s;
    const QString keep = u"=/=/="_s;
    // clang-format off
    QTest::newRow("design captions")                      << u"design"_s     << u"time, so far"_s   << 0 << 0 << u"none"_s            << u"time"_s   << QString()         << u"BEST表示/本日のみ/オール表示"_s << false << false << false << u"time, so far"_s;
    QTest::newRow("activation ranks by points so far")    << u"activation"_s << u"time, so far"_s   << 0 << 0 << u"points ranking"_s  << u"points"_s << soFar             << u"累計順/本日順/="_s             << false << false << false << u"points, so far"_s;
    QTest::newRow("time view, BEST表示: best times")      << u"view"_s       << u"points, today"_s  << 0 << 1 << u"best times"_s      << u"time"_s   << u"ベスト成績"_s    << timeCaptions                    << false << false << false << u"time, today"_s;
    QTest::newRow("time view, 本日のみ: tinted")          << u"view"_s       << u"points, so far"_s << 0 << 2 << u"today's records"_s << u"time"_s   << u"本日の成績"_s    << timeCaptions                    << true  << false << false << u"time, so far"_s;
    QTest::newRow("time view, オール表示: tinted, period") << u"view"_s       << u"points, so far"_s << 0 << 3 << u"period records"_s  << u"time"_s   << QString()         << timeCaptions                    << true  << true  << false << u"time, so far"_s;
    QTest::newRow("points view, 合計累計: by so far")     << u"view"_s       << u"time, today"_s    << 1 << 1 << u"points ranking"_s  << u"points"_s << soFar             << pointsCaptions                  << false << false << false << u"points, so far"_s;
    QTest::newRow("points view, 合計本日: by today")      << u"view"_s       << u"time, so far"_s   << 1 << 2 << u"points ranking"_s  << u"points"_s << today             << pointsCaptions                  << false << false << false << u"points, today"_s;
    QTest::newRow("points view, すべて: no tint")         << u"view"_s       << u"time, today"_s    << 1 << 3 << u"period records"_s  << u"points"_s << QString()         << pointsCaptions                  << false << true  << false << u"points, today"_s;
    QTest::newRow("view without a chosen list")           << u"view"_s       << u"time, so far"_s   << 1 << 0 << u"none"_s            << u"time"_s   << QString()         << pointsCaptions                  << false << false << false << u"points, so far"_s;
    QTest::newRow("personal view keeps the lists' state") << u"view"_s       << u"points, today"_s  << 2 << 2 << u"own records"_s     << u"points"_s << u"個人別ﾀｲﾑ"_s    << keep                            << false << false << true  << u"points, today"_s;
    QTest::newRow("list 本日のみ keeps the captions")     << u"list"_s       << u"time, so far"_s   << 2 << 0 << u"today's records"_s << u"time"_s   << u"本日の成績"_s    << keep                            << true  << false << false << u"time, so far"_s;
    QTest::newRow("list 合計本日 ranks by today")         << u"list"_s       << u"points, so far"_s << 2 << 0 << u"points ranking"_s  << u"points"_s << today             << keep                            << false << false << false << u"points, today"_s;
    QTest::newRow("list 合計累計 ranks by so far")        << u"list"_s       << u"points, today"_s  << 1 << 0 << u"points ranking"_s  << u"points"_s << soFar             << keep                            << false << false << false << u"points, so far"_s;
    QTest::newRow("list すべて: no tint, order kept")     << u"list"_s       << u"points, today"_s  << 3 << 0 << u"period records"_s  << u"points"_s << QString()         << keep                            << false << true  << false << u"points, today"_s;
    QTest::newRow("list オール表示 in the time view")      << u"list"_s       << u"time, today"_s    << 3 << 0 << u"period records"_s  << u"time"_s   << QString()         << keep                            << true  << true  << false << u"time, today"_s;
    QTest::newRow("list BEST表示 in the time view")       << u"list"_s       << u"time, so far"_s   << 1 << 0 << u"best times"_s      << u"time"_s   << u"ベスト成績"_s    << keep                            << false << false << false << u"time, so far"_s;
    // clang-format on
}

void TestHubLists::lists()
{
    QFETCH(QString, call);
    QFETCH(QString, from);
    QFETCH(int, arg);
    QFETCH(int, checked);
    QFETCH(QString, kind);
    QFETCH(QString, form);
    QFETCH(QString, title);
    QFETCH(QString, captions);
    QFETCH(bool, tinted);
    QFETCH(bool, periodBox);
    QFETCH(bool, graph);
    QFETCH(QString, after);
    const ListState state = stateOf(from);
    HubList list;
    if (call == u"design"_s) {
        list.captions = designCaptions();
        list.state = state;
    } else if (call == u"activation"_s) {
        list = activationList();
    } else if (call == u"view"_s) {
        const std::optional<ListChoice> choice = checked ? std::optional(ListChoice(checked)) : std::nullopt;
        list = viewChosen(state, HubView(arg), choice);
    } else {
        list = listChosen(state, ListChoice(arg));
    }
    QCOMPARE(kindText(list), kind);
    QCOMPARE(list.form == RankView::Points ? u"points"_s : u"time"_s, form);
    QCOMPARE(list.title, title);
    QCOMPARE(captionsText(list.captions), captions);
    QCOMPARE(list.tinted, tinted);
    QCOMPARE(list.periodBox, periodBox);
    QCOMPARE(list.reportButton, graph);
    QCOMPARE(stateText(list.state), after);
}

QTEST_APPLESS_MAIN(TestHubLists)
#include "tst_hublists.moc"
