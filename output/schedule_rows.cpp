#include "output/schedule_rows.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "store/day_date.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace schedule {

namespace {

    // A stored date as an integer in the same order; -0 equals 0 and a damaged value (NaN)
    // still gets a fixed place, so the sort's order stays strict.
    std::int64_t dateKey(double day)
    {
        if (day == 0)
            day = 0;
        const auto bits = std::bit_cast<std::int64_t>(day);
        return bits < 0 ? bits ^ INT64_MAX : bits;
    }

    // A code's bytes from the top, zeros after them, its length last: comparing two keys
    // compares the common bytes, then puts the shorter of two equal beginnings first.
    std::uint64_t codeKey(std::string_view code)
    {
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < code.size(); ++i)
            key |= std::uint64_t(static_cast<unsigned char>(code[i])) << (56 - 8 * i);
        return key | code.size();
    }
    static_assert(
        decltype(NoteRecord::PartnerCode)::capacity <= 7, "a code key holds seven bytes at most");

    struct DueKey
    {
        std::int64_t due;
        std::uint64_t code;
        std::int64_t issue;
        std::int32_t index;
    };

    double dueDay(const NoteRecord &note)
    {
        return daydate::wholeDay(note.DueDate);
    }

    QString amountYen(const QString &amount)
    {
        return amount + u"円"_s;
    }

} // namespace

std::vector<std::int32_t> selection(const Notes &notes,
    const std::vector<std::int32_t> &sourceOrder, int kind, double startDay, double endDay)
{
    std::vector<std::int32_t> chosen;
    for (std::int32_t i : sourceOrder) {
        const NoteRecord &n = notes[static_cast<std::size_t>(i)];
        const double due = dueDay(n);
        if (n.Kind == kind && n.Settled == 0 && startDay <= due && due <= endDay)
            chosen.push_back(i);
    }
    return chosen;
}

std::vector<std::int32_t> setArr3(const Notes &notes, const std::vector<std::int32_t> &selected)
{
    std::vector<DueKey> keys;
    keys.reserve(selected.size());
    for (std::int32_t i : selected) {
        const NoteRecord &n = notes[static_cast<std::size_t>(i)];
        keys.push_back(
            { dateKey(dueDay(n)), codeKey(n.PartnerCode.view()), dateKey(n.IssueDate), i });
    }
    std::stable_sort(keys.begin(), keys.end(), [](const DueKey &a, const DueKey &b) {
        if (a.due != b.due)
            return a.due < b.due;
        if (a.code != b.code)
            return a.code < b.code;
        return a.issue < b.issue;
    });
    std::vector<std::int32_t> sorted(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorted[i] = keys[i].index;
    return sorted;
}

std::vector<Line> lines(
    const Notes &notes, double startDay, int dayCount, const std::vector<std::int32_t> &sorted)
{
    // One pass over the days with a cursor into the sorted notes: what stepping back over a day
    // once per note of it prints, without the stepping.
    std::vector<Line> out;
    out.reserve(sorted.size() + static_cast<std::size_t>(std::max(dayCount, 0)));
    std::size_t cursor = 0;
    for (int offset = 0; offset < dayCount && cursor < sorted.size(); ++offset) {
        const double day = startDay + offset;
        Line subtotal;
        subtotal.day = day;
        while (cursor < sorted.size()) {
            const std::int32_t index = sorted[cursor];
            const NoteRecord &n = notes[static_cast<std::size_t>(index)];
            if (dueDay(n) != day)
                break;
            out.push_back({ index, 0, day, n.Amount });
            ++subtotal.count;
            subtotal.amount += n.Amount;
            ++cursor;
        }
        if (subtotal.count > 0)
            out.push_back(subtotal);
    }
    return out;
}

QString periodCaption(QDate start, QDate end)
{
    const QString format = QString::fromUtf16(daydate::ShortFormat);
    return start.toString(format) + u"～"_s + end.toString(format);
}

int dayCount(QDate start, QDate end)
{
    if (!start.isValid() || !end.isValid())
        return 0;
    return static_cast<int>(std::max<qint64>(start.daysTo(end) + 1, 0));
}

QStringList printedNoteTexts(
    const NoteRecord &note, double day, const std::string_view *partnerName)
{
    const QString date = daydate::toDate(day).toString(u"yy'年'M'月'd'日'"_s);
    if (!partnerName)
        return { date, QString(), QString(), QString(), QString() };
    return { date, sjis::decode(note.PartnerCode.view()), sjis::decode(*partnerName),
        sjis::decode(note.NoteNumber.view()), amountYen(note.Amount.textN()) };
}

QStringList printedSubtotalTexts(const Line &subtotal)
{
    return { QString::number(subtotal.count) + u"件"_s, amountYen(subtotal.amount.textN()) };
}

QString csvDate(double day)
{
    return daydate::toDate(day).toString(u"yy'年'MM'月'dd'日'"_s);
}

QStringList csvTitleFields(const QString &title, const QString &period)
{
    return { title, period };
}

QStringList csvHeaderFields()
{
    return { u"日付"_s, QString(), u"取引先名"_s, u"手形番号"_s, u"金額"_s };
}

QStringList csvNoteFields(const NoteRecord &note, double day, std::string_view partnerName)
{
    return { csvDate(day), u"'"_s + sjis::decode(note.PartnerCode.view()),
        sjis::decode(partnerName), sjis::decode(note.NoteNumber.view()),
        amountYen(note.Amount.textF()) };
}

QStringList csvSubtotalFields(const Line &subtotal)
{
    return { QString(), QString(), QString::number(subtotal.count) + u"件"_s,
        amountYen(subtotal.amount.textF()) };
}

} // namespace schedule
