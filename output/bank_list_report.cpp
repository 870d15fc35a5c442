#include "output/bank_list_report.h"

#include "core/tables.h"
#include "output/csv_file.h"
#include "output/report_columns.h"

using namespace Qt::StringLiterals;

namespace output {

QString bankListTitle()
{
    return u"登　録　銀　行　一　覧　表"_s;
}

namespace {

    constexpr double RuleLeft = 26.5;
    constexpr double RuleRight = 158.8;

    constexpr Column<const BankRecord *> Columns[] = {
        { u"コード", CellKind::Bytes,
            [](const BankRecord *const &b) { return Cell { .bytes = b->Code.view() }; },
            { 27.5, 15.9 } },
        { u"登録銀行名", CellKind::Text,
            [](const BankRecord *const &b) { return Cell { .bytes = b->Name.view() }; },
            { 48.7, 105.8, Align::Left, true } },
    };

    // Every bank of the table, in its order.
    class BankTable
    {
    public:
        using Row = const BankRecord *;

        explicit BankTable(const Banks &banks)
            : banks_(banks)
        {
        }
        int count() const { return static_cast<int>(banks_.size()); }
        std::optional<Row> row(int line) const
        {
            if (const BankRecord *bank = entryAt(banks_, line))
                return bank;
            return std::nullopt;
        }
        std::span<const Column<Row>> columns(const Row &) const { return Columns; }

    private:
        const Banks &banks_;
    };

} // namespace

ReportDesign bankListDesign()
{
    ReportDesign d;
    d.page = { 210, 297, 10, 10, 10, 10 };

    Band &h = d.pageHeader;
    h.height = 17.2;
    Box title = box(69.8, 4.2, 48.9, 5.3, Align::Left);
    title.pointSize = 11;
    title.bold = true;
    // Thirteen full-width characters in bold run a little past the box; the whole title shows.
    title.sizedToText = true;
    title.from = TextFrom::Header;
    title.field = 0;
    h.boxes.push_back(title);
    Box asOf = box(154.5, 6.3, 34.1, 3.4, Align::Right);
    asOf.from = TextFrom::Header;
    asOf.field = 1;
    asOf.sizedToText = true;
    h.boxes.push_back(asOf);
    h.boxes.push_back(heading(u"コード"_s, 27.5, 12.7, 15.9));
    h.boxes.push_back(heading(u"登　録　銀　行　名"_s, 48.7, 12.7, 105.8));
    h.rules.push_back(horizontal(RuleLeft, RuleRight, 11.9));
    h.rules.push_back(horizontal(RuleLeft, RuleRight, 16.9));
    for (double x : { RuleLeft, 46.6, RuleRight })
        h.rules.push_back(vertical(x, 11.9, 17.2));

    Band &b = d.detail;
    b.height = BankRowHeight;
    placeBoxes(b, std::span<const Column<BankTable::Row>>(Columns), 0.8, 4.5);
    for (double x : { RuleLeft, 46.6, RuleRight })
        b.rules.push_back(vertical(x, 0, BankRowHeight));
    b.rules.push_back(horizontal(RuleLeft, RuleRight, 5.3));
    return d;
}

std::unique_ptr<Report> bankListReport(const Tables &tables, const QString &asOf)
{
    // The title is a header text too, so the preview offers it as the PDF's name.
    return std::make_unique<Report>(bankListDesign(), QStringList { bankListTitle(), asOf },
        std::make_unique<TableLines<BankTable>>(BankTable(tables.banks)));
}

} // namespace output

bool CSV4(
    const QString &path, const Tables &tables, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(static_cast<qint64>(tables.banks.size()) + 2);
        file.add({ u"登録銀行一覧表"_s });
        output::addHead(file, std::span<const output::Column<const BankRecord *>>(output::Columns));
        // The stored bytes as they are: decoding and encoding again would change NEC and IBM
        // characters of code page 932 and turn an undecodable byte into "?".
        output::addRows(file, output::BankTable(tables.banks));
    });
}
