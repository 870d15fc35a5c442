#pragma once

#include <cstddef>

#include "store/file_system.h"

// Data files and their temporary copies are read through a buffer of this many bytes at most,
// so a load or a check never holds a second copy of a whole table.
inline constexpr size_t ChunkBytes = 1 << 20;

// Closes a file descriptor when it goes, through the file layer that opened it.
class Fd
{
public:
    explicit Fd(int fd, FileSystem &fs)
        : fd_(fd)
        , fs_(fs)
    {
    }
    ~Fd();
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
    FileSystem &fs_;
};
