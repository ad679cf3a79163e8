#include "hub/hublists.h"

using namespace Qt::StringLiterals;

namespace kemoro::hub {

namespace {

HubList records(RecordList kind, const ListState &state)
{
    HubList list;
    list.kind = ListKind::Records;
    list.records = kind;
    list.form = state.listView == HubView::Points ? RankView::Points : RankView::Time;
    list.state = state;
    switch (kind) {
    case RecordList::Today:
        list.title = u"本日の成績"_s;
        break;
    case RecordList::Period:
        list.periodBox = true;
        break; // the period shows in Combo2 instead
    case RecordList::Personal:
        list.title = u"個人別ﾀｲﾑ"_s;
        break;
    }
    // Points are not a time: only the time view's lists take the colour of their newest time.
    list.tinted = kind != RecordList::Personal && list.form == RankView::Time;
    return list;
}

HubList built(ListState state, ListChoice choice)
{
    if (state.listView != HubView::Points) {
        state.listView = HubView::Time;
        if (choice == ListChoice::First) {
            HubList list;
            list.kind = ListKind::BestTimes;
            list.title = u"ベスト成績"_s;
            list.state = state;
            return list;
        }
        return records(choice == ListChoice::Second ? RecordList::Today : RecordList::Period, state);
    }
    if (choice == ListChoice::Third)
        return records(RecordList::Period, state); // the ranking order stays for the report window
    state.period = choice == ListChoice::First ? PointsPeriod::SoFar : PointsPeriod::Today;
    HubList list;
    list.kind = ListKind::PointsRanking;
    list.form = RankView::Points;
    list.title = state.period == PointsPeriod::SoFar ? u"獲得ポイント（今まで順位）"_s
                                                     : u"獲得ポイント（今日の順位）"_s;
    list.state = state;
    return list;
}

} // namespace

ListCaptions designCaptions()
{
    return {u"BEST表示"_s, u"本日のみ"_s, u"オール表示"_s};
}

HubList activationList()
{
    HubList list = built({HubView::Points, PointsPeriod::SoFar}, ListChoice::First);
    list.captions = {u"累計順"_s, u"本日順"_s, std::nullopt};
    return list;
}

HubList viewChosen(const ListState &state, HubView view, std::optional<ListChoice> checked)
{
    if (view == HubView::Personal) {
        HubList list = records(RecordList::Personal, state);
        list.reportButton = true;
        return list;
    }
    const ListState next{view, state.period};
    HubList list;
    if (checked)
        list = built(next, *checked);
    else
        list.state = next;
    if (view == HubView::Time)
        list.captions = {u"BEST表示"_s, u"本日のみ"_s, std::nullopt};
    else
        list.captions = {u"合計累計"_s, u"合計本日"_s, u"すべて"_s};
    return list;
}

HubList listChosen(const ListState &state, ListChoice choice)
{
    return built(state, choice);
}

} // namespace kemoro::hub
