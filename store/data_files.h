#pragma once

#include <array>
#include <vector>

#include <QString>
#include <QStringList>

#include <QDateTime>
#include <QSet>

#include "core/tables.h"
#include "store/data_file_names.h"
#include "store/file_system.h"
#include "store/generations.h"
#include "store/save_journal.h"
// Beside the data files while a save replaces them; names the three temporary files.
inline constexpr const char16_t *SaveJournalName = u"tegata-save.journal";

// A data file that did not load completely.
struct LoadFault
{
    QString path;
    qsizetype recordsRead = 0;
    FileFault fault;
};

struct LoadReport
{
    std::vector<LoadFault> faults;
    // What was done about a save an earlier run did not finish.
    SettledSave recovery;
    // What each data file held, in the order of DataFiles; unknown for one not read whole.
    std::array<FileContent, DataFiles.size()> contents;
    bool ok() const { return faults.empty() && !recovery.failed(); }
};

struct SaveReport
{
    SaveFailure failure; // where the save stopped, naming the file and the reason
    SettledSave earlierSave; // a save an earlier run left, settled before this one began
    QStringList backups; // originals of incompletely loaded files kept before replacing them
    QString generation; // the folder keeping the files this save replaced; empty when none
    GenerationFault generationFault; // why no generation was kept, though one was asked for
    // Older generations removed, oldest first, because the disk had no room left for this save.
    QStringList generationsDropped;
    // What each data file holds once the save is complete, in the order of DataFiles.
    std::array<FileContent, DataFiles.size()> written;
    bool ok() const { return !failure.failed(); }
};

// Reads a generation (generations.h) into empty tables with every check of a load. false when it
// is not a folder of its own or a file of it does not load whole: such a generation is never
// brought back.
// why, when given, says what is wrong with it.
bool LoadGeneration(
    const Generation &generation, Tables &tables, FileSystem &fs, GenerationFault *why = nullptr);

// The generations a save keeps (generations.h): how many, the time that names the new one, and
// when the files it replaces were saved, recorded in it.
struct GenerationPolicy
{
    int kept = 0;
    QDateTime at;
    QDateTime contentSavedAt {};
    // What the files it replaces hold, where known, so they are not read again.
    std::array<FileContent, DataFiles.size()> replacing {};
};

// Appends the records of the three data files in directory (plain concatenation, so the
// directory carries its trailing separator) to the tables. A missing file is not a fault. Each
// file stands alone: a fault keeps the complete records before it and the next file still loads.
// Only regular files that fit in memory are read; anything else is a fault naming the file.
//
// First it settles a save that an earlier run left unfinished: a journal whose files are all
// complete is carried out, any other is undone, and temporary files no journal names are removed.
// The caller holds the folder's lock, so no save of another copy is under way; a copy that does
// not hold it leaves the holder's journal and temporary files alone.
enum class InterruptedSave { Settle, LeaveToLockHolder };
// The names of files that did not load whole are added to incomplete.
// A copy without the lock waits up to holderWait for the holder's save in progress to end.
LoadReport LoadData(Tables &tables, QSet<QString> &incomplete, const QString &directory,
    FileSystem &fs, InterruptedSave interrupted = InterruptedSave::Settle,
    std::chrono::milliseconds holderWait = HolderSaveWait);

// The identity of each data file in directory, in the order of DataFiles.
std::array<FileIdentity, DataFiles.size()> dataFileIdentities(
    const QString &directory, FileSystem &fs);

// Writes the three tables as one step: each to a temporary file beside it (beside the file a
// symbolic link leads to), synced; then a journal naming the three, synced; then the three
// renames and a sync of the folder; then the journal is removed. A failure before the renames
// replaces nothing. A failure during them leaves the journal, so the next LoadData finishes the
// save; the message says which files are already new. The original of each file named in
// incomplete is kept as a backup first; a file once replaced leaves incomplete. With generations
// kept, the files replaced go into a new generation, and the oldest beyond the number go.
SaveReport SaveData(const Tables &tables, QSet<QString> &incomplete, const QString &directory,
    FileSystem &fs, const GenerationPolicy &generations = {});
