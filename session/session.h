#pragma once

#include <cstdint>

#include <QByteArray>
#include <QString>

#include "core/day_date.h"
#include "store/file_system.h"
#include "store/register.h"

// The logged-in user: name and padded password as Shift-JIS bytes, and the rights bits.
struct UserInfo
{
    QByteArray Name;
    QByteArray Password;
    std::uint8_t Permissions = 0;
};

// What the screens share for one run: the register, the logged-in user, the user file, the
// program's folder and the one clock. Created by main over the file layer every file call goes
// through, and handed to every screen by reference, so each test builds its own.
struct Session
{
    explicit Session(FileSystem &fs)
        : Data(fs)
    {
    }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

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
    // Bank days before 支払期日 from which a でんさい can no longer be transferred, split or
    // discounted (tegata.ini may set them).
    int densaiDaysBefore = densai::DefaultDaysBeforeDue;

    // True for a file of the program's own (the register's, the user file): an export must not
    // take its place.
    bool isProgramFile(const QString &path) const;

private:
    static inline const SystemClock systemClock {};
};
