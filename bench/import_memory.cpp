// Peak memory of 取り込み for the worst files it may be given, each at the largest size the dialog
// reads. Every file is read as the dialog reads it (the file whole, then checked) in a child
// process of its own, so that each peak is that file's alone; the child may take 4 GiB at most,
// so that a file the reader cannot bound ends the child rather than the machine.
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>

#include "bench/bench_data.h"
#include "exchange/import_plan.h"
#include "store/file_system.h"

using namespace Qt::StringLiterals;

namespace {

constexpr rlim_t ChildLimit = 4ULL << 30;
// Notes of a large register, exported: the largest file of valid rows.
constexpr std::size_t ExportedNotes = 1'000'000;

QByteArray header(qsizetype columns)
{
    QByteArray line = exchange::columnsOf(exchange::TableKind::Notes).join(u',').toUtf8();
    for (qsizetype c = exchange::columnsOf(exchange::TableKind::Notes).size(); c < columns; ++c)
        line += ",x";
    return line + '\n';
}

// Writes head, then line after line while the file with tail after them stays within bytes, or
// lines of them, then tail.
bool writeFile(const QString &path, const QByteArray &head, const QByteArray &line, qint64 bytes,
    std::optional<qint64> lines = std::nullopt, const QByteArray &tail = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    qint64 size = file.write(head);
    qint64 written = 0;
    QByteArray chunk;
    const auto flush = [&] {
        size += file.write(chunk);
        chunk.clear();
    };
    while (
        size + chunk.size() + line.size() + tail.size() <= bytes && (!lines || written < *lines)) {
        chunk += line;
        ++written;
        if (chunk.size() >= (1 << 20))
            flush();
    }
    chunk += tail;
    flush();
    return file.flush();
}

struct Shape
{
    const char *name;
    QString path;
    std::function<bool(const QString &path)> make;
};

std::vector<Shape> &shapes()
{
    static std::vector<Shape> all;
    return all;
}

Session &target()
{
    static Session state { systemFileSystem() };
    return state;
}

struct ChildResult
{
    bool finished = false; // false: it ran out of memory or crashed
    bool refused = false;
    int rows = 0;
    double peakMiB = 0;
};

ChildResult readInChild(const QString &path)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        const rlimit limit { ChildLimit, ChildLimit };
        setrlimit(RLIMIT_AS, &limit);
        int answer[2] = { 0, 0 };
        try {
            const WholeFile read =
                readWholeFile(path, exchange::LargestImportFile, systemFileSystem());
            const exchange::ImportPlan plan = exchange::planImport(exchange::TableKind::Notes,
                read.bytes, target().Data.tables(), target().CurrentUser);
            answer[0] = read.fault.isFault() || !plan.fileError.isEmpty();
            answer[1] = plan.rows();
        } catch (...) {
            _exit(2);
        }
        if (write(out[1], answer, sizeof answer) != sizeof answer)
            _exit(3);
        _exit(0);
    }
    close(out[1]);
    ChildResult result;
    int answer[2] = { 0, 0 };
    const bool heard = read(out[0], answer, sizeof answer) == sizeof answer;
    close(out[0]);
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return result;
    result.finished = heard && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.refused = answer[0] != 0;
    result.rows = answer[1];
    result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return result;
}

void BM_ImportPeakMemory(benchmark::State &st)
{
    const Shape &shape = shapes()[static_cast<std::size_t>(st.range(0))];
    st.SetLabel(shape.name);
    ChildResult result;
    for (auto _ : st)
        result = readInChild(shape.path);
    st.counters["peak_MiB"] = result.peakMiB;
    st.counters["file_MiB"] = static_cast<double>(QFile(shape.path).size()) / (1024.0 * 1024.0);
    st.counters["rows"] = result.rows;
    st.counters["refused"] = result.refused;
    st.counters["ran_out"] = !result.finished;
}

void prepare()
{
    target().CurrentUser.Permissions = 15;
    target().CurrentUser.Name = "bench";
    const qint64 largest = exchange::LargestImportFile;
    QByteArray oneCharFields;
    for (int i = 0; i < 999; ++i)
        oneCharFields += i ? ",a" : "a";
    oneCharFields += '\n';
    shapes() = {
        { "999 one-character fields a line", benchFile(u"fields.csv"_s),
            [=](const QString &path) {
                return writeFile(path, header(999), oneCharFields, largest);
            } },
        { "short lines to the largest file", benchFile(u"lines.csv"_s),
            [=](const QString &path) { return writeFile(path, header(10), "a\n", largest); } },
        { "short lines, as many as are read", benchFile(u"rows.csv"_s),
            [=](const QString &path) {
                return writeFile(path, header(10), "a\n", largest, exchange::CsvLimits().rows);
            } },
        // Each with its texts too long and its values unreadable, and a column not taken in
        // that makes the most rows fill the largest file.
        { "rows with every problem, as many as are read", benchFile(u"problems.csv"_s),
            [=](const QString &path) {
                const qsizetype rows = exchange::CsvLimits().rows;
                QByteArray row = "x,123456,12345678901,123456789,x,x,x,x," + QByteArray(41, 'r')
                    + ',' + QByteArray(32, 'n') + ',';
                row += QByteArray((largest - header(11).size()) / rows - row.size() - 1, 'p');
                return writeFile(path, header(11), row + '\n', largest, rows);
            } },
        { "one huge remark", benchFile(u"field.csv"_s),
            [=](const QString &path) {
                const QByteArray head = header(10) + "0,1,N,B,2024/1/1,2024/2/1,1,0,\"";
                return writeFile(path, head, "xxxxxxxxxxxxxxxx", largest, {}, "\",u\n");
            } },
        { "a million notes exported", benchFile(u"notes.csv"_s),
            [](const QString &path) {
                Session source { systemFileSystem() };
                fillRegister(source, ExportedNotes, 1'000, 100);
                QString error;
                return exchange::exportTable(exchange::TableKind::Notes, path, source.Data.tables(),
                    &error, nullptr, systemFileSystem());
            } },
    };
    for (std::size_t i = 0; i < shapes().size(); ++i) {
        if (!shapes()[i].make(shapes()[i].path))
            std::fprintf(stderr, "could not write %s\n", qPrintable(shapes()[i].path));
        // What the parent holds, each child holds too: nothing of the making stays.
        malloc_trim(0);
        benchmark::RegisterBenchmark("BM_ImportPeakMemory", BM_ImportPeakMemory)
            ->Arg(static_cast<int64_t>(i))
            ->Iterations(1)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv, prepare);
}
