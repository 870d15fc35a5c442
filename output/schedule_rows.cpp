#include "output/schedule_rows.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/day_date.h"
#include "output/sort_keys.h"

using namespace Qt::StringLiterals;

static_assert(decltype(NoteRecord::PartnerCode)::capacity <= sortkey::CodeBytes,
    "a code key holds seven bytes at most");

namespace schedule {

namespace {

    double dueDay(const NoteRecord &note)
    {
        return daydate::wholeDay(note.DueDate);
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

namespace {

    using output::Align;
    using output::Cell;
    using output::CellKind;

    constexpr output::Column<Row> NoteColumns[] = {
        { u"日付", CellKind::DueDay, [](const Row &r) { return Cell { .number = r.line->day }; },
            { 0.0, 23.8, Align::Right } },
        { u"", CellKind::Code,
            [](const Row &r) { return Cell { .bytes = r.note->PartnerCode.view() }; },
            { 24.1, 13.2, Align::Right, false, 3.4 } },
        { u"取引先名", CellKind::Text, [](const Row &r) { return Cell { .bytes = r.partnerName }; },
            { 37.6, 73.8, Align::Left, true } },
        { u"手形番号", CellKind::Text,
            [](const Row &r) { return Cell { .bytes = r.note->NoteNumber.view() }; },
            { 111.7, 25.1, Align::Right } },
        { u"金額", CellKind::Yen, [](const Row &r) { return Cell { .amount = r.note->Amount }; },
            { 138.4, 25.1, Align::Right } },
    };

    constexpr output::Column<Row> SubtotalColumns[] = {
        { u"", CellKind::Empty, [](const Row &) { return Cell {}; } },
        { u"", CellKind::Empty, [](const Row &) { return Cell {}; } },
        { u"", CellKind::Count, [](const Row &r) { return Cell { .count = r.line->count }; },
            { 123.6, 13.2, Align::Right } },
        { u"", CellKind::Yen, [](const Row &r) { return Cell { .amount = r.line->amount }; },
            { 138.4, 25.1, Align::Right } },
    };

} // namespace

std::span<const output::Column<Row>> noteColumns()
{
    return NoteColumns;
}

std::span<const output::Column<Row>> subtotalColumns()
{
    return SubtotalColumns;
}

Table::Table(const Notes &notes, const Partners &partners, std::span<const Line> lines)
    : notes_(notes)
    , lines_(lines)
    , partners_(partners)
{
}

std::optional<Row> Table::row(int line) const
{
    const Line *l = output::entryAt(lines_, line);
    if (!l)
        return std::nullopt;
    if (l->subtotal())
        return Row { l, nullptr, {}, false };
    const NoteRecord *note = output::entryAt(notes_, l->note);
    if (!note)
        return std::nullopt;
    const std::int32_t at = partners_.first(note->PartnerCode.view());
    return Row { l, note, partners_.nameAt(at), at >= 0 };
}

output::LineShape Table::shape(int line) const
{
    output::LineShape s;
    if (const Line *l = output::entryAt(lines_, line); l && l->subtotal()) {
        s.detail = false;
        s.child = true;
    }
    return s;
}

void Table::prefetch(int line) const
{
    const Line *l = output::entryAt(lines_, line);
    if (const NoteRecord *note = l ? output::entryAt(notes_, l->note) : nullptr) {
        const char *bytes = reinterpret_cast<const char *>(note);
        __builtin_prefetch(bytes);
        __builtin_prefetch(bytes + offsetof(NoteRecord, Amount));
    }
}

void Table::writeCells(csv::LineWriter &line, const Row &row) const
{
    if (row.note)
        output::writeCells<NoteColumns>(line, row);
    else
        output::writeCells<SubtotalColumns>(line, row);
}

QStringList Table::pageTexts(const Row &row) const
{
    QStringList texts = output::pageTexts(columns(row), row);
    if (row.note && !row.named)
        for (qsizetype i = 1; i < texts.size(); ++i)
            texts[i].clear();
    return texts;
}

} // namespace schedule
