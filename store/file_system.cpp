#include "store/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/file_read.h"

using namespace Qt::StringLiterals;

namespace {

class PosixFileSystem : public FileSystem
{
public:
    int createTemporary(QByteArray &pathTemplate) override
    {
        return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
    }
    int open(const char *path, int flags, mode_t mode) override
    {
        return ::open(path, flags | O_CLOEXEC, mode);
    }
    int changeMode(int fd, mode_t mode) override { return ::fchmod(fd, mode); }
    ssize_t write(int fd, const char *data, size_t size) override
    {
        return ::write(fd, data, size);
    }
    int sync(int fd) override { return ::fdatasync(fd); }
    int close(int fd) override { return ::close(fd); }
    int rename(const char *from, const char *to) override { return ::rename(from, to); }
    int unlink(const char *path) override { return ::unlink(path); }
    int syncDirectory(const char *directory) override
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
};

} // namespace

FileSystem &systemFileSystem()
{
    static PosixFileSystem real;
    return real;
}

QString writeTarget(const QString &path, int *error)
{
    *error = 0;
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
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

int openRegularFile(const QString &path, qint64 maxBytes, qint64 *size, FileFault *fault)
{
    *fault = {};
    const auto refuse = [&](const FileFault &why) {
        *fault = why;
        return -1;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    // Look before opening: opening a FIFO would wait for a writer.
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT ? -1 : refuse(FileFault::system(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(notRegularFault(info.st_mode));
    if (info.st_size > maxBytes)
        return refuse(FileFault::tooLarge(info.st_size, maxBytes));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(FileFault::system(errno));
    // The name may have been replaced between the look and the open.
    FileFault why;
    if (::fstat(fd, &info) != 0)
        why = FileFault::system(errno);
    else if (!S_ISREG(info.st_mode))
        why = notRegularFault(info.st_mode);
    else if (info.st_size > maxBytes)
        why = FileFault::tooLarge(info.st_size, maxBytes);
    if (why.isFault()) {
        ::close(fd);
        return refuse(why);
    }
    *size = info.st_size;
    return fd;
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
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

WholeFile readWholeFile(const QString &path, qint64 maxBytes)
{
    WholeFile result;
    qint64 size = 0;
    const Fd fd(openRegularFile(path, maxBytes, &size, &result.fault));
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
        const ssize_t n = ::read(
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
