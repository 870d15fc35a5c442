#pragma once

#include <algorithm>
#include <cstdint>

#include <QByteArray>
#include <QFileInfo>
#include <QString>

#include "core/day_date.h"
#include "store/register.h"

// The logged-in user: name and padded password as Shift-JIS bytes, and the rights bits.
struct UserInfo
{
    QByteArray Name;
    QByteArray Password;
    std::uint8_t Permissions = 0;
};

// What the screens share for one run: the register, the logged-in user and the clock. Created by
// main and handed to every screen by reference, so each test builds its own.
struct AppState
{
    // The only way to change the tables.
    Register Data;
    // The tables and the data folder, read through the register.
    const Notes &NoteTable = Data.notes();
    const Partners &PartnerTable = Data.partners();
    const Banks &BankTable = Data.banks();
    const QString &DataDirectory = Data.directory();

    QString ProgramDirectory;
    // The user file the login checks ("pass.dat" in the current folder).
    QString UserFile;
    UserInfo CurrentUser;

    const Clock *clock = &systemClock;

    // True for a file of the program's own (the register's, the user file): an export must not
    // take its place.
    bool isProgramFile(const QString &path) const
    {
        // A data file may be a link to the real one: both names are the file.
        const auto places = [](const QString &p) {
            const QString real = QFileInfo(p).canonicalFilePath();
            return QStringList { placeOf(p), real.isEmpty() ? placeOf(p) : real };
        };
        const QStringList wanted = places(path);
        QStringList own = Data.ownFiles();
        if (!UserFile.isEmpty())
            own << UserFile;
        return std::any_of(own.begin(), own.end(), [&](const QString &file) {
            const QStringList at = places(file);
            return std::any_of(at.begin(), at.end(),
                [&](const QString &place) { return !place.isEmpty() && wanted.contains(place); });
        });
    }

private:
    static inline const SystemClock systemClock {};
};
