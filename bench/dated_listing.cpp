// The payment schedule over a register of a million notes: a year's schedule from the selection
// to its pages, and the CSV file of every payable note's schedule against a plain write of the
// very same bytes.
#include <benchmark/benchmark.h>

#include <QFile>

#include "bench/bench_data.h"
#include "core/day_date.h"
#include "output/output_choices.h"
#include "output/report_layout.h"
#include "output/schedule_csv.h"
#include "output/schedule_report.h"

using namespace Qt::StringLiterals;

namespace {

// Every note of the register in issue-date order, as the output sheet sorts them.
const std::vector<std::int32_t> &issueOrder()
{
    static const std::vector<std::int32_t> order = [] {
        const Notes &notes = registerOfAMillion().NoteTable;
        ReportState report;
        report.setArr(notes, everyIndex(notes.size()));
        return report.SourceOrder;
    }();
    return order;
}

// The due dates of the register run over some 2,000 days from this one.
constexpr double FirstDue = 45090;

std::vector<schedule::Line> scheduleOf(double startDay, int days)
{
    const Notes &notes = registerOfAMillion().NoteTable;
    return schedule::lines(notes, startDay, days,
        schedule::setArr3(notes,
            schedule::selection(notes, issueOrder(), PayableNote, startDay, startDay + days - 1)));
}

void BM_YearScheduleLaidOut(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    int pages = 0;
    std::size_t lines = 0;
    for (auto _ : st) {
        std::vector<schedule::Line> year = scheduleOf(FirstDue + 500, 365);
        lines = year.size();
        auto report = output::scheduleReport(
            s.Data.tables(), std::move(year), u"出　金　予　定　表"_s, u"2023/05/01～2024/04/29"_s);
        pages = report->layout().pageCount();
        benchmark::DoNotOptimize(pages);
    }
    st.counters["lines"] = static_cast<double>(lines);
    st.counters["pages"] = pages;
}
BENCHMARK(BM_YearScheduleLaidOut)->Unit(benchmark::kMillisecond);

QString csvPath()
{
    return benchFile(u"schedule.csv"_s);
}

// Every unsettled payable note of the register: the largest schedule it can give.
void BM_CSV3(benchmark::State &st)
{
    const Session &s = registerOfAMillion();
    const std::vector<schedule::Line> all = scheduleOf(FirstDue, 2100);
    timeAgainstPlainWrite(st, csvPath(), [&](const QString &path, FileSystem &fs) {
        QString error;
        return CSV3(path, s.Data.tables(), all, u"出　金　予　定　表"_s,
            u"2023/06/14～2029/03/23"_s, &error, nullptr, fs);
    });
    st.counters["lines"] = static_cast<double>(all.size());
}
// Enough rounds for a median of their ratios.
BENCHMARK(BM_CSV3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] {
        issueOrder(); // the register and its order built before any timing starts
        registerPlainWrites(csvPath, "BM_CSV3");
    });
}
