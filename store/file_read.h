#pragma once

#include <cstddef>
#include <sys/types.h>

// Data files and their temporary copies are read through a buffer of this many bytes at most,
// so a load or a check never holds a second copy of a whole table.
inline constexpr size_t ChunkBytes = 1 << 20;

// Closes a file descriptor when it goes.
class Fd
{
public:
    explicit Fd(int fd)
        : fd_(fd)
    {
    }
    ~Fd();
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads up to size bytes; fewer only at the end of the file. -1 on error.
ssize_t readFully(int fd, char *buffer, size_t size);
