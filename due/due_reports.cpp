#include "due/due_reports.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "core/bank_calendar.h"
#include "core/lookups.h"
#include "due/due_texts.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "output/output_choices.h"
#include "session/session.h"

using namespace Qt::StringLiterals;
using output::Align;
using output::Band;
using output::BandKind;
using output::Box;
using output::LineShape;
using output::LineSource;
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

    // One column of a list: where it lies, and whether its text is a name that wraps rather than a
    // figure that shrinks.
    struct Column
    {
        double left;
        double width;
        Align align;
        bool wrap = false;
    };

    constexpr std::array<Column, 4> PlanLayout { {
        { 0.0, 40.0, Align::Centre },
        { 40.0, 50.0, Align::Right },
        { 90.0, 50.0, Align::Right },
        { 140.0, 50.0, Align::Right },
    } };

    constexpr std::array<Column, 6> LongTermLayout { {
        { 0.0, 110.0, Align::Left, true },
        { 110.0, 40.0, Align::Left },
        { 150.0, 30.0, Align::Centre },
        { 180.0, 30.0, Align::Centre },
        { 210.0, 22.0, Align::Right },
        { 232.0, 45.0, Align::Right },
    } };

    // A bank name may take 31 full-width characters: its column is the widest.
    constexpr std::array<Column, 6> ClearingLayout { {
        { 0.0, 20.0, Align::Centre },
        { 20.0, 66.0, Align::Left, true },
        { 86.0, 30.0, Align::Left },
        { 116.0, 25.0, Align::Centre },
        { 141.0, 34.0, Align::Right },
        { 175.0, 102.0, Align::Left, true },
    } };

    // Texts that come from the register and could be taken for a formula by a spreadsheet.
    constexpr std::array<int, 2> LongTermTextCells { 0, 1 };
    constexpr std::array<int, 3> ClearingTextCells { 1, 2, 5 };

    double rightOf(std::span<const Column> columns)
    {
        return columns.back().left + columns.back().width;
    }

    // A little in from each rule, so a text never touches one.
    Box cell(const Column &c, double top, int field)
    {
        Box b = output::textOf(
            TextFrom::Line, field, output::box(c.left + 0.8, top, c.width - 1.6, 4.5, c.align));
        return c.wrap ? output::wrapped(b) : b;
    }

    void columnRules(Band &band, std::span<const Column> columns, double top, double bottom)
    {
        for (const Column &c : columns)
            band.rules.push_back(output::vertical(c.left, top, bottom));
        band.rules.push_back(output::vertical(rightOf(columns), top, bottom));
    }

    // Title and as-of above the column heads, one line per row, each ruled off.
    ReportDesign listDesign(
        output::PageSize page, std::span<const Column> columns, const QStringList &heads)
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
            const Column &c = columns[static_cast<std::size_t>(i)];
            h.boxes.push_back(output::fixedText(
                heads[i], output::box(c.left, 11.9, c.width, 4.5, Align::Centre)));
        }
        h.rules.push_back(output::horizontal(0, right, HeadTop));
        h.rules.push_back(output::horizontal(0, right, HeadBottom));
        columnRules(h, columns, HeadTop, HeadBottom);

        Band &b = d.detail;
        b.height = RowHeight;
        for (std::size_t i = 0; i < columns.size(); ++i)
            b.boxes.push_back(cell(columns[i], 0.8, static_cast<int>(i)));
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

    class PlanLines : public LineSource
    {
    public:
        explicit PlanLines(const Overview &o)
            : pastDue_(o.pastDue)
            , months_(o.months)
            , total_(o.total)
        {
        }
        // The overdue row, then the months.
        int count() const override { return 1 + PlanMonths; }
        LineShape shape(int) const override { return {}; }
        QStringList texts(BandKind band, int line) const override
        {
            if (band == BandKind::Totals)
                return planTotalCells(total_);
            if (band != BandKind::Detail || line < 0 || line >= count())
                return {};
            return line == 0 ? planPastDueCells(pastDue_)
                             : planCells(months_[static_cast<std::size_t>(line - 1)]);
        }

    private:
        MonthPlan pastDue_;
        std::array<MonthPlan, PlanMonths> months_;
        MonthPlan total_;
    };

    // The names a report prints for a note: of the first partner and bank bearing its codes.
    class Names
    {
    public:
        explicit Names(const Session &state)
            : partners_(state.PartnerTable)
            , banks_(state.BankTable)
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

    using Cells = QStringList (*)(const DueNote &, const NoteRecord &, const Names &);

    QStringList longTermRow(const DueNote &row, const NoteRecord &n, const Names &names)
    {
        return longTermCells(row, n, names.partner(n));
    }

    QStringList clearingRow(const DueNote &row, const NoteRecord &n, const Names &names)
    {
        return clearingCells(row, n, names.partner(n), names.bank(n));
    }

    const NoteRecord *noteOf(const Session &state, const DueNote &row)
    {
        if (row.note < 0 || static_cast<std::size_t>(row.note) >= state.NoteTable.size())
            return nullptr;
        return &state.NoteTable[static_cast<std::size_t>(row.note)];
    }

    class NoteLines : public LineSource
    {
    public:
        NoteLines(const Session &state, std::vector<DueNote> rows, Cells cells, QStringList totals)
            : state_(state)
            , rows_(std::move(rows))
            , names_(state)
            , cells_(cells)
            , totals_(std::move(totals))
        {
        }
        // The layout prints the totals band only after a detail, and an empty list needs its
        // count and explanation most: it gets one blank row.
        int count() const override { return std::max(1, static_cast<int>(rows_.size())); }
        LineShape shape(int) const override { return {}; }
        QStringList texts(BandKind band, int line) const override
        {
            if (band == BandKind::Totals)
                return totals_;
            if (band != BandKind::Detail || line < 0 || line >= static_cast<int>(rows_.size()))
                return {};
            const DueNote &row = rows_[static_cast<std::size_t>(line)];
            const NoteRecord *n = noteOf(state_, row);
            return n ? cells_(row, *n, names_) : QStringList();
        }

    private:
        const Session &state_;
        std::vector<DueNote> rows_;
        Names names_;
        Cells cells_;
        QStringList totals_;
    };

    output::PageSize portrait()
    {
        return { 210, 297, 10, 10, 10, 10 };
    }

    output::PageSize landscape()
    {
        return { 297, 210, 10, 10, 10, 10 };
    }

    // The note rows as CSV lines, names and note numbers never taken for formulas.
    void addNoteRows(csv::File &file, const Session &state, const NoteList &list, Cells cells,
        std::span<const int> textCells)
    {
        const Names names(state);
        for (const DueNote &row : list.rows) {
            const NoteRecord *n = noteOf(state, row);
            if (!n)
                continue;
            QStringList fields = cells(row, *n, names);
            for (int at : textCells)
                fields[at] = csv::plainText(fields[at]);
            file.add(fields);
        }
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
    ReportDesign d = listDesign(portrait(), PlanLayout, planColumns());
    Band t;
    t.height = RowHeight;
    for (std::size_t i = 0; i < PlanLayout.size(); ++i) {
        Box b = cell(PlanLayout[i], 0.8, static_cast<int>(i));
        b.bold = true;
        t.boxes.push_back(b);
    }
    columnRules(t, PlanLayout, 0, RowHeight);
    // Doubled above the total, as under a sum on paper.
    t.rules.push_back(output::horizontal(0, rightOf(PlanLayout), 0.5));
    t.rules.push_back(output::horizontal(0, rightOf(PlanLayout), RowHeight));
    d.totals = t;
    return std::make_unique<output::Report>(
        std::move(d), QStringList { cashPlanTitle(), asOf }, std::make_unique<PlanLines>(o));
}

namespace {

    // A landscape list of notes whose totals band is a count line and an explanation.
    template <typename Layout, typename Row>
    std::unique_ptr<output::Report> checkedNotesReport(const Session &state, const Layout &layout,
        const QStringList &columns, const QString &title, const QString &asOf,
        const std::vector<DueNote> &rows, Row row, const QStringList &totals)
    {
        ReportDesign d = listDesign(landscape(), layout, columns);
        d.totals = countBand(rightOf(layout));
        return std::make_unique<output::Report>(std::move(d), QStringList { title, asOf },
            std::make_unique<NoteLines>(state, rows, row, totals));
    }

} // namespace

std::unique_ptr<output::Report> longTermReport(
    const Session &state, const Overview &o, const QString &asOf)
{
    return checkedNotesReport(state, LongTermLayout, longTermColumns(), longTermTitle(), asOf,
        o.longTerms.rows, longTermRow, { longTermCountLine(o.longTerms), longTermExplanation() });
}

std::unique_ptr<output::Report> clearingReport(
    const Session &state, const Overview &o, const QString &asOf)
{
    return checkedNotesReport(state, ClearingLayout, clearingColumns(), clearingTitle(), asOf,
        o.afterClearing.rows, clearingRow, { clearingCountLine(o), clearingExplanation() });
}

bool cashPlanCsv(const QString &path, const Overview &o, const QString &asOf, QString *error,
    Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.add({ cashPlanTitle(), asOf });
        file.add(planColumns());
        file.add(planPastDueCells(o.pastDue));
        for (const MonthPlan &month : o.months)
            file.add(planCells(month));
        file.add(planTotalCells(o.total));
    });
}

bool longTermCsv(const QString &path, const Session &state, const Overview &o, const QString &asOf,
    QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.add({ longTermTitle(), asOf });
        file.add(longTermColumns());
        addNoteRows(file, state, o.longTerms, longTermRow, LongTermTextCells);
        file.add({ longTermCountLine(o.longTerms) });
        file.add({ longTermExplanation() });
    });
}

bool clearingCsv(const QString &path, const Session &state, const Overview &o, const QString &asOf,
    QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.add({ clearingTitle(), asOf });
        file.add(clearingColumns());
        addNoteRows(file, state, o.afterClearing, clearingRow, ClearingTextCells);
        file.add({ clearingCountLine(o) });
        file.add({ clearingExplanation() });
    });
}

} // namespace due
