#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "access/login_dialog.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

class LoginDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClockRandom random;
        ASSERT_EQ(writeUserFile(dir.file(u"pass.dat"_s),
                      { { "Admini", 15, "velmora" }, { "guest", 1, "guest" } }, random, nullptr,
                      systemFileSystem()),
            0);
    }
    TestDir dir;
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(LoginDialogTest, LooksAsDesigned)
{
    LoginDialog dialog(prompter, dir.file(u"pass.dat"_s), systemFileSystem());
    EXPECT_EQ(dialog.objectName(), u"Form2"_s);
    EXPECT_EQ(dialog.windowTitle(), u"ユーザー認証"_s);
    EXPECT_EQ(dialog.size(), QSize(387, 168));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog.Edit1->geometry(), QRect(168, 56, 193, 20));
    EXPECT_EQ(dialog.Edit2->geometry(), QRect(168, 96, 193, 20));
    EXPECT_EQ(dialog.Button1->geometry(), QRect(168, 136, 97, 19));
    EXPECT_EQ(dialog.Button2->geometry(), QRect(272, 136, 97, 19));
    EXPECT_EQ(dialog.Image1->geometry(), QRect(16, 16, 42, 36));
    EXPECT_FALSE(dialog.Image1->pixmap().isNull());
    EXPECT_EQ(dialog.Label1->text(), u"手形管理のユーザー名とパスワードを入力して下さい"_s);
    EXPECT_EQ(dialog.Label1->pos(), QPoint(72, 20));
    EXPECT_EQ(dialog.Edit2->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialog.Edit1->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(dialog.Edit2->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(dialog.Edit1->accessibleName(), u"ユーザー名"_s);
    EXPECT_EQ(dialog.Edit2->accessibleName(), u"パスワード"_s);
}

TEST_F(LoginDialogTest, EnterInAFieldActsAsOk)
{
    LoginDialog dialog(prompter, dir.file(u"pass.dat"_s), systemFileSystem());
    dialog.show();
    EXPECT_TRUE(dialog.Edit1->text().isEmpty());
    QTest::keyClicks(dialog.Edit1, u"guest"_s);
    QTest::keyClicks(dialog.Edit2, u"guest"_s);
    QTest::keyClick(dialog.Edit2, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.userName(), QByteArray("guest"));
    EXPECT_EQ(dialog.userPassword(), QByteArray("guestpelvo"));
    EXPECT_EQ(dialog.userRights(), 1);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(LoginDialogTest, WrongPasswordWarnsAndKeepsTheFields)
{
    LoginDialog dialog(prompter, dir.file(u"pass.dat"_s), systemFileSystem());
    dialog.show();
    dialog.Edit1->setText(u"Admini"_s);
    dialog.Edit2->setText(u"wrong"_s);
    dialog.Button1->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown[0].text, u"\nパスワードが違います！"_s);
    EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Edit1->text(), u"Admini"_s);
    EXPECT_EQ(dialog.Edit2->text(), u"wrong"_s);

    // Another attempt is allowed at once.
    dialog.Edit2->setText(u"velmora"_s);
    dialog.Button1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.userRights(), 15);
}

TEST_F(LoginDialogTest, FieldsTakeAtMostTenBytes)
{
    LoginDialog dialog(prompter, dir.file(u"pass.dat"_s), systemFileSystem());
    dialog.show();
    QTest::keyClicks(dialog.Edit1, u"abcdefghijkl"_s);
    EXPECT_EQ(dialog.Edit1->text(), u"abcdefghij"_s);
    dialog.Edit1->clear();
    dialog.Edit1->insert(u"手形手形手形"_s); // 12 bytes: refused whole
    EXPECT_TRUE(dialog.Edit1->text().isEmpty());
}

TEST_F(LoginDialogTest, CancelEndsTheDialogAsCancelled)
{
    LoginDialog dialog(prompter, dir.file(u"pass.dat"_s), systemFileSystem());
    dialog.show();
    dialog.Button2->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
