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
#include "store/io_error.h"

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

QString notRegularFileReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return systemReason(EISDIR);
    return u"通常のファイルではありません（名前付きパイプやデバイスなどは読み込めません）。"_s;
}

QString tooLargeReason(qint64 size, qint64 limit)
{
    return u"ファイルが大きすぎます（%1 バイト）。読み込める大きさは %2 バイトまでです。"_s
        .arg(size)
        .arg(limit);
}

int openRegularFile(const QString &path, qint64 maxBytes, qint64 *size, QString *reason)
{
    reason->clear();
    const auto refuse = [&](const QString &why) {
        *reason = why;
        return -1;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    // Look before opening: opening a FIFO would wait for a writer.
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT ? -1 : refuse(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(notRegularFileReason(info.st_mode));
    if (info.st_size > maxBytes)
        return refuse(tooLargeReason(info.st_size, maxBytes));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(systemReason(errno));
    // The name may have been replaced between the look and the open.
    QString why;
    if (::fstat(fd, &info) != 0)
        why = systemReason(errno);
    else if (!S_ISREG(info.st_mode))
        why = notRegularFileReason(info.st_mode);
    else if (info.st_size > maxBytes)
        why = tooLargeReason(info.st_size, maxBytes);
    if (!why.isEmpty()) {
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
    const Fd fd(openRegularFile(path, maxBytes, &size, &result.reason));
    if (fd.get() < 0) {
        result.missing = result.reason.isEmpty();
        return result;
    }
    // A file that grows while it is read is still stopped at the limit.
    result.bytes.resize(static_cast<qsizetype>(size) + 1);
    qsizetype done = 0;
    for (;;) {
        if (done == result.bytes.size()) {
            if (done > maxBytes) {
                result.reason = tooLargeReason(done, maxBytes);
                break;
            }
            result.bytes.resize(std::min<qint64>(done * 2 + 4096, maxBytes + 1));
        }
        const ssize_t n = ::read(
            fd.get(), result.bytes.data() + done, static_cast<size_t>(result.bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.reason = systemReason(errno);
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    if (!result.reason.isEmpty())
        result.bytes.clear();
    else
        result.bytes.resize(done);
    return result;
}
