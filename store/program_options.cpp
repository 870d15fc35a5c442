#include "store/program_options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QString userKey(const QString &name, const QString &user)
{
    // One key per user name, whatever characters it holds.
    return name + u'/' + QString::fromLatin1(user.toUtf8().toPercentEncoding());
}

} // namespace

ProgramOptions::ProgramOptions(QString path)
    : path_(std::move(path))
{
}

int ProgramOptions::number(const QString &name, int fallback) const
{
    if (path_.isEmpty())
        return fallback;
    const QSettings settings(path_, QSettings::IniFormat);
    bool ok = false;
    const int value = settings.value(name).toInt(&ok);
    return ok ? value : fallback;
}

int ProgramOptions::userNumber(const QString &name, const QString &user, int fallback) const
{
    return number(userKey(name, user), fallback);
}

void ProgramOptions::setUserNumber(const QString &name, const QString &user, int value)
{
    if (path_.isEmpty())
        return;
    QSettings settings(path_, QSettings::IniFormat);
    settings.setValue(userKey(name, user), value);
}

QString programOptionsPath(const QString &settingsPath)
{
    if (settingsPath.isEmpty())
        return {};
    return QFileInfo(settingsPath).dir().filePath(u"tegata.ini"_s);
}
