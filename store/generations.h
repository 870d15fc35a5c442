#pragma once

#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "store/file_fault.h"
#include "store/file_system.h"

// Generations: every save keeps the three files it replaces in backup/yyyyMMdd-HHmmss/ inside
// the data folder, hard-linked where the file system allows (no copying) and copied otherwise, so
// a save that was complete and wrong can be undone. A generation is made whole under a name that
// marks it unfinished (".part") before the save's journal is written, and takes its final name
// once the save's files are all in place: a crash leaves the old register without a half-made
// generation, or the new one with its whole generation. A generation that cannot be made never
// stops or changes the save.

inline constexpr const char16_t *GenerationsFolderName = u"backup";
// Inside each generation: when the register it keeps was saved (UTC, ISO 8601). The folder's name
// is the time of the save that replaced it, and file times do not survive a copy.
inline constexpr const char16_t *GenerationSavedAtName = u"saved-at.txt";
// How many generations a save keeps unless the program's settings say otherwise; 0 keeps none.
inline constexpr int DefaultGenerationsKept = 10;

// Why no generation was kept: the folder or file and the reason.
struct GenerationFault
{
    QString path;
    FileFault fault;
    bool failed() const { return fault.isFault(); }
};

// The generation one save is making.
class PendingGeneration
{
public:
    // Links or copies each of files (the data files as they are now, named after names) into a
    // new unfinished generation of the data folder, dated at, with the time they were saved
    // (contentSavedAt; none recorded when it is not valid). false, with the fault kept and
    // nothing left behind, when it cannot be made; files that do not exist are passed over.
    bool prepare(const QString &dataDirectory, const QStringList &files, const QStringList &names,
        const QDateTime &at, const QDateTime &contentSavedAt, FileSystem &fs);
    // Gives the finished generation its name, once the save's files are in place.
    bool finish(FileSystem &fs);
    // Removes an unfinished generation, the save having failed.
    void discard(FileSystem &fs);

    bool prepared() const { return !partPath_.isEmpty(); }
    const GenerationFault &fault() const { return fault_; }
    const QString &path() const { return finalPath_; }

private:
    bool fail(const QString &path, int error, FileSystem &fs);

    QString folder_; // the generations folder
    QString partPath_;
    QString finalPath_;
    GenerationFault fault_;
};

// An unfinished generation left by a save cut off: finished when that save was carried out,
// removed otherwise.
void settlePendingGenerations(const QString &dataDirectory, bool saveFinished, FileSystem &fs);

// Removes the oldest generations beyond keep (keep 0 removes none), never spare.
void pruneGenerations(
    const QString &dataDirectory, int keep, FileSystem &fs, const QString &spare = {});

struct Generation
{
    QString name; // "20261207-104233", "-2" and on for a second save in the same second
    QString path; // with a trailing separator, as LoadData takes a folder
    QDateTime savedAt; // of the save that replaced it, from the name
    // When what it holds was saved; not valid for a generation made before this was recorded.
    QDateTime contentSavedAt;
    // A folder of its own; a symbolic link or anything else in its place is never read.
    bool plainFolder = false;
};
// The finished generations of a data folder, newest first.
std::vector<Generation> listGenerations(const QString &dataDirectory, FileSystem &fs);
