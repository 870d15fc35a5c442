// Start-up to the login dialog with a large register: main window creation (settings file and
// LoadData) until the login dialog is about to be shown.
#include <chrono>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "bench/bench_data.h"
#include "bench/widget_bench.h"
#include "controls/prompter.h"
#include "store/data_files.h"

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

// Notes the moment the login dialog would appear, and cancels it.
class TimingPrompter : public Prompter
{
public:
    MessageAnswer message(QWidget *, MessageKind, const QString &, MessageButtons) override
    {
        return MessageAnswer::Ok;
    }
    int exec(QDialog &) override
    {
        loginShown = Clock::now();
        return QDialog::Rejected;
    }
    Clock::time_point loginShown;
};

void BM_StartUpToLogin(benchmark::State &st)
{
    QTemporaryDir program;
    const QString dir = program.path() + u'/';
    {
        QSet<QString> incomplete;
        SaveData(makeRegister(), incomplete, dir, systemFileSystem());
    }
    for (auto _ : st) {
        const Clock::time_point start = Clock::now();
        TimingPrompter prompter;
        ProgramScreens screens;
        Session state { systemFileSystem() };
        state.ProgramDirectory = dir;
        MainWindowOptions options;
        options.userFile = dir + u"pass.dat"_s;
        MainWindow window(state, prompter, screens, options);
        window.show();
        window.FormShow();
        st.SetIterationTime(std::chrono::duration<double>(prompter.loginShown - start).count());
    }
}
BENCHMARK(BM_StartUpToLogin)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
