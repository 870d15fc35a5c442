#include "store/settings_file.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

bool readSettings(const QString &path, QString &line, FileFault &fault)
{
    const WholeFile read = readWholeFile(path, LargestSettingsFile);
    fault = read.missing ? FileFault::system(ENOENT) : read.fault;
    if (fault.isFault())
        return false;
    line = settingsFirstLine(read.bytes);
    return true;
}

bool createSettings(const QString &path, const QString &dataDirectory, int &error)
{
    return writeFileAtomically(
        path, settingsLineBytes(dataDirectory) + "\r\n", NewFileMode, false, &error);
}

// An existing settings file that cannot be read names no folder; guessing one (the per-user
// folders, the program folder) would show an empty register as if it were the real one.
bool readExisting(DataLocation &where)
{
    if (readSettings(where.settingsPath, where.DataDirectory, where.fault))
        return true;
    where.known = false;
    where.DataDirectory.clear();
    where.problem = DataLocation::Problem::Unreadable;
    return false;
}

bool folderExists(const QString &dataDirectory)
{
    return QFileInfo(dataFolderOf(dataDirectory)).isDir();
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

QString settingsFirstLine(const QByteArray &content)
{
    const QByteArray line = settingsFirstLineBytes(content);
    const QString cp932 = sjis::decode(line);
    if (folderExists(cp932))
        return cp932;
    const QString native = QFile::decodeName(line);
    if (folderExists(native))
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
    return QFile::encodeName(dataDirectory);
}

QString dataFolderOf(const QString &dataDirectory)
{
    return QFileInfo(dataDirectory + QString::fromUtf16(PartnerFileName)).absolutePath();
}

DataFolderCheck checkDataFolder(const QString &dataDirectory, const QString &settingsPath)
{
    DataFolderCheck check;
    check.dataDirectory = dataDirectory;
    check.settingsPath = settingsPath;
    // A lone LF does not end the line: the next line runs on into the folder's name.
    check.lineRunOn = dataDirectory.contains(u'\n');
    // An empty line would put the data beside whatever folder the program was started in.
    check.lineEmpty = dataDirectory.isEmpty();
    check.folderFound = !check.lineEmpty && QFileInfo(dataFolderOf(dataDirectory)).isDir();
    if (!check.folderFound) {
        check.state = DataFolderCheck::Missing;
        return check;
    }
    for (const QString &name : dataFileNames()) {
        if (QFileInfo::exists(dataDirectory + name))
            return check;
    }
    check.state = check.lineRunOn ? DataFolderCheck::Missing : DataFolderCheck::NewRegister;
    return check;
}

bool installedForAllUsers(const QString &programDirectory)
{
    const QDir program(programDirectory);
    return program.dirName() == u"bin"_s
        && QFileInfo(program.filePath(u"../share/tegata"_s)).isDir();
}

DataLocation locateDataDirectory(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir)
{
    DataLocation where;
    int error = 0;
    if (!installedForAllUsers(programDirectory)) {
        where.settingsPath = programDirectory + QString::fromUtf16(SettingsFileName);
        if (QFileInfo::exists(where.settingsPath)) {
            readExisting(where);
            return where;
        }
        if (createSettings(where.settingsPath, programDirectory, error)) {
            where.DataDirectory = programDirectory;
            return where;
        }
    }

    // The program folder is not the user's: keep settings and data in the user's folders.
    const QString configDir = withSeparator(fallbackConfigDir);
    const QString dataDir = withSeparator(fallbackDataDir);
    where.settingsPath = configDir + QString::fromUtf16(SettingsFileName);
    if (QFileInfo::exists(where.settingsPath)) {
        readExisting(where);
        return where;
    }
    QDir().mkpath(configDir);
    QDir().mkpath(dataDir);
    where.DataDirectory = dataDir;
    if (!createSettings(where.settingsPath, dataDir, error)) {
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
