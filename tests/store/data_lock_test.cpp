#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>

#include "store/data_lock.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

const QDateTime morning(QDate(2024, 6, 1), QTime(9, 30));

// A lock file as another copy of the program leaves it: process id, program, host.
void leaveLock(const TestDir &dir, qint64 pid, const QString &host)
{
    dir.write(QString::fromUtf16(LockFileName),
        QByteArray::number(pid) + "\ntegata\n" + host.toUtf8() + "\n");
}

qint64 lockOwnerPid(const TestDir &dir)
{
    qint64 pid = 0;
    QLockFile(dir.file(QString::fromUtf16(LockFileName))).getLockInfo(&pid, nullptr, nullptr);
    return pid;
}

} // namespace

// Two holders in one process stand in for two copies on one machine.
TEST(DataLock, ASecondCopyIsRefusedAndToldWhoHoldsTheFolder)
{
    TestDir data;
    DataLock first(data.path(), systemFileSystem());
    ASSERT_EQ(first.acquire(u"suzuki"_s, morning), DataLock::Result::Acquired);
    EXPECT_TRUE(first.held());

    DataLock second(data.path(), systemFileSystem());
    ASSERT_EQ(second.acquire(u"tanaka"_s, morning.addSecs(3600)), DataLock::Result::HeldByOther);
    EXPECT_TRUE(second.holder().programUser.isEmpty()) << "nobody has logged in yet";
    // After the login the holder names the program's user too.
    first.recordProgramUser(u"山田"_s);
    ASSERT_EQ(second.acquire(u"tanaka"_s, morning.addSecs(3600)), DataLock::Result::HeldByOther);
    EXPECT_FALSE(second.held());
    const LockHolder &holder = second.holder();
    EXPECT_TRUE(holder.known);
    EXPECT_EQ(holder.pid, QCoreApplication::applicationPid());
    EXPECT_EQ(holder.host, DataLock::localHost());
    EXPECT_EQ(holder.user, u"suzuki"_s);
    EXPECT_EQ(holder.since, morning);
    EXPECT_EQ(holder.programUser, u"山田"_s);
    EXPECT_FALSE(second.holderMayBeStale()) << "a holder on this host is known to be alive";

    // Even when asked, a live holder keeps its lock.
    EXPECT_EQ(second.takeOver(u"tanaka"_s, morning), DataLock::Result::HeldByOther);
    EXPECT_TRUE(first.held());
    EXPECT_TRUE(data.exists(QString::fromUtf16(LockFileName)));

    first.release();
    EXPECT_FALSE(data.exists(QString::fromUtf16(LockFileName)));
    ASSERT_EQ(second.acquire(u"tanaka"_s, morning), DataLock::Result::Acquired);
    DataLock third(data.path(), systemFileSystem());
    ASSERT_EQ(third.acquire(u"sato"_s, morning), DataLock::Result::HeldByOther);
    EXPECT_EQ(third.holder().user, u"tanaka"_s) << "the holder note follows the lock";
}

TEST(DataLock, ALockFromAnotherHostIsNeverStaleByAgeAndIsTakenOverOnlyWhenAsked)
{
    TestDir data;
    leaveLock(data, 4242, u"other-pc.example"_s);
    data.write(
        QString::fromUtf16(HolderFileName), "4242\nother-pc.example\nsato\n2024-05-31T23:00:00Z\n");
    // Hours old: the default stale time would have let this copy take a live holder's lock.
    QFile lockFile(data.file(QString::fromUtf16(LockFileName)));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(
        QDateTime::currentDateTimeUtc().addSecs(-3 * 3600), QFileDevice::FileModificationTime));
    lockFile.close();

    DataLock lock(data.path(), systemFileSystem());
    ASSERT_EQ(lock.acquire(u"tanaka"_s, morning), DataLock::Result::HeldByOther);
    EXPECT_EQ(lock.holder().host, u"other-pc.example"_s);
    EXPECT_EQ(lock.holder().pid, 4242);
    EXPECT_EQ(lock.holder().user, u"sato"_s);
    EXPECT_EQ(lock.holder().since, QDateTime(QDate(2024, 5, 31), QTime(23, 0), Qt::UTC));
    EXPECT_TRUE(lock.holderMayBeStale());
    EXPECT_EQ(lockOwnerPid(data), 4242) << "nothing was taken";

    ASSERT_EQ(lock.takeOver(u"tanaka"_s, morning), DataLock::Result::Acquired);
    EXPECT_EQ(lockOwnerPid(data), QCoreApplication::applicationPid());
}

TEST(DataLock, HolderNotesAndLockFilesThatDoNotDescribeAHolder)
{
    // A note left by an earlier holder does not name the current one.
    TestDir data;
    leaveLock(data, 4242, u"other-pc.example"_s);
    data.write(
        QString::fromUtf16(HolderFileName), "77\nother-pc.example\nsato\n2024-05-31T23:00:00Z\n");
    DataLock lock(data.path(), systemFileSystem());
    ASSERT_EQ(lock.acquire(u"tanaka"_s, morning), DataLock::Result::HeldByOther);
    EXPECT_NE(lock.holder().user, u"sato"_s);
    EXPECT_TRUE(lock.holder().since.isValid()) << "the lock file's own time stands in";

    // A lock file cut short when its writer died is reported as unknown, and may be taken over.
    TestDir cut;
    cut.write(QString::fromUtf16(LockFileName), QByteArray());
    DataLock unknown(cut.path(), systemFileSystem());
    ASSERT_EQ(unknown.acquire(u"tanaka"_s, morning), DataLock::Result::HeldByOther);
    EXPECT_FALSE(unknown.holder().known);
    EXPECT_TRUE(unknown.holderMayBeStale());
    EXPECT_EQ(unknown.takeOver(u"tanaka"_s, morning), DataLock::Result::Acquired);
}

TEST(DataLock, ALockLeftByADeadProcessOnThisHostClearsItselfAndAMissingFolderFails)
{
    TestDir data;
    leaveLock(data, 999999999, DataLock::localHost()); // no such process
    DataLock lock(data.path(), systemFileSystem());
    EXPECT_EQ(lock.acquire(u"tanaka"_s, morning), DataLock::Result::Acquired);
    EXPECT_EQ(lockOwnerPid(data), QCoreApplication::applicationPid());

    DataLock gone(data.path() + u"gone/"_s, systemFileSystem());
    EXPECT_EQ(gone.acquire(u"tanaka"_s, morning), DataLock::Result::Failed);
    EXPECT_EQ(gone.error(), ENOENT);
}
