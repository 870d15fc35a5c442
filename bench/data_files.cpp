// Load and save of a large register against plain reads and writes of the same bytes, and the
// peak memory of a load against the tables' own size.
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "bench/bench_data.h"
#include "store/data_files.h"

using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    QString path() const { return dir.path() + u'/'; }
    std::vector<QString> files;

    Fixture()
    {
        QSet<QString> incomplete;
        SaveData(makeRegister(), incomplete, path(), systemFileSystem());
        for (const char16_t *name : { PartnerFileName, NoteFileName, BankFileName })
            files.push_back(path() + QString::fromUtf16(name));
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

std::vector<char> readAll(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    std::vector<char> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
    ::pread(fd, bytes.data(), bytes.size(), 0);
    ::close(fd);
    return bytes;
}

void writeAll(const QString &path, const std::vector<char> &bytes, bool sync)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::write(fd, bytes.data(), bytes.size());
    if (sync)
        ::fdatasync(fd);
    ::close(fd);
}

void BM_PlainRead(benchmark::State &st)
{
    for (auto _ : st) {
        for (const QString &f : fixture().files)
            benchmark::DoNotOptimize(readAll(f));
    }
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_LoadData(benchmark::State &st)
{
    for (auto _ : st) {
        Tables tables;
        QSet<QString> incomplete;
        LoadData(tables, incomplete, fixture().path(), systemFileSystem());
        benchmark::DoNotOptimize(tables.notes.data());
    }
}
BENCHMARK(BM_LoadData)->Unit(benchmark::kMillisecond);

// The plain write is given the same durability as the save (a data sync per file), and measured
// without it too for reference.
void BM_PlainWrite(benchmark::State &st)
{
    std::vector<std::vector<char>> contents;
    for (const QString &f : fixture().files)
        contents.push_back(readAll(f));
    const QString out = fixture().path() + u"plain-"_s;
    for (auto _ : st) {
        for (size_t i = 0; i < contents.size(); ++i)
            writeAll(out + QString::number(i), contents[i], st.range(0) != 0);
    }
}
BENCHMARK(BM_PlainWrite)->Arg(0)->Arg(1)->ArgName("sync")->Unit(benchmark::kMillisecond);

// Each round also writes the same bytes plainly with a data sync per file, so the counter
// vs_plain_write is the save's cost over that write in the same run, journal included.
void BM_SaveData(benchmark::State &st)
{
    Tables tables;
    QSet<QString> incomplete;
    LoadData(tables, incomplete, fixture().path(), systemFileSystem());
    std::vector<std::vector<char>> contents;
    for (const QString &f : fixture().files)
        contents.push_back(readAll(f));
    const QString out = fixture().path() + u"save/"_s;
    const QString plain = fixture().path() + u"plain-"_s;
    QDir().mkpath(out);
    using Clock = std::chrono::steady_clock;
    Clock::duration saving {}, writing {};
    for (auto _ : st) {
        const auto start = Clock::now();
        for (size_t i = 0; i < contents.size(); ++i)
            writeAll(plain + QString::number(i), contents[i], true);
        const auto written = Clock::now();
        SaveData(tables, incomplete, out, systemFileSystem());
        const auto saved = Clock::now();
        writing += written - start;
        saving += saved - written;
        st.SetIterationTime(std::chrono::duration<double>(saved - written).count());
    }
    st.counters["vs_plain_write"] = std::chrono::duration<double>(saving).count()
        / std::chrono::duration<double>(writing).count();
}
BENCHMARK(BM_SaveData)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same save keeping the ten generations it may (hard links here), each round beside a save
// that keeps none: vs_without_generations is what keeping them adds. The kept side starts full,
// so each of its saves prunes the oldest generation and frees the files only it still held, as a
// save without generations frees the files it replaces: both pay for the same freeing.
void BM_SaveDataKeepingGenerations(benchmark::State &st)
{
    Tables tables;
    QSet<QString> incomplete;
    LoadData(tables, incomplete, fixture().path(), systemFileSystem());
    const QString plain = fixture().path() + u"save-plain/"_s;
    const QString kept = fixture().path() + u"save-kept/"_s;
    QDir().mkpath(plain);
    QDir().mkpath(kept);
    SaveData(tables, incomplete, plain, systemFileSystem());
    // As the register does, each save hands on what the files it replaces hold.
    auto written = SaveData(tables, incomplete, kept, systemFileSystem()).written;
    const auto saveKept = [&](const QDateTime &at) {
        written = SaveData(tables, incomplete, kept, systemFileSystem(),
            { DefaultGenerationsKept, at, {}, written })
                      .written;
    };
    using Clock = std::chrono::steady_clock;
    Clock::duration with {}, without {};
    QDateTime at = QDateTime::currentDateTime();
    for (int i = 0; i < DefaultGenerationsKept; ++i) {
        at = at.addSecs(1);
        saveKept(at);
    }
    for (auto _ : st) {
        const auto start = Clock::now();
        SaveData(tables, incomplete, plain, systemFileSystem());
        const auto between = Clock::now();
        at = at.addSecs(1);
        saveKept(at);
        const auto end = Clock::now();
        without += between - start;
        with += end - between;
        st.SetIterationTime(std::chrono::duration<double>(end - between).count());
    }
    st.counters["vs_without_generations"] = std::chrono::duration<double>(with).count()
        / std::chrono::duration<double>(without).count();
}
BENCHMARK(BM_SaveDataKeepingGenerations)->UseManualTime()->Unit(benchmark::kMillisecond);

std::size_t residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    std::size_t kb = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> kb;
            break;
        }
    }
    return kb * 1024;
}

// Peak resident memory added by one load, relative to the size of the loaded tables.
void BM_LoadPeakMemory(benchmark::State &st)
{
    for (auto _ : st) {
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak to the current size
        const std::size_t before = residentBytes();
        Tables loaded;
        QSet<QString> incomplete;
        LoadData(loaded, incomplete, fixture().path(), systemFileSystem());
        const std::size_t peak = peakResidentBytes() - before;
        const double tables = static_cast<double>(loaded.notes.size() * sizeof(NoteRecord)
            + loaded.partners.size() * sizeof(PartnerRecord)
            + loaded.banks.size() * sizeof(BankRecord));
        st.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
        st.counters["tables_MB"] = tables / 1e6;
        st.counters["peak_over_tables"] = static_cast<double>(peak) / tables;
    }
}
BENCHMARK(BM_LoadPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] {
        // The register is written before any timing starts, so no benchmark pays for it.
        fixture();
    });
}
