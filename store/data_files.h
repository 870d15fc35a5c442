#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "store/app_state.h"

inline constexpr const char16_t *PartnerFileName = u"TCODE.vmd";
inline constexpr const char16_t *NoteFileName = u"KOLVAM.vmd";
inline constexpr const char16_t *BankFileName = u"BANK.vmd";

// A data file that did not load completely.
struct LoadFault
{
    QString path;
    qsizetype recordsRead = 0;
    QString reason;
};

struct LoadReport
{
    std::vector<LoadFault> faults;
    bool ok() const { return faults.empty(); }
    // One Japanese message naming every faulty file, the records read and the reason.
    QString message() const;
};

struct SaveReport
{
    bool ok = true;
    QString message; // the failure, naming the file and the reason
    QStringList backups; // originals of incompletely loaded files kept before replacing them
    QString backupNotice() const;
};

// Appends the records of the three data files in directory (plain concatenation, so the
// directory carries its trailing separator) to the tables. A missing file is not a fault. Each
// file stands alone: a fault keeps the complete records before it and the next file still loads.
LoadReport LoadData(AppState &state, const QString &directory);

// Writes the three tables. All three files are written to temporary files first and replaced
// only when all three succeeded; on any failure nothing is replaced and Modified stays as it was.
SaveReport SaveData(AppState &state, const QString &directory);
