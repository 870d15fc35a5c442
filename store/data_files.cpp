#include "store/data_files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
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

template <typename Record>
bool loadTable(const TableFile<Record> &file, const QString &path, LoadReport &report)
{
    const size_t start = file.table.size();
    auto fault = [&](const QString &reason) {
        report.faults.push_back(
            { path, static_cast<qsizetype>(file.table.size() - start), reason });
        return false;
    };

    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? true : fault(systemReason(errno));
    struct stat info;
    if (::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode))
        return fault(systemReason(EISDIR));
    if (::fstat(fd.get(), &info) == 0 && info.st_size > 0)
        file.table.reserve(start + static_cast<size_t>(info.st_size) / file.diskSize + 1);

    const size_t perChunk = std::max<size_t>(1, ChunkBytes / file.diskSize);
    std::unique_ptr<char[]> buffer(new char[perChunk * file.diskSize]);
    for (;;) {
        const ssize_t got = readFully(fd.get(), buffer.get(), perChunk * file.diskSize);
        if (got < 0)
            return fault(systemReason(errno));
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
// and needs no space; a copy serves where links are not possible.
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

QString saveFailure(const QString &path, int error)
{
    return u"\nデータファイル「%1」を保存できませんでした。\n理由: %2\nどのデータファイルも置き換えていません。変更はまだ保存されていません。"_s
        .arg(path, systemReason(error));
}

} // namespace

QString LoadReport::message() const
{
    QString text = u"\nデータファイルを最後まで読み込めませんでした。"_s;
    for (const LoadFault &f : faults)
        text += u"\n\nファイル: %1\n読み込んだレコード: %2 件\n理由: %3"_s.arg(f.path)
                    .arg(f.recordsRead)
                    .arg(f.reason);
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

LoadReport LoadData(AppState &state, const QString &directory)
{
    LoadReport report;
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

SaveReport SaveData(AppState &state, const QString &directory)
{
    SaveReport report;
    const QString names[3] = { QString::fromUtf16(PartnerFileName),
        QString::fromUtf16(NoteFileName), QString::fromUtf16(BankFileName) };
    AtomicFile partners(directory + names[0], 0644);
    AtomicFile notes(directory + names[1], 0644);
    AtomicFile banks(directory + names[2], 0644);
    AtomicFile *files[3] = { &partners, &notes, &banks };

    const bool written =
        writeTable(
            TableFile<PartnerRecord> { state.PartnerTable, names[0], PartnerDiskSize }, partners)
        && writeTable(TableFile<NoteRecord> { state.NoteTable, names[1], NoteDiskSize }, notes)
        && writeTable(TableFile<BankRecord> { state.BankTable, names[2], BankDiskSize }, banks);
    if (!written) {
        const auto failed = std::find_if(std::begin(files), std::end(files),
            [](const AtomicFile *f) { return f->error() != 0; });
        const AtomicFile *culprit = failed != std::end(files) ? *failed : files[0];
        report.ok = false;
        report.message =
            saveFailure(culprit->target(), culprit->error() != 0 ? culprit->error() : EIO);
        return report;
    }

    // A target that cannot be renamed over (a folder of that name) would leave the files half
    // replaced; find it before anything is replaced.
    for (AtomicFile *f : files) {
        if (QFileInfo(f->target()).isDir()) {
            report.ok = false;
            report.message = saveFailure(f->target(), EISDIR);
            return report;
        }
    }

    for (int i = 0; i < 3; ++i) {
        if (!state.IncompleteFiles.contains(names[i]))
            continue;
        QString backup;
        int error = 0;
        if (!keepBackup(files[i]->target(), backup, error)) {
            report.ok = false;
            report.message = saveFailure(files[i]->target(), error)
                + u"\n（元のファイルのバックアップを作れませんでした。）"_s;
            return report;
        }
        if (!backup.isEmpty())
            report.backups << backup;
    }

    for (int i = 0; i < 3; ++i) {
        if (!files[i]->commit()) {
            // Earlier files are already replaced; say exactly which one did not make it.
            report.ok = false;
            report.message =
                u"\nデータファイル「%1」を置き換えられませんでした。\n理由: %2\n変更はまだ保存されていません。"_s
                    .arg(files[i]->target(), systemReason(files[i]->error()));
            return report;
        }
        state.IncompleteFiles.remove(names[i]);
    }
    state.Modified = false;
    return report;
}
