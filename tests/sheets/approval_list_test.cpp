#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "controls/grid_delegate.h"
#include "core/note_rules.h"
#include "sheets/approval_list.h"
#include "sheets/approval_list_model.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/scripted_prompter.h"

using namespace Qt::StringLiterals;

namespace {

const QColor StampPaper(255, 252, 244);

class ApprovalListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::fillSmallRegister(state);
        state.clock = &clock;
    }

    // The list as the main window opens it: the due notes of the clock's day.
    void open(const std::vector<int> &indices)
    {
        list = std::make_unique<ApprovalList>(state, prompter);
        list->setArr(indices);
        list->show();
    }
    void openDueNotes() { open(dueNoteIndices(state.NoteTable, clock.todayNumber())); }

    QPoint cellCentre(int row, int column) const
    {
        return list->SG1->visualRect(list->SG1->model()->index(row, column)).center();
    }
    void click(int row, int column)
    {
        QTest::mouseClick(list->SG1->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
    }
    QString stamp(int row) const { return list->model()->cellText(row, StampColumn); }
    std::vector<std::uint8_t> settled() const
    {
        std::vector<std::uint8_t> s;
        for (const NoteRecord &n : state.NoteTable)
            s.push_back(n.Settled);
        return s;
    }

    Session state { systemFileSystem() };
    FixedClock clock { QDate(2024, 12, 7) };
    ScriptedPrompter prompter;
    std::unique_ptr<ApprovalList> list;
};

} // namespace

TEST_F(ApprovalListTest, LaidOutAsDesigned)
{
    openDueNotes();
    EXPECT_EQ(list->objectName(), u"Form6"_s);
    EXPECT_EQ(list->windowTitle(), u"手形の取立て承認"_s);
    EXPECT_EQ(list->size(), QSize(520, 252));
    EXPECT_EQ(list->minimumSize(), list->maximumSize());
    const Qt::WindowFlags boxes =
        Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    EXPECT_EQ(list->windowFlags() & boxes, Qt::WindowCloseButtonHint);
    EXPECT_EQ(list->palette().color(QPalette::Window), QColor(254, 254, 254));
    EXPECT_EQ(list->font().pixelSize(), 12);

    const QRect screen = list->screen()->geometry();
    EXPECT_EQ(list->pos(), QPoint(screen.width() / 2 - 264, screen.height() / 3 - 140));

    EXPECT_EQ(list->SG1->geometry(), QRect(8, 0, 505, 153));
    EXPECT_EQ(list->SG1->selectionBehavior(), QAbstractItemView::SelectItems);
    QList<int> widths;
    for (int c = 0; c < 6; ++c)
        widths << list->SG1->horizontalHeader()->sectionSize(c);
    EXPECT_EQ(widths, QList<int>({ 40, 128, 64, 64, 64, 64 }));

    EXPECT_EQ(list->Label2->geometry(), QRect(24, 192, 385, 17));
    EXPECT_EQ(list->Label1->geometry(), QRect(24, 216, 217, 17));
    EXPECT_EQ(list->Label1->text(), u"承認する手形を選択してください"_s);
    EXPECT_EQ(list->Label1->palette().color(QPalette::WindowText), QColor(Qt::black));

    const auto checkButton = [](QToolButton *b, const QRect &place, const QString &words) {
        EXPECT_EQ(b->geometry(), place);
        EXPECT_TRUE(b->autoRaise());
        EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->accessibleName(), words);
    };
    checkButton(list->SpeedButton1, QRect(424, 180, 77, 27), u"全て承認"_s);
    checkButton(list->SpeedButton2, QRect(424, 208, 77, 27), u"選択承認"_s);

    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(list->SG1);
    ASSERT_NE(grid, nullptr);
    EXPECT_FALSE(grid->text(QAccessible::Name).isEmpty());
    ASSERT_NE(grid->tableInterface(), nullptr);
    EXPECT_EQ(grid->tableInterface()->cellAt(0, 1)->text(QAccessible::Name), u"ベルモラ物産"_s);
    EXPECT_EQ(grid->tableInterface()->columnDescription(5), u"承認印"_s);
    EXPECT_EQ(list->Label1->accessibleName(), list->Label1->text());
    EXPECT_EQ(list->Label2->accessibleName(), list->Label2->text());
}

TEST_F(ApprovalListTest, StatusLineCountsTheListedNotes)
{
    openDueNotes();
    EXPECT_EQ(list->Label2->text(), u"12月7日現在　期日到来で未承認の手形は4件　あります。"_s);
    EXPECT_EQ(list->SG1->model()->rowCount(), 4);
    EXPECT_EQ(list->model()->cellText(2, 1), u"山田工業"_s) << "row 3 lists note 4";

    clock.set(QDate(2024, 3, 5));
    openDueNotes();
    EXPECT_EQ(list->Label2->text(), u"3月5日現在　期日到来で未承認の手形は0件　あります。"_s);
    EXPECT_EQ(list->SG1->model()->rowCount(), 0) << "only the title row";
    EXPECT_EQ(list->SG1->horizontalHeader()->count(), 6);
}

TEST_F(ApprovalListTest, ReachingAStampCellFlipsItByMouseOrByArrowKeys)
{
    openDueNotes();
    const std::vector<std::uint8_t> before = settled();
    click(1, StampColumn);
    EXPECT_EQ(stamp(1), u"承認済"_s);
    click(1, StampColumn); // already the current cell: nothing new is reached
    EXPECT_EQ(stamp(1), u"承認済"_s);
    click(1, 2);
    EXPECT_EQ(stamp(1), u"承認済"_s);
    click(1, StampColumn);
    EXPECT_EQ(stamp(1), u"未承認"_s);
    EXPECT_EQ(settled(), before) << "no note changes before a button applies the choices";

    list->SG1->setFocus();
    list->SG1->setCurrentIndex(list->SG1->model()->index(0, 4));
    QTest::keyClick(list->SG1, Qt::Key_Right);
    EXPECT_EQ(stamp(0), u"承認済"_s);
    QTest::keyClick(list->SG1, Qt::Key_Down);
    QTest::keyClick(list->SG1, Qt::Key_Down);
    EXPECT_EQ(stamp(1), u"承認済"_s) << "each row reached in the stamp column flips";
    EXPECT_EQ(stamp(2), u"承認済"_s);
    QTest::keyClick(list->SG1, Qt::Key_Left);
    QTest::keyClick(list->SG1, Qt::Key_Up);
    EXPECT_EQ(stamp(1), u"承認済"_s) << "other columns flip nothing";
    EXPECT_EQ(stamp(3), u"未承認"_s);
    EXPECT_EQ(list->choices().choices(), std::vector<std::uint8_t>({ 1, 1, 1, 0 }));

    // The design's own numbering: the title row and other columns flip nothing.
    list->SG1SelectCell(StampColumn, 0);
    list->SG1SelectCell(0, 4);
    list->SG1SelectCell(StampColumn, 4);
    EXPECT_EQ(list->choices().choices(), std::vector<std::uint8_t>({ 1, 1, 1, 1 }));
}

TEST_F(ApprovalListTest, SelectedApprovalSettlesExactlyTheChosenNotes)
{
    open({ 0, 1, 4 });
    click(0, StampColumn);
    click(2, StampColumn);
    QTest::mouseClick(list->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(settled(), std::vector<std::uint8_t>({ 1, 0, 1, 1, 1, 0 }));
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(list->result(), QDialog::Accepted);
    EXPECT_FALSE(list->isVisible());
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(ApprovalListTest, ApproveAllAsksFirstAndCancelKeepsTheListOpen)
{
    openDueNotes();
    click(0, StampColumn);
    prompter.answers = { MessageAnswer::Cancel };
    QTest::mouseClick(list->SpeedButton1, Qt::LeftButton);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, u"\n全て承認してよろしいですか？"_s);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->choices().choices(), std::vector<std::uint8_t>({ 1, 0, 0, 0 }));
    EXPECT_EQ(state.NoteTable[0].Settled, 0);
    EXPECT_FALSE(state.Data.modified());

    prompter.answers = { MessageAnswer::Ok };
    QTest::mouseClick(list->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(settled(), std::vector<std::uint8_t>({ 1, 1, 1, 1, 1, 1 }));
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(list->result(), QDialog::Accepted);
    EXPECT_FALSE(list->isVisible());
}

TEST_F(ApprovalListTest, CloseBoxDiscardsTheChoices)
{
    openDueNotes();
    click(0, StampColumn);
    click(3, StampColumn);
    const std::vector<std::uint8_t> before = settled();
    QCloseEvent event;
    QCoreApplication::sendEvent(list.get(), &event);
    EXPECT_EQ(list->result(), QDialog::Rejected);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(settled(), before);
    EXPECT_FALSE(state.Data.modified());
}

TEST_F(ApprovalListTest, NothingChangedMarksNothing)
{
    openDueNotes();
    click(2, StampColumn);
    click(1, 0);
    click(2, StampColumn); // flipped and flipped back
    list->SpeedButton2Click();
    EXPECT_EQ(list->result(), QDialog::Accepted);
    EXPECT_FALSE(state.Data.modified());

    // An empty list closes at once, or after the question, and changes nothing.
    open({});
    list->SpeedButton2Click();
    EXPECT_EQ(list->result(), QDialog::Accepted);
    open({});
    list->SpeedButton1Click();
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(list->result(), QDialog::Accepted);
    EXPECT_FALSE(state.Data.modified());
}

TEST_F(ApprovalListTest, StampCellsOnTheirOwnPaperWithTheWordCentred)
{
    openDueNotes();
    click(1, StampColumn); // the current, selected cell keeps the stamp paper too
    const QImage titles = list->SG1->horizontalHeader()->grab().toImage();
    EXPECT_EQ(QColor(titles.pixel(3, titles.height() / 2)), GridHeaderColour);

    const QImage cells = list->SG1->viewport()->grab().toImage();
    for (int row : { 0, 1 }) {
        SCOPED_TRACE(row);
        const QRect r = list->SG1->visualRect(list->SG1->model()->index(row, StampColumn));
        EXPECT_EQ(QColor(cells.pixel(r.topLeft())), StampPaper);
        EXPECT_EQ(QColor(cells.pixel(r.bottomRight())), StampPaper);
        int first = -1, last = -1, top = -1, bottom = -1;
        for (int x = r.left(); x <= r.right(); ++x) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                if (qGray(cells.pixel(x, y)) < 128) {
                    first = first < 0 ? x : first;
                    last = x;
                    top = top < 0 ? y : std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        ASSERT_GE(first, 0) << "the stamp's word is drawn";
        EXPECT_LE(std::abs((first - r.left()) - (r.right() - last)), 2);
        EXPECT_LE(std::abs((top - r.top()) - (r.bottom() - bottom)), 3);
    }
    const QRect code = list->SG1->visualRect(list->SG1->model()->index(0, 0));
    EXPECT_NE(QColor(cells.pixel(code.topLeft())), StampPaper);
}

TEST_F(ApprovalListTest, ToggleRedrawsOneCellWithoutRebuildingTheRows)
{
    openDueNotes();
    QSignalSpy resets(list->model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(list->model(), &QAbstractItemModel::dataChanged);
    click(2, StampColumn);
    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toModelIndex(), list->model()->index(2, StampColumn));
    EXPECT_EQ(changes[0][1].toModelIndex(), list->model()->index(2, StampColumn));
}

namespace {

// The real main window on 2024/12/7; the clock is in place before the window is built.
class ApprovalListInMainWindow : public RealMainWindow
{
protected:
    void SetUp() override
    {
        state.clock = &clock;
        RealMainWindow::SetUp();
    }
    // The window goes before the clock it reads.
    void TearDown() override { window.reset(); }

    FixedClock clock { QDate(2024, 12, 7) };
};

} // namespace

// Through the real main window: approving collections must lead to the save prompt at exit.
TEST_F(ApprovalListInMainWindow, SelectedApprovalLeadsToTheExitPrompt)
{
    prompter.shown.clear();

    QString status;
    prompter.onDialog = [&](QDialog &dialog) {
        auto *list = dynamic_cast<ApprovalList *>(&dialog);
        if (!list)
            return int(QDialog::Rejected);
        status = list->Label2->text();
        list->SG1SelectCell(StampColumn, 2);
        list->SpeedButton2Click();
        return list->result();
    };
    window->action(u"N3"_s)->trigger();
    EXPECT_EQ(prompter.dialogs, QStringList({ u"Form6"_s }));
    EXPECT_EQ(status, u"12月7日現在　期日到来で未承認の手形は4件　あります。"_s);
    EXPECT_EQ(state.NoteTable[1].Settled, 1);
    EXPECT_TRUE(state.Data.modified());

    prompter.answers = { MessageAnswer::No };
    QCloseEvent event;
    QCoreApplication::sendEvent(window.get(), &event);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, u"\nデータが変更されています。保存しますか？"_s);
}
