#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <variant>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/formats.h"
#include "core/money.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "output/report_design.h"
#include "output/yen_unit.h"

// A report's columns as data: what each cell holds, where the page shows it and what the CSV
// file's head calls it. The page's texts and the CSV file's bytes are both made from one list, so
// they cannot drift apart.
namespace output {

// What a cell holds; it decides how the page shows the cell and how the CSV file writes it.
enum class CellKind : std::uint8_t {
    Empty, // nothing, on the page and in the file
    // A stored name, number or remark: decoded on the page; in the file as stored, with "'" in
    // front of one a spreadsheet would take for a formula.
    Text,
    Code, // a stored partner code: in the file always with "'" in front
    Bytes, // a stored code, in the file as it is
    MonthDay, // a day number as "MM/dd"
    // An amount: "%10.0n" on the page; in the file without separators, as far right as with them.
    Amount,
    Yen, // an amount: "%10.0n円" on the page, "%10.0f円" in the file; 円以上, 円以下 at a limit
    Count, // "3件"
    Days, // "30日"
    AverageDays, // "%3.1n日"
    Settled, // "〇" or "×" in the file; the page leaves the box for a pen
    DueDay, // a day number as "26年6月5日" on the page, "26年06月05日" in the file
    Shown, // a text made for the screen already, the same on the page and in the file
    ShownText, // the same from the register: in the file with "'" in front of a formula
};

// One cell's value: the member its column's kind reads.
struct Cell
{
    std::string_view bytes {}; // Text, Code, Bytes
    const QString *shown = nullptr; // Shown, ShownText
    Money amount {}; // Amount, Yen
    double number = 0; // MonthDay, DueDay (day numbers), AverageDays
    std::int64_t count = 0; // Count, Days, Settled (0: not settled)
};

// Where a column's cell lies on the band, in millimetres; a column of width 0 is in the CSV file
// alone.
struct Place
{
    double left = 0;
    double width = 0;
    Align align = Align::Left;
    // A name or a remark, wrapped rather than shrunk.
    bool wrap = false;
    // 0 keeps the band's text height.
    double height = 0;
    // The line may set this box's height (LineShape::grown); -1: never.
    int growSlot = -1;
};

template <typename Row> struct Column
{
    // The CSV head's title, and the one of a second head line below it.
    const char16_t *title;
    CellKind kind;
    Cell (*value)(const Row &);
    Place place {};
    const char16_t *subtitle = u"";
};

// "%3.1n": an average is at least three characters wide.
inline constexpr std::size_t AverageWidth = 3;

// A cell as the page shows it.
QString pageText(CellKind kind, const Cell &cell);

// The units and marks of the cells in code page 932, made once.
struct Units
{
    std::string_view ken, nichi, settled, open;
};
const Units &units();
// "26年06月05日", the CSV form of a due day.
void writeDueDay(csv::LineWriter &line, double day);

// A cell as one field of a CSV line. Inline, so that a line of a column list known when compiling
// is written without a call or a choice a cell.
inline void writeCell(csv::LineWriter &line, CellKind kind, const Cell &cell)
{
    switch (kind) {
    case CellKind::Empty:
        return;
    case CellKind::Text:
        return line.textField(cell.bytes);
    case CellKind::Code:
        return line.field(cell.bytes, "'");
    case CellKind::Bytes:
        return line.field(cell.bytes);
    case CellKind::MonthDay:
        return line.monthDay(cell.number);
    case CellKind::Amount:
        return line.amount(cell.amount, csv::LineWriter::Padding::Grouped);
    case CellKind::Yen:
        line.amount(cell.amount);
        return line.putEncoded(yenUnitBytes(cell.amount));
    case CellKind::Count:
        line.count(cell.count);
        return line.put(units().ken);
    case CellKind::Days:
        line.count(cell.count);
        return line.put(units().nichi);
    case CellKind::AverageDays:
        // "%3.1n日": it may hold a thousands separator, and is then quoted.
        return line.figure(
            formats::fixed(cell.number, 1, true).view(), AverageWidth, units().nichi);
    case CellKind::Settled:
        return line.put(cell.count != 0 ? units().settled : units().open);
    case CellKind::DueDay:
        return writeDueDay(line, cell.number);
    case CellKind::Shown:
        return line.text(cell.shown ? *cell.shown : QString());
    case CellKind::ShownText:
        return line.text(csv::plainText(cell.shown ? *cell.shown : QString()));
    }
}

// The texts of a row on the page: one for each column with a place, in their order, text number
// n being the n-th of those.
template <typename Row> QStringList pageTexts(std::span<const Column<Row>> columns, const Row &row)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(columns.size()));
    for (const Column<Row> &c : columns)
        if (c.place.width > 0)
            texts.push_back(pageText(c.kind, c.value(row)));
    return texts;
}

// A row's fields, every column one, without the line's end.
template <typename Row>
void writeCells(csv::LineWriter &line, std::span<const Column<Row>> columns, const Row &row)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            line.put(',');
        writeCell(line, columns[i].kind, columns[i].value(row));
    }
}

// The same with a column list known when compiling, for the lines of a large file: each cell is
// written by code of its own.
template <const auto &Columns, typename Row> void writeCells(csv::LineWriter &line, const Row &row)
{
    [&]<std::size_t... I>(std::index_sequence<I...>)
    {
        ((I > 0 ? line.put(',') : void(), writeCell(line, Columns[I].kind, Columns[I].value(row))),
            ...);
    }
    (std::make_index_sequence<std::size(Columns)>());
}

// A row as one CSV line.
template <typename Row>
void writeLine(csv::LineWriter &line, std::span<const Column<Row>> columns, const Row &row)
{
    writeCells(line, columns, row);
    line.endLine();
}

// The CSV head: the titles, and the subtitles when a column has one; each line ends at its last
// text.
template <typename Row> QList<QStringList> headLines(std::span<const Column<Row>> columns)
{
    QList<QStringList> lines(2);
    for (const Column<Row> &c : columns) {
        lines[0].push_back(QString::fromUtf16(c.title));
        lines[1].push_back(QString::fromUtf16(c.subtitle));
    }
    for (QStringList &line : lines)
        while (!line.isEmpty() && line.last().isEmpty())
            line.removeLast();
    if (lines[1].isEmpty())
        lines.removeLast();
    return lines;
}

// The boxes of the columns with a place, each showing its text number, at top and height
// millimetres in the band; inset moves each box that far in from both sides of its place.
template <typename Row>
void placeBoxes(
    Band &band, std::span<const Column<Row>> columns, double top, double height, double inset = 0)
{
    int field = 0;
    for (const Column<Row> &c : columns) {
        const Place &p = c.place;
        if (p.width <= 0)
            continue;
        Box b = textOf(TextFrom::Line, field++,
            box(p.left + inset, top, p.width - 2 * inset, p.height > 0 ? p.height : height,
                p.align));
        b.wrap = p.wrap;
        b.growSlot = p.growSlot;
        band.boxes.push_back(b);
    }
}

// The entry at index of a table or of a list of rows; nullptr for an index beyond them.
template <typename Entries> auto entryAt(const Entries &entries, std::int64_t index)
{
    return index < 0 || static_cast<std::size_t>(index) >= std::size(entries)
        ? nullptr
        : &entries[static_cast<std::size_t>(index)];
}

// The rows of a report, for its pages and its CSV file alike. A table gives count() lines;
// row(line) is the row of a line, none for a line that stands for none; columns(row) are the
// columns of that row. It may also give shape(line), band(row) (the band that shows the row,
// the detail when it does not say), pageTexts(row) (the texts of a row the page shows otherwise
// than its columns would), totals() (the texts of the totals band), writeCells(line, row) (the
// row's CSV fields, the same as its columns give, written faster) and prefetch(line) (asks for
// what a line reads ahead of its turn).
template <typename T>
concept ReportTable = requires(const T &t, const typename T::Row &r)
{
    {
        t.count()
        } -> std::convertible_to<int>;
    {
        t.row(0)
        } -> std::same_as<std::optional<typename T::Row>>;
    {
        t.columns(r)
        } -> std::convertible_to<std::span<const Column<typename T::Row>>>;
};

// A table's rows as the lines of a report. Keep is what the table reads and the lines keep for
// it: the rows handed to the report.
template <ReportTable Table, typename Keep = std::monostate>
class TableLines final : public LineSource
{
public:
    explicit TableLines(Table table) requires std::same_as<Keep, std::monostate>
        : table_(std::move(table))
    {
    }

    // make(keep) makes the table over what the lines keep.
    template <typename Make>
    TableLines(Keep keep, Make make)
        : keep_(std::move(keep))
        , table_(make(std::as_const(keep_)))
    {
    }

    int count() const override { return table_.count(); }

    LineShape shape(int line) const override
    {
        if constexpr (requires { table_.shape(line); })
            return table_.shape(line);
        else
            return {};
    }

    QStringList texts(BandKind band, int line) const override
    {
        if (band == BandKind::Totals) {
            if constexpr (requires { table_.totals(); })
                return table_.totals();
            else
                return {};
        }
        const std::optional<typename Table::Row> row = table_.row(line);
        if (!row || bandOf(*row) != band)
            return {};
        if constexpr (requires { table_.pageTexts(*row); })
            return table_.pageTexts(*row);
        else
            return output::pageTexts(table_.columns(*row), *row);
    }

    const Table &table() const { return table_; }

private:
    BandKind bandOf(const typename Table::Row &row) const
    {
        if constexpr (requires { table_.band(row); })
            return table_.band(row);
        else
            return BandKind::Detail;
    }

    Keep keep_;
    Table table_;
};

// Appends a table's rows to a CSV file as lines, in order; a line that stands for no row is left
// out. Rows are fetched a few at a time before their lines are made, and those lines are handed to
// the file together: the names a row looks up lie far apart in memory, and the waits for them then
// overlap.
template <ReportTable Table> void addRows(csv::File &file, const Table &table)
{
    constexpr int Batch = 16;
    std::array<std::optional<typename Table::Row>, Batch> rows;
    const int count = table.count();
    for (int first = 0; first < count; first += Batch) {
        const int n = std::min(Batch, count - first);
        for (int k = 0; k < n; ++k) {
            if constexpr (requires { table.prefetch(first); })
                table.prefetch(first + 2 * Batch + k);
            rows[static_cast<std::size_t>(k)] = table.row(first + k);
        }
        int written = 0;
        {
            csv::LineWriter line(file.buffer());
            for (int k = 0; k < n; ++k) {
                const std::optional<typename Table::Row> &row = rows[static_cast<std::size_t>(k)];
                if (!row)
                    continue;
                if constexpr (requires { table.writeCells(line, *row); })
                    table.writeCells(line, *row);
                else
                    writeCells(line, table.columns(*row), *row);
                line.nextLine();
                ++written;
            }
        }
        for (int k = 0; k < written; ++k)
            file.lineAdded();
    }
}

// Appends the CSV head of columns to a file.
template <typename Row> void addHead(csv::File &file, std::span<const Column<Row>> columns)
{
    for (const QStringList &line : headLines(columns))
        file.add(line);
}

} // namespace output
