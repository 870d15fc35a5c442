#include <memory>
#include <numeric>

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QWidget>

#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/progress_dialog.h"
#include "controls/prompter.h"
#include "core/sjis.h"
#include "output/report_layout.h"
#include "output/report_preview.h"
#include "output/report_run.h"

// The note list of a hundred thousand notes: its layout into pages, the preview until its first
// page is drawn, and PDF writing in pages per second.

namespace {

Session *state = nullptr;
std::vector<int> rows;

class NoPrompts : public Prompter
{
public:
    MessageAnswer message(QWidget *, MessageKind, const QString &, MessageButtons) override
    {
        return MessageAnswer::Ok;
    }
    int exec(QDialog &) override { return 0; }
};

std::unique_ptr<output::Report> report(std::vector<int> lines)
{
    return output::noteListReport(state->Data.tables(), std::move(lines),
        QStringLiteral("支払手形記入帳"), QStringLiteral("2024/01/01　～　2024/12/31"));
}

void prepare()
{
    Tables t = makeRegister(100'000);
    // Every seventh bank has a name long enough for the tall row.
    const QByteArray longName =
        sjis::encode(QStringLiteral("ベルモラ信用金庫東京中央支店営業部第二課"));
    for (std::size_t i = 0; i < t.banks.size(); i += 7)
        t.banks[i].Name.assign(std::string_view(longName.constData(), longName.size()));
    state = new Session(systemFileSystem());
    state->Data.setTables(std::move(t));
    rows.resize(state->NoteTable.size());
    std::iota(rows.begin(), rows.end(), 0);
}

void BM_LayoutOf100000Rows(benchmark::State &s)
{
    int pages = 0;
    for (auto _ : s) {
        auto r = report(rows);
        pages = r->layout().pageCount();
        benchmark::DoNotOptimize(pages);
    }
    s.counters["pages"] = pages;
}
BENCHMARK(BM_LayoutOf100000Rows)->Unit(benchmark::kMillisecond);

void BM_PreviewOpenToFirstPage(benchmark::State &s)
{
    NoPrompts prompts;
    for (auto _ : s) {
        auto r = report(rows);
        output::ReportPreview preview(*r, prompts, systemFileSystem());
        preview.show();
        const QImage page =
            preview.findChild<QWidget *>(QStringLiteral("PageView"))->grab().toImage();
        benchmark::DoNotOptimize(page.constBits());
    }
    s.counters["peak_MB"] = double(peakResidentBytes()) / (1024 * 1024);
}
BENCHMARK(BM_PreviewOpenToFirstPage)->Unit(benchmark::kMillisecond);

// Arg 1: with the progress dialog the program shows, which lets the events through at its steps.
void BM_PdfPages(benchmark::State &s)
{
    auto r = report(std::vector<int>(rows.begin(), rows.begin() + 20'000));
    const int pages = r->layout().pageCount();
    const QString path = QDir::tempPath() + QStringLiteral("/bench_report_engine.pdf");
    for (auto _ : s) {
        QString error;
        std::unique_ptr<ProgressDialog> shown;
        if (s.range(0) == 1)
            shown = std::make_unique<ProgressDialog>(
                nullptr, QStringLiteral("PDF"), QStringLiteral("pages"));
        if (!output::writeReportPdf(*r, path, &error, shown.get(), systemFileSystem()))
            s.SkipWithError("the PDF could not be written");
    }
    QFile::remove(path);
    s.counters["pages_per_s"] =
        benchmark::Counter(double(pages) * double(s.iterations()), benchmark::Counter::kIsRate);
    s.counters["pages"] = pages;
}
BENCHMARK(BM_PdfPages)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("progress")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv, prepare, [] { delete state; });
}
