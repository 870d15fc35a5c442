#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include "store/data_files.h"
#include "tests/support/generations.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

// A child process saves two generations of a register in turn and is killed at random moments.
// After every kill the folder must load as one whole generation, with nothing of ours left over,
// whichever path it is reached by.
TEST(SaveKill, EveryKillLeavesOneWholeGeneration)
{
    // Kill within a span of a few saves, measured on this machine, so kills land in every step.
    qint64 spanUs = 0;
    {
        TestDir scratch;
        const Tables state = generations::make(0);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(saveTables(state, scratch.path()).ok());
        spanUs = std::max<qint64>(1000, timer.nsecsElapsed() / 1000);
    }

    TestDir dir;
    // Every other load reaches the folder by another path, as after a move or through a link:
    // what a save left must mean the same files either way.
    TestDir other;
    const QString linked = other.file(u"data"_s);
    ASSERT_TRUE(QFile::link(dir.path().chopped(1), linked));
    const unsigned seed = std::random_device {}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<qint64> moment(0, spanUs);
    const QStringList dataFiles { u"BANK.vmd"_s, u"KOLVAM.vmd"_s, u"TCODE.vmd"_s };
    bool saved = false;
    int finished = 0;
    int undone = 0;
    int generationsSeen = 0;
    for (int kill = 0; kill < 200; ++kill) {
        QProcess child;
        child.start(QString::fromLocal8Bit(SAVE_GENERATIONS_PATH), { dir.path() });
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(child.waitForReadyRead(30000));
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(30000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit)
            << "the child stopped by itself: a save failed";

        const Loaded loaded(kill % 2 == 0 ? dir.path() : linked + u'/');
        const LoadReport &report = loaded.report;
        ASSERT_TRUE(report.ok()) << "kill " << kill;
        finished += report.recovery.outcome == SettledSave::Outcome::Finished;
        undone += report.recovery.outcome == SettledSave::Outcome::Undone;
        const int generation = generations::of(loaded.tables);
        if (saved)
            ASSERT_GE(generation, 0) << "kill " << kill << ": files of two saves";
        else
            ASSERT_NE(generation, -2) << "kill " << kill << ": files of two saves";
        saved = saved || generation >= 0;
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : dataFiles)
            left.removeOne(name);
        ASSERT_TRUE(left.isEmpty()) << "kill " << kill << " left " << left.join(u' ').toStdString();
        // No half-made generation, and every generation kept loads whole, as 復元 would, and is
        // one register.
        const QStringList entries =
            QDir(dir.file(u"backup"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
        ASSERT_EQ(static_cast<std::size_t>(entries.size()), kept.size())
            << "kill " << kill << " left " << entries.join(u' ').toStdString();
        for (const Generation &g : kept) {
            Tables tables;
            GenerationFault why;
            ASSERT_TRUE(LoadGeneration(g, tables, systemFileSystem(), &why))
                << "kill " << kill << " " << g.name.toStdString() << " " << int(why.kind);
            ASSERT_GE(generations::of(tables), 0) << "kill " << kill << " " << g.name.toStdString();
        }
        generationsSeen += static_cast<int>(kept.size());
    }
    // Without kills inside the journaled step the loop above proves nothing about recovery.
    EXPECT_GT(finished, 0) << "no kill landed between the journal and its removal";
    EXPECT_GT(generationsSeen, 0) << "the saves kept no generation to check";
    RecordProperty("finished", finished);
    RecordProperty("undone", undone);
    std::printf("interrupted saves finished: %d, undone: %d\n", finished, undone);
}
