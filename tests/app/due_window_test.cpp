#include <algorithm>

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

#include "core/day_date.h"
#include "core/sjis.h"
#include "due/due_status.h"
#include "due/due_texts.h"
#include "due/due_window.h"
#include "sheets/data_sheet.h"
#include "sheets/note_grid_model.h"
#include "store/program_options.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

// The small register's notes all fall due on 30 April 2024; the one receivable note still open
// is past due ten days later.
class DueDates : public RealMainWindow
{
protected:
    void SetUp() override
    {
        state.clock = &clock;
        RealMainWindow::SetUp();
        status = window->findChild<due::DueStatus *>();
        ASSERT_NE(status, nullptr);
    }

    FixedClock clock { QDate(2024, 5, 10) };
    due::DueStatus *status = nullptr;
};

} // namespace

TEST_F(DueDates, TheStatusLineCountsAgainAfterAChangeAndSaysItIsNotSaved)
{
    status->start(14);
    EXPECT_EQ(status->countsText(),
        u"期日経過の受取手形 1件 ／ 14日以内の支払 0件 0円 ／ 入金 0件 0円"_s);
    NoteRecord payment = fixtures::note({ u"001"_s, u"B01"_s, PayableNote, 0, 1'000 * 10'000 });
    payment.DueDate = daydate::fromDate(QDate(2024, 5, 13));
    ASSERT_EQ(state.Data.appendNote(payment), ChangeOutcome::Done);
    EXPECT_EQ(status->countsText(),
        u"期日経過の受取手形 1件 ／ 14日以内の支払 1件 1,000円 ／ 入金 0件 0円"_s);
    EXPECT_EQ(status->saveText(), u"未保存の変更があります"_s);
    status->setDays(1);
    EXPECT_TRUE(status->countsText().contains(u"1日以内の支払 0件"_s));
    window->Save1Click();
    EXPECT_TRUE(status->saveText().startsWith(u"保存しました "_s))
        << status->saveText().toStdString();
}

TEST_F(DueDates, TheMenuOpensTheWindowAndARowShowsItsNoteInTheDataSheet)
{
    window->action(u"DueForm"_s)->trigger();
    auto *due = window->findChild<due::DueWindow *>();
    ASSERT_NE(due, nullptr);
    EXPECT_EQ(due->windowTitle(), u"期日案内"_s);
    QStringList tabs;
    for (int i = 0; i < due->tabs()->count(); ++i)
        tabs << due->tabs()->tabText(i);
    EXPECT_EQ(tabs,
        (QStringList {
            u"期日案内"_s, u"資金繰り予定"_s, u"支払サイト点検"_s, u"手形交換の終了"_s }));
    auto *overdue = due->findChild<QTableView *>(u"期日経過の受取手形"_s);
    ASSERT_NE(overdue, nullptr);
    ASSERT_EQ(overdue->model()->rowCount(), 1);

    // The cash plan begins with the overdue receivable, which the months then leave out.
    auto *plan = due->findChild<QTableView *>(u"資金繰り予定"_s);
    ASSERT_NE(plan, nullptr);
    ASSERT_EQ(plan->model()->rowCount(), 1 + due::PlanMonths + 1);
    EXPECT_EQ(plan->model()->index(0, 0).data().toString(), u"期日経過"_s);
    EXPECT_EQ(
        plan->model()->index(0, 2).data().toString(), due::amountText(due->overview().overdue.sum));

    // The days are the user's own, kept beside the settings file for the next time.
    due->daysBox()->setValue(30);
    ProgramOptions kept(programOptionsPath(state.Data.settingsPath()), systemFileSystem());
    EXPECT_FALSE(kept.path().isEmpty());
    EXPECT_EQ(due::dueDaysOf(kept, sjis::decode(state.CurrentUser.Name)), 30);
}

// Days that cannot be kept are told once, with the file and the reason, however many steps the
// box takes.
TEST_F(DueDates, DaysThatCannotBeKeptAreToldOnce)
{
    const QString kept = programOptionsPath(state.Data.settingsPath());
    ASSERT_TRUE(QDir().mkpath(kept));
    window->action(u"DueForm"_s)->trigger();
    auto *due = window->findChild<due::DueWindow *>();
    ASSERT_NE(due, nullptr);
    const std::size_t before = prompter.shown.size();
    due->daysBox()->setValue(30);
    due->daysBox()->setValue(31);
    ASSERT_EQ(prompter.shown.size(), before + 1);
    const QString &text = prompter.shown.back().text;
    EXPECT_TRUE(text.contains(kept) && text.contains(u"フォルダーです"_s)) << text.toStdString();
}

// Far down a long register, behind a search left on: the note is shown in the full view, in
// sight and selected, so 取立て確認 acts on it at once.
TEST_F(DueDates, ARowShowsItsNoteSelectedInTheFullViewReadyForCollection)
{
    fixtures::reload(state, [](Tables &t) {
        for (int i = 0; i < 80; ++i) {
            NoteRecord later = fixtures::note({ u"001"_s, u"B01"_s, PayableNote, 0, 10'000 });
            later.DueDate = daydate::fromDate(QDate(2024, 6, 1));
            t.notes.push_back(later);
        }
        NoteRecord late =
            fixtures::note({ u"001"_s, u"B01"_s, ReceivableNote, 0, 10'000, u"LATE"_s });
        late.DueDate = daydate::fromDate(QDate(2024, 5, 1));
        t.notes.push_back(late);
    });
    const int late = static_cast<int>(state.NoteTable.size()) - 1;
    dataSheet->setIndex({ 0 }, u"検索結果"_s);
    dataSheet->DataUpdate();

    window->action(u"DueForm"_s)->trigger();
    auto *due = window->findChild<due::DueWindow *>();
    ASSERT_NE(due, nullptr);
    auto *overdue = due->findChild<QTableView *>(u"期日経過の受取手形"_s);
    ASSERT_NE(overdue, nullptr);
    const std::vector<due::DueNote> &rows = due->overview().overdue.rows;
    const auto row = std::find_if(
        rows.begin(), rows.end(), [&](const due::DueNote &r) { return r.note == late; });
    ASSERT_NE(row, rows.end());
    emit overdue->doubleClicked(overdue->model()->index(static_cast<int>(row - rows.begin()), 0));

    EXPECT_FALSE(dataSheet->viewFiltered());
    EXPECT_EQ(dataSheet->viewIndex().size(), state.NoteTable.size());
    EXPECT_EQ(dataSheet->selectionTop(), late + 1);
    EXPECT_EQ(dataSheet->selectionBottom(), late + 1);
    QTableView *grid = dataSheet->SG1;
    EXPECT_TRUE(
        grid->viewport()->rect().contains(grid->visualRect(dataSheet->model()->index(late, 0))))
        << "scrolled to the note";
    auto *mdi = window->findChild<QMdiArea *>();
    ASSERT_NE(mdi, nullptr);
    ASSERT_NE(mdi->activeSubWindow(), nullptr);
    EXPECT_EQ(mdi->activeSubWindow()->widget(), dataSheet);

    prompter.answers = { MessageAnswer::Ok };
    dataSheet->SHONIN1Click();
    EXPECT_EQ(state.NoteTable[static_cast<std::size_t>(late)].Settled, 1);
}
