#include "messages/store_messages.h"

#include "store/io_error.h"

using namespace Qt::StringLiterals;

namespace {

QString whoHolds(const LockOutcome &lock)
{
    return lock.holder.known ? u"%1使用中です。"_s.arg(messages::holderPhrase(lock.holder))
                             : u"ほかのプログラムが使用中です（使用者は分かりません）。"_s;
}

QString lockReason(const LockOutcome &lock)
{
    return lock.error != 0 ? systemReason(lock.error) : u"ロックファイルを作成できませんでした。"_s;
}

} // namespace

namespace messages {

QString holderPhrase(const LockHolder &holder)
{
    const QString unknown = u"不明"_s;
    const QString since = holder.since.isValid()
        ? holder.since.toLocalTime().toString(u"yyyy/MM/dd HH:mm"_s)
        : unknown;
    const QString user = holder.user.isEmpty() ? unknown : holder.user;
    const QString host = holder.host.isEmpty() ? unknown : holder.host;
    if (!holder.programUser.isEmpty())
        return u"「%1」（ユーザー「%2」）がコンピューター「%3」で %4 から"_s.arg(
            holder.programUser, user, host, since);
    return u"ユーザー「%1」がコンピューター「%2」で %3 から"_s.arg(user, host, since);
}

QString readOnlyStatus(const Register &data)
{
    if (!data.readOnly())
        return {};
    const LockHolder &holder = data.lockHolder();
    if (holder.known)
        return u"読み取り専用: %1使用中"_s.arg(holderPhrase(holder));
    return u"読み取り専用"_s;
}

QString lockFailedAtStart(const QString &folder, const LockOutcome &lock)
{
    if (lock.result == DataLock::Result::Failed)
        return u"\nデータフォルダー「%1」にロックファイルを作成できないため、"
               u"読み取り専用で開いています。保存はできません。\n理由: %2"_s.arg(
                   folder, lockReason(lock));
    return u"\nデータフォルダー「%1」は、%2\n"
           u"読み取り専用で開きます。表示・検索・印刷はできますが、保存はできません。"_s.arg(
               folder, whoHolds(lock));
}

QString takeOverQuestion(const QString &folder, const LockOutcome &lock)
{
    return u"\nデータフォルダー「%1」は、%2\n"
           u"そのプログラムが既に終了している場合だけ、引き継いで開いてください。"
           u"使用中のまま引き継ぐと、どちらかの変更が失われます。\n\n"
           u"OK: 引き継いで開く\nキャンセル: 読み取り専用で開く（表示・検索・印刷のみ）"_s.arg(
               folder, whoHolds(lock));
}

QString takeOverFailed(const QString &folder)
{
    return u"\nデータフォルダー「%1」を引き継げませんでした。まだ使用中です。\n"
           u"読み取り専用で開きます。表示・検索・印刷はできますが、保存はできません。"_s.arg(
               folder);
}

QString readOnlyNotice(const QString &folder, const LockOutcome &lock)
{
    if (lock.result == DataLock::Result::Failed)
        return lockFailedAtStart(folder, lock);
    return u"\nデータフォルダー「%1」は、%2\n読み取り専用で開いているため、保存できません。"_s.arg(
        folder, whoHolds(lock));
}

QString saveRefused(const QString &folder, const LockOutcome &lock)
{
    if (lock.result == DataLock::Result::HeldByOther)
        return u"\n保存できません。\nデータフォルダー「%1」は、%2使用中です。"_s.arg(
            folder, holderPhrase(lock.holder));
    return u"\n保存できません。\nロックファイル「%1」を作成できませんでした。\n理由: %2"_s.arg(
        lock.lockPath, lockReason(lock));
}

} // namespace messages
