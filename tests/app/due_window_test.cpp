#include <gtest/gtest.h>

#include <QAction>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

#include "due/due_status.h"
#include "due/due_window.h"
#include "store/day_date.h"
#include "store/program_options.h"
#include "store/sjis.h"
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
    emit overdue->doubleClicked(overdue->model()->index(0, 0));
    EXPECT_EQ(dataSheet->viewIndex(), std::vector<int> { 1 });

    // The days are the user's own, kept beside the settings file for the next time.
    due->daysBox()->setValue(30);
    ProgramOptions kept(programOptionsPath(state.Data.settingsPath()));
    EXPECT_FALSE(kept.path().isEmpty());
    EXPECT_EQ(due::dueDaysOf(kept, sjis::decode(state.CurrentUser.Name)), 30);
}
