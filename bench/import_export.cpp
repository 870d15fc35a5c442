// 取り込み at the size a business brings from a spreadsheet: 100,000 notes written out, read and
// checked, shown in the dialog's table, and taken into an empty register.
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTableView>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "exchange/import_dialog.h"
#include "exchange/import_plan.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t NoteCount = 100'000;

struct Bench
{
    Session source { systemFileSystem() };
    Session target { systemFileSystem() };
    QString file = benchFile(u"notes.csv"_s);
    QByteArray bytes;
};

std::unique_ptr<Bench> theBench;

void BM_ExportAll(benchmark::State &st)
{
    Bench &b = *theBench;
    for (auto _ : st) {
        QString error;
        if (!exchange::exportTable(exchange::TableKind::Notes, b.file, b.source.Data.tables(),
                &error, nullptr, systemFileSystem()))
            st.SkipWithError(qPrintable(error));
    }
    st.counters["notes"] = static_cast<double>(NoteCount);
}
BENCHMARK(BM_ExportAll)->Unit(benchmark::kMillisecond);

void BM_ReadAndCheck(benchmark::State &st)
{
    Bench &b = *theBench;
    for (auto _ : st) {
        const exchange::ImportPlan plan = exchange::planImport(
            exchange::TableKind::Notes, b.bytes, b.target.Data.tables(), b.target.CurrentUser);
        st.counters["rows"] = plan.rows();
        st.counters["errors"] = plan.errors;
    }
}
BENCHMARK(BM_ReadAndCheck)->Unit(benchmark::kMillisecond);

// The file chosen in the dialog until its table is drawn.
void BM_ReadCheckAndShow(benchmark::State &st)
{
    Bench &b = *theBench;
    WidgetPrompter prompter;
    exchange::ImportDialog dialog(b.target, prompter, nullptr, true);
    showAndDraw(dialog);
    auto *table = dialog.findChild<QTableView *>(u"取り込み内容"_s);
    for (auto _ : st) {
        dialog.readFile(b.file);
        table->viewport()->repaint();
    }
    st.counters["rows"] = dialog.plan().rows();
}
BENCHMARK(BM_ReadCheckAndShow)->Unit(benchmark::kMillisecond);

void BM_TakeIn(benchmark::State &st)
{
    Bench &b = *theBench;
    const exchange::ImportPlan plan = exchange::planImport(
        exchange::TableKind::Notes, b.bytes, b.target.Data.tables(), b.target.CurrentUser);
    for (auto _ : st) {
        st.PauseTiming();
        Session empty { systemFileSystem() };
        st.ResumeTiming();
        exchange::applyImport(plan, empty.Data);
        benchmark::DoNotOptimize(empty.NoteTable.data());
    }
}
BENCHMARK(BM_TakeIn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(
        argc, argv,
        [] {
            theBench = std::make_unique<Bench>();
            fillRegister(theBench->source, NoteCount, 1'000, 100);
            fillRegister(theBench->target, 0, 1'000, 100);
            theBench->target.CurrentUser.Permissions = 15;
            QString error;
            exchange::exportTable(exchange::TableKind::Notes, theBench->file,
                theBench->source.Data.tables(), &error, nullptr, systemFileSystem());
            QFile file(theBench->file);
            if (file.open(QIODevice::ReadOnly))
                theBench->bytes = file.readAll();
        },
        [] { theBench.reset(); });
}
