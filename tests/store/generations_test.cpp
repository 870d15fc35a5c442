#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "store/data_files.h"
#include "store/register.h"
#include "tests/support/generations.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList DataFileNames { u"TCODE.vmd"_s, u"KOLVAM.vmd"_s, u"BANK.vmd"_s };
const QDateTime At(QDate(2026, 12, 7), QTime(10, 42, 0));

std::map<QString, QByteArray> filesIn(const QString &folder)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : DataFileNames) {
        QFile f(folder + name);
        if (f.open(QIODevice::ReadOnly))
            files[name] = f.readAll();
    }
    return files;
}

QStringList backupEntries(const TestDir &dir)
{
    return QDir(dir.file(u"backup"_s))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

// Link and copy both refused: the generation cannot be made at all.
class NoLinksNoCopies : public PosixFileSystem
{
public:
    int link(const char *, const char *) override
    {
        errno = EPERM;
        return -1;
    }
    int open(const char *path, int flags, mode_t mode) override
    {
        if ((flags & O_CREAT) && QByteArray(path).contains("/backup/")) {
            errno = ENOSPC;
            return -1;
        }
        return PosixFileSystem::open(path, flags, mode);
    }
};

} // namespace

// Each save keeps the bytes it replaced, newest first, and the oldest beyond the number go.
TEST(Generations, EachSaveKeepsWhatItReplacedAndTheOldestGo)
{
    TestDir dir;
    std::vector<std::map<QString, QByteArray>> replaced;
    for (int save = 0; save < 4; ++save) {
        replaced.push_back(filesIn(dir.path()));
        const SaveReport report = saveTables(
            generations::make(save % 2), dir.path(), systemFileSystem(), { 2, At.addSecs(save) });
        ASSERT_TRUE(report.ok());
        EXPECT_EQ(report.generation.isEmpty(), save == 0) << "the first save replaces nothing";
    }
    const std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].name, u"20261207-104203"_s);
    EXPECT_EQ(kept[1].name, u"20261207-104202"_s);
    EXPECT_EQ(filesIn(kept[0].path), replaced[3]);
    EXPECT_EQ(filesIn(kept[1].path), replaced[2]);
    Tables restored;
    ASSERT_TRUE(LoadGeneration(kept[0], restored));
    EXPECT_EQ(generations::of(restored), 0);

    // Two saves in one second are told apart, and ordered.
    const QDateTime later = At.addSecs(10);
    ASSERT_TRUE(
        saveTables(generations::make(1), dir.path(), systemFileSystem(), { 9, later }).ok());
    ASSERT_TRUE(
        saveTables(generations::make(0), dir.path(), systemFileSystem(), { 9, later }).ok());
    const std::vector<Generation> now = listGenerations(dir.path(), systemFileSystem());
    EXPECT_EQ(now.at(0).name, u"20261207-104210-2"_s);
    EXPECT_EQ(now.at(1).name, u"20261207-104210"_s);

    // A link in the place of a generation being removed is never followed into the register.
    ASSERT_TRUE(QFile::link(dir.path(), dir.file(u"backup/20200101-000000.old"_s)));
    const Loaded loaded(dir.path());
    EXPECT_EQ(generations::of(loaded.tables), 0);
    EXPECT_TRUE(QFile::exists(dir.file(u"KOLVAM.vmd"_s)));
}

TEST(Generations, AGenerationThatCannotBeMadeNeverStopsTheSave)
{
    TestDir dir;
    ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    NoLinksNoCopies failing;
    const SaveReport report = saveTables(generations::make(1), dir.path(), failing, { 10, At });
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report.generation.isEmpty());
    EXPECT_TRUE(report.generationFault.failed());
    EXPECT_EQ(report.generationFault.fault.error, ENOSPC);
    EXPECT_TRUE(backupEntries(dir).isEmpty()) << backupEntries(dir).join(u' ').toStdString();
    EXPECT_EQ(generations::of(Loaded(dir.path()).tables), 1);
}

// A generation says when what it keeps was saved, not when the save that replaced it ran: by an
// earlier run, as the files' times said when they were loaded, or by this run.
TEST(Generations, EachKeepsWhenWhatItHoldsWasSaved)
{
    TestDir dir;
    const QDateTime yesterday(QDate(2026, 12, 6), QTime(17, 5, 12));
    ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    for (const QString &name : DataFileNames) {
        const timespec times[2] = { { yesterday.toSecsSinceEpoch(), 0 },
            { yesterday.toSecsSinceEpoch(), 0 } };
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(dir.file(name)).constData(), times, 0), 0);
    }
    Register reg;
    reg.useDirectory(dir.path());
    ASSERT_EQ(reg.lock(u"suzuki"_s, At).result, DataLock::Result::Acquired);
    reg.load();
    reg.keepGenerations(1);
    const struct
    {
        QDateTime at;
        QDateTime contentSaved;
        const char *what;
    } saves[] = {
        { At, yesterday, "loaded from the earlier run" },
        { At.addSecs(60), At, "saved by this run" },
        { At.addSecs(120), At.addSecs(60), "saved by this run again" },
    };
    for (std::size_t i = 0; i < std::size(saves); ++i) {
        SCOPED_TRACE(saves[i].what);
        ASSERT_EQ(reg.restore(generations::make(static_cast<int>(i + 1) % 2)), ChangeOutcome::Done);
        ASSERT_TRUE(reg.save(u"suzuki"_s, saves[i].at).ok());
        const std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].savedAt, saves[i].at);
        EXPECT_EQ(kept[0].contentSavedAt, saves[i].contentSaved);
        EXPECT_EQ(backupEntries(dir), QStringList { kept[0].name }) << "pruned whole";
    }
}

// 復元 puts a generation in place as a change; the save that follows writes exactly its files
// and keeps the register it replaced as the newest generation, so the restore can be undone.
TEST(Generations, ARestoredGenerationSavesAsItWasAndKeepsWhatItReplaced)
{
    TestDir dir;
    const QDateTime now = At;
    Register reg;
    reg.useDirectory(dir.path());
    ASSERT_EQ(reg.lock(u"suzuki"_s, now).result, DataLock::Result::Acquired);
    reg.load();
    reg.keepGenerations(10);
    for (int g : { 0, 1 }) {
        ASSERT_EQ(reg.restore(generations::make(g)), ChangeOutcome::Done);
        ASSERT_TRUE(reg.save(u"suzuki"_s, now.addSecs(g)).ok());
    }
    const std::map<QString, QByteArray> beforeRestore = filesIn(dir.path());
    const Generation first = listGenerations(dir.path(), systemFileSystem()).at(0);
    const std::map<QString, QByteArray> firstFiles = filesIn(first.path);
    Tables tables;
    ASSERT_TRUE(LoadGeneration(first, tables));
    ASSERT_EQ(reg.restore(std::move(tables)), ChangeOutcome::Done);
    EXPECT_TRUE(reg.modified());
    ASSERT_TRUE(reg.save(u"suzuki"_s, now.addSecs(5)).ok());
    EXPECT_EQ(filesIn(dir.path()), firstFiles);
    EXPECT_EQ(filesIn(listGenerations(dir.path(), systemFileSystem()).at(0).path), beforeRestore);
}
