// The output sheet over a register of a million notes: the issue-date sort of every note, and the
// note list's CSV file of every note against a plain write of the very same bytes.
#include <benchmark/benchmark.h>

#include <QFile>

#include "bench/bench_data.h"
#include "output/note_list_csv.h"
#include "output/output_choices.h"

using namespace Qt::StringLiterals;

namespace {

QString csvPath()
{
    return benchFile(u"list.csv"_s);
}

void BM_SetArr(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    const std::vector<int> all = everyIndex(s.NoteTable.size());
    ReportState report;
    for (auto _ : st) {
        report.setArr(s.NoteTable, all);
        benchmark::DoNotOptimize(report.SourceOrder.data());
    }
    st.counters["notes"] = static_cast<double>(all.size());
}
BENCHMARK(BM_SetArr)->Unit(benchmark::kMillisecond);

void BM_CSV1(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    const std::vector<int> all = everyIndex(s.NoteTable.size());
    const std::vector<std::int32_t> rows(all.begin(), all.end());
    timeAgainstPlainWrite(st, csvPath(), [&](const QString &path, FileSystem &fs) {
        QString error;
        return CSV1(path, s.Data.tables(), rows, u"支払手形記入帳"_s, &error, nullptr, fs);
    });
}
// Enough rounds for a median of their ratios.
BENCHMARK(BM_CSV1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] {
        registerOfAMillion(); // built before any timing starts
        registerPlainWrites(csvPath, "BM_CSV1");
    });
}
