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
// What the notes carry beyond their records: note_extension_file.h.
inline constexpr const char16_t *NoteExtensionFileName = u"NOTEEXT.vmd";

// Each table's file and the size of a record in it. The side file of note extensions is not a
// table of its own: it has a header, and its records are matched with the notes once read.
struct DataFile
{
    DataTable table;
    const char16_t *name;
    std::size_t diskSize;
    bool noteExtensions = false;
    QString fileName() const { return QString::fromUtf16(name); }
};

// In the order they are loaded, saved and named in a save journal: the side file after the
// notes it is matched with.
inline constexpr std::array<DataFile, 4> DataFiles { {
    { DataTable::PartnerTable, PartnerFileName, PartnerDiskSize },
    { DataTable::NoteTable, NoteFileName, NoteDiskSize },
    { DataTable::BankTable, BankFileName, BankDiskSize },
    { DataTable::NoteTable, NoteExtensionFileName, 128, true },
} };
// A save journal of a copy from before the side file names the first three alone.
inline constexpr std::size_t DesignedDataFiles = 3;

// The three data file names, in that order.
QStringList dataFileNames();
