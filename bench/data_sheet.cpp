#include <memory>
#include <numeric>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTableView>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "sheets/data_sheet.h"
#include "sheets/input_sheet.h"
#include "sheets/note_grid_model.h"

// The data sheet over a register of a million notes: the cost of a refresh against one plain
// pass over the notes, the cost of drawing a screenful, the memory the view adds, and what one
// change costs until both sheets show it.

namespace {

struct Bench
{
    Session state { systemFileSystem() };
    QuietHost host;
    WidgetPrompter prompter;
    std::unique_ptr<DataSheet> sheet;
    std::unique_ptr<InputSheet> input;
    double viewBytesPerNote = 0;
};

std::unique_ptr<Bench> buildRegister()
{
    auto r = std::make_unique<Bench>();
    r->state.CurrentUser.Permissions = 15;
    // Fonts, styles and the platform load on the first sheet drawn, not on the measured one.
    {
        Session small { systemFileSystem() };
        small.CurrentUser.Permissions = 15;
        fillRegister(small, 100, 10, 10);
        DataSheet warmUp(small, r->host, r->prompter);
        showAndDraw(warmUp);
    }
    fillRegister(r->state);
    const std::size_t before = peakResidentBytes();
    r->sheet = std::make_unique<DataSheet>(r->state, r->host, r->prompter);
    showAndDraw(*r->sheet);
    const std::size_t after = peakResidentBytes();
    r->viewBytesPerNote =
        static_cast<double>(after - before) / static_cast<double>(r->state.NoteTable.size());
    r->input = std::make_unique<InputSheet>(r->state, r->host, r->prompter);
    showAndDraw(*r->input);
    return r;
}

// Built in main and released before the application, as widgets must be.
std::unique_ptr<Bench> theRegister;

Bench &reg()
{
    return *theRegister;
}

void BM_PlainPassOverCodes(benchmark::State &s)
{
    const Notes &notes = reg().state.NoteTable;
    for (auto _ : s) {
        std::size_t sum = 0;
        for (const NoteRecord &n : notes) {
            const std::string_view partner = n.PartnerCode.view();
            const std::string_view bank = n.BankCode.view();
            sum = std::accumulate(partner.begin(), partner.end(), sum);
            sum = std::accumulate(bank.begin(), bank.end(), sum);
        }
        benchmark::DoNotOptimize(sum);
    }
    s.counters["notes"] = static_cast<double>(notes.size());
}
BENCHMARK(BM_PlainPassOverCodes)->Unit(benchmark::kMillisecond);

void BM_DataUpdate(benchmark::State &s)
{
    Bench &r = reg();
    for (auto _ : s)
        r.sheet->DataUpdate();
    s.counters["view_bytes_per_note"] = r.viewBytesPerNote;
}
BENCHMARK(BM_DataUpdate)->Unit(benchmark::kMillisecond);

void BM_DrawScreenful(benchmark::State &s)
{
    Bench &r = reg();
    QTableView *grid = r.sheet->SG1;
    grid->scrollTo(grid->model()->index(500'000, 0), QAbstractItemView::PositionAtTop);
    QImage image(r.sheet->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : s) {
        r.sheet->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    s.counters["rows"] = grid->viewport()->height() / grid->rowHeight(0);
}
BENCHMARK(BM_DrawScreenful)->Unit(benchmark::kMillisecond);

// A note approved and unapproved in turn: the register's change and its announcement, until the
// data sheet (its one row redrawn) and the input sheet (10,000 partners, 1,000 banks in its
// lists, kept as they are) show it.
void BM_ChangeShownOnBothSheets(benchmark::State &s)
{
    Bench &r = reg();
    std::uint8_t settled = r.state.NoteTable[500'000].Settled;
    for (auto _ : s) {
        settled = settled != 0 ? 0 : 1;
        benchmark::DoNotOptimize(r.state.Data.applyApprovals({ 500'000 }, { settled }));
    }
}
BENCHMARK(BM_ChangeShownOnBothSheets)->Unit(benchmark::kMillisecond);

// A note added at the end and removed again, two changes a round: the data sheet's full view
// gains and loses its last row.
void BM_NoteAddedAndRemovedOnBothSheets(benchmark::State &s)
{
    Bench &r = reg();
    const NoteRecord note = r.state.NoteTable[500'000];
    for (auto _ : s) {
        r.state.Data.appendNote(note);
        r.state.Data.removeNote(static_cast<int>(r.state.NoteTable.size()) - 1);
    }
    s.counters["rows"] = r.sheet->model()->rowCount();
}
BENCHMARK(BM_NoteAddedAndRemovedOnBothSheets)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(
        argc, argv, [] { theRegister = buildRegister(); }, [] { theRegister.reset(); });
}
