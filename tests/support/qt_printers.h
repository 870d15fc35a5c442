#pragma once

#include <ostream>

#include <QByteArray>
#include <QString>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << "bytes \"" << bytes.toHex(' ').toStdString() << '"';
}
