#include <cerrno>

#include <gtest/gtest.h>

#include "messages/store_messages.h"

using namespace Qt::StringLiterals;

// The store answers with outcomes; what the user reads is made here. Each outcome is shown with
// the whole text the user sees, so a changed word or a lost line break is caught.
TEST(StoreMessages, EachOutcomeReadsAsTheUserIsTold)
{
    LockHolder holder;
    holder.user = u"suzuki"_s;
    holder.host = u"pc1"_s;
    holder.since = QDateTime(QDate(2024, 6, 1), QTime(9, 30));
    holder.known = true;
    LockHolder named = holder;
    named.programUser = u"山田"_s;

    SaveFailure replace;
    replace.phase = SaveFailure::Phase::Replace;
    replace.file = u"/d/KOLVAM.vmd"_s;
    replace.fault = FileFault::system(EIO);
    replace.replaced = QStringList { u"/d/TCODE.vmd"_s };
    replace.notReplaced = QStringList { u"/d/KOLVAM.vmd"_s, u"/d/BANK.vmd"_s };
    SaveFailure backup;
    backup.phase = SaveFailure::Phase::Backup;
    backup.file = u"/d/BANK.vmd"_s;
    backup.fault = FileFault::system(ENOSPC);
    SaveFailure folderSync;
    folderSync.phase = SaveFailure::Phase::FolderSync;
    folderSync.file = u"/d"_s;
    folderSync.fault = FileFault::system(EIO);
    folderSync.replaced = QStringList { u"/d/TCODE.vmd"_s, u"/d/KOLVAM.vmd"_s };

    LoadReport cut;
    cut.faults.push_back({ u"/d/KOLVAM.vmd"_s, 2, FileFault::cutRecord(125, 1) });
    DataFolderCheck runOn;
    runOn.state = DataFolderCheck::Missing;
    runOn.folderFound = false;
    runOn.lineRunOn = true;
    runOn.dataDirectory = u"/d/\n/e/"_s;
    runOn.settingsPath = u"/p/VMKolvam.ini"_s;
    DataLocation unreadable;
    unreadable.problem = DataLocation::Problem::Unreadable;
    unreadable.fault = FileFault::system(EISDIR);
    unreadable.settingsPath = u"/p/VMKolvam.ini"_s;
    SettledSave finished { SettledSave::Outcome::Finished, u"/d/"_s, {}, 0, {} };

    LockOutcome leftBehind;
    leftBehind.result = DataLock::Result::HeldByOther;
    leftBehind.holder = holder;
    leftBehind.holder.gone = true;
    leftBehind.lockPath = u"/d/tegata.lock"_s;

    const struct
    {
        QString shown;
        QString expected;
    } cases[] = {
        { messages::holderPhrase(holder),
            u"ユーザー「suzuki」がコンピューター「pc1」で 2024/06/01 09:30 から"_s },
        { messages::holderPhrase(named),
            u"「山田」（ユーザー「suzuki」）がコンピューター「pc1」で 2024/06/01 09:30 から"_s },
        { messages::saveFailed(replace),
            u"\nデータファイル「/d/KOLVAM.vmd」を置き換えられませんでした。\n"
            u"理由: ディスクの入出力エラーが発生しました。\n"
            u"次のファイルはすでに新しい内容です: 「/d/TCODE.vmd」\n"
            u"まだ古い内容のファイル: 「/d/KOLVAM.vmd」「/d/BANK.vmd」\n"
            u"保存は完了していません。もう一度保存してください。"
            u"このまま終了した場合は、次の起動時にこの保存を最後まで行います。"_s },
        { messages::saveFailed(backup),
            u"\nデータファイル「/d/BANK.vmd」を保存できませんでした。\n"
            u"理由: ディスクの空き容量が不足しています。\n"
            u"どのデータファイルも置き換えていません。変更はまだ保存されていません。\n"
            u"（元のファイルのバックアップを作れませんでした。）"_s },
        { messages::saveFailed(folderSync),
            u"\nデータファイル 「/d/TCODE.vmd」「/d/KOLVAM.vmd」 は新しい内容に置き換えましたが、"
            u"フォルダー「/d」への書き込みを確定できませんでした。\n"
            u"理由: ディスクの入出力エラーが発生しました。\n"
            u"停電などがあると、置き換えが失われるおそれがあります。もう一度保存してください。"_s },
        { messages::loadProblems(cut),
            u"\nデータファイルを最後まで読み込めませんでした。\n\nファイル: /d/KOLVAM.vmd\n"
            u"読み込んだレコード: 2 件\n"
            u"理由: ファイルの最後のレコードが途中で切れています（125 バイト中 1 バイト）。\n\n"
            u"読み込めたデータで作業を続けます。"
            u"最初の保存の前に、元のファイルを同じフォルダーにバックアップとして残します。"_s },
        { messages::folderCheck(runOn),
            u"\nデータフォルダー「/d/\n/e/」が見つかりません。\n"
            u"設定ファイル「/p/VMKolvam.ini」の1行目を確かめてください。\n"
            u"1行目が CR LF ではなく LF "
            u"だけで終わっているため、次の行までがフォルダー名になっています。\n"
            u"データは読み込まれていません。"_s },
        { messages::settingsProblem(unreadable),
            u"\n設定ファイル「/p/VMKolvam.ini」を読み込めませんでした。\n"
            u"理由: ファイルではなくフォルダーです。\n"
            u"データの場所が分からないため、データは読み込まず、保存もできません。"_s },
        { messages::recoveryNotice(finished),
            u"\n前回の保存が途中で中断されていましたが、書き込みは終わっていたため、"
            u"その保存を完了しました。\nフォルダー: /d/"_s },
        { messages::recoveryNotice(
              { SettledSave::Outcome::Unmatched, u"/d/"_s, u"/d/tegata-save.journal"_s, 0, {} }),
            u"\n前回の保存の記録「/d/tegata-save.journal」が残っていますが、"
            u"このフォルダーのデータファイルの記録として読めません。"
            u"記録と一時ファイルはそのまま残し、読み取り専用で開きます。\n"
            u"データフォルダーが移動されていないか、設定ファイルの1行目が正しいかを確かめてください。"_s },
        { messages::lockFailedAtStart(u"/d/"_s, leftBehind),
            u"\nデータフォルダー「/d/」のロックファイル「/d/tegata.lock」は、"
            u"ユーザー「suzuki」がコンピューター「pc1」で 2024/06/01 09:30 "
            u"から使っていたプログラムが残したものですが、"
            u"そのプログラムはもう動いていません。別のアカウントのファイルのため、このプログラムか"
            u"らは消せません。\n"
            u"そのユーザーか管理者にロックファイルを消してもらってから、起動し直してください。\n"
            u"読み取り専用で開きます。表示・検索・印刷はできますが、保存はできません。"_s },
        { messages::userFileUnreadable(u"/p/pass.dat"_s, FileFault::cutRecord(32, 8), 1),
            u"\nユーザーファイル「/p/pass.dat」を読み込めませんでした。\n"
            u"理由: ファイルの長さが 32 バイトの倍数ではありません"
            u"（2 件目のユーザーが途中で切れています）。"_s },
        { messages::generationNotKept({ u"/d/backup"_s, {}, GenerationFault::Kind::OtherOwner }),
            u"\n保存しましたが、保存前のデータをバックアップ（世代）として残せませんでした。\n"
            u"場所: /d/backup\n"
            u"理由: フォルダーの持ち主が、このユーザーでもデータフォルダーの持ち主でもありません。"
            u"ほかのユーザーが中身を変えられるため、使いません。"_s },
        { messages::generationsDropped({ u"20261207-104201"_s, u"20261207-104202"_s }),
            u"\nディスクの空き容量が足りなかったため、"
            u"古いバックアップ（世代）を削除してから保存しました。\n"
            u"削除した世代: 「20261207-104201」「20261207-104202」"_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.shown, c.expected);
    EXPECT_TRUE(messages::recoveryNotice({}).isEmpty()) << "no journal, nothing to say";
    // A register opened read-only is not saved this run: no backup before a save is promised.
    LoadReport readOnly;
    readOnly.recovery = { SettledSave::Outcome::Unchecked, u"/d/"_s, u"/d/j"_s, EIO, {} };
    EXPECT_FALSE(messages::loadProblems(readOnly).contains(u"バックアップ"_s));
    EXPECT_TRUE(messages::saveFailed(SaveFailure {}).isEmpty());
}
