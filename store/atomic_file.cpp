#include "store/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

AtomicFile::AtomicFile(const QString &target, mode_t mode, bool forceMode)
    : target_(target)
    , mode_(mode)
    , forceMode_(forceMode)
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(int err)
{
    if (error_ == 0)
        error_ = err != 0 ? err : EIO;
    return false;
}

bool AtomicFile::open()
{
    tempPath_ = QFile::encodeName(target_) + ".tmp-XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        tempPath_.clear();
        return fail(errno);
    }
    mode_t wanted = mode_;
    struct stat old;
    if (!forceMode_ && ::stat(QFile::encodeName(target_).constData(), &old) == 0)
        wanted = old.st_mode & 07777;
    if (::fchmod(fd_, wanted) != 0)
        return fail(errno);
    return true;
}

bool AtomicFile::write(const char *data, size_t size)
{
    if (fd_ < 0)
        return fail(EBADF);
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFile::finish()
{
    if (fd_ < 0)
        return fail(EBADF);
    if (::fdatasync(fd_) != 0) {
        ::close(fd_);
        fd_ = -1;
        return fail(errno);
    }
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0)
        return fail(errno);
    finished_ = true;
    return true;
}

bool AtomicFile::commit()
{
    if (!finished_ || error_ != 0)
        return fail(EBADF);
    if (::rename(tempPath_.constData(), QFile::encodeName(target_).constData()) != 0)
        return fail(errno);
    tempPath_.clear();
    if (!syncDirectoryOf(target_))
        return fail(errno);
    return true;
}

void AtomicFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.isEmpty()) {
        ::unlink(tempPath_.constData());
        tempPath_.clear();
    }
}

bool syncDirectoryOf(const QString &path)
{
    QString dir = QFileInfo(path).absolutePath();
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

bool writeFileAtomically(
    const QString &path, const QByteArray &content, mode_t mode, bool forceMode, int *error)
{
    AtomicFile file(path, mode, forceMode);
    const bool ok = file.open() && file.write(content) && file.finish() && file.commit();
    if (error)
        *error = file.error();
    return ok;
}
