// The extraction sheet over a register of a million notes: opening it (every row filled with the
// issue dates), a query until the data sheet is redrawn, and a row switched to the note number,
// a list of a million values, with that list dropped down.
#include <chrono>
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QTableView>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "search/search_sheet.h"
#include "sheets/data_sheet.h"

using namespace Qt::StringLiterals;

namespace {

// The main window's refresh, as far as the data sheet goes.
class RefreshingHost : public QuietHost
{
public:
    void AllUpdate() override
    {
        if (sheet)
            sheet->DataUpdate();
    }
    DataSheet *sheet = nullptr;
};

struct Bench
{
    Session state { systemFileSystem() };
    RefreshingHost host;
    WidgetPrompter prompter;
    std::unique_ptr<DataSheet> sheet;
};

std::unique_ptr<Bench> buildRegister()
{
    auto r = std::make_unique<Bench>();
    r->state.CurrentUser.Permissions = 15;
    // Fonts, styles and the platform load on a first small sheet, not on the measured ones.
    {
        Session small { systemFileSystem() };
        small.CurrentUser.Permissions = 15;
        fillRegister(small, 100, 10, 10);
        SearchSheet warmUp(small, r->host, nullptr, r->prompter);
        showAndDraw(warmUp);
    }
    fillRegister(r->state);
    r->sheet = std::make_unique<DataSheet>(r->state, r->host, r->prompter);
    r->host.sheet = r->sheet.get();
    r->sheet->show();
    QApplication::processEvents();
    return r;
}

// Built in main and released before the application, as widgets must be.
std::unique_ptr<Bench> theRegister;

void BM_OpenSearchSheet(benchmark::State &st)
{
    Bench &r = *theRegister;
    for (auto _ : st) {
        auto search = std::make_unique<SearchSheet>(r.state, r.host, r.sheet.get(), r.prompter);
        search->show(); // runs FormShow
        benchmark::DoNotOptimize(search->CBV[4]->count());
        st.PauseTiming();
        search.reset();
        st.ResumeTiming();
    }
    SearchSheet probe(r.state, r.host, r.sheet.get(), r.prompter);
    probe.FormShow();
    st.counters["issue_dates"] = probe.CBV[0]->count();
}
BENCHMARK(BM_OpenSearchSheet)->Unit(benchmark::kMillisecond);

void BM_QueryToDataSheetRedrawn(benchmark::State &st)
{
    Bench &r = *theRegister;
    SearchSheet search(r.state, r.host, r.sheet.get(), r.prompter);
    search.show();
    // Receivable notes issued on or after a day in the middle of the register's span.
    search.CB[0]->setCurrentIndex(search::KindField);
    search.CBV[0]->setEditText(u"受取手形"_s);
    search.CBJ[1]->setCurrentIndex(2);
    search.CBV[1]->setEditText(u"2025/04/01"_s);
    for (auto _ : st) {
        search.QueryClick();
        r.sheet->SG1->viewport()->repaint();
    }
    st.counters["found"] = static_cast<double>(r.sheet->viewIndex().size());
    r.sheet->setIndexAll();
    r.sheet->DataUpdate();
}
BENCHMARK(BM_QueryToDataSheetRedrawn)->Unit(benchmark::kMillisecond);

// The row switched to the note number (its list built and handed to the box) and the list
// dropped down, each in milliseconds, and the two together over a plain pass reading the note
// numbers in the same run.
void BM_NoteNumberListDroppedDown(benchmark::State &st)
{
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    Bench &r = *theRegister;
    SearchSheet search(r.state, r.host, r.sheet.get(), r.prompter);
    search.show();
    QComboBox *values = search.CBV[0];
    double built = 0;
    double dropped = 0;
    double plain = 0;
    for (auto _ : st) {
        search.CB[0]->setCurrentIndex(search::IssueDateField);
        const auto start = Clock::now();
        search.CB[0]->setCurrentIndex(search::NoteNumberField); // builds the list of a million
        const auto switched = Clock::now();
        values->showPopup();
        values->view()->viewport()->repaint();
        const auto shown = Clock::now();
        values->hidePopup();
        st.SetIterationTime(seconds(shown - start));
        built += seconds(switched - start);
        dropped += seconds(shown - switched);
        plain += plainPassOverNoteNumbers(r.state.NoteTable);
    }
    const auto perRound = [&](double total) {
        return total * 1000 / static_cast<double>(st.iterations());
    };
    st.counters["values"] = values->count();
    st.counters["built_ms"] = perRound(built);
    st.counters["dropped_ms"] = perRound(dropped);
    st.counters["vs_plain_pass"] = (built + dropped) / plain;
}
BENCHMARK(BM_NoteNumberListDroppedDown)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(
        argc, argv, [] { theRegister = buildRegister(); }, [] { theRegister.reset(); });
}
