#pragma once

#include <cerrno>
#include <memory>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/tables.h"
#include "store/file_fault.h"
#include "store/file_system.h"

// Generations: every save keeps the three files it replaces in backup/yyyyMMdd-HHmmss/ inside
// the data folder, hard-linked where the file system allows (no copying) and copied otherwise, so
// a save that was complete and wrong can be undone. A generation is made whole under a name that
// marks it unfinished (".part") before the save's journal is written, and takes its final name
// once the save's files are all in place: a crash leaves the old register without a half-made
// generation, or the new one with its whole generation. A generation that cannot be made never
// stops or changes the save, and near a full disk the generations give way to it.
//
// backup/ is used only when nobody but this user, the data folder's owner and the data folder's
// group can change it; everything in it is done relative to the folder as it was opened, so a
// name swapped for a link meanwhile leads nowhere.

inline constexpr const char16_t *GenerationsFolderName = u"backup";
// Inside each generation: when the register it keeps was saved (UTC, ISO 8601). The folder's name
// is the time of the save that replaced it, and file times do not survive a copy.
inline constexpr const char16_t *GenerationSavedAtName = u"saved-at.txt";
// Inside each generation made by this version: the name, size and checksum of each file it keeps,
// written before the generation is finished, so a generation changed or cut since is known.
inline constexpr const char16_t *GenerationContentsName = u"contents.txt";
// How many generations a save keeps unless the program's settings say otherwise; 0 keeps none.
inline constexpr int DefaultGenerationsKept = 10;

// Why no generation was kept, or why a generation cannot be brought back: the folder or file
// and the reason.
struct GenerationFault
{
    enum class Kind {
        None,
        File, // a file call failed or a file does not load whole: fault says why
        OtherOwner, // backup/ belongs to another user than this one or the data folder's owner
        OpenToOthers, // users outside the data folder's group can write in backup/
        DroppedForRoom, // made, then removed: the save needed its room (fault: the full disk)
        NotAFolder, // a link or anything else in the place of a folder: never followed
        Missing, // a file the generation keeps is not there
        SizeDiffers, // not the size it had when it was kept (expected, actual bytes)
        ChecksumDiffers, // the size it had, other bytes
        BadRecord, // record number `record` (from 1) holds what no save writes
        BadContents, // the list of what it keeps cannot be read
    };
    QString path;
    FileFault fault;
    Kind kind = Kind::None;
    qint64 expected = 0;
    qint64 actual = 0;
    qint64 record = 0;
    bool failed() const { return kind != Kind::None; }
};

// A disk (or the user's quota) with no room left.
inline bool noRoom(const FileFault &fault)
{
    return fault.kind == FileFault::Kind::System
        && (fault.error == ENOSPC || fault.error == EDQUOT);
}

class GenerationsFolder;

// A data file's size and checksum (XXH3) as a load read it or a save wrote it; unknown (size
// -1) otherwise. A generation lists these for what it keeps without reading the files again.
struct FileContent
{
    qint64 size = -1;
    QByteArray checksum;
    bool known() const { return size >= 0 && !checksum.isEmpty(); }
};

// The generation one save is making.
class PendingGeneration
{
public:
    PendingGeneration();
    ~PendingGeneration();
    PendingGeneration(const PendingGeneration &) = delete;
    PendingGeneration &operator=(const PendingGeneration &) = delete;

    // Links or copies each of files (the data files as they are now, named after names) into a
    // new unfinished generation of the data folder, dated at, with the time they were saved
    // (contentSavedAt; none recorded when it is not valid) and the size and checksum of each.
    // false, with the fault kept and nothing left behind, when it cannot be made; files that do
    // not exist are passed over, but one that cannot be looked at is a fault.
    // known, where given, is what each of files holds: those are not read again.
    bool prepare(const QString &dataDirectory, const QStringList &files, const QStringList &names,
        const QDateTime &at, const QDateTime &contentSavedAt, FileSystem &fs,
        const std::vector<FileContent> &known = {});
    // Gives the finished generation its name, once the save's files are in place.
    bool finish(FileSystem &fs);
    // Removes an unfinished generation, the save having failed, and backup/ when that leaves it
    // empty.
    void discard(FileSystem &fs);
    // Removes the unfinished generation because the save needs its room (why: the full disk).
    void dropForRoom(FileSystem &fs, const FileFault &why);

    bool prepared() const { return !partName_.isEmpty(); }
    const GenerationFault &fault() const { return fault_; }
    const QString &path() const { return finalPath_; }

private:
    bool fail(const GenerationFault &fault, FileSystem &fs);
    bool fail(const QString &path, int error, FileSystem &fs);
    bool fill(const QStringList &files, const QStringList &names, const std::vector<bool> &present,
        const QDateTime &contentSavedAt, FileSystem &fs, const std::vector<FileContent> &known);

    std::unique_ptr<GenerationsFolder> folder_;
    QString partName_;
    QString finalName_;
    QString finalPath_;
    GenerationFault fault_;
};

// An unfinished generation left by a save cut off: finished when that save was carried out,
// removed otherwise.
void settlePendingGenerations(const QString &dataDirectory, bool saveFinished, FileSystem &fs);

// Removes the oldest generations beyond keep (keep 0 removes none), never spare.
void pruneGenerations(
    const QString &dataDirectory, int keep, FileSystem &fs, const QString &spare = {});

// Makes room for a save on a full disk: removes a generation left half-removed, or else the
// oldest finished generation, and backup/ once empty. The name of the generation removed (empty
// for a leftover); false when there was nothing to remove.
bool dropOldestGeneration(const QString &dataDirectory, FileSystem &fs, QString *dropped);

struct Generation
{
    // "20261207-104233", "-2" and on for a later save in the same second; never given twice
    QString name;
    QString path; // with a trailing separator, as LoadData takes a folder
    QDateTime savedAt; // of the save that replaced it, from the name
    // When what it holds was saved; not valid for a generation made before this was recorded.
    QDateTime contentSavedAt;
    // A folder of its own; a symbolic link or anything else in its place is never read.
    bool plainFolder = false;
};
// The finished generations of a data folder, newest first. None from a backup/ folder others can
// change or that cannot be read; why, when given, then says so.
std::vector<Generation> listGenerations(
    const QString &dataDirectory, FileSystem &fs, GenerationFault *why = nullptr);

// What can be known of a generation without reading its records: the size and checksum of each
// file it keeps, where it lists them (contents), or else that each is there. listed says whether
// it lists them; where it does not (one made by an earlier version), the records themselves are
// all there is to check (unlikelyRecord).
GenerationFault checkGenerationFiles(const Generation &generation, FileSystem &fs, bool *listed);
// The first record in tables (read from a generation at folder) that no save writes: a text
// longer than its field, a date that is not a number, a kind of note there is not.
GenerationFault unlikelyRecord(const Tables &tables, const QString &folder);
