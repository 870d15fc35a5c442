#include "store/settings_file.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "store/atomic_file.h"
#include "store/io_error.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

bool readSettings(const QString &path, QString &line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    line = settingsFirstLine(file.readAll());
    return true;
}

bool createSettings(const QString &path, const QString &dataDirectory, int &error)
{
    QByteArray content = sjis::encode(dataDirectory);
    content += "\r\n";
    return writeFileAtomically(path, content, 0644, false, &error);
}

QString withSeparator(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace

QString settingsFirstLine(const QByteArray &content)
{
    qsizetype end = 0;
    while (end < content.size() && content[end] != '\r' && content[end] != char(26))
        ++end;
    return sjis::decode(std::string_view(content.constData(), static_cast<size_t>(end)));
}

DataLocation locateDataDirectory(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir)
{
    DataLocation where;
    where.settingsPath = programDirectory + QString::fromUtf16(SettingsFileName);
    if (QFile::exists(where.settingsPath) && readSettings(where.settingsPath, where.DataDirectory))
        return where;

    int error = 0;
    if (!QFile::exists(where.settingsPath)
        && createSettings(where.settingsPath, programDirectory, error)) {
        where.DataDirectory = programDirectory;
        return where;
    }

    // The program folder cannot be written or read: keep settings and data in the user's folders.
    const QString configDir = withSeparator(fallbackConfigDir);
    const QString dataDir = withSeparator(fallbackDataDir);
    where.settingsPath = configDir + QString::fromUtf16(SettingsFileName);
    if (QFile::exists(where.settingsPath) && readSettings(where.settingsPath, where.DataDirectory))
        return where;
    QDir().mkpath(configDir);
    QDir().mkpath(dataDir);
    where.DataDirectory = dataDir;
    if (!createSettings(where.settingsPath, dataDir, error))
        where.problem =
            u"\n設定ファイル「%1」を作成できませんでした。\n理由: %2\nデータは「%3」に置きます。"_s
                .arg(where.settingsPath, systemReason(error), dataDir);
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
