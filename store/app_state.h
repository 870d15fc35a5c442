#pragma once

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QSet>
#include <QString>

#include "store/day_date.h"
#include "store/records.h"

using Notes = std::vector<NoteRecord>;
using Partners = std::vector<PartnerRecord>;
using Banks = std::vector<BankRecord>;

// The logged-in user: name and padded password as Shift-JIS bytes, and the rights bits.
struct UserInfo
{
    QByteArray Name;
    QByteArray Password;
    std::uint8_t Permissions = 0;
};

// Everything the screens share for one run. Created by main and handed to every screen by
// reference, so each test builds its own.
struct AppState
{
    Notes NoteTable;
    Partners PartnerTable;
    Banks BankTable;
    QString ProgramDirectory;
    QString DataDirectory;
    bool Modified = false;
    // Another copy holds the data folder, or where the data lives is unknown: everything can be
    // viewed, searched and printed, but nothing is written to the data folder.
    bool ReadOnly = false;
    UserInfo CurrentUser;

    // Data file names whose load stopped at a fault: their original is kept as a backup before
    // the first save replaces it with what was loaded.
    QSet<QString> IncompleteFiles;

    const Clock *clock = &systemClock;

private:
    static inline const SystemClock systemClock {};
};
