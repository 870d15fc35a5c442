#include "store/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AtomicFile::AtomicFile(const QString &target, mode_t mode, bool forceMode, FileSystem &fs)
    : fs_(fs)
    , target_(target)
    , realTarget_(target)
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
    int err = 0;
    realTarget_ = followLinks_ ? writeTarget(target_, &err, fs_) : target_;
    if (realTarget_.isEmpty()) {
        realTarget_ = target_;
        return fail(err);
    }
    tempPath_ = nativePath(realTarget_) + ".tmp-XXXXXX";
    fd_ = fs_.createTemporary(tempPath_);
    if (fd_ < 0) {
        tempPath_.clear();
        return fail(errno);
    }
    // mkstemp makes the file 0600 whatever the umask; a new file gets what any program's would.
    mode_t wanted = mode_ & ~currentUmask();
    struct stat old;
    if (!forceMode_ && fs_.stat(nativePath(realTarget_).constData(), &old) == 0) {
        wanted = old.st_mode & 07777;
        // A file shared by a group stays that group's; only its owner or root can keep it so.
        if (old.st_gid != ::getegid() && ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0)
            wanted &= ~static_cast<mode_t>(S_ISGID);
    }
    if (fs_.changeMode(fd_, wanted) != 0)
        return fail(errno);
    return true;
}

bool AtomicFile::write(const char *data, size_t size)
{
    if (fd_ < 0)
        return fail(EBADF);
    if (hashing_)
        hash_.add(QByteArrayView(data, static_cast<qsizetype>(size)));
    size_ += static_cast<qint64>(size);
    if (const int err = writeAll(fs_, fd_, data, size); err != 0)
        return fail(err);
    return true;
}

void AtomicFile::startWriteback()
{
    if (fd_ >= 0)
        ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool AtomicFile::finish()
{
    if (fd_ < 0)
        return fail(EBADF);
    if (fs_.sync(fd_) != 0) {
        const int err = errno;
        fs_.close(fd_);
        fd_ = -1;
        return fail(err);
    }
    const int rc = fs_.close(fd_);
    fd_ = -1;
    if (rc != 0)
        return fail(errno);
    finished_ = true;
    return true;
}

bool AtomicFile::replaceTarget()
{
    if (!finished_ || error_ != 0)
        return fail(EBADF);
    if (fs_.rename(tempPath_.constData(), nativePath(realTarget_).constData()) != 0)
        return fail(errno);
    tempPath_.clear();
    replaced_ = true;
    return true;
}

bool AtomicFile::commit()
{
    if (!replaceTarget())
        return false;
    if (!syncDirectoryOf(realTarget_, fs_))
        return fail(errno);
    return true;
}

void AtomicFile::discard()
{
    if (fd_ >= 0) {
        fs_.close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.isEmpty()) {
        fs_.unlink(tempPath_.constData());
        tempPath_.clear();
    }
}

bool syncDirectoryOf(const QString &path, FileSystem &fs)
{
    return fs.syncDirectory(nativePath(parentFolderOf(path)).constData()) == 0;
}

bool writeFileAtomically(const QString &path, const QByteArray &content, mode_t mode,
    bool forceMode, int *error, bool *replaced, FileSystem &fs)
{
    AtomicFile file(path, mode, forceMode, fs);
    const bool ok = file.open() && file.write(content) && file.finish() && file.commit();
    if (error)
        *error = file.error();
    if (replaced)
        *replaced = file.replaced();
    return ok;
}
