// Writes the first user file of an installation: "Admini" with every right and "guest" with
// 保存・検索 only. An existing file is never overwritten.
#include <cstdio>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "access/user_file.h"
#include "messages/store_messages.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString::fromUtf16(UserFileName);
    // lstat, not QFile::exists: a link to a missing file is not replaced either (writing would
    // go through it and create its target, wherever that is).
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode) && !QFileInfo::exists(path)) {
            std::fprintf(stderr, "%s is a symbolic link to a missing file; left as it is.\n",
                qPrintable(path));
            return 1;
        }
        std::fprintf(stderr, "%s already exists; left as it is.\n", qPrintable(path));
        return 0;
    }
    const std::vector<UserRecord> users = firstUsers();
    ClockRandom random;
    if (const int error = writeUserFile(path, users, random, nullptr, systemFileSystem());
        error != 0) {
        std::fprintf(stderr, "%s\n", qPrintable(messages::userFileNotSaved(path, error).trimmed()));
        return 1;
    }
    return 0;
}
