#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableView>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "controls/nval_edit.h"
#include "sheets/data_sheet.h"
#include "sheets/input_sheet.h"
#include "sheets/note_grid_model.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

// The data sheet as the program builds it, inside the real main window.
class DataSheetInMainWindow : public RealMainWindow
{
protected:
    void SetUp() override
    {
        RealMainWindow::SetUp();
        if (HasFatalFailure())
            return;
        sheet = dataSheet;
        prompter.shown.clear();
    }

    void selectRow(int gridRow) { sheet->SG1->selectRow(gridRow - 1); }

    DataSheet *sheet = nullptr;
};

} // namespace

TEST_F(DataSheetInMainWindow, DeleteOfRowThreeRemovesNoteTwoAndShowsAllAgain)
{
    const NoteRecord fourth = state.NoteTable[3];
    auto *input = dynamic_cast<InputSheet *>(window->inputSheet());
    ASSERT_NE(input, nullptr);
    input->setEditIndex(4);
    sheet->setIndex({ 0, 1, 2, 3, 4, 5 }, u"抽出"_s); // a search that happens to list every note
    selectRow(3);
    window->Delete1Click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(state.NoteTable.size(), 6u);

    sheet->setIndexAll();
    sheet->DataUpdate();
    selectRow(3);
    prompter.answers = { MessageAnswer::Ok };
    sheet->Delete1Click(); // the context menu's 削除 goes through the main window
    ASSERT_EQ(prompter.texts(), QStringList({ u"\n本当に削除してもよろしいですか？"_s }));
    ASSERT_EQ(state.NoteTable.size(), 5u);
    EXPECT_EQ(std::memcmp(&state.NoteTable[2], &fourth, sizeof fourth), 0);
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(sheet->viewIndex(), std::vector<std::int32_t>({ 0, 1, 2, 3, 4 }));
    EXPECT_EQ(sheet->windowTitle(), u"データシート(全件表示)"_s);
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 6);
    EXPECT_EQ(sheet->model()->cellText(2, 0), u"001 "_s);
    EXPECT_TRUE(input->Editing());
    EXPECT_EQ(input->EditIndex(), 3) << "the edit follows its note";
}

TEST_F(DataSheetInMainWindow, EditMenuFollowsTheSheetsSelection)
{
    // The sheet's menu items share names with the main window's; the main window must still
    // reach its own.
    QAction *mainDelete = window->action(u"Delete1"_s);
    ASSERT_NE(mainDelete, nullptr);
    EXPECT_NE(mainDelete, sheet->Delete1);
    EXPECT_NE(window->action(u"Edit1"_s), sheet->Edit1);

    selectRow(2);
    window->Edit1Click();
    EXPECT_TRUE(mainDelete->isEnabled());
    sheet->SG1->selectionModel()->select(
        QItemSelection(sheet->SG1->model()->index(1, 0), sheet->SG1->model()->index(2, 11)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    window->Edit1Click();
    EXPECT_FALSE(mainDelete->isEnabled());
    selectRow(2);
    sheet->setIndex({ 1 }, u"抽出"_s);
    window->Edit1Click();
    EXPECT_FALSE(mainDelete->isEnabled());
}

TEST_F(DataSheetInMainWindow, RegisterChangesShowWithoutWaitingForAllUpdate)
{
    state.Data.appendEntry(
        RegisterKind::PartnerRegister, { "002", sjis::encode(u"新しい名前"_s), {} });
    state.Data.appendNote(state.NoteTable[0]);
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 8);
    EXPECT_EQ(sheet->model()->cellText(1, 1), u"新しい名前"_s);
    window->AllUpdate();
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 8);
    EXPECT_EQ(sheet->model()->cellText(1, 1), u"新しい名前"_s);
}

TEST_F(DataSheetInMainWindow, ChildWindowsComeAtTheirDesignedOuterSize)
{
    const auto frameOf = [](QWidget *child) { return child->parentWidget()->size(); };
    EXPECT_EQ(frameOf(sheet), QSize(424, 540));
    QWidget *input = window->inputSheet()->widget();
    EXPECT_EQ(frameOf(input), QSize(391, 520));
    EXPECT_LT(input->width(), 391) << "the frame takes its share of the window";
    EXPECT_EQ(input->minimumSize(), input->maximumSize()) << "the input sheet keeps a fixed size";
}

// 編集 brings the input sheet to the front, even from behind a maximised data sheet.
TEST_F(DataSheetInMainWindow, EditBringsTheInputSheetToTheFront)
{
    auto *input = dynamic_cast<InputSheet *>(window->inputSheet());
    ASSERT_NE(input, nullptr);
    auto *dataWindow = qobject_cast<QMdiSubWindow *>(sheet->parentWidget());
    auto *inputWindow = qobject_cast<QMdiSubWindow *>(input->parentWidget());
    ASSERT_TRUE(dataWindow && inputWindow);
    window->show();
    inputWindow->showMinimized();
    dataWindow->showMaximized();
    dataWindow->mdiArea()->setActiveSubWindow(dataWindow);
    selectRow(2);
    sheet->Edit1Click();
    EXPECT_TRUE(input->Editing());
    EXPECT_EQ(inputWindow->mdiArea()->activeSubWindow(), inputWindow);
    EXPECT_FALSE(inputWindow->isMinimized());
}

// After 登録 the status bar says what was stored, and the data sheet, back in its full view,
// shows the note's row selected, scrolled to from the top of a long list.
TEST_F(DataSheetInMainWindow, RegistrationSaysWhatWasStoredAndShowsItsRow)
{
    fixtures::reload(state, [](Tables &t) {
        for (int i = 0; i < 60; ++i)
            t.notes.push_back(t.notes[0]);
    });
    auto *input = dynamic_cast<InputSheet *>(window->inputSheet());
    ASSERT_NE(input, nullptr);
    struct Case
    {
        const char *why;
        int edited; // -1: a new note
        QString number;
        int amount;
        QString status;
    };
    const Case cases[] = {
        { "a new note", -1, u"A0008"_s, 100000, u"登録しました: 手形番号 A0008 100,000円"_s },
        { "an edited note", 40, u"E-40"_s, 2500000, u"登録しました: 手形番号 E-40 2,500,000円"_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        sheet->setIndex({ 0, 1 }, u"抽出"_s);
        sheet->DataUpdate();
        selectRow(1);
        if (c.edited >= 0)
            input->setEditIndex(c.edited);
        input->Edit2->setText(c.number);
        input->NValEdit1->setValue(c.amount);
        input->OkClick();
        EXPECT_TRUE(prompter.shown.empty());
        const auto *status = window->findChild<QLabel *>(u"SheetStatus"_s);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->text(), c.status);
        EXPECT_TRUE(status->isVisible());

        const int note = c.edited >= 0 ? c.edited : int(state.NoteTable.size()) - 1;
        EXPECT_FALSE(sheet->viewFiltered());
        EXPECT_EQ(sheet->selectionTop(), note + 1);
        EXPECT_EQ(sheet->selectionBottom(), note + 1);
        const QRect row = sheet->SG1->visualRect(sheet->model()->index(note, 0));
        EXPECT_TRUE(sheet->SG1->viewport()->rect().contains(row));
    }
}
