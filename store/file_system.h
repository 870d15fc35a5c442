#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "store/file_fault.h"

// A lock file in the form every copy of the program, older ones included, writes and honours
// (QLockFile's: the holder's process id, application and host, and a lock on the open file).
class LockFile
{
public:
    enum class Error { None, Held, Permission, Other };
    virtual ~LockFile() = default;
    // Never waits for the holder.
    virtual bool tryLock() = 0;
    // Removes the lock file unless a live process still holds it open and locked.
    virtual bool removeStale() = 0;
    // Removes the lock file, whatever file bears its name now.
    virtual void unlock() = 0;
    virtual bool isLocked() const = 0;
    // Why the last tryLock failed.
    virtual Error error() const = 0;
    // What the lock file says of its holder; false when it cannot be read.
    virtual bool holder(qint64 *pid, QString *host, QString *application) const = 0;
};

// The system calls by which the data files are read, replaced, recovered and backed up. Each
// returns what the POSIX call returns (-1 with errno set on failure); tests put a layer in
// between that fails a chosen step.
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    virtual int stat(const char *path, struct stat *info) = 0;
    // Does not follow a symbolic link.
    virtual int lstat(const char *path, struct stat *info) = 0;
    virtual int fstat(int fd, struct stat *info) = 0;
    virtual ssize_t read(int fd, char *buffer, size_t size) = 0;
    virtual int link(const char *from, const char *to) = 0;
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
    virtual int makeDirectory(const char *path, mode_t mode) = 0;
    // An empty directory.
    virtual int removeDirectory(const char *path) = 0;

    // The same calls relative to an open directory (openat, fstatat, unlinkat, renameat, mkdirat),
    // so that a folder swapped for a link between a look and an act is never followed.
    virtual int openAt(int directoryFd, const char *name, int flags, mode_t mode) = 0;
    // Does not follow a symbolic link.
    virtual int lstatAt(int directoryFd, const char *name, struct stat *info) = 0;
    // flags: 0 for a file, AT_REMOVEDIR for an empty directory.
    virtual int unlinkAt(int directoryFd, const char *name, int flags) = 0;
    virtual int renameAt(int directoryFd, const char *from, const char *to) = 0;
    virtual int makeDirectoryAt(int directoryFd, const char *name, mode_t mode) = 0;
    // The names in the open directory, without "." and ".."; the descriptor stays open.
    virtual int listDirectory(int directoryFd, std::vector<QByteArray> &names) = 0;
    // A lock file at path, not yet taken.
    virtual std::unique_ptr<LockFile> lockFile(const QString &path) = 0;
};

// A new file's mode before the user's umask takes its part, as any program's new file.
inline constexpr mode_t NewFileMode = 0666;
// The process's umask.
mode_t currentUmask();

// The real calls; a test layer derives from it and fails only what it means to.
class PosixFileSystem : public FileSystem
{
public:
    int stat(const char *path, struct stat *info) override;
    int lstat(const char *path, struct stat *info) override;
    int fstat(int fd, struct stat *info) override;
    ssize_t read(int fd, char *buffer, size_t size) override;
    int link(const char *from, const char *to) override;
    int createTemporary(QByteArray &pathTemplate) override;
    int open(const char *path, int flags, mode_t mode) override;
    int changeMode(int fd, mode_t mode) override;
    ssize_t write(int fd, const char *data, size_t size) override;
    int sync(int fd) override;
    int close(int fd) override;
    int rename(const char *from, const char *to) override;
    int unlink(const char *path) override;
    int syncDirectory(const char *directory) override;
    int makeDirectory(const char *path, mode_t mode) override;
    int removeDirectory(const char *path) override;
    int openAt(int directoryFd, const char *name, int flags, mode_t mode) override;
    int lstatAt(int directoryFd, const char *name, struct stat *info) override;
    int unlinkAt(int directoryFd, const char *name, int flags) override;
    int renameAt(int directoryFd, const char *from, const char *to) override;
    int makeDirectoryAt(int directoryFd, const char *name, mode_t mode) override;
    int listDirectory(int directoryFd, std::vector<QByteArray> &names) override;
    std::unique_ptr<LockFile> lockFile(const QString &path) override;
};

FileSystem &systemFileSystem();

// A path as the system calls take it (the locale's encoding, as every Qt file class uses), and
// back.
QByteArray nativePath(const QString &path);
QString pathFromNative(const QByteArray &path);

// The file a write to path should replace: path itself, or for a symbolic link the file it
// leads to, so the link stays a link. A dangling link leads to the path it names (as opening it
// for writing would), provided that folder exists; otherwise empty, with error set.
// A link another user owns is never followed (EACCES): in a shared folder it could lead to that
// user's files.
// A name that cannot be looked at gives empty, with error set.
QString writeTarget(const QString &path, int *error, FileSystem &fs);

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
WholeFile readWholeFile(const QString &path, qint64 maxBytes, FileSystem &fs);

// Opens path for reading when it is a regular file of at most maxBytes; a FIFO is refused without
// waiting on it, a device without opening it. The descriptor, with size set; otherwise -1, with
// fault set, or left none when there is no such file.
int openRegularFile(
    const QString &path, qint64 maxBytes, qint64 *size, FileFault *fault, FileSystem &fs);

// What an open descriptor must be to be read: a regular file of at most maxBytes (size set); the
// fault otherwise, the descriptor left open.
FileFault checkOpenedFile(FileSystem &fs, int fd, qint64 maxBytes, qint64 *size);

// Reads up to size bytes, going on after an interrupted call; fewer only at the end of the
// file. -1 on error.
ssize_t readFully(FileSystem &fs, int fd, char *buffer, size_t size);

// Syncs (unless error, an errno or 0, says the writing already failed) and closes fd; the first
// errno, or 0.
int syncAndClose(FileSystem &fs, int fd, int error);

// Ends the writing of a new file: syncs and closes fd, and removes the file at path when that or
// the writing before it (error, an errno or 0) failed. The first errno, or 0.
int finishNewFile(FileSystem &fs, int fd, const QByteArray &path, int error);

// A second name for the file at from (a hard link, which costs no space), or where links are not
// possible a complete copy of it; 0, or the errno of the failure, leaving nothing at to.
int linkOrCopy(FileSystem &fs, const QString &from, const QString &to);

// What tells one file from another on disk: a file replaced by another has another inode, a file
// written in place another size or change time (which no program can set back).
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileIdentity &) const = default;
};
// The identity of the file path leads to (through a link); not existing when there is none.
FileIdentity identityOf(FileSystem &fs, const QString &path);

// Where a path leads: its folder with every link resolved, and its own name. Two spellings of
// one place give the same answer; empty when the folder is not there.
QString placeOf(const QString &path);

// Whether something of this name exists, a dangling link too. Unknown when it cannot be looked
// at (error then holds the errno): recovery must never take that for "absent".
enum class Presence { Absent, Present, Unknown };
Presence presenceOf(FileSystem &fs, const QString &path, int *error = nullptr);

// True when path leads to something (through links): a dangling link leads nowhere.
bool leadsSomewhere(FileSystem &fs, const QString &path);

// Makes the folder at path and every missing folder above it; true when it is there after.
bool makePath(FileSystem &fs, const QString &path);

// Paths as text, so that the rest of the store makes no file call of its own. No file is looked
// at, except by canonicalPathOf, which follows every link.
// The folder holding path, absolute.
QString parentFolderOf(const QString &path);
// path made absolute against the current folder, "." and ".." left as they are.
QString absoluteFilePathOf(const QString &path);
// The name name beside the file at path, in its folder as path spells it.
QString besidePath(const QString &path, const QString &name);
// path from inside folder; and a path relative to folder made absolute and clean.
QString relativePathIn(const QString &folder, const QString &path);
QString resolvedIn(const QString &folder, const QString &relative);
// Where path leads with every link resolved; empty when it leads nowhere.
QString canonicalPathOf(const QString &path);

// True when path leads to a folder (through links).
bool isFolder(FileSystem &fs, const QString &path);

// path made absolute against the current folder, with "." and ".." and doubled separators taken
// out; no file is looked at.
QString absoluteCleanPath(const QString &path);

// True when something of this name exists, or may exist: it cannot be looked at.
bool pathExists(FileSystem &fs, const QString &path);

// Opens a directory for the *At calls; a symbolic link in its place is refused (ELOOP/ENOTDIR).
int openDirectory(FileSystem &fs, const QString &path);

// The names in the folder at path (through a link); false with error set when it cannot be read.
bool listFolder(FileSystem &fs, const QString &path, QStringList &names, int *error);

// Writes all of data, going on after an interrupted call; 0, or the errno of the failure.
int writeAll(FileSystem &fs, int fd, const char *data, size_t size);

// A file of this mode that is not a regular file: a folder is the system's EISDIR.
FileFault notRegularFault(mode_t mode);
