#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

#include "core/lookups.h"
#include "output/report_columns.h"
#include "session/session.h"

// The payment and collection schedules: the unsettled notes of one kind due in a period, day by
// day, each day that has notes closed by a line of its count and amount.
namespace schedule {

// The unsettled notes of kind (0 payable, 1 receivable) of sourceOrder due from startDay to
// endDay, both included, in sourceOrder's order. Due dates count by their whole day, so a stray
// time of day can never leave a note selected but matched to no day.
std::vector<std::int32_t> selection(const Notes &notes,
    const std::vector<std::int32_t> &sourceOrder, int kind, double startDay, double endDay);

// The selection ordered by due day, then partner code (byte by byte, the shorter of two equal
// beginnings first), then issue date. A stable sort: equal notes keep the selection's order.
std::vector<std::int32_t> setArr3(const Notes &notes, const std::vector<std::int32_t> &selected);

// One line of a schedule: a note due on day, or the subtotal closing day.
struct Line
{
    std::int32_t note = -1; // NoteTable index; -1 for the subtotal
    std::int32_t count = 0; // the subtotal's number of notes
    double day = 0;
    Money amount; // the subtotal's sum
    bool subtotal() const { return note < 0; }
};

// The lines of dayCount days from startDay over the selection in setArr3's order: the notes due
// on a day, then its subtotal; a day without notes has no lines. Notes due outside those days are
// never reached.
std::vector<Line> lines(
    const Notes &notes, double startDay, int dayCount, const std::vector<std::int32_t> &sorted);

// "2001/06/01～2001/06/30", the schedules' period: no spaces around the wave dash.
QString periodCaption(QDate start, QDate end);

// The days from start to end, both included; 0 when the start lies after the end.
int dayCount(QDate start, QDate end);

// One line of a schedule as the page and the CSV file take it: a note with the first-match name of
// its partner code, or a subtotal.
struct Row
{
    const Line *line = nullptr;
    const NoteRecord *note = nullptr; // nullptr for a subtotal
    std::string_view partnerName;
    bool named = false; // a partner bears the note's code
};

// A note's columns: the due day ("26年6月5日"; in the file "26年06月05日"), the code ("'" before
// it in the file), the partner's name, the note number and the amount ("%10.0n円"; in the file
// "%10.0f円"). A subtotal's: two empty fields in the file alone, then the count ("2件") and the
// sum, under the note's name and amount.
std::span<const output::Column<Row>> noteColumns();
std::span<const output::Column<Row>> subtotalColumns();

// The lines, in their order: a note line is a detail, a subtotal the child band of its day. A
// code no partner bears leaves all but the date of the printed line empty; the file's line has
// them all.
class Table
{
public:
    using Row = schedule::Row;

    Table(const Notes &notes, const Partners &partners, std::span<const Line> lines);

    int count() const { return static_cast<int>(lines_.size()); }
    std::optional<Row> row(int line) const;
    std::span<const output::Column<Row>> columns(const Row &row) const
    {
        return row.note ? noteColumns() : subtotalColumns();
    }
    output::LineShape shape(int line) const;
    output::BandKind band(const Row &row) const
    {
        return row.note ? output::BandKind::Detail : output::BandKind::Child;
    }
    QStringList pageTexts(const Row &row) const;
    void writeCells(csv::LineWriter &line, const Row &row) const;
    // The notes of a schedule lie scattered over a table far larger than any cache: a line's
    // note is asked for a few lines ahead, so the wait for memory hides behind the work on others.
    void prefetch(int line) const;

private:
    const Notes &notes_;
    std::span<const Line> lines_;
    CodeIndex<PartnerRecord> partners_;
};

} // namespace schedule
