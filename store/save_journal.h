#pragma once

#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

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
    QString temporary;
    QString target;
};

// Writes and syncs the journal naming the entries in directory, then syncs the folders holding
// it and the targets, so all of it is on disk before the first rename. Empty when done;
// otherwise the message for the save report, and no journal is left.
QString writeSaveJournal(
    const QString &directory, const std::vector<JournalEntry> &entries, FileSystem &fs);

// Removes the journal once its save is complete or undone.
void removeSaveJournal(const QString &directory, FileSystem &fs);

// Syncs each folder holding one of paths, once. On failure failed names the folder and error
// holds the errno.
bool syncFoldersOf(const QStringList &paths, FileSystem &fs, QString *failed, int *error);

// What was done about a save an earlier run did not finish.
struct SettledSave
{
    // A Japanese notice; empty when there was no journal.
    QString notice;
    // Neither finished nor undone: the files may come from two saves.
    bool failed = false;
};

// Settles a journal left in directory: one whose files are all complete is carried out, any
// other is undone. Temporary files of the data files that no journal names are removed.
SettledSave settleInterruptedSave(const QString &directory, FileSystem &fs);
