#include "store/generations.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include <QRegularExpression>

#include "store/content_checksum.h"
#include "store/data_file_names.h"
#include "store/file_read.h"

using namespace Qt::StringLiterals;

namespace {

// Less the umask, as any new folder; never writable by everyone, since whoever can write in a
// generation can change what it brings back.
constexpr mode_t FolderMode = 0775;
const QString PartSuffix = u".part"_s;
// A generation being removed is first renamed so, so that one cut off half-way is never taken for
// a whole generation.
const QString GoingSuffix = u".old"_s;
const QByteArray ContentsHeader = "tegata generation contents 1";
constexpr qint64 LargestSmallFile = 4096;

QString generationsFolder(const QString &dataDirectory)
{
    return dataDirectory + QString::fromUtf16(GenerationsFolderName);
}

QString savedAtFile(const QString &generation)
{
    return generation + u'/' + QString::fromUtf16(GenerationSavedAtName);
}

// Everything a generation of ours holds; removing one removes these, then the folder.
QStringList keptNames()
{
    return dataFileNames() << QString::fromUtf16(GenerationSavedAtName)
                           << QString::fromUtf16(GenerationContentsName);
}

// Some file systems cannot sync a directory and say EINVAL; nothing more can be done there.
int syncFolder(FileSystem &fs, int fd)
{
    return fs.sync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

// 0, or the errno of the failure, leaving no file behind.
int writeNewFile(FileSystem &fs, int folderFd, const QString &name, const QByteArray &text)
{
    const QByteArray file = nativePath(name);
    const int fd = fs.openAt(folderFd, file.constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NewFileMode);
    if (fd < 0)
        return errno;
    const int error =
        syncAndClose(fs, fd, writeAll(fs, fd, text.constData(), static_cast<size_t>(text.size())));
    if (error != 0)
        fs.unlinkAt(folderFd, file.constData(), 0);
    return error;
}

// Opens name in folderFd for reading: a regular file of at most maxBytes, never through a link.
// -1 with fault set (a system fault ENOENT when there is none).
int openKeptFile(FileSystem &fs, int folderFd, const QString &name, qint64 maxBytes, qint64 *size,
    FileFault *fault)
{
    const int fd = fs.openAt(
        folderFd, nativePath(name).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) {
        // A link in a generation is not a file it keeps.
        *fault = errno == ELOOP ? notRegularFault(S_IFLNK) : FileFault::system(errno);
        return -1;
    }
    *fault = checkOpenedFile(fs, fd, maxBytes, size);
    if (fault->isFault()) {
        fs.close(fd);
        return -1;
    }
    return fd;
}

// Size and checksum of a file as it lies in the generation.
struct KeptFile
{
    qint64 size = 0;
    QByteArray checksum;
    FileFault fault;
};

KeptFile measure(FileSystem &fs, int folderFd, const QString &name)
{
    KeptFile kept;
    qint64 size = 0;
    const Fd fd(
        openKeptFile(fs, folderFd, name, std::numeric_limits<qint64>::max(), &size, &kept.fault),
        fs);
    if (fd.get() < 0)
        return kept;
    const ContentSum sum = readContentSum(fs, fd.get());
    if (sum.error != 0)
        kept.fault = FileFault::system(sum.error);
    else
        kept = { sum.size, sum.checksum, {} };
    return kept;
}

// The contents list: a line for each data file, "name size checksum", or "name absent".
struct Contents
{
    struct Entry
    {
        bool present = false;
        qint64 size = 0;
        QByteArray checksum;
    };
    std::map<QString, Entry> files;

    QByteArray text() const
    {
        QByteArray out = ContentsHeader + '\n';
        for (const auto &[name, entry] : files) {
            out += nativePath(name) + ' ';
            out += entry.present ? QByteArray::number(entry.size) + ' ' + entry.checksum.toHex()
                                 : QByteArray("absent");
            out += '\n';
        }
        return out;
    }
    // false when text is not such a list.
    bool read(const QByteArray &text)
    {
        const QList<QByteArray> lines = text.split('\n');
        if (lines.size() < 2 || lines.front() != ContentsHeader || !lines.back().isEmpty())
            return false;
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
            const QList<QByteArray> fields = lines[i].split(' ');
            Entry entry;
            bool number = true;
            if (fields.size() == 3) {
                entry.present = true;
                entry.size = fields[1].toLongLong(&number);
                entry.checksum = QByteArray::fromHex(fields[2]);
            } else if (fields.size() != 2 || fields[1] != "absent") {
                return false;
            }
            if (!number || entry.size < 0)
                return false;
            files[pathFromNative(fields[0])] = entry;
        }
        return true;
    }
};

// Not valid when the generation has no such record (one made by an earlier version) or it
// cannot be read.
QDateTime savedAtOf(FileSystem &fs, const QString &generation)
{
    const WholeFile file = readWholeFile(savedAtFile(generation), 64, fs);
    if (file.missing || file.fault.isFault())
        return {};
    const QDateTime at =
        QDateTime::fromString(QString::fromLatin1(file.bytes.trimmed()), Qt::ISODate);
    return at.isValid() ? at.toLocalTime() : QDateTime();
}

bool isFinishedName(const QString &name)
{
    static const QRegularExpression pattern(u"^\\d{8}-\\d{6}(-\\d+)?$"_s);
    return pattern.match(name).hasMatch();
}

// The number of a save within its second: 1 for the first, then "-2" and on.
int numberOf(const QString &name)
{
    return name.size() > 15 ? name.mid(16).toInt() : 1;
}

// By the date in the name, and a later save of the same second by its number. As no number is
// ever given twice, this is the order in which the generations were made.
bool olderName(const QString &a, const QString &b)
{
    if (a.left(15) != b.left(15))
        return a.left(15) < b.left(15);
    return numberOf(a) < numberOf(b);
}

// The name without the suffix that marks it unfinished or going; empty for a name not ours.
QString generationName(const QString &entry)
{
    QString name = entry;
    if (name.endsWith(PartSuffix))
        name.chop(PartSuffix.size());
    else if (name.endsWith(GoingSuffix))
        name.chop(GoingSuffix.size());
    return isFinishedName(name) ? name : QString();
}

// A name for a generation of this second that no generation there has had: one past the highest
// number of the second still in the folder, unfinished or going ones included. A number freed by
// a generation removed is never given again, so the names keep the order of making.
QString newName(const QStringList &entries, const QString &stamp)
{
    int highest = 0;
    for (const QString &entry : entries) {
        const QString name = generationName(entry);
        if (name.left(15) == stamp)
            highest = std::max(highest, numberOf(name));
    }
    return highest == 0 ? stamp : stamp + u'-' + QString::number(highest + 1);
}

// Removes a generation folder of ours in the generations folder: the files it keeps, then the
// folder. It is opened first, never followed if a link, and its files are removed relative to it:
// a folder swapped for a link meanwhile leads nowhere. Anything else in it keeps the folder.
bool removeGeneration(FileSystem &fs, int folderFd, const QString &name)
{
    const QByteArray entry = nativePath(name);
    {
        const Fd generation(fs.openAt(folderFd, entry.constData(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0),
            fs);
        if (generation.get() < 0)
            return false;
        for (const QString &kept : keptNames())
            fs.unlinkAt(generation.get(), nativePath(kept).constData(), 0);
    }
    return fs.unlinkAt(folderFd, entry.constData(), AT_REMOVEDIR) == 0;
}

bool isPlainFolderAt(FileSystem &fs, int folderFd, const QString &name)
{
    struct stat info;
    return fs.lstatAt(folderFd, nativePath(name).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

// backup/ of a data folder, open for the calls relative to it, once it is known that nobody else
// than this user, the data folder's owner and the data folder's group can change it.
class GenerationsFolder
{
public:
    explicit GenerationsFolder(FileSystem &fs)
        : fs_(fs)
    {
    }
    ~GenerationsFolder()
    {
        if (fd_ >= 0)
            fs_.close(fd_);
        if (dataFd_ >= 0)
            fs_.close(dataFd_);
    }
    GenerationsFolder(const GenerationsFolder &) = delete;
    GenerationsFolder &operator=(const GenerationsFolder &) = delete;

    // false when it cannot be used, with the fault set, or when it is not there and create is
    // not asked, without one.
    bool open(const QString &dataDirectory, bool create)
    {
        path_ = generationsFolder(dataDirectory);
        // The data folder may be reached through a link; backup/ in it never is.
        dataFd_ = fs_.open(nativePath(dataDirectory).constData(), O_RDONLY | O_DIRECTORY, 0);
        // A data folder that is not there has no generations.
        if (dataFd_ < 0 && errno == ENOENT && !create)
            return false;
        struct stat data;
        if (dataFd_ < 0 || fs_.fstat(dataFd_, &data) != 0)
            return fail(errno);
        const QByteArray name = nativePath(QString::fromUtf16(GenerationsFolderName));
        const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        fd_ = fs_.openAt(dataFd_, name.constData(), flags, 0);
        bool made = false;
        if (fd_ < 0 && errno == ENOENT) {
            if (!create)
                return false;
            made = fs_.makeDirectoryAt(dataFd_, name.constData(), FolderMode) == 0;
            if (!made && errno != EEXIST)
                return fail(errno);
            fd_ = fs_.openAt(dataFd_, name.constData(), flags, 0);
        }
        // A link in its place is not a folder of its own.
        if (fd_ < 0 && (errno == ELOOP || errno == ENOTDIR))
            return refuse(GenerationFault::Kind::NotAFolder);
        struct stat own;
        if (fd_ < 0 || fs_.fstat(fd_, &own) != 0)
            return fail(errno);
        const mode_t othersMayWrite =
            S_IWOTH | (own.st_gid != data.st_gid ? static_cast<mode_t>(S_IWGRP) : 0);
        // One this program just made is given the modes it would accept.
        if (made && (own.st_mode & othersMayWrite) != 0) {
            own.st_mode &= ~othersMayWrite;
            if (fs_.changeMode(fd_, own.st_mode & 07777) != 0)
                return fail(errno);
        }
        if (own.st_uid != ::geteuid() && own.st_uid != data.st_uid)
            return refuse(GenerationFault::Kind::OtherOwner);
        if ((own.st_mode & othersMayWrite) != 0)
            return refuse(GenerationFault::Kind::OpenToOthers);
        return true;
    }

    int fd() const { return fd_; }
    const QString &path() const { return path_; }
    QString pathOf(const QString &entry) const { return path_ + u'/' + entry; }
    const GenerationFault &fault() const { return fault_; }

    // The names in it; false with the fault set when it cannot be read.
    bool entries(QStringList &names)
    {
        std::vector<QByteArray> found;
        if (fs_.listDirectory(fd_, found) != 0)
            return fail(errno);
        for (const QByteArray &entry : found)
            names << pathFromNative(entry);
        return true;
    }

    // The finished generations in it, newest first.
    std::vector<Generation> generations()
    {
        QStringList names;
        std::vector<Generation> found;
        if (!entries(names))
            return found;
        for (const QString &entry : names) {
            if (!isFinishedName(entry))
                continue;
            Generation g;
            g.name = entry;
            g.path = pathOf(entry) + u'/';
            g.savedAt = QDateTime::fromString(entry.left(15), u"yyyyMMdd-HHmmss"_s);
            g.plainFolder = isPlainFolderAt(fs_, fd_, entry);
            if (g.plainFolder)
                g.contentSavedAt = savedAtOf(fs_, pathOf(entry));
            found.push_back(g);
        }
        std::sort(found.begin(), found.end(),
            [](const Generation &a, const Generation &b) { return olderName(b.name, a.name); });
        return found;
    }

    // Removes the folder itself when nothing is left in it: an empty folder still takes room.
    void removeIfEmpty()
    {
        fs_.unlinkAt(dataFd_, nativePath(QString::fromUtf16(GenerationsFolderName)).constData(),
            AT_REMOVEDIR);
    }

    void sync() { syncFolder(fs_, fd_); }

private:
    bool fail(int error)
    {
        fault_ = { path_, FileFault::system(error), GenerationFault::Kind::File };
        return false;
    }
    bool refuse(GenerationFault::Kind kind)
    {
        fault_ = { path_, {}, kind };
        return false;
    }

    FileSystem &fs_;
    QString path_;
    int dataFd_ = -1;
    int fd_ = -1;
    GenerationFault fault_;
};

PendingGeneration::PendingGeneration() = default;
PendingGeneration::~PendingGeneration() = default;

bool PendingGeneration::fail(const GenerationFault &fault, FileSystem &fs)
{
    fault_ = fault;
    discard(fs);
    return false;
}

bool PendingGeneration::fail(const QString &path, int error, FileSystem &fs)
{
    return fail({ path, FileFault::system(error), GenerationFault::Kind::File }, fs);
}

bool PendingGeneration::prepare(const QString &dataDirectory, const QStringList &files,
    const QStringList &names, const QDateTime &at, const QDateTime &contentSavedAt, FileSystem &fs,
    const std::vector<FileContent> &known)
{
    fault_ = {};
    // A file that cannot be looked at is never taken for one that is not there: the generation
    // would lack it.
    std::vector<bool> present;
    for (const QString &file : files) {
        int error = 0;
        const Presence presence = presenceOf(fs, file, &error);
        if (presence == Presence::Unknown)
            return fail(file, error, fs);
        present.push_back(presence == Presence::Present);
    }
    // The first save of a folder replaces nothing: there is no generation to keep.
    if (std::none_of(present.begin(), present.end(), [](bool p) { return p; }))
        return false;
    folder_ = std::make_unique<GenerationsFolder>(fs);
    if (!folder_->open(dataDirectory, true))
        return fail(folder_->fault(), fs);
    QStringList entries;
    if (!folder_->entries(entries))
        return fail(folder_->fault(), fs);
    finalName_ = newName(entries, at.toString(u"yyyyMMdd-HHmmss"_s));
    finalPath_ = folder_->pathOf(finalName_);
    const QString part = finalName_ + PartSuffix;
    if (fs.makeDirectoryAt(folder_->fd(), nativePath(part).constData(), FolderMode) != 0)
        return fail(folder_->pathOf(part), errno, fs);
    partName_ = part;
    if (!fill(files, names, present, contentSavedAt, fs, known))
        return false;
    if (const int error = syncFolder(fs, folder_->fd()); error != 0)
        return fail(folder_->path(), error, fs);
    return true;
}

// The files into the unfinished generation, then when they were saved and what it keeps.
bool PendingGeneration::fill(const QStringList &files, const QStringList &names,
    const std::vector<bool> &present, const QDateTime &contentSavedAt, FileSystem &fs,
    const std::vector<FileContent> &known)
{
    const QString part = folder_->pathOf(partName_);
    const Fd partFd(fs.openAt(folder_->fd(), nativePath(partName_).constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0),
        fs);
    if (partFd.get() < 0)
        return fail(part, errno, fs);
    Contents contents;
    for (qsizetype i = 0; i < files.size() && i < names.size(); ++i) {
        Contents::Entry &entry = contents.files[names[i]];
        if (!present[static_cast<std::size_t>(i)])
            continue;
        const QString copy = part + u'/' + names[i];
        if (const int error = linkOrCopy(fs, files[i], copy); error != 0)
            return fail(copy, error, fs);
        // What it keeps: as the register last read or wrote it, or else as it lies here.
        const auto at = static_cast<std::size_t>(i);
        const KeptFile kept = at < known.size() && known[at].known()
            ? KeptFile { known[at].size, known[at].checksum, {} }
            : measure(fs, partFd.get(), names[i]);
        if (kept.fault.isFault())
            return fail({ copy, kept.fault, GenerationFault::Kind::File }, fs);
        entry = { true, kept.size, kept.checksum };
    }
    if (contentSavedAt.isValid()) {
        const QByteArray text = contentSavedAt.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
        const QString name = QString::fromUtf16(GenerationSavedAtName);
        if (const int error = writeNewFile(fs, partFd.get(), name, text); error != 0)
            return fail(part + u'/' + name, error, fs);
    }
    const QString name = QString::fromUtf16(GenerationContentsName);
    if (const int error = writeNewFile(fs, partFd.get(), name, contents.text()); error != 0)
        return fail(part + u'/' + name, error, fs);
    if (const int error = syncFolder(fs, partFd.get()); error != 0)
        return fail(part, error, fs);
    return true;
}

bool PendingGeneration::finish(FileSystem &fs)
{
    if (!prepared())
        return false;
    if (fs.renameAt(
            folder_->fd(), nativePath(partName_).constData(), nativePath(finalName_).constData())
        != 0)
        return fail(finalPath_, errno, fs);
    partName_.clear();
    folder_->sync();
    return true;
}

void PendingGeneration::discard(FileSystem &fs)
{
    if (!folder_)
        return;
    if (!partName_.isEmpty())
        removeGeneration(fs, folder_->fd(), partName_);
    partName_.clear();
    finalPath_.clear();
    folder_->removeIfEmpty();
    folder_.reset();
}

void PendingGeneration::dropForRoom(FileSystem &fs, const FileFault &why)
{
    fault_ = { finalPath_, why, GenerationFault::Kind::DroppedForRoom };
    discard(fs);
}

void settlePendingGenerations(const QString &dataDirectory, bool saveFinished, FileSystem &fs)
{
    GenerationsFolder folder(fs);
    QStringList entries;
    if (!folder.open(dataDirectory, false) || !folder.entries(entries))
        return;
    QStringList parts;
    for (const QString &entry : entries) {
        if (entry.endsWith(GoingSuffix) && isFinishedName(entry.chopped(GoingSuffix.size())))
            removeGeneration(fs, folder.fd(), entry);
        else if (entry.endsWith(PartSuffix) && isFinishedName(entry.chopped(PartSuffix.size())))
            parts << entry;
    }
    // The save being settled made the newest; an older one is a leftover, never finished.
    std::sort(parts.begin(), parts.end(), [](const QString &a, const QString &b) {
        return olderName(a.chopped(PartSuffix.size()), b.chopped(PartSuffix.size()));
    });
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray part = nativePath(parts[i]);
        const QByteArray finished = nativePath(parts[i].chopped(PartSuffix.size()));
        struct stat info;
        if (saveFinished && i + 1 == parts.size() && isPlainFolderAt(fs, folder.fd(), parts[i])) {
            if (fs.lstatAt(folder.fd(), finished.constData(), &info) == 0 || errno != ENOENT)
                continue; // its name is taken, or cannot be looked at: left for a later start
            if (fs.renameAt(folder.fd(), part.constData(), finished.constData()) == 0)
                continue;
        }
        removeGeneration(fs, folder.fd(), parts[i]);
    }
    folder.sync();
}

std::vector<Generation> listGenerations(
    const QString &dataDirectory, FileSystem &fs, GenerationFault *why)
{
    GenerationsFolder folder(fs);
    std::vector<Generation> generations;
    if (folder.open(dataDirectory, false))
        generations = folder.generations();
    if (why != nullptr)
        *why = folder.fault();
    return generations;
}

void pruneGenerations(const QString &dataDirectory, int keep, FileSystem &fs, const QString &spare)
{
    if (keep <= 0)
        return;
    GenerationsFolder folder(fs);
    if (!folder.open(dataDirectory, false))
        return;
    std::vector<Generation> generations = folder.generations();
    // Only folders of our own count; the one a save has just made always stays, whatever its
    // date says after a clock was put back.
    std::erase_if(generations, [](const Generation &g) { return !g.plainFolder; });
    for (std::size_t i = static_cast<std::size_t>(keep); i < generations.size(); ++i) {
        const QString &name = generations[i].name;
        if (generations[i].path.chopped(1) == spare)
            continue;
        if (fs.renameAt(folder.fd(), nativePath(name).constData(),
                nativePath(name + GoingSuffix).constData())
            == 0)
            removeGeneration(fs, folder.fd(), name + GoingSuffix);
    }
    folder.sync();
}

bool dropOldestGeneration(const QString &dataDirectory, FileSystem &fs, QString *dropped)
{
    dropped->clear();
    GenerationsFolder folder(fs);
    QStringList entries;
    if (!folder.open(dataDirectory, false) || !folder.entries(entries))
        return false;
    bool removed = false;
    // What a removal cut off left first: it holds nothing anyone can bring back.
    for (const QString &entry : entries) {
        if (entry.endsWith(GoingSuffix) && isFinishedName(entry.chopped(GoingSuffix.size())))
            removed = removeGeneration(fs, folder.fd(), entry) || removed;
    }
    if (!removed) {
        std::vector<Generation> generations = folder.generations();
        std::erase_if(generations, [](const Generation &g) { return !g.plainFolder; });
        if (!generations.empty()) {
            const QString &oldest = generations.back().name;
            if (fs.renameAt(folder.fd(), nativePath(oldest).constData(),
                    nativePath(oldest + GoingSuffix).constData())
                    == 0
                && removeGeneration(fs, folder.fd(), oldest + GoingSuffix)) {
                *dropped = oldest;
                removed = true;
            }
        }
    }
    folder.removeIfEmpty();
    return removed;
}

GenerationFault checkGenerationFiles(const Generation &generation, FileSystem &fs, bool *listed)
{
    using Kind = GenerationFault::Kind;
    *listed = false;
    const QString folder = generation.path.chopped(1);
    if (!generation.plainFolder)
        return { folder, {}, Kind::NotAFolder };
    const Fd fd(openDirectory(fs, folder), fs);
    if (fd.get() < 0 && (errno == ELOOP || errno == ENOTDIR))
        return { folder, {}, Kind::NotAFolder };
    if (fd.get() < 0)
        return { folder, FileFault::system(errno), Kind::File };
    Contents contents;
    const QString contentsName = QString::fromUtf16(GenerationContentsName);
    {
        qint64 size = 0;
        FileFault fault;
        const Fd file(
            openKeptFile(fs, fd.get(), contentsName, LargestSmallFile, &size, &fault), fs);
        QByteArray text(static_cast<qsizetype>(size), Qt::Uninitialized);
        if (file.get() >= 0) {
            if (readFully(fs, file.get(), text.data(), static_cast<size_t>(size)) != size)
                return { generation.path + contentsName, FileFault::system(errno ? errno : EIO),
                    Kind::File };
            if (!contents.read(text))
                return { generation.path + contentsName, {}, Kind::BadContents };
            *listed = true;
        } else if (fault.kind != FileFault::Kind::System || fault.error != ENOENT) {
            return { generation.path + contentsName, fault, Kind::File };
        }
    }
    for (const QString &name : dataFileNames()) {
        const QString path = generation.path + name;
        const auto entry = contents.files.find(name);
        // A generation kept before the side file came has none.
        const bool sideFile = name == QString::fromUtf16(NoteExtensionFileName);
        const bool expected =
            *listed ? entry != contents.files.end() && entry->second.present : !sideFile;
        struct stat info;
        if (fs.lstatAt(fd.get(), nativePath(name).constData(), &info) != 0) {
            if (errno != ENOENT)
                return { path, FileFault::system(errno), Kind::File };
            if (expected)
                return { path, {}, Kind::Missing };
            continue;
        }
        if (!*listed)
            continue;
        const KeptFile kept = measure(fs, fd.get(), name);
        if (kept.fault.isFault())
            return { path, kept.fault, Kind::File };
        const qint64 size = expected ? entry->second.size : 0;
        if (kept.size != size || !expected)
            return { path, {}, Kind::SizeDiffers, size, kept.size };
        if (kept.checksum != entry->second.checksum)
            return { path, {}, Kind::ChecksumDiffers, size, kept.size };
    }
    return {};
}

namespace {

template <std::size_t N> bool fits(const ShortText<N> &text)
{
    return text.length <= N;
}

bool likely(const NoteRecord &n)
{
    return std::isfinite(n.IssueDate) && std::isfinite(n.DueDate) && n.Kind < NoteKindCount
        && fits(n.NoteNumber) && fits(n.PartnerCode) && fits(n.BankCode) && fits(n.Remarks)
        && fits(n.EnteredBy);
}

bool likely(const PartnerRecord &p)
{
    return fits(p.Code) && fits(p.Name) && fits(p.BankCode);
}

bool likely(const BankRecord &b)
{
    return fits(b.Code) && fits(b.Name);
}

} // namespace

GenerationFault unlikelyRecord(const Tables &tables, const QString &folder)
{
    for (const DataFile &file : DataFiles) {
        // The side file's records are each checked as they are read.
        if (file.noteExtensions)
            continue;
        const qint64 found = withTable(tables, file.table, [](const auto &table) -> qint64 {
            for (std::size_t i = 0; i < table.size(); ++i) {
                if (!likely(table[i]))
                    return static_cast<qint64>(i) + 1;
            }
            return 0;
        });
        if (found > 0) {
            GenerationFault fault { folder + file.fileName(), {},
                GenerationFault::Kind::BadRecord };
            fault.record = found;
            return fault;
        }
    }
    return {};
}
