#include "store/data_lock.h"

#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <vector>

#include <QCoreApplication>
#include <QSysInfo>

#include "store/atomic_file.h"
#include "store/settings_file.h"

namespace {

// The login of a user id, as the system names it; empty when it has no name.
QString loginName(uid_t uid)
{
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd *found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return QString::fromLocal8Bit(found->pw_name);
    return {};
}

} // namespace

DataLock::DataLock(const QString &dataDirectory, FileSystem &fs)
    : directory_(dataDirectory)
    , fs_(fs)
    , lock_(fs.lockFile(lockPath()))
{
}

DataLock::~DataLock()
{
    release();
}

QString DataLock::lockPath() const
{
    return directory_ + QString::fromUtf16(LockFileName);
}

QString DataLock::localHost()
{
    return QSysInfo::machineHostName();
}

bool DataLock::held() const
{
    return lock_->isLocked();
}

bool DataLock::holderMayBeStale() const
{
    return !holder_.known || holder_.host != localHost();
}

DataLock::Result DataLock::acquire(const QString &user, const QDateTime &now)
{
    if (held())
        return Result::Acquired;
    // The lock file is read whole when another holds it: a FIFO in its place would never
    // answer, and a huge one would fill the memory. A real one is a few lines.
    struct stat info;
    if (fs_.lstat(nativePath(lockPath()).constData(), &info) == 0
        && (!S_ISREG(info.st_mode) || info.st_size > 4096)) {
        error_ = S_ISDIR(info.st_mode) ? EISDIR : S_ISREG(info.st_mode) ? EFBIG : EINVAL;
        return Result::Failed;
    }
    return finish(lock_->tryLock(), user, now);
}

DataLock::Result DataLock::takeOver(const QString &user, const QDateTime &now)
{
    if (held())
        return Result::Acquired;
    // Fails while the holder still has the file open and locked (a live process on this host).
    lock_->removeStale();
    return finish(lock_->tryLock(), user, now);
}

bool DataLock::stillOurs() const
{
    if (!held() || identityOf(fs_, lockPath()) != lockFile_)
        return false;
    // The lock file's first line is its holder's process id.
    const WholeFile content = readWholeFile(lockPath(), 4096, fs_);
    return !content.fault.isFault()
        && content.bytes.left(content.bytes.indexOf('\n')).toLongLong() == own_.pid;
}

void DataLock::release()
{
    if (!held())
        return;
    if (!stillOurs()) {
        abandon();
        return;
    }
    // The holder note goes first, so a copy that takes the lock next never loses its own note.
    fs_.unlink(nativePath(directory_ + QString::fromUtf16(HolderFileName)).constData());
    lock_->unlock();
}

// Unlocking a lock file, as its destructor does, removes whatever file bears its name now. A lock
// this copy no longer owns is kept, never unlocked, until the program ends.
void DataLock::abandon()
{
    static auto *lost = new std::vector<std::unique_ptr<LockFile>>;
    lost->push_back(std::move(lock_));
    lock_ = fs_.lockFile(lockPath());
}

// Lines: process id, host, system login, since (UTC), and the program's user once known. A
// reader that knows only the first four still reads them.
void DataLock::writeHolder()
{
    AtomicFile note(directory_ + QString::fromUtf16(HolderFileName), NewFileMode, false, fs_);
    note.replaceLinkItself();
    // Only informative: a copy that cannot read it falls back to the lock.
    note.open()
        && note.write(QByteArray::number(own_.pid) + '\n' + own_.host.toUtf8() + '\n'
            + own_.user.toUtf8() + '\n' + own_.since.toUTC().toString(Qt::ISODate).toUtf8() + '\n'
            + own_.programUser.toUtf8() + '\n')
        && note.finish() && note.commit();
}

void DataLock::recordProgramUser(const QString &name)
{
    own_.programUser = name;
    if (held())
        writeHolder();
}

DataLock::Result DataLock::finish(bool locked, const QString &user, const QDateTime &now)
{
    holder_ = {};
    error_ = 0;
    if (locked) {
        own_.pid = QCoreApplication::applicationPid();
        own_.host = localHost();
        own_.user = user;
        own_.since = now;
        lockFile_ = identityOf(fs_, lockPath());
        writeHolder();
        return Result::Acquired;
    }
    switch (lock_->error()) {
    case LockFile::Error::Held:
        readHolder();
        return Result::HeldByOther;
    case LockFile::Error::Permission:
        error_ = EACCES;
        break;
    default:
        error_ = isFolder(fs_, dataFolderOf(directory_)) ? 0 : ENOENT;
        break;
    }
    return Result::Failed;
}

void DataLock::readHolder()
{
    holder_.known = lock_->holder(&holder_.pid, &holder_.host, &holder_.application);
    // Bounded and regular only: the note is anyone's to plant in a shared folder.
    const WholeFile note =
        readWholeFile(directory_ + QString::fromUtf16(HolderFileName), 4096, fs_);
    if (holder_.known && !note.missing && !note.fault.isFault()) {
        const QList<QByteArray> lines = note.bytes.split('\n');
        if (lines.size() >= 4 && lines[0].toLongLong() == holder_.pid
            && QString::fromUtf8(lines[1]) == holder_.host) {
            holder_.user = QString::fromUtf8(lines[2]);
            holder_.since = QDateTime::fromString(QString::fromUtf8(lines[3]), Qt::ISODate);
            if (lines.size() >= 5)
                holder_.programUser = QString::fromUtf8(lines[4]);
        }
    }
    holder_.gone = holder_.known && holder_.host == localHost() && holder_.pid > 0
        && ::kill(static_cast<pid_t>(holder_.pid), 0) != 0 && errno == ESRCH;
    // A note from an earlier holder does not describe this one: the lock file still tells
    // whose it is and when it was made.
    struct stat lockInfo;
    if (fs_.stat(nativePath(lockPath()).constData(), &lockInfo) != 0)
        return;
    if (holder_.user.isEmpty())
        holder_.user = loginName(lockInfo.st_uid);
    if (!holder_.since.isValid())
        holder_.since =
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(lockInfo.st_mtim.tv_sec) * 1000
                + lockInfo.st_mtim.tv_nsec / 1000000);
}
