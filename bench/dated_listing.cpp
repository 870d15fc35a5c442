// The payment schedule over a register of a million notes: a year's schedule from the selection
// to its pages, and the CSV file of every payable note's schedule against a plain write of the
// very same bytes.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "bench/bench_data.h"
#include "output/output_choices.h"
#include "output/report_layout.h"
#include "output/schedule_csv.h"
#include "output/schedule_report.h"
#include "store/day_date.h"

using namespace Qt::StringLiterals;

namespace {

struct Register
{
    AppState state;
    std::vector<std::int32_t> issueOrder;
};

Register &registerOfAMillion()
{
    static Register r = [] {
        Register made;
        fillRegister(made.state);
        std::vector<int> all(made.state.NoteTable.size());
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = static_cast<int>(i);
        ReportState report;
        report.setArr(made.state.NoteTable, all);
        made.issueOrder = report.SourceOrder;
        return made;
    }();
    return r;
}

// The due dates of the register run over some 2,000 days from this one.
constexpr double FirstDue = 45090;

std::vector<schedule::Line> scheduleOf(double startDay, int days)
{
    const Register &r = registerOfAMillion();
    const Notes &notes = r.state.NoteTable;
    return schedule::lines(notes, startDay, days,
        schedule::setArr3(notes,
            schedule::selection(notes, r.issueOrder, PayableNote, startDay, startDay + days - 1)));
}

void BM_YearScheduleLaidOut(benchmark::State &st)
{
    const Register &r = registerOfAMillion();
    int pages = 0;
    std::size_t lines = 0;
    for (auto _ : st) {
        std::vector<schedule::Line> year = scheduleOf(FirstDue + 500, 365);
        lines = year.size();
        auto report = output::scheduleReport(
            r.state, std::move(year), u"出　金　予　定　表"_s, u"2023/05/01～2024/04/29"_s);
        pages = report->layout().pageCount();
        benchmark::DoNotOptimize(pages);
    }
    st.counters["lines"] = static_cast<double>(lines);
    st.counters["pages"] = pages;
}
BENCHMARK(BM_YearScheduleLaidOut)->Unit(benchmark::kMillisecond);

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString csvPath()
{
    return folder().filePath(u"schedule.csv"_s);
}

// Every unsettled payable note of the register: the largest schedule it can give.
void BM_CSV3(benchmark::State &st)
{
    const Register &r = registerOfAMillion();
    const std::vector<schedule::Line> all = scheduleOf(FirstDue, 2100);
    for (auto _ : st) {
        QString error;
        if (!CSV3(csvPath(), r.state, all, u"出　金　予　定　表"_s, u"2023/06/14～2029/03/23"_s,
                &error))
            st.SkipWithError(qPrintable(error));
    }
    st.counters["lines"] = static_cast<double>(all.size());
    st.counters["bytes"] = static_cast<double>(QFile(csvPath()).size());
}
BENCHMARK(BM_CSV3)->Unit(benchmark::kMillisecond);

// The bytes CSV3 wrote, written again in one piece. CSV3's file is synced before it replaces the
// old one, so the synced write is its true measure.
void plainWrite(benchmark::State &st, bool synced)
{
    QFile written(csvPath());
    if (!written.open(QIODevice::ReadOnly)) {
        st.SkipWithError("run BM_CSV3 first");
        return;
    }
    const QByteArray bytes = written.readAll();
    const QByteArray path = QFile::encodeName(folder().filePath(u"plain.csv"_s));
    for (auto _ : st) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const char *at = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, at, static_cast<size_t>(left));
            if (n <= 0)
                break;
            at += n;
            left -= n;
        }
        if (synced)
            ::fdatasync(fd);
        ::close(fd);
    }
    st.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_PlainWriteSameBytes(benchmark::State &st)
{
    plainWrite(st, false);
}
BENCHMARK(BM_PlainWriteSameBytes)->Unit(benchmark::kMillisecond);

void BM_PlainWriteSameBytesSynced(benchmark::State &st)
{
    plainWrite(st, true);
}
BENCHMARK(BM_PlainWriteSameBytesSynced)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerOfAMillion(); // built before any timing starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
