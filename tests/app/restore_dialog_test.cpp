#include <numeric>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>

#include "controls/progress.h"
#include "generations/restore_dialog.h"
#include "store/data_file_names.h"
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
    EXPECT_TRUE(rows->index(1, 1).data().toString().startsWith(u"エラー"_s));
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
    ASSERT_TRUE(LoadGeneration(kept.at(0), newest, systemFileSystem()));
    EXPECT_EQ(newest.notes.size(), saved);
}

// A generation changed since it was kept says so, and why, across the columns of what it holds,
// and cannot be chosen; a backup/ folder others can write lists nothing, and the user is told.
TEST_F(RestoreDialogTest, ADamagedGenerationSaysWhyAndAFolderOthersCanWriteListsNothing)
{
    state.Data.keepGenerations(10);
    for (int i = 0; i < 3; ++i)
        saveWithOneMoreNote(); // the first replaces nothing: two generations
    const QString damaged =
        listGenerations(state.DataDirectory, systemFileSystem()).at(1).path + u"KOLVAM.vmd"_s;
    const qint64 size = QFileInfo(damaged).size();
    ASSERT_TRUE(QFile::resize(damaged, size - 125));

    generations::RestoreDialog dialog(state, prompter);
    const QAbstractItemModel *rows = dialog.table()->model();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->index(1, 1).data().toString(),
        u"エラー: KOLVAM.vmd 残したときと大きさが違います（%1 → %2 バイト）。"_s.arg(size).arg(
            size - 125));
    EXPECT_EQ(dialog.table()->columnSpan(1, 1), rows->columnCount() - 1);
    dialog.table()->selectRow(1);
    EXPECT_FALSE(dialog.restoreButton()->isEnabled());

    const QString backup = state.DataDirectory + u"backup"_s;
    ASSERT_TRUE(QFile::setPermissions(backup, QFile::permissions(backup) | QFile::WriteOther));
    prompter.shown.clear();
    generations::RestoreDialog refused(state, prompter);
    EXPECT_TRUE(refused.summaries().empty());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains(backup)) << prompter.shown[0].text.toStdString();
}

// Each row says when what it holds was saved and how many of its notes are approved, so a
// 全て承認 is undone by picking the row before it; a generation of an earlier version is known
// only by the save that replaced it, and the question says which it means.
TEST_F(RestoreDialogTest, EachRowSaysWhenItsDataWasSavedAndHowManyNotesAreApproved)
{
    state.Data.keepGenerations(10);
    const QDateTime evening(QDate(2026, 12, 6), QTime(17, 5, 0));
    const QDateTime morning(QDate(2026, 12, 7), QTime(9, 0, 0));
    ASSERT_EQ(state.Data.appendNote(state.NoteTable.front()), ChangeOutcome::Done);
    ASSERT_TRUE(state.Data.save(u"suzuki"_s, evening).ok());
    std::vector<int> all(state.NoteTable.size());
    std::iota(all.begin(), all.end(), 0);
    ASSERT_EQ(state.Data.applyApprovals(all, std::vector<std::uint8_t>(all.size(), 1)), 5);
    ASSERT_TRUE(state.Data.save(u"suzuki"_s, morning).ok());
    ASSERT_EQ(state.Data.appendNote(state.NoteTable.front()), ChangeOutcome::Done);
    ASSERT_TRUE(state.Data.save(u"suzuki"_s, morning.addSecs(3600)).ok());
    const QString earlier = listGenerations(state.DataDirectory, systemFileSystem()).at(1).path;
    const QString old = state.DataDirectory + u"backup/20261201-080000/"_s;
    ASSERT_TRUE(QDir().mkpath(old));
    for (const QString &name : dataFileNames().mid(0, DesignedDataFiles))
        ASSERT_TRUE(QFile::copy(earlier + name, old + name));

    generations::RestoreDialog dialog(state, prompter);
    const QAbstractItemModel *rows = dialog.table()->model();
    EXPECT_EQ(rows->headerData(5, Qt::Horizontal).toString(), u"承認済み"_s);
    const struct
    {
        QString saved;
        QString approved;
        QString question;
    } expected[] = {
        { u"2026/12/07 09:00:00"_s, u"7"_s, u"2026/12/07 09:00:00 に保存したデータに戻します。"_s },
        { u"2026/12/06 17:05:00"_s, u"2"_s, u"2026/12/06 17:05:00 に保存したデータに戻します。"_s },
        { u"2026/12/01 08:00:00"_s, u"2"_s,
            u"2026/12/01 08:00:00 の保存の前のデータに戻します。"_s },
    };
    ASSERT_EQ(rows->rowCount(), static_cast<int>(std::size(expected)));
    for (int row = 0; row < rows->rowCount(); ++row) {
        SCOPED_TRACE(row);
        const auto &e = expected[row];
        EXPECT_EQ(rows->index(row, 0).data().toString(), e.saved);
        EXPECT_EQ(rows->index(row, 5).data().toString(), e.approved);
        dialog.table()->selectRow(row);
        prompter.answers = { MessageAnswer::Cancel };
        dialog.restoreClick();
        ASSERT_FALSE(prompter.shown.empty());
        EXPECT_TRUE(prompter.shown.back().text.contains(e.question))
            << prompter.shown.back().text.toStdString();
    }
    EXPECT_FALSE(state.Data.modified());
}

// Reading the generations says how far it has got; a cancel lists the newest ones read so far,
// each still restorable, and never reads the rest.
TEST_F(RestoreDialogTest, ReadingTheGenerationsShowsProgressAndStopsOnCancel)
{
    struct CancelAfter : Progress
    {
        qint64 allowed = 0;
        std::vector<std::pair<qint64, qint64>> steps;
        bool step(qint64 done, qint64 total) override
        {
            steps.emplace_back(done, total);
            return done < allowed;
        }
    };
    state.Data.keepGenerations(10);
    for (int i = 0; i < 4; ++i)
        saveWithOneMoreNote(); // the first replaces nothing: three generations
    for (const qint64 allowed : { 3, 1, 0 }) {
        SCOPED_TRACE(allowed);
        CancelAfter progress;
        progress.allowed = allowed;
        generations::RestoreDialog dialog(state, prompter, nullptr, &progress);
        ASSERT_EQ(dialog.summaries().size(), static_cast<std::size_t>(allowed));
        for (std::size_t i = 0; i < progress.steps.size(); ++i)
            EXPECT_EQ(progress.steps[i], std::make_pair(static_cast<qint64>(i), qint64 { 3 }));
        if (allowed > 0) {
            EXPECT_EQ(dialog.table()->model()->index(0, 1).data().toString(), u"9"_s);
            dialog.table()->selectRow(0);
            EXPECT_TRUE(dialog.restoreButton()->isEnabled());
        }
    }
}
