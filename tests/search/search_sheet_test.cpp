#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "search/search_sheet.h"
#include "sheets/data_sheet.h"
#include "sheets/note_grid_model.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/fake_sheets.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

class CountingHost : public SheetHost
{
public:
    void Delete1Click() override { }
    void Find1Click() override { }
    void AllUpdate() override { ++allUpdates; }
    void editNote(int) override { }
    int allUpdates = 0;
};

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

const QStringList DateOperators = { u"等しい"_s, u"等しくない"_s, u"以降"_s, u"以前"_s };
const QStringList Kinds = { u"支払手形"_s, u"受取手形"_s, u"裏書手形"_s, u"割引手形"_s,
    u"小切手"_s };

class SearchSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::fillSmallRegister(state);
        // Issue dates in the order 2024/01/05, 2024/02/10, 2024/01/05, 2023/12/28, ...
        const QDate dates[] = { { 2024, 1, 5 }, { 2024, 2, 10 }, { 2024, 1, 5 }, { 2023, 12, 28 },
            { 2024, 2, 10 }, { 2024, 3, 1 } };
        fixtures::reload(state, [&](Tables &t) {
            for (std::size_t i = 0; i < t.notes.size(); ++i)
                t.notes[i].IssueDate = daydate::fromDate(dates[i]);
        });
        sheet = std::make_unique<SearchSheet>(state, host, &data, prompter);
    }

    // Picks a field from the list, as a click in its drop-down does.
    void pick(int row, int field)
    {
        sheet->CB[static_cast<std::size_t>(row)]->setCurrentIndex(field);
    }
    void enter(int row, const QString &value)
    {
        sheet->CBV[static_cast<std::size_t>(row)]->setEditText(value);
    }

    Session state { systemFileSystem() };
    CountingHost host;
    FakeDataSheet data;
    ScriptedPrompter prompter;
    std::unique_ptr<SearchSheet> sheet;
};

} // namespace

TEST_F(SearchSheetTest, LaysOutFiveRowsTheNoticeAndFourButtons)
{
    EXPECT_EQ(sheet->objectName(), u"Form8"_s);
    EXPECT_EQ(sheet->windowTitle(), u"抽出／検索シート"_s);
    EXPECT_EQ(sheet->palette().color(QPalette::Window), QColor(254, 254, 254));
    EXPECT_FALSE(sheet->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(sheet->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(sheet->font().pixelSize(), 12);

    const QStringList fields = { u"振出日"_s, u"支払期日"_s, u"手形番号"_s, u"取引先コード"_s,
        u"取引先名"_s, u"銀行コード"_s, u"銀行名"_s, u"承認"_s, u"手形種"_s, u"金額"_s, u"備考"_s,
        u"入力者名"_s };
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        const auto at = static_cast<std::size_t>(r);
        const int top = 24 + 32 * r;
        QComboBox *field = sheet->findChild<QComboBox *>(u"CB"_s + QString::number(r));
        QComboBox *op = sheet->findChild<QComboBox *>(u"CBJ"_s + QString::number(r));
        ASSERT_EQ(field, sheet->CB[at]);
        ASSERT_EQ(op, sheet->CBJ[at]);
        ASSERT_EQ(sheet->findChild<QComboBox *>(u"CBV"_s + QString::number(r)), sheet->CBV[at]);
        EXPECT_EQ(field->geometry(), QRect(24, top, 145, 20));
        EXPECT_EQ(op->geometry(), QRect(192, top, 145, 20));
        EXPECT_EQ(sheet->CBV[at]->geometry(), QRect(360, top, 193, 20));
        for (QComboBox *box : { field, op, sheet->CBV[at] }) {
            EXPECT_TRUE(box->isEditable());
            EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
            EXPECT_EQ(box->completer(), nullptr);
            EXPECT_FALSE(box->accessibleName().isEmpty());
        }
        EXPECT_EQ(itemsOf(field), fields);
        EXPECT_EQ(itemsOf(op), QStringList({ u"等しい"_s, u"等しくない"_s, u"以上"_s, u"以下"_s }))
            << "the operators at creation, before the sheet is shown";
        EXPECT_EQ(field->currentText(), u"振出日"_s);
        EXPECT_EQ(op->currentText(), u"等しい"_s);
        EXPECT_EQ(sheet->CBV[at]->currentText(), QString());
    }

    struct Expected
    {
        QLabel *label;
        QPoint at;
        QString text;
        QColor colour;
        bool bold;
    };
    const Expected labels[] = {
        { sheet->Label4, { 16, 184 }, u"ご注意"_s, Qt::red, false },
        { sheet->Label1, { 16, 208 }, u"抽出は上記の５つの条件を"_s, Qt::black, false },
        { sheet->Label2, { 160, 208 }, u"全て含む"_s, Qt::blue, true },
        { sheet->Label3, { 216, 208 }, u"データを抽出します"_s, Qt::black, false },
        { sheet->Label5, { 16, 224 },
            u"抽出フィールドを振出日・支払期日にした場合は値はyyyy/mm/dd形式で指定して下さい"_s,
            Qt::black, false },
        { sheet->Label6, { 16, 240 },
            u"抽出フィールドを手形種にした場合は値は’受取手形’’支払手形’’裏書手形’’割引手形’’小切手’で指定して下さい"_s,
            Qt::black, false },
        { sheet->Label7, { 16, 256 },
            u"抽出フィールドを承認にした場合は値は’未’’済’で指定して下さい"_s, Qt::black, false },
    };
    for (const Expected &e : labels) {
        SCOPED_TRACE(e.text.toStdString());
        EXPECT_EQ(e.label->pos(), e.at);
        EXPECT_EQ(e.label->text(), e.text);
        EXPECT_EQ(e.label->palette().color(QPalette::WindowText), e.colour);
        EXPECT_EQ(e.label->font().bold(), e.bold);
        EXPECT_LE(e.label->geometry().right(), 670) << "the whole text stands inside the sheet";
        EXPECT_GE(e.label->width(), e.label->sizeHint().width());
    }
    EXPECT_LE(sheet->Label1->geometry().right(), 160) << "the three parts read as one line";
    EXPECT_LE(sheet->Label2->geometry().right(), 216);

    const std::pair<QToolButton *, QString> buttons[] = { { sheet->SpeedButton4, u"抽出"_s },
        { sheet->SpeedButton3, u"全件表示"_s }, { sheet->SpeedButton2, u"クリア"_s },
        { sheet->SpeedButton1, u"終了"_s } };
    int top = 24;
    for (const auto &[button, word] : buttons) {
        EXPECT_EQ(button->geometry(), QRect(568, top, 77, 27));
        EXPECT_EQ(button->accessibleName(), word);
        EXPECT_FALSE(button->icon().isNull());
        top += 32;
    }
}

TEST_F(SearchSheetTest, ShowingSizesTheSheetAndFillsEveryRowForTheIssueDate)
{
    sheet->CBV[1]->setEditText(u"2024/02/10"_s);
    sheet->show();
    EXPECT_EQ(sheet->frameGeometry().size(), QSize(670, 305));
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize()) << "the sheet keeps a fixed size";
    const QStringList issueDates = { u"2024/01/05"_s, u"2024/02/10"_s, u"2023/12/28"_s,
        u"2024/03/01"_s };
    for (std::size_t r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(itemsOf(sheet->CBJ[r]), DateOperators);
        EXPECT_EQ(sheet->CBJ[r]->currentIndex(), 0);
        EXPECT_EQ(itemsOf(sheet->CBV[r]), issueDates);
    }
    EXPECT_EQ(sheet->CBV[0]->currentText(), QString()) << "the list does not pick a value";
    EXPECT_EQ(sheet->CBV[1]->currentText(), u"2024/02/10"_s) << "a value typed before stays";
    EXPECT_EQ(sheet->conditions()[1].field, 0);
    EXPECT_EQ(sheet->conditions()[1].op, 0);
}

TEST_F(SearchSheetTest, ChangingAFieldRefillsOnlyItsRowAndTypedNamesMatchNothing)
{
    sheet->FormShow();
    enter(2, u"受取"_s);
    sheet->CBJ[2]->setCurrentIndex(1);
    pick(2, 8); // 手形種
    EXPECT_EQ(itemsOf(sheet->CBJ[2]), QStringList({ u"等しい"_s, u"等しくない"_s }));
    EXPECT_EQ(sheet->CBJ[2]->currentText(), u"等しい"_s) << "the first operator is chosen again";
    EXPECT_EQ(itemsOf(sheet->CBV[2]), Kinds);
    EXPECT_EQ(sheet->CBV[2]->currentText(), u"受取"_s) << "the value shown stays";
    EXPECT_EQ(itemsOf(sheet->CBJ[1]), DateOperators) << "other rows are left alone";

    pick(3, 4); // 取引先名: the first name of each code, each once
    EXPECT_EQ(itemsOf(sheet->CBJ[3]),
        QStringList({ u"等しい"_s, u"等しくない"_s, u"以上"_s, u"以下"_s, u"含む"_s }));
    EXPECT_EQ(itemsOf(sheet->CBV[3]), QStringList({ u"株式会社ベルモラ商事"_s, u"山田工業"_s }));

    search::QueryConditions picked = sheet->conditions();
    EXPECT_EQ(picked[2].field, 8);
    EXPECT_EQ(picked[2].op, 0);
    EXPECT_EQ(picked[2].value, u"受取"_s);

    // Text typed into a field box names no field: both lists empty, the row matches nothing.
    sheet->CB[2]->setEditText(u"手形"_s);
    EXPECT_EQ(sheet->CBJ[2]->count(), 0);
    EXPECT_EQ(sheet->CBV[2]->count(), 0);
    EXPECT_EQ(sheet->CBV[2]->currentText(), u"受取"_s);
    // Even another field's caption typed in full is not a pick.
    sheet->CB[2]->setEditText(u"支払期日"_s);
    sheet->CBJ[3]->setEditText(u"含"_s);
    picked = sheet->conditions();
    EXPECT_EQ(picked[2].field, -1);
    EXPECT_EQ(picked[3].field, 4);
    EXPECT_EQ(picked[3].op, -1);
    EXPECT_EQ(picked[0].field, 0);
    EXPECT_EQ(picked[0].op, 0);
}

TEST_F(SearchSheetTest, AQueryHandsItsNotesToTheDataSheetAndTheSheetStaysOpen)
{
    sheet->show();
    pick(0, 8);
    enter(0, u"受取手形"_s);
    pick(3, 0);
    sheet->CBJ[3]->setCurrentIndex(2); // 以降
    enter(3, u"2024/2/1"_s);
    sheet->SpeedButton4->click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(data.calls, QStringList({ u"setIndex"_s }));
    EXPECT_EQ(data.index, std::vector<int>({ 1 }));
    EXPECT_EQ(data.caption, u"データシート（抽出)"_s);
    EXPECT_EQ(host.allUpdates, 1);
    EXPECT_TRUE(sheet->isVisible());

    // Refined: the query starts again from every note.
    enter(3, QString());
    sheet->QueryClick();
    EXPECT_EQ(data.index, std::vector<int>({ 1, 2 }));
    EXPECT_EQ(host.allUpdates, 2);
}

TEST_F(SearchSheetTest, ABadValueIsReportedAndTheDataSheetKeepsItsView)
{
    sheet->FormShow();
    pick(1, 9); // 金額
    enter(1, u"1,000ドル"_s);
    pick(2, 7); // 承認, also wrong but below the first
    enter(2, u"はい"_s);
    sheet->QueryClick();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(prompter.shown[0].text, u"\n1,000ドルは正しい金額ではありません。"_s);
    EXPECT_TRUE(data.calls.isEmpty());
    EXPECT_EQ(host.allUpdates, 0);

    enter(1, QString());
    sheet->QueryClick();
    EXPECT_EQ(prompter.texts().last(), u"\n未,済のどれかを入力して下さい"_s);
    EXPECT_TRUE(data.calls.isEmpty());
}

TEST_F(SearchSheetTest, AllNotesComeBackAndClearResetsTheRowsOnly)
{
    sheet->FormShow();
    pick(0, 8);
    enter(0, u"小切手"_s);
    sheet->QueryClick();
    ASSERT_EQ(data.index, std::vector<int>({ 5 }));

    sheet->SpeedButton3->click();
    EXPECT_EQ(data.calls, QStringList({ u"setIndex"_s, u"setIndexAll"_s }));
    EXPECT_FALSE(data.filtered);
    EXPECT_EQ(host.allUpdates, 2);
    EXPECT_EQ(sheet->CB[0]->currentText(), u"手形種"_s) << "the conditions stay";

    pick(4, 2);
    sheet->CBJ[4]->setCurrentIndex(4);
    enter(4, u"A-1"_s);
    sheet->CB[1]->setEditText(u"typed"_s);
    sheet->CBJ[2]->setEditText(u"typed"_s);
    sheet->SpeedButton2->click();
    for (std::size_t r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(sheet->CB[r]->currentText(), u"振出日"_s);
        EXPECT_EQ(itemsOf(sheet->CBJ[r]), DateOperators);
        EXPECT_EQ(sheet->CBJ[r]->currentText(), u"等しい"_s);
        EXPECT_EQ(sheet->CBV[r]->currentText(), QString());
        EXPECT_EQ(sheet->CBV[r]->count(), 4) << "the issue dates again";
        EXPECT_EQ(sheet->conditions()[r].field, 0);
        EXPECT_EQ(sheet->conditions()[r].op, 0);
    }
    EXPECT_EQ(data.calls.size(), 2) << "clearing leaves the data sheet alone";
    EXPECT_EQ(host.allUpdates, 2);

    sheet->show();
    sheet->SpeedButton1->click();
    EXPECT_FALSE(sheet->isVisible());
}

namespace {

// The sheet as the program opens it, from the real main window over the real data sheet.
class SearchFromMainWindow : public RealMainWindow
{
};

} // namespace

TEST_F(SearchFromMainWindow, TheSearchCommandOpensTheSheetAndAQueryNarrowsTheDataSheet)
{
    QAction *find = window->action(u"Find2"_s);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->shortcut(), QKeySequence(u"Ctrl+F"_s));
    prompter.onDialog = [](QDialog &dialog) {
        auto *search = qobject_cast<SearchSheet *>(&dialog);
        if (!search)
            return int(QDialog::Rejected);
        search->FormShow();
        search->CB[0]->setCurrentIndex(9); // 金額
        search->CBJ[0]->setCurrentIndex(2); // 以上
        search->CBV[0]->setEditText(u"5000"_s);
        search->QueryClick();
        return int(QDialog::Rejected);
    };
    find->trigger();
    ASSERT_EQ(prompter.dialogs, QStringList({ u"Form8"_s }));
    EXPECT_EQ(dataSheet->viewIndex(), std::vector<std::int32_t>({ 0, 1 }));
    EXPECT_TRUE(dataSheet->viewFiltered());
    EXPECT_EQ(dataSheet->windowTitle(), u"データシート（抽出)"_s);
    EXPECT_EQ(dataSheet->SG1->model()->rowCount(), 3) << "the two notes and the empty row";
    EXPECT_EQ(dataSheet->model()->cellText(1, 7).trimmed(), u"5,000"_s);

    // The data sheet's own 検索 opens a fresh sheet; 全件表示 brings every note back.
    prompter.onDialog = [](QDialog &dialog) {
        auto *search = qobject_cast<SearchSheet *>(&dialog);
        if (!search)
            return int(QDialog::Rejected);
        EXPECT_EQ(search->CB[0]->currentText(), u"振出日"_s);
        search->UnlockClick();
        return int(QDialog::Rejected);
    };
    dataSheet->Find1Click();
    EXPECT_EQ(prompter.dialogs, QStringList({ u"Form8"_s, u"Form8"_s }));
    EXPECT_FALSE(dataSheet->viewFiltered());
    EXPECT_EQ(dataSheet->windowTitle(), u"データシート(全件表示)"_s);
    EXPECT_EQ(dataSheet->SG1->model()->rowCount(), 7);
}
