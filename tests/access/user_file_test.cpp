#include <deque>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "access/user_file.h"
#include "store/settings_file.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

// Hands out the given values in turn, then zeros.
class ScriptedRandom : public RandomSource
{
public:
    explicit ScriptedRandom(std::deque<int> values = {})
        : values_(std::move(values))
    {
    }
    void reseed() override { ++reseeds; }
    int next(int bound) override
    {
        int v = 0;
        if (!values_.empty()) {
            v = values_.front();
            values_.pop_front();
        }
        EXPECT_LT(v, bound);
        return v;
    }
    int reseeds = 0;

private:
    std::deque<int> values_;
};

const std::vector<UserRecord> sampleUsers = {
    { "Admini", 15, "admin" },
    { "guest", 1, "guest" },
    { "tanaka", 6, "0123456789" },
};

} // namespace

TEST(UserFile, PasswordsArePaddedFromTheKey)
{
    EXPECT_EQ(padPassword("abc"), QByteArray("abcpelvora"));
    EXPECT_EQ(padPassword(""), QByteArray("pelvoranti"));
    EXPECT_EQ(padPassword("0123456789"), QByteArray("0123456789"));
}

TEST(UserFile, RecordLayoutAndScrambling)
{
    // Rights byte first (filler 255 -> 254 max, so 254 & 195 = 194), then k = 100 + r per group.
    ScriptedRandom random({ 254, 31, 0, 5, 10, 20 });
    const QByteArray record = encodeUserRecord({ "guest", 1,
                                                   QByteArray("\xc8"
                                                              "bcdefghij") },
        random);
    ASSERT_EQ(record.size(), 32);
    EXPECT_EQ(record.left(15), QByteArray("guest") + QByteArray(10, '\0'));
    EXPECT_EQ(static_cast<unsigned char>(record[15]), (194 | (1 << 2)));
    // k = 131: c1 = 200 + 3 = 203, c2 = 'b' + 65.
    EXPECT_EQ(static_cast<unsigned char>(record[16]), 131);
    EXPECT_EQ(static_cast<unsigned char>(record[17]), 203);
    EXPECT_EQ(static_cast<unsigned char>(record[18]), ('b' + 65) % 256);
    EXPECT_EQ(static_cast<unsigned char>(record[19]), 100);
    EXPECT_EQ(record[31], '\0');

    // A password byte 200 with k = 131 in the second position wraps: (200 + 65) mod 256 = 9.
    ScriptedRandom wrap({ 0, 31 });
    const QByteArray wrapped = encodeUserRecord({ "x", 0,
                                                    QByteArray("a\xc8"
                                                               "cdefghij") },
        wrap);
    EXPECT_EQ(static_cast<unsigned char>(wrapped[18]), 9);
    EXPECT_EQ(decodeUserRecord(wrapped.constData()).Password,
        QByteArray("a\xc8"
                   "cdefghij"));

    // Filler bits never leak into the rights.
    QByteArray filled = record;
    filled[15] = static_cast<char>(0xC3 | (9 << 2));
    EXPECT_EQ(decodeUserRecord(filled.constData()).Permissions, 9);
}

TEST(UserFile, TwoWritesDifferButReadBackTheSame)
{
    TestDir dir;
    ClockRandom random;
    ASSERT_EQ(
        writeUserFile(dir.file(u"a.dat"_s), sampleUsers, random, nullptr, systemFileSystem()), 0);
    ASSERT_EQ(
        writeUserFile(dir.file(u"b.dat"_s), sampleUsers, random, nullptr, systemFileSystem()), 0);
    EXPECT_NE(dir.read(u"a.dat"_s), dir.read(u"b.dat"_s));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(dir.file(u"a.dat"_s)).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    for (const QString &name : { u"a.dat"_s, u"b.dat"_s }) {
        const UserFileRead read = readUserFile(dir.file(name), systemFileSystem());
        EXPECT_TRUE(read.ok());
        ASSERT_EQ(read.users.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(read.users[i].Name, sampleUsers[i].Name);
            EXPECT_EQ(read.users[i].Permissions, sampleUsers[i].Permissions);
            EXPECT_EQ(read.users[i].Password, padPassword(sampleUsers[i].Password));
        }
    }
}

TEST(UserFile, ShortOrMissingFilesAreReportedWithoutCrashing)
{
    TestDir dir;
    ScriptedRandom random;
    ASSERT_EQ(
        writeUserFile(dir.file(u"pass.dat"_s), sampleUsers, random, nullptr, systemFileSystem()),
        0);
    const QByteArray whole = dir.read(u"pass.dat"_s);
    for (int cut : { 0, 1, 31, 33, 70, 95 }) {
        dir.write(u"cut.dat"_s, whole.left(cut));
        const UserFileRead read = readUserFile(dir.file(u"cut.dat"_s), systemFileSystem());
        EXPECT_EQ(read.users.size(), static_cast<size_t>(cut / 32));
        EXPECT_EQ(read.ok(), cut % 32 == 0) << cut;
        if (cut % 32 != 0) {
            EXPECT_EQ(read.fault.kind, FileFault::Kind::CutRecord) << cut;
        }
    }
    const UserFileRead missing = readUserFile(dir.file(u"none.dat"_s), systemFileSystem());
    EXPECT_EQ(missing.fault.error, ENOENT);

    // A failed write says why and leaves nothing behind.
    EXPECT_EQ(
        writeUserFile(dir.file(u"no/pass.dat"_s), sampleUsers, random, nullptr, systemFileSystem()),
        ENOENT);
    EXPECT_FALSE(QFileInfo::exists(dir.file(u"no"_s)));
}

TEST(PassCheckTest, ComparesPaddedPasswordsOfTheFirstMatchingName)
{
    TestDir dir;
    ScriptedRandom random;
    const std::vector<UserRecord> users = {
        { "Admini", 15, "abc" },
        { "Admini", 1, "other" },
        { "tenbytes", 6, "0123456789" },
    };
    ASSERT_EQ(
        writeUserFile(dir.file(u"pass.dat"_s), users, random, nullptr, systemFileSystem()), 0);
    PassCheck check(dir.file(u"pass.dat"_s), systemFileSystem());

    EXPECT_TRUE(check.check("Admini", "abc"));
    EXPECT_EQ(check.getName(), QByteArray("Admini"));
    EXPECT_EQ(check.getPass(), QByteArray("abcpelvora"));
    EXPECT_EQ(check.getAuth(), 15);
    EXPECT_TRUE(check.check("Admini", "abcpelvora"));
    EXPECT_FALSE(check.check("Admini", "ABC"));
    EXPECT_FALSE(check.check("Admini", "abcx"));
    EXPECT_FALSE(check.check("Admini", "other")) << "the second record of a name is never reached";
    EXPECT_FALSE(check.check("admini", "abc"));
    EXPECT_TRUE(check.check("tenbytes", "0123456789"));
    EXPECT_EQ(check.getAuth(), 6);
    EXPECT_FALSE(check.check("", "abc"));
    EXPECT_FALSE(check.check("Admini", ""));
    EXPECT_FALSE(check.fault().isFault());

    PassCheck none(dir.file(u"missing.dat"_s), systemFileSystem());
    EXPECT_FALSE(none.check("Admini", "abc"));
    EXPECT_FALSE(none.fault().isFault()) << "a missing file is just a failed login";

    // A search that runs into an incomplete record reports it.
    dir.write(u"short.dat"_s, dir.read(u"pass.dat"_s).left(40));
    PassCheck shortFile(dir.file(u"short.dat"_s), systemFileSystem());
    EXPECT_TRUE(shortFile.check("Admini", "abc")) << "found before the incomplete record";
    EXPECT_FALSE(shortFile.check("tenbytes", "0123456789"));
    EXPECT_EQ(shortFile.fault().kind, FileFault::Kind::CutRecord);
    EXPECT_EQ(shortFile.recordsRead(), 1) << "the second user is cut";
}

TEST(UserFile, OnlyARegularFileOfASaneSizeIsRead)
{
    TestDir dir;
    const auto checkWith = [&](const QString &name) {
        PassCheck check(dir.file(name), systemFileSystem());
        EXPECT_FALSE(check.check("Admini", "abc"));
        EXPECT_TRUE(check.fault().isFault()) << name.toStdString();
        EXPECT_EQ(readUserFile(dir.file(name), systemFileSystem()).ok(), name == u"empty.dat"_s);
        return check.fault();
    };

    // Nobody could ever log in: say so instead of refusing every password.
    dir.write(u"empty.dat"_s, {});
    EXPECT_EQ(checkWith(u"empty.dat"_s).kind, FileFault::Kind::Empty);

    QDir(dir.path()).mkdir(u"folder.dat"_s);
    EXPECT_EQ(checkWith(u"folder.dat"_s).error, EISDIR);
    EXPECT_EQ(readUserFile(dir.file(u"folder.dat"_s), systemFileSystem()).fault.error, EISDIR);

    // Neither waits for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(u"fifo.dat"_s)).constData(), 0600), 0);
    EXPECT_EQ(checkWith(u"fifo.dat"_s).kind, FileFault::Kind::NotRegular);

    QFile huge(dir.file(u"huge.dat"_s));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(3) << 30)) << "a sparse file of 3 GiB";
    huge.close();
    EXPECT_EQ(checkWith(u"huge.dat"_s).kind, FileFault::Kind::TooLarge);
    EXPECT_TRUE(readUserFile(dir.file(u"huge.dat"_s), systemFileSystem()).users.empty());
}

TEST(UserFile, ALinkIsWrittenThroughAndTheMakerLeavesADanglingOneAlone)
{
    TestDir dir;
    QDir(dir.path()).mkdir(u"etc"_s);
    dir.write(u"etc/users.dat"_s, {});
    ASSERT_EQ(
        ::symlink("etc/users.dat", QFile::encodeName(dir.file(u"pass.dat"_s)).constData()), 0);
    // A user file shared by a group: replaced, it stays readable to that group.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file(u"etc/users.dat"_s)).constData(), 0640), 0);
    ScriptedRandom random;
    ASSERT_EQ(
        writeUserFile(dir.file(u"pass.dat"_s), sampleUsers, random, nullptr, systemFileSystem()),
        0);
    EXPECT_TRUE(QFileInfo(dir.file(u"pass.dat"_s)).isSymLink());
    EXPECT_EQ(dir.read(u"etc/users.dat"_s).size(), 3 * 32);
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(dir.file(u"etc/users.dat"_s)).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a replaced user file keeps its mode";
    EXPECT_TRUE(PassCheck(dir.file(u"pass.dat"_s), systemFileSystem()).check("guest", "guest"));

    // "Never overwrites" includes a link to a file that is not there.
    ASSERT_EQ(
        ::symlink("etc/missing.dat", QFile::encodeName(dir.file(u"link.dat"_s)).constData()), 0);
    QProcess maker;
    maker.start(QString::fromLocal8Bit(USER_FILE_MAKER_PATH), { dir.file(u"link.dat"_s) });
    ASSERT_TRUE(maker.waitForFinished(30000));
    EXPECT_NE(maker.exitCode(), 0);
    EXPECT_TRUE(QFileInfo(dir.file(u"link.dat"_s)).isSymLink());
    EXPECT_FALSE(dir.exists(u"etc/missing.dat"_s));

    // A new file is still made where there is nothing.
    maker.start(QString::fromLocal8Bit(USER_FILE_MAKER_PATH), { dir.file(u"new.dat"_s) });
    ASSERT_TRUE(maker.waitForFinished(30000));
    EXPECT_EQ(maker.exitCode(), 0);
    EXPECT_TRUE(PassCheck(dir.file(u"new.dat"_s), systemFileSystem()).check("guest", "guest"));
}

// The login's user file: the current folder's wins, then the program folder's, then the settings
// folder's; the first start makes one with the first users, and one that is there but cannot be
// read is never replaced.
TEST(UserFile, TheFirstStartMakesTheFileTheLoginFinds)
{
    TestDir dir;
    QDir(dir.path()).mkpath(u"here"_s);
    QDir(dir.path()).mkpath(u"program"_s);
    const QString here = dir.file(u"here"_s);
    const QString program = dir.file(u"program"_s);
    const QString config = dir.file(u"config/Velmora/tegata"_s);
    ClockRandom random;

    const PreparedUserFile made =
        prepareUserFile(here, program, config, random, systemFileSystem());
    EXPECT_EQ(made.path, program + u"/pass.dat"_s) << "the program folder can be written";
    EXPECT_TRUE(made.notice.contains(made.path));
    EXPECT_TRUE(made.problem.isEmpty());
    EXPECT_TRUE(PassCheck(made.path, systemFileSystem()).check("Admini", "velmora"));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(made.path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const PreparedUserFile again =
        prepareUserFile(here, program, config, random, systemFileSystem());
    EXPECT_EQ(again.path, made.path);
    EXPECT_TRUE(again.notice.isEmpty()) << "said once";

    dir.write(u"here/pass.dat"_s, "not a user file");
    const PreparedUserFile unreadable =
        prepareUserFile(here, program, config, random, systemFileSystem());
    EXPECT_EQ(unreadable.path, here + u"/pass.dat"_s) << "the current folder's wins";
    EXPECT_EQ(dir.read(u"here/pass.dat"_s), QByteArray("not a user file"));
}

// Installed as the package puts it (bin/ beside share/tegata/), the program folder is shared by
// every user: even when it can be written, as it can by root, the user file, the settings and the
// data go to the user's folders. A folder merely named bin stays a portable one.
TEST(UserFile, AProgramInstalledForAllUsersKeepsNothingInItsFolder)
{
    for (const bool installed : { true, false }) {
        SCOPED_TRACE(installed ? "installed" : "portable");
        TestDir dir;
        QDir(dir.path()).mkpath(u"here"_s);
        QDir(dir.path()).mkpath(u"usr/bin"_s);
        if (installed)
            QDir(dir.path()).mkpath(u"usr/share/tegata/Help"_s);
        const QString program = dir.file(u"usr/bin"_s);
        const QString config = dir.file(u"home/.config/Velmora/tegata"_s);
        const QString data = dir.file(u"home/.local/share/Velmora/tegata"_s);
        const QString own = installed ? config : program;
        ClockRandom random;

        EXPECT_EQ(
            prepareUserFile(dir.file(u"here"_s), program, config, random, systemFileSystem()).path,
            own + u"/pass.dat"_s);
        const DataLocation where =
            locateDataDirectory(program + u'/', config, data, systemFileSystem());
        EXPECT_EQ(where.settingsPath, own + u"/VMKolvam.ini"_s);
        EXPECT_EQ(where.DataDirectory, (installed ? data : program) + u'/');
        EXPECT_TRUE(QFileInfo(where.DataDirectory).isDir());
        EXPECT_EQ(installedForAllUsers(program + u'/', systemFileSystem()), installed);
    }
}
