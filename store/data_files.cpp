#include "store/data_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>

#include "core/sjis.h"
#include "store/atomic_file.h"
#include "store/content_checksum.h"
#include "store/data_file_names.h"
#include "store/file_read.h"
#include "store/note_extension_file.h"
#include "store/save_journal.h"

using namespace Qt::StringLiterals;

namespace {

// What a table of these records may take in memory, as a size of the file holding them.
template <typename Record> qint64 largestFile(size_t diskSize)
{
    return memoryBudget() / static_cast<qint64>(sizeof(Record)) * static_cast<qint64>(diskSize);
}

// A text the disk form cuts short (a bank name past 62 bytes, an entered-by name past 31) may
// carry a length byte beyond the bytes on disk; it reads back as the whole characters present,
// never with the zero bytes behind them.
template <std::size_t N> void holdToDisk(ShortText<N> &text, std::size_t onDisk)
{
    if (text.length <= onDisk)
        return;
    const std::size_t stored = text.length < N ? text.length : N;
    const QByteArray kept = sjis::cutBytes(
        QByteArray(text.room, static_cast<qsizetype>(stored)), static_cast<int>(onDisk));
    text.length = static_cast<std::uint8_t>(kept.size());
}

void fitToDisk(PartnerRecord &) { }
void fitToDisk(NoteRecord &note)
{
    holdToDisk(note.EnteredBy, EnteredByDiskText);
}
void fitToDisk(BankRecord &bank)
{
    holdToDisk(bank.Name, BankNameDiskText);
}

// Reads fd to its end in chunks of whole records, handing each chunk's records to take, whose
// fault ends the reading there. total and checksum count every byte read.
template <typename Take>
FileFault readRecords(FileSystem &fs, int fd, size_t recordSize, qint64 limit, qint64 &total,
    ContentChecksum &checksum, Take take)
{
    const size_t perChunk = std::max<size_t>(1, ChunkBytes / recordSize);
    std::unique_ptr<char[]> buffer(new char[perChunk * recordSize]);
    for (;;) {
        const ssize_t got = readFully(fs, fd, buffer.get(), perChunk * recordSize);
        if (got < 0)
            return FileFault::system(errno);
        checksum.add(QByteArrayView(buffer.get(), got));
        // A file that grows while it is read is still stopped at the limit.
        total += got;
        if (total > limit)
            return FileFault::tooLarge(total, limit);
        const FileFault refused = take(buffer.get(), static_cast<size_t>(got) / recordSize);
        if (refused.isFault())
            return refused;
        if (static_cast<size_t>(got) % recordSize != 0)
            return FileFault::cutRecord(static_cast<qint64>(recordSize),
                static_cast<qint64>(static_cast<size_t>(got) % recordSize));
        if (static_cast<size_t>(got) < perChunk * recordSize)
            return {};
    }
}

// content is what a whole file held, for the generation a later save makes of it.
template <typename Record>
bool loadTable(std::vector<Record> &table, size_t diskSize, const QString &path, LoadReport &report,
    FileSystem &fs, FileContent &content)
{
    const size_t start = table.size();
    auto fault = [&](const FileFault &why) {
        report.faults.push_back({ path, static_cast<qsizetype>(table.size() - start), why });
        return false;
    };

    const qint64 limit = largestFile<Record>(diskSize);
    FileFault refused;
    qint64 size = 0;
    const Fd fd(openRegularFile(path, limit, &size, &refused, fs), fs);
    if (fd.get() < 0)
        return refused.isFault() ? fault(refused) : true;
    table.reserve(start + static_cast<size_t>(size) / diskSize + 1);

    qint64 total = 0;
    ContentChecksum checksum;
    const FileFault why = readRecords(
        fs, fd.get(), diskSize, limit, total, checksum, [&](const char *bytes, size_t whole) {
            const size_t at = table.size();
            table.resize(at + whole);
            for (size_t i = 0; i < whole; ++i) {
                std::memcpy(&table[at + i], bytes + i * diskSize, diskSize);
                fitToDisk(table[at + i]);
            }
            return FileFault {};
        });
    if (why.isFault())
        return fault(why);
    content = { total, checksum.result() };
    return true;
}

// The side file: its header, then its records, matched with the notes already read. A record
// that cannot be ours stops the reading there, keeping the ones before it, as a cut record does
// in a table.
bool loadNoteExtensions(
    Tables &tables, const QString &path, LoadReport &report, FileSystem &fs, FileContent &content)
{
    std::vector<ExtensionRecord> records;
    const auto finish = [&](const FileFault &why) {
        const auto read = static_cast<qsizetype>(records.size());
        tables.extensions = matchExtensions(tables.notes, std::move(records));
        if (why.isFault())
            report.faults.push_back({ path, read, why });
        return !why.isFault();
    };
    const qint64 limit = memoryBudget()
        / static_cast<qint64>(sizeof(densai::NoteExtension) + sizeof(ExtensionRecord))
        * static_cast<qint64>(ExtensionRecordSize);
    FileFault refused;
    qint64 size = 0;
    const Fd fd(openRegularFile(path, limit, &size, &refused, fs), fs);
    if (fd.get() < 0)
        return refused.isFault() ? finish(refused) : true;
    ContentChecksum checksum;
    char header[ExtensionHeaderSize];
    const ssize_t headerRead = readFully(fs, fd.get(), header, sizeof header);
    if (headerRead < 0)
        return finish(FileFault::system(errno));
    checksum.add(QByteArrayView(header, headerRead));
    if (headerRead == 0) {
        content = { 0, checksum.result() };
        return finish({});
    }
    if (static_cast<size_t>(headerRead) < sizeof header
        || readExtensionHeader(header) != ExtensionHeader::Readable)
        return finish({ FileFault::Kind::UnknownForm, 0, 0, 0 });
    records.reserve(static_cast<size_t>(size) / ExtensionRecordSize);
    qint64 total = headerRead;
    const FileFault why = readRecords(fs, fd.get(), ExtensionRecordSize, limit, total, checksum,
        [&](const char *bytes, size_t whole) {
            for (size_t i = 0; i < whole; ++i) {
                ExtensionRecord record;
                if (!decodeExtensionRecord(bytes + i * ExtensionRecordSize, record))
                    return FileFault::badRecord(static_cast<qint64>(records.size()) + 1);
                records.push_back(record);
            }
            return FileFault {};
        });
    if (!why.isFault())
        content = { total, checksum.result() };
    return finish(why);
}

bool writeNoteExtensions(const Tables &tables, AtomicFile &out)
{
    if (!out.open() || !out.write(extensionFileHeader()))
        return false;
    const std::size_t count = extensionRecordCount(tables.extensions);
    const size_t perChunk = std::max<size_t>(1, ChunkBytes / ExtensionRecordSize);
    QByteArray chunk;
    for (std::size_t at = 0; at < count; at += perChunk) {
        chunk.clear();
        appendExtensionRecords(
            chunk, tables.notes, tables.extensions, at, std::min(perChunk, count - at));
        if (!out.write(chunk))
            return false;
    }
    return out.finish();
}

template <typename Record>
bool writeTable(const std::vector<Record> &table, size_t diskSize, AtomicFile &out)
{
    if (!out.open())
        return false;
    const size_t perChunk = std::max<size_t>(1, ChunkBytes / diskSize);
    std::unique_ptr<char[]> buffer(new char[perChunk * diskSize]);
    for (size_t at = 0; at < table.size(); at += perChunk) {
        const size_t count = std::min(perChunk, table.size() - at);
        for (size_t i = 0; i < count; ++i)
            std::memcpy(buffer.get() + i * diskSize, &table[at + i], diskSize);
        if (!out.write(buffer.get(), count * diskSize))
            return false;
    }
    return out.finish();
}

// Keeps the original of an incompletely loaded file under a new name. A hard link is instant
// and needs no space; a copy serves where links are not possible. path is the file itself, never
// a link to it: a link to a link would follow the replacement.
bool keepBackup(const QString &path, QString &backupPath, int &error, FileSystem &fs)
{
    const Presence original = presenceOf(fs, path, &error);
    if (original != Presence::Present)
        return original == Presence::Absent;
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    backupPath = path + u'.' + stamp + u".bak"_s;
    for (int n = 2;; ++n) {
        const Presence taken = presenceOf(fs, backupPath, &error);
        if (taken == Presence::Unknown)
            return false;
        if (taken == Presence::Absent)
            break;
        backupPath = path + u'.' + stamp + u'-' + QString::number(n) + u".bak"_s;
    }
    error = linkOrCopy(fs, path, backupPath);
    return error == 0;
}

SaveFailure failedAt(SaveFailure::Phase phase, const QString &file, const FileFault &fault)
{
    SaveFailure failure;
    failure.phase = phase;
    failure.file = file;
    failure.fault = fault;
    return failure;
}

// The data files a save writes, in the order of DataFiles: the side file only when there is
// something to keep in it or it is there already, so a register of paper notes stays as it was.
using SaveFiles = std::vector<AtomicFile *>;
using SaveWriters = std::vector<std::unique_ptr<AtomicFile>>;

// Only a regular file is replaced: a folder of that name cannot be renamed over, and a FIFO or a
// device (a link to /dev/zero) is not a register to overwrite. Look before writing.
SaveFailure refuseIrregularTargets(const SaveFiles &files, FileSystem &fs)
{
    for (const AtomicFile *f : files) {
        int err = 0;
        const QString real = writeTarget(f->target(), &err, fs);
        struct stat info;
        if (!real.isEmpty() && fs.stat(nativePath(real).constData(), &info) == 0
            && !S_ISREG(info.st_mode))
            return failedAt(SaveFailure::Phase::Check, f->target(), notRegularFault(info.st_mode));
    }
    return {};
}

SaveFailure writeTables(const Tables &tables, const SaveFiles &files)
{
    bool written = true;
    for (std::size_t i = 0; written && i < files.size(); ++i)
        written = DataFiles[i].noteExtensions
            ? writeNoteExtensions(tables, *files[i])
            : withTable(tables, DataFiles[i].table, [&](const auto &table) {
                  return writeTable(table, DataFiles[i].diskSize, *files[i]);
              });
    if (written)
        return {};
    const auto failed = std::find_if(
        files.begin(), files.end(), [](const AtomicFile *f) { return f->error() != 0; });
    const AtomicFile *culprit = failed != files.end() ? *failed : files[0];
    return failedAt(SaveFailure::Phase::Write, culprit->target(),
        FileFault::system(culprit->error() != 0 ? culprit->error() : EIO));
}

// Before the journal: once it exists, a crash is finished by renaming, backup or not.
SaveFailure keepBackups(const QSet<QString> &incomplete, const QStringList &names,
    const SaveFiles &files, QStringList &backups, FileSystem &fs)
{
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!incomplete.contains(names[i]))
            continue;
        QString backup;
        int error = 0;
        if (!keepBackup(files[i]->realTarget(), backup, error, fs))
            return failedAt(
                SaveFailure::Phase::Backup, files[i]->target(), FileFault::system(error));
        if (!backup.isEmpty())
            backups << backup;
    }
    return {};
}

QStringList realTargets(const SaveFiles &files)
{
    QStringList targets;
    for (const AtomicFile *f : files)
        targets << f->realTarget();
    return targets;
}

// New writers for the same files, the old ones' temporary files removed.
void renewWriters(SaveWriters &writers, SaveFiles &files, FileSystem &fs)
{
    for (std::size_t i = 0; i < writers.size(); ++i) {
        writers[i] = std::make_unique<AtomicFile>(writers[i]->target(), NewFileMode, false, fs);
        writers[i]->keepChecksum();
        files[i] = writers[i].get();
    }
}

std::vector<JournalEntry> journalEntries(const QStringList &names, const SaveFiles &files)
{
    std::vector<JournalEntry> entries;
    for (std::size_t i = 0; i < files.size(); ++i)
        entries.push_back({ names[i], files[i]->size(), files[i]->checksum(), ChecksumKind::Xxh3,
            files[i]->temporaryPath(), files[i]->realTarget() });
    return entries;
}

SaveFailure replaceDataFiles(
    QSet<QString> &incomplete, const QStringList &names, const SaveFiles &files)
{
    QStringList replaced;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->replaceTarget()) {
            // The journal and the remaining temporary files stay, so the next start finishes
            // this save.
            SaveFailure failure = failedAt(SaveFailure::Phase::Replace, files[i]->target(),
                FileFault::system(files[i]->error()));
            failure.replaced = replaced;
            for (std::size_t j = i; j < files.size(); ++j) {
                files[j]->keepTemporary();
                failure.notReplaced << files[j]->target();
            }
            return failure;
        }
        replaced << files[i]->target();
        incomplete.remove(names[i]);
    }
    return {};
}

// The journal stays on failure: after a power cut the next start can still tell what was saved.
SaveFailure syncReplacedFiles(const SaveFiles &files, FileSystem &fs)
{
    QStringList real, replaced;
    for (const AtomicFile *f : files) {
        real << f->realTarget();
        replaced << f->target();
    }
    QString failedFolder;
    int err = 0;
    if (syncFoldersOf(real, fs, &failedFolder, &err))
        return {};
    SaveFailure failure =
        failedAt(SaveFailure::Phase::FolderSync, failedFolder, FileFault::system(err));
    failure.replaced = replaced;
    return failure;
}

// Files of two saves may be mixed: every original is kept before the next save replaces it.
void distrustAll(QSet<QString> &incomplete)
{
    for (const QString &name : dataFileNames())
        incomplete.insert(name);
}

void readDataFiles(Tables &tables, QSet<QString> &incomplete, const QString &directory,
    LoadReport &report, FileSystem &fs)
{
    for (const DataFile &file : DataFiles) {
        const QString name = file.fileName();
        FileContent &content = report.contents[static_cast<std::size_t>(&file - DataFiles.data())];
        const bool whole = file.noteExtensions
            ? loadNoteExtensions(tables, directory + name, report, fs, content)
            : withTable(tables, file.table, [&](auto &table) {
                  return loadTable(table, file.diskSize, directory + name, report, fs, content);
              });
        if (!whole)
            incomplete.insert(name);
    }
}

// How often a copy without the lock reads the files again when the holder saved meanwhile.
constexpr int ReadsBesideHolder = 3;

// A copy without the lock reads while the holder may save. A save that falls between its reads
// of two files would show a register that never existed, so the files must be the same ones
// after the reads as before, with no save under way; otherwise they are read again.
LoadReport readBesideHolder(Tables &tables, QSet<QString> &incomplete, const QString &directory,
    FileSystem &fs, std::chrono::milliseconds holderWait)
{
    std::array<std::size_t, DataFiles.size()> start;
    for (std::size_t i = 0; i < DataFiles.size(); ++i)
        start[i] = withTable(tables, DataFiles[i].table, [](auto &t) { return t.size(); });
    const densai::NoteExtensions extensions = tables.extensions;
    LoadReport report;
    for (int attempt = 0; attempt < ReadsBesideHolder; ++attempt) {
        for (std::size_t i = 0; i < DataFiles.size(); ++i)
            withTable(tables, DataFiles[i].table, [&](auto &t) { t.resize(start[i]); });
        tables.extensions = extensions;
        report = {};
        report.recovery = awaitHoldersSave(directory, fs, holderWait);
        QSet<QString> read;
        const auto before = dataFileIdentities(directory, fs);
        readDataFiles(tables, read, directory, report, fs);
        const bool settled = report.recovery.outcome == SettledSave::Outcome::NoJournal;
        if (!settled
            || (dataFileIdentities(directory, fs) == before
                && saveJournalLeft(fs, directory) == Presence::Absent)) {
            incomplete += read;
            if (report.recovery.failed())
                distrustAll(incomplete);
            return report;
        }
        if (attempt + 1 == ReadsBesideHolder) {
            incomplete += read;
            report.recovery = { SettledSave::Outcome::HolderSaving, directory, {}, 0, {} };
        }
    }
    return report;
}

} // namespace

LoadReport LoadData(Tables &tables, QSet<QString> &incomplete, const QString &directory,
    FileSystem &fs, InterruptedSave interrupted, std::chrono::milliseconds holderWait)
{
    if (interrupted == InterruptedSave::LeaveToLockHolder)
        return readBesideHolder(tables, incomplete, directory, fs, holderWait);
    LoadReport report;
    report.recovery = settleInterruptedSave(directory, fs);
    if (report.recovery.failed())
        distrustAll(incomplete);
    readDataFiles(tables, incomplete, directory, report, fs);
    return report;
}

bool LoadGeneration(
    const Generation &generation, Tables &tables, FileSystem &fs, GenerationFault *why)
{
    bool listed = false;
    GenerationFault fault = checkGenerationFiles(generation, fs, &listed);
    if (!fault.failed()) {
        QSet<QString> incomplete;
        const LoadReport report = LoadData(tables, incomplete, generation.path, fs,
            InterruptedSave::LeaveToLockHolder, std::chrono::milliseconds(0));
        if (!report.faults.empty())
            fault = { report.faults.front().path, report.faults.front().fault,
                GenerationFault::Kind::File };
        else if (report.recovery.failed())
            fault = { generation.path + QString::fromUtf16(SaveJournalName),
                FileFault::system(EBUSY), GenerationFault::Kind::File };
        // Without the list of what it keeps, its records are all there is to go by.
        else if (!listed)
            fault = unlikelyRecord(tables, generation.path);
    }
    if (why != nullptr)
        *why = fault;
    return !fault.failed();
}

SaveReport SaveData(const Tables &tables, QSet<QString> &incomplete, const QString &directory,
    FileSystem &fs, const GenerationPolicy &generations)
{
    SaveReport report;
    // A save left by an earlier run is finished or undone first: its journal is never written
    // over, and a save on top of one that cannot be settled could mix three saves.
    if (saveJournalLeft(fs, directory) != Presence::Absent) {
        report.earlierSave = settleInterruptedSave(directory, fs);
        if (report.earlierSave.failed()) {
            report.failure.phase = SaveFailure::Phase::Unsettled;
            report.failure.file = directory + QString::fromUtf16(SaveJournalName);
            return report;
        }
    }
    QStringList names = dataFileNames();
    const QString sideFile = directory + QString::fromUtf16(NoteExtensionFileName);
    if (tables.extensions.empty() && presenceOf(fs, sideFile) == Presence::Absent)
        names = names.mid(0, DesignedDataFiles);
    SaveWriters writers;
    SaveFiles files;
    for (const QString &name : names) {
        writers.push_back(std::make_unique<AtomicFile>(directory + name, NewFileMode, false, fs));
        writers.back()->keepChecksum();
        files.push_back(writers.back().get());
    }
    PendingGeneration generation;
    // Near a full disk the generations give way to the save: this save's first, then the oldest,
    // and the step that found no room is tried again. Only before the journal: after it, the
    // renames need no room.
    bool journalWritten = false;
    const auto makeRoom = [&](const SaveFailure &failure) {
        if (journalWritten || !noRoom(failure.fault))
            return false;
        if (generation.prepared()) {
            generation.dropForRoom(fs, failure.fault);
            return true;
        }
        QString dropped;
        if (!dropOldestGeneration(directory, fs, &dropped))
            return false;
        if (!dropped.isEmpty())
            report.generationsDropped << dropped;
        return true;
    };
    int writes = 0;
    QSet<QString> backedUp;
    const auto steps = {
        std::function<SaveFailure()>([&] { return refuseIrregularTargets(files, fs); }),
        std::function<SaveFailure()>([&] {
            // A try after room was made starts each file afresh.
            if (writes++ > 0)
                renewWriters(writers, files, fs);
            return writeTables(tables, files);
        }),
        std::function<SaveFailure()>([&] {
            // A file at a time, so that a try after room was made keeps no original twice.
            for (const QString &name : names) {
                if (!incomplete.contains(name) || backedUp.contains(name))
                    continue;
                const SaveFailure failure = keepBackups({ name }, names, files, report.backups, fs);
                if (failure.failed())
                    return failure;
                backedUp << name;
            }
            return SaveFailure {};
        }),
        std::function<SaveFailure()>([&] {
            // Never a reason to stop the save: it goes on without a generation and says so. On a
            // full disk the oldest generations give way to this one.
            if (generations.kept <= 0)
                return SaveFailure {};
            QString dropped;
            const std::vector<FileContent> known(
                generations.replacing.begin(), generations.replacing.end());
            while (!generation.prepare(directory, realTargets(files), names, generations.at,
                       generations.contentSavedAt, fs, known)
                && noRoom(generation.fault().fault)
                && dropOldestGeneration(directory, fs, &dropped)) {
                if (!dropped.isEmpty())
                    report.generationsDropped << dropped;
            }
            return SaveFailure {};
        }),
        std::function<SaveFailure()>([&] {
            SaveFailure failure = writeSaveJournal(directory, journalEntries(names, files), fs);
            journalWritten = !failure.failed();
            return failure;
        }),
        std::function<SaveFailure()>([&] { return replaceDataFiles(incomplete, names, files); }),
        std::function<SaveFailure()>([&] { return syncReplacedFiles(files, fs); }),
    };
    for (const auto &step : steps) {
        report.failure = step();
        while (report.failure.failed() && makeRoom(report.failure))
            report.failure = step();
        if (!report.failure.failed())
            continue;
        // Once the journal is written, the next start finishes or undoes the save, and its
        // generation with it.
        if (saveJournalLeft(fs, directory) == Presence::Absent)
            generation.discard(fs);
        report.generationFault = generation.fault();
        return report;
    }
    if (generation.prepared() && generation.finish(fs))
        report.generation = generation.path();
    report.generationFault = generation.fault();
    // The save is complete. A journal that cannot be removed names files already in place and is
    // cleared at the next start.
    removeSaveJournal(directory, fs);
    pruneGenerations(directory, generations.kept, fs, report.generation);
    for (std::size_t i = 0; i < files.size(); ++i)
        report.written[i] = { files[i]->size(), files[i]->checksum() };
    return report;
}

std::array<FileIdentity, DataFiles.size()> dataFileIdentities(
    const QString &directory, FileSystem &fs)
{
    std::array<FileIdentity, DataFiles.size()> found;
    for (std::size_t i = 0; i < DataFiles.size(); ++i)
        found[i] = identityOf(fs, directory + DataFiles[i].fileName());
    return found;
}
