#pragma once

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <utility>

#include <QDirIterator>
#include <QFile>
#include <QString>

#include "store/file_system.h"

// Fails every write with ENOSPC from the chosen one on, as a full disk does.
class FullDisk : public PosixFileSystem
{
public:
    explicit FullDisk(int fromWrite)
        : from_(fromWrite)
    {
    }
    ssize_t write(int fd, const char *data, size_t size) override
    {
        if (writes_++ >= from_) {
            errno = ENOSPC;
            return -1;
        }
        return PosixFileSystem::write(fd, data, size);
    }
    int writes() const { return writes_; }

private:
    int from_;
    int writes_ = 0;
};

// A disk with room for so many bytes and files under root: what is there is counted at each call
// (a file once however many links it has, in whole blocks; a folder a block), and a call that
// would need more fails with ENOSPC; what is removed frees its room. peak() is the most a run
// needed, so a test can give a disk just that much.
class SmallDisk : public PosixFileSystem
{
public:
    struct Room
    {
        qint64 bytes = std::numeric_limits<qint64>::max() / 2;
        qint64 files = std::numeric_limits<qint64>::max() / 2;
    };
    SmallDisk(QString root, Room room)
        : root_(std::move(root))
        , room_(room)
    {
    }
    explicit SmallDisk(QString root)
        : SmallDisk(std::move(root), Room {})
    {
    }
    const Room &peak() const { return peak_; }

    ssize_t write(int fd, const char *data, size_t size) override
    {
        return fits(static_cast<qint64>(size), 0) ? PosixFileSystem::write(fd, data, size) : -1;
    }
    int createTemporary(QByteArray &t) override
    {
        return fits(0, 1) ? PosixFileSystem::createTemporary(t) : -1;
    }
    int open(const char *path, int flags, mode_t mode) override
    {
        return fits(0, flags & O_CREAT ? 1 : 0) ? PosixFileSystem::open(path, flags, mode) : -1;
    }
    int openAt(int d, const char *name, int flags, mode_t mode) override
    {
        return fits(0, flags & O_CREAT ? 1 : 0) ? PosixFileSystem::openAt(d, name, flags, mode)
                                                : -1;
    }
    int makeDirectory(const char *path, mode_t mode) override
    {
        return fits(Block, 1) ? PosixFileSystem::makeDirectory(path, mode) : -1;
    }
    int makeDirectoryAt(int d, const char *name, mode_t mode) override
    {
        return fits(Block, 1) ? PosixFileSystem::makeDirectoryAt(d, name, mode) : -1;
    }

private:
    static constexpr qint64 Block = 4096;

    bool fits(qint64 bytes, qint64 files)
    {
        std::set<std::pair<dev_t, ino_t>> seen;
        QDirIterator it(root_,
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            struct stat info;
            if (::lstat(QFile::encodeName(it.next()).constData(), &info) == 0
                && seen.insert({ info.st_dev, info.st_ino }).second) {
                files += 1;
                bytes += S_ISDIR(info.st_mode) ? Block : (info.st_size + Block - 1) / Block * Block;
            }
        }
        if (bytes > room_.bytes || files > room_.files) {
            errno = ENOSPC;
            return false;
        }
        peak_ = { std::max(peak_.bytes, bytes), std::max(peak_.files, files) };
        return true;
    }

    QString root_;
    Room room_;
    Room peak_ { 0, 0 };
};
