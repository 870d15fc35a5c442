// What falls due over a register of a million notes: the status line's counts after a change,
// the one pass that fills the window's tabs, and the window refreshed and drawn.
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "due/due_lists.h"
#include "due/due_status.h"
#include "due/due_window.h"
#include "store/program_options.h"

using namespace Qt::StringLiterals;

namespace {

// Inside the bench register's years of due dates, so every list has notes.
const QDate Today(2026, 12, 7);

struct Bench
{
    Session state { systemFileSystem() };
    FixedClock clock { Today };
    WidgetPrompter prompter;
    ProgramOptions options;
};

std::unique_ptr<Bench> theRegister;

void BM_StatusCountsAfterAChange(benchmark::State &st)
{
    Bench &r = *theRegister;
    due::DueStatus status(r.state);
    status.start(14);
    NoteRecord note = r.state.NoteTable[0];
    for (auto _ : st) {
        // Each round changes the register once; the status line counts anew on the announcement.
        note.Amount = Money::fromStored(note.Amount.stored() + 1);
        r.state.Data.replaceNote(0, note);
    }
    st.counters["notes"] = static_cast<double>(r.state.NoteTable.size());
}
BENCHMARK(BM_StatusCountsAfterAChange)->Unit(benchmark::kMillisecond);

void BM_OverviewOnePass(benchmark::State &st)
{
    const Bench &r = *theRegister;
    for (auto _ : st) {
        const due::Overview o = due::overview(r.state.NoteTable, Today, 14);
        st.counters["overdue"] = static_cast<double>(o.overdue.rows.size());
        st.counters["after_clearing"] = static_cast<double>(o.afterClearing.rows.size());
        st.counters["long_terms"] = static_cast<double>(o.longTerms.rows.size());
    }
}
BENCHMARK(BM_OverviewOnePass)->Unit(benchmark::kMillisecond);

// Every tab filled and the shown one drawn, as after a change while the window is open.
void BM_WindowRefreshed(benchmark::State &st)
{
    Bench &r = *theRegister;
    due::DueWindow window(r.state, r.prompter, r.options);
    showAndDraw(window);
    for (auto _ : st) {
        window.refresh();
        window.repaint();
    }
}
BENCHMARK(BM_WindowRefreshed)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(
        argc, argv,
        [] {
            theRegister = std::make_unique<Bench>();
            theRegister->state.clock = &theRegister->clock;
            fillRegister(theRegister->state);
        },
        [] { theRegister.reset(); });
}
