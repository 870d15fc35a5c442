#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "tests/support/qt_printers.h"

// A fresh directory per test; path() ends with a separator, like the program's directories.
class TestDir
{
public:
    TestDir();
    QString path() const { return dir_.path() + u'/'; }
    QString file(const QString &name) const { return path() + name; }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;

private:
    QTemporaryDir dir_;
};
