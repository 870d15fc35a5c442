#include "tests/support/temp_dir.h"

#include <QFile>

TestDir::TestDir() = default;

void TestDir::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TestDir::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestDir::exists(const QString &name) const
{
    return QFile::exists(file(name));
}
