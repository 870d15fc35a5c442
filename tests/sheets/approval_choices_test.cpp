#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "sheets/approval_choices.h"
#include "sheets/approval_list_model.h"
#include "tests/sheets/sheet_fixtures.h"

using namespace Qt::StringLiterals;

namespace {

std::vector<std::uint8_t> settledOf(const Session &state)
{
    std::vector<std::uint8_t> settled;
    for (const NoteRecord &n : state.NoteTable)
        settled.push_back(n.Settled);
    return settled;
}

class ApprovalChoicesTest : public ::testing::Test
{
protected:
    void SetUp() override { fixtures::fillSmallRegister(state); }

    Session state { systemFileSystem() };
    ApprovalChoices choices;
};

} // namespace

TEST_F(ApprovalChoicesTest, ChoicesStartFromEachNotesSettledInTheOrderGiven)
{
    choices.setArr(state.NoteTable, { 5, 2, 0, 99 });
    EXPECT_EQ(choices.DueNotes(), std::vector<int>({ 5, 2, 0, 99 }));
    EXPECT_EQ(choices.choices(), std::vector<std::uint8_t>({ 0, 1, 0, 0 }))
        << "a settled note starts approved; an index past the table starts unapproved";
    EXPECT_EQ(choices.count(), 4);

    // Any non-zero Settled reads as approved.
    fixtures::reload(state, [](Tables &t) { t.notes[3].Settled = 7; });
    choices.setArr(state.NoteTable, { 3 });
    EXPECT_EQ(choices.choices(), std::vector<std::uint8_t>({ 1 }));

    choices.setArr(state.NoteTable, {});
    EXPECT_EQ(choices.count(), 0);
    EXPECT_TRUE(choices.choices().empty());
}

TEST_F(ApprovalChoicesTest, ApplyChangesOnlyTheListedNotesAndMarksARealChange)
{
    const std::vector<std::uint8_t> before = settledOf(state);
    choices.setArr(state.NoteTable, { 0, 1, 4 });
    choices.toggle(0);
    choices.toggle(0); // toggled back: nothing to write
    EXPECT_EQ(choices.apply(state.Data), 0);
    EXPECT_EQ(settledOf(state), before);
    EXPECT_FALSE(state.Data.modified());

    EXPECT_TRUE(choices.toggle(0));
    EXPECT_TRUE(choices.toggle(2));
    EXPECT_FALSE(choices.toggle(3)) << "past the last row";
    EXPECT_EQ(choices.choices(), std::vector<std::uint8_t>({ 1, 0, 1 }));
    EXPECT_EQ(settledOf(state), before) << "toggling alone leaves the notes as they are";
    EXPECT_EQ(choices.apply(state.Data), 2);
    EXPECT_EQ(settledOf(state), std::vector<std::uint8_t>({ 1, 0, 1, 1, 1, 0 }));
    EXPECT_TRUE(state.Data.modified());

    // A settled note listed and left unapproved goes back to unsettled.
    fixtures::reload(state);
    choices.setArr(state.NoteTable, { 2 });
    choices.toggle(0);
    EXPECT_EQ(choices.apply(state.Data), 1);
    EXPECT_EQ(state.NoteTable[2].Settled, 0);
    EXPECT_TRUE(state.Data.modified());
}

TEST(ApprovalStatusLine, MonthAndDayWithoutLeadingZerosAndTheCount)
{
    EXPECT_EQ(approvalStatusLine(QDate(2024, 12, 7), 3),
        u"12月7日現在　期日到来で未承認の手形は3件　あります。"_s);
    EXPECT_EQ(approvalStatusLine(QDate(2025, 3, 5), 2),
        u"3月5日現在　期日到来で未承認の手形は2件　あります。"_s);
    EXPECT_EQ(approvalStatusLine(QDate(2024, 12, 1), 0),
        u"12月1日現在　期日到来で未承認の手形は0件　あります。"_s);
    EXPECT_EQ(approvalStatusLine(QDate(2024, 10, 31), 100000),
        u"10月31日現在　期日到来で未承認の手形は100000件　あります。"_s);
}

TEST_F(ApprovalChoicesTest, CellsShowTheNoteAndTheLastPartnerBearingItsCode)
{
    ApprovalCells cells(state.Data);
    cells.rebuild();
    const auto row = [&](int note) {
        QStringList texts;
        for (int c = 0; c < StampColumn; ++c)
            texts << cells.text(state.NoteTable[static_cast<std::size_t>(note)], c);
        return texts;
    };
    EXPECT_EQ(row(0),
        QStringList({ u"001"_s, u"ベルモラ物産"_s, u"A-1"_s, u" 1,234,567"_s, u"2024/04/30"_s }));
    EXPECT_EQ(row(1)[1], u"山田工業"_s);
    EXPECT_EQ(row(2)[3], u"  -987,654"_s);
    EXPECT_EQ(row(3).mid(0, 2), QStringList({ u"001 "_s, QString() }))
        << "a code with a trailing blank finds no partner";

    // Names follow the register after a rebuild.
    state.Data.appendEntry(
        RegisterKind::PartnerRegister, { "002", sjis::encode(u"山田工業　新社名"_s), {} });
    cells.rebuild();
    EXPECT_EQ(row(1)[1], u"山田工業　新社名"_s);
}

TEST_F(ApprovalChoicesTest, ModelListsTheNotesWithTheirStampsAndPassesTheTester)
{
    ApprovalListModel model(state.Data, choices);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 6);

    choices.setArr(state.NoteTable, { 4, 0, 2 });
    model.refresh();
    ASSERT_EQ(model.rowCount(), 3) << "no empty row after the last note";
    EXPECT_EQ(model.cellText(0, 2), u"A-1"_s);
    EXPECT_EQ(model.cellText(1, 1), u"ベルモラ物産"_s);
    EXPECT_EQ(model.cellText(0, 3), u"         0"_s);
    QStringList stamps;
    for (int r = 0; r < 3; ++r)
        stamps << model.data(model.index(r, StampColumn)).toString();
    EXPECT_EQ(stamps, QStringList({ u"未承認"_s, u"未承認"_s, u"承認済"_s }));

    QStringList titles;
    QList<int> widths;
    for (int c = 0; c < ApprovalColumnCount; ++c) {
        titles << model.headerData(c, Qt::Horizontal).toString();
        widths << ApprovalColumns[static_cast<std::size_t>(c)].width;
    }
    EXPECT_EQ(titles,
        QStringList(
            { u"コード"_s, u"取引先名"_s, u"手形番号"_s, u"金額"_s, u"支払日"_s, u"承認印"_s }));
    EXPECT_EQ(widths, QList<int>({ 40, 128, 64, 64, 64, 64 }));
    const auto alignment = [&](int column) {
        return model.data(model.index(0, column), Qt::TextAlignmentRole).toInt();
    };
    EXPECT_EQ(alignment(0), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(alignment(3), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(alignment(4), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(alignment(StampColumn), int(Qt::AlignHCenter | Qt::AlignVCenter));
    EXPECT_FALSE(model.flags(model.index(0, StampColumn)) & Qt::ItemIsEditable);

    choices.approveAll();
    model.allStampsChanged();
    EXPECT_EQ(model.cellText(1, StampColumn), u"承認済"_s);

    // A listed note the table no longer holds shows only its stamp.
    fixtures::reload(state, [](Tables &t) { t.notes.resize(3); });
    EXPECT_EQ(model.cellText(0, 0), QString());
    EXPECT_EQ(model.cellText(0, StampColumn), u"承認済"_s);
    choices.setArr(state.NoteTable, {});
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
}
