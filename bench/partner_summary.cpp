// The partner summary over a register of a million notes and ten thousand partners: every
// partner's statistics against one plain pass reading the same fields of every note, and its CSV
// file against a plain write of the very same bytes.
#include <cstring>

#include <benchmark/benchmark.h>

#include <QFile>

#include "bench/bench_data.h"
#include "output/partner_summary.h"

using namespace Qt::StringLiterals;

namespace {

const std::vector<std::int32_t> &partnersInCodeOrder()
{
    static const std::vector<std::int32_t> rows = [] {
        const Partners &partners = registerOfAMillion().PartnerTable;
        return setArr2(partners, everyIndex(partners.size()));
    }();
    return rows;
}

QString csvPath()
{
    return benchFile(u"partners.csv"_s);
}

void BM_SetArr2(benchmark::State &st)
{
    const Partners &partners = registerOfAMillion().PartnerTable;
    const std::vector<int> all = everyIndex(partners.size());
    for (auto _ : st)
        benchmark::DoNotOptimize(setArr2(partners, all).data());
}
BENCHMARK(BM_SetArr2)->Unit(benchmark::kMillisecond);

void BM_AllPartnersStatistics(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    for (auto _ : st) {
        const std::vector<PartnerStatistics> stats =
            partnerStatisticsOfRows(s.PartnerTable, s.NoteTable, partnersInCodeOrder());
        benchmark::DoNotOptimize(stats.data());
    }
    st.counters["partners"] = static_cast<double>(partnersInCodeOrder().size());
}
BENCHMARK(BM_AllPartnersStatistics)->Unit(benchmark::kMillisecond);

// What any pass must pay: every note's code, kind, dates and amount read once.
void BM_PlainPassSameFields(benchmark::State &st)
{
    const Notes &notes = registerOfAMillion().NoteTable;
    for (auto _ : st) {
        std::uint64_t codes = 0;
        std::int64_t amounts = 0;
        double days = 0;
        for (const NoteRecord &n : notes) {
            std::uint64_t code = 0;
            const std::string_view c = n.PartnerCode.view();
            std::memcpy(&code, c.data(), c.size());
            codes ^= code + c.size();
            if (n.Kind <= ReceivableNote) {
                amounts += n.Amount.stored();
                days += n.DueDate - n.IssueDate;
            }
        }
        benchmark::DoNotOptimize(codes);
        benchmark::DoNotOptimize(amounts);
        benchmark::DoNotOptimize(days);
    }
}
BENCHMARK(BM_PlainPassSameFields)->Unit(benchmark::kMillisecond);

// The whole export: the statistics of every partner, then the file written and synced.
void BM_CSV2(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    for (auto _ : st) {
        QString error;
        if (!CSV2(csvPath(), s.Data.tables(), partnersInCodeOrder(), &error, nullptr,
                systemFileSystem()))
            st.SkipWithError(qPrintable(error));
    }
    st.counters["bytes"] = static_cast<double>(QFile(csvPath()).size());
}
BENCHMARK(BM_CSV2)->Unit(benchmark::kMillisecond);

// The lines alone, from statistics already gathered: what the CSV adds to the statistics.
void BM_CsvLinesFromStatistics(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    const std::vector<std::int32_t> &rows = partnersInCodeOrder();
    const std::vector<PartnerStatistics> stats =
        partnerStatisticsOfRows(s.PartnerTable, s.NoteTable, rows);
    QByteArray out;
    for (auto _ : st) {
        out.resize(0);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            csv::LineWriter line(out);
            output::writeLine(line, partnerSummaryColumns(),
                PartnerLine { &s.PartnerTable[static_cast<std::size_t>(rows[r])], &stats[r], {} });
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_CsvLinesFromStatistics)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] {
        registerOfAMillion(); // built before any timing starts
        partnersInCodeOrder();
        registerPlainWrites(csvPath, "BM_CSV2");
    });
}
