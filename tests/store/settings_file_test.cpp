#include <gtest/gtest.h>

#include "store/data_files.h"
#include "store/settings_file.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

TEST(SettingsFile, MissingFileIsCreatedWithTheProgramFolder)
{
    TestDir program;
    TestDir fallback;
    const DataLocation where =
        locateDataDirectory(program.path(), fallback.path(), fallback.path());
    EXPECT_EQ(where.DataDirectory, program.path());
    EXPECT_EQ(program.read(u"VMKolvam.ini"_s), program.path().toUtf8() + "\r\n");
    EXPECT_TRUE(where.problem.isEmpty());
    // The next start reads the same line back.
    EXPECT_EQ(locateDataDirectory(program.path(), fallback.path(), fallback.path()).DataDirectory,
        program.path());
}

TEST(SettingsFile, FirstLineRules)
{
    EXPECT_EQ(settingsFirstLine(""), QString());
    EXPECT_EQ(settingsFirstLine("/data/\r\n/other/\r\n"), u"/data/"_s);
    // A lone LF does not end the line; nothing is trimmed.
    EXPECT_EQ(settingsFirstLine(" /a/\n/b/\r\n"), u" /a/\n/b/"_s);
    EXPECT_EQ(settingsFirstLine("/a/\n/b/"), u"/a/\n/b/"_s);
    EXPECT_EQ(settingsFirstLine("/a/\x1a/b/\r\n"), u"/a/"_s);
    // Japanese folder names are code page 932.
    EXPECT_EQ(settingsFirstLine("/\x8e\xe8\x8c\x60/\r\n"), u"/手形/"_s);
}

TEST(SettingsFile, ExistingFileIsUsedUnchanged)
{
    TestDir program;
    TestDir fallback;
    program.write(u"VMKolvam.ini"_s, "");
    EXPECT_EQ(locateDataDirectory(program.path(), fallback.path(), fallback.path()).DataDirectory,
        QString());
    EXPECT_EQ(program.read(u"VMKolvam.ini"_s), QByteArray())
        << "the settings file is never rewritten";

    // Without its trailing separator the data file names run on from the folder's name.
    TestDir data;
    const QString noSeparator = data.path().chopped(1);
    program.write(u"VMKolvam.ini"_s, noSeparator.toUtf8() + "\r\n");
    const DataLocation where =
        locateDataDirectory(program.path(), fallback.path(), fallback.path());
    EXPECT_EQ(where.DataDirectory, noSeparator);
    AppState state;
    PartnerRecord p;
    p.Code.assign("001");
    state.PartnerTable.push_back(p);
    ASSERT_TRUE(SaveData(state, where.DataDirectory).ok);
    EXPECT_TRUE(QFile::exists(noSeparator + u"TCODE.vmd"_s));
}

TEST(SettingsFile, UnwritableProgramFolderFallsBackToTheUsersFolders)
{
    TestDir base;
    const QString program = base.path() + u"not-there/"_s; // cannot hold a new file
    const QString config = base.path() + u"config"_s;
    const QString data = base.path() + u"data"_s;
    const DataLocation where = locateDataDirectory(program, config, data);
    EXPECT_EQ(where.DataDirectory, data + u'/');
    EXPECT_EQ(where.settingsPath, config + u"/VMKolvam.ini"_s);
    EXPECT_EQ(base.read(u"config/VMKolvam.ini"_s), (data + u"/\r\n"_s).toUtf8());
    EXPECT_TRUE(QFileInfo(data).isDir());
    // And it is found there again next time.
    EXPECT_EQ(locateDataDirectory(program, config, data).DataDirectory, data + u'/');
}
