#include "messages/store_messages.h"

#include <QFileInfo>

#include "messages/io_error.h"

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
    if (lock.result == DataLock::Result::HeldByOther && lock.holder.gone)
        return u"\nデータフォルダー「%1」のロックファイル「%2」は、%"
               u"3使っていたプログラムが残したものですが、"
               u"そのプログラムはもう動いていません。別のアカウントのファイルのため、このプログラム"
               u"からは消せません。\n"
               u"そのユーザーか管理者にロックファイルを消してもらってから、起動し直してください。\n"
               u"読み取り専用で開きます。表示・検索・印刷はできますが、保存はできません。"_s.arg(
                   folder, lock.lockPath, holderPhrase(lock.holder));
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

QString saveRefused(const QString &folder, const SaveOutcome &outcome)
{
    // Restarting or reading the register again would lose the work: the way to keep it comes
    // with every refusal.
    const QString keepWork =
        u"\n変更はまだ保存されていません。変更を残すには、別のフォルダーに保存してください"
        u"（取り込み画面の「全件書き出し」でも書き出せます）。"_s;
    const LockOutcome &lock = outcome.lock;
    switch (outcome.refusal) {
    case SaveOutcome::Refusal::None:
    case SaveOutcome::Refusal::ReadOnly:
    case SaveOutcome::Refusal::TargetIsCurrent:
    case SaveOutcome::Refusal::TargetUnusable:
    case SaveOutcome::Refusal::TargetHoldsData:
        return {};
    case SaveOutcome::Refusal::Locked:
        if (lock.result == DataLock::Result::HeldByOther)
            return u"\n保存できません。\nデータフォルダー「%1」は、%2使用中です。"_s.arg(
                       folder, holderPhrase(lock.holder))
                + keepWork;
        return u"\n保存できません。\nロックファイル「%1」を作成できませんでした。\n理由: %2"_s.arg(
                   lock.lockPath, lockReason(lock))
            + keepWork;
    case SaveOutcome::Refusal::LockLost:
        return u"\n保存できません。\nデータフォルダー「%"
               u"1」のロックファイルが消されたか、置き換えられています。"
               u"ほかのプログラムが同じフォルダーに書き込んでいるおそれがあります。"_s.arg(folder)
            + keepWork
            + u"\nこのフォルダーを使い続けるには、その後で、ほかのプログラムを終了してから、"
              u"このプログラムを起動し直してください。"_s;
    case SaveOutcome::Refusal::FolderGone:
        return u"\n保存できません。\nデータフォルダー「%1」が見つかりません。"
               u"このプログラムが開いた後に、フォルダーの名前が変えられたか、"
               u"移動または削除されたようです。"_s.arg(folder)
            + keepWork;
    case SaveOutcome::Refusal::FolderReplaced:
        return u"\n保存できません。\nデータフォルダー「%"
               u"1」は、このプログラムが開いたフォルダーではなくなっています。"
               u"開いた後に、フォルダーの名前が変えられたか移動され、"
               u"同じ名前で別のものが置かれたようです。"_s.arg(folder)
            + keepWork;
    case SaveOutcome::Refusal::FolderUnreachable:
        return u"\n保存できません。\nデータフォルダー「%1」にアクセスできません"
               u"（ネットワークの切断やアクセス権の変更など）。\n理由: %2"_s.arg(
                   folder, systemReason(outcome.error))
            + keepWork;
    case SaveOutcome::Refusal::ChangedOnDisk:
        return u"\n保存できません。\n次のデータファイルは、このプログラムが読み込んだ後に変更された"
               u"か、"
               u"読み込んだときにはなかったものです: %1\n"
               u"上書きすると、その内容が失われます。"_s.arg(quotedList(outcome.changedFiles))
            + keepWork;
    case SaveOutcome::Refusal::NoFolder:
        return u"\n保存できません。\n設定ファイルの1行目が空のため、データフォルダーが分かりません"
               u"。"_s
            + keepWork
            + u"\nその後で、1行目にデータフォルダーを書いてから、プログラムを起動し直してください。"_s;
    case SaveOutcome::Refusal::FolderRunOn:
        return u"\n保存できません。\nデータフォルダーの名前「%1」に改行が含まれています。"
               u"設定ファイルの1行目が CR LF ではなく LF "
               u"だけで終わっているため、次の行までがフォルダー名になっています。"_s.arg(folder)
            + keepWork
            + u"\nその後で、設定ファイルを直してから、プログラムを起動し直してください。"_s;
    }
    return {};
}

QString saveElsewhereQuestion()
{
    return u"\n別のフォルダーに保存しますか？\n"
           u"データファイルのないフォルダーを選ぶと、そこに保存し、終了するまでそのフォルダーを使います。"_s;
}

QString saveElsewhereRefused(const QString &folder, const SaveOutcome &outcome)
{
    switch (outcome.refusal) {
    case SaveOutcome::Refusal::None:
        return saveFailed(outcome.report);
    case SaveOutcome::Refusal::TargetIsCurrent:
        return u"\n「%1」は、このプログラムが開いたデータフォルダーそのものです。"
               u"別のフォルダーを選んでください。"_s.arg(folder);
    case SaveOutcome::Refusal::TargetUnusable:
        return u"\nフォルダー「%1」には保存できません。\n理由: %2\n別のフォルダーを選んでください。"_s
            .arg(folder, systemReason(outcome.error));
    case SaveOutcome::Refusal::TargetHoldsData:
        return u"\nフォルダー「%1」には、すでに台帳のデータがあります: %2\n"
               u"別の台帳と混ざるため、このフォルダーには保存できません。"
               u"データファイルのないフォルダーを選んでください。"_s.arg(
                   folder, quotedList(outcome.foundFiles));
    case SaveOutcome::Refusal::Locked:
        if (outcome.lock.result == DataLock::Result::HeldByOther)
            return u"\nフォルダー「%1」は、%2使用中です。別のフォルダーを選んでください。"_s.arg(
                folder, holderPhrase(outcome.lock.holder));
        return u"\nフォルダー「%1」にロックファイルを作成できません。\n理由: %2\n"
               u"別のフォルダーを選んでください。"_s.arg(folder, lockReason(outcome.lock));
    default:
        return {};
    }
}

QString movedUnsaved(const QString &folder)
{
    return u"\n保存は途中で止まりましたが、このフォルダー「%1」に移りました。"
           u"終了するまで、保存はこのフォルダーに行います。"
           u"変更はまだ保存されていません。もう一度「上書き保存」してください。"_s.arg(folder);
}

QString savedElsewhere(
    const QString &folder, const QString &from, const QString &settingsPath, bool fromCommandLine)
{
    QString text =
        u"\n別のフォルダー「%1」に保存しました。終了するまで、保存はこのフォルダーに行います。"_s
            .arg(folder);
    if (fromCommandLine)
        return text
            + u"\n元のデータフォルダー「%1」は --data-folder で指定したものです。"
              u"次の起動からもこのフォルダーを使うには、--data-folder に「%2」を指定してください。"_s
                  .arg(from, folder);
    if (settingsPath.isEmpty())
        return text + u"\n次の起動では、元のデータフォルダー「%1」を開きます。"_s.arg(from);
    return text
        + u"\n設定ファイル「%1」の1行目は、元のデータフォルダー「%2」のままです。"
          u"次の起動からもこのフォルダーを使うには、1行目を「%3」に書き換えてください。"_s.arg(
              settingsPath, from, folder);
}

QString reason(const FileFault &fault)
{
    switch (fault.kind) {
    case FileFault::Kind::None:
        return {};
    case FileFault::Kind::System:
        return systemReason(fault.error);
    case FileFault::Kind::NotRegular:
        return u"通常のファイルではありません（名前付きパイプやデバイスなどは読み込めません）。"_s;
    case FileFault::Kind::TooLarge:
        return u"ファイルが大きすぎます（%1 バイト）。読み込める大きさは %2 バイトまでです。"_s
            .arg(fault.size)
            .arg(fault.limit);
    case FileFault::Kind::CutRecord:
        return u"ファイルの最後のレコードが途中で切れています（%1 バイト中 %2 バイト）。"_s
            .arg(fault.size)
            .arg(fault.limit);
    case FileFault::Kind::Empty:
        return u"ファイルが空です。"_s;
    case FileFault::Kind::UnknownForm:
        return u"このプログラムの知らない形式のファイルです（先頭の見出しが違うか、新しい版で書かれたファイルです）。"_s;
    case FileFault::Kind::BadRecord:
        return u"%1 件目のレコードに、このプログラムが書かない値があります。"_s.arg(fault.size);
    }
    return {};
}

QString quotedList(const QStringList &paths)
{
    QString text;
    for (const QString &p : paths)
        text += u"「%1」"_s.arg(p);
    return text;
}

QString settingsProblem(const DataLocation &where)
{
    switch (where.problem) {
    case DataLocation::Problem::None:
        return {};
    case DataLocation::Problem::Unreadable:
        return u"\n設定ファイル「%1」を読み込めませんでした。\n理由: %2\n"
               u"データの場所が分からないため、データは読み込まず、保存もできません。"_s.arg(
                   where.settingsPath, reason(where.fault));
    case DataLocation::Problem::NotCreated:
        return u"\n設定ファイル「%1」を作成できませんでした。\n理由: %2\nデータは「%3」に置きます。"_s
            .arg(where.settingsPath, reason(where.fault), where.DataDirectory);
    }
    return {};
}

QString folderCheck(const DataFolderCheck &check)
{
    switch (check.state) {
    case DataFolderCheck::Ready:
        return {};
    case DataFolderCheck::NewRegister:
        return u"\nデータファイルがまだありません。新しい台帳として始めます。\n保存先: %1"_s.arg(
            check.dataDirectory + QString::fromUtf16(NoteFileName));
    case DataFolderCheck::Missing:
        break;
    }
    if (check.lineEmpty)
        return u"\n設定ファイル「%1」の1行目が空のため、データフォルダーが分かりません。"
               u"1行目にデータフォルダーを書いてください（末尾は /）。\nデータは読み込まれていません。"_s
                   .arg(check.settingsPath);
    QString text = check.folderFound
        ? u"\nデータフォルダー「%1」にデータファイルがありません。"_s.arg(check.dataDirectory)
        : u"\nデータフォルダー「%1」が見つかりません。"_s.arg(check.dataDirectory);
    text += u"\n設定ファイル「%1」の1行目を確かめてください。"_s.arg(check.settingsPath);
    if (check.lineRunOn)
        text += u"\n1行目が CR LF ではなく LF だけで終わっているため、"
                u"次の行までがフォルダー名になっています。"_s;
    return text + u"\nデータは読み込まれていません。"_s;
}

QString recoveryNotice(const SettledSave &settled)
{
    switch (settled.outcome) {
    case SettledSave::Outcome::NoJournal:
        return {};
    case SettledSave::Outcome::Finished:
        return u"\n前回の保存が途中で中断されていましたが、書き込みは終わっていたため、その保存を完了しました。\nフォルダー: %1"_s
            .arg(settled.directory);
    case SettledSave::Outcome::Undone:
        return u"\n前回の保存が途中で中断されていたため、その保存は取り消しました。データファイルは、その保存の前の内容のままです。\nフォルダー: %1"_s
            .arg(settled.directory);
    case SettledSave::Outcome::RenameFailed:
        return u"\n前回の保存が途中で中断されていました。その保存を最後まで行おうとしましたが、データファイル「%1」を置き換えられませんでした。\n理由: %2\nデータファイルの一部だけが新しい内容になっているおそれがあります。"_s
            .arg(settled.file, systemReason(settled.error));
    case SettledSave::Outcome::FolderNotSynced:
        return u"\n前回中断された保存を完了しましたが、フォルダー「%1」への書き込みを確定できませんでした。\n理由: %2"_s
            .arg(settled.file, systemReason(settled.error));
    case SettledSave::Outcome::Unmatched:
        return u"\n前回の保存の記録「%"
               u"1」が残っていますが、このフォルダーのデータファイルの記録として読めません。"
               u"記録と一時ファイルはそのまま残し、読み取り専用で開きます。\n"
               u"データフォルダーが移動されていないか、設定ファイルの1行目が正しいかを確かめてください。"_s
                   .arg(settled.file);
    case SettledSave::Outcome::HolderSaving:
        return u"\nほかのプログラムがデータフォルダー「%"
               u"1」に保存している途中で、待っても終わりませんでした。"
               u"表示している内容は、保存の前と後の混ざったものかもしれません。"
               u"しばらくしてからプログラムを起動し直してください。"_s.arg(settled.directory);
    case SettledSave::Outcome::Unchecked:
        return u"\nデータフォルダーに前回の保存が途中で残っていないかを確かめようとしましたが、ファ"
               u"イル「%"
               u"1」を確かめられませんでした。\n理由: %2\n"
               u"どのファイルも変えずにそのまま残し、読み取り専用で開きます。"
               u"表示している内容は、保存の前と後の混ざったものかもしれません。"
               u"原因を取り除いてから、プログラムを起動し直してください。"_s.arg(
                   settled.file, systemReason(settled.error));
    case SettledSave::Outcome::PartlyNew:
        return u"\n前回中断された保存を完了できませんでした。一時ファイルが壊れているか、見つかりません。\n次のファイルだけが新しい内容です: %1"_s
            .arg(quotedList(settled.alreadyNew));
    }
    return {};
}

QString loadProblems(const LoadReport &report)
{
    QString text;
    if (report.recovery.failed())
        text = recoveryNotice(report.recovery);
    if (!report.faults.empty()) {
        text += u"\nデータファイルを最後まで読み込めませんでした。"_s;
        for (const LoadFault &f : report.faults)
            text += u"\n\nファイル: %1\n読み込んだレコード: %2 件\n理由: %3"_s.arg(f.path)
                        .arg(f.recordsRead)
                        .arg(reason(f.fault));
    }
    // A register left read-only is never saved this run: no backup is promised.
    const bool readOnly = report.recovery.outcome == SettledSave::Outcome::Unmatched
        || report.recovery.outcome == SettledSave::Outcome::Unchecked;
    if (!readOnly)
        text +=
            u"\n\n読み込めたデータで作業を続けます。最初の保存の前に、元のファイルを同じフォルダーにバックアップとして残します。"_s;
    else if (!report.faults.empty())
        text += u"\n\n読み込めたデータを表示します。"_s;
    return text;
}

QString saveFailed(const SaveFailure &failure)
{
    const QString nothingReplaced =
        u"どのデータファイルも置き換えていません。変更はまだ保存されていません。"_s;
    const QString why = reason(failure.fault);
    switch (failure.phase) {
    case SaveFailure::Phase::None:
        return {};
    case SaveFailure::Phase::Unsettled:
        return u"\n前回中断された保存を先に最後まで行えなかったため、保存できません。"_s
            + nothingReplaced;
    case SaveFailure::Phase::Check:
    case SaveFailure::Phase::Write:
    case SaveFailure::Phase::Backup:
        return u"\nデータファイル「%1」を保存できませんでした。\n理由: %2\n"_s.arg(
                   failure.file, why)
            + nothingReplaced
            + (failure.phase == SaveFailure::Phase::Backup
                    ? u"\n（元のファイルのバックアップを作れませんでした。）"_s
                    : QString());
    case SaveFailure::Phase::Journal:
        return u"\n保存の記録「%1」を書き込めませんでした。\n理由: %2\n"_s.arg(failure.file, why)
            + nothingReplaced;
    case SaveFailure::Phase::JournalSync:
        return u"\nフォルダー「%1」への書き込みを確定できませんでした。\n理由: %2\n"_s.arg(
                   failure.file, why)
            + nothingReplaced;
    case SaveFailure::Phase::Replace:
        return u"\nデータファイル「%1」を置き換えられませんでした。\n理由: %2\n"_s.arg(
                   failure.file, why)
            + (failure.replaced.isEmpty()
                    ? u"どのデータファイルも置き換えていません。"_s
                    : u"次のファイルはすでに新しい内容です: %1\nまだ古い内容のファイル: %2"_s.arg(
                        quotedList(failure.replaced), quotedList(failure.notReplaced)))
            + u"\n保存は完了していません。もう一度保存してください。このまま終了した場合は、次の起動時にこの保存を最後まで行います。"_s;
    case SaveFailure::Phase::FolderSync:
        return u"\nデータファイル %1 は新しい内容に置き換えましたが、フォルダー「%2」への書き込みを確定できませんでした。\n理由: %3\n停電などがあると、置き換えが失われるおそれがあります。もう一度保存してください。"_s
            .arg(quotedList(failure.replaced), failure.file, why);
    }
    return {};
}

QString saveFailed(const SaveReport &report)
{
    QString text = saveFailed(report.failure);
    if (report.failure.phase == SaveFailure::Phase::Unsettled)
        text += recoveryNotice(report.earlierSave);
    return text;
}

QString backupsKept(const QStringList &backups)
{
    if (backups.isEmpty())
        return {};
    return u"\n最後まで読み込めなかったデータファイルの元の内容を、次のファイルとして残しました。\n"_s
        + backups.join(u'\n');
}

QString exportRefused(const QString &path)
{
    return u"\n「%1」はこのプログラムが使うファイルのため、出力先にはできません。別の名前を指定してください。"_s
        .arg(path);
}

QString userFileUnreadable(const QString &path, const FileFault &fault, qsizetype recordsRead)
{
    QString why = reason(fault);
    if (fault.kind == FileFault::Kind::CutRecord)
        why =
            u"ファイルの長さが 32 バイトの倍数ではありません（%1 件目のユーザーが途中で切れています）。"_s
                .arg(recordsRead + 1);
    else if (fault.kind == FileFault::Kind::Empty)
        why = u"ファイルが空です。ユーザーが一人も登録されていないため、ログインできません。"_s;
    return u"\nユーザーファイル「%1」を読み込めませんでした。\n理由: %2"_s.arg(path, why);
}

QString userFileNotSaved(const QString &path, int error, bool replaced)
{
    if (replaced)
        return u"\nユーザーファイル「%"
               u"1」は書き換えましたが、フォルダーへの書き込みを確定できませんでした。\n"
               u"理由: %2\n停電などがあると、書き換えが失われるおそれがあります。"_s.arg(
                   path, systemReason(error));
    return u"\nユーザーファイル「%1」を保存できませんでした。\n理由: %2\n元のファイルはそのまま残っています。"_s
        .arg(path, systemReason(error));
}

QString generationNotKept(const GenerationFault &fault)
{
    if (fault.kind == GenerationFault::Kind::DroppedForRoom)
        return u"\nディスクの空き容量が足りなかったため、保存を優先し、"
               u"保存前のデータのバックアップ（世代）は残しませんでした。\n場所: %1"_s.arg(
                   fault.path);
    return u"\n保存しましたが、保存前のデータをバックアップ（世代）として残せませんでした。\n場所: %1\n理由: %2"_s
        .arg(fault.path, generationReason(fault));
}

QString generationsDropped(const QStringList &names)
{
    if (names.isEmpty())
        return {};
    return u"\nディスクの空き容量が足りなかったため、古いバックアップ（世代）を削除してから保存しま"
           u"した。\n"
           u"削除した世代: %1"_s.arg(quotedList(names));
}

QString generationReason(const GenerationFault &fault)
{
    using Kind = GenerationFault::Kind;
    switch (fault.kind) {
    case Kind::None:
        return {};
    case Kind::File:
        return reason(fault.fault);
    case Kind::OtherOwner:
        return u"フォルダーの持ち主が、このユーザーでもデータフォルダーの持ち主でもありません。"
               u"ほかのユーザーが中身を変えられるため、使いません。"_s;
    case Kind::OpenToOthers:
        return u"データフォルダーのグループ以外のユーザーも書き込めるフォルダーです。"
               u"中身を変えられるおそれがあるため、使いません。"_s;
    case Kind::DroppedForRoom:
        return reason(fault.fault);
    case Kind::NotAFolder:
        return u"フォルダーではありません（シンボリックリンクなど）。読み込みません。"_s;
    case Kind::Missing:
        return u"ファイルがありません。"_s;
    case Kind::SizeDiffers:
        return u"残したときと大きさが違います（%1 → %2 バイト）。"_s.arg(fault.expected)
            .arg(fault.actual);
    case Kind::ChecksumDiffers:
        return u"残したときと中身が違います。"_s;
    case Kind::BadRecord:
        return u"%1 件目のレコードが正しくありません。"_s.arg(fault.record);
    case Kind::BadContents:
        return u"世代の中身の記録が読めません。"_s;
    }
    return {};
}

QString generationError(const GenerationFault &fault)
{
    return u"エラー: %1 %2"_s.arg(QFileInfo(fault.path).fileName(), generationReason(fault));
}

QString generationNotRestored(const QString &path, const GenerationFault &fault)
{
    return u"\nバックアップ「%1」を読み込めませんでした。\nファイル: %2\n理由: %3"_s.arg(
        path, fault.path, generationReason(fault));
}

QString generationsUnavailable(const GenerationFault &fault)
{
    return u"\nバックアップのフォルダー「%1」を使えないため、世代を一覧できません。\n理由: %2"_s
        .arg(fault.path, generationReason(fault));
}

QString programOptionsUnreadable(const QString &path, const FileFault &fault)
{
    return u"\n設定ファイル「%1」を読み込めませんでした。\n理由: %2\n"
           u"期日案内の日数と残す世代の数は、最初の値を使います。"_s.arg(path, reason(fault));
}

QString optionRejected(const QString &path, const OptionProblem &problem)
{
    // A value as long as a line of the file is not worth showing whole.
    constexpr qsizetype Shown = 30;
    const QString value =
        problem.value.size() > Shown ? problem.value.left(Shown) + u'…' : problem.value;
    const QString key = problem.user.isEmpty()
        ? u"%1 の値"_s.arg(problem.name)
        : u"%1（ユーザー「%2」）の値"_s.arg(problem.name, problem.user);
    return u"\n設定ファイル「%1」の %2「%3」は使えません。"
           u"%4 から %5 までの整数にしてください。\n代わりに %6 を使います。"_s.arg(path, key,
               value, QString::number(problem.least), QString::number(problem.most),
               QString::number(problem.fallback));
}

QString programOptionsNotSaved(const QString &path, const FileFault &fault)
{
    return u"\n設定ファイル「%1」に保存できませんでした。\n理由: %2\nファイルはそのまま残っています。"_s
        .arg(path, reason(fault));
}

} // namespace messages
