#pragma once

#include <cstdint>

#include <QByteArray>
#include <QString>

#include "store/day_date.h"
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
    UserInfo CurrentUser;

    const Clock *clock = &systemClock;

private:
    static inline const SystemClock systemClock {};
};
