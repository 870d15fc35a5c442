#include "output/partner_summary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/formats.h"
#include "core/lookups.h"
#include "core/sjis.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "output/sort_keys.h"
#include "output/yen_unit.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t TallNameBytes = 22;
constexpr std::size_t TallBankNameBytes = 48;
constexpr std::size_t AverageWidth = 3;

static_assert(
    decltype(PartnerRecord::Code)::capacity <= sortkey::CodeBytes, "a code key holds seven bytes");

QString counted(std::int64_t count, QStringView unit)
{
    return QString::number(count).append(unit);
}

// A balance as printed ("%10.0n円") and as the CSV file has it ("%10.0f円").
QString printedYen(Money amount)
{
    return formats::amountN(amount) + yenUnit(amount);
}

QString csvYen(Money amount)
{
    return formats::amountF(amount) + yenUnit(amount);
}

// The totals line's four figures: payable count and balance, receivable count and balance.
QStringList totalsFigures(const PartnerTotals &totals, QString (*yen)(Money))
{
    return { counted(totals.PayableCount, u"件"), yen(totals.PayableAmount),
        counted(totals.ReceivableCount, u"件"), yen(totals.ReceivableAmount) };
}

QString averageText(double days)
{
    return formats::number(days, 1, true, static_cast<int>(AverageWidth)) + u"日"_s;
}

const PartnerRecord *partnerAt(const Partners &partners, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= partners.size())
        return nullptr;
    return &partners[static_cast<std::size_t>(index)];
}

std::string_view view(const QByteArray &bytes)
{
    return { bytes.constData(), static_cast<std::size_t>(bytes.size()) };
}

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
        if (const PartnerRecord *p = partnerAt(partners, rows[r])) {
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

PartnerSummaryTexts partnerSummaryTexts(
    const PartnerRecord &partner, const PartnerStatistics &s, std::string_view bankName)
{
    PartnerSummaryTexts t;
    t.code = sjis::decode(partner.Code.view());
    t.name = sjis::decode(partner.Name.view());
    t.payableCount = counted(s.PayableCount, u"件");
    t.payableBalance = printedYen(s.PayableAmount);
    t.receivableCount = counted(s.ReceivableCount, u"件");
    t.receivableBalance = printedYen(s.ReceivableAmount);
    t.shortest = counted(s.Shortest, u"日");
    t.longest = counted(s.Longest, u"日");
    t.average = averageText(s.Average);
    t.latestAverage = averageText(s.LatestAverage);
    t.bankName = sjis::decode(bankName);
    return t;
}

bool partnerNameTall(std::string_view name)
{
    return name.size() > TallNameBytes;
}

bool partnerBankNameTall(std::string_view bankName)
{
    return bankName.size() > TallBankNameBytes;
}

QStringList partnerTotalsTexts(const PartnerTotals &totals)
{
    return totalsFigures(totals, printedYen);
}

QList<QStringList> partnerSummaryCsvHead()
{
    return { { u"登録取引先一覧表"_s },
        u"コード,取引先名,支払手形,,受取手形,,受取手形期日,,,,振出銀行名"_s.split(u','),
        u",,件数,残高,件数,残高,最短,最長,平均,最近5回平均"_s.split(u',') };
}

QStringList partnerSummaryCsvFields(const PartnerSummaryTexts &t, const PartnerStatistics &s)
{
    return { u"'"_s + t.code, csv::plainText(t.name), t.payableCount, csvYen(s.PayableAmount),
        t.receivableCount, csvYen(s.ReceivableAmount), t.shortest, t.longest, t.average,
        t.latestAverage, csv::plainText(t.bankName) };
}

QStringList partnerTotalsCsvFields(const PartnerTotals &totals)
{
    return QStringList { QString(), u"合計"_s } + totalsFigures(totals, csvYen)
        + QStringList { QString() };
}

void appendPartnerSummaryCsvLine(QByteArray &out, const PartnerRecord &partner,
    const PartnerStatistics &s, std::string_view bankName)
{
    static const QByteArray ken = sjis::encode(u"件"_s);
    static const QByteArray nichi = sjis::encode(u"日"_s);
    csv::LineWriter line(out);
    const auto count = [&line](std::int64_t n, const QByteArray &unit) {
        line.count(n);
        line.putEncoded(unit);
    };
    const auto yenAmount = [&line](Money amount) {
        line.amount(amount);
        line.putEncoded(yenUnitBytes(amount));
    };
    // "%3.1n日": may hold a thousands separator, and is then quoted.
    const auto average = [&line](double days) {
        line.figure(formats::fixed(days, 1, true).view(), AverageWidth, view(nichi));
    };
    line.field(partner.Code.view(), "'");
    line.put(',');
    line.textField(partner.Name.view());
    line.put(',');
    count(s.PayableCount, ken);
    line.put(',');
    yenAmount(s.PayableAmount);
    line.put(',');
    count(s.ReceivableCount, ken);
    line.put(',');
    yenAmount(s.ReceivableAmount);
    line.put(',');
    count(s.Shortest, nichi);
    line.put(',');
    count(s.Longest, nichi);
    line.put(',');
    average(s.Average);
    line.put(',');
    average(s.LatestAverage);
    line.put(',');
    line.textField(bankName);
    line.endLine();
}

bool CSV2(const QString &path, const Session &state, const std::vector<std::int32_t> &rows,
    QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        const QList<QStringList> head = partnerSummaryCsvHead();
        file.expect(head.size() + static_cast<qint64>(rows.size()) + 1);
        for (const QStringList &line : head)
            file.add(line);
        const std::vector<PartnerStatistics> stats =
            partnerStatisticsOfRows(state.PartnerTable, state.NoteTable, rows);
        const CodeIndex<BankRecord> banks(state.BankTable);
        PartnerTotals totals;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const PartnerRecord *p = partnerAt(state.PartnerTable, rows[r]);
            if (!p)
                continue;
            totals.add(stats[r]);
            appendPartnerSummaryCsvLine(
                file.buffer(), *p, stats[r], banks.firstName(p->BankCode.view()));
            file.lineAdded();
        }
        file.add(partnerTotalsCsvFields(totals));
    });
}
