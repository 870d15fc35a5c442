#include "store/settings_file.h"

#include <cerrno>

#include <QStandardPaths>

#include "core/sjis.h"
#include "store/atomic_file.h"
#include "store/data_file_names.h"
#include "store/data_files.h"

using namespace Qt::StringLiterals;

namespace {

// A settings file is one line; anything near this size is not one, and a FIFO or a device
// is never waited on or read.
constexpr qint64 LargestSettingsFile = 64 * 1024;

bool readSettings(const QString &path, QString &line, FileFault &fault, FileSystem &fs)
{
    const WholeFile read = readWholeFile(path, LargestSettingsFile, fs);
    fault = read.missing ? FileFault::system(ENOENT) : read.fault;
    if (fault.isFault())
        return false;
    line = settingsFirstLine(read.bytes, fs);
    return true;
}

bool createSettings(const QString &path, const QString &dataDirectory, int &error, FileSystem &fs)
{
    return writeFileAtomically(
        path, settingsLineBytes(dataDirectory) + "\r\n", NewFileMode, false, &error, nullptr, fs);
}

// An existing settings file that cannot be read names no folder; guessing one (the per-user
// folders, the program folder) would show an empty register as if it were the real one.
bool readExisting(DataLocation &where, FileSystem &fs)
{
    if (readSettings(where.settingsPath, where.DataDirectory, where.fault, fs))
        return true;
    where.known = false;
    where.DataDirectory.clear();
    where.problem = DataLocation::Problem::Unreadable;
    return false;
}

bool folderExists(const QString &dataDirectory, FileSystem &fs)
{
    return isFolder(fs, dataFolderOf(dataDirectory));
}

QString withSeparator(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace

QByteArray settingsFirstLineBytes(const QByteArray &content)
{
    qsizetype end = 0;
    while (end < content.size() && content[end] != '\r' && content[end] != char(26))
        ++end;
    return content.left(end);
}

QString settingsFirstLine(const QByteArray &content, FileSystem &fs)
{
    const QByteArray line = settingsFirstLineBytes(content);
    const QString cp932 = sjis::decode(line);
    if (folderExists(cp932, fs))
        return cp932;
    const QString native = pathFromNative(line);
    if (folderExists(native, fs))
        return native;
    // Neither folder is there; name the one the bytes more plausibly spell.
    const QChar invalid(QChar::ReplacementCharacter);
    return cp932.contains(invalid) && !native.contains(invalid) ? native : cp932;
}

QByteArray settingsLineBytes(const QString &dataDirectory)
{
    bool ok = false;
    const QByteArray cp932 = sjis::encode(dataDirectory, &ok);
    // Code page 932 maps some characters onto others (U+301C WAVE DASH reads back as U+FF5E): such
    // a path would lead to a different folder.
    if (ok && sjis::decode(cp932) == dataDirectory)
        return cp932;
    return nativePath(dataDirectory);
}

QString dataFolderOf(const QString &dataDirectory)
{
    return parentFolderOf(dataDirectory + QString::fromUtf16(PartnerFileName));
}

DataFolderCheck checkDataFolder(
    const QString &dataDirectory, const QString &settingsPath, FileSystem &fs)
{
    DataFolderCheck check;
    check.dataDirectory = dataDirectory;
    check.settingsPath = settingsPath;
    // A lone LF does not end the line: the next line runs on into the folder's name.
    check.lineRunOn = dataDirectory.contains(u'\n');
    // An empty line would put the data beside whatever folder the program was started in.
    check.lineEmpty = dataDirectory.isEmpty();
    check.folderFound = !check.lineEmpty && folderExists(dataDirectory, fs);
    if (!check.folderFound) {
        check.state = DataFolderCheck::Missing;
        return check;
    }
    for (const QString &name : dataFileNames()) {
        if (leadsSomewhere(fs, dataDirectory + name))
            return check;
    }
    check.state = check.lineRunOn ? DataFolderCheck::Missing : DataFolderCheck::NewRegister;
    return check;
}

bool installedForAllUsers(const QString &programDirectory, FileSystem &fs)
{
    const QString program = absoluteCleanPath(programDirectory);
    return program.section(u'/', -1) == u"bin"_s && isFolder(fs, program + u"/../share/tegata"_s);
}

DataLocation locateDataDirectory(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir, FileSystem &fs)
{
    DataLocation where;
    int error = 0;
    if (!installedForAllUsers(programDirectory, fs)) {
        where.settingsPath = programDirectory + QString::fromUtf16(SettingsFileName);
        if (leadsSomewhere(fs, where.settingsPath)) {
            readExisting(where, fs);
            return where;
        }
        if (createSettings(where.settingsPath, programDirectory, error, fs)) {
            where.DataDirectory = programDirectory;
            return where;
        }
    }

    // The program folder is not the user's: keep settings and data in the user's folders.
    const QString configDir = withSeparator(fallbackConfigDir);
    const QString dataDir = withSeparator(fallbackDataDir);
    where.settingsPath = configDir + QString::fromUtf16(SettingsFileName);
    if (leadsSomewhere(fs, where.settingsPath)) {
        readExisting(where, fs);
        return where;
    }
    makePath(fs, configDir);
    makePath(fs, dataDir);
    where.DataDirectory = dataDir;
    if (!createSettings(where.settingsPath, dataDir, error, fs)) {
        where.problem = DataLocation::Problem::NotCreated;
        where.fault = FileFault::system(error);
    }
    return where;
}

QString userConfigDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString userDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}
