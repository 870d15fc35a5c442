#include "store/file_read.h"

#include <cerrno>
#include <unistd.h>

Fd::~Fd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

ssize_t readFully(int fd, char *buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
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
