#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QDate>

#include "core/money.h"
#include "core/records.h"
#include "core/tables.h"

// What falls due: the notes past due, the payments and receipts of the coming days, cash by
// month, payable notes on long terms and the notes due after paper clearing ends. All of it
// comes from one pass over the note table, with today from the caller's clock.
namespace due {

inline constexpr int DefaultDays = 14;
inline constexpr int FewestDays = 1;
inline constexpr int MostDays = 365;
// Longer payment terms than this count as a violation under the rules on subcontracting.
inline constexpr int LongestAcceptedTerm = 60;
inline constexpr int PlanMonths = 12;

// One listed note, with the day it falls due and the bank day it settles on.
struct DueNote
{
    std::int32_t note = -1;
    QDate due;
    QDate settles;
};

// A list and its total line.
struct NoteList
{
    std::vector<DueNote> rows;
    Money sum;
};

// One month of the cash plan: sums by the month of the settlement day.
struct MonthPlan
{
    QDate month; // its first day
    Money payable;
    Money receivable;
    Money difference() const;
};

struct KindTotal
{
    std::int64_t count = 0;
    Money sum;
};

struct Overview
{
    QDate today;
    int days = DefaultDays;
    NoteList overdue; // receivable, unsettled, due before today
    NoteList payable; // payable, unsettled, due from today to today + days
    NoteList receivable; // receivable, unsettled, due in the same days
    // The cash plan: first the overdue receivables (no month of their own, their sum that of
    // overdue), then by the month of settlement the notes due from today on; the total is all.
    MonthPlan pastDue;
    std::array<MonthPlan, PlanMonths> months {};
    MonthPlan total;
    NoteList longTerms; // payable notes issued in the last 12 months on terms over 60 days
    NoteList afterClearing; // unsettled notes of every kind due once paper clearing has ended
    std::array<KindTotal, NoteKindCount> afterClearingByKind {};
};

// Everything above for the notes on today, the coming days being 1..365.
Overview overview(const Notes &notes, QDate today, int days);

// What the status line counts, without building any list.
struct StatusCounts
{
    std::int64_t overdue = 0;
    std::int64_t payable = 0;
    Money payableSum;
    std::int64_t receivable = 0;
    Money receivableSum;
};
StatusCounts statusCounts(const Notes &notes, QDate today, int days);

} // namespace due
