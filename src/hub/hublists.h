#pragma once

#include "hub/rankings.h"
#include "hub/recordlists.h"

#include <QString>

#include <array>
#include <optional>

namespace kemoro::hub {

// Option2(k): what the level lists of the hub show.
enum class HubView { Time = 0, Points = 1, Personal = 2 };
// Option1(j): which list of the time or the points view.
enum class ListChoice { First = 1, Second = 2, Third = 3 };
// What the points ranking ranks by first (pointRankPeriod).
enum class PointsPeriod { SoFar = 1, Today = 2 };

// Which builder fills the level lists.
enum class ListKind {
    None,          // nothing is built: no list of the view is chosen
    BestTimes,     // Command6: the time ranking of every level
    PointsRanking, // Command3 of every level in the points view
    Records,       // Command5, Command7, Command16: lines read from the record file
};

// What the option lists are about between two choices. The personal-time
// view keeps the state of the view before it: its option buttons still build
// that view's lists, and the report window ranks by its period.
struct ListState
{
    HubView listView = HubView::Time; // Time or Points; a hub that chose nothing yet lists as the time view
    PointsPeriod period = PointsPeriod::SoFar;
};

// The captions of Option1(1..3); an empty one stays as it was.
using ListCaptions = std::array<std::optional<QString>, 3>;

// What the hub builds for a choice of view or list.
struct HubList
{
    ListKind kind = ListKind::None;
    RecordList records = RecordList::Today; // for ListKind::Records
    RankView form = RankView::Time;         // the ranking's or the period list's form
    QString title;                          // Label5
    ListCaptions captions;
    bool tinted = false;       // 成績リスト色表示 colours each list by its newest time
    bool periodBox = false;    // Combo2 shows once the lists are built
    bool reportButton = false; // "グラフ" shows
    ListState state;           // the state after this choice
};

// Option1(1..3) as the screen is designed.
ListCaptions designCaptions();
// Hub activation: the points view ranked by points so far, under the captions
// of activation ("累計順", "本日順").
HubList activationList();
// Option2_Click(view): `checked` is the selected Option1 button, if any.
HubList viewChosen(const ListState &state, HubView view, std::optional<ListChoice> checked);
// Option1_Click(choice) in the view the option lists belong to.
HubList listChosen(const ListState &state, ListChoice choice);

} // namespace kemoro::hub
