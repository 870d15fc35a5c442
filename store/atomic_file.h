#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>

#include "store/content_checksum.h"
#include "store/file_system.h"

// Replaces a file without ever leaving it half-written: the content goes to a temporary file
// beside the target, is flushed and synced, and only commit() renames it over the target (and
// syncs the directory). Until then the old file is untouched; a writer destroyed before its
// rename removes its temporary file unless keepTemporary() handed it over.
//
// A target that is a symbolic link is written through: the temporary file lies beside the file
// the link leads to, and that file is replaced, so the link stays.
class AtomicFile
{
public:
    // mode, less the umask, applies to a new target; an existing target keeps its own permission
    // bits and group unless forceMode is set.
    AtomicFile(const QString &target, mode_t mode, bool forceMode, FileSystem &fs);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    bool open();
    bool write(const char *data, size_t size);
    bool write(const QByteArray &bytes)
    {
        return write(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    // Asks the system to start putting what is written so far on disk, without waiting, so that
    // the sync in finish() has less left to do. A hint: nothing fails by it.
    void startWriteback();
    // Flushes, syncs and closes the temporary file.
    bool finish();
    // Renames the finished temporary file over the target, without syncing the directory.
    bool replaceTarget();
    // replaceTarget() and a sync of the directory.
    bool commit();
    void discard();
    // Leaves the temporary file in place when this writer goes (a journal names it).
    void keepTemporary() { tempPath_.clear(); }
    // For the program's own files (the lock holder's note): a link in the target's place is
    // replaced, never written through, so no other file is ever reached by it. Before open().
    void replaceLinkItself() { followLinks_ = false; }

    const QString &target() const { return target_; }
    // The file actually replaced: the target, or the file its link leads to.
    const QString &realTarget() const { return realTarget_; }
    QString temporaryPath() const { return pathFromNative(tempPath_); }
    bool replaced() const { return replaced_; }
    // Keeps a checksum of everything written from here on, for a save journal; other writers
    // do not pay for it.
    void keepChecksum() { hashing_ = true; }
    // Size and checksum of everything written so far.
    qint64 size() const { return size_; }
    QByteArray checksum() const { return hash_.result(); }
    // errno of the first failure; 0 when nothing failed.
    int error() const { return error_; }

private:
    bool fail(int err);

    FileSystem &fs_;
    QString target_;
    QString realTarget_;
    QByteArray tempPath_;
    mode_t mode_;
    bool forceMode_;
    bool followLinks_ = true;
    int fd_ = -1;
    int error_ = 0;
    bool finished_ = false;
    bool replaced_ = false;
    qint64 size_ = 0;
    bool hashing_ = false;
    ContentChecksum hash_;
};

// Syncs the directory holding path, so a rename inside it survives a power cut.
bool syncDirectoryOf(const QString &path, FileSystem &fs);

// One-shot replacement of a whole file; on failure error holds the errno and the old file is
// unchanged, unless replaced says the new file is in place and only the folder's sync failed.
bool writeFileAtomically(const QString &path, const QByteArray &content, mode_t mode,
    bool forceMode, int *error, bool *replaced, FileSystem &fs);
