#pragma once

#include <QString>

#include "store/file_fault.h"
#include "store/file_system.h"

inline constexpr const char16_t *SettingsFileName = u"VMKolvam.ini";

struct DataLocation
{
    enum class Problem {
        None,
        Unreadable, // the settings file exists but cannot be read: see known
        NotCreated, // the per-user settings file could not be made; the data folder is still used
    };
    QString DataDirectory;
    QString settingsPath; // the settings file that was read or created
    Problem problem = Problem::None;
    FileFault fault; // why
    // False when the settings file exists but cannot be read: where the data lives is unknown,
    // so nothing may be loaded or saved.
    bool known = true;
};

// The first line of a settings file's bytes: everything up to the first CR, the first byte 26
// or the end; a lone LF does not end it; nothing is trimmed.
QByteArray settingsFirstLineBytes(const QByteArray &content);
// The line as a folder: the code page 932 reading when that folder exists, else the file
// system's own reading (a file edited in UTF-8, a name code page 932 cannot spell) when that
// one exists, else the more plausible of the two.
QString settingsFirstLine(const QByteArray &content, FileSystem &fs);
// The bytes that read back as dataDirectory: code page 932 when it spells the path exactly,
// else the file system's own bytes.
QByteArray settingsLineBytes(const QString &dataDirectory);

// The folder the data files are looked for in: the files are named by plain concatenation, so
// a line without its trailing "/" points beside its last folder.
QString dataFolderOf(const QString &dataDirectory);

// What start-up has to say about a data folder before loading it.
struct DataFolderCheck
{
    enum State {
        Ready,
        Missing, // no folder named, not there, or (a line run on by a lone LF) holding no data
        NewRegister, // the folder holds no data files yet
    };
    State state = Ready;
    bool folderFound = false; // Missing: the folder is there but holds no data files
    bool lineEmpty = false; // Missing: the settings line names no folder at all
    // The settings line ended with a lone LF, so the next line became part of the folder name.
    bool lineRunOn = false;
    QString dataDirectory;
    QString settingsPath;
};
DataFolderCheck checkDataFolder(
    const QString &dataDirectory, const QString &settingsPath, FileSystem &fs);

// A program installed in the system's folders (bin/ with share/tegata/ beside it, as the Debian
// package puts it) is shared by every user: nothing of a user's is kept in its folder, even
// when the one running it could write there.
bool installedForAllUsers(const QString &programDirectory, FileSystem &fs);

// Reads ProgramDirectory + "VMKolvam.ini", or creates it holding ProgramDirectory. When the
// program folder cannot be written (installed read-only) or is installed for all users, the
// settings file lives in fallbackConfigDir and the data in fallbackDataDir; both are created as
// needed.
DataLocation locateDataDirectory(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir, FileSystem &fs);

// The per-user folders for a read-only installation (XDG config and data homes).
QString userConfigDirectory();
QString userDataDirectory();
