#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>

// Replaces a file without ever leaving it half-written: the content goes to a temporary file
// beside the target, is flushed and synced, and only commit() renames it over the target (and
// syncs the directory). Until commit() the old file is untouched; a writer destroyed without
// commit() removes its temporary file.
class AtomicFile
{
public:
    // mode applies to a new target; an existing target keeps its own permission bits unless
    // forceMode is set.
    AtomicFile(const QString &target, mode_t mode, bool forceMode = false);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    bool open();
    bool write(const char *data, size_t size);
    bool write(const QByteArray &bytes)
    {
        return write(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    // Flushes, syncs and closes the temporary file.
    bool finish();
    // Renames the finished temporary file over the target and syncs the directory.
    bool commit();
    void discard();

    const QString &target() const { return target_; }
    // errno of the first failure; 0 when nothing failed.
    int error() const { return error_; }

private:
    bool fail(int err);

    QString target_;
    QByteArray tempPath_;
    mode_t mode_;
    bool forceMode_;
    int fd_ = -1;
    int error_ = 0;
    bool finished_ = false;
};

// Syncs the directory holding path, so a rename inside it survives a power cut.
bool syncDirectoryOf(const QString &path);

// One-shot replacement of a whole file; on failure error holds the errno and the old file is
// unchanged.
bool writeFileAtomically(
    const QString &path, const QByteArray &content, mode_t mode, bool forceMode, int *error);
