#include "due/due_reports.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "core/bank_calendar.h"
#include "core/lookups.h"
#include "core/tables.h"
#include "due/due_texts.h"
#include "output/csv_file.h"
#include "output/output_choices.h"
#include "output/report_columns.h"

using namespace Qt::StringLiterals;
using output::Align;
using output::Band;
using output::Box;
using output::ReportDesign;
using output::TextFrom;

namespace due {

namespace {

    constexpr double RowHeight = 5.3;
    constexpr double HeadTop = 10.6;
    constexpr double HeadBottom = 17.2;
    // The explanations run to two lines across a landscape page; a third keeps a longer one
    // whole instead of ending it in "…".
    constexpr double ExplanationHeight = 14.0;

    using Cells = QStringList;
    using output::Cell;
    using output::CellKind;
    using output::Column;
    using Columns = std::span<const Column<Cells>>;

    // Cell n of a list's cells, as the window shows it.
    template <int N> Cell shown(const Cells &cells)
    {
        return Cell { .shown = &cells[N] };
    }

    // Each column's place is its span between two rules; a name wraps rather than shrinks. The
    // texts from the register (names, note numbers) go to the file with "'" before a formula. The
    // titles are the lists' own, as the window has them.
    constexpr Column<Cells> PlanColumns[] = {
        { u"", CellKind::Shown, shown<0>, { 0.0, 40.0, Align::Centre } },
        { u"", CellKind::Shown, shown<1>, { 40.0, 50.0, Align::Right } },
        { u"", CellKind::Shown, shown<2>, { 90.0, 50.0, Align::Right } },
        { u"", CellKind::Shown, shown<3>, { 140.0, 50.0, Align::Right } },
    };

    constexpr Column<Cells> LongTermColumns[] = {
        { u"", CellKind::ShownText, shown<0>, { 0.0, 110.0, Align::Left, true } },
        { u"", CellKind::ShownText, shown<1>, { 110.0, 40.0 } },
        { u"", CellKind::Shown, shown<2>, { 150.0, 30.0, Align::Centre } },
        { u"", CellKind::Shown, shown<3>, { 180.0, 30.0, Align::Centre } },
        { u"", CellKind::Shown, shown<4>, { 210.0, 22.0, Align::Right } },
        { u"", CellKind::Shown, shown<5>, { 232.0, 45.0, Align::Right } },
    };

    // A bank name may take 31 full-width characters: its column is the widest.
    constexpr Column<Cells> ClearingColumns[] = {
        { u"", CellKind::Shown, shown<0>, { 0.0, 20.0, Align::Centre } },
        { u"", CellKind::ShownText, shown<1>, { 20.0, 66.0, Align::Left, true } },
        { u"", CellKind::ShownText, shown<2>, { 86.0, 30.0 } },
        { u"", CellKind::Shown, shown<3>, { 116.0, 25.0, Align::Centre } },
        { u"", CellKind::Shown, shown<4>, { 141.0, 34.0, Align::Right } },
        { u"", CellKind::ShownText, shown<5>, { 175.0, 102.0, Align::Left, true } },
    };

    double rightOf(Columns columns)
    {
        return columns.back().place.left + columns.back().place.width;
    }

    // A little in from each rule, so a text never touches one.
    constexpr double Inset = 0.8;

    void columnRules(Band &band, Columns columns, double top, double bottom)
    {
        for (const Column<Cells> &c : columns)
            band.rules.push_back(output::vertical(c.place.left, top, bottom));
        band.rules.push_back(output::vertical(rightOf(columns), top, bottom));
    }

    // Title and as-of above the column heads, one line per row, each ruled off.
    ReportDesign listDesign(output::PageSize page, Columns columns, const QStringList &heads)
    {
        const double right = rightOf(columns);
        ReportDesign d;
        d.page = page;

        Band &h = d.pageHeader;
        h.height = HeadBottom;
        Box title =
            output::textOf(TextFrom::Header, 0, output::box(0, 2.1, right, 5.3, Align::Centre));
        title.pointSize = 12;
        h.boxes.push_back(title);
        Box asOf = output::textOf(
            TextFrom::Header, 1, output::box(right - 60, 6.3, 60, 3.4, Align::Right));
        asOf.sizedToText = true;
        h.boxes.push_back(asOf);
        for (qsizetype i = 0; i < heads.size() && i < static_cast<qsizetype>(columns.size()); ++i) {
            const output::Place &c = columns[static_cast<std::size_t>(i)].place;
            h.boxes.push_back(output::heading(heads[i], c.left, 11.9, c.width));
        }
        h.rules.push_back(output::horizontal(0, right, HeadTop));
        h.rules.push_back(output::horizontal(0, right, HeadBottom));
        columnRules(h, columns, HeadTop, HeadBottom);

        Band &b = d.detail;
        b.height = RowHeight;
        output::placeBoxes(b, columns, 0.8, 4.5, Inset);
        columnRules(b, columns, 0, RowHeight);
        b.rules.push_back(output::horizontal(0, right, RowHeight));
        return d;
    }

    // The count line and, below it, why the list matters.
    Band countBand(double right)
    {
        Band t;
        t.height = 2.0 + 4.5 + 1.5 + ExplanationHeight;
        t.boxes.push_back(output::textOf(TextFrom::Line, 0, output::box(0, 2.0, right, 4.5)));
        t.boxes.push_back(output::wrapped(
            output::textOf(TextFrom::Line, 1, output::box(0, 8.0, right, ExplanationHeight))));
        return t;
    }

    // The overdue row, then the months; the total row below them.
    class PlanTable
    {
    public:
        using Row = Cells;

        explicit PlanTable(const Overview &o)
            : total_(planTotalCells(o.total))
        {
            rows_.push_back(planPastDueCells(o.pastDue));
            for (const MonthPlan &month : o.months)
                rows_.push_back(planCells(month));
        }
        int count() const { return static_cast<int>(rows_.size()); }
        std::optional<Cells> row(int line) const
        {
            if (const Cells *cells = output::entryAt(rows_, line))
                return *cells;
            return std::nullopt;
        }
        Columns columns(const Cells &) const { return PlanColumns; }
        QStringList totals() const { return total_; }

    private:
        std::vector<Cells> rows_;
        Cells total_;
    };

    // The names a report prints for a note: of the first partner and bank bearing its codes.
    class Names
    {
    public:
        explicit Names(const Tables &tables)
            : partners_(tables.partners)
            , banks_(tables.banks)
        {
        }
        std::string_view partner(const NoteRecord &n) const
        {
            return partners_.firstName(n.PartnerCode.view());
        }
        std::string_view bank(const NoteRecord &n) const
        {
            return banks_.firstName(n.BankCode.view());
        }

    private:
        CodeIndex<PartnerRecord> partners_;
        CodeIndex<BankRecord> banks_;
    };

    using MakeCells = Cells (*)(const DueNote &, const NoteRecord &, const Names &);

    Cells longTermRow(const DueNote &row, const NoteRecord &n, const Names &names)
    {
        return longTermCells(row, n, names.partner(n));
    }

    Cells clearingRow(const DueNote &row, const NoteRecord &n, const Names &names)
    {
        return clearingCells(row, n, names.partner(n), names.bank(n));
    }

    // The notes of a list with their cells; its totals are the count line and the explanation.
    class CheckedNotes
    {
    public:
        using Row = Cells;

        CheckedNotes(const Tables &tables, const NoteList &list, Columns columns, MakeCells cells,
            QStringList totals)
            : tables_(tables)
            , rows_(list.rows)
            , names_(tables)
            , columns_(columns)
            , cells_(cells)
            , totals_(std::move(totals))
        {
        }
        // The layout prints the totals band only after a detail, and an empty list needs its
        // count and explanation most: it gets one blank row.
        int count() const { return std::max(1, static_cast<int>(rows_.size())); }
        std::optional<Cells> row(int line) const
        {
            const DueNote *row = output::entryAt(rows_, line);
            const NoteRecord *note = row ? output::entryAt(tables_.notes, row->note) : nullptr;
            if (!note)
                return std::nullopt;
            return cells_(*row, *note, names_);
        }
        Columns columns(const Cells &) const { return columns_; }
        QStringList totals() const { return totals_; }

    private:
        const Tables &tables_;
        std::vector<DueNote> rows_;
        Names names_;
        Columns columns_;
        MakeCells cells_;
        QStringList totals_;
    };

    CheckedNotes longTermTable(const Tables &tables, const Overview &o)
    {
        return { tables, o.longTerms, LongTermColumns, longTermRow,
            { longTermCountLine(o.longTerms), longTermExplanation() } };
    }

    CheckedNotes clearingTable(const Tables &tables, const Overview &o)
    {
        return { tables, o.afterClearing, ClearingColumns, clearingRow,
            { clearingCountLine(o), clearingExplanation() } };
    }

    output::PageSize portrait()
    {
        return { 210, 297, 10, 10, 10, 10 };
    }

    output::PageSize landscape()
    {
        return { 297, 210, 10, 10, 10, 10 };
    }

} // namespace

QString asOfText(QDate today)
{
    return asOfCaption(today);
}

QString cashPlanTitle()
{
    return u"資金繰り予定"_s;
}

QString longTermTitle()
{
    return u"支払サイト点検"_s;
}

QString clearingTitle()
{
    return bankcalendar::PaperClearingEnds.toString(u"yyyy'年'M'月以降に期日の手形'"_s);
}

std::unique_ptr<output::Report> cashPlanReport(const Overview &o, const QString &asOf)
{
    ReportDesign d = listDesign(portrait(), PlanColumns, planColumns());
    Band t;
    t.height = RowHeight;
    output::placeBoxes(t, Columns(PlanColumns), 0.8, 4.5, Inset);
    for (Box &b : t.boxes)
        b.bold = true;
    columnRules(t, PlanColumns, 0, RowHeight);
    // Doubled above the total, as under a sum on paper.
    t.rules.push_back(output::horizontal(0, rightOf(PlanColumns), 0.5));
    t.rules.push_back(output::horizontal(0, rightOf(PlanColumns), RowHeight));
    d.totals = t;
    return std::make_unique<output::Report>(std::move(d), QStringList { cashPlanTitle(), asOf },
        std::make_unique<output::TableLines<PlanTable>>(PlanTable(o)));
}

namespace {

    // A landscape list of notes whose totals band is a count line and an explanation.
    std::unique_ptr<output::Report> checkedNotesReport(
        CheckedNotes table, const QStringList &heads, const QString &title, const QString &asOf)
    {
        const Columns columns = table.columns({});
        ReportDesign d = listDesign(landscape(), columns, heads);
        d.totals = countBand(rightOf(columns));
        return std::make_unique<output::Report>(std::move(d), QStringList { title, asOf },
            std::make_unique<output::TableLines<CheckedNotes>>(std::move(table)));
    }

    // The title and the as-of text, the column heads, one line per row, then the totals, each a
    // line of its own.
    template <typename Table>
    bool listCsv(const QString &path, const Table &table, const QStringList &heads,
        const QString &title, const QString &asOf, QString *error, Progress *progress,
        FileSystem &fs)
    {
        return csv::write(path, error, progress, fs, [&](csv::File &file) {
            file.add({ title, asOf });
            file.add(heads);
            output::addRows(file, table);
            for (const QString &total : table.totals())
                file.add({ total });
        });
    }

} // namespace

std::unique_ptr<output::Report> longTermReport(
    const Tables &tables, const Overview &o, const QString &asOf)
{
    return checkedNotesReport(longTermTable(tables, o), longTermColumns(), longTermTitle(), asOf);
}

std::unique_ptr<output::Report> clearingReport(
    const Tables &tables, const Overview &o, const QString &asOf)
{
    return checkedNotesReport(clearingTable(tables, o), clearingColumns(), clearingTitle(), asOf);
}

bool cashPlanCsv(const QString &path, const Overview &o, const QString &asOf, QString *error,
    Progress *progress, FileSystem &fs)
{
    const PlanTable table(o);
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.add({ cashPlanTitle(), asOf });
        file.add(planColumns());
        output::addRows(file, table);
        const Cells total = table.totals();
        {
            csv::LineWriter line(file.buffer());
            output::writeLine(line, Columns(PlanColumns), total);
        }
        file.lineAdded();
    });
}

bool longTermCsv(const QString &path, const Tables &tables, const Overview &o, const QString &asOf,
    QString *error, Progress *progress, FileSystem &fs)
{
    return listCsv(path, longTermTable(tables, o), longTermColumns(), longTermTitle(), asOf, error,
        progress, fs);
}

bool clearingCsv(const QString &path, const Tables &tables, const Overview &o, const QString &asOf,
    QString *error, Progress *progress, FileSystem &fs)
{
    return listCsv(path, clearingTable(tables, o), clearingColumns(), clearingTitle(), asOf, error,
        progress, fs);
}

} // namespace due
