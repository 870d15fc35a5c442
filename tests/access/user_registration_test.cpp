#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "access/login_dialog.h"
#include "access/user_registration.h"
#include "controls/border_label.h"
#include "tests/support/full_disk.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

const std::vector<UserRecord> fourUsers = {
    { "Admini", 15, "velmora" },
    { "guest", 1, "guest" },
    { "tanaka", 6, "0123456789" },
    { "suzuki", 4, "suzu" },
};

class UserRegistrationTest : public ::testing::Test
{
protected:
    void SetUp() override { writeUsers(fourUsers); }

    void writeUsers(const std::vector<UserRecord> &users)
    {
        ClockRandom random;
        ASSERT_EQ(writeUserFile(path(), users, random, nullptr, systemFileSystem()), 0);
    }
    QString path() const { return dir.file(u"pass.dat"_s); }

    // Opens the dialog as the main window does; showing it reads the file.
    std::unique_ptr<UserRegistration> open(FileSystem &fs = systemFileSystem())
    {
        auto dialog = std::make_unique<UserRegistration>(prompter, path(), fs);
        dialog->show();
        return dialog;
    }

    static QStringList row(const UserRegistration &dialog, int r)
    {
        QStringList cells;
        const QAbstractItemModel *model = dialog.SG1->model();
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->data(model->index(r, c)).toString();
        return cells;
    }

    static QStringList names(const UserRegistration &dialog)
    {
        QStringList list;
        for (int i = 0; i < dialog.ComboBox1->count(); ++i)
            list << dialog.ComboBox1->itemText(i);
        return list;
    }

    static void enter(UserRegistration &dialog, const QString &name, const QString &password,
        const QString &confirmation, std::uint8_t rights)
    {
        dialog.ComboBox1->setEditText(name);
        dialog.Edit2->setText(password);
        dialog.Edit3->setText(confirmation);
        dialog.CB1->setChecked(rights & 1);
        dialog.CB2->setChecked(rights & 2);
        dialog.CB3->setChecked(rights & 4);
        dialog.CB4->setChecked(rights & 8);
    }

    std::vector<UserRecord> readBack() const
    {
        const UserFileRead read = readUserFile(path(), systemFileSystem());
        EXPECT_TRUE(read.ok());
        return read.users;
    }

    TestDir dir;
    ScriptedPrompter prompter;
};

UserRecord padded(UserRecord user)
{
    user.Password = padPassword(user.Password);
    return user;
}

std::vector<UserRecord> padded(std::vector<UserRecord> users)
{
    for (UserRecord &user : users)
        user = padded(user);
    return users;
}

} // namespace

TEST_F(UserRegistrationTest, LooksAsDesigned)
{
    auto dialog = open();
    EXPECT_EQ(dialog->objectName(), u"Form7"_s);
    EXPECT_EQ(dialog->windowTitle(), u"ユーザー登録"_s);
    EXPECT_EQ(dialog->size(), QSize(539, 280));
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(254, 254, 254));

    EXPECT_EQ(dialog->SG1->geometry(), QRect(0, 0, 529, 137));
    EXPECT_EQ(dialog->BorderLabel1->geometry(), QRect(16, 152, 97, 20));
    EXPECT_EQ(dialog->BorderLabel3->text(), u"パスワード確認"_s);
    EXPECT_EQ(dialog->ComboBox1->geometry(), QRect(128, 152, 121, 20));
    EXPECT_TRUE(dialog->ComboBox1->isEditable());
    EXPECT_EQ(dialog->Edit2->geometry(), QRect(128, 184, 121, 20));
    EXPECT_EQ(dialog->Edit3->geometry(), QRect(128, 216, 121, 20));
    EXPECT_EQ(dialog->Edit2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog->Edit3->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog->CB2->text(), u"削除・期日到来承認"_s);
    EXPECT_EQ(dialog->CB4->geometry(), QRect(288, 248, 145, 17));

    const std::vector<std::pair<QToolButton *, QString>> buttons = {
        { dialog->SpeedButton1, u"追加"_s },
        { dialog->SpeedButton2, u"削除"_s },
        { dialog->SpeedButton3, u"閉じる"_s },
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(buttons[i].first->geometry(), QRect(448, 160 + 32 * i, 77, 27));
        EXPECT_EQ(buttons[i].first->accessibleName(), buttons[i].second);
        EXPECT_FALSE(buttons[i].first->icon().isNull());
        EXPECT_EQ(buttons[i].first->cursor().shape(), Qt::PointingHandCursor);
    }

    const QHeaderView *titles = dialog->SG1->horizontalHeader();
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(titles->sectionSize(c), 64) << c;
    EXPECT_EQ(dialog->SG1->model()->headerData(4, Qt::Horizontal).toString(), u"全て"_s);
    EXPECT_EQ(dialog->SG1->focusPolicy(), Qt::NoFocus);

    // Tab walks the fields in the design's order; the grid and the buttons are left out.
    QApplication::setActiveWindow(dialog.get());
    dialog->ComboBox1->setFocus();
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        order << (focus == dialog->ComboBox1->lineEdit() ? u"ComboBox1"_s : focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(order,
        QStringList(
            { u"ComboBox1"_s, u"Edit2"_s, u"Edit3"_s, u"CB1"_s, u"CB2"_s, u"CB3"_s, u"CB4"_s }));
}

TEST_F(UserRegistrationTest, OnlyTheCloseButtonLeaves)
{
    auto dialog = open();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    dialog->SpeedButton3->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(UserRegistrationTest, OpeningListsEveryUserOnceAndLoadsTheFirst)
{
    auto dialog = open();
    dialog->FormShow();
    EXPECT_EQ(dialog->SG1->model()->rowCount(), 4);
    EXPECT_EQ(names(*dialog), QStringList({ u"Admini"_s, u"guest"_s, u"tanaka"_s, u"suzuki"_s }));
    EXPECT_EQ(row(*dialog, 2),
        QStringList({ u"tanaka"_s, u"不許可"_s, u"許可"_s, u"許可"_s, u"不許可"_s }));
    EXPECT_EQ(row(*dialog, 0)[4], u"許可"_s);

    EXPECT_EQ(dialog->ComboBox1->currentText(), u"Admini"_s);
    EXPECT_EQ(dialog->Edit2->text(), u"velmorapel"_s);
    EXPECT_TRUE(dialog->Edit3->text().isEmpty());
    EXPECT_TRUE(dialog->CB1->isChecked() && dialog->CB2->isChecked() && dialog->CB3->isChecked()
        && dialog->CB4->isChecked());

    auto second = open();
    EXPECT_EQ(second->SG1->model()->rowCount(), 4);
    EXPECT_EQ(second->ComboBox1->count(), 4);
}

TEST_F(UserRegistrationTest, PickingAUserFillsItsPasswordAndRights)
{
    auto dialog = open();
    dialog->Edit3->setText(u"typed"_s);
    dialog->ComboBox1->setCurrentIndex(2);
    EXPECT_EQ(dialog->Edit2->text(), u"0123456789"_s);
    EXPECT_TRUE(dialog->Edit3->text().isEmpty());
    EXPECT_FALSE(dialog->CB1->isChecked());
    EXPECT_TRUE(dialog->CB2->isChecked());
    EXPECT_TRUE(dialog->CB3->isChecked());
    EXPECT_FALSE(dialog->CB4->isChecked());

    // The stored password is in its padded form, so Add fails until the confirmation matches.
    dialog->Edit3->setText(u"012345678"_s);
    dialog->SpeedButton1->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown[0].text, u"\nパスワードが合っていません"_s);
    EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(dialog->table().users(), padded(fourUsers));
    // Every Add ends with a refresh, which loads the first user again.
    EXPECT_EQ(dialog->ComboBox1->currentText(), u"Admini"_s);

    // Picking the item already current from the list loads it again.
    dialog->ComboBox1->setEditText(u"someone"_s);
    dialog->Edit2->setText(u"x"_s);
    emit dialog->ComboBox1->activated(0);
    EXPECT_EQ(dialog->Edit2->text(), u"velmorapel"_s);
}

TEST_F(UserRegistrationTest, AddingAppendsTheUserWithItsRights)
{
    auto dialog = open();
    enter(*dialog, u"sato"_s, u"abc"_s, u"abc"_s, 2 | 4);
    dialog->SpeedButton1->click();
    EXPECT_TRUE(prompter.shown.empty());
    ASSERT_EQ(dialog->SG1->model()->rowCount(), 5);
    EXPECT_EQ(row(*dialog, 4),
        QStringList({ u"sato"_s, u"不許可"_s, u"許可"_s, u"許可"_s, u"不許可"_s }));
    EXPECT_EQ(names(*dialog).last(), u"sato"_s);

    // Nothing reaches the file before the close button.
    EXPECT_EQ(readBack(), padded(fourUsers));
    dialog->SpeedButton3->click();
    std::vector<UserRecord> expected = padded(fourUsers);
    expected.push_back({ "sato", 6, "abcpelvora" });
    EXPECT_EQ(readBack(), expected);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // The new user logs in with exactly the rights given.
    LoginDialog login(prompter, path(), systemFileSystem());
    login.show();
    login.Edit1->setText(u"sato"_s);
    login.Edit2->setText(u"abc"_s);
    login.Button1->click();
    EXPECT_EQ(login.result(), QDialog::Accepted);
    EXPECT_EQ(login.userRights(), 6);
}

TEST_F(UserRegistrationTest, EmptyNameIsRefused)
{
    auto dialog = open();
    enter(*dialog, QString(), u"abc"_s, u"abc"_s, 1);
    dialog->SpeedButton1->click();
    EXPECT_EQ(prompter.texts(), QStringList { u"\n未入力の項目があります。"_s });
    EXPECT_EQ(dialog->table().size(), 4);
}

TEST_F(UserRegistrationTest, AnExistingNameIsOverwrittenOnlyOnOk)
{
    auto dialog = open();
    prompter.answers = { MessageAnswer::Cancel };
    enter(*dialog, u"guest"_s, u"new"_s, u"new"_s, 2);
    dialog->SpeedButton1->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(prompter.shown[0].text, u"guestは既に登録されています。\n上書きしますか？"_s);
    EXPECT_EQ(dialog->table().users(), padded(fourUsers));

    enter(*dialog, u"guest"_s, u"new"_s, u"new"_s, 2);
    dialog->SpeedButton1->click();
    EXPECT_EQ(dialog->SG1->model()->rowCount(), 4);
    EXPECT_EQ(row(*dialog, 1),
        QStringList({ u"guest"_s, u"不許可"_s, u"許可"_s, u"不許可"_s, u"不許可"_s }));
    dialog->SpeedButton3->click();
    std::vector<UserRecord> expected = padded(fourUsers);
    expected[1] = { "guest", 2, "newpelvora" };
    EXPECT_EQ(readBack(), expected);
}

TEST_F(UserRegistrationTest, AdminiKeepsEveryRight)
{
    auto dialog = open();
    enter(*dialog, u"Admini"_s, u"pw"_s, u"pw"_s, 1);
    dialog->SpeedButton1->click();
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].kind, MessageKind::Plain);
    EXPECT_EQ(prompter.shown[1].text, u"Adminiの権限を変更する事は出来ません"_s);
    EXPECT_EQ(
        row(*dialog, 0), QStringList({ u"Admini"_s, u"許可"_s, u"許可"_s, u"許可"_s, u"許可"_s }));
    EXPECT_EQ(dialog->table().at(0).Permissions, 15);
}

TEST_F(UserRegistrationTest, PermanentUsersAreNotDeleted)
{
    auto dialog = open();
    for (const QString &name : { u"guest"_s, u"Admini"_s }) {
        prompter.shown.clear();
        dialog->ComboBox1->setEditText(name);
        dialog->SpeedButton2->click();
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
        EXPECT_EQ(prompter.shown[0].text, u"\n"_s + name + u"は削除できません！"_s);
        // No refresh: the name stays as typed.
        EXPECT_EQ(dialog->ComboBox1->currentText(), name);
    }
    EXPECT_EQ(dialog->table().users(), padded(fourUsers));
}

TEST_F(UserRegistrationTest, DeletingTheSecondOfFourKeepsTheOthersInOrder)
{
    writeUsers({ fourUsers[0], fourUsers[2], fourUsers[3], { "yamada", 9, "y" } });
    auto dialog = open();
    dialog->ComboBox1->setCurrentIndex(1);
    prompter.answers = { MessageAnswer::Cancel };
    dialog->SpeedButton2->click();
    EXPECT_EQ(dialog->table().size(), 4);
    dialog->ComboBox1->setCurrentIndex(1);
    dialog->SpeedButton2->click();
    EXPECT_EQ(prompter.texts(),
        QStringList({ u"tanaka を本当に削除しますか？"_s, u"tanaka を本当に削除しますか？"_s }));
    EXPECT_EQ(names(*dialog), QStringList({ u"Admini"_s, u"suzuki"_s, u"yamada"_s }));
    EXPECT_EQ(row(*dialog, 2),
        QStringList({ u"yamada"_s, u"許可"_s, u"不許可"_s, u"不許可"_s, u"許可"_s }));

    // A name that is not listed asks nothing and deletes nothing.
    prompter.shown.clear();
    dialog->ComboBox1->setEditText(u"nobody"_s);
    dialog->SpeedButton2->click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(dialog->table().size(), 3);

    dialog->SpeedButton3->click();
    EXPECT_EQ(readBack(),
        padded(std::vector<UserRecord> { fourUsers[0], fourUsers[3], { "yamada", 9, "y" } }));
}

TEST_F(UserRegistrationTest, ClosingUnchangedRewritesTheSameUsersWithFreshBytes)
{
    const QByteArray before = dir.read(u"pass.dat"_s);
    auto dialog = open();
    dialog->SpeedButton3->click();
    const QByteArray after = dir.read(u"pass.dat"_s);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_NE(after, before);
    EXPECT_EQ(readBack(), padded(fourUsers));
}

TEST_F(UserRegistrationTest, ANameIsCutToTenBytesWhereItIsTyped)
{
    auto dialog = open();
    dialog->ComboBox1->setEditText(QString());
    QTest::keyClicks(dialog->ComboBox1->lineEdit(), u"abcdefghijkl"_s);
    EXPECT_EQ(dialog->ComboBox1->currentText(), u"abcdefghij"_s);
    dialog->ComboBox1->setEditText(QString());
    dialog->ComboBox1->lineEdit()->insert(u"手形手形手形"_s); // 12 bytes: refused whole
    EXPECT_TRUE(dialog->ComboBox1->currentText().isEmpty());
    dialog->Edit2->clear();
    QTest::keyClicks(dialog->Edit2, u"abcdefghijkl"_s);
    EXPECT_EQ(dialog->Edit2->text(), u"abcdefghij"_s);
}

TEST_F(UserRegistrationTest, AFileThatCouldNotBeReadIsNeverWritten)
{
    // A short last record, a missing file and a folder in the file's place.
    QByteArray shortFile = dir.read(u"pass.dat"_s);
    shortFile.chop(10);
    dir.write(u"short.dat"_s, shortFile);
    QDir(dir.path()).mkdir(u"folder.dat"_s);
    for (const QString &name : { u"short.dat"_s, u"missing.dat"_s, u"folder.dat"_s }) {
        SCOPED_TRACE(name.toStdString());
        prompter.shown.clear();
        UserRegistration dialog(prompter, dir.file(name), systemFileSystem());
        dialog.show();
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
        EXPECT_TRUE(prompter.shown[0].text.contains(dir.file(name)));
        EXPECT_TRUE(prompter.shown[0].text.contains(u"書き込みません"_s));
        EXPECT_FALSE(dialog.fileReadable());
        EXPECT_FALSE(dialog.SpeedButton1->isEnabled());
        EXPECT_FALSE(dialog.SpeedButton2->isEnabled());

        enter(dialog, u"sato"_s, u"a"_s, u"a"_s, 15);
        dialog.AddClick();
        dialog.SpeedButton3->click();
        EXPECT_FALSE(dialog.isVisible());
        ASSERT_EQ(prompter.shown.size(), 2u);
        EXPECT_TRUE(prompter.shown[1].text.contains(u"そのまま残しました"_s));
    }
    // What was read of the short file is listed, and the file is left as it was.
    EXPECT_EQ(dir.read(u"short.dat"_s), shortFile);
    EXPECT_FALSE(dir.exists(u"missing.dat"_s));
    EXPECT_TRUE(QFileInfo(dir.file(u"folder.dat"_s)).isDir());
}

TEST_F(UserRegistrationTest, AFailedWriteSaysSoAndLetsTheUserStayOrLeave)
{
    const QString file = path();
    FullDisk full(0);
    const auto opened = open(full);
    UserRegistration &dialog = *opened;

    prompter.answers = { MessageAnswer::Ok, MessageAnswer::Cancel };
    dialog.SpeedButton3->click();
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(file));
    EXPECT_EQ(prompter.shown[1].buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(dialog.isVisible());

    dialog.SpeedButton3->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(readUserFile(file, systemFileSystem()).users.size(), fourUsers.size())
        << "the old file is whole";
}

// Another copy changed the users while this screen was open: closing never writes over that.
TEST_F(UserRegistrationTest, AUserFileChangedMeanwhileIsNotWrittenOver)
{
    const QString file = path();
    const auto opened = open();
    UserRegistration &dialog = *opened;
    writeUsers({ fourUsers[0] });
    dialog.SpeedButton3->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(file));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(readUserFile(file, systemFileSystem()).users.size(), 1u)
        << "the other copy's change stays";
}

// The new file is in place and only the folder's sync failed: the user is told it was written
// but may not survive a power cut, never that the old file is untouched.
TEST_F(UserRegistrationTest, AFileReplacedButNotMadeDurableIsToldAsSuch)
{
    class FolderSyncFails : public PosixFileSystem
    {
    public:
        int syncDirectory(const char *) override
        {
            errno = EIO;
            return -1;
        }
    } unsynced;
    const auto opened = open(unsynced);
    UserRegistration &dialog = *opened;
    dialog.SpeedButton3->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains(u"書き換えましたが"_s));
    EXPECT_FALSE(prompter.shown[0].text.contains(u"そのまま残っています"_s));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
