#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include "access/rights.h"
#include "controls/grid_delegate.h"
#include "sheets/data_sheet.h"
#include "sheets/note_grid_model.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/scripted_prompter.h"

using namespace Qt::StringLiterals;

namespace {

// The main window's side: records the calls and refreshes the sheet as AllUpdate does.
class RecordingHost : public SheetHost
{
public:
    void Delete1Click() override { ++deletes; }
    void Find1Click() override { ++finds; }
    void AllUpdate() override
    {
        ++refreshes;
        if (sheet)
            sheet->DataUpdate();
    }
    void editNote(int noteIndex) override { edited.push_back(noteIndex); }

    DataSheet *sheet = nullptr;
    int deletes = 0;
    int finds = 0;
    int refreshes = 0;
    std::vector<int> edited;
};

class DataSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::fillSmallRegister(state);
        sheet = std::make_unique<DataSheet>(state, host, prompter);
        host.sheet = sheet.get();
    }

    // Grid rows as the main window counts them: row 1 is the first note.
    void selectRows(int top, int bottom)
    {
        QAbstractItemModel *m = sheet->SG1->model();
        sheet->SG1->selectionModel()->select(
            QItemSelection(m->index(top - 1, 0), m->index(bottom - 1, 11)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // Where a press lands on a grid row (row 1 is the first note), in viewport coordinates.
    QPoint onRow(int gridRow) const
    {
        return sheet->SG1->visualRect(sheet->SG1->model()->index(gridRow - 1, 1)).center();
    }

    // The menu's open items after a right-button press on a row of the selection, in menu order.
    QStringList openItems()
    {
        sheet->SG1MouseDown(Qt::RightButton, onRow(std::max(sheet->selectionTop(), 1)));
        QStringList open;
        for (QAction *a : sheet->PopupMenu1->actions()) {
            if (a->isEnabled())
                open << a->objectName();
        }
        sheet->PopupMenu1->hide();
        return open;
    }

    QString cell(int gridRow, int column) const
    {
        return sheet->model()->cellText(gridRow - 1, column);
    }

    Session state { systemFileSystem() };
    RecordingHost host;
    ScriptedPrompter prompter;
    std::unique_ptr<DataSheet> sheet;
};

const QStringList AllItems = { u"Edit1"_s, u"Delete1"_s, u"Find1"_s, u"WARIBIKI1"_s, u"URAGAKI1"_s,
    u"SHONIN1"_s };

} // namespace

TEST_F(DataSheetTest, WindowGridAndMenuAsCreated)
{
    EXPECT_EQ(sheet->objectName(), u"Form3"_s);
    EXPECT_EQ(sheet->windowTitle(), u"データシート(全件表示）"_s);
    EXPECT_EQ(sheet->size(), QSize(424, 540));
    EXPECT_EQ(sheet->font().family(), u"ＭＳ Ｐゴシック"_s);
    EXPECT_EQ(sheet->font().pixelSize(), 12);
    EXPECT_EQ(sheet->SG1->objectName(), u"SG1"_s);
    EXPECT_FALSE(sheet->SG1->accessibleName().isEmpty());
    EXPECT_EQ(sheet->SG1->selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(sheet->SG1->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 7);
    EXPECT_FALSE(sheet->viewFiltered());
    EXPECT_EQ(sheet->viewIndex(), std::vector<std::int32_t>({ 0, 1, 2, 3, 4, 5 }));

    QStringList captions;
    for (QAction *a : sheet->PopupMenu1->actions())
        captions << a->text();
    EXPECT_EQ(captions,
        QStringList({ u"編集"_s, u"削除"_s, u"検索"_s, u"割引手形に振替"_s, u"裏書手形に振替"_s,
            u"取立て確認"_s }));
    EXPECT_EQ(sheet->Delete1->shortcut(), QKeySequence(u"Shift+Del"_s));
    EXPECT_EQ(sheet->Find1->shortcut(), QKeySequence(u"Ctrl+F"_s));
}

// A refresh sets the designed widths, except where the user dragged a column: that width stays
// for the rest of the run.
TEST_F(DataSheetTest, RefreshKeepsWidthsDraggedByHandAndTheSelectedRows)
{
    QHeaderView *titles = sheet->SG1->horizontalHeader();
    std::vector<int> widths = { 40, 128, 52, 128, 68, 64, 64, 64, 32, 54, 128, 64 };
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(titles->sectionSize(c), widths[static_cast<std::size_t>(c)]) << c;
    titles->resizeSection(1, 300);
    titles->resizeSection(8, 20);
    widths[1] = 300;
    widths[8] = 20;
    selectRows(2, 3);
    sheet->DataUpdate();
    sheet->DataUpdate();
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(titles->sectionSize(c), widths[static_cast<std::size_t>(c)]) << c;
    EXPECT_EQ(sheet->selectionTop(), 2);
    EXPECT_EQ(sheet->selectionBottom(), 3);

    // A shorter view keeps the selection within the rows it has.
    sheet->setIndex({ 4 }, u"検索結果"_s);
    selectRows(2, 2);
    sheet->DataUpdate();
    EXPECT_EQ(sheet->selectionTop(), 2);
    sheet->SG1->clearSelection();
    EXPECT_EQ(sheet->selectionTop(), -1);
    EXPECT_EQ(sheet->selectionBottom(), -1);
}

TEST_F(DataSheetTest, ViewIndexCaptionsAndFilteredState)
{
    sheet->setIndex({ 5, 2 }, u"データシート(抽出結果)"_s);
    EXPECT_TRUE(sheet->viewFiltered());
    EXPECT_EQ(sheet->windowTitle(), u"データシート(抽出結果)"_s);
    EXPECT_EQ(sheet->accessibleName(), u"データシート(抽出結果)"_s);
    // setIndex leaves the refresh to its caller.
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 7);
    sheet->DataUpdate();
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 3);
    EXPECT_EQ(cell(1, KindColumn), u"小切手"_s);

    // With a note fewer the listed indices name other notes: the sheet lists all notes again.
    ASSERT_EQ(state.Data.removeNote(5), ChangeOutcome::Done);
    EXPECT_FALSE(sheet->viewFiltered());
    EXPECT_EQ(sheet->windowTitle(), u"データシート(全件表示)"_s);
    EXPECT_EQ(sheet->viewIndex(), std::vector<std::int32_t>({ 0, 1, 2, 3, 4 }));
}

// A change to the register redraws only the rows it touched, in the full view and in a search
// result alike; the rows then read as a rebuilt grid's, and the selected row stays selected. Only
// the register read again, or notes added under a search result, rebuild the rows.
TEST_F(DataSheetTest, AChangeRedrawsOnlyTheRowsItTouched)
{
    QAbstractItemModelTester tester(
        sheet->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const RegisterEntry renamed { "002", sjis::encode(u"新しい名前"_s), "B02" };
    struct Case
    {
        const char *what;
        std::vector<std::int32_t> search; // empty: the full view
        std::function<void(Register &)> change;
        QStringList told; // what the model tells its views
    };
    const Case cases[] = {
        { "a note replaced", {}, [](Register &r) { r.replaceNote(3, r.notes()[0]); },
            { u"dataChanged 3-3"_s } },
        { "a listed note re-classified", { 5, 1, 3 },
            [](Register &r) { r.reclassifyNote(1, DiscountedNote); }, { u"dataChanged 1-1"_s } },
        { "two notes approved", {},
            [](Register &r) {
                r.applyApprovals({ 4, 0 }, { 1, 1 });
            },
            { u"dataChanged 0-4"_s } },
        { "a note appended", {}, [](Register &r) { r.appendNote(r.notes()[1]); },
            { u"rowsInserted 6-6"_s } },
        { "a note removed", {}, [](Register &r) { r.removeNote(2); }, { u"rowsRemoved 2-2"_s } },
        { "a partner renamed", { 5, 1 },
            [&](Register &r) { r.overwriteEntry(RegisterKind::PartnerRegister, 1, renamed); },
            { u"dataChanged 0-1"_s } },
        { "a note appended under a search", { 5, 1 },
            [](Register &r) { r.appendNote(r.notes()[1]); }, { u"modelReset"_s } },
        { "the notes read again", {}, [](Register &r) { r.setTables(fixtures::smallRegister()); },
            { u"modelReset"_s } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fixtures::reload(state, [](Tables &t) { t = fixtures::smallRegister(); });
        if (c.search.empty())
            sheet->setIndexAll();
        else
            sheet->setIndex(c.search, u"抽出"_s);
        sheet->DataUpdate();
        selectRows(2, 2);
        QStringList seen;
        {
            QObject listening;
            fixtures::recordRowSignals(*sheet->model(), listening, seen);
            c.change(state.Data);
        }
        EXPECT_EQ(seen, c.told);
        const std::vector<std::int32_t> listed = sheet->viewIndex();
        NoteGridModel rebuilt(state.Data, listed);
        rebuilt.refresh(true);
        EXPECT_EQ(fixtures::gridTexts(*sheet->model()), fixtures::gridTexts(rebuilt));
        EXPECT_EQ(sheet->selectionTop(), 2);
        EXPECT_EQ(sheet->selectionBottom(), 2);
    }
}

TEST_F(DataSheetTest, MenuOpensBesideThePointerWithItemsBySelection)
{
    selectRows(2, 2); // unsettled receivable
    const QPoint pos = onRow(2);
    sheet->SG1MouseDown(Qt::RightButton, pos);
    EXPECT_TRUE(sheet->PopupMenu1->isVisible());
    EXPECT_EQ(sheet->PopupMenu1->pos(), sheet->SG1->viewport()->mapToGlobal(pos + QPoint(10, 0)));
    sheet->PopupMenu1->hide();
    sheet->SG1MouseDown(Qt::LeftButton, pos);
    EXPECT_FALSE(sheet->PopupMenu1->isVisible());

    EXPECT_EQ(openItems(), AllItems);
    selectRows(3, 3); // settled receivable
    EXPECT_EQ(openItems(),
        QStringList({ u"Edit1"_s, u"Delete1"_s, u"Find1"_s, u"WARIBIKI1"_s, u"URAGAKI1"_s }));
    selectRows(1, 1); // unsettled payable
    EXPECT_EQ(openItems(), QStringList({ u"Edit1"_s, u"Delete1"_s, u"Find1"_s, u"SHONIN1"_s }));
    selectRows(1, 2);
    EXPECT_EQ(openItems(), QStringList({ u"Find1"_s }));
    selectRows(7, 7); // the empty row after the last note
    EXPECT_EQ(openItems(), QStringList({ u"Find1"_s }));

    sheet->setIndex({ 1 }, u"抽出"_s);
    sheet->DataUpdate();
    selectRows(1, 1);
    EXPECT_EQ(openItems(), QStringList({ u"Find1"_s }));
}

// 削除 and 取立て確認 need the rights their main menu items need: with 保存・検索 only, 編集(E)
// is locked, and so are they here, shortcut included.
TEST_F(DataSheetTest, TheMenuFollowsTheRightsOfTheMainMenu)
{
    for (std::uint8_t rights : { 1, 2, 15 }) {
        SCOPED_TRACE(int(rights));
        state.CurrentUser.Permissions = rights;
        selectRows(2, 2); // unsettled receivable: every item by the selection
        const bool mayChange = menuCommandOpen(MenuCommand::Edit1, rights)
            && menuCommandOpen(MenuCommand::Delete1, rights);
        const QStringList open = openItems();
        EXPECT_EQ(open.contains(u"Delete1"_s), mayChange);
        EXPECT_EQ(open.contains(u"SHONIN1"_s), mayChange);
        if (!mayChange) {
            sheet->Delete1Click();
            sheet->SHONIN1Click();
            EXPECT_EQ(host.deletes, 0);
            EXPECT_FALSE(state.Data.modified());
        }
    }
    EXPECT_FALSE(menuCommandOpen(MenuCommand::Edit1, 1)) << "保存・検索 alone";
}

// The right button first selects the row under the pointer, so the menu offers what that row
// allows; a press inside a selection of several rows keeps them, one below the rows clears it.
TEST_F(DataSheetTest, RightPressSelectsTheRowUnderThePointer)
{
    struct Case
    {
        const char *why;
        int selectedTop, selectedBottom; // grid rows; 0: nothing selected
        int pressedRow; // 0: below the last row
        int top, bottom;
        QStringList open;
    };
    const QStringList search = { u"Find1"_s };
    const Case cases[] = {
        { "another row", 1, 1, 2, 2, 2, AllItems },
        { "nothing selected", 0, 0, 3, 3, 3,
            { u"Edit1"_s, u"Delete1"_s, u"Find1"_s, u"WARIBIKI1"_s, u"URAGAKI1"_s } },
        { "inside several rows", 1, 3, 2, 1, 3, search },
        { "the empty row", 2, 2, 7, 7, 7, search },
        { "below the rows", 2, 2, 0, -1, -1, search },
    };
    sheet->show();
    QWidget *viewport = sheet->SG1->viewport();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        if (c.selectedTop > 0)
            selectRows(c.selectedTop, c.selectedBottom);
        else
            sheet->SG1->clearSelection();
        const QPoint at =
            c.pressedRow > 0 ? onRow(c.pressedRow) : QPoint(20, viewport->height() - 5);
        QTest::mousePress(viewport, Qt::RightButton, {}, at);
        EXPECT_TRUE(sheet->PopupMenu1->isVisible());
        EXPECT_EQ(sheet->selectionTop(), c.top);
        EXPECT_EQ(sheet->selectionBottom(), c.bottom);
        QStringList open;
        for (QAction *a : sheet->PopupMenu1->actions()) {
            if (a->isEnabled())
                open << a->objectName();
        }
        EXPECT_EQ(open, c.open);
        sheet->PopupMenu1->hide();
    }
}

TEST_F(DataSheetTest, WithoutRightsOnlyTheEmptyRowAndSearch)
{
    state.CurrentUser.Permissions = 0;
    DataSheet blind(state, host, prompter);
    EXPECT_EQ(blind.SG1->model()->rowCount(), 1);
    EXPECT_EQ(blind.SG1->model()->headerData(1, Qt::Horizontal).toString(), u"取引先名"_s);
    EXPECT_EQ(blind.SG1->horizontalHeader()->sectionSize(1), 128);
    blind.SG1->selectRow(0);
    blind.SG1MouseDown(Qt::RightButton, QPoint(5, 5));
    EXPECT_TRUE(blind.Find1->isEnabled());
    for (QAction *a :
        { blind.Edit1, blind.Delete1, blind.WARIBIKI1, blind.URAGAKI1, blind.SHONIN1 })
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    blind.PopupMenu1->hide();
}

TEST_F(DataSheetTest, ReclassifyAndCollectAskThenChangeOnlyOnOk)
{
    struct Case
    {
        void (DataSheet::*action)();
        QString question;
    };
    const Case cases[] = {
        { &DataSheet::WARIBIKI1Click, u"\n割引手形に変更してもよろしいですか？"_s },
        { &DataSheet::URAGAKI1Click, u"\n裏書手形に変更してもよろしいですか？"_s },
        { &DataSheet::SHONIN1Click, u"\n取立て済みに変更してもよろしいですか？"_s },
    };
    const NoteRecord before = state.NoteTable[1];
    selectRows(2, 2);
    for (const Case &c : cases) {
        prompter.answers = { MessageAnswer::Cancel };
        (sheet.get()->*c.action)();
        EXPECT_EQ(prompter.shown.back().text, c.question);
        EXPECT_EQ(prompter.shown.back().kind, MessageKind::Information);
        EXPECT_EQ(prompter.shown.back().buttons, MessageButtons::OkCancel);
        EXPECT_EQ(std::memcmp(&state.NoteTable[1], &before, sizeof before), 0);
        EXPECT_FALSE(state.Data.modified());
    }
    EXPECT_EQ(host.refreshes, 3);

    prompter.answers = { MessageAnswer::Ok };
    sheet->WARIBIKI1Click();
    EXPECT_EQ(state.NoteTable[1].Kind, DiscountedNote);
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(cell(2, KindColumn), u"割引手形"_s);

    fixtures::reload(state);
    selectRows(3, 3);
    prompter.answers = { MessageAnswer::Ok };
    sheet->URAGAKI1Click();
    EXPECT_EQ(state.NoteTable[2].Kind, EndorsedNote);
    EXPECT_EQ(state.NoteTable[2].Settled, 1);
    EXPECT_TRUE(state.Data.modified());

    fixtures::reload(state);
    selectRows(1, 1);
    prompter.answers = { MessageAnswer::Ok };
    sheet->SHONIN1Click();
    EXPECT_EQ(state.NoteTable[0].Settled, 1);
    EXPECT_EQ(state.NoteTable[0].Kind, PayableNote);
    EXPECT_EQ(state.NoteTable[0].Amount.stored(), 12'345'670'000);
    EXPECT_EQ(cell(1, SettledColumn), u"〇"_s);
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(host.refreshes, 3) << "a change refreshes the sheet through the register";
}

TEST_F(DataSheetTest, ActionsNeedOneNoteRowOfTheFullView)
{
    const auto tryAll = [this] {
        sheet->WARIBIKI1Click();
        sheet->SHONIN1Click();
        sheet->Edit1Click();
    };
    selectRows(1, 2);
    tryAll();
    selectRows(7, 7);
    tryAll();
    sheet->setIndex({ 1 }, u"抽出"_s);
    selectRows(1, 1);
    tryAll();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(host.edited.empty());
    EXPECT_FALSE(state.Data.modified());

    sheet->setIndexAll();
    selectRows(4, 4);
    sheet->Edit1Click();
    sheet->Delete1Click();
    sheet->Find1Click();
    EXPECT_EQ(host.edited, std::vector<int>({ 3 }));
    EXPECT_EQ(host.deletes, 1);
    EXPECT_EQ(host.finds, 1);
}

TEST_F(DataSheetTest, CellsAreReadableByAccessibilityTools)
{
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(sheet->SG1);
    ASSERT_NE(grid, nullptr);
    EXPECT_FALSE(grid->text(QAccessible::Name).isEmpty());
    QAccessibleTableInterface *table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->cellAt(0, 1)->text(QAccessible::Name), u"ベルモラ物産"_s);
    EXPECT_EQ(table->columnDescription(3), u"支払銀行名"_s);
}

TEST_F(DataSheetTest, DrawsTitlesInTheHeaderColourAndAmountsToTheRight)
{
    sheet->resize(1000, 300);
    sheet->show();
    const QImage titles = sheet->SG1->horizontalHeader()->grab().toImage();
    EXPECT_EQ(QColor(titles.pixel(3, titles.height() / 2)), GridHeaderColour);

    const QImage cells = sheet->SG1->viewport()->grab().toImage();
    QAbstractItemModel *m = sheet->SG1->model();
    // The blank space left and right of the ink inside a cell.
    const auto inkSpan = [&](int row, int column) {
        const QRect r = sheet->SG1->visualRect(m->index(row, column));
        int first = -1, last = -1;
        for (int x = r.left(); x <= r.right(); ++x) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                if (qGray(cells.pixel(x, y)) < 128) {
                    first = first < 0 ? x - r.left() : first;
                    last = x - r.left();
                    break;
                }
            }
        }
        return std::pair { first, r.width() - 1 - last };
    };
    const auto [amountLeft, amountRight] = inkSpan(1, AmountColumn); // "     5,000"
    EXPECT_LE(amountRight, 4);
    EXPECT_GT(amountLeft, 4);
    const auto [numberLeft, numberRight] = inkSpan(1, 4);
    EXPECT_GE(numberLeft, 2);
    EXPECT_LE(numberLeft, 4);
    EXPECT_GT(numberRight, 4);
}
