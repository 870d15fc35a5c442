#include <deque>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "access/user_table.h"
#include "core/sjis.h"

using namespace Qt::StringLiterals;

namespace {

// Answers questions from a queue (OK when empty) and records every text with its kind.
class ScriptedPrompts : public UserPrompts
{
public:
    void refuse(const QString &text) override { shown << u"refuse:"_s + text; }
    bool confirm(const QString &text) override
    {
        shown << u"confirm:"_s + text;
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void notice(const QString &text) override { shown << u"notice:"_s + text; }

    std::deque<bool> answers;
    QStringList shown;
};

UserTable fourUsers()
{
    return UserTable({ { "Admini", 15, "adminpelvo" }, { "guest", 1, "guestpelvo" },
        { "tanaka", 6, "0123456789" }, { "suzuki", 4, "suzukipelv" } });
}

UserEntry entry(const char *name, const char *password, std::uint8_t rights)
{
    return { name, password, password, rights };
}

} // namespace

TEST(UserTable, RightsReadAsPermittedOrNot)
{
    EXPECT_EQ(permissionText(5, SaveAndSearch), u"許可"_s);
    EXPECT_EQ(permissionText(5, DeleteAndApprove), u"不許可"_s);
    EXPECT_EQ(permissionText(5, PartnerAndBankSettings), u"許可"_s);
    EXPECT_EQ(permissionText(7, AllRights), u"不許可"_s);
    EXPECT_EQ(permissionText(8, AllRights), u"許可"_s);
}

TEST(UserTable, MismatchAndEmptyNameAreRefusedTogetherAndChangeNothing)
{
    UserTable table = fourUsers();
    const std::vector<UserRecord> before = table.users();
    ScriptedPrompts prompts;
    EXPECT_FALSE(table.add({ "sato", "abc", "abd", 1 }, prompts));
    EXPECT_EQ(prompts.shown, QStringList { u"refuse:\nパスワードが合っていません"_s });

    prompts.shown.clear();
    EXPECT_FALSE(table.add({ "", "abc", "abx", 1 }, prompts));
    EXPECT_EQ(prompts.shown,
        QStringList(
            { u"refuse:\nパスワードが合っていません"_s, u"refuse:\n未入力の項目があります。"_s }));

    // An empty password, confirmed as empty, could never log in again.
    prompts.shown.clear();
    EXPECT_FALSE(table.add({ "Admini", "", "", 15 }, prompts));
    EXPECT_EQ(prompts.shown, QStringList { u"refuse:\n未入力の項目があります。"_s });

    // A mismatch on an existing name asks nothing about overwriting.
    prompts.shown.clear();
    EXPECT_FALSE(table.add({ "tanaka", "x", "", 1 }, prompts));
    EXPECT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(table.users(), before);
}

TEST(UserTable, AdminiKeepsEveryRightWhateverIsTicked)
{
    UserTable table = fourUsers();
    ScriptedPrompts prompts;
    EXPECT_FALSE(table.add(entry("Admini", "secret", SaveAndSearch), prompts));
    EXPECT_EQ(prompts.shown,
        QStringList({ u"confirm:Adminiは既に登録されています。\n上書きしますか？"_s,
            u"notice:Adminiの権限を変更する事は出来ません"_s }));
    EXPECT_EQ(table.at(0), (UserRecord { "Admini", 15, "secret" }));

    // The rule is exact: another spelling is another user with the rights given.
    EXPECT_TRUE(table.add(entry("admini", "x", SaveAndSearch), prompts));
    EXPECT_EQ(table.at(4).Permissions, SaveAndSearch);
}

TEST(UserTable, EveryUserOfTheNameIsAskedAboutAndCancelStopsAtOnce)
{
    UserTable table({ { "dup", 1, "a" }, { "x", 2, "b" }, { "dup", 2, "c" } });
    ScriptedPrompts prompts;
    EXPECT_FALSE(table.add(entry("dup", "n", 4), prompts));
    EXPECT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(table.at(0), (UserRecord { "dup", 4, "n" }));
    EXPECT_EQ(table.at(2), (UserRecord { "dup", 4, "n" }));

    prompts.shown.clear();
    prompts.answers = { false };
    EXPECT_FALSE(table.add(entry("dup", "m", 8), prompts));
    EXPECT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(table.at(0).Password, QByteArray("n"));
}

TEST(UserTable, LongNamesAreStoredAndComparedByTheirFirstTenBytes)
{
    UserTable table({ { "abcdefghij", 1, "p" } });
    ScriptedPrompts prompts;
    // Sharing the first 10 bytes with a listed user overwrites that user instead of adding an
    // unreachable second one.
    EXPECT_FALSE(table.add(entry("abcdefghijk", "q", 2), prompts));
    ASSERT_EQ(table.size(), 1);
    EXPECT_EQ(table.at(0), (UserRecord { "abcdefghij", 2, "q" }));

    // A double-byte character is never split.
    const QByteArray japanese = sjis::encode(u"abcdefghi手"_s);
    EXPECT_TRUE(table.add({ japanese, "p", "p", 1 }, prompts));
    EXPECT_EQ(table.at(1).Name, QByteArray("abcdefghi"));
    EXPECT_EQ(
        UserTable::storedName(sjis::encode(u"手形管理者様"_s)), sjis::encode(u"手形管理者"_s));
}

TEST(UserTable, DeletingKeepsTheOthersInOrderWithTheirRights)
{
    UserTable table({ { "a", 1, "pa" }, { "b", 2, "pb" }, { "c", 4, "pc" }, { "d", 8, "pd" } });
    ScriptedPrompts prompts;
    prompts.answers = { false };
    EXPECT_EQ(table.remove("b", prompts), DeleteOutcome::Cancelled);
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table.remove("b", prompts), DeleteOutcome::Deleted);
    EXPECT_EQ(prompts.shown,
        QStringList(
            { u"confirm:b を本当に削除しますか？"_s, u"confirm:b を本当に削除しますか？"_s }));
    EXPECT_EQ(table.users(),
        (std::vector<UserRecord> { { "a", 1, "pa" }, { "c", 4, "pc" }, { "d", 8, "pd" } }));

    prompts.shown.clear();
    EXPECT_EQ(table.remove("zz", prompts), DeleteOutcome::NotListed);
    EXPECT_EQ(table.remove("", prompts), DeleteOutcome::NotListed);
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(table.size(), 3);
}

TEST(UserTable, OnlyTheFirstUserOfANameIsDeleted)
{
    UserTable table({ { "dup", 1, "a" }, { "dup", 2, "b" } });
    ScriptedPrompts prompts;
    EXPECT_EQ(table.remove("dup", prompts), DeleteOutcome::Deleted);
    EXPECT_EQ(table.users(), (std::vector<UserRecord> { { "dup", 2, "b" } }));
}

TEST(UserGridModel, ShowsNamesAndRightsUnderTheTitles)
{
    UserTable table = fourUsers();
    UserGridModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    ASSERT_EQ(model.columnCount(), 5);
    ASSERT_EQ(model.rowCount(), 4);
    QStringList titles;
    for (int c = 0; c < 5; ++c) {
        titles << model.headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignCenter));
    }
    EXPECT_EQ(titles,
        QStringList(
            { u"ユーザー名"_s, u"保存・検索"_s, u"削除・承認"_s, u"設定変更"_s, u"全て"_s }));
    QStringList tanaka;
    for (int c = 0; c < 5; ++c)
        tanaka << model.data(model.index(2, c)).toString();
    EXPECT_EQ(tanaka, QStringList({ u"tanaka"_s, u"不許可"_s, u"許可"_s, u"許可"_s, u"不許可"_s }));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(),
        int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(model.data(model.index(0, 3), Qt::TextAlignmentRole).toInt(),
        int(Qt::AlignHCenter | Qt::AlignVCenter));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    // The rows follow the table only at a refresh.
    ScriptedPrompts prompts;
    ASSERT_EQ(table.remove("tanaka", prompts), DeleteOutcome::Deleted);
    EXPECT_EQ(model.rowCount(), 4);
    model.refresh();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), u"suzuki"_s);

    table.replaceAll({});
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
}
