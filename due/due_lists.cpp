#include "due/due_lists.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "core/bank_calendar.h"
#include "core/day_date.h"
#include "output/partner_summary.h"

namespace due {

namespace {

    // Stored day numbers count from 1899-12-30.
    const qint64 EpochJulianDay = QDate(1899, 12, 30).toJulianDay();

    // The whole day of a stored date, or none for a value no calendar day stands for.
    std::optional<qint64> dayOf(double stored)
    {
        if (!daydate::isDay(stored))
            return std::nullopt;
        return static_cast<qint64>(daydate::wholeDay(stored));
    }

    QDate dateOf(qint64 day)
    {
        return QDate::fromJulianDay(EpochJulianDay + day);
    }

    qint64 dayOf(QDate date)
    {
        return date.toJulianDay() - EpochJulianDay;
    }

    // A partner code as one number that orders as its bytes do, the shorter of two equal
    // beginnings first: codes hold at most 8 bytes and never a zero byte.
    std::uint64_t codeKey(std::string_view code)
    {
        static_assert(decltype(NoteRecord::PartnerCode)::capacity <= 8);
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < 8; ++i)
            key = (key << 8) | (i < code.size() ? static_cast<unsigned char>(code[i]) : 0u);
        return key;
    }

    // Sorts a list by its keys (a million notes are sorted by the numbers, not by reaching into
    // the records at every comparison); equal keys keep table order.
    template <typename KeyOf> void sortBy(NoteList &list, KeyOf keyOf)
    {
        using Key = decltype(keyOf(list.rows.front()));
        std::vector<std::pair<Key, std::uint32_t>> keyed;
        keyed.reserve(list.rows.size());
        for (std::size_t i = 0; i < list.rows.size(); ++i)
            keyed.emplace_back(keyOf(list.rows[i]), static_cast<std::uint32_t>(i));
        std::sort(keyed.begin(), keyed.end());
        std::vector<DueNote> sorted;
        sorted.reserve(keyed.size());
        for (const auto &k : keyed)
            sorted.push_back(list.rows[k.second]);
        list.rows = std::move(sorted);
    }

    // Due date, then partner code, then issue date.
    void sortByDueDate(NoteList &list, const Notes &notes)
    {
        sortBy(list, [&](const DueNote &row) {
            const NoteRecord &n = notes[static_cast<std::size_t>(row.note)];
            const double issued = n.IssueDate; // a copy: the packed record's field is unaligned
            return std::tuple(row.due.toJulianDay(), codeKey(n.PartnerCode.view()), issued);
        });
    }

    // Partner code, then issue date, then due date.
    void sortByPartner(NoteList &list, const Notes &notes)
    {
        sortBy(list, [&](const DueNote &row) {
            const NoteRecord &n = notes[static_cast<std::size_t>(row.note)];
            const double issued = n.IssueDate; // a copy: the packed record's field is unaligned
            return std::tuple(codeKey(n.PartnerCode.view()), issued, row.due.toJulianDay());
        });
    }

    // The days of one run, as stored day numbers.
    struct Window
    {
        qint64 today;
        qint64 lastComing; // today + days
        qint64 planFirst; // the first day of this month
        qint64 planEnd; // the first day after the twelve months
        qint64 yearAgo; // issue dates after this are within the last 12 months
        qint64 clearingEnds;

        Window(QDate day, int days)
            : today(dayOf(day))
            , lastComing(today + days)
            , planFirst(dayOf(QDate(day.year(), day.month(), 1)))
            , planEnd(dayOf(QDate(day.year(), day.month(), 1).addMonths(PlanMonths)))
            , yearAgo(dayOf(day.addYears(-1)))
            , clearingEnds(dayOf(bankcalendar::PaperClearingEnds))
        {
        }
    };

    // A note due a few days before the plan's first day may settle inside it (a Saturday the
    // 31st settles on Monday the 2nd); a week covers the longest run of bank holidays.
    constexpr qint64 LongestClosure = 7;

    int monthIndex(QDate first, QDate settles)
    {
        return (settles.year() - first.year()) * 12 + settles.month() - first.month();
    }

    void add(NoteList &list, std::int32_t note, qint64 dueDay, Money amount)
    {
        const QDate due = dateOf(dueDay);
        list.rows.push_back({ note, due, bankcalendar::settlementDay(due) });
        list.sum += amount;
    }

} // namespace

Money MonthPlan::difference() const
{
    // A sum stopped at one end of the range stands at the other once turned round.
    const Money paid = payable.atUpperLimit() ? Money::fromStored(INT64_MIN)
        : payable.atLowerLimit()              ? Money::fromStored(INT64_MAX)
                                              : Money::fromStored(-payable.stored());
    return receivable + paid;
}

Overview overview(const Notes &notes, QDate today, int days)
{
    Overview o;
    o.today = today;
    o.days = std::clamp(days, FewestDays, MostDays);
    const Window w(today, o.days);
    const QDate firstMonth(today.year(), today.month(), 1);
    for (int m = 0; m < PlanMonths; ++m)
        o.months[static_cast<std::size_t>(m)].month = firstMonth.addMonths(m);
    o.total.month = firstMonth;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const NoteRecord &n = notes[i];
        const std::optional<qint64> due = dayOf(n.DueDate);
        if (!due)
            continue;
        const auto index = static_cast<std::int32_t>(i);
        const bool open = n.Settled == 0;
        const bool payable = n.Kind == PayableNote;
        const bool receivable = n.Kind == ReceivableNote;
        if (payable && termDays(n) > LongestAcceptedTerm) {
            const std::optional<qint64> issued = dayOf(n.IssueDate);
            if (issued && *issued > w.yearAgo && *issued <= w.today)
                add(o.longTerms, index, *due, n.Amount);
        }
        if (!open)
            continue;
        if (*due >= w.clearingEnds) {
            add(o.afterClearing, index, *due, n.Amount);
            if (n.Kind < NoteKindCount) {
                KindTotal &kind = o.afterClearingByKind[n.Kind];
                ++kind.count;
                kind.sum += n.Amount;
            }
        }
        if (!payable && !receivable)
            continue;
        if (receivable && *due < w.today) {
            // Still expected, but on no day the plan can name: it stands apart, before the months.
            add(o.overdue, index, *due, n.Amount);
            o.total.receivable += n.Amount;
            continue;
        }
        if (*due >= w.today && *due <= w.lastComing)
            add(payable ? o.payable : o.receivable, index, *due, n.Amount);
        if (*due >= w.planFirst - LongestClosure && *due < w.planEnd) {
            const int m = monthIndex(firstMonth, bankcalendar::settlementDay(dateOf(*due)));
            if (m < 0 || m >= PlanMonths)
                continue;
            MonthPlan &month = o.months[static_cast<std::size_t>(m)];
            (payable ? month.payable : month.receivable) += n.Amount;
            (payable ? o.total.payable : o.total.receivable) += n.Amount;
        }
    }
    o.pastDue.receivable = o.overdue.sum;
    for (NoteList *list : { &o.overdue, &o.payable, &o.receivable, &o.afterClearing })
        sortByDueDate(*list, notes);
    sortByPartner(o.longTerms, notes);
    return o;
}

StatusCounts statusCounts(const Notes &notes, QDate today, int days)
{
    StatusCounts c;
    const Window w(today, std::clamp(days, FewestDays, MostDays));
    for (const NoteRecord &n : notes) {
        if (n.Settled != 0 || (n.Kind != PayableNote && n.Kind != ReceivableNote))
            continue;
        const std::optional<qint64> due = dayOf(n.DueDate);
        if (!due)
            continue;
        if (n.Kind == ReceivableNote && *due < w.today)
            ++c.overdue;
        if (*due < w.today || *due > w.lastComing)
            continue;
        if (n.Kind == PayableNote) {
            ++c.payable;
            c.payableSum += n.Amount;
        } else {
            ++c.receivable;
            c.receivableSum += n.Amount;
        }
    }
    return c;
}

} // namespace due
