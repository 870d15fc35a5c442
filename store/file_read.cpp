#include "store/file_read.h"

Fd::~Fd()
{
    if (fd_ >= 0)
        fs_.close(fd_);
}
