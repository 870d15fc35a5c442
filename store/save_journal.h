#pragma once

#include <chrono>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "store/content_checksum.h"
#include "store/file_fault.h"
#include "store/file_system.h"

// The save journal: while a save renames its three temporary files over the data files, a
// journal beside them names the three, so a save cut off by a crash can be finished or undone
// at the next start.

// One data file of a save: its temporary file and the file it replaces.
struct JournalEntry
{
    QString name;
    qint64 size = 0;
    QByteArray checksum;
    ChecksumKind checksumKind = ChecksumKind::Xxh3;
    QString temporary;
    QString target;
};

// Where a save stopped, and what it had done by then.
struct SaveFailure
{
    enum class Phase {
        None,
        Unsettled, // a save an earlier run left could not be finished first (see earlierSave)
        Check, // a data file is not a regular file that can be replaced
        Write, // a temporary file could not be written
        Backup, // the original of an incompletely loaded file could not be kept
        Journal, // the journal could not be written
        JournalSync, // the folder could not be made durable before the renames (file: the folder)
        Replace, // a rename failed part way
        FolderSync, // every file renamed, the folder not made durable (file: the folder)
    };
    Phase phase = Phase::None;
    QString file;
    FileFault fault;
    QStringList replaced; // targets that already hold the new content
    QStringList notReplaced; // targets that still hold the old content
    bool failed() const { return phase != Phase::None; }
};

// Writes and syncs the journal naming the entries in directory, then syncs the folders holding
// it and the targets, so all of it is on disk before the first rename. No failure when done;
// otherwise no journal is left.
SaveFailure writeSaveJournal(
    const QString &directory, const std::vector<JournalEntry> &entries, FileSystem &fs);

// Removes the journal once its save is complete or undone.
void removeSaveJournal(const QString &directory, FileSystem &fs);

// Syncs each folder holding one of paths, once. On failure failed names the folder and error
// holds the errno.
bool syncFoldersOf(const QStringList &paths, FileSystem &fs, QString *failed, int *error);

// What was done about a save an earlier run did not finish.
struct SettledSave
{
    enum class Outcome {
        NoJournal, // nothing was left to settle
        Finished, // its files were complete: the save was carried out
        Undone, // its files were not complete: the data files are as before it
        RenameFailed, // finishing it failed at the rename of file
        FolderNotSynced, // finished, but the folder file could not be made durable
        PartlyNew, // undone, but the files in alreadyNew were already new
        Unmatched, // a whole journal (file) that names other files than this folder's: kept
        HolderSaving, // another copy's save was still under way when this copy read the files
        // A look at file (the journal, a temporary, a data file) failed with error: nothing was
        // touched, and the register opens read-only until a later start can check.
        Unchecked,
    };
    Outcome outcome = Outcome::NoJournal;
    QString directory;
    QString file;
    int error = 0;
    QStringList alreadyNew;
    // Neither finished nor undone: the files may come from two saves.
    bool failed() const
    {
        return outcome == Outcome::RenameFailed || outcome == Outcome::FolderNotSynced
            || outcome == Outcome::PartlyNew || outcome == Outcome::Unmatched
            || outcome == Outcome::Unchecked;
    }
};

// Settles a journal left in directory: one whose files are all complete is carried out, a torn
// one or one whose files are not complete is undone. Temporary files of the data files that no
// journal names are removed. A journal that is whole but does not name this folder's files, or
// cannot be read, is left as it is with every temporary file (Unmatched).
SettledSave settleInterruptedSave(const QString &directory, FileSystem &fs);

// How long a copy without the lock waits for the holder's save in progress to end.
inline constexpr std::chrono::milliseconds HolderSaveWait { 10000 };

// A copy without the lock never reads the files between the holder's renames: while the holder's
// journal is there it waits, up to wait; HolderSaving when the save did not end.
SettledSave awaitHoldersSave(
    const QString &directory, FileSystem &fs, std::chrono::milliseconds wait);

// Whether a journal is left in directory; Unknown (error set) when that cannot be looked at.
Presence saveJournalLeft(FileSystem &fs, const QString &directory, int *error = nullptr);
