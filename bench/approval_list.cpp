#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QTableView>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "core/note_rules.h"
#include "sheets/approval_list.h"
#include "sheets/approval_list_model.h"

// The approval list over a register of a million notes of which a hundred thousand are due:
// opening it, flipping one stamp, and approving every listed note.

namespace {

// 全て承認 asks first; the measured run answers OK without a message box on screen.
class AnswerOk : public Prompter
{
public:
    MessageAnswer message(QWidget *, MessageKind, const QString &, MessageButtons) override
    {
        return MessageAnswer::Ok;
    }
    int exec(QDialog &) override { return 0; }
};

// Counts the grid's paints, to show that a toggle is drawn and how often.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            area += static_cast<QPaintEvent *>(event)->region().boundingRect().width()
                * static_cast<QPaintEvent *>(event)->region().boundingRect().height();
        }
        return false;
    }
    long long paints = 0;
    long long area = 0;
};

struct Bench
{
    Session state { systemFileSystem() };
    FixedClock clock { QDate(2030, 1, 1) };
    AnswerOk prompter;
    std::vector<int> due;
};

std::unique_ptr<Bench> buildRegister()
{
    auto r = std::make_unique<Bench>();
    r->state.clock = &r->clock;
    // Fonts, styles and the platform load on the first list drawn, not on the measured one.
    {
        Session small { systemFileSystem() };
        small.clock = &r->clock;
        fillRegister(small, 100, 10, 10);
        ApprovalList warmUp(small, r->prompter);
        warmUp.setArr(dueNoteIndices(small.NoteTable, r->clock.todayNumber()));
        showAndDraw(warmUp);
    }
    // Every tenth note still unsettled, all of them past their due date.
    Tables t = makeRegister();
    for (std::size_t i = 0; i < t.notes.size(); ++i)
        t.notes[i].Settled = i % 10 != 0;
    r->state.Data.setTables(std::move(t));
    r->due = dueNoteIndices(r->state.NoteTable, r->clock.todayNumber());
    return r;
}

void unsettleDueNotes(Bench &r)
{
    r.state.Data.applyApprovals(r.due, std::vector<std::uint8_t>(r.due.size(), 0));
}

// Built in main and released before the application, as widgets must be.
std::unique_ptr<Bench> theRegister;

Bench &reg()
{
    return *theRegister;
}

void BM_Open(benchmark::State &s)
{
    Bench &r = reg();
    for (auto _ : s) {
        ApprovalList list(r.state, r.prompter);
        list.setArr(r.due);
        showAndDraw(list);
        s.PauseTiming();
        list.close();
        s.ResumeTiming();
    }
    s.counters["due_notes"] = static_cast<double>(r.due.size());
    s.counters["notes"] = static_cast<double>(r.state.NoteTable.size());
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// A stamp cell reached and its one cell redrawn on screen.
void BM_Toggle(benchmark::State &s)
{
    Bench &r = reg();
    ApprovalList list(r.state, r.prompter);
    list.setArr(r.due);
    showAndDraw(list);
    list.SG1->scrollTo(list.model()->index(50'000, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    PaintCounter counter;
    list.SG1->viewport()->installEventFilter(&counter);
    int row = 50'000;
    for (auto _ : s) {
        list.SG1SelectCell(StampColumn, row + 1);
        QApplication::processEvents();
        row = row == 50'003 ? 50'000 : row + 1;
    }
    const double toggles = static_cast<double>(s.iterations());
    s.counters["paints_per_toggle"] = static_cast<double>(counter.paints) / toggles;
    s.counters["pixels_per_paint"] = counter.paints
        ? static_cast<double>(counter.area) / static_cast<double>(counter.paints)
        : 0;
    list.close();
}
BENCHMARK(BM_Toggle)->Unit(benchmark::kMicrosecond);

// 全て承認 answered OK: every choice set and written to the hundred thousand notes.
void BM_ApproveAll(benchmark::State &s)
{
    Bench &r = reg();
    for (auto _ : s) {
        s.PauseTiming();
        unsettleDueNotes(r);
        auto list = std::make_unique<ApprovalList>(r.state, r.prompter);
        list->setArr(r.due);
        showAndDraw(*list);
        s.ResumeTiming();
        list->SpeedButton1Click();
        s.PauseTiming();
        list.reset();
        s.ResumeTiming();
    }
    unsettleDueNotes(r);
    s.counters["due_notes"] = static_cast<double>(r.due.size());
}
BENCHMARK(BM_ApproveAll)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(
        argc, argv, [] { theRegister = buildRegister(); }, [] { theRegister.reset(); });
}
