#include "output/schedule_rows.h"

#include <algorithm>
#include <cmath>

#include "core/day_date.h"
#include "core/sjis.h"
#include "output/csv_line.h"
#include "output/sort_keys.h"
#include "output/yen_unit.h"

using namespace Qt::StringLiterals;

static_assert(decltype(NoteRecord::PartnerCode)::capacity <= sortkey::CodeBytes,
    "a code key holds seven bytes at most");

namespace schedule {

namespace {

    double dueDay(const NoteRecord &note)
    {
        return daydate::wholeDay(note.DueDate);
    }

    QString amountYen(const QString &figure, Money amount)
    {
        return figure + yenUnit(amount);
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
    std::vector<sortkey::NoteKey> keys;
    keys.reserve(selected.size());
    for (std::int32_t i : selected) {
        const NoteRecord &n = notes[static_cast<std::size_t>(i)];
        keys.push_back({ sortkey::date(dueDay(n)), sortkey::code(n.PartnerCode.view()),
            sortkey::date(n.IssueDate), i });
    }
    return sortkey::sortedIndices(std::move(keys));
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
        sjis::decode(note.NoteNumber.view()), amountYen(note.Amount.textN(), note.Amount) };
}

QStringList printedSubtotalTexts(const Line &subtotal)
{
    return { QString::number(subtotal.count) + u"件"_s,
        amountYen(subtotal.amount.textN(), subtotal.amount) };
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
        csv::plainText(sjis::decode(partnerName)),
        csv::plainText(sjis::decode(note.NoteNumber.view())),
        amountYen(note.Amount.textF(), note.Amount) };
}

QStringList csvSubtotalFields(const Line &subtotal)
{
    return { QString(), QString(), QString::number(subtotal.count) + u"件"_s,
        amountYen(subtotal.amount.textF(), subtotal.amount) };
}

} // namespace schedule
