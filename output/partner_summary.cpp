#include "output/partner_summary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "output/csv_file.h"
#include "output/partner_summary_report.h"
#include "output/sort_keys.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t TallNameBytes = 22;
constexpr std::size_t TallBankNameBytes = 48;

static_assert(
    decltype(PartnerRecord::Code)::capacity <= sortkey::CodeBytes, "a code key holds seven bytes");

} // namespace

std::vector<std::int32_t> setArr2(const Partners &partners, const std::vector<int> &indices)
{
    std::vector<std::pair<std::uint64_t, std::int32_t>> keys;
    keys.reserve(indices.size());
    for (int i : indices)
        keys.emplace_back(sortkey::code(partners[static_cast<std::size_t>(i)].Code.view()), i);
    std::stable_sort(
        keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::int32_t> order;
    order.reserve(keys.size());
    for (const auto &k : keys)
        order.push_back(k.second);
    return order;
}

std::int32_t termDays(const NoteRecord &note)
{
    const double days = std::trunc(note.DueDate - note.IssueDate);
    // A damaged date must not make an undefined conversion.
    if (std::isnan(days))
        return 0;
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(days, low, high));
}

void PartnerStatisticsBuilder::add(const NoteRecord &note)
{
    if (note.Kind == PayableNote) {
        ++s_.PayableCount;
        s_.PayableAmount += note.Amount;
        return;
    }
    if (note.Kind != ReceivableNote)
        return;
    ++s_.ReceivableCount;
    s_.ReceivableAmount += note.Amount;
    const std::int32_t t = termDays(note);
    daySum_ += t;
    if (t > s_.Longest)
        s_.Longest = t;
    if (!shortestSet_ || t < s_.Shortest) {
        s_.Shortest = t;
        shortestSet_ = true;
    }
    // Only a note issued strictly later than the earliest kept one replaces it; sliding it up past
    // later dates only keeps it below kept notes of its own day, so those (earlier in the table)
    // outlast it.
    if (latest_[0].date < note.IssueDate) {
        latest_[0] = { note.IssueDate, static_cast<double>(t) };
        ++insertions_;
        for (std::size_t k = 0; k + 1 < latest_.size() && latest_[k].date > latest_[k + 1].date;
             ++k)
            std::swap(latest_[k], latest_[k + 1]);
    }
}

PartnerStatistics PartnerStatisticsBuilder::result() const
{
    PartnerStatistics s = s_;
    if (s.ReceivableCount > 0)
        s.Average = daySum_ / s.ReceivableCount;
    if (insertions_ > 0) {
        double sum = 0;
        for (const Latest &entry : latest_)
            sum += entry.days;
        s.LatestAverage = sum / std::min<std::int32_t>(insertions_, 5);
    }
    return s;
}

PartnerStatistics partnerStatistics(std::string_view code, const Notes &notes)
{
    PartnerStatisticsBuilder builder;
    for (const NoteRecord &n : notes)
        if (n.PartnerCode.view() == code)
            builder.add(n);
    return builder.result();
}

std::vector<PartnerStatistics> partnerStatisticsOfRows(
    const Partners &partners, const Notes &notes, const std::vector<std::int32_t> &rows)
{
    // One builder per distinct code among the rows, found through the code's first partner:
    // the figures depend on the code alone.
    const CodeIndex<PartnerRecord> codes(partners);
    std::vector<std::int32_t> slotOfFirst(partners.size(), -1);
    std::vector<std::int32_t> slotOfRow(rows.size(), -1);
    std::int32_t slotCount = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (const PartnerRecord *p = output::entryAt(partners, rows[r])) {
            std::int32_t &slot = slotOfFirst[static_cast<std::size_t>(codes.first(p->Code.view()))];
            if (slot < 0)
                slot = slotCount++;
            slotOfRow[r] = slot;
        }
    }
    std::vector<PartnerStatisticsBuilder> builders(static_cast<std::size_t>(slotCount));
    if (slotCount > 0) {
        for (const NoteRecord &n : notes) {
            if (n.Kind != PayableNote && n.Kind != ReceivableNote)
                continue;
            const std::int32_t first = codes.first(n.PartnerCode.view());
            const std::int32_t slot = first < 0 ? -1 : slotOfFirst[static_cast<std::size_t>(first)];
            if (slot >= 0)
                builders[static_cast<std::size_t>(slot)].add(n);
        }
    }
    std::vector<PartnerStatistics> out(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (slotOfRow[r] >= 0)
            out[r] = builders[static_cast<std::size_t>(slotOfRow[r])].result();
    return out;
}

void PartnerTotals::add(const PartnerStatistics &s)
{
    PayableCount += s.PayableCount;
    ReceivableCount += s.ReceivableCount;
    PayableAmount += s.PayableAmount;
    ReceivableAmount += s.ReceivableAmount;
}

namespace {

using output::Align;
using output::Cell;
using output::CellKind;
using output::Column;

constexpr int NameSlot = 0;
constexpr int BankNameSlot = 1;
constexpr double NameHeight = 4.5;
constexpr double TallNameHeight = 9.0;

constexpr Column<PartnerLine> Columns[] = {
    { u"コード", CellKind::Code,
        [](const PartnerLine &r) { return Cell { .bytes = r.partner->Code.view() }; },
        { 0.0, 14.8, Align::Centre } },
    { u"取引先名", CellKind::Text,
        [](const PartnerLine &r) { return Cell { .bytes = r.partner->Name.view() }; },
        { 15.1, 33.1, Align::Left, true, 0, NameSlot } },
    { u"支払手形", CellKind::Count,
        [](const PartnerLine &r) { return Cell { .count = r.statistics->PayableCount }; },
        { 47.9, 10.6, Align::Right }, u"件数" },
    { u"", CellKind::Yen,
        [](const PartnerLine &r) { return Cell { .amount = r.statistics->PayableAmount }; },
        { 58.7, 25.4, Align::Right }, u"残高" },
    { u"受取手形", CellKind::Count,
        [](const PartnerLine &r) { return Cell { .count = r.statistics->ReceivableCount }; },
        { 84.7, 10.6, Align::Right }, u"件数" },
    { u"", CellKind::Yen,
        [](const PartnerLine &r) { return Cell { .amount = r.statistics->ReceivableAmount }; },
        { 95.5, 23.3, Align::Right }, u"残高" },
    { u"受取手形期日", CellKind::Days,
        [](const PartnerLine &r) { return Cell { .count = r.statistics->Shortest }; },
        { 121.4, 13.2, Align::Right }, u"最短" },
    { u"", CellKind::Days,
        [](const PartnerLine &r) { return Cell { .count = r.statistics->Longest }; },
        { 134.9, 13.2, Align::Right }, u"最長" },
    { u"", CellKind::AverageDays,
        [](const PartnerLine &r) { return Cell { .number = r.statistics->Average }; },
        { 148.4, 13.2, Align::Right }, u"平均" },
    { u"", CellKind::AverageDays,
        [](const PartnerLine &r) { return Cell { .number = r.statistics->LatestAverage }; },
        { 172.8, 13.0, Align::Right }, u"最近5回平均" },
    { u"振出銀行名", CellKind::Text,
        [](const PartnerLine &r) { return Cell { .bytes = r.bankName }; },
        { 190.5, 82.0, Align::Left, true, 0, BankNameSlot } },
};

const QString &totalWord()
{
    static const QString word = QStringLiteral("合計");
    return word;
}

constexpr Column<PartnerTotals> TotalsColumns[] = {
    { u"", CellKind::Empty, [](const PartnerTotals &) { return Cell {}; } },
    { u"", CellKind::Shown, [](const PartnerTotals &) { return Cell { .shown = &totalWord() }; } },
    { u"", CellKind::Count, [](const PartnerTotals &t) { return Cell { .count = t.PayableCount }; },
        { 47.9, 10.6, Align::Right } },
    { u"", CellKind::Yen, [](const PartnerTotals &t) { return Cell { .amount = t.PayableAmount }; },
        { 58.7, 25.4, Align::Right } },
    { u"", CellKind::Count,
        [](const PartnerTotals &t) { return Cell { .count = t.ReceivableCount }; },
        { 84.4, 10.6, Align::Right } },
    { u"", CellKind::Yen,
        [](const PartnerTotals &t) { return Cell { .amount = t.ReceivableAmount }; },
        { 95.2, 25.7, Align::Right } },
    { u"", CellKind::Empty, [](const PartnerTotals &) { return Cell {}; } },
};

} // namespace

std::span<const output::Column<PartnerLine>> partnerSummaryColumns()
{
    return Columns;
}

std::span<const output::Column<PartnerTotals>> partnerTotalsColumns()
{
    return TotalsColumns;
}

bool partnerNameTall(std::string_view name)
{
    return name.size() > TallNameBytes;
}

bool partnerBankNameTall(std::string_view bankName)
{
    return bankName.size() > TallBankNameBytes;
}

PartnerSummaryTable::PartnerSummaryTable(const Notes &notes, const Partners &partners,
    const Banks &banks, std::span<const std::int32_t> rows)
    : partners_(partners)
    , rows_(rows)
    , statistics_(partnerStatisticsOfRows(
          partners, notes, std::vector<std::int32_t>(rows.begin(), rows.end())))
    , banks_(banks)
{
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (partner(static_cast<int>(r)))
            totals_.add(statistics_[r]);
}

void PartnerSummaryTable::writeCells(csv::LineWriter &line, const PartnerLine &row) const
{
    output::writeCells<Columns>(line, row);
}

const PartnerRecord *PartnerSummaryTable::partner(int line) const
{
    const std::int32_t *index = output::entryAt(rows_, line);
    return index ? output::entryAt(partners_, *index) : nullptr;
}

std::optional<PartnerLine> PartnerSummaryTable::row(int line) const
{
    const PartnerRecord *p = partner(line);
    if (!p)
        return std::nullopt;
    return PartnerLine { p, &statistics_[static_cast<std::size_t>(line)],
        banks_.firstName(p->BankCode.view()) };
}

output::LineShape PartnerSummaryTable::shape(int line) const
{
    output::LineShape s;
    s.height = output::PartnerRowHeight;
    const PartnerRecord *p = partner(line);
    if (!p)
        return s;
    const bool tallName = partnerNameTall(p->Name.view());
    const bool tallBank = partnerBankNameTall(banks_.firstName(p->BankCode.view()));
    if (tallName || tallBank)
        s.height = output::TallPartnerRowHeight;
    s.grown[NameSlot] = static_cast<float>(tallName ? TallNameHeight : NameHeight);
    s.grown[BankNameSlot] = static_cast<float>(tallBank ? TallNameHeight : NameHeight);
    return s;
}

QStringList PartnerSummaryTable::totals() const
{
    return output::pageTexts(partnerTotalsColumns(), totals_);
}

bool CSV2(const QString &path, const Tables &tables, const std::vector<std::int32_t> &rows,
    QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(3 + static_cast<qint64>(rows.size()) + 1);
        file.add({ QStringLiteral("登録取引先一覧表") });
        output::addHead(file, partnerSummaryColumns());
        const PartnerSummaryTable table(tables.notes, tables.partners, tables.banks, rows);
        output::addRows(file, table);
        {
            csv::LineWriter line(file.buffer());
            output::writeLine(line, partnerTotalsColumns(), table.sums());
        }
        file.lineAdded();
    });
}
