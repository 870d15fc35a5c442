#include "store/data_lock.h"

#include <cerrno>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSysInfo>

#include "store/io_error.h"

using namespace Qt::StringLiterals;

DataLock::DataLock(const QString &dataDirectory)
    : directory_(dataDirectory)
    , lock_(std::make_unique<QLockFile>(lockPath()))
{
    // A copy on another machine may hold the folder for days; age says nothing about whether it
    // is still running. A dead process on this host is still recognised by its process id.
    lock_->setStaleLockTime(0);
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
    return finish(lock_->tryLock(0), user, now);
}

DataLock::Result DataLock::takeOver(const QString &user, const QDateTime &now)
{
    if (held())
        return Result::Acquired;
    // Fails while the holder still has the file open and locked (a live process on this host).
    lock_->removeStaleLockFile();
    return finish(lock_->tryLock(0), user, now);
}

void DataLock::release()
{
    if (!held())
        return;
    // The holder note goes first, so a copy that takes the lock next never loses its own note.
    QFile::remove(directory_ + QString::fromUtf16(HolderFileName));
    lock_->unlock();
}

DataLock::Result DataLock::finish(bool locked, const QString &user, const QDateTime &now)
{
    holder_ = {};
    reason_.clear();
    if (locked) {
        QSaveFile note(directory_ + QString::fromUtf16(HolderFileName));
        if (note.open(QIODevice::WriteOnly)) {
            note.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n'
                + localHost().toUtf8() + '\n' + user.toUtf8() + '\n'
                + now.toUTC().toString(Qt::ISODate).toUtf8() + '\n');
            note.commit(); // only informative: a copy that cannot read it falls back to the lock
        }
        return Result::Acquired;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        readHolder();
        return Result::HeldByOther;
    case QLockFile::PermissionError:
        reason_ = systemReason(EACCES);
        break;
    default:
        reason_ = QFileInfo(QFileInfo(lockPath()).absolutePath()).isDir()
            ? u"ロックファイルを作成できませんでした。"_s
            : systemReason(ENOENT);
        break;
    }
    return Result::Failed;
}

void DataLock::readHolder()
{
    holder_.known = lock_->getLockInfo(&holder_.pid, &holder_.host, &holder_.application);
    QFile note(directory_ + QString::fromUtf16(HolderFileName));
    if (holder_.known && note.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = note.readAll().split('\n');
        if (lines.size() >= 4 && lines[0].toLongLong() == holder_.pid
            && QString::fromUtf8(lines[1]) == holder_.host) {
            holder_.user = QString::fromUtf8(lines[2]);
            holder_.since = QDateTime::fromString(QString::fromUtf8(lines[3]), Qt::ISODate);
        }
    }
    // A note from an earlier holder does not describe this one: the lock file still tells
    // whose it is and when it was made.
    const QFileInfo lockInfo(lockPath());
    if (holder_.user.isEmpty())
        holder_.user = lockInfo.owner();
    if (!holder_.since.isValid())
        holder_.since = lockInfo.lastModified();
}

QString describeHolder(const LockHolder &holder)
{
    const QString unknown = u"不明"_s;
    const QString since = holder.since.isValid()
        ? holder.since.toLocalTime().toString(u"yyyy/MM/dd HH:mm"_s)
        : unknown;
    return u"ユーザー「%1」がコンピューター「%2」で %3 から"_s.arg(
        holder.user.isEmpty() ? unknown : holder.user,
        holder.host.isEmpty() ? unknown : holder.host, since);
}
