#pragma once

#include <memory>

#include <QDateTime>
#include <QString>

#include "store/file_system.h"

inline constexpr const char16_t *LockFileName = u"tegata.lock";
// Beside the lock: who holds it and since when, which the lock file itself does not say.
inline constexpr const char16_t *HolderFileName = u"tegata.holder";

// Who holds a data folder's lock, as far as can be told.
struct LockHolder
{
    qint64 pid = 0;
    QString host;
    QString application;
    QString user; // the system login; empty when unknown
    QString programUser; // who logged in to the program; empty when unknown or not yet
    QDateTime since; // invalid when unknown
    bool known = false; // false when the lock file could not be read (left half-written)
    // On this host, but no such process runs: a lock left by a copy that ended, which this
    // account may not remove (another account's file in a shared folder).
    bool gone = false;
};

// One program at a time writes a data folder: the one holding this lock. The lock lives as long
// as the program has the folder open. A live holder is never taken over by age; a lock left by a
// dead process on this host is cleared by itself; a lock from another host (or an unreadable
// one) can only be taken over on the user's word.
class DataLock
{
public:
    enum class Result { Acquired, HeldByOther, Failed };

    // dataDirectory is joined to the file names as the data files are (plain concatenation).
    // Every file call goes through fs, the lock file's too.
    DataLock(const QString &dataDirectory, FileSystem &fs);
    ~DataLock();
    DataLock(const DataLock &) = delete;
    DataLock &operator=(const DataLock &) = delete;

    // user and now are recorded for a second copy to show.
    Result acquire(const QString &user, const QDateTime &now);
    // Removes the holder's lock, then acquires. Only for a holder the user has chosen to
    // override; a live holder on this host keeps its lock whatever is asked.
    Result takeOver(const QString &user, const QDateTime &now);
    // Removes the lock, but only one still this copy's: a lock file taken over since, or found
    // at that name after the folder was moved, is another's and is left alone.
    void release();

    bool held() const;
    // Held, and the lock file is still the one this copy made: not removed, not replaced, and
    // naming this process. A lock file deleted behind the holder's back lets another copy in.
    bool stillOurs() const;
    const QString &directory() const { return directory_; }
    QString lockPath() const;
    // After HeldByOther.
    const LockHolder &holder() const { return holder_; }
    // True when the holder may be gone without this host being able to tell: another host, or
    // a lock file that cannot be read. A holder on this host is known to be alive.
    bool holderMayBeStale() const;
    // After Failed: the errno, or 0 when the lock file could not be made for another reason.
    int error() const { return error_; }
    // The holder file names the program's user too, once one has logged in.
    void recordProgramUser(const QString &name);

    // The name of this host, as the lock file records it.
    static QString localHost();

private:
    Result finish(bool locked, const QString &user, const QDateTime &now);
    void abandon();
    void readHolder();
    void writeHolder();

    QString directory_;
    FileSystem &fs_;
    std::unique_ptr<LockFile> lock_;
    LockHolder holder_;
    LockHolder own_; // what this copy records while it holds the lock
    FileIdentity lockFile_; // the lock file this copy made
    int error_ = 0;
};
