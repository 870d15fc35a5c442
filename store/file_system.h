#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>

#include "store/file_fault.h"

// The system calls by which files are replaced. Each returns what the POSIX call returns (-1 with
// errno set on failure); tests put a layer in between that fails a chosen step.
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    // mkstemp: fills in the template's trailing XXXXXX.
    virtual int createTemporary(QByteArray &pathTemplate) = 0;
    virtual int open(const char *path, int flags, mode_t mode) = 0;
    virtual int changeMode(int fd, mode_t mode) = 0;
    virtual ssize_t write(int fd, const char *data, size_t size) = 0;
    // fdatasync
    virtual int sync(int fd) = 0;
    virtual int close(int fd) = 0;
    virtual int rename(const char *from, const char *to) = 0;
    virtual int unlink(const char *path) = 0;
    // Makes the entries of a directory (new names, renames, removals) durable.
    virtual int syncDirectory(const char *directory) = 0;
};

// The real calls.
FileSystem &systemFileSystem();

// The file a write to path should replace: path itself, or for a symbolic link the file it
// leads to, so the link stays a link. A dangling link leads to the path it names (as opening it
// for writing would), provided that folder exists; otherwise empty, with error set.
QString writeTarget(const QString &path, int *error);

// How many bytes of input may be taken into memory at once: half the physical memory, so a
// file that cannot be a real register (a sparse file of many gigabytes) is refused before it is
// read instead of ending the program when memory runs out. The other half is left to the grids,
// the reports and the system.
qint64 memoryBudget();

struct WholeFile
{
    QByteArray bytes;
    bool missing = false; // no such file: not a fault for most callers
    FileFault fault; // none when the whole file was read
};

// Reads a small file whole: only a regular file (a FIFO is refused without waiting on it, a
// device without reading it), and only up to maxBytes.
WholeFile readWholeFile(const QString &path, qint64 maxBytes);

// Opens path for reading when it is a regular file of at most maxBytes; a FIFO is refused without
// waiting on it, a device without opening it. The descriptor, with size set; otherwise -1, with
// fault set, or left none when there is no such file.
int openRegularFile(const QString &path, qint64 maxBytes, qint64 *size, FileFault *fault);

// Writes all of data, going on after an interrupted call; 0, or the errno of the failure.
int writeAll(FileSystem &fs, int fd, const char *data, size_t size);

// A file of this mode that is not a regular file: a folder is the system's EISDIR.
FileFault notRegularFault(mode_t mode);
