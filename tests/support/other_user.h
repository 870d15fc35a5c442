#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QString>

#include "store/file_system.h"

// Another login on the same computer: the system's "nobody". Only root can act as it, through
// setpriv; tests that need a second user take that way where they run as root.
namespace other_user {

inline constexpr uid_t Uid = 65534;
inline constexpr gid_t Gid = 65534;

inline bool available()
{
    return ::geteuid() == 0;
}

// Runs a shell command as that user; true when it ran and succeeded.
inline bool run(const QString &command)
{
    QProcess process;
    process.start(QStringLiteral("setpriv"),
        { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
            QStringLiteral("--clear-groups"), QStringLiteral("sh"), QStringLiteral("-c"),
            command });
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// Where no second login can be used: every symbolic link is seen as another user's.
class LinksSeenAsTheirs : public PosixFileSystem
{
public:
    int lstat(const char *path, struct stat *info) override
    {
        const int rc = PosixFileSystem::lstat(path, info);
        if (rc == 0 && S_ISLNK(info->st_mode))
            info->st_uid = ::geteuid() + 1;
        return rc;
    }
};

} // namespace other_user
