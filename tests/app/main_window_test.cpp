#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "access/login_dialog.h"
#include "app/main_window.h"
#include "app/screen_factory.h"
#include "store/data_files.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

// Stands in for the data sheet: a selection and a view state the tests set.
class FakeDataSheet : public DataSheetPort
{
public:
    QWidget *widget() override { return page; }
    int selectionTop() const override { return top; }
    int selectionBottom() const override { return bottom; }
    bool viewFiltered() const override { return filtered; }
    void setIndexAll() override
    {
        filtered = false;
        ++indexAllCalls;
    }
    void DataUpdate() override { ++updates; }

    QWidget *page = nullptr; // owned by the main window's sub-window
    int top = 0;
    int bottom = 0;
    bool filtered = false;
    int indexAllCalls = 0;
    int updates = 0;
};

class FakeInputSheet : public InputSheetPort
{
public:
    QWidget *widget() override { return page; }
    void DataUpDate() override { ++updates; }
    void setEditIndex(int) override { }
    void noteRemoved(int index) override { removed.push_back(index); }

    QWidget *page = nullptr; // owned by the main window's sub-window
    int updates = 0;
    std::vector<int> removed;
};

class FakeScreens : public ScreenFactory
{
public:
    DataSheetPort *createDataSheet(AppState &, SheetHost &, Prompter &, QWidget *) override
    {
        data.page = new QWidget;
        return &data;
    }
    InputSheetPort *createInputSheet(AppState &, SheetHost &, Prompter &, QWidget *) override
    {
        input.page = new QWidget;
        return &input;
    }
    std::unique_ptr<QDialog> createApprovalList(
        AppState &, Prompter &, const std::vector<int> &due, QWidget *) override
    {
        approvalLists.push_back(due);
        auto dialog = std::make_unique<QDialog>();
        dialog->setObjectName(u"Form6"_s);
        return dialog;
    }
    std::unique_ptr<QDialog> createOutputSheet(
        AppState &, Prompter &, const std::vector<int> &all, QWidget *) override
    {
        outputLists.push_back(all);
        return nullptr;
    }

    // Released by the main window's sub-windows; kept alive here for the fakes' lifetime.
    FakeDataSheet data;
    FakeInputSheet input;
    std::vector<std::vector<int>> approvalLists;
    std::vector<std::vector<int>> outputLists;
};

NoteRecord note(std::int64_t amount, double due = 45000, std::uint8_t settled = 0)
{
    NoteRecord n;
    n.Amount = amount;
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
        ASSERT_TRUE(writeUserFile(program.file(u"pass.dat"_s),
            { { "Admini", 15, "velmora" }, { "guest", 1, "guest" } }, random, nullptr));
        state.ProgramDirectory = program.path();
        state.clock = &clock;
    }

    // Builds the window and logs in through the real login dialog, answered by script.
    std::unique_ptr<MainWindow> open(const char *user, const char *password)
    {
        prompter.onDialog = [user, password](QDialog &dialog) {
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
        auto window = std::make_unique<MainWindow>(state, prompter, screens, options);
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

    TestDir program;
    FixedClock clock { QDate(2024, 6, 1) };
    AppState state;
    ScriptedPrompter prompter;
    FakeScreens screens;
};

} // namespace

TEST_F(MainWindowTest, CaptionMenusAndShortcuts)
{
    auto window = open("Admini", "velmora");
    EXPECT_EQ(window->windowTitle(), u"Velmoraの手形管理"_s);
    EXPECT_EQ(window->objectName(), u"Form1"_s);
    const QStringList menus = { u"File1"_s, u"Edit1"_s, u"Find1"_s, u"Show1"_s, u"SET1"_s,
        u"Help1"_s };
    const QStringList titles = { u"ファイル(&F)"_s, u"編集(&E)"_s, u"検索(&S)"_s, u"表示(&V)"_s,
        u"設定(&B)"_s, u"ヘルプ(&H)"_s };
    for (int i = 0; i < menus.size(); ++i)
        EXPECT_EQ(window->menu(menus[i])->title(), titles[i]);
    EXPECT_EQ(window->action(u"Save1"_s)->shortcut(), QKeySequence(u"Ctrl+S"_s));
    EXPECT_EQ(window->action(u"Print1"_s)->shortcut(), QKeySequence(u"Ctrl+P"_s));
    EXPECT_EQ(window->action(u"Z1"_s)->text(), u"終了(&X)"_s);
    EXPECT_EQ(window->action(u"Delete1"_s)->shortcut(), QKeySequence(u"Shift+Del"_s));
    EXPECT_EQ(window->action(u"Find2"_s)->shortcut(), QKeySequence(u"Ctrl+F"_s));
    EXPECT_EQ(window->action(u"N3"_s)->text(), u"取立て確認"_s);
    EXPECT_EQ(window->action(u"User1"_s)->text(), u"ユーザー設定"_s);
}

TEST_F(MainWindowTest, MenusOpenByEveryRightsValue)
{
    auto window = open("Admini", "velmora");
    for (int p = 0; p < 16; ++p) {
        window->applyRights(static_cast<std::uint8_t>(p));
        const bool all = p & 8;
        const bool file = all || (p & 1);
        const bool edit = all || (p & 2);
        const bool set = all || (p & 4);
        SCOPED_TRACE(p);
        EXPECT_EQ(window->menu(u"File1"_s)->menuAction()->isEnabled(), file);
        EXPECT_EQ(usable(*window, u"Save1"_s), file);
        EXPECT_EQ(usable(*window, u"Z1"_s), file);
        EXPECT_EQ(usable(*window, u"Print1"_s), all);
        EXPECT_EQ(usable(*window, u"Delete1"_s), edit);
        EXPECT_EQ(usable(*window, u"N3"_s), edit);
        EXPECT_EQ(usable(*window, u"Find2"_s), file);
        EXPECT_EQ(usable(*window, u"InputForm"_s), p != 0);
        EXPECT_EQ(usable(*window, u"SET2"_s), set);
        EXPECT_EQ(usable(*window, u"SET3"_s), set);
        EXPECT_EQ(usable(*window, u"User1"_s), all);
        EXPECT_TRUE(usable(*window, u"Help2"_s));
        EXPECT_TRUE(usable(*window, u"N2"_s));
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
    AppState saved;
    saved.NoteTable = { note(1), note(2) };
    ASSERT_TRUE(SaveData(saved, program.path()).ok);
    auto window = open("Admini", "velmora");
    EXPECT_EQ(state.DataDirectory, program.path());
    EXPECT_TRUE(program.exists(u"VMKolvam.ini"_s));
    EXPECT_EQ(state.NoteTable.size(), 2u);
    EXPECT_FALSE(state.Modified);
}

TEST_F(MainWindowTest, ALoadFaultIsReportedAndStartUpGoesOn)
{
    program.write(u"KOLVAM.vmd"_s, QByteArray(130, 'x'));
    auto window = open("Admini", "velmora");
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(program.file(u"KOLVAM.vmd"_s)));
    EXPECT_EQ(state.NoteTable.size(), 1u);
    EXPECT_EQ(state.CurrentUser.Permissions, 15) << "the login still runs";
}

TEST_F(MainWindowTest, ExitPromptYesSavesNoDiscards)
{
    {
        auto window = open("Admini", "velmora");
        state.NoteTable.push_back(note(5));
        state.Modified = true;
        prompter.answers = { MessageAnswer::No };
        EXPECT_TRUE(closeWindow(*window));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, u"\nデータが変更されています。保存しますか？"_s);
        EXPECT_EQ(prompter.shown[0].kind, MessageKind::Information);
        EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_FALSE(program.exists(u"KOLVAM.vmd"_s));
    }
    prompter.shown.clear();
    state = AppState();
    state.ProgramDirectory = program.path();
    auto window = open("Admini", "velmora");
    state.NoteTable.push_back(note(5));
    state.Modified = true;
    prompter.answers = { MessageAnswer::Yes };
    EXPECT_TRUE(closeWindow(*window));
    EXPECT_EQ(program.read(u"KOLVAM.vmd"_s).size(), 125);
    EXPECT_TRUE(program.exists(u"TCODE.vmd"_s));
    EXPECT_TRUE(program.exists(u"BANK.vmd"_s));
    EXPECT_FALSE(state.Modified);
}

TEST_F(MainWindowTest, AFailedSaveAtExitKeepsTheWindowOpen)
{
    auto window = open("Admini", "velmora");
    state.DataDirectory = program.path() + u"gone/"_s;
    state.Modified = true;
    prompter.answers = { MessageAnswer::Yes };
    EXPECT_FALSE(closeWindow(*window));
    EXPECT_TRUE(state.Modified);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_TRUE(prompter.shown[1].text.contains(program.path() + u"gone/TCODE.vmd"_s));

    // Save on the menu reports the same way and asks nothing when it works.
    state.DataDirectory = program.path();
    prompter.shown.clear();
    window->Save1Click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(state.Modified);
    EXPECT_TRUE(closeWindow(*window));
}

TEST_F(MainWindowTest, DeleteNeedsOneNoteRowInTheFullView)
{
    auto window = open("Admini", "velmora");
    state.NoteTable = { note(0), note(1), note(2), note(3) };
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
    EXPECT_FALSE(state.Modified);

    const int updatesBefore = sheet.updates;
    window->Delete1Click(); // answered OK
    EXPECT_EQ(prompter.shown.back().text, u"\n本当に削除してもよろしいですか？"_s);
    EXPECT_EQ(prompter.shown.back().kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown.back().buttons, MessageButtons::OkCancel);
    ASSERT_EQ(state.NoteTable.size(), 3u);
    EXPECT_EQ(state.NoteTable[2].Amount, 3) << "note 3 moved up to index 2";
    EXPECT_TRUE(state.Modified);
    EXPECT_EQ(sheet.indexAllCalls, 1);
    EXPECT_EQ(sheet.updates, updatesBefore + 1);
    EXPECT_EQ(screens.input.removed, std::vector<int> { 2 });
}

TEST_F(MainWindowTest, CollectionConfirmationListsTheDueNotes)
{
    auto window = open("Admini", "velmora");
    const double today = daydate::fromDate(clock.today());
    state.NoteTable = { note(0, today - 1), note(1, today), note(2, today - 30, 1),
        note(3, today - 400) };
    window->ShoninClick();
    ASSERT_EQ(screens.approvalLists.size(), 1u);
    EXPECT_EQ(screens.approvalLists[0], (std::vector<int> { 0, 3 }));
    EXPECT_EQ(prompter.dialogs.back(), u"Form6"_s);
    EXPECT_EQ(screens.data.updates, 1) << "the sheets are refreshed afterwards";
    EXPECT_EQ(screens.input.updates, 1);

    state.NoteTable.clear();
    window->ShoninClick();
    EXPECT_TRUE(screens.approvalLists.back().empty()) << "shown even when nothing is due";

    window->Preview();
    EXPECT_TRUE(screens.outputLists.back().empty());
    state.NoteTable.resize(3);
    window->Preview();
    EXPECT_EQ(screens.outputLists.back(), (std::vector<int> { 0, 1, 2 }));
}

TEST_F(MainWindowTest, VersionNotice)
{
    auto window = open("Admini", "velmora");
    window->N2Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(prompter.shown[0].text, u"Ver.1.00\n最新のバージョンは作者のＨＰにあります"_s);
}
