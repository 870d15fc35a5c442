// The query over a large register against one plain pass that reads the same fields, and the
// value list of a field with a million distinct values.
#include <chrono>
#include <string_view>
#include <unordered_map>

#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "core/day_date.h"
#include "core/sjis.h"
#include "search/query.h"
#include "search/value_list.h"

using namespace Qt::StringLiterals;

namespace {

search::QueryConditions fiveRows()
{
    return { {
        { search::IssueDateField, 2, u"2024/02/08"_s },
        { search::RemarksField, 4, u"回収"_s },
        { search::PartnerNameField, 0, u"株式会社ベルモラ商事"_s },
        { search::AmountField, 2, u"50000000"_s },
        { search::KindField, 0, u"受取手形"_s },
    } };
}

void BM_RunQueryFiveRows(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    const search::QueryConditions rows = fiveRows();
    for (auto _ : st) {
        const search::QueryResult result =
            search::RunQuery(rows, s.NoteTable, s.PartnerTable, s.BankTable);
        benchmark::DoNotOptimize(result.indices.data());
        st.counters["found"] = static_cast<double>(result.indices.size());
    }
}
BENCHMARK(BM_RunQueryFiveRows)->Unit(benchmark::kMillisecond);

// The same five tests written out by hand, the names looked up the same way: what one pass over
// the notes costs at the least.
void BM_PlainPassSameFields(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    const double since = daydate::fromDate(QDate(2024, 2, 8));
    const QByteArray part = sjis::encode(u"回収"_s);
    const QByteArray name = sjis::encode(u"株式会社ベルモラ商事"_s);
    const std::string_view partView(part.constData(), static_cast<std::size_t>(part.size()));
    const std::string_view nameView(name.constData(), static_cast<std::size_t>(name.size()));
    for (auto _ : st) {
        std::unordered_map<std::string_view, std::string_view> names;
        for (const PartnerRecord &p : s.PartnerTable)
            names.try_emplace(p.Code.view(), p.Name.view());
        std::vector<int> found;
        for (std::size_t i = 0; i < s.NoteTable.size(); ++i) {
            const NoteRecord &n = s.NoteTable[i];
            if (n.IssueDate < since || n.Remarks.view().find(partView) == std::string_view::npos)
                continue;
            const auto it = names.find(n.PartnerCode.view());
            if (it == names.end() || it->second != nameView)
                continue;
            if (n.Amount.stored() >= 500'000'000'000 && n.Kind == ReceivableNote)
                found.push_back(static_cast<int>(i));
        }
        benchmark::DoNotOptimize(found.data());
        st.counters["found"] = static_cast<double>(found.size());
    }
}
BENCHMARK(BM_PlainPassSameFields)->Unit(benchmark::kMillisecond);

// vs_plain_pass: the build's time over a plain pass reading the same field, in the same run.
void BM_ValueListOfNoteNumbers(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    double built = 0;
    double plain = 0;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        const search::ValueList list(
            search::NoteNumberField, s.NoteTable, s.PartnerTable, s.BankTable);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        st.SetIterationTime(seconds);
        built += seconds;
        plain += plainPassOverNoteNumbers(s.NoteTable);
        st.counters["values"] = static_cast<double>(list.size());
    }
    st.counters["vs_plain_pass"] = built / plain;
}
BENCHMARK(BM_ValueListOfNoteNumbers)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ValueListOfIssueDates(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    for (auto _ : st) {
        const QStringList list =
            search::valueList(search::IssueDateField, s.NoteTable, s.PartnerTable, s.BankTable);
        st.counters["values"] = static_cast<double>(list.size());
    }
}
BENCHMARK(BM_ValueListOfIssueDates)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] {
        registerOfAMillion(); // built before any timing starts
    });
}
