#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "store/data_lock.h"
#include "store/register.h"
#include "store/settings_file.h"
#include "tests/support/generations.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

// What another local user can plant in a shared data folder: links and FIFOs in the places of
// the program's own files. None of them is ever followed, waited on or renamed into place.

namespace {

const QString journal = QString::fromUtf16(SaveJournalName);

bool fifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

// A file layer whose writes take nothing, as a broken device may answer.
class WritesNothing : public PosixFileSystem
{
public:
    ssize_t write(int, const char *, size_t) override { return 0; }
};

} // namespace

TEST(PlantedFiles, TheHoldersNoteReplacesALinkInItsPlace)
{
    TestDir dir;
    TestDir victim;
    victim.write(u"their.txt"_s, "theirs");
    ASSERT_TRUE(QFile::link(victim.file(u"their.txt"_s), dir.file(u"tegata.holder"_s)));
    DataLock lock(dir.path(), systemFileSystem());
    ASSERT_EQ(lock.acquire(u"suzuki"_s, QDateTime::currentDateTime()), DataLock::Result::Acquired);
    EXPECT_EQ(victim.read(u"their.txt"_s), "theirs");
    EXPECT_FALSE(QFileInfo(dir.file(u"tegata.holder"_s)).isSymLink());
}

TEST(PlantedFiles, ATemporaryThatIsALinkIsNeverRenamedIntoPlace)
{
    TestDir dir;
    TestDir elsewhere;
    ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    // A save stopped before its renames: three complete temporary files and the journal.
    class StopAtRename : public PosixFileSystem
    {
    public:
        int rename(const char *, const char *) override
        {
            errno = EIO;
            return -1;
        }
    } stop;
    ASSERT_FALSE(saveTables(generations::make(1), dir.path(), stop).ok());
    const QString temporary =
        dir.file(QDir(dir.path()).entryList({ u"KOLVAM.vmd.tmp-*"_s }, QDir::Files).value(0));
    // The same bytes elsewhere, and a link to them in the temporary's place.
    ASSERT_TRUE(QFile::rename(temporary, elsewhere.file(u"notes"_s)));
    ASSERT_TRUE(QFile::link(elsewhere.file(u"notes"_s), temporary));

    const Loaded loaded(dir.path());
    EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::Undone);
    EXPECT_EQ(generations::of(loaded.tables), 0);
    EXPECT_FALSE(QFileInfo(dir.file(u"KOLVAM.vmd"_s)).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(elsewhere.file(u"notes"_s)));
}

// A FIFO in the journal's, the settings file's or the lock's place is refused at once.
TEST(PlantedFiles, AFifoInTheProgramsPlacesIsNeverWaitedOn)
{
    TestDir dir;
    ASSERT_TRUE(fifo(dir.file(journal)));
    QSet<QString> incomplete;
    const SaveReport save =
        SaveData(generations::make(0), incomplete, dir.path(), systemFileSystem());
    EXPECT_EQ(save.failure.phase, SaveFailure::Phase::Unsettled);
    EXPECT_EQ(save.earlierSave.outcome, SettledSave::Outcome::Unmatched);
    EXPECT_EQ(Loaded(dir.path()).report.recovery.outcome, SettledSave::Outcome::Unmatched);

    TestDir program;
    ASSERT_TRUE(fifo(program.file(u"VMKolvam.ini"_s)));
    const DataLocation where =
        locateDataDirectory(program.path(), program.path(), program.path(), systemFileSystem());
    EXPECT_EQ(where.problem, DataLocation::Problem::Unreadable);
    EXPECT_EQ(where.fault.kind, FileFault::Kind::NotRegular);

    TestDir locked;
    ASSERT_TRUE(fifo(locked.file(QString::fromUtf16(LockFileName))));
    DataLock lock(locked.path(), systemFileSystem());
    EXPECT_EQ(lock.acquire(u"suzuki"_s, QDateTime::currentDateTime()), DataLock::Result::Failed);

    // Nor is a lock file of gigabytes read.
    TestDir huge;
    QFile big(huge.file(QString::fromUtf16(LockFileName)));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(5) << 30));
    big.close();
    DataLock hugeLock(huge.path(), systemFileSystem());
    EXPECT_EQ(
        hugeLock.acquire(u"suzuki"_s, QDateTime::currentDateTime()), DataLock::Result::Failed);
    EXPECT_EQ(hugeLock.error(), EFBIG);
}

TEST(PlantedFiles, AWriteThatTakesNothingFailsInsteadOfLoopingForEver)
{
    TestDir dir;
    WritesNothing device;
    QSet<QString> incomplete;
    const SaveReport save = SaveData(generations::make(0), incomplete, dir.path(), device);
    EXPECT_EQ(save.failure.phase, SaveFailure::Phase::Write);
    EXPECT_EQ(save.failure.fault.error, EIO);
}
