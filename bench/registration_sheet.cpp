// The registration sheet's refresh with large registers: the grid, the code list and, for
// partners, the bank list with each bank's code and name.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "sheets/registration_sheet.h"

namespace {

void BM_RegistrationSheetDataUpDate(benchmark::State &st)
{
    Session state { systemFileSystem() };
    fillRegister(state, 0, 10'000, 1'000);
    WidgetPrompter prompter;
    RegistrationSheet sheet(state, prompter);
    sheet.setMode(static_cast<unsigned>(st.range(0)));
    sheet.show();
    QApplication::processEvents();
    for (auto _ : st) {
        sheet.DataUpDate();
        // A refresh is done when the grid can be drawn again.
        sheet.SG1->viewport()->repaint();
    }
}
BENCHMARK(BM_RegistrationSheetDataUpDate)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("partners")
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
