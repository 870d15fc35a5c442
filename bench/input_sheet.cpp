// The input sheet's refresh with large partner and bank registers: refilling the four drop-downs
// and resetting the entry defaults.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "sheets/input_sheet.h"

namespace {

void BM_InputSheetDataUpDate(benchmark::State &st)
{
    Session state { systemFileSystem() };
    fillRegister(state, 0, 10'000, 1'000);
    state.CurrentUser.Permissions = 15;
    state.CurrentUser.Name = "Admini";
    QuietHost host;
    WidgetPrompter prompter;
    InputSheet sheet(state, host, prompter);
    sheet.show();
    QApplication::processEvents();
    for (auto _ : st) {
        sheet.DataUpDate();
        benchmark::DoNotOptimize(sheet.entry());
    }
}
BENCHMARK(BM_InputSheetDataUpDate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
