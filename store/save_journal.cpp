#include "store/save_journal.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QThread>

#include "store/atomic_file.h"
#include "store/data_file_names.h"
#include "store/data_files.h"
#include "store/file_read.h"
#include "store/generations.h"
#include "store/settings_file.h"

using namespace Qt::StringLiterals;

namespace {

// Text, one line per file: name, size, checksum (hex), temporary path and target path
// (percent-encoded file system bytes, relative to the journal's own folder, so that the journal
// means the same files however the folder is reached later: moved, through a link, spelt with
// "//"); the last line carries the checksum of everything before it, so a journal torn by a
// crash while it was written is recognised as such.

constexpr char JournalHeader[] = "tegata-save-journal 2";
// Journals of earlier versions checksum with Blake2b-256 and are still settled.
constexpr char Blake2bJournalHeader[] = "tegata-save-journal 1";
constexpr qint64 LargestJournal = 64 * 1024;

QString journalPath(const QString &directory)
{
    return directory + QString::fromUtf16(SaveJournalName);
}

QByteArray encodeJournal(const QString &directory, const std::vector<JournalEntry> &entries)
{
    const QString folder = canonicalPathOf(dataFolderOf(directory));
    const auto relative = [&](const QString &path) {
        return nativePath(relativePathIn(folder, placeOf(path))).toPercentEncoding();
    };
    QByteArray text = QByteArray(JournalHeader) + '\n';
    for (const JournalEntry &e : entries)
        text += e.name.toUtf8() + ' ' + QByteArray::number(e.size) + ' ' + e.checksum.toHex() + ' '
            + relative(e.temporary) + ' ' + relative(e.target) + '\n';
    return text + "end " + ContentChecksum::of(text).toHex() + '\n';
}

// A temporary file of ours: the target's name, ".tmp-" and the six characters of mkstemp.
bool isTemporaryOf(const QString &temporary, const QString &target)
{
    const QString prefix = target + u".tmp-"_s;
    if (temporary.size() != prefix.size() + 6 || !temporary.startsWith(prefix))
        return false;
    return std::all_of(temporary.end() - 6, temporary.end(),
        [](QChar c) { return c.isDigit() || (c.unicode() < 128 && c.isLetter()); });
}

// No call failed; otherwise the file it was about and the errno.
struct CheckFault
{
    QString file;
    int error = 0;
    bool failed() const { return error != 0; }
};

// What a journal left in the folder says.
struct DecodedJournal
{
    enum class State {
        Torn, // cut while it was written: no rename can have happened
        Unmatched, // whole, but not about this folder's data files: nothing of it is touched
        Matched,
    };
    State state = State::Torn;
    std::vector<JournalEntry> entries;
};

// The entries of a whole journal written by SaveData, their paths resolved against the folder
// as it is reached now. A journal of an earlier version names absolute paths; they are taken
// as they stand.
DecodedJournal decodeJournal(
    const QByteArray &text, const QString &directory, FileSystem &fs, CheckFault &fault)
{
    DecodedJournal decoded;
    if (!text.endsWith('\n'))
        return decoded;
    const qsizetype endLine = text.lastIndexOf('\n', text.size() - 2) + 1;
    const QByteArray body = text.left(endLine);
    const ChecksumKind kind = body.startsWith(QByteArray(Blake2bJournalHeader) + '\n')
        ? ChecksumKind::Blake2b256
        : ChecksumKind::Xxh3;
    if (endLine == 0
        || text.mid(endLine) != "end " + ContentChecksum::of(body, kind).toHex() + '\n')
        return decoded;
    decoded.state = DecodedJournal::State::Unmatched;
    QList<QByteArray> lines = body.split('\n');
    lines.removeLast();
    QStringList names = dataFileNames();
    // A copy from before the side file journals the designed three alone.
    if (lines.size() == static_cast<qsizetype>(DesignedDataFiles) + 1)
        names = names.mid(0, DesignedDataFiles);
    if (lines.size() != names.size() + 1
        || (lines[0] != JournalHeader && lines[0] != Blake2bJournalHeader))
        return decoded;
    const QString folder = dataFolderOf(directory);
    const auto path = [&](const QByteArray &field) {
        return resolvedIn(folder, pathFromNative(QByteArray::fromPercentEncoding(field)));
    };
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QList<QByteArray> fields = lines[i + 1].split(' ');
        if (fields.size() != 5)
            return decoded;
        JournalEntry e;
        bool sized = false;
        e.name = QString::fromUtf8(fields[0]);
        e.size = fields[1].toLongLong(&sized);
        e.checksum = QByteArray::fromHex(fields[2]);
        e.checksumKind = kind;
        e.temporary = path(fields[3]);
        e.target = path(fields[4]);
        int err = 0;
        const QString real = writeTarget(directory + e.name, &err, fs);
        // A link of another user's or one leading nowhere is an answer; a failed look is not.
        if (real.isEmpty() && err != EACCES && err != ELOOP && err != ENOENT) {
            fault = { directory + e.name, err };
            return decoded;
        }
        // Only ever touch the three data files of this folder and temporary files beside them.
        const QString place = placeOf(e.target);
        if (e.name != names[i] || !sized || e.size < 0 || place.isEmpty() || place != placeOf(real)
            || !isTemporaryOf(e.temporary, e.target))
            return decoded;
        decoded.entries.push_back(e);
    }
    decoded.state = DecodedJournal::State::Matched;
    return decoded;
}

// Writes and syncs the journal; 0 or the errno of the failure, the journal then removed.
int writeJournal(const QString &path, const QByteArray &content, FileSystem &fs)
{
    const QByteArray name = nativePath(path);
    // Never over another journal: an earlier save's is settled before a save begins.
    const int fd = fs.open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, NewFileMode);
    if (fd < 0)
        return errno;
    return finishNewFile(
        fs, fd, name, writeAll(fs, fd, content.constData(), static_cast<size_t>(content.size())));
}

// ---- Settling a save an earlier run did not finish ----

// What a check found; Unknown when a file call failed, so nothing can be said either way.
enum class Answer { Yes, No, Unknown };

bool isAbsence(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

// Whether path is a regular file of exactly this size and checksum.
Answer holds(FileSystem &fs, const QString &path, const JournalEntry &e, CheckFault &fault)
{
    const auto unknown = [&](int error) {
        fault = { path, error };
        return Answer::Unknown;
    };
    Fd fd(fs.open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK, 0), fs);
    if (fd.get() < 0)
        return isAbsence(errno) ? Answer::No : unknown(errno);
    struct stat info;
    if (fs.fstat(fd.get(), &info) != 0)
        return unknown(errno);
    if (!S_ISREG(info.st_mode) || info.st_size != e.size)
        return Answer::No;
    const ContentSum sum = readContentSum(fs, fd.get(), e.checksumKind);
    if (sum.error != 0)
        return unknown(sum.error);
    return sum.checksum == e.checksum ? Answer::Yes : Answer::No;
}

enum class FileState {
    CompleteTemporary, // the temporary file is whole; the rename is still to come
    AlreadyReplaced, // the target already holds the new content
    Broken, // neither: the save cannot be finished
    Unknown, // a look failed: neither finished nor undone (see fault)
};

struct CheckedEntry
{
    JournalEntry entry;
    FileState state;
    CheckFault fault;
};

CheckedEntry checked(const JournalEntry &e, Answer answer, FileState yes, const CheckFault &fault)
{
    switch (answer) {
    case Answer::Yes:
        return { e, yes, {} };
    case Answer::No:
        return { e, FileState::Broken, {} };
    case Answer::Unknown:
        break;
    }
    return { e, FileState::Unknown, fault };
}

// Only a plain file of its own (not a link, not a second name of another file) is ever renamed
// into a data file's place: anything else could lead the next save outside the folder.
CheckedEntry check(FileSystem &fs, const JournalEntry &e)
{
    CheckFault fault;
    struct stat info;
    if (fs.lstat(nativePath(e.temporary).constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || info.st_nlink != 1)
            return { e, FileState::Broken, {} };
        return checked(e, holds(fs, e.temporary, e, fault), FileState::CompleteTemporary, fault);
    }
    if (!isAbsence(errno))
        return { e, FileState::Unknown, { e.temporary, errno } };
    return checked(e, holds(fs, e.target, e, fault), FileState::AlreadyReplaced, fault);
}

// The files the journal names, each with the state it is found in.
std::vector<CheckedEntry> checkEntries(FileSystem &fs, const std::vector<JournalEntry> &entries)
{
    std::vector<CheckedEntry> found;
    for (const JournalEntry &e : entries)
        found.push_back(check(fs, e));
    return found;
}

// The first check that could not be made, if any.
const CheckedEntry *firstUnknown(const std::vector<CheckedEntry> &checked)
{
    const auto unknown = std::find_if(checked.begin(), checked.end(),
        [](const CheckedEntry &c) { return c.state == FileState::Unknown; });
    return unknown == checked.end() ? nullptr : &*unknown;
}

bool canRollForward(const std::vector<CheckedEntry> &checked)
{
    return std::none_of(checked.begin(), checked.end(),
        [](const CheckedEntry &c) { return c.state == FileState::Broken; });
}

// A journal that cannot be read whole is never taken for a torn one: it may name files. One
// that is not a small regular file is not ours (Unmatched); a read that failed is a check not
// made (fault set).
DecodedJournal readJournal(FileSystem &fs, const QString &directory, CheckFault &fault)
{
    const WholeFile read = readWholeFile(journalPath(directory), LargestJournal, fs);
    if (read.fault.kind == FileFault::Kind::System)
        fault = { journalPath(directory), read.fault.error };
    if (read.fault.isFault())
        return { DecodedJournal::State::Unmatched, {} };
    return decodeJournal(read.bytes, directory, fs, fault);
}

// Renames each complete temporary file over its target and makes the renames durable; only
// then does the journal go. When a rename fails, every temporary file is kept for the next try.
SettledSave rollForward(const std::vector<CheckedEntry> &checked, const QString &directory,
    FileSystem &fs, QStringList &keep)
{
    QStringList targets;
    for (const CheckedEntry &c : checked) {
        targets << c.entry.target;
        if (c.state != FileState::CompleteTemporary)
            continue;
        if (fs.rename(
                nativePath(c.entry.temporary).constData(), nativePath(c.entry.target).constData())
            != 0) {
            const int err = errno;
            for (const CheckedEntry &k : checked)
                keep << placeOf(k.entry.temporary);
            return { SettledSave::Outcome::RenameFailed, directory, c.entry.target, err, {} };
        }
    }
    QString failedFolder;
    int err = 0;
    // The journal stays on failure: the next start tries again.
    if (!syncFoldersOf(targets, fs, &failedFolder, &err))
        return { SettledSave::Outcome::FolderNotSynced, directory, failedFolder, err, {} };
    removeSaveJournal(directory, fs);
    return { SettledSave::Outcome::Finished, directory, {}, 0, {} };
}

// The save was cut off before its files were complete: nothing of it is kept.
SettledSave discard(
    const std::vector<CheckedEntry> &checked, const QString &directory, FileSystem &fs)
{
    QStringList alreadyNew;
    for (const CheckedEntry &c : checked) {
        if (c.state == FileState::AlreadyReplaced)
            alreadyNew << c.entry.target;
        else if (pathExists(fs, c.entry.temporary))
            fs.unlink(nativePath(c.entry.temporary).constData());
    }
    removeSaveJournal(directory, fs);
    if (alreadyNew.isEmpty())
        return { SettledSave::Outcome::Undone, directory, {}, 0, {} };
    // Only a file damaged after it was synced gets here.
    return { SettledSave::Outcome::PartlyNew, directory, {}, 0, alreadyNew };
}

// Removes temporary files of the data files that no journal names any more: left by a save
// that was cut off before its journal was complete. A folder that cannot be listed keeps them.
void removeStrayTemporaries(const QString &directory, const QStringList &keep, FileSystem &fs)
{
    for (const QString &name : dataFileNames()) {
        int err = 0;
        QStringList targets { absoluteFilePathOf(directory + name) };
        const QString real = writeTarget(directory + name, &err, fs);
        if (!real.isEmpty())
            targets << absoluteFilePathOf(real);
        targets.removeDuplicates();
        for (const QString &target : targets) {
            const QString folder = parentFolderOf(target);
            QStringList entries;
            if (!listFolder(fs, folder, entries, &err))
                continue;
            for (const QString &entry : entries) {
                const QString path = folder + u'/' + entry;
                if (isTemporaryOf(path, target) && !keep.contains(placeOf(path)))
                    fs.unlink(nativePath(path).constData());
            }
        }
    }
}

SettledSave unchecked(const QString &directory, const CheckFault &fault)
{
    return { SettledSave::Outcome::Unchecked, directory, fault.file, fault.error, {} };
}

} // namespace

SaveFailure writeSaveJournal(
    const QString &directory, const std::vector<JournalEntry> &entries, FileSystem &fs)
{
    const QString path = journalPath(directory);
    QStringList placed { path };
    for (const JournalEntry &e : entries)
        placed << e.target;
    SaveFailure failure;
    if (const int err = writeJournal(path, encodeJournal(directory, entries), fs); err != 0) {
        failure.phase = SaveFailure::Phase::Journal;
        failure.file = path;
        failure.fault = FileFault::system(err);
        return failure;
    }
    QString failedFolder;
    int err = 0;
    // The temporary files' names and the journal's must be on disk before the first rename.
    if (!syncFoldersOf(placed, fs, &failedFolder, &err)) {
        fs.unlink(nativePath(path).constData());
        failure.phase = SaveFailure::Phase::JournalSync;
        failure.file = failedFolder;
        failure.fault = FileFault::system(err);
    }
    return failure;
}

void removeSaveJournal(const QString &directory, FileSystem &fs)
{
    const QString path = journalPath(directory);
    fs.unlink(nativePath(path).constData());
    syncDirectoryOf(path, fs);
}

bool syncFoldersOf(const QStringList &paths, FileSystem &fs, QString *failed, int *error)
{
    QStringList folders;
    for (const QString &p : paths)
        folders << parentFolderOf(p);
    folders.removeDuplicates();
    for (const QString &folder : folders) {
        if (fs.syncDirectory(nativePath(folder).constData()) != 0) {
            *error = errno;
            *failed = folder;
            return false;
        }
    }
    return true;
}

Presence saveJournalLeft(FileSystem &fs, const QString &directory, int *error)
{
    return presenceOf(fs, journalPath(directory), error);
}

SettledSave awaitHoldersSave(
    const QString &directory, FileSystem &fs, std::chrono::milliseconds wait)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        int err = 0;
        const Presence journal = saveJournalLeft(fs, directory, &err);
        if (journal == Presence::Absent)
            return {};
        if (journal == Presence::Unknown)
            return unchecked(directory, { journalPath(directory), err });
        if (waited.elapsed() >= wait.count())
            return { SettledSave::Outcome::HolderSaving, directory, {}, 0, {} };
        QThread::msleep(20);
    }
}

SettledSave settleInterruptedSave(const QString &directory, FileSystem &fs)
{
    SettledSave settled;
    QStringList keep;
    int err = 0;
    const Presence left = saveJournalLeft(fs, directory, &err);
    // Nothing is removed on a guess: a journal that may be there keeps every temporary file.
    if (left == Presence::Unknown)
        return unchecked(directory, { journalPath(directory), err });
    if (left == Presence::Present) {
        CheckFault fault;
        const DecodedJournal journal = readJournal(fs, directory, fault);
        if (fault.failed())
            return unchecked(directory, fault);
        switch (journal.state) {
        case DecodedJournal::State::Unmatched:
            // Not a journal of these files as far as can be told: neither it nor any temporary
            // file is touched, and the user is told.
            return { SettledSave::Outcome::Unmatched, directory, journalPath(directory), 0, {} };
        case DecodedJournal::State::Torn:
            settled = discard({}, directory, fs);
            break;
        case DecodedJournal::State::Matched: {
            const std::vector<CheckedEntry> found = checkEntries(fs, journal.entries);
            if (const CheckedEntry *unknown = firstUnknown(found))
                return unchecked(directory, unknown->fault);
            settled = canRollForward(found) ? rollForward(found, directory, fs, keep)
                                            : discard(found, directory, fs);
            break;
        }
        }
    }
    removeStrayTemporaries(directory, keep, fs);
    // A generation is left unfinished only by a save cut off; it goes the way that save went.
    if (!settled.failed())
        settlePendingGenerations(directory, settled.outcome == SettledSave::Outcome::Finished, fs);
    return settled;
}
