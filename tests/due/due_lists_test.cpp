#include <gtest/gtest.h>

#include <QDate>

#include "core/day_date.h"
#include "due/due_lists.h"
#include "due/due_texts.h"
#include "tests/sheets/sheet_fixtures.h"

using namespace Qt::StringLiterals;
using namespace due;

namespace {

// Monday 7 December 2026.
const QDate Today(2026, 12, 7);

struct Entry
{
    const char16_t *number;
    std::uint8_t kind;
    bool settled;
    QDate issued;
    QDate due;
    std::int64_t yen;
};

Notes notesOf(std::initializer_list<Entry> entries)
{
    Notes notes;
    for (const Entry &e : entries) {
        NoteRecord n = fixtures::note(
            { u"001"_s, u"B01"_s, e.kind, static_cast<std::uint8_t>(e.settled ? 1 : 0),
                e.yen * 10'000, QString::fromUtf16(e.number) });
        n.IssueDate = daydate::fromDate(e.issued);
        n.DueDate = daydate::fromDate(e.due);
        notes.push_back(n);
    }
    return notes;
}

const QDate Issued(2026, 11, 1);

// Month ends, a weekend, the year-end bank holidays and a national holiday among the due dates.
Notes calendarNotes()
{
    return notesOf({
        { u"R-past", ReceivableNote, false, Issued, QDate(2026, 12, 4), 100 },
        { u"R-paid", ReceivableNote, true, Issued, QDate(2026, 12, 1), 200 },
        { u"P-today", PayableNote, false, Issued, QDate(2026, 12, 7), 300 },
        { u"P-sat", PayableNote, false, Issued, QDate(2026, 12, 19), 400 },
        { u"R-last", ReceivableNote, false, Issued, QDate(2026, 12, 21), 500 },
        { u"R-after", ReceivableNote, false, Issued, QDate(2026, 12, 22), 600 },
        { u"P-yearend", PayableNote, false, Issued, QDate(2026, 12, 31), 700 },
        { u"R-holiday", ReceivableNote, false, Issued, QDate(2027, 1, 11), 800 },
        { u"R-monthend", ReceivableNote, false, Issued, QDate(2027, 1, 31), 900 },
        { u"C-open", Cheque, false, Issued, QDate(2026, 12, 10), 1000 },
    });
}

QStringList numbersOf(const NoteList &list, const Notes &notes)
{
    QStringList numbers;
    for (const DueNote &row : list.rows)
        numbers << QString::fromLatin1(notes[static_cast<std::size_t>(row.note)].NoteNumber.view());
    return numbers;
}

} // namespace

TEST(DueLists, ComingDaysListTheRightNotesWithTheirBankDays)
{
    const Notes notes = calendarNotes();
    const Overview o = overview(notes, Today, 14);
    EXPECT_EQ(numbersOf(o.overdue, notes), QStringList { u"R-past"_s });
    EXPECT_EQ(numbersOf(o.payable, notes), (QStringList { u"P-today"_s, u"P-sat"_s }));
    EXPECT_EQ(numbersOf(o.receivable, notes), QStringList { u"R-last"_s })
        << "today + 14 days is the last day listed";
    EXPECT_EQ(o.payable.rows[1].settles, QDate(2026, 12, 21)) << "a Saturday settles on Monday";
    EXPECT_EQ(o.payable.sum, Money::fromStored(700 * 10'000));
    EXPECT_EQ(totalLine(o.payable), u"合計 2件 700円"_s);

    // A leap day that is a bank day settles on itself; one listed only once the days reach it.
    const Notes leap =
        notesOf({ { u"P-leap", PayableNote, false, QDate(2028, 1, 4), QDate(2028, 2, 29), 1 } });
    EXPECT_EQ(overview(leap, QDate(2028, 2, 20), 9).payable.rows.at(0).settles, QDate(2028, 2, 29));
    EXPECT_TRUE(overview(leap, QDate(2028, 2, 20), 8).payable.rows.empty());
}

TEST(DueLists, CashPlanSumsByTheMonthOfTheSettlementDay)
{
    const Notes notes = calendarNotes();
    const Overview o = overview(notes, Today, 14);
    ASSERT_EQ(o.months[0].month, QDate(2026, 12, 1));
    const auto yen = [](std::int64_t n) { return Money::fromStored(n * 10'000); };
    // December: the payments of the 7th and the 19th; the year-end payment settles in January.
    EXPECT_EQ(o.months[0].payable, yen(300 + 400));
    EXPECT_EQ(o.months[0].receivable, yen(500 + 600)) << "the past-due note stands apart";
    EXPECT_EQ(o.pastDue.receivable, yen(100));
    EXPECT_EQ(o.months[1].payable, yen(700));
    EXPECT_EQ(o.months[1].receivable, yen(800));
    // 31 January 2027 is a Sunday: it settles on 1 February.
    EXPECT_EQ(o.months[2].receivable, yen(900));
    EXPECT_EQ(o.total.payable, yen(1400));
    EXPECT_EQ(o.total.receivable, yen(2900));
    EXPECT_EQ(o.total.difference(), yen(1500));
    EXPECT_EQ(
        planCells(o.months[0]), (QStringList { u"2026年12月"_s, u"700"_s, u"1,100"_s, u"400"_s }));
}

// Where each note lands in the cash plan: row 0 is 期日経過, row m + 1 the m-th month, -1 none.
TEST(DueLists, CashPlanPutsOverdueReceivablesFirstAndTheTotalAddsUp)
{
    const struct
    {
        const char *what;
        Entry note;
        int row;
    } cases[] = {
        { "an unpaid receivable from last month",
            { u"R-nov", ReceivableNote, false, Issued, QDate(2026, 11, 20), 1 }, 0 },
        { "an unpaid receivable from earlier this month",
            { u"R-dec", ReceivableNote, false, Issued, QDate(2026, 12, 4), 2 }, 0 },
        { "a collected receivable",
            { u"R-paid", ReceivableNote, true, Issued, QDate(2026, 11, 30), 8 }, -1 },
        { "a receivable due today", { u"R-today", ReceivableNote, false, Issued, Today, 16 }, 1 },
        { "an unpaid payable note past due",
            { u"P-nov", PayableNote, false, Issued, QDate(2026, 11, 20), 32 }, -1 },
    };
    const auto yen = [](std::int64_t n) { return Money::fromStored(n * 10'000); };
    const auto rowOf = [](const Overview &o, int row) {
        return row == 0 ? o.pastDue : o.months[static_cast<std::size_t>(row - 1)];
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const Overview o = overview(notesOf({ c.note }), Today, 14);
        for (int row = 0; row <= PlanMonths; ++row) {
            const MonthPlan plan = rowOf(o, row);
            EXPECT_EQ(plan.receivable + plan.payable, row == c.row ? yen(c.note.yen) : yen(0))
                << "row " << row;
        }
    }

    Notes all;
    for (const auto &c : cases)
        all.push_back(notesOf({ c.note }).front());
    const Overview o = overview(all, Today, 14);
    EXPECT_EQ(planPastDueCells(o.pastDue), (QStringList { u"期日経過"_s, u"0"_s, u"3"_s, u"3"_s }));
    Money payable, receivable;
    for (int row = 0; row <= PlanMonths; ++row) {
        payable += rowOf(o, row).payable;
        receivable += rowOf(o, row).receivable;
    }
    EXPECT_EQ(o.total.payable, payable);
    EXPECT_EQ(o.total.receivable, receivable);
    EXPECT_EQ(o.total.receivable, yen(1 + 2 + 16));
}

// The boundaries of the two checks: a term of 60 days is accepted, 61 is not; a note due the day
// before paper clearing ends is still cleared, one due on that day is not.
TEST(DueLists, LongTermsAndTheEndOfPaperClearingAtTheirBoundaries)
{
    const Notes notes = notesOf({
        { u"T60", PayableNote, false, QDate(2026, 10, 1), QDate(2026, 11, 30), 1 },
        { u"T61", PayableNote, true, QDate(2026, 10, 1), QDate(2026, 12, 1), 2 },
        { u"T61-R", ReceivableNote, false, QDate(2026, 10, 1), QDate(2026, 12, 1), 3 },
        { u"T90-old", PayableNote, false, QDate(2025, 12, 7), QDate(2026, 3, 7), 4 },
        { u"T90-new", PayableNote, false, QDate(2025, 12, 8), QDate(2026, 3, 8), 5 },
        { u"E-0331", ReceivableNote, false, Issued, QDate(2027, 3, 31), 6 },
        { u"E-0401", Cheque, false, Issued, QDate(2027, 4, 1), 7 },
        { u"E-paid", ReceivableNote, true, Issued, QDate(2027, 5, 1), 8 },
    });
    const Overview o = overview(notes, Today, 14);
    EXPECT_EQ(numbersOf(o.longTerms, notes), (QStringList { u"T90-new"_s, u"T61"_s }))
        << "issued within the last 12 months, settled or not, in issue order";
    EXPECT_EQ(numbersOf(o.afterClearing, notes), QStringList { u"E-0401"_s });
    EXPECT_EQ(o.afterClearingByKind[Cheque].count, 1);
    EXPECT_EQ(clearingCountLine(o), u"合計 1件（小切手 1件 7円）"_s);
}
