#pragma once

#include <QSet>
#include <QString>

#include "store/data_files.h"

// The data files of a folder read into tables of their own, and tables written to a folder,
// without a register around them.
struct Loaded
{
    explicit Loaded(const QString &directory, FileSystem &fs = systemFileSystem(),
        InterruptedSave interrupted = InterruptedSave::Settle,
        std::chrono::milliseconds holderWait = HolderSaveWait)
        : report(LoadData(tables, incomplete, directory, fs, interrupted, holderWait))
    {
    }
    Tables tables;
    QSet<QString> incomplete;
    LoadReport report;
};

inline SaveReport saveTables(const Tables &tables, const QString &directory,
    FileSystem &fs = systemFileSystem(), const GenerationPolicy &generations = {})
{
    QSet<QString> incomplete;
    return SaveData(tables, incomplete, directory, fs, generations);
}
