#include "bench/bench_data.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/sjis.h"

namespace {

std::string code(const char *prefix, std::size_t n, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%0*zu", prefix, width, n);
    return buffer;
}

// Writes bytes over path in one piece, with a data sync when asked; the seconds it took.
double writeWhole(const QByteArray &path, const QByteArray &bytes, bool synced)
{
    const auto start = std::chrono::steady_clock::now();
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
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The CPU time of the calling thread, in seconds.
double threadSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

QByteArray plainPathBeside(const QString &written)
{
    return QFile::encodeName(QFileInfo(written).dir().filePath(QStringLiteral("plain.csv")));
}

void plainWrite(
    benchmark::State &st, const QString &written, const std::string &writer, bool synced)
{
    QFile file(written);
    if (!file.open(QIODevice::ReadOnly)) {
        st.SkipWithError(("run " + writer + " first").c_str());
        return;
    }
    const QByteArray bytes = file.readAll();
    const QByteArray path = plainPathBeside(written);
    for (auto _ : st)
        writeWhole(path, bytes, synced);
    st.counters["bytes"] = static_cast<double>(bytes.size());
}

} // namespace

const Session &registerOfAMillion()
{
    static const std::unique_ptr<Session> state = [] {
        auto s = std::make_unique<Session>(systemFileSystem());
        fillRegister(*s);
        return s;
    }();
    return *state;
}

std::vector<int> everyIndex(std::size_t count)
{
    std::vector<int> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

double plainPassOverNoteNumbers(const Notes &notes)
{
    const auto start = std::chrono::steady_clock::now();
    std::size_t bytes = 0;
    for (const NoteRecord &n : notes)
        bytes += n.NoteNumber.view().size() + static_cast<unsigned char>(n.NoteNumber.view()[0]);
    benchmark::DoNotOptimize(bytes);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void timeAgainstPlainWrite(benchmark::State &st, const QString &written,
    const std::function<bool(const QString &, FileSystem &)> &write)
{
    // The writer's lines made and handed on as to a file, but never written: what the writer's
    // own work costs, apart from the disk.
    class NoWrites : public PosixFileSystem
    {
    public:
        ssize_t write(int, const char *, size_t size) override
        {
            return static_cast<ssize_t>(size);
        }
        int sync(int) override { return 0; }
        int syncDirectory(const char *) override { return 0; }
    } noWrites;
    const QString unwritten = QFileInfo(written).dir().filePath(QStringLiteral("unwritten.csv"));
    struct Round
    {
        double writing = 0;
        double making = 0;
        double plain = 0;
    };
    std::vector<Round> rounds;
    QByteArray bytes;
    const auto plainWrite = [&] {
        if (bytes.isEmpty()) {
            QFile file(written);
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
        }
        return writeWhole(plainPathBeside(written), bytes, true);
    };
    for (auto _ : st) {
        Round round;
        // Every other round the plain write goes first, so that neither side always meets the
        // disk as the other left it.
        const bool plainFirst = rounds.size() % 2 == 1;
        if (plainFirst)
            round.plain = plainWrite();
        const auto start = std::chrono::steady_clock::now();
        if (!write(written, systemFileSystem())) {
            st.SkipWithError("the writer failed");
            return;
        }
        round.writing =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        st.SetIterationTime(round.writing);
        if (!plainFirst)
            round.plain = plainWrite();
        const double cpuStart = threadSeconds();
        write(unwritten, noWrites);
        round.making = threadSeconds() - cpuStart;
        rounds.push_back(round);
    }
    const auto median = [&](double (*of)(const Round &)) {
        std::vector<double> values;
        for (const Round &r : rounds)
            values.push_back(of(r));
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[values.size() / 2];
    };
    st.counters["bytes"] = static_cast<double>(bytes.size());
    // Each ratio is of one round, both its sides under the same load; the median of the rounds.
    st.counters["vs_plain_write"] = median([](const Round &r) { return r.writing / r.plain; });
    // Making the lines, on the CPU time of the thread that makes them: tells a slow writer from a
    // busy disk.
    st.counters["cpu_ms"] = median([](const Round &r) { return r.making * 1000; });
    st.counters["cpu_vs_plain_write"] = median([](const Round &r) { return r.making / r.plain; });
    st.counters["plain_ms"] = median([](const Round &r) { return r.plain * 1000; });
}

void registerPlainWrites(QString (*written)(), const char *writer)
{
    const std::string name(writer);
    for (const bool synced : { false, true })
        benchmark::RegisterBenchmark(
            synced ? "BM_PlainWriteSameBytesSynced" : "BM_PlainWriteSameBytes",
            [written, name, synced](
                benchmark::State &st) { plainWrite(st, written(), name, synced); })
            ->Unit(benchmark::kMillisecond);
}

void fillRegister(Session &state, std::size_t notes, std::size_t partners, std::size_t banks)
{
    state.Data.setTables(makeRegister(notes, partners, banks));
}

Tables makeRegister(std::size_t notes, std::size_t partners, std::size_t banks)
{
    const QByteArray partnerName = sjis::encode(QStringLiteral("株式会社ベルモラ商事"));
    const QByteArray bankName = sjis::encode(QStringLiteral("ベルモラ銀行　本店営業部"));
    const QByteArray remarks = sjis::encode(QStringLiteral("売掛金回収分"));
    Tables t;
    t.banks.resize(banks);
    for (std::size_t i = 0; i < banks; ++i) {
        t.banks[i].Code.assign(code("B", i, 7));
        t.banks[i].Name.assign(std::string_view(bankName.constData(), bankName.size()));
    }
    t.partners.resize(partners);
    for (std::size_t i = 0; i < partners; ++i) {
        PartnerRecord &p = t.partners[i];
        p.Code.assign(code("", i, 5));
        p.Name.assign(std::string_view(partnerName.constData(), partnerName.size()));
        p.BankCode.assign(code("B", i % banks, 7));
    }
    t.notes.resize(notes);
    for (std::size_t i = 0; i < notes; ++i) {
        NoteRecord &n = t.notes[i];
        n.IssueDate = 45000 + static_cast<double>(i % 2000);
        n.DueDate = n.IssueDate + 90;
        n.NoteNumber.assign(code("AB", i, 8));
        n.PartnerCode.assign(code("", (i * 7919) % partners, 5));
        n.BankCode.assign(code("B", (i * 104729) % banks, 7));
        n.Settled = i % 3 == 0;
        n.Kind = static_cast<std::uint8_t>(i % 5);
        n.Amount = Money::fromValue(static_cast<long double>((i % 100000) + 1) * 1000);
        n.Remarks.assign(std::string_view(remarks.constData(), remarks.size()));
        n.EnteredBy.assign("Admini");
    }
    return t;
}

std::size_t peakResidentBytes()
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    std::size_t kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            std::sscanf(line + 6, "%zu", &kb);
    }
    std::fclose(f);
    return kb * 1024;
}

int runBenchmarks(int argc, char **argv, const std::function<void()> &prepare)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

QString benchFile(const QString &name)
{
    static QTemporaryDir folder;
    return folder.filePath(name);
}
