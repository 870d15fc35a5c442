#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "store/generations.h"
#include "store/program_options.h"
#include "tests/support/full_disk.h"
#include "tests/support/other_user.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

// The key QSettings was given for a user's setting.
QString userKey(const QString &user)
{
    return u"due_days/"_s + QString::fromLatin1(user.toUtf8().toPercentEncoding());
}

} // namespace

// A kept number outside its range, or no number at all, is not used and is told; a FIFO or a
// huge file is not waited on or read, leaves every fallback, and is never replaced by a change.
TEST(ProgramOptions, OnlyAWholeNumberWithinItsRangeFromASmallRegularFileIsUsed)
{
    const struct
    {
        QByteArray file;
        int generations;
        const char *rejected;
    } cases[] = {
        { "[General]\ngenerations=3\n", 3, nullptr },
        { "generations = \"0\" ; none kept\r\n", 0, nullptr },
        { "[General]\ngenerations=2147483648\n", DefaultGenerationsKept, "2147483648" },
        { "[General]\ngenerations=1001\n", DefaultGenerationsKept, "1001" },
        { "[General]\ngenerations=0x10\n", DefaultGenerationsKept, "0x10" },
    };
    TestDir dir;
    const QString ini = dir.file(u"tegata.ini"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        dir.write(u"tegata.ini"_s, c.file);
        OptionProblem problem;
        EXPECT_EQ(
            generationsKept(ProgramOptions(ini, systemFileSystem()), &problem), c.generations);
        EXPECT_EQ(problem.value, QString::fromLatin1(c.rejected));
        EXPECT_EQ(problem.isProblem(), c.rejected != nullptr);
    }

    const QByteArray large = "generations=3\n" + QByteArray(1 << 20, '\n');
    QFile::remove(ini);
    ASSERT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0644), 0);
    for (const auto kind : { FileFault::Kind::NotRegular, FileFault::Kind::TooLarge }) {
        ProgramOptions options(ini, systemFileSystem());
        EXPECT_EQ(options.readFault().kind, kind);
        EXPECT_EQ(generationsKept(options), DefaultGenerationsKept);
        FileFault fault;
        EXPECT_FALSE(options.setUserNumber(u"due_days"_s, u"Admini"_s, 30, &fault));
        EXPECT_EQ(fault.kind, kind);
        if (kind == FileFault::Kind::TooLarge) {
            EXPECT_EQ(dir.read(u"tegata.ini"_s), large);
        }
        QFile::remove(ini);
        dir.write(u"tegata.ini"_s, large);
    }
}

// A change replaces the file whole, in the layout QSettings reads, keeping every other setting,
// also one another copy kept meanwhile; a write that fails, or another user's link in the file's
// place, leaves everything as it was.
TEST(ProgramOptions, AChangeKeepsTheOtherSettingsAndNeverWritesThroughAnotherUsersLink)
{
    TestDir dir;
    const QString ini = dir.file(u"tegata.ini"_s);
    QSettings(ini, QSettings::IniFormat).setValue(userKey(u"山田"_s), 30);
    ProgramOptions options(ini, systemFileSystem());
    EXPECT_EQ(options.userNumber(u"due_days"_s, u"山田"_s, 1, 365, 14), 30);
    QSettings(ini, QSettings::IniFormat).setValue(u"other/key"_s, u"kept"_s);
    ASSERT_TRUE(options.setUserNumber(u"due_days"_s, u"鈴木"_s, 60));
    ASSERT_TRUE(options.setUserNumber(u"due_days"_s, u"山田"_s, 45));
    QSettings reread(ini, QSettings::IniFormat);
    EXPECT_EQ(reread.value(userKey(u"鈴木"_s)).toInt(), 60);
    EXPECT_EQ(reread.value(userKey(u"山田"_s)).toInt(), 45);
    EXPECT_EQ(reread.value(u"other/key"_s).toString(), u"kept"_s);

    const QByteArray before = dir.read(u"tegata.ini"_s);
    FullDisk full(0);
    FileFault fault;
    EXPECT_FALSE(ProgramOptions(ini, full).setUserNumber(u"due_days"_s, u"山田"_s, 90, &fault));
    EXPECT_EQ(fault.error, ENOSPC);
    EXPECT_EQ(dir.read(u"tegata.ini"_s), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { u"tegata.ini"_s });

    other_user::LinksSeenAsTheirs shared;
    TestDir victim;
    victim.write(u"own.txt"_s, "the victim's own");
    ASSERT_TRUE(QFile::remove(ini));
    // The other user's own link where a second login exists; one that says so elsewhere.
    const bool real = other_user::available();
    if (real) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        ASSERT_TRUE(other_user::run(u"ln -s %1 %2"_s.arg(victim.file(u"own.txt"_s), ini)));
    } else {
        ASSERT_TRUE(QFile::link(victim.file(u"own.txt"_s), ini));
    }
    FileSystem &seen = real ? systemFileSystem() : static_cast<FileSystem &>(shared);
    EXPECT_FALSE(ProgramOptions(ini, seen).setUserNumber(u"due_days"_s, u"山田"_s, 90, &fault));
    EXPECT_EQ(fault.error, EACCES);
    EXPECT_EQ(victim.read(u"own.txt"_s), "the victim's own");
}
