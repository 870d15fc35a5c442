#pragma once

#include <QString>

inline constexpr const char16_t *SettingsFileName = u"VMKolvam.ini";

struct DataLocation
{
    QString DataDirectory;
    QString settingsPath; // the settings file that was read or created
    QString problem; // a Japanese notice when the settings file could not be written
};

// The first line of a settings file's bytes: everything up to the first CR, the first byte 26
// or the end; a lone LF does not end it; nothing is trimmed.
QString settingsFirstLine(const QByteArray &content);

// Reads ProgramDirectory + "VMKolvam.ini", or creates it holding ProgramDirectory. When the
// program folder cannot be written (installed read-only) the settings file lives in
// fallbackConfigDir and the data in fallbackDataDir; both are created as needed.
DataLocation locateDataDirectory(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir);

// The per-user folders for a read-only installation (XDG config and data homes).
QString userConfigDirectory();
QString userDataDirectory();
