#pragma once

#include <cerrno>

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
