#pragma once

#include <array>
#include <cstddef>

#include <QString>
#include <QStringList>

#include "core/records.h"
#include "core/tables.h"

inline constexpr const char16_t *PartnerFileName = u"TCODE.vmd";
inline constexpr const char16_t *NoteFileName = u"KOLVAM.vmd";
inline constexpr const char16_t *BankFileName = u"BANK.vmd";

// Each table's file and the size of a record in it.
struct DataFile
{
    DataTable table;
    const char16_t *name;
    std::size_t diskSize;
    QString fileName() const { return QString::fromUtf16(name); }
};

// In the order they are loaded, saved and named in a save journal.
inline constexpr std::array<DataFile, 3> DataFiles { {
    { DataTable::PartnerTable, PartnerFileName, PartnerDiskSize },
    { DataTable::NoteTable, NoteFileName, NoteDiskSize },
    { DataTable::BankTable, BankFileName, BankDiskSize },
} };

// The three data file names, in that order.
QStringList dataFileNames();
