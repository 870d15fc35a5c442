#include <functional>

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "access/login_dialog.h"
#include "access/user_registration.h"
#include "app/main_window.h"
#include "app/screen_factory.h"
#include "due/due_status.h"
#include "store/data_files.h"
#include "store/data_lock.h"
#include "tests/support/fake_sheets.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

class FakeInputSheet : public InputSheetPort
{
public:
    QWidget *widget() override { return page; }
    void DataUpDate() override { ++updates; }
    void setEditIndex(int) override { }

    QWidget *page = nullptr; // owned by the main window's sub-window
    int updates = 0;
};

class FakeScreens : public ScreenFactory
{
public:
    DataSheetPort *createDataSheet(Session &, SheetHost &, Prompter &, QWidget *) override
    {
        data.page = new QWidget;
        return &data;
    }
    InputSheetPort *createInputSheet(Session &, SheetHost &, Prompter &, QWidget *) override
    {
        input.page = new QWidget;
        return &input;
    }
    std::unique_ptr<QDialog> createApprovalList(
        Session &, Prompter &, const std::vector<int> &due, QWidget *) override
    {
        approvalLists.push_back(due);
        auto dialog = std::make_unique<QDialog>();
        dialog->setObjectName(u"Form6"_s);
        return dialog;
    }
    std::unique_ptr<QDialog> createSearchSheet(
        Session &, SheetHost &, DataSheetPort *, Prompter &, QWidget *) override
    {
        return nullptr;
    }
    std::unique_ptr<QDialog> createOutputSheet(Session &, Prompter &, const std::vector<int> &all,
        DataSheetPort *dataSheet, QWidget *) override
    {
        outputLists.push_back(all);
        outputDataSheets.push_back(dataSheet);
        return nullptr;
    }
    std::unique_ptr<QDialog> createRegistrationSheet(
        Session &, Prompter &, RegisterKind, QWidget *) override
    {
        return nullptr;
    }

    std::unique_ptr<QDialog> createUserRegistration(
        Session &state, Prompter &prompter, const QString &userFile, QWidget *parent) override
    {
        userFiles << userFile;
        return std::make_unique<UserRegistration>(
            prompter, userFile, state.Data.fileSystem(), parent);
    }
    std::unique_ptr<QDialog> createImportDialog(
        Session &, Prompter &, DataSheetPort *dataSheet, bool mayImport, QWidget *) override
    {
        built << (mayImport ? u"ImportDialog"_s : u"ImportDialog refusing"_s);
        importDataSheets.push_back(dataSheet);
        return nullptr;
    }
    std::unique_ptr<QDialog> createRestoreDialog(Session &, Prompter &, QWidget *) override
    {
        built << u"RestoreDialog"_s;
        return nullptr;
    }
    due::DueWindow *createDueWindow(Session &, Prompter &, ProgramOptions &, QWidget *) override
    {
        built << u"DueWindow"_s;
        return nullptr;
    }
    QWidget *createHelpWindow(const QString &file, QWidget *) override
    {
        built << u"HelpWindow "_s + QFileInfo(file).fileName();
        return nullptr;
    }

    // Released by the main window's sub-windows; kept alive here for the fakes' lifetime.
    FakeDataSheet data;
    FakeInputSheet input;
    std::vector<std::vector<int>> approvalLists;
    std::vector<std::vector<int>> outputLists;
    QStringList userFiles;
    std::vector<DataSheetPort *> outputDataSheets;
    QStringList built; // the screens asked for that the main window does not create itself
    std::vector<DataSheetPort *> importDataSheets;
};

NoteRecord note(std::int64_t amount, double due = 45000, std::uint8_t settled = 0)
{
    NoteRecord n;
    n.Amount = Money::fromStored(amount);
    n.DueDate = due;
    n.Settled = settled;
    return n;
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClockRandom random;
        ASSERT_EQ(writeUserFile(program.file(u"pass.dat"_s),
                      { { "Admini", 15, "kanri8" }, { "guest", 1, "guest" } }, random, nullptr,
                      systemFileSystem()),
            0);
        state.ProgramDirectory = program.path();
        state.clock = &clock;
        // An existing, empty register: start-up has nothing to say about it.
        program.write(u"TCODE.vmd"_s, QByteArray());
    }

    // Builds the window and logs in through the real login dialog, answered by script.
    std::unique_ptr<MainWindow> open(const char *user, const char *password)
    {
        return openWith(state, prompter, screens, user, password, u"suzuki"_s);
    }

    // One copy of the program; two of them on one folder stand in for two running copies.
    std::unique_ptr<MainWindow> openWith(Session &st, ScriptedPrompter &pr, FakeScreens &sc,
        const char *user, const char *password, const QString &lockUser)
    {
        pr.onDialog = [user, password](QDialog &dialog) {
            auto *login = qobject_cast<LoginDialog *>(&dialog);
            if (!login || !user)
                return int(QDialog::Rejected);
            login->Edit1->setText(QString::fromLatin1(user));
            login->Edit2->setText(QString::fromLatin1(password));
            login->OkClick();
            return login->result();
        };
        MainWindowOptions options;
        options.userFile = program.file(u"pass.dat"_s);
        options.fallbackConfigDir = program.path() + u"config"_s;
        options.fallbackDataDir = program.path() + u"data"_s;
        options.lockUser = lockUser;
        options.now = [] { return QDateTime(QDate(2024, 6, 1), QTime(9, 30)); };
        auto window = std::make_unique<MainWindow>(st, pr, sc, options);
        window->FormShow();
        window->createSheets();
        return window;
    }

    bool closeWindow(MainWindow &window)
    {
        QCloseEvent event;
        QCoreApplication::sendEvent(&window, &event);
        return event.isAccepted();
    }

    bool usable(MainWindow &window, const QString &name)
    {
        return window.action(name)->isEnabled();
    }

    // A disk that fills up while failing is set.
    struct SwitchedDisk : PosixFileSystem
    {
        bool failing = false;
        ssize_t write(int fd, const char *data, size_t size) override
        {
            if (failing) {
                errno = ENOSPC;
                return -1;
            }
            return PosixFileSystem::write(fd, data, size);
        }
    } fullDisk;
    TestDir program;
    FixedClock clock { QDate(2024, 6, 1) };
    // The run's file layer: saves fail while the disk is full.
    Session state { fullDisk };
    ScriptedPrompter prompter;
    FakeScreens screens;
};

} // namespace

// Every command of the menu bar is found by its own name: the menu or item of that caption and
// shortcut, in its menu.
TEST_F(MainWindowTest, CaptionMenusAndShortcuts)
{
    auto window = open("Admini", "kanri8");
    EXPECT_EQ(window->windowTitle(), u"Velmoraの手形管理"_s);
    EXPECT_EQ(window->objectName(), u"Form1"_s);
    struct Entry
    {
        QString name;
        QString caption;
        QString shortcut;
        QString menu; // empty for a menu
    };
    const Entry entries[] = {
        { u"File1"_s, u"ファイル(&F)"_s, {}, {} },
        { u"Save1"_s, u"上書き保存"_s, u"Ctrl+S"_s, u"File1"_s },
        { u"Print1"_s, u"出力"_s, u"Ctrl+P"_s, u"File1"_s },
        { u"Import1"_s, u"取り込み"_s, {}, u"File1"_s },
        { u"Z1"_s, u"終了(&X)"_s, u"Ctrl+X"_s, u"File1"_s },
        { u"Edit1"_s, u"編集(&E)"_s, {}, {} },
        { u"Delete1"_s, u"削除"_s, u"Shift+Del"_s, u"Edit1"_s },
        { u"N3"_s, u"取立て確認"_s, {}, u"Edit1"_s },
        { u"Find1"_s, u"検索(&S)"_s, {}, {} },
        { u"Find2"_s, u"検索"_s, u"Ctrl+F"_s, u"Find1"_s },
        { u"Show1"_s, u"表示(&V)"_s, {}, {} },
        { u"InputForm"_s, u"インプットシート"_s, {}, u"Show1"_s },
        { u"DataForm"_s, u"データシート"_s, {}, u"Show1"_s },
        { u"DueForm"_s, u"期日案内"_s, {}, u"Show1"_s },
        { u"SET1"_s, u"設定(&B)"_s, {}, {} },
        { u"SET2"_s, u"取引先登録"_s, {}, u"SET1"_s },
        { u"SET3"_s, u"銀行登録"_s, {}, u"SET1"_s },
        { u"User1"_s, u"ユーザー設定"_s, {}, u"SET1"_s },
        { u"Restore1"_s, u"バックアップから復元"_s, {}, u"SET1"_s },
        { u"Help1"_s, u"ヘルプ(&H)"_s, {}, {} },
        { u"Help2"_s, u"ヘルプ"_s, {}, u"Help1"_s },
        { u"N2"_s, u"バージョン情報"_s, {}, u"Help1"_s },
    };
    ASSERT_EQ(std::size(entries), MenuCommands.size());
    QStringList menus;
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.name.toStdString());
        QAction *a = window->action(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), e.caption);
        EXPECT_EQ(a->shortcut(), QKeySequence(e.shortcut));
        if (e.menu.isEmpty()) {
            menus << e.name;
            EXPECT_EQ(window->menu(e.name)->menuAction(), a);
        } else {
            EXPECT_TRUE(window->menu(e.menu)->actions().contains(a));
        }
    }
    QStringList bar;
    for (QAction *m : window->menuBar()->actions())
        bar << m->objectName();
    EXPECT_EQ(bar, menus);
}

// Each item is usable only when its menu and its own right are open.
TEST_F(MainWindowTest, MenusOpenByEveryRightsValue)
{
    auto window = open("Admini", "kanri8");
    for (int p = 0; p < 16; ++p) {
        const bool all = p & 8;
        const bool file = all || (p & 1);
        const bool edit = all || (p & 2);
        const bool set = all || (p & 4);
        const bool any = p != 0;
        const std::pair<QString, bool> expected[] = {
            { u"File1"_s, file },
            { u"Save1"_s, file },
            { u"Print1"_s, all },
            { u"Import1"_s, file && any },
            { u"Z1"_s, file },
            { u"Edit1"_s, edit },
            { u"Delete1"_s, edit },
            { u"N3"_s, edit },
            { u"Find1"_s, file },
            { u"Find2"_s, file },
            { u"Show1"_s, any },
            { u"InputForm"_s, any },
            { u"DataForm"_s, any },
            { u"DueForm"_s, any },
            { u"SET1"_s, set },
            { u"SET2"_s, set },
            { u"SET3"_s, set },
            { u"User1"_s, all },
            { u"Restore1"_s, set && file },
            { u"Help1"_s, true },
            { u"Help2"_s, true },
            { u"N2"_s, true },
        };
        ASSERT_EQ(std::size(expected), MenuCommands.size());
        window->applyRights(static_cast<std::uint8_t>(p));
        for (const auto &[name, open] : expected)
            EXPECT_EQ(usable(*window, name), open) << name.toStdString() << " with rights " << p;
    }
}

TEST_F(MainWindowTest, LoginSetsTheCurrentUser)
{
    auto window = open("guest", "guest");
    EXPECT_EQ(state.CurrentUser.Name, QByteArray("guest"));
    EXPECT_EQ(state.CurrentUser.Password, QByteArray("guestpelvo"));
    EXPECT_EQ(state.CurrentUser.Permissions, 1);
    EXPECT_TRUE(usable(*window, u"Save1"_s));
    EXPECT_FALSE(usable(*window, u"Print1"_s));
    EXPECT_FALSE(window->menu(u"Edit1"_s)->menuAction()->isEnabled());
}

TEST_F(MainWindowTest, CancelledLoginLeavesOnlyHelpAndClosesWithoutAsking)
{
    auto window = open(nullptr, nullptr);
    EXPECT_EQ(state.CurrentUser.Permissions, 0);
    EXPECT_TRUE(state.CurrentUser.Name.isEmpty());
    for (const QString &m : { u"File1"_s, u"Edit1"_s, u"Find1"_s, u"Show1"_s, u"SET1"_s })
        EXPECT_FALSE(window->menu(m)->menuAction()->isEnabled()) << m.toStdString();
    EXPECT_TRUE(window->menu(u"Help1"_s)->menuAction()->isEnabled());
    EXPECT_TRUE(closeWindow(*window));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(MainWindowTest, StartUpLoadsTheDataAndCreatesTheSettingsFile)
{
    ASSERT_TRUE(saveTables({ { note(1), note(2) }, {}, {} }, program.path()).ok());
    auto window = open("Admini", "kanri8");
    EXPECT_EQ(state.DataDirectory, program.path());
    EXPECT_TRUE(program.exists(u"VMKolvam.ini"_s));
    EXPECT_EQ(state.NoteTable.size(), 2u);
    EXPECT_FALSE(state.Data.modified());
}

TEST_F(MainWindowTest, ALoadFaultIsReportedAndStartUpGoesOn)
{
    program.write(u"KOLVAM.vmd"_s, QByteArray(130, 'x'));
    auto window = open("Admini", "kanri8");
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(program.file(u"KOLVAM.vmd"_s)));
    EXPECT_EQ(state.NoteTable.size(), 1u);
    EXPECT_EQ(state.CurrentUser.Permissions, 15) << "the login still runs";
}

// Values of the program's own settings that cannot be used are told once, after the login: the
// file, each value, its range and what is used instead.
TEST_F(MainWindowTest, TheProgramsOwnSettingsThatCannotBeUsedAreToldAtStart)
{
    program.write(u"tegata.ini"_s, "generations=2147483648\n[due_days]\nAdmini=0\n");
    auto window = open("Admini", "kanri8");
    ASSERT_EQ(prompter.shown.size(), 1u);
    const QString &text = prompter.shown[0].text;
    for (const QString &part : { u"「"_s + program.file(u"tegata.ini"_s) + u"」"_s,
             u"generations の値「2147483648」は使えません。0 から 1000 までの整数"_s,
             u"代わりに 10 を使います。"_s,
             u"due_days（ユーザー「Admini」）の値「0」は使えません。1 から 365 までの整数"_s,
             u"代わりに 14 を使います。"_s })
        EXPECT_TRUE(text.contains(part)) << text.toStdString();
    EXPECT_TRUE(window->findChild<due::DueStatus *>()->countsText().contains(u"14日以内"_s));
}

TEST_F(MainWindowTest, ExitPromptYesSavesNoDiscards)
{
    {
        // A run of its own: the folder's lock goes with it.
        Session first { systemFileSystem() };
        first.ProgramDirectory = program.path();
        auto window = openWith(first, prompter, screens, "Admini", "kanri8", u"suzuki"_s);
        ASSERT_EQ(first.Data.appendNote(note(5)), ChangeOutcome::Done);
        prompter.answers = { MessageAnswer::No };
        EXPECT_TRUE(closeWindow(*window));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, u"\nデータが変更されています。保存しますか？"_s);
        EXPECT_EQ(prompter.shown[0].kind, MessageKind::Information);
        EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_FALSE(program.exists(u"KOLVAM.vmd"_s));
    }
    prompter.shown.clear();
    auto window = open("Admini", "kanri8");
    ASSERT_EQ(state.Data.appendNote(note(5)), ChangeOutcome::Done);
    prompter.answers = { MessageAnswer::Yes };
    EXPECT_TRUE(closeWindow(*window));
    EXPECT_EQ(program.read(u"KOLVAM.vmd"_s).size(), 125);
    EXPECT_TRUE(program.exists(u"TCODE.vmd"_s));
    EXPECT_TRUE(program.exists(u"BANK.vmd"_s));
    EXPECT_FALSE(state.Data.modified());
}

// A failed save keeps the window open and offers another folder, as a refused one does: the work
// on a full disk can still go to another.
TEST_F(MainWindowTest, AFailedSaveAtExitKeepsTheWindowOpen)
{
    auto window = open("Admini", "kanri8");
    // The disk fills while the program runs.
    fullDisk.failing = true;
    ASSERT_EQ(state.Data.appendNote(note(5)), ChangeOutcome::Done);
    prompter.answers = { MessageAnswer::Yes, MessageAnswer::Cancel };
    EXPECT_FALSE(closeWindow(*window));
    EXPECT_TRUE(state.Data.modified());
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_TRUE(prompter.shown[1].text.contains(program.file(u"KOLVAM.vmd"_s)));
    EXPECT_TRUE(prompter.shown[2].text.contains(u"別のフォルダーに保存しますか？"_s));

    // Twice onto a full disk, each time into another folder; each message names the folder the
    // settings line still names, and a folder refused asks again until the clerk gives up.
    TestDir other;
    const QString folders[] = { other.file(u"first"_s), other.file(u"second"_s) };
    for (const QString &folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(QDir().mkpath(folder));
        int chosen = 0;
        prompter.onDialog = [&](QDialog &dialog) {
            fullDisk.failing = false; // the other disk has room
            if (chosen++ > 0)
                return int(QDialog::Rejected);
            static_cast<QFileDialog &>(dialog).selectFile(folder);
            return int(QDialog::Accepted);
        };
        ASSERT_EQ(state.Data.appendNote(note(6)), ChangeOutcome::Done);
        fullDisk.failing = true;
        prompter.shown.clear();
        prompter.answers = { MessageAnswer::Ok };
        window->Save1Click();
        EXPECT_FALSE(state.Data.modified());
        EXPECT_TRUE(QFileInfo(folder + u"/KOLVAM.vmd"_s).isFile());
        ASSERT_FALSE(prompter.shown.empty());
        EXPECT_TRUE(prompter.shown.back().text.contains(
            u"元のデータフォルダー「"_s + QDir::cleanPath(program.path()) + u"/」"_s))
            << prompter.shown.back().text.toStdString();
    }
    EXPECT_FALSE(program.exists(u"KOLVAM.vmd"_s));

    // The next save goes to the last folder and asks nothing when it works.
    ASSERT_EQ(state.Data.appendNote(note(7)), ChangeOutcome::Done);
    prompter.shown.clear();
    window->Save1Click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(state.Data.modified());
    EXPECT_EQ(other.read(u"second/KOLVAM.vmd"_s).size(), 4 * 125);
    EXPECT_TRUE(closeWindow(*window));
}

TEST_F(MainWindowTest, DeleteNeedsOneNoteRowInTheFullView)
{
    auto window = open("Admini", "kanri8");
    state.Data.setTables({ { note(0), note(1), note(2), note(3) }, {}, {} });
    std::vector<RegisterChange> changes;
    QObject::connect(&state.Data, &Register::changed,
        [&](const RegisterChange &change) { changes.push_back(change); });
    FakeDataSheet &sheet = screens.data;
    struct Case
    {
        int top, bottom;
        bool filtered;
    };
    // Title row, several rows, the blank row after the last note, a search result, no selection.
    for (const Case c : { Case { 0, 0, false }, Case { 2, 3, false }, Case { 5, 5, false },
             Case { 3, 3, true }, Case { -1, -1, false } }) {
        sheet.top = c.top;
        sheet.bottom = c.bottom;
        sheet.filtered = c.filtered;
        window->Delete1Click();
        // Opening the menu only looks at a single-row selection and the full view.
        window->Edit1Click();
        EXPECT_EQ(usable(*window, u"Delete1"_s), c.top == c.bottom && !c.filtered)
            << c.top << "-" << c.bottom;
    }
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(state.NoteTable.size(), 4u);

    sheet.top = sheet.bottom = 3;
    sheet.filtered = false;
    window->Edit1Click();
    EXPECT_TRUE(usable(*window, u"Delete1"_s));
    prompter.answers = { MessageAnswer::Cancel };
    window->Delete1Click();
    EXPECT_EQ(state.NoteTable.size(), 4u);
    EXPECT_FALSE(state.Data.modified());

    window->Delete1Click(); // answered OK
    EXPECT_EQ(prompter.shown.back().text, u"\n本当に削除してもよろしいですか？"_s);
    EXPECT_EQ(prompter.shown.back().kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown.back().buttons, MessageButtons::OkCancel);
    ASSERT_EQ(state.NoteTable.size(), 3u);
    EXPECT_EQ(state.NoteTable[2].Amount.stored(), 3) << "note 3 moved up to index 2";
    EXPECT_TRUE(state.Data.modified());
    // The sheets learn of the removal from the register, and of nothing before it.
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].table, DataTable::NoteTable);
    EXPECT_EQ(changes[0].kind, RegisterChange::Kind::Removed);
    EXPECT_EQ(changes[0].first, 2);
    EXPECT_EQ(changes[0].count, 1);
}

TEST_F(MainWindowTest, CollectionConfirmationListsTheDueNotes)
{
    auto window = open("Admini", "kanri8");
    const double today = daydate::fromDate(clock.today());
    state.Data.setTables(
        { { note(0, today - 1), note(1, today), note(2, today - 30, 1), note(3, today - 400) }, {},
            {} });
    const qsizetype refreshed = screens.data.callsOf(u"DataUpdate"_s);
    const int inputRefreshed = screens.input.updates;
    window->ShoninClick();
    ASSERT_EQ(screens.approvalLists.size(), 1u);
    EXPECT_EQ(screens.approvalLists[0], (std::vector<int> { 0, 3 }));
    EXPECT_EQ(prompter.dialogs.back(), u"Form6"_s);
    // Closed without a change, the list still ends with the refresh of both sheets.
    EXPECT_EQ(screens.data.callsOf(u"DataUpdate"_s), refreshed + 1);
    EXPECT_EQ(screens.input.updates, inputRefreshed + 1);

    state.Data.setTables({});
    window->ShoninClick();
    EXPECT_TRUE(screens.approvalLists.back().empty()) << "shown even when nothing is due";

    window->Preview();
    EXPECT_TRUE(screens.outputLists.back().empty());
    state.Data.setTables({ Notes(3), {}, {} });
    window->Preview();
    EXPECT_EQ(screens.outputLists.back(), (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(screens.outputDataSheets.back(), &screens.data) << "the data sheet's rows reach it";
}

// 取り込み, バックアップから復元, 期日案内 and ヘルプ come from the screen factory, which may
// answer nothing: the command then does nothing.
TEST_F(MainWindowTest, ImportRestoreDueAndHelpComeFromTheFactory)
{
    auto window = open("guest", "guest");
    QDir(program.path()).mkpath(u"Help"_s);
    program.write(u"Help/Help.html"_s, "<html></html>");
    window->Import1Click();
    window->Restore1Click();
    window->DueFormClick();
    window->Help2Click();
    EXPECT_EQ(screens.built,
        QStringList(
            { u"ImportDialog"_s, u"RestoreDialog"_s, u"DueWindow"_s, u"HelpWindow Help.html"_s }));
    EXPECT_EQ(screens.importDataSheets, std::vector<DataSheetPort *> { &screens.data });
}

// Admini with the README's password is told once to change it; another password says nothing.
TEST_F(MainWindowTest, TheFirstPasswordIsToBeChanged)
{
    ClockRandom random;
    ASSERT_EQ(writeUserFile(program.file(u"pass.dat"_s), { { "Admini", 15, FirstAdminPassword } },
                  random, nullptr, systemFileSystem()),
        0);
    auto window = open("Admini", FirstAdminPassword);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Information);
    EXPECT_TRUE(prompter.shown[0].text.contains(u"ユーザー設定"_s));
}

// A save refused because another program wrote the register lets the user read it again.
TEST_F(MainWindowTest, ARefusedSaveOffersToReadTheRegisterAgain)
{
    auto window = open("Admini", "kanri8");
    ASSERT_EQ(state.Data.appendNote(note(1)), ChangeOutcome::Done);
    ASSERT_TRUE(saveTables({ { note(7), note(8) }, {}, {} }, program.path()).ok())
        << "another program's save";
    prompter.shown.clear();
    // Not into another folder, but read again.
    prompter.answers = { MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Ok };
    window->Save1Click();
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(program.file(u"KOLVAM.vmd"_s)));
    EXPECT_EQ(prompter.shown[2].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(state.NoteTable.size(), 2u) << "what the other program saved";
    EXPECT_FALSE(state.Data.modified());
    ASSERT_EQ(state.Data.appendNote(note(9)), ChangeOutcome::Done);
    window->Save1Click();
    EXPECT_EQ(program.read(u"KOLVAM.vmd"_s).size(), 3 * 125) << "read again, it saves";
}

// A save refused because the data folder went away or another program wrote it keeps the work:
// it goes into another folder, which the run goes on using, and the message says that the
// settings file still names the old one.
TEST_F(MainWindowTest, ARefusedSaveOffersToSaveIntoAnotherFolder)
{
    const struct
    {
        const char *what;
        std::function<void(const TestDir &)> meanwhile;
        QString says;
        bool atExit; // the save of the quit question
    } cases[] = {
        { "the data folder renamed",
            [](const TestDir &base) { QDir(base.path()).rename(u"data"_s, u"renamed"_s); },
            u"が見つかりません"_s, false },
        { "the register changed on disk",
            [](const TestDir &base) {
                ASSERT_TRUE(
                    saveTables({ { note(7), note(8) }, {}, {} }, base.file(u"data/"_s)).ok());
            },
            u"変更された"_s, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir base;
        const QString data = base.file(u"data/"_s);
        ASSERT_TRUE(QDir().mkpath(data));
        ASSERT_TRUE(saveTables({ { note(1) }, {}, {} }, data).ok());
        const QByteArray settingsLine = data.toUtf8() + "\r\n";
        program.write(u"VMKolvam.ini"_s, settingsLine);
        Session run { systemFileSystem() };
        run.ProgramDirectory = program.path();
        ScriptedPrompter pr;
        FakeScreens sc;
        auto window = openWith(run, pr, sc, "Admini", "kanri8", u"suzuki"_s);
        ASSERT_EQ(run.Data.appendNote(note(5)), ChangeOutcome::Done);
        c.meanwhile(base);

        const QString chosen = base.file(u"elsewhere"_s);
        ASSERT_TRUE(QDir().mkpath(chosen));
        pr.onDialog = [&](QDialog &dialog) {
            static_cast<QFileDialog &>(dialog).selectFile(chosen);
            return int(QDialog::Accepted);
        };
        pr.shown.clear();
        pr.dialogs.clear();
        if (c.atExit) {
            pr.answers = { MessageAnswer::Yes };
            EXPECT_TRUE(closeWindow(*window)) << "the work is kept: the program may end";
            pr.shown.erase(pr.shown.begin());
        } else {
            window->Save1Click();
        }
        ASSERT_EQ(pr.shown.size(), 3u);
        EXPECT_EQ(pr.shown[0].kind, MessageKind::Error);
        EXPECT_TRUE(pr.shown[0].text.contains(c.says));
        EXPECT_TRUE(pr.shown[0].text.contains(u"別のフォルダーに保存"_s));
        EXPECT_EQ(pr.shown[1].kind, MessageKind::Warning);
        EXPECT_EQ(pr.shown[1].buttons, MessageButtons::OkCancel);
        EXPECT_TRUE(pr.shown[1].text.contains(u"別のフォルダーに保存しますか？"_s));
        EXPECT_EQ(pr.dialogs, QStringList { u"SaveFolderDialog"_s });
        for (const QString &named : { chosen + u'/', data, program.file(u"VMKolvam.ini"_s) })
            EXPECT_TRUE(pr.shown[2].text.contains(named)) << named.toStdString();
        EXPECT_FALSE(run.Data.modified());
        EXPECT_EQ(run.DataDirectory, chosen + u'/');
        EXPECT_EQ(base.read(u"elsewhere/KOLVAM.vmd"_s).size(), 2 * 125);
        EXPECT_EQ(program.read(u"VMKolvam.ini"_s), settingsLine) << "never rewritten";
    }
}

TEST_F(MainWindowTest, VersionNotice)
{
    auto window = open("Admini", "kanri8");
    window->N2Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(prompter.shown[0].text, u"Ver.1.00\n最新のバージョンは作者のＨＰにあります"_s);
}

TEST_F(MainWindowTest, UserSettingsRewriteTheLoginsFileButNotTheRunningRights)
{
    auto window = open("guest", "guest");
    prompter.onDialog = [](QDialog &dialog) {
        auto *users = qobject_cast<UserRegistration *>(&dialog);
        if (!users)
            return int(QDialog::Rejected);
        users->show();
        users->ComboBox1->setEditText(u"guest"_s);
        users->Edit2->setText(u"new"_s);
        users->Edit3->setText(u"new"_s);
        users->CB1->setChecked(false);
        users->CB2->setChecked(false);
        users->CB3->setChecked(false);
        users->CB4->setChecked(true);
        users->AddClick();
        users->CloseClick();
        return users->result();
    };
    window->User1Click();
    EXPECT_EQ(screens.userFiles, QStringList { program.file(u"pass.dat"_s) });
    EXPECT_EQ(prompter.dialogs.last(), u"Form7"_s);
    // The new rights wait for the next login.
    EXPECT_EQ(state.CurrentUser.Permissions, 1);
    EXPECT_FALSE(usable(*window, u"User1"_s));
    PassCheck check(program.file(u"pass.dat"_s), systemFileSystem());
    EXPECT_TRUE(check.check("guest", "new"));
    EXPECT_EQ(check.getAuth(), 8);
}

TEST_F(MainWindowTest, ASecondCopyIsToldWhoHoldsTheFolderAndRunsReadOnly)
{
    ASSERT_TRUE(saveTables({ { note(1), note(2) }, {}, {} }, program.path()).ok());
    const QByteArray notesOnDisk = program.read(u"KOLVAM.vmd"_s);
    // The first copy's run, lock and all, ends before the third starts.
    auto firstState = std::make_unique<Session>(systemFileSystem());
    firstState->ProgramDirectory = program.path();
    auto first = openWith(*firstState, prompter, screens, "Admini", "kanri8", u"suzuki"_s);
    EXPECT_FALSE(firstState->Data.readOnly());
    EXPECT_TRUE(prompter.shown.empty());

    Session state2 { systemFileSystem() };
    state2.ProgramDirectory = program.path();
    ScriptedPrompter prompter2;
    FakeScreens screens2;
    auto second = openWith(state2, prompter2, screens2, "Admini", "kanri8", u"tanaka"_s);
    ASSERT_EQ(prompter2.shown.size(), 1u);
    const QString told = prompter2.shown[0].text;
    EXPECT_EQ(prompter2.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter2.shown[0].buttons, MessageButtons::Ok) << "a live holder is not offered";
    EXPECT_TRUE(told.contains(u"suzuki"_s)) << told.toStdString();
    EXPECT_TRUE(told.contains(DataLock::localHost()));
    EXPECT_TRUE(told.contains(u"2024/06/01 09:30"_s));
    EXPECT_TRUE(told.contains(u"読み取り専用"_s));
    EXPECT_TRUE(state2.Data.readOnly());
    EXPECT_EQ(state2.NoteTable.size(), 2u) << "everything can still be viewed";

    // A change is refused and Save with a message; closing just closes; nothing is written.
    EXPECT_EQ(state2.Data.appendNote(note(3)), ChangeOutcome::ReadOnly);
    EXPECT_EQ(state2.NoteTable.size(), 2u);
    EXPECT_FALSE(state2.Data.modified());
    second->Save1Click();
    ASSERT_EQ(prompter2.shown.size(), 2u);
    EXPECT_TRUE(prompter2.shown[1].text.contains(u"保存できません"_s));
    EXPECT_TRUE(closeWindow(*second));
    EXPECT_EQ(prompter2.shown.size(), 2u) << "the exit prompt does not offer to save";
    second.reset();
    EXPECT_EQ(program.read(u"KOLVAM.vmd"_s), notesOnDisk);

    // The holder still saves; once it is gone the next copy writes again.
    ASSERT_EQ(firstState->Data.appendNote(note(9)), ChangeOutcome::Done);
    first->Save1Click();
    EXPECT_EQ(program.read(u"KOLVAM.vmd"_s).size(), 3 * 125);
    first.reset();
    firstState.reset();
    Session state3 { systemFileSystem() };
    state3.ProgramDirectory = program.path();
    ScriptedPrompter prompter3;
    FakeScreens screens3;
    auto third = openWith(state3, prompter3, screens3, "Admini", "kanri8", u"tanaka"_s);
    EXPECT_FALSE(state3.Data.readOnly());
    EXPECT_TRUE(prompter3.shown.empty());
}

TEST_F(MainWindowTest, ALockLeftOnAnotherHostIsTakenOverOnlyAfterAWarning)
{
    program.write(QString::fromUtf16(LockFileName), "4242\ntegata\nother-pc.example\n");
    prompter.answers = { MessageAnswer::Cancel };
    {
        Session first { systemFileSystem() };
        first.ProgramDirectory = program.path();
        auto window = openWith(first, prompter, screens, "Admini", "kanri8", u"suzuki"_s);
        ASSERT_FALSE(prompter.shown.empty());
        EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
        EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::OkCancel);
        EXPECT_TRUE(prompter.shown[0].text.contains(u"other-pc.example"_s));
        EXPECT_TRUE(first.Data.readOnly());
        // Nothing can be changed, so closing has nothing to ask.
        const std::size_t told = prompter.shown.size();
        EXPECT_EQ(first.Data.appendNote(note(1)), ChangeOutcome::ReadOnly);
        EXPECT_FALSE(first.Data.modified());
        EXPECT_TRUE(closeWindow(*window));
        EXPECT_EQ(prompter.shown.size(), told);
    }
    EXPECT_TRUE(program.read(QString::fromUtf16(LockFileName)).startsWith("4242\n"));

    prompter.shown.clear();
    prompter.answers = { MessageAnswer::Ok };
    auto window = open("Admini", "kanri8");
    EXPECT_FALSE(state.Data.readOnly());
    EXPECT_EQ(prompter.shown.size(), 1u);
    ASSERT_EQ(state.Data.appendNote(note(1)), ChangeOutcome::Done);
    window->Save1Click();
    EXPECT_EQ(program.read(u"KOLVAM.vmd"_s).size(), 125);
    EXPECT_TRUE(program.read(QString::fromUtf16(LockFileName))
                    .startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
}

// Each of these used to end in an empty register without a word.
TEST_F(MainWindowTest, StartUpSaysWhyTheRegisterIsEmpty)
{
    // Each start is a run of its own; the window before it has gone.
    std::unique_ptr<Session> run;
    const auto startWith = [&](const QByteArray &settingsLine) {
        program.write(u"VMKolvam.ini"_s, settingsLine);
        run = std::make_unique<Session>(systemFileSystem());
        run->ProgramDirectory = program.path();
        prompter.shown.clear();
        return openWith(*run, prompter, screens, "Admini", "kanri8", u"suzuki"_s);
    };

    // A missing data folder, and a line ended by LF alone, are named.
    const QString gone = program.path() + u"gone/"_s;
    auto window = startWith(gone.toUtf8() + "\r\n");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_TRUE(prompter.shown[0].text.contains(gone));
    EXPECT_EQ(run->CurrentUser.Permissions, 15) << "the login still runs";
    window.reset();
    window = startWith(program.path().toUtf8() + "\n");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains(u"LF だけ"_s));
    window.reset();

    // A new register says where it will be saved.
    TestDir empty;
    window = startWith(empty.path().toUtf8() + "\r\n");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Information);
    EXPECT_TRUE(prompter.shown[0].text.contains(empty.file(u"KOLVAM.vmd"_s)));
    window.reset();

    // A settings file edited in UTF-8 finds its Japanese folder.
    TestDir base;
    const QString japanese = base.path() + u"手形データ/"_s;
    ASSERT_TRUE(QDir().mkpath(japanese));
    ASSERT_TRUE(saveTables({ { note(1), note(2) }, {}, {} }, japanese).ok());
    window = startWith(japanese.toUtf8() + "\r\n");
    EXPECT_EQ(run->DataDirectory, japanese);
    EXPECT_EQ(run->NoteTable.size(), 2u);
    EXPECT_TRUE(prompter.shown.empty());
    window.reset(); // releases the lock while its folder is still there
}

TEST_F(MainWindowTest, AProgramFolderCodePage932CannotSpellFindsItsDataAgain)
{
    TestDir base;
    state.ProgramDirectory = base.path() + u"josé〜/"_s;
    ASSERT_TRUE(QDir().mkpath(state.ProgramDirectory));
    ASSERT_TRUE(saveTables({ { note(1), note(2) }, {}, {} }, state.ProgramDirectory).ok());
    for (int run = 0; run < 2; ++run) { // the first creates the settings file, the second reads it
        SCOPED_TRACE(run);
        state.Data.setTables({});
        auto window = open("Admini", "kanri8");
        EXPECT_EQ(state.DataDirectory, base.path() + u"josé〜/"_s);
        EXPECT_EQ(state.NoteTable.size(), 2u);
        EXPECT_TRUE(prompter.shown.empty());
    }
}

TEST_F(MainWindowTest, AnUnreadableSettingsFileIsNamedAndNothingIsSaved)
{
    ASSERT_TRUE(QDir().mkpath(program.file(u"VMKolvam.ini"_s))); // cannot be read as a file
    auto window = open("Admini", "kanri8");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(program.file(u"VMKolvam.ini"_s)));
    EXPECT_TRUE(state.Data.readOnly());
    EXPECT_FALSE(program.exists(u"config"_s)) << "no silent switch to the user's folders";
    EXPECT_EQ(state.Data.appendNote(note(1)), ChangeOutcome::ReadOnly);
    window->Save1Click();
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_FALSE(program.exists(u"KOLVAM.vmd"_s));
    EXPECT_FALSE(program.exists(u"data/KOLVAM.vmd"_s));
}
