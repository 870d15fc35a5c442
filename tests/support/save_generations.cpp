// Saves two generations of a register into the folder given, one after the other, keeping the
// last three saves' files as generations, until it is killed. Says "saving" on stdout once it has
// begun, so the killer knows it is under way.
#include <cstdio>

#include <QString>

#include "tests/support/generations.h"
#include "tests/support/table_files.h"

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const Tables tables[2] = { generations::make(0), generations::make(1) };
    std::puts("saving");
    std::fflush(stdout);
    for (unsigned long i = 0;; ++i) {
        if (!saveTables(
                tables[i % 2], folder, systemFileSystem(), { 3, QDateTime::currentDateTime() })
                 .ok())
            return 1;
    }
}
