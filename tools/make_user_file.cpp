// Writes the first user file of an installation: "Admini" with every right and "guest" with
// 保存・検索 only. An existing file is never overwritten.
#include <cstdio>

#include <QCoreApplication>
#include <QFile>

#include "access/user_file.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString::fromUtf16(UserFileName);
    if (QFile::exists(path)) {
        std::fprintf(stderr, "%s already exists; left as it is.\n", qPrintable(path));
        return 0;
    }
    const std::vector<UserRecord> users = {
        { "Admini", SaveAndSearch | DeleteAndApprove | PartnerAndBankSettings | AllRights,
            "velmora" },
        { "guest", SaveAndSearch, "guest" },
    };
    ClockRandom random;
    QString error;
    if (!writeUserFile(path, users, random, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.trimmed()));
        return 1;
    }
    return 0;
}
