#include <gtest/gtest.h>

#include <QDir>

#include "store/data_files.h"
#include "store/settings_file.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

TEST(SettingsFile, MissingFileIsCreatedWithTheProgramFolder)
{
    TestDir program;
    TestDir fallback;
    const DataLocation where =
        locateDataDirectory(program.path(), fallback.path(), fallback.path(), systemFileSystem());
    EXPECT_EQ(where.DataDirectory, program.path());
    EXPECT_EQ(program.read(u"VMKolvam.ini"_s), program.path().toUtf8() + "\r\n");
    EXPECT_EQ(where.problem, DataLocation::Problem::None);
    // The next start reads the same line back.
    EXPECT_EQ(
        locateDataDirectory(program.path(), fallback.path(), fallback.path(), systemFileSystem())
            .DataDirectory,
        program.path());
}

TEST(SettingsFile, FirstLineRules)
{
    EXPECT_EQ(settingsFirstLine("", systemFileSystem()), QString());
    EXPECT_EQ(settingsFirstLine("/data/\r\n/other/\r\n", systemFileSystem()), u"/data/"_s);
    // A lone LF does not end the line; nothing is trimmed.
    EXPECT_EQ(settingsFirstLine(" /a/\n/b/\r\n", systemFileSystem()), u" /a/\n/b/"_s);
    EXPECT_EQ(settingsFirstLine("/a/\n/b/", systemFileSystem()), u"/a/\n/b/"_s);
    EXPECT_EQ(settingsFirstLine("/a/\x1a/b/\r\n", systemFileSystem()), u"/a/"_s);
    // Japanese folder names are code page 932.
    EXPECT_EQ(settingsFirstLine("/\x8e\xe8\x8c\x60/\r\n", systemFileSystem()), u"/手形/"_s);
}

TEST(SettingsFile, ExistingFileIsUsedUnchanged)
{
    TestDir program;
    TestDir fallback;
    program.write(u"VMKolvam.ini"_s, "");
    EXPECT_EQ(
        locateDataDirectory(program.path(), fallback.path(), fallback.path(), systemFileSystem())
            .DataDirectory,
        QString());
    EXPECT_EQ(program.read(u"VMKolvam.ini"_s), QByteArray())
        << "the settings file is never rewritten";

    // Without its trailing separator the data file names run on from the folder's name.
    TestDir data;
    const QString noSeparator = data.path().chopped(1);
    program.write(u"VMKolvam.ini"_s, noSeparator.toUtf8() + "\r\n");
    const DataLocation where =
        locateDataDirectory(program.path(), fallback.path(), fallback.path(), systemFileSystem());
    EXPECT_EQ(where.DataDirectory, noSeparator);
    Tables state;
    PartnerRecord p;
    p.Code.assign("001");
    state.partners.push_back(p);
    ASSERT_TRUE(saveTables(state, where.DataDirectory).ok());
    EXPECT_TRUE(QFile::exists(noSeparator + u"TCODE.vmd"_s));
}

TEST(SettingsFile, UnwritableProgramFolderFallsBackToTheUsersFolders)
{
    TestDir base;
    const QString program = base.path() + u"not-there/"_s; // cannot hold a new file
    const QString config = base.path() + u"config"_s;
    const QString data = base.path() + u"data"_s;
    const DataLocation where = locateDataDirectory(program, config, data, systemFileSystem());
    EXPECT_EQ(where.DataDirectory, data + u'/');
    EXPECT_EQ(where.settingsPath, config + u"/VMKolvam.ini"_s);
    EXPECT_EQ(base.read(u"config/VMKolvam.ini"_s), (data + u"/\r\n"_s).toUtf8());
    EXPECT_TRUE(QFileInfo(data).isDir());
    // And it is found there again next time.
    EXPECT_EQ(
        locateDataDirectory(program, config, data, systemFileSystem()).DataDirectory, data + u'/');
}

// Folders whose names code page 932 cannot spell, or spells as another character, must still be
// written so that they read back to the same folder.
TEST(SettingsFile, TheLineAlwaysLeadsBackToTheSameFolder)
{
    struct Case
    {
        QString name;
        bool cp932;
    };
    for (const Case &c : { Case { u"josé"_s, false }, Case { u"波〜線"_s, false },
             Case { u"手形データ"_s, true } }) {
        SCOPED_TRACE(c.name.toStdString());
        TestDir base;
        const QString program = base.path() + c.name + u'/';
        ASSERT_TRUE(QDir().mkpath(program));
        const DataLocation first =
            locateDataDirectory(program, base.path(), base.path(), systemFileSystem());
        EXPECT_EQ(first.DataDirectory, program);
        EXPECT_EQ(first.problem, DataLocation::Problem::None);
        const QByteArray line = c.cp932 ? QByteArray("\x8e\xe8\x8c\x60\x83\x66\x81\x5b\x83\x5e/")
                                        : (c.name + u'/').toUtf8();
        EXPECT_TRUE(base.read(c.name + u"/VMKolvam.ini"_s).endsWith(line + "\r\n"));
        EXPECT_EQ(locateDataDirectory(program, base.path(), base.path(), systemFileSystem())
                      .DataDirectory,
            program);
    }
}

TEST(SettingsFile, AFileEditedInUtf8FindsItsFolder)
{
    TestDir program;
    TestDir base;
    const QString data = base.path() + u"手形データ/"_s;
    ASSERT_TRUE(QDir().mkpath(data));
    program.write(u"VMKolvam.ini"_s, data.toUtf8() + "\n");
    // The lone LF stays part of the line, as written: that folder does not exist.
    EXPECT_EQ(locateDataDirectory(program.path(), base.path(), base.path(), systemFileSystem())
                  .DataDirectory,
        data + u'\n');
    program.write(u"VMKolvam.ini"_s, data.toUtf8() + "\r\n");
    EXPECT_EQ(locateDataDirectory(program.path(), base.path(), base.path(), systemFileSystem())
                  .DataDirectory,
        data);
    // When a folder of either reading exists, code page 932 wins.
    const QByteArray both = "/\x8e\xe8\x8c\x60/";
    EXPECT_EQ(settingsFirstLine(both + "\r\n", systemFileSystem()), u"/手形/"_s);
}

TEST(SettingsFile, AnUnreadableFileIsReportedNotReplaced)
{
    TestDir program;
    TestDir fallback;
    ASSERT_TRUE(QDir().mkpath(program.file(u"VMKolvam.ini"_s))); // a folder in its place
    const DataLocation where = locateDataDirectory(
        program.path(), fallback.path(), fallback.path() + u"data"_s, systemFileSystem());
    EXPECT_FALSE(where.known);
    EXPECT_TRUE(where.DataDirectory.isEmpty());
    EXPECT_EQ(where.problem, DataLocation::Problem::Unreadable);
    EXPECT_EQ(where.fault.error, EISDIR);
    EXPECT_EQ(where.settingsPath, program.file(u"VMKolvam.ini"_s));
    EXPECT_FALSE(fallback.exists(u"VMKolvam.ini"_s)) << "no silent switch to the user's folders";
    EXPECT_FALSE(fallback.exists(u"data"_s));
}

TEST(SettingsFile, DataFolderCheck)
{
    TestDir data;
    const QString settings = u"/prog/VMKolvam.ini"_s;
    DataFolderCheck check = checkDataFolder(data.path(), settings, systemFileSystem());
    EXPECT_EQ(check.state, DataFolderCheck::NewRegister);
    EXPECT_EQ(check.dataDirectory, data.path());
    EXPECT_EQ(check.settingsPath, settings);

    for (const char *name : { "TCODE.vmd", "KOLVAM.vmd", "BANK.vmd" }) {
        TestDir one;
        one.write(QString::fromLatin1(name), QByteArray());
        EXPECT_EQ(
            checkDataFolder(one.path(), settings, systemFileSystem()).state, DataFolderCheck::Ready)
            << name;
    }

    const QString gone = data.path() + u"gone/"_s;
    check = checkDataFolder(gone, settings, systemFileSystem());
    EXPECT_EQ(check.state, DataFolderCheck::Missing);
    EXPECT_FALSE(check.folderFound);
    EXPECT_FALSE(check.lineRunOn);
    // A line run on by a lone LF says why.
    check = checkDataFolder(data.path() + u"\n/other/"_s, settings, systemFileSystem());
    EXPECT_EQ(check.state, DataFolderCheck::Missing);
    EXPECT_TRUE(check.lineRunOn);
    // Even when the run-on name lands in an existing folder, it is no new register.
    check = checkDataFolder(data.path() + u"\n"_s, settings, systemFileSystem());
    EXPECT_EQ(check.state, DataFolderCheck::Missing);
    EXPECT_TRUE(check.folderFound);
    EXPECT_TRUE(check.lineRunOn);

    // An empty line names no folder: nothing is looked for beside the current one.
    check = checkDataFolder(QString(), settings, systemFileSystem());
    EXPECT_EQ(check.state, DataFolderCheck::Missing);
    EXPECT_TRUE(check.lineEmpty);

    // Without its trailing separator the files are looked for beside the named folder.
    EXPECT_EQ(dataFolderOf(data.path().chopped(1)), QDir::cleanPath(data.path() + u".."_s));
}
