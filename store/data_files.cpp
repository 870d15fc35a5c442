#include "store/data_files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/atomic_file.h"
#include "store/io_error.h"

using namespace Qt::StringLiterals;

namespace {

// Records are moved through a buffer of this many bytes at most, so a load or save never holds a
// second copy of a whole table.
constexpr size_t ChunkBytes = 1 << 20;

template <typename Record> struct TableFile
{
    std::vector<Record> &table;
    QString name;
    size_t diskSize;
};

class Fd
{
public:
    explicit Fd(int fd)
        : fd_(fd)
    {
    }
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads up to size bytes; fewer only at the end of the file. -1 on error.
ssize_t readFully(int fd, char *buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// What a table of these records may take in memory, as a size of the file holding them.
template <typename Record> qint64 largestFile(size_t diskSize)
{
    return memoryBudget() / static_cast<qint64>(sizeof(Record)) * static_cast<qint64>(diskSize);
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

    const QByteArray name = QFile::encodeName(path);
    const qint64 limit = largestFile<Record>(file.diskSize);
    struct stat info;
    // Look before opening: opening a FIFO would wait for a writer.
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT ? true : fault(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return fault(notRegularFileReason(info.st_mode));
    if (info.st_size > limit)
        return fault(tooLargeReason(info.st_size, limit));
    Fd fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return fault(systemReason(errno));
    // The name may have been replaced between the look and the open.
    if (::fstat(fd.get(), &info) != 0)
        return fault(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return fault(notRegularFileReason(info.st_mode));
    if (info.st_size > limit)
        return fault(tooLargeReason(info.st_size, limit));
    file.table.reserve(start + static_cast<size_t>(info.st_size) / file.diskSize + 1);

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
        for (size_t i = 0; i < whole; ++i)
            std::memcpy(&file.table[at + i], buffer.get() + i * file.diskSize, file.diskSize);
        if (static_cast<size_t>(got) % file.diskSize != 0)
            return fault(
                u"ファイルの最後のレコードが途中で切れています（%1 バイト中 %2 バイト）。"_s
                    .arg(file.diskSize)
                    .arg(static_cast<size_t>(got) % file.diskSize));
        if (static_cast<size_t>(got) < perChunk * file.diskSize)
            return true;
    }
}

template <typename Record> bool writeTable(const TableFile<Record> &file, AtomicFile &out)
{
    if (!out.open())
        return false;
    const size_t perChunk = std::max<size_t>(1, ChunkBytes / file.diskSize);
    std::unique_ptr<char[]> buffer(new char[perChunk * file.diskSize]);
    for (size_t at = 0; at < file.table.size(); at += perChunk) {
        const size_t count = std::min(perChunk, file.table.size() - at);
        for (size_t i = 0; i < count; ++i)
            std::memcpy(buffer.get() + i * file.diskSize, &file.table[at + i], file.diskSize);
        if (!out.write(buffer.get(), count * file.diskSize))
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

QString quotedList(const QStringList &paths)
{
    QString text;
    for (const QString &p : paths)
        text += u"「%1」"_s.arg(p);
    return text;
}

QStringList dataFileNames()
{
    return { QString::fromUtf16(PartnerFileName), QString::fromUtf16(NoteFileName),
        QString::fromUtf16(BankFileName) };
}

// ---- The save journal ----
//
// Text, one line per file: name, size, checksum (hex), temporary path and target path
// (percent-encoded file system bytes); the last line carries the checksum of everything before
// it, so a journal torn by a crash while it was written is recognised as such.

constexpr char JournalHeader[] = "tegata-save-journal 1";
constexpr qint64 LargestJournal = 64 * 1024;

struct JournalEntry
{
    QString name;
    qint64 size = 0;
    QByteArray checksum;
    QString temporary;
    QString target;
};

QByteArray encodeJournal(const std::vector<JournalEntry> &entries)
{
    QByteArray text = QByteArray(JournalHeader) + '\n';
    for (const JournalEntry &e : entries)
        text += e.name.toUtf8() + ' ' + QByteArray::number(e.size) + ' ' + e.checksum.toHex() + ' '
            + QFile::encodeName(e.temporary).toPercentEncoding() + ' '
            + QFile::encodeName(e.target).toPercentEncoding() + '\n';
    return text + "end " + QCryptographicHash::hash(text, ContentHash).toHex() + '\n';
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

// The entries of a whole journal written by SaveData for this folder; nothing for a torn or
// foreign one.
std::optional<std::vector<JournalEntry>> decodeJournal(
    const QByteArray &text, const QString &directory)
{
    if (!text.endsWith('\n'))
        return std::nullopt;
    const qsizetype endLine = text.lastIndexOf('\n', text.size() - 2) + 1;
    const QByteArray body = text.left(endLine);
    if (endLine == 0
        || text.mid(endLine) != "end " + QCryptographicHash::hash(body, ContentHash).toHex() + '\n')
        return std::nullopt;
    QList<QByteArray> lines = body.split('\n');
    lines.removeLast();
    const QStringList names = dataFileNames();
    if (lines.size() != names.size() + 1 || lines[0] != JournalHeader)
        return std::nullopt;
    std::vector<JournalEntry> entries;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QList<QByteArray> fields = lines[i + 1].split(' ');
        if (fields.size() != 5)
            return std::nullopt;
        JournalEntry e;
        bool sized = false;
        e.name = QString::fromUtf8(fields[0]);
        e.size = fields[1].toLongLong(&sized);
        e.checksum = QByteArray::fromHex(fields[2]);
        e.temporary = QFile::decodeName(QByteArray::fromPercentEncoding(fields[3]));
        e.target = QFile::decodeName(QByteArray::fromPercentEncoding(fields[4]));
        int err = 0;
        // Only ever touch the three data files of this folder and temporary files beside them.
        if (e.name != names[i] || !sized || e.size < 0
            || e.target != writeTarget(directory + e.name, &err)
            || !isTemporaryOf(e.temporary, e.target))
            return std::nullopt;
        entries.push_back(e);
    }
    return entries;
}

// True when path is a regular file of exactly this size and checksum.
bool holds(const QString &path, qint64 size, const QByteArray &checksum)
{
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)
        || info.st_size != size)
        return false;
    QCryptographicHash hash(ContentHash);
    std::unique_ptr<char[]> buffer(new char[ChunkBytes]);
    for (;;) {
        const ssize_t got = readFully(fd.get(), buffer.get(), ChunkBytes);
        if (got < 0)
            return false;
        hash.addData(QByteArrayView(buffer.get(), got));
        if (static_cast<size_t>(got) < ChunkBytes)
            break;
    }
    return hash.result() == checksum;
}

bool exists(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QStringList foldersOf(const QStringList &paths)
{
    QStringList folders;
    for (const QString &p : paths)
        folders << QFileInfo(p).absolutePath();
    folders.removeDuplicates();
    return folders;
}

bool syncFolders(const QStringList &folders, FileSystem &fs, QString *failed)
{
    for (const QString &folder : folders) {
        if (fs.syncDirectory(QFile::encodeName(folder).constData()) != 0) {
            *failed = folder;
            return false;
        }
    }
    return true;
}

// Removes temporary files of the data files that no journal names any more: left by a save
// that was cut off before its journal was complete.
void removeStrayTemporaries(const QString &directory, const QStringList &keep, FileSystem &fs)
{
    for (const QString &name : dataFileNames()) {
        int err = 0;
        QStringList targets { QFileInfo(directory + name).absoluteFilePath() };
        const QString real = writeTarget(directory + name, &err);
        if (!real.isEmpty())
            targets << real;
        for (const QString &target : targets) {
            const QFileInfo info(target);
            const QDir folder = info.absoluteDir();
            for (const QString &entry :
                folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
                const QString path = folder.filePath(entry);
                if (isTemporaryOf(path, info.absoluteFilePath()) && !keep.contains(path))
                    fs.unlink(QFile::encodeName(path).constData());
            }
        }
    }
}

// Settles a save that an earlier run did not finish, before anything is read.
void finishInterruptedSave(
    AppState &state, const QString &directory, FileSystem &fs, LoadReport &report)
{
    const QString journalPath = directory + QString::fromUtf16(SaveJournalName);
    const QByteArray journalName = QFile::encodeName(journalPath);
    const QString folder = QFileInfo(journalPath).absolutePath();
    QStringList keep;
    struct stat info;
    if (::lstat(journalName.constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        const WholeFile read = readWholeFile(journalPath, LargestJournal);
        const auto entries =
            read.reason.isEmpty() ? decodeJournal(read.bytes, directory) : std::nullopt;
        enum class State { Complete, Replaced, Broken };
        std::vector<State> states;
        if (entries) {
            for (const JournalEntry &e : *entries) {
                if (exists(e.temporary))
                    states.push_back(
                        holds(e.temporary, e.size, e.checksum) ? State::Complete : State::Broken);
                else
                    states.push_back(
                        holds(e.target, e.size, e.checksum) ? State::Replaced : State::Broken);
            }
        }
        const bool complete = entries && std::none_of(states.begin(), states.end(), [](State s) {
            return s == State::Broken;
        });
        if (complete) {
            QStringList targets;
            for (size_t i = 0; i < entries->size(); ++i) {
                const JournalEntry &e = (*entries)[i];
                targets << e.target;
                if (states[i] != State::Complete)
                    continue;
                if (fs.rename(QFile::encodeName(e.temporary).constData(),
                        QFile::encodeName(e.target).constData())
                    != 0) {
                    const int err = errno;
                    for (const JournalEntry &k : *entries)
                        keep << k.temporary;
                    report.recoveryFailed = true;
                    report.recovery =
                        u"\n前回の保存が途中で中断されていました。その保存を最後まで行おうとしましたが、データファイル「%1」を置き換えられませんでした。\n理由: %2\nデータファイルの一部だけが新しい内容になっているおそれがあります。"_s
                            .arg(e.target, systemReason(err));
                    break;
                }
            }
            QString failed;
            if (!report.recoveryFailed && syncFolders(foldersOf(targets), fs, &failed)) {
                fs.unlink(journalName.constData());
                fs.syncDirectory(QFile::encodeName(folder).constData());
                report.recovery =
                    u"\n前回の保存が途中で中断されていましたが、書き込みは終わっていたため、その保存を完了しました。\nフォルダー: %1"_s
                        .arg(directory);
            } else if (!report.recoveryFailed) {
                // The journal stays: the next start tries again.
                report.recoveryFailed = true;
                report.recovery =
                    u"\n前回中断された保存を完了しましたが、フォルダー「%1」への書き込みを確定できませんでした。\n理由: %2"_s
                        .arg(failed, systemReason(errno));
            }
        } else {
            // The save was cut off before its files were complete: nothing of it is kept.
            QStringList alreadyNew;
            if (entries) {
                for (size_t i = 0; i < entries->size(); ++i) {
                    const JournalEntry &e = (*entries)[i];
                    if (states[i] == State::Replaced)
                        alreadyNew << e.target;
                    else if (exists(e.temporary))
                        fs.unlink(QFile::encodeName(e.temporary).constData());
                }
            }
            fs.unlink(journalName.constData());
            fs.syncDirectory(QFile::encodeName(folder).constData());
            if (alreadyNew.isEmpty()) {
                report.recovery =
                    u"\n前回の保存が途中で中断されていたため、その保存は取り消しました。データファイルは、その保存の前の内容のままです。\nフォルダー: %1"_s
                        .arg(directory);
            } else {
                // Only a file damaged after it was synced gets here.
                report.recoveryFailed = true;
                report.recovery =
                    u"\n前回中断された保存を完了できませんでした。一時ファイルが壊れているか、見つかりません。\n次のファイルだけが新しい内容です: %1"_s
                        .arg(quotedList(alreadyNew));
            }
        }
    }
    removeStrayTemporaries(directory, keep, fs);
    if (report.recoveryFailed) {
        // Files of two saves may be mixed: keep every original before the next save replaces it.
        for (const QString &name : dataFileNames())
            state.IncompleteFiles.insert(name);
    }
}

// Writes and syncs the journal; 0 or the errno of the failure, the journal then removed.
int writeJournal(const QString &path, const QByteArray &content, FileSystem &fs)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = fs.open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return errno;
    int err = 0;
    for (qsizetype at = 0; at < content.size() && err == 0;) {
        const ssize_t n =
            fs.write(fd, content.constData() + at, static_cast<size_t>(content.size() - at));
        if (n < 0 && errno != EINTR)
            err = errno;
        else if (n > 0)
            at += n;
    }
    if (err == 0 && fs.sync(fd) != 0)
        err = errno;
    if (fs.close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0)
        fs.unlink(name.constData());
    return err;
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

LoadReport LoadData(AppState &state, const QString &directory, FileSystem &fs)
{
    LoadReport report;
    finishInterruptedSave(state, directory, fs, report);
    const auto load = [&](const auto &file) {
        const QString path = directory + file.name;
        if (!loadTable(file, path, report))
            state.IncompleteFiles.insert(file.name);
    };
    load(TableFile<PartnerRecord> {
        state.PartnerTable, QString::fromUtf16(PartnerFileName), PartnerDiskSize });
    load(TableFile<NoteRecord> { state.NoteTable, QString::fromUtf16(NoteFileName), NoteDiskSize });
    load(TableFile<BankRecord> { state.BankTable, QString::fromUtf16(BankFileName), BankDiskSize });
    return report;
}

SaveReport SaveData(AppState &state, const QString &directory, FileSystem &fs)
{
    SaveReport report;
    const QStringList names = dataFileNames();
    AtomicFile partners(directory + names[0], 0644, false, fs);
    AtomicFile notes(directory + names[1], 0644, false, fs);
    AtomicFile banks(directory + names[2], 0644, false, fs);
    AtomicFile *files[3] = { &partners, &notes, &banks };
    const auto fail = [&](const QString &message) {
        report.ok = false;
        report.message = message;
        return report;
    };

    // Only a regular file is replaced: a folder of that name cannot be renamed over, and a FIFO
    // or a device (a link to /dev/zero) is not a register to overwrite. Look before writing.
    for (AtomicFile *f : files) {
        int err = 0;
        const QString real = writeTarget(f->target(), &err);
        struct stat info;
        if (!real.isEmpty() && ::stat(QFile::encodeName(real).constData(), &info) == 0
            && !S_ISREG(info.st_mode))
            return fail(saveFailure(f->target(), notRegularFileReason(info.st_mode)));
    }

    const bool written =
        writeTable(
            TableFile<PartnerRecord> { state.PartnerTable, names[0], PartnerDiskSize }, partners)
        && writeTable(TableFile<NoteRecord> { state.NoteTable, names[1], NoteDiskSize }, notes)
        && writeTable(TableFile<BankRecord> { state.BankTable, names[2], BankDiskSize }, banks);
    if (!written) {
        const auto failed = std::find_if(std::begin(files), std::end(files),
            [](const AtomicFile *f) { return f->error() != 0; });
        const AtomicFile *culprit = failed != std::end(files) ? *failed : files[0];
        return fail(saveFailure(
            culprit->target(), systemReason(culprit->error() != 0 ? culprit->error() : EIO)));
    }

    // Before the journal: once it exists, a crash is finished by renaming, backup or not.
    for (int i = 0; i < 3; ++i) {
        if (!state.IncompleteFiles.contains(names[i]))
            continue;
        QString backup;
        int error = 0;
        if (!keepBackup(files[i]->realTarget(), backup, error))
            return fail(saveFailure(files[i]->target(), systemReason(error))
                + u"\n（元のファイルのバックアップを作れませんでした。）"_s);
        if (!backup.isEmpty())
            report.backups << backup;
    }

    const QString journalPath = directory + QString::fromUtf16(SaveJournalName);
    std::vector<JournalEntry> entries;
    QStringList folders { journalPath };
    for (int i = 0; i < 3; ++i) {
        entries.push_back({ names[i], files[i]->size(), files[i]->checksum(),
            files[i]->temporaryPath(), files[i]->realTarget() });
        folders << files[i]->realTarget();
    }
    folders = foldersOf(folders);
    if (const int err = writeJournal(journalPath, encodeJournal(entries), fs); err != 0)
        return fail(
            u"\n保存の記録「%1」を書き込めませんでした。\n理由: %2\nどのデータファイルも置き換えていません。変更はまだ保存されていません。"_s
                .arg(journalPath, systemReason(err)));
    QString failedFolder;
    // The temporary files' names and the journal's must be on disk before the first rename.
    if (!syncFolders(folders, fs, &failedFolder)) {
        const int err = errno;
        fs.unlink(QFile::encodeName(journalPath).constData());
        return fail(
            u"\nフォルダー「%1」への書き込みを確定できませんでした。\n理由: %2\nどのデータファイルも置き換えていません。変更はまだ保存されていません。"_s
                .arg(failedFolder, systemReason(err)));
    }

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
            return fail(u"\nデータファイル「%1」を置き換えられませんでした。\n理由: %2\n"_s.arg(
                            files[i]->target(), systemReason(files[i]->error()))
                + (replaced.isEmpty()
                        ? u"どのデータファイルも置き換えていません。"_s
                        : u"次のファイルはすでに新しい内容です: %1\nまだ古い内容のファイル: %2"_s
                              .arg(quotedList(replaced), quotedList(old)))
                + u"\n保存は完了していません。もう一度保存してください。このまま終了した場合は、次の起動時にこの保存を最後まで行います。"_s);
        }
        replaced << files[i]->target();
        state.IncompleteFiles.remove(names[i]);
    }
    const QStringList targets { files[0]->realTarget(), files[1]->realTarget(),
        files[2]->realTarget() };
    if (!syncFolders(foldersOf(targets), fs, &failedFolder)) {
        // The journal stays: after a power cut the next start can still tell what was saved.
        const int err = errno;
        return fail(
            u"\nデータファイル %1 は新しい内容に置き換えましたが、フォルダー「%2」への書き込みを確定できませんでした。\n理由: %3\n停電などがあると、置き換えが失われるおそれがあります。もう一度保存してください。"_s
                .arg(quotedList(replaced), failedFolder, systemReason(err)));
    }
    // The save is complete. A journal that cannot be removed names files already in place and is
    // cleared at the next start.
    fs.unlink(QFile::encodeName(journalPath).constData());
    fs.syncDirectory(QFile::encodeName(QFileInfo(journalPath).absolutePath()).constData());
    state.Modified = false;
    return report;
}
