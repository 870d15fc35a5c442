#include "store/data_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>

#include "store/atomic_file.h"
#include "store/data_file_names.h"
#include "store/file_read.h"
#include "store/io_error.h"
#include "store/save_journal.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

template <typename Record> struct TableFile
{
    std::vector<Record> &table;
    QString name;
    size_t diskSize;
};

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

template <typename Record>
bool loadTable(const TableFile<Record> &file, const QString &path, LoadReport &report)
{
    const size_t start = file.table.size();
    auto fault = [&](const QString &reason) {
        report.faults.push_back(
            { path, static_cast<qsizetype>(file.table.size() - start), reason });
        return false;
    };

    const qint64 limit = largestFile<Record>(file.diskSize);
    QString refused;
    qint64 size = 0;
    const Fd fd(openRegularFile(path, limit, &size, &refused));
    if (fd.get() < 0)
        return refused.isEmpty() ? true : fault(refused);
    file.table.reserve(start + static_cast<size_t>(size) / file.diskSize + 1);

    const size_t perChunk = std::max<size_t>(1, ChunkBytes / file.diskSize);
    std::unique_ptr<char[]> buffer(new char[perChunk * file.diskSize]);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = readFully(fd.get(), buffer.get(), perChunk * file.diskSize);
        if (got < 0)
            return fault(systemReason(errno));
        // A file that grows while it is read is still stopped at the limit.
        total += got;
        if (total > limit)
            return fault(tooLargeReason(total, limit));
        const size_t whole = static_cast<size_t>(got) / file.diskSize;
        const size_t at = file.table.size();
        file.table.resize(at + whole);
        for (size_t i = 0; i < whole; ++i) {
            std::memcpy(&file.table[at + i], buffer.get() + i * file.diskSize, file.diskSize);
            fitToDisk(file.table[at + i]);
        }
        if (static_cast<size_t>(got) % file.diskSize != 0)
            return fault(
                u"ファイルの最後のレコードが途中で切れています（%1 バイト中 %2 バイト）。"_s
                    .arg(file.diskSize)
                    .arg(static_cast<size_t>(got) % file.diskSize));
        if (static_cast<size_t>(got) < perChunk * file.diskSize)
            return true;
    }
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
bool keepBackup(const QString &path, QString &backupPath, int &error)
{
    if (!QFile::exists(path))
        return true;
    backupPath =
        path + u'.' + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s) + u".bak"_s;
    for (int n = 2; QFile::exists(backupPath); ++n)
        backupPath = path + u'.' + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s)
            + u'-' + QString::number(n) + u".bak"_s;
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(backupPath).constData()) == 0)
        return true;
    if (QFile::copy(path, backupPath))
        return true;
    error = errno != 0 ? errno : EIO;
    return false;
}

QString saveFailure(const QString &path, const QString &reason)
{
    return u"\nデータファイル「%1」を保存できませんでした。\n理由: %2\nどのデータファイルも置き換えていません。変更はまだ保存されていません。"_s
        .arg(path, reason);
}

using SaveFiles = std::array<AtomicFile *, 3>;

// Only a regular file is replaced: a folder of that name cannot be renamed over, and a FIFO or a
// device (a link to /dev/zero) is not a register to overwrite. Look before writing.
QString refuseIrregularTargets(const SaveFiles &files)
{
    for (const AtomicFile *f : files) {
        int err = 0;
        const QString real = writeTarget(f->target(), &err);
        struct stat info;
        if (!real.isEmpty() && ::stat(QFile::encodeName(real).constData(), &info) == 0
            && !S_ISREG(info.st_mode))
            return saveFailure(f->target(), notRegularFileReason(info.st_mode));
    }
    return {};
}

QString writeTables(const Tables &tables, const SaveFiles &files)
{
    const bool written = writeTable(tables.partners, PartnerDiskSize, *files[0])
        && writeTable(tables.notes, NoteDiskSize, *files[1])
        && writeTable(tables.banks, BankDiskSize, *files[2]);
    if (written)
        return {};
    const auto failed = std::find_if(
        files.begin(), files.end(), [](const AtomicFile *f) { return f->error() != 0; });
    const AtomicFile *culprit = failed != files.end() ? *failed : files[0];
    return saveFailure(
        culprit->target(), systemReason(culprit->error() != 0 ? culprit->error() : EIO));
}

// Before the journal: once it exists, a crash is finished by renaming, backup or not.
QString keepBackups(const QSet<QString> &incomplete, const QStringList &names,
    const SaveFiles &files, QStringList &backups)
{
    for (int i = 0; i < 3; ++i) {
        if (!incomplete.contains(names[i]))
            continue;
        QString backup;
        int error = 0;
        if (!keepBackup(files[i]->realTarget(), backup, error))
            return saveFailure(files[i]->target(), systemReason(error))
                + u"\n（元のファイルのバックアップを作れませんでした。）"_s;
        if (!backup.isEmpty())
            backups << backup;
    }
    return {};
}

std::vector<JournalEntry> journalEntries(const QStringList &names, const SaveFiles &files)
{
    std::vector<JournalEntry> entries;
    for (int i = 0; i < 3; ++i)
        entries.push_back({ names[i], files[i]->size(), files[i]->checksum(),
            files[i]->temporaryPath(), files[i]->realTarget() });
    return entries;
}

QString replaceDataFiles(
    QSet<QString> &incomplete, const QStringList &names, const SaveFiles &files)
{
    QStringList replaced;
    for (int i = 0; i < 3; ++i) {
        if (!files[i]->replaceTarget()) {
            // The journal and the remaining temporary files stay, so the next start finishes
            // this save.
            QStringList old;
            for (int j = i; j < 3; ++j) {
                files[j]->keepTemporary();
                old << files[j]->target();
            }
            return u"\nデータファイル「%1」を置き換えられませんでした。\n理由: %2\n"_s.arg(
                       files[i]->target(), systemReason(files[i]->error()))
                + (replaced.isEmpty()
                        ? u"どのデータファイルも置き換えていません。"_s
                        : u"次のファイルはすでに新しい内容です: %1\nまだ古い内容のファイル: %2"_s
                              .arg(quotedList(replaced), quotedList(old)))
                + u"\n保存は完了していません。もう一度保存してください。このまま終了した場合は、次の起動時にこの保存を最後まで行います。"_s;
        }
        replaced << files[i]->target();
        incomplete.remove(names[i]);
    }
    return {};
}

// The journal stays on failure: after a power cut the next start can still tell what was saved.
QString syncReplacedFiles(const SaveFiles &files, FileSystem &fs)
{
    QString failedFolder;
    int err = 0;
    if (syncFoldersOf({ files[0]->realTarget(), files[1]->realTarget(), files[2]->realTarget() },
            fs, &failedFolder, &err))
        return {};
    const QStringList replaced { files[0]->target(), files[1]->target(), files[2]->target() };
    return u"\nデータファイル %1 は新しい内容に置き換えましたが、フォルダー「%2」への書き込みを確定できませんでした。\n理由: %3\n停電などがあると、置き換えが失われるおそれがあります。もう一度保存してください。"_s
        .arg(quotedList(replaced), failedFolder, systemReason(err));
}

} // namespace

QString LoadReport::message() const
{
    QString text;
    if (recoveryFailed)
        text = recovery;
    if (!faults.empty()) {
        text += u"\nデータファイルを最後まで読み込めませんでした。"_s;
        for (const LoadFault &f : faults)
            text += u"\n\nファイル: %1\n読み込んだレコード: %2 件\n理由: %3"_s.arg(f.path)
                        .arg(f.recordsRead)
                        .arg(f.reason);
    }
    text +=
        u"\n\n読み込めたデータで作業を続けます。最初の保存の前に、元のファイルを同じフォルダーにバックアップとして残します。"_s;
    return text;
}

QString SaveReport::backupNotice() const
{
    if (backups.isEmpty())
        return {};
    return u"\n最後まで読み込めなかったデータファイルの元の内容を、次のファイルとして残しました。\n"_s
        + backups.join(u'\n');
}

LoadReport LoadData(Tables &tables, QSet<QString> &incomplete, const QString &directory,
    FileSystem &fs, InterruptedSave interrupted)
{
    LoadReport report;
    const SettledSave settled = interrupted == InterruptedSave::Settle
        ? settleInterruptedSave(directory, fs)
        : SettledSave {};
    report.recovery = settled.notice;
    report.recoveryFailed = settled.failed;
    if (settled.failed) {
        // Files of two saves may be mixed: keep every original before the next save replaces it.
        for (const QString &name : dataFileNames())
            incomplete.insert(name);
    }
    const auto load = [&](const auto &file) {
        const QString path = directory + file.name;
        if (!loadTable(file, path, report))
            incomplete.insert(file.name);
    };
    load(TableFile<PartnerRecord> {
        tables.partners, QString::fromUtf16(PartnerFileName), PartnerDiskSize });
    load(TableFile<NoteRecord> { tables.notes, QString::fromUtf16(NoteFileName), NoteDiskSize });
    load(TableFile<BankRecord> { tables.banks, QString::fromUtf16(BankFileName), BankDiskSize });
    return report;
}

SaveReport SaveData(
    const Tables &tables, QSet<QString> &incomplete, const QString &directory, FileSystem &fs)
{
    SaveReport report;
    const QStringList names = dataFileNames();
    AtomicFile partners(directory + names[0], 0644, false, fs);
    AtomicFile notes(directory + names[1], 0644, false, fs);
    AtomicFile banks(directory + names[2], 0644, false, fs);
    for (AtomicFile *f : { &partners, &notes, &banks })
        f->keepChecksum();
    const SaveFiles files { &partners, &notes, &banks };
    const auto fail = [&](const QString &message) {
        report.ok = false;
        report.message = message;
        return report;
    };

    if (const QString m = refuseIrregularTargets(files); !m.isEmpty())
        return fail(m);
    if (const QString m = writeTables(tables, files); !m.isEmpty())
        return fail(m);
    if (const QString m = keepBackups(incomplete, names, files, report.backups); !m.isEmpty())
        return fail(m);
    if (const QString m = writeSaveJournal(directory, journalEntries(names, files), fs);
        !m.isEmpty())
        return fail(m);
    if (const QString m = replaceDataFiles(incomplete, names, files); !m.isEmpty())
        return fail(m);
    if (const QString m = syncReplacedFiles(files, fs); !m.isEmpty())
        return fail(m);
    // The save is complete. A journal that cannot be removed names files already in place and is
    // cleared at the next start.
    removeSaveJournal(directory, fs);
    return report;
}
