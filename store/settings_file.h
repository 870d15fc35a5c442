#pragma once

#include <QString>

inline constexpr const char16_t *SettingsFileName = u"VMKolvam.ini";

struct DataLocation
{
    QString DataDirectory;
    QString settingsPath; // the settings file that was read or created
    QString problem; // a Japanese notice when the settings file could not be read or written
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
QString settingsFirstLine(const QByteArray &content);
// The bytes that read back as dataDirectory: code page 932 when it spells the path exactly,
// else the file system's own bytes.
QByteArray settingsLineBytes(const QString &dataDirectory);

// The folder the data files are looked for in: the files are named by plain concatenation, so
// a line without its trailing "/" points beside its last folder.
QString dataFolderOf(const QString &dataDirectory);

// What start-up has to say about a data folder before loading it.
struct DataFolderCheck
{
    enum State { Ready, Missing, NewRegister };
    State state = Ready;
    QString message; // Japanese, naming the folder; empty when Ready
};
DataFolderCheck checkDataFolder(const QString &dataDirectory, const QString &settingsPath);

// Reads ProgramDirectory + "VMKolvam.ini", or creates it holding ProgramDirectory. When the
// program folder cannot be written (installed read-only) the settings file lives in
// fallbackConfigDir and the data in fallbackDataDir; both are created as needed.
DataLocation locateDataDirectory(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir);

// The per-user folders for a read-only installation (XDG config and data homes).
QString userConfigDirectory();
QString userDataDirectory();
