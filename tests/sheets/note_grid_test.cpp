#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "sheets/note_grid.h"
#include "sheets/note_grid_model.h"
#include "tests/sheets/sheet_fixtures.h"

using namespace Qt::StringLiterals;
using fixtures::fillSmallRegister;

namespace {

QStringList rowTexts(const NoteGridModel &model, int row)
{
    QStringList texts;
    for (int c = 0; c < NoteGridColumnCount; ++c)
        texts << model.cellText(row, c);
    return texts;
}

class NoteGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fillSmallRegister(state);
        view = allNoteIndices(state.NoteTable.size());
        model.refresh(true);
    }

    Session state { systemFileSystem() };
    std::vector<std::int32_t> view;
    NoteGridModel model { state.Data, view };
};

} // namespace

TEST_F(NoteGridTest, RowsShowEveryFieldAsTheSheetWritesIt)
{
    EXPECT_EQ(rowTexts(model, 0),
        QStringList({ u"001"_s, u"ベルモラ物産"_s, u"B01"_s, u"みずほ銀行"_s, u"A-1"_s,
            u"2024/01/05"_s, u"2024/04/30"_s, u" 1,234,567"_s, u"×"_s, u"支払手形"_s,
            u"売掛金回収"_s, u"Admini"_s }));
    EXPECT_EQ(rowTexts(model, 1).mid(1, 3),
        QStringList({ u"山田工業"_s, u"B02"_s, u"三井住友銀行　本店"_s }));

    const QStringList amounts = { u"     5,000"_s, u"  -987,654"_s, u"         1"_s,
        u"         0"_s, u"       100"_s };
    const QStringList settled = { u"×"_s, u"〇"_s, u"〇"_s, u"×"_s, u"×"_s };
    const QStringList kinds = { u"受取手形"_s, u"受取手形"_s, u"裏書手形"_s, u"割引手形"_s,
        u"小切手"_s };
    for (int row = 1; row <= 5; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(model.cellText(row, AmountColumn), amounts[row - 1]);
        EXPECT_EQ(model.cellText(row, SettledColumn), settled[row - 1]);
        EXPECT_EQ(model.cellText(row, KindColumn), kinds[row - 1]);
    }
}

TEST_F(NoteGridTest, NamesFollowTheLastExactCode)
{
    // "001" is registered twice: the later partner's name is shown.
    EXPECT_EQ(model.cellText(0, 1), u"ベルモラ物産"_s);
    // "001 " differs from "001" only by a trailing blank; "B9" is not registered.
    EXPECT_EQ(model.cellText(3, 0), u"001 "_s);
    EXPECT_EQ(model.cellText(3, 1), QString());
    EXPECT_EQ(model.cellText(3, 3), QString());

    // A register change shows after the next refresh; the rule still holds.
    fixtures::reload(state, [](Tables &t) {
        t.partners.push_back(fixtures::partner(u"001 "_s, u"空白付き"_s));
        t.partners[2].Name.assign("Later");
    });
    model.refresh(true);
    EXPECT_EQ(model.cellText(3, 1), u"空白付き"_s);
    EXPECT_EQ(model.cellText(0, 1), u"Later"_s);
}

TEST_F(NoteGridTest, RegistersChangedBeforeTheRefreshStillReadSafely)
{
    // A dialog may change a register and the grid repaint before the refresh that follows.
    fixtures::reload(state, [](Tables &t) { t.partners.erase(t.partners.begin() + 1); });
    EXPECT_EQ(model.cellText(1, 1), QString());
    EXPECT_EQ(model.cellText(0, 1), u"ベルモラ物産"_s);
    fixtures::reload(state, [](Tables &t) { t.banks[0].Code.assign("B77"); });
    EXPECT_EQ(model.cellText(0, 3), QString());
    fixtures::reload(state, [](Tables &t) { t.banks[1].Code.assign("B01"); });
    EXPECT_EQ(model.cellText(0, 3), u"三井住友銀行　本店"_s);

    // Notes removed before the refresh: their rows read empty, not past the table.
    fixtures::reload(state, [](Tables &t) { t.notes.resize(2); });
    EXPECT_EQ(model.cellText(4, 0), QString());
    EXPECT_EQ(model.cellText(1, 0), u"002"_s);
}

TEST_F(NoteGridTest, KindOutsideTheFiveShowsNothing)
{
    fixtures::reload(state, [](Tables &t) {
        t.notes[0].Kind = 5;
        t.notes[1].Kind = 255;
    });
    EXPECT_EQ(model.cellText(0, KindColumn), QString());
    EXPECT_EQ(model.cellText(1, KindColumn), QString());
}

TEST_F(NoteGridTest, RowsFollowTheViewIndexWithOneEmptyRowAfter)
{
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_EQ(model.columnCount(), 12);
    EXPECT_EQ(rowTexts(model, 6), QStringList(12, QString()));

    view = { 5, 0 };
    model.refresh(true);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.cellText(0, KindColumn), u"小切手"_s);
    EXPECT_EQ(model.cellText(1, KindColumn), u"支払手形"_s);
    EXPECT_EQ(model.cellText(2, 0), QString());

    // Without rights nothing of the register is shown.
    model.refresh(false);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.cellText(0, 0), QString());

    fixtures::reload(state, [](Tables &t) { t.notes.clear(); });
    view = allNoteIndices(0);
    model.refresh(true);
    EXPECT_EQ(model.rowCount(), 1);
}

TEST_F(NoteGridTest, DisplayRoleTitlesAndAlignment)
{
    EXPECT_EQ(model.data(model.index(2, AmountColumn)).toString(), u"  -987,654"_s);
    const int amount = model.data(model.index(0, AmountColumn), Qt::TextAlignmentRole).toInt();
    const int remarks = model.data(model.index(0, 10), Qt::TextAlignmentRole).toInt();
    EXPECT_EQ(amount, int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(remarks, int(Qt::AlignLeft | Qt::AlignVCenter));

    QStringList titles;
    for (int c = 0; c < NoteGridColumnCount; ++c)
        titles << model.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles,
        QStringList({ u"コード"_s, u"取引先名"_s, u"コード"_s, u"支払銀行名"_s, u"手形番号"_s,
            u"振出日"_s, u"支払日"_s, u"金額"_s, u"到来"_s, u"種類"_s, u"備考"_s, u"入力者"_s }));
    EXPECT_EQ(
        model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(NoteGridTest, PassesTheModelTesterThroughRefreshes)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    view = { 2, 1 };
    model.refresh(true);
    model.refresh(false);
    fixtures::reload(state, [](Tables &t) { t.notes.clear(); });
    view.clear();
    model.refresh(true);
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(PopupItems, OpenOnlyForOneNoteRowOfTheFullView)
{
    const auto select = [](int top, int bottom, bool filtered, const QString &code,
                            const QString &settled, const QString &kind) {
        GridSelection s;
        s.top = top;
        s.bottom = bottom;
        s.filtered = filtered;
        s.code = code;
        s.settled = settled;
        s.kind = kind;
        return popupItems(s);
    };
    const auto onlyFind = [](const PopupItems &p) {
        return p.Find1 && !p.Edit1 && !p.Delete1 && !p.WARIBIKI1 && !p.URAGAKI1 && !p.SHONIN1;
    };

    EXPECT_TRUE(onlyFind(select(2, 3, false, u"001"_s, u"×"_s, u"受取手形"_s))); // several rows
    EXPECT_TRUE(onlyFind(select(4, 4, false, QString(), QString(), QString()))); // the empty row
    EXPECT_TRUE(onlyFind(select(2, 2, true, u"001"_s, u"×"_s, u"受取手形"_s))); // a search result
    EXPECT_TRUE(onlyFind(select(-1, -1, false, QString(), QString(), QString())));

    const PopupItems settledReceivable = select(2, 2, false, u"001"_s, u"〇"_s, u"受取手形"_s);
    EXPECT_TRUE(settledReceivable.Edit1 && settledReceivable.Delete1 && settledReceivable.Find1);
    EXPECT_TRUE(settledReceivable.WARIBIKI1 && settledReceivable.URAGAKI1);
    EXPECT_FALSE(settledReceivable.SHONIN1);

    const PopupItems unsettledPayable = select(1, 1, false, u"001"_s, u"×"_s, u"支払手形"_s);
    EXPECT_TRUE(unsettledPayable.Edit1 && unsettledPayable.Delete1 && unsettledPayable.SHONIN1);
    EXPECT_FALSE(unsettledPayable.WARIBIKI1 || unsettledPayable.URAGAKI1);

    for (const QString &kind : { u"裏書手形"_s, u"割引手形"_s, u"小切手"_s, QString() }) {
        const PopupItems other = select(1, 1, false, u"9"_s, u"〇"_s, kind);
        EXPECT_TRUE(other.Edit1 && other.Delete1);
        EXPECT_FALSE(other.WARIBIKI1 || other.URAGAKI1 || other.SHONIN1);
    }
}
