#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableView>

#include "generations/restore_dialog.h"
#include "store/generations.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class RestoreDialogTest : public RealMainWindow
{
protected:
    void saveWithOneMoreNote()
    {
        ASSERT_EQ(state.Data.appendNote(state.NoteTable.front()), ChangeOutcome::Done);
        window->Save1Click();
        ASSERT_FALSE(state.Data.modified());
    }
};

} // namespace

TEST_F(RestoreDialogTest, BringsBackAGenerationAsAChangeAndRefusesOneThatIsNotAFolder)
{
    state.Data.keepGenerations(10);
    saveWithOneMoreNote(); // replaces nothing
    saveWithOneMoreNote(); // keeps the register of seven notes
    const std::size_t saved = state.NoteTable.size();
    // A link in a generation's place is listed, and never read.
    ASSERT_TRUE(QFile::link(program.path(), state.DataDirectory + u"backup/20200101-000000"_s));

    generations::RestoreDialog dialog(state, prompter);
    ASSERT_EQ(dialog.summaries().size(), 2u);
    const QAbstractItemModel *rows = dialog.table()->model();
    EXPECT_EQ(rows->index(0, 1).data().toString(), u"7"_s);
    EXPECT_EQ(rows->index(1, 1).data().toString(), u"エラー"_s);
    dialog.table()->selectRow(1);
    EXPECT_FALSE(dialog.restoreButton()->isEnabled());
    dialog.table()->selectRow(0);
    ASSERT_TRUE(dialog.restoreButton()->isEnabled());
    dialog.restoreClick();
    EXPECT_EQ(state.NoteTable.size(), 7u);
    EXPECT_TRUE(state.Data.modified());

    // Saved, the register it replaced is the newest generation: the restore can be undone.
    window->Save1Click();
    const std::vector<Generation> kept = listGenerations(state.DataDirectory, systemFileSystem());
    Tables newest;
    ASSERT_TRUE(LoadGeneration(kept.at(0), newest));
    EXPECT_EQ(newest.notes.size(), saved);
}
