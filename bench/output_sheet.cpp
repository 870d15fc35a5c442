// The output sheet over a register of a million notes: the issue-date sort of every note, and the
// note list's CSV file of every note against a plain write of the very same bytes.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "bench/bench_data.h"
#include "output/note_list_csv.h"
#include "output/output_choices.h"

using namespace Qt::StringLiterals;

namespace {

AppState &registerOfAMillion()
{
    static AppState state = [] {
        AppState s;
        fillRegister(s);
        return s;
    }();
    return state;
}

std::vector<int> everyNote()
{
    std::vector<int> all(registerOfAMillion().NoteTable.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return all;
}

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString csvPath()
{
    return folder().filePath(u"list.csv"_s);
}

void BM_SetArr(benchmark::State &st)
{
    const AppState &s = registerOfAMillion();
    const std::vector<int> all = everyNote();
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
    const AppState &s = registerOfAMillion();
    const std::vector<int> all = everyNote();
    const std::vector<std::int32_t> rows(all.begin(), all.end());
    for (auto _ : st) {
        QString error;
        if (!CSV1(csvPath(), s, rows, u"支払手形記入帳"_s, &error))
            st.SkipWithError(qPrintable(error));
    }
    st.counters["bytes"] = static_cast<double>(QFile(csvPath()).size());
}
BENCHMARK(BM_CSV1)->Unit(benchmark::kMillisecond);

// The bytes CSV1 wrote, written again in one piece: what the disk costs at the least. The file
// CSV1 writes is synced before it replaces the old one, so the synced write is its true measure.
void plainWrite(benchmark::State &st, bool synced)
{
    QFile written(csvPath());
    if (!written.open(QIODevice::ReadOnly)) {
        st.SkipWithError("run BM_CSV1 first");
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
