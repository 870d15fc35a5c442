#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

#include "core/lookups.h"
#include "core/tables.h"
#include "output/report_columns.h"
#include "store/file_system.h"

class Progress;

// The partner summary: every partner in code order with the counts and balances of its payable
// and receivable notes and four statistics of the receivable notes' terms, then a totals line.
// Shared by the printed report and its CSV file.

// The partners' indices ordered by Code, byte by byte, the shorter of two equal beginnings first.
// A stable sort: partners with equal codes keep the order given.
std::vector<std::int32_t> setArr2(const Partners &partners, const std::vector<int> &indices);

struct PartnerStatistics
{
    std::int32_t PayableCount = 0;
    Money PayableAmount;
    std::int32_t ReceivableCount = 0;
    Money ReceivableAmount;
    // Of the receivable notes' terms (due day minus issue day); all 0 without receivable notes.
    std::int32_t Shortest = 0;
    std::int32_t Longest = 0; // never below 0
    double Average = 0;
    // Mean term of the (at most) five latest issued receivable notes; of notes issued on the
    // same day at that boundary, the one earlier in the table counts.
    double LatestAverage = 0;

    bool operator==(const PartnerStatistics &) const = default;
};

// Gathers one partner's notes in table order. Kinds other than payable and receivable are left
// out; settled notes count.
class PartnerStatisticsBuilder
{
public:
    void add(const NoteRecord &note);
    PartnerStatistics result() const;

private:
    struct Latest
    {
        double date = 0; // 0 stands for an empty entry, earlier than any stored issue day
        double days = 0;
    };

    PartnerStatistics s_;
    // Kept apart from Shortest, so that a real term of 0 days stays the shortest.
    bool shortestSet_ = false;
    double daySum_ = 0;
    std::int32_t insertions_ = 0;
    std::array<Latest, 5> latest_ {};
};

// A note's term: the whole days from issue to due, cut toward zero.
std::int32_t termDays(const NoteRecord &note);

// One partner's statistics by the definition: every note whose PartnerCode equals code exactly.
PartnerStatistics partnerStatistics(std::string_view code, const Notes &notes);

// The statistics of the partners at rows (partner indices) in one pass over the notes, equal to
// partnerStatistics for each: partners sharing a code get the same figures.
std::vector<PartnerStatistics> partnerStatisticsOfRows(
    const Partners &partners, const Notes &notes, const std::vector<std::int32_t> &rows);

// The totals line: the counts and balances of every line of one run added up.
struct PartnerTotals
{
    std::int64_t PayableCount = 0;
    std::int64_t ReceivableCount = 0;
    Money PayableAmount;
    Money ReceivableAmount;

    void add(const PartnerStatistics &s);
};

// One partner of the summary, with its statistics and the first-match name of its bank, empty
// when none.
struct PartnerLine
{
    const PartnerRecord *partner = nullptr;
    const PartnerStatistics *statistics = nullptr;
    std::string_view bankName;
};

// The columns, as the page and the CSV file have them: the code ("'" before it in the file), the
// name, the payable notes' count ("3件") and balance ("%10.0n円", in the file "%10.0f円"), the
// same of the receivable notes, their shortest and longest terms ("30日"), the average term and
// that of the latest five ("%3.1n日"), the bank's name. The file's head is two lines.
std::span<const output::Column<PartnerLine>> partnerSummaryColumns();
// The totals line: the file's has an empty field, "合計", the four figures and an empty field;
// the page's the four figures beside its own "合計".
std::span<const output::Column<PartnerTotals>> partnerTotalsColumns();

// The printed row takes two lines when the partner name is over 22 bytes or the bank name over
// 48; each name box grows on its own rule.
bool partnerNameTall(std::string_view name);
bool partnerBankNameTall(std::string_view bankName);

// The partners at rows (partner indices), in their order, with every one's statistics gathered
// in one pass and their totals; an index beyond the table stands for no row.
class PartnerSummaryTable
{
public:
    using Row = PartnerLine;

    PartnerSummaryTable(const Notes &notes, const Partners &partners, const Banks &banks,
        std::span<const std::int32_t> rows);

    int count() const { return static_cast<int>(rows_.size()); }
    std::optional<PartnerLine> row(int line) const;
    std::span<const output::Column<PartnerLine>> columns(const PartnerLine &) const
    {
        return partnerSummaryColumns();
    }
    void writeCells(csv::LineWriter &line, const PartnerLine &row) const;
    // The tall row for a long name or bank name.
    output::LineShape shape(int line) const;
    const PartnerTotals &sums() const { return totals_; }
    // The printed totals: payable count, payable balance, receivable count, receivable balance.
    QStringList totals() const;

private:
    const PartnerRecord *partner(int line) const;

    const Partners &partners_;
    std::span<const std::int32_t> rows_;
    std::vector<PartnerStatistics> statistics_;
    CodeIndex<BankRecord> banks_;
    PartnerTotals totals_;
};

// Writes the partner summary's CSV file: the head, one line per partner of rows (partner
// indices) in their order, the totals line. false with the message (file and reason, in
// Japanese) in error when it could not be written whole; the old file then stays.
bool CSV2(const QString &path, const Tables &tables, const std::vector<std::int32_t> &rows,
    QString *error, Progress *progress, FileSystem &fs);
