#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "store/generations.h"
#include "store/program_options.h"
#include "tests/support/full_disk.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

// The key QSettings was given for a user's setting.
QString userKey(const QString &user)
{
    return u"due_days/"_s + QString::fromLatin1(user.toUtf8().toPercentEncoding());
}

} // namespace

// Files QSettings wrote read back the same; a kept number outside its range, or none at all, is
// not used and is told.
TEST(ProgramOptions, AKeptValueIsUsedOnlyWithinItsRange)
{
    const struct
    {
        QByteArray file;
        int generations;
        const char *rejected; // the value told, or none
    } cases[] = {
        { "[General]\ngenerations=3\n", 3, nullptr },
        { "generations = \"0\" ; none kept\r\n", 0, nullptr },
        { "[General]\ngenerations=1000\n", 1000, nullptr },
        { "[General]\ngenerations=2147483648\n", DefaultGenerationsKept, "2147483648" },
        { "[General]\ngenerations=99999999999999999999\n", DefaultGenerationsKept,
            "99999999999999999999" },
        { "[General]\ngenerations=-1\n", DefaultGenerationsKept, "-1" },
        { "[General]\ngenerations=1001\n", DefaultGenerationsKept, "1001" },
        { "[General]\ngenerations=0x10\n", DefaultGenerationsKept, "0x10" },
        { "[General]\ngenerations=\n", DefaultGenerationsKept, "" },
        { "[due_days]\ngenerations=5\n", DefaultGenerationsKept, nullptr },
    };
    TestDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        dir.write(u"tegata.ini"_s, c.file);
        const ProgramOptions options(dir.file(u"tegata.ini"_s));
        OptionProblem problem;
        EXPECT_EQ(generationsKept(options, &problem), c.generations);
        EXPECT_EQ(problem.isProblem(), c.rejected != nullptr);
        if (c.rejected) {
            EXPECT_EQ(problem.value, QString::fromLatin1(c.rejected));
            EXPECT_EQ(problem.name, u"generations"_s);
            EXPECT_EQ(problem.least, 0);
            EXPECT_EQ(problem.most, MostGenerationsKept);
            EXPECT_EQ(problem.fallback, DefaultGenerationsKept);
        }
    }

    // A per-user value as QSettings spelt it.
    const QString ini = dir.file(u"tegata.ini"_s);
    QFile::remove(ini);
    {
        QSettings written(ini, QSettings::IniFormat);
        written.setValue(userKey(u"山田 太郎"_s), 30);
        written.setValue(userKey(u"a~b/c"_s), 400);
    }
    const ProgramOptions options(ini);
    OptionProblem problem;
    EXPECT_EQ(options.userNumber(u"due_days"_s, u"山田 太郎"_s, 1, 365, 14, &problem), 30);
    EXPECT_FALSE(problem.isProblem());
    EXPECT_EQ(options.userNumber(u"due_days"_s, u"a~b/c"_s, 1, 365, 14, &problem), 14);
    EXPECT_EQ(problem.user, u"a~b/c"_s);
    EXPECT_EQ(problem.value, u"400"_s);
}

// A FIFO, a device or a huge file in the settings' place is not waited on or read, and is never
// replaced by a change: every setting reads as its fallback.
TEST(ProgramOptions, AFileThatCannotBeReadIsToldAndLeftAsItIs)
{
    TestDir dir;
    const QString ini = dir.file(u"tegata.ini"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0644), 0);
    ProgramOptions fifo(ini);
    EXPECT_EQ(fifo.readFault().kind, FileFault::Kind::NotRegular);
    EXPECT_EQ(generationsKept(fifo), DefaultGenerationsKept);
    FileFault fault;
    EXPECT_FALSE(fifo.setUserNumber(u"due_days"_s, u"Admini"_s, 30, &fault));
    EXPECT_EQ(fault.kind, FileFault::Kind::NotRegular);
    struct stat info;
    ASSERT_EQ(::lstat(QFile::encodeName(ini).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    ASSERT_TRUE(QFile::remove(ini));
    const QByteArray large = "[General]\ngenerations=3\n" + QByteArray(1 << 20, '\n');
    dir.write(u"tegata.ini"_s, large);
    ProgramOptions huge(ini);
    EXPECT_EQ(huge.readFault().kind, FileFault::Kind::TooLarge);
    EXPECT_EQ(generationsKept(huge), DefaultGenerationsKept);
    EXPECT_FALSE(huge.setUserNumber(u"due_days"_s, u"Admini"_s, 30, &fault));
    EXPECT_EQ(fault.kind, FileFault::Kind::TooLarge);
    EXPECT_EQ(dir.read(u"tegata.ini"_s), large);
}

// A change replaces the file whole, keeping every other setting (also one another copy kept
// meanwhile); a write that fails, or a link another user put in the file's place, leaves
// everything as it was.
TEST(ProgramOptions, AChangeKeepsTheOtherSettingsAndNeverWritesThroughAnotherUsersLink)
{
    TestDir dir;
    const QString ini = dir.file(u"tegata.ini"_s);
    {
        QSettings written(ini, QSettings::IniFormat);
        written.setValue(u"generations"_s, 3);
        written.setValue(userKey(u"山田"_s), 30);
        written.setValue(u"other/key"_s, u"kept"_s);
    }
    ProgramOptions options(ini);
    {
        QSettings meanwhile(ini, QSettings::IniFormat);
        meanwhile.setValue(userKey(u"guest"_s), 7);
    }
    ASSERT_TRUE(options.setUserNumber(u"due_days"_s, u"山田"_s, 45));
    ASSERT_TRUE(options.setUserNumber(u"due_days"_s, u"鈴木"_s, 60));
    EXPECT_EQ(options.userNumber(u"due_days"_s, u"鈴木"_s, 1, 365, 14), 60);
    QSettings reread(ini, QSettings::IniFormat);
    EXPECT_EQ(reread.value(u"generations"_s).toInt(), 3);
    EXPECT_EQ(reread.value(userKey(u"山田"_s)).toInt(), 45);
    EXPECT_EQ(reread.value(userKey(u"鈴木"_s)).toInt(), 60);
    EXPECT_EQ(reread.value(userKey(u"guest"_s)).toInt(), 7);
    EXPECT_EQ(reread.value(u"other/key"_s).toString(), u"kept"_s);

    const QByteArray before = dir.read(u"tegata.ini"_s);
    FullDisk full(0);
    FileFault fault;
    EXPECT_FALSE(ProgramOptions(ini, full).setUserNumber(u"due_days"_s, u"山田"_s, 90, &fault));
    EXPECT_EQ(fault.error, ENOSPC);
    EXPECT_EQ(dir.read(u"tegata.ini"_s), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { u"tegata.ini"_s });

    class LinksOfAnother : public PosixFileSystem
    {
    public:
        int lstat(const char *path, struct stat *info) override
        {
            const int rc = PosixFileSystem::lstat(path, info);
            if (rc == 0 && S_ISLNK(info->st_mode))
                info->st_uid = ::geteuid() + 1;
            return rc;
        }
    } shared;
    TestDir victim;
    victim.write(u"own.txt"_s, "the victim's own");
    ASSERT_TRUE(QFile::remove(ini));
    ASSERT_TRUE(QFile::link(victim.file(u"own.txt"_s), ini));
    EXPECT_FALSE(ProgramOptions(ini, shared).setUserNumber(u"due_days"_s, u"山田"_s, 90, &fault));
    EXPECT_EQ(fault.error, EACCES);
    EXPECT_EQ(victim.read(u"own.txt"_s), "the victim's own");
    EXPECT_TRUE(QFileInfo(ini).isSymLink());
}
