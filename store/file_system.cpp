#include "store/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include "store/file_read.h"

using namespace Qt::StringLiterals;

int PosixFileSystem::stat(const char *path, struct stat *info)
{
    return ::stat(path, info);
}

int PosixFileSystem::lstat(const char *path, struct stat *info)
{
    return ::lstat(path, info);
}

int PosixFileSystem::fstat(int fd, struct stat *info)
{
    return ::fstat(fd, info);
}

ssize_t PosixFileSystem::read(int fd, char *buffer, size_t size)
{
    return ::read(fd, buffer, size);
}

int PosixFileSystem::link(const char *from, const char *to)
{
    return ::link(from, to);
}

int PosixFileSystem::createTemporary(QByteArray &pathTemplate)
{
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}

int PosixFileSystem::open(const char *path, int flags, mode_t mode)
{
    return ::open(path, flags | O_CLOEXEC, mode);
}

int PosixFileSystem::changeMode(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

ssize_t PosixFileSystem::write(int fd, const char *data, size_t size)
{
    return ::write(fd, data, size);
}

int PosixFileSystem::sync(int fd)
{
    return ::fdatasync(fd);
}

int PosixFileSystem::close(int fd)
{
    return ::close(fd);
}

int PosixFileSystem::rename(const char *from, const char *to)
{
    return ::rename(from, to);
}

int PosixFileSystem::unlink(const char *path)
{
    return ::unlink(path);
}

int PosixFileSystem::makeDirectory(const char *path, mode_t mode)
{
    return ::mkdir(path, mode);
}

int PosixFileSystem::removeDirectory(const char *path)
{
    return ::rmdir(path);
}

int PosixFileSystem::openAt(int directoryFd, const char *name, int flags, mode_t mode)
{
    return ::openat(directoryFd, name, flags | O_CLOEXEC, mode);
}

int PosixFileSystem::lstatAt(int directoryFd, const char *name, struct stat *info)
{
    return ::fstatat(directoryFd, name, info, AT_SYMLINK_NOFOLLOW);
}

int PosixFileSystem::unlinkAt(int directoryFd, const char *name, int flags)
{
    return ::unlinkat(directoryFd, name, flags);
}

int PosixFileSystem::renameAt(int directoryFd, const char *from, const char *to)
{
    return ::renameat(directoryFd, from, directoryFd, to);
}

int PosixFileSystem::makeDirectoryAt(int directoryFd, const char *name, mode_t mode)
{
    return ::mkdirat(directoryFd, name, mode);
}

int PosixFileSystem::listDirectory(int directoryFd, std::vector<QByteArray> &names)
{
    // fdopendir takes the descriptor it is given: list through a copy, so the caller's stays.
    const int copy = ::fcntl(directoryFd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return -1;
    DIR *dir = ::fdopendir(copy);
    if (dir == nullptr) {
        const int saved = errno;
        ::close(copy);
        errno = saved;
        return -1;
    }
    ::rewinddir(dir);
    int rc = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (entry == nullptr) {
            rc = errno == 0 ? 0 : -1;
            break;
        }
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    const int saved = errno;
    ::closedir(dir);
    errno = saved;
    return rc;
}

int PosixFileSystem::syncDirectory(const char *directory)
{
    const int fd = ::open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    // Some file systems cannot sync a directory and say EINVAL; nothing more can be done there.
    const int rc = ::fsync(fd) == 0 || errno == EINVAL ? 0 : -1;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return rc;
}

namespace {

class SystemLockFile : public LockFile
{
public:
    explicit SystemLockFile(const QString &path)
        : lock_(path)
    {
        // A copy on another machine may hold the folder for days; age says nothing about
        // whether it is still running. A dead process on this host is still recognised by its
        // process id.
        lock_.setStaleLockTime(0);
    }
    bool tryLock() override { return lock_.tryLock(0); }
    bool removeStale() override { return lock_.removeStaleLockFile(); }
    void unlock() override { lock_.unlock(); }
    bool isLocked() const override { return lock_.isLocked(); }
    Error error() const override
    {
        switch (lock_.error()) {
        case QLockFile::NoError:
            return Error::None;
        case QLockFile::LockFailedError:
            return Error::Held;
        case QLockFile::PermissionError:
            return Error::Permission;
        default:
            return Error::Other;
        }
    }
    bool holder(qint64 *pid, QString *host, QString *application) const override
    {
        return lock_.getLockInfo(pid, host, application);
    }

private:
    QLockFile lock_;
};

} // namespace

std::unique_ptr<LockFile> PosixFileSystem::lockFile(const QString &path)
{
    return std::make_unique<SystemLockFile>(path);
}

mode_t currentUmask()
{
    // Read by setting it: the files are written from one thread, and it is set back at once.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString pathFromNative(const QByteArray &path)
{
    return QFile::decodeName(path);
}

FileSystem &systemFileSystem()
{
    static PosixFileSystem real;
    return real;
}

QString writeTarget(const QString &path, int *error, FileSystem &fs)
{
    *error = 0;
    struct stat link;
    if (fs.lstat(QFile::encodeName(path).constData(), &link) != 0) {
        // A name that cannot be looked at may be a link: never guess that it is not.
        if (errno == ENOENT || errno == ENOTDIR)
            return path;
        *error = errno;
        return {};
    }
    if (!S_ISLNK(link.st_mode))
        return path;
    if (link.st_uid != ::geteuid()) {
        *error = EACCES;
        return {};
    }
    const QFileInfo info(path);
    const QString existing = info.canonicalFilePath();
    if (!existing.isEmpty())
        return existing;
    // A dangling link: follow it link by link to the name it ends in; a new file is made there,
    // as opening the link for writing would.
    QString at = path;
    for (int hops = 0; hops < 40 && QFileInfo(at).isSymLink(); ++hops)
        at = QFileInfo(at).symLinkTarget();
    if (QFileInfo(at).isSymLink()) {
        *error = ELOOP;
        return {};
    }
    const QFileInfo end(at);
    const QString folder = QFileInfo(end.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        *error = ENOENT;
        return {};
    }
    return QDir(folder).filePath(end.fileName());
}

qint64 memoryBudget()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return qint64(1) << 30;
    return static_cast<qint64>(pages) * pageSize / 2;
}

FileFault notRegularFault(mode_t mode)
{
    if (S_ISDIR(mode))
        return FileFault::system(EISDIR);
    return { FileFault::Kind::NotRegular, 0, 0, 0 };
}

int openRegularFile(
    const QString &path, qint64 maxBytes, qint64 *size, FileFault *fault, FileSystem &fs)
{
    *fault = {};
    const auto refuse = [&](const FileFault &why) {
        *fault = why;
        return -1;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    // Look before opening: opening a FIFO would wait for a writer.
    if (fs.stat(name.constData(), &info) != 0)
        return errno == ENOENT ? -1 : refuse(FileFault::system(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(notRegularFault(info.st_mode));
    if (info.st_size > maxBytes)
        return refuse(FileFault::tooLarge(info.st_size, maxBytes));
    const int fd = fs.open(name.constData(), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0)
        return refuse(FileFault::system(errno));
    // The name may have been replaced between the look and the open.
    if (const FileFault why = checkOpenedFile(fs, fd, maxBytes, size); why.isFault()) {
        fs.close(fd);
        return refuse(why);
    }
    return fd;
}

FileFault checkOpenedFile(FileSystem &fs, int fd, qint64 maxBytes, qint64 *size)
{
    struct stat info;
    if (fs.fstat(fd, &info) != 0)
        return FileFault::system(errno);
    if (!S_ISREG(info.st_mode))
        return notRegularFault(info.st_mode);
    if (info.st_size > maxBytes)
        return FileFault::tooLarge(info.st_size, maxBytes);
    *size = info.st_size;
    return {};
}

int writeAll(FileSystem &fs, int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = fs.write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        // A write that takes nothing would be asked again for ever.
        if (n == 0)
            return EIO;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

ssize_t readFully(FileSystem &fs, int fd, char *buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = fs.read(fd, buffer + done, size - done);
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

int linkOrCopy(FileSystem &fs, const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (fs.link(source.constData(), target.constData()) == 0)
        return 0;
    const Fd in(fs.open(source.constData(), O_RDONLY | O_NONBLOCK, 0), fs);
    if (in.get() < 0)
        return errno;
    const int out =
        fs.open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, NewFileMode);
    if (out < 0)
        return errno;
    std::unique_ptr<char[]> buffer(new char[ChunkBytes]);
    int err = 0;
    for (;;) {
        const ssize_t got = readFully(fs, in.get(), buffer.get(), ChunkBytes);
        if (got < 0) {
            err = errno;
            break;
        }
        if ((err = writeAll(fs, out, buffer.get(), static_cast<size_t>(got))) != 0)
            break;
        if (static_cast<size_t>(got) < ChunkBytes)
            break;
    }
    return finishNewFile(fs, out, target, err);
}

int syncAndClose(FileSystem &fs, int fd, int error)
{
    if (error == 0 && fs.sync(fd) != 0)
        error = errno;
    if (fs.close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

int finishNewFile(FileSystem &fs, int fd, const QByteArray &path, int error)
{
    error = syncAndClose(fs, fd, error);
    if (error != 0)
        fs.unlink(path.constData());
    return error;
}

FileIdentity identityOf(FileSystem &fs, const QString &path)
{
    struct stat info;
    if (fs.stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const auto ns = [](const timespec &t) {
        return static_cast<qint64>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return { true, info.st_dev, info.st_ino, info.st_size, ns(info.st_mtim), ns(info.st_ctim) };
}

QString placeOf(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QString() : folder + u'/' + info.fileName();
}

Presence presenceOf(FileSystem &fs, const QString &path, int *error)
{
    struct stat info;
    if (fs.lstat(QFile::encodeName(path).constData(), &info) == 0)
        return Presence::Present;
    const int err = errno;
    if (error != nullptr)
        *error = err;
    return err == ENOENT || err == ENOTDIR ? Presence::Absent : Presence::Unknown;
}

bool pathExists(FileSystem &fs, const QString &path)
{
    return presenceOf(fs, path) != Presence::Absent;
}

bool leadsSomewhere(FileSystem &fs, const QString &path)
{
    struct stat info;
    return fs.stat(QFile::encodeName(path).constData(), &info) == 0;
}

bool makePath(FileSystem &fs, const QString &path)
{
    const QString clean = absoluteCleanPath(path);
    QString at;
    for (const QString &part : clean.split(u'/', Qt::SkipEmptyParts)) {
        at += u'/' + part;
        if (fs.makeDirectory(QFile::encodeName(at).constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return isFolder(fs, clean);
}

QString parentFolderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QString absoluteFilePathOf(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

QString besidePath(const QString &path, const QString &name)
{
    return QFileInfo(path).dir().filePath(name);
}

QString relativePathIn(const QString &folder, const QString &path)
{
    return QDir(folder).relativeFilePath(path);
}

QString resolvedIn(const QString &folder, const QString &relative)
{
    return QDir::cleanPath(QDir(folder).absoluteFilePath(relative));
}

QString canonicalPathOf(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool isFolder(FileSystem &fs, const QString &path)
{
    struct stat info;
    return fs.stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString absoluteCleanPath(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

int openDirectory(FileSystem &fs, const QString &path)
{
    return fs.open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW, 0);
}

bool listFolder(FileSystem &fs, const QString &path, QStringList &names, int *error)
{
    const Fd fd(fs.open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY, 0), fs);
    std::vector<QByteArray> entries;
    if (fd.get() < 0 || fs.listDirectory(fd.get(), entries) != 0) {
        *error = errno;
        return false;
    }
    for (const QByteArray &entry : entries)
        names << QFile::decodeName(entry);
    return true;
}

WholeFile readWholeFile(const QString &path, qint64 maxBytes, FileSystem &fs)
{
    WholeFile result;
    qint64 size = 0;
    const Fd fd(openRegularFile(path, maxBytes, &size, &result.fault, fs), fs);
    if (fd.get() < 0) {
        result.missing = !result.fault.isFault();
        return result;
    }
    // A file that grows while it is read is still stopped at the limit.
    result.bytes.resize(static_cast<qsizetype>(size) + 1);
    qsizetype done = 0;
    for (;;) {
        if (done == result.bytes.size()) {
            if (done > maxBytes) {
                result.fault = FileFault::tooLarge(done, maxBytes);
                break;
            }
            result.bytes.resize(std::min<qint64>(done * 2 + 4096, maxBytes + 1));
        }
        const ssize_t n = fs.read(
            fd.get(), result.bytes.data() + done, static_cast<size_t>(result.bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.fault = FileFault::system(errno);
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    if (result.fault.isFault())
        result.bytes.clear();
    else
        result.bytes.resize(done);
    return result;
}
