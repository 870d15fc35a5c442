#include <gtest/gtest.h>

#include "output/note_list_report.h"
#include "output/report_layout.h"
#include "output/report_run.h"
#include "tests/output/report_fixtures.h"

using namespace Qt::StringLiterals;
using namespace output;

namespace {

// Lines with given shapes; texts name the band and line so a test can see what was asked.
class ScriptedLines : public LineSource
{
public:
    explicit ScriptedLines(std::vector<LineShape> shapes)
        : shapes_(std::move(shapes))
    {
    }
    int count() const override { return static_cast<int>(shapes_.size()); }
    LineShape shape(int line) const override { return shapes_[static_cast<std::size_t>(line)]; }
    QStringList texts(BandKind band, int line) const override
    {
        return { u"%1:%2"_s.arg(int(band)).arg(line) };
    }

private:
    std::vector<LineShape> shapes_;
};

// A page 100 mm high with 10 mm margins and a 16.1 mm header: 63.9 mm for the bands, which
// 7.1 mm details fill exactly nine times.
ReportDesign smallPage()
{
    ReportDesign d;
    d.page = { 150, 100, 10, 10, 10, 10 };
    d.pageHeader.height = 16.1;
    d.detail.height = 7.1;
    return d;
}

std::vector<LineShape> plainLines(int n)
{
    return std::vector<LineShape>(static_cast<std::size_t>(n));
}

std::vector<int> linesOf(const Layout &layout, int page)
{
    std::vector<int> lines;
    for (const Placement &p : layout.page(page))
        lines.push_back(p.line);
    return lines;
}

} // namespace

TEST(ReportLayout, DetailsFillAPageExactlyToTheBottomMarginThenMoveOn)
{
    const ReportDesign d = smallPage();
    const Layout nine = layOut(d, ScriptedLines(plainLines(9)));
    ASSERT_EQ(nine.pageCount(), 1);
    const Layout ten = layOut(d, ScriptedLines(plainLines(10)));
    ASSERT_EQ(ten.pageCount(), 2);
    EXPECT_EQ(linesOf(ten, 1), std::vector<int> { 9 });

    // Each page starts right below its header, and the ninth band ends on the bottom margin.
    const std::int32_t bodyTop = micrometres(10 + 16.1);
    EXPECT_EQ(ten.page(0)[0].top, bodyTop);
    EXPECT_EQ(ten.page(1)[0].top, bodyTop);
    const Placement last = ten.page(0)[8];
    EXPECT_EQ(last.top + last.height, micrometres(100 - 10));
}

TEST(ReportLayout, EmptyReportIsOnePageWithItsHeaderAlone)
{
    ReportDesign d = smallPage();
    d.totals = Band { 5, {}, {} };
    const Layout layout = layOut(d, ScriptedLines({}));
    EXPECT_EQ(layout.pageCount(), 1);
    EXPECT_TRUE(layout.page(0).empty());
    EXPECT_TRUE(layout.page(1).empty());
}

TEST(ReportLayout, ChildAndTotalsBandsFollowTheirLines)
{
    ReportDesign d = smallPage();
    d.child = Band { 5, {}, {} };
    d.totals = Band { 8, {}, {} };
    std::vector<LineShape> shapes = plainLines(4);
    shapes[1].detail = false; // suppressed, yet its child prints
    shapes[1].child = true;
    shapes[2].child = true;
    shapes[2].childHeight = 6;
    shapes[3].height = 12;
    const Layout layout = layOut(d, ScriptedLines(shapes));
    ASSERT_EQ(layout.pageCount(), 1);
    const auto page = layout.page(0);
    ASSERT_EQ(page.size(), 6U);
    const std::vector<std::pair<BandKind, int>> expected = { { BandKind::Detail, 0 },
        { BandKind::Child, 1 }, { BandKind::Detail, 2 }, { BandKind::Child, 2 },
        { BandKind::Detail, 3 }, { BandKind::Totals, 4 } };
    const std::vector<std::int32_t> heights = { 7100, 5000, 7100, 6000, 12000, 8000 };
    std::int32_t top = micrometres(26.1);
    for (std::size_t i = 0; i < page.size(); ++i) {
        EXPECT_EQ(page[i].band, expected[i].first) << i;
        EXPECT_EQ(page[i].line, expected[i].second) << i;
        EXPECT_EQ(page[i].height, heights[i]) << i;
        EXPECT_EQ(page[i].top, top) << i;
        top += heights[i];
    }

    // No totals when no detail printed; a child asked for by a design without one is ignored.
    std::vector<LineShape> suppressed = plainLines(2);
    for (LineShape &s : suppressed)
        s.detail = false;
    EXPECT_TRUE(layOut(d, ScriptedLines(suppressed)).page(0).empty());
    ReportDesign noChild = smallPage();
    EXPECT_EQ(layOut(noChild, ScriptedLines(shapes)).placementCount(), 3U);
}

TEST(ReportLayout, TotalsThatDoNotFitGoToANewPageAndAnOversizedBandGetsAPageOfItsOwn)
{
    ReportDesign d = smallPage();
    d.totals = Band { 8, {}, {} };
    const Layout full = layOut(d, ScriptedLines(plainLines(9)));
    ASSERT_EQ(full.pageCount(), 2);
    ASSERT_EQ(full.page(1).size(), 1U);
    EXPECT_EQ(full.page(1)[0].band, BandKind::Totals);

    std::vector<LineShape> shapes = plainLines(3);
    shapes[1].height = 200;
    const Layout big = layOut(d, ScriptedLines(shapes));
    ASSERT_EQ(big.pageCount(), 3);
    EXPECT_EQ(linesOf(big, 0), std::vector<int> { 0 });
    EXPECT_EQ(linesOf(big, 1), std::vector<int> { 1 });
    EXPECT_EQ(linesOf(big, 2), (std::vector<int> { 2, 3 }));
}

TEST(NoteListReport, SeventyNotesMakeThreePagesWithEveryNoteOnceInOrder)
{
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(70));
    auto report =
        noteListReport(s.Data.tables(), reportfixtures::allRows(s), u"支払手形記入帳"_s, u"期間"_s);
    const Layout &layout = report->layout();
    ASSERT_EQ(layout.pageCount(), 3);
    // 190 mm of paper below the top margin, 16.1 mm of header: 28 rows of 6.1 mm per page.
    EXPECT_EQ(layout.page(0).size(), 28U);
    EXPECT_EQ(layout.page(1).size(), 28U);
    EXPECT_EQ(layout.page(2).size(), 14U);
    int expected = 0;
    for (int page = 0; page < 3; ++page) {
        // The page header sits at the top of every page, the rows right below it.
        EXPECT_EQ(layout.page(page)[0].top, micrometres(10 + 16.1)) << page;
        for (const Placement &p : layout.page(page))
            EXPECT_EQ(p.line, expected++);
    }
    EXPECT_EQ(report->headerTexts(), (QStringList { u"支払手形記入帳"_s, u"期間"_s }));
}

TEST(NoteListReport, BankNameOver32BytesMakesTheTallRowWithATwoLineBankNameBox)
{
    Tables t = reportfixtures::noteRegister(3);
    // 16 full-width characters are exactly 32 bytes.
    t.banks.push_back(fixtures::bank(u"B03"_s, u"ベルモラ信用金庫東京中央支店営業"_s));
    fixtures::put(t.notes[0].BankCode, u"B03"_s);
    fixtures::put(t.notes[1].BankCode, u"B02"_s); // 33 bytes
    fixtures::put(t.notes[2].BankCode, u"ZZ"_s); // no such bank
    Session s { systemFileSystem() };
    s.Data.setTables(std::move(t));
    auto report = noteListReport(s.Data.tables(), { 0, 1, 2 }, u"t"_s, QString());
    const LineSource &lines = report->lines();
    EXPECT_EQ(lines.shape(0).height, NoteRowHeight);
    EXPECT_EQ(lines.shape(0).grown[0], 0.0f);
    EXPECT_EQ(lines.shape(1).height, TallNoteRowHeight);
    EXPECT_FLOAT_EQ(lines.shape(1).grown[0], 9.0f);
    EXPECT_EQ(lines.shape(2).height, NoteRowHeight);
    const auto page = report->layout().page(0);
    ASSERT_EQ(page.size(), 3U);
    EXPECT_EQ(page[0].height, 6100);
    EXPECT_EQ(page[1].height, 10600);
    EXPECT_EQ(page[2].top, page[1].top + 10600);

    // The bank name box grows through its slot; the row's bottom rule follows the row.
    const ReportDesign d = noteListDesign();
    const Box &bankBox = d.detail.boxes[BankNameField];
    EXPECT_EQ(bankBox.growSlot, 0);
    EXPECT_EQ(bankBox.height, 4.5);
    int fromBottom = 0;
    for (const Rule &r : d.detail.rules)
        fromBottom += r.y1FromBottom && r.y2FromBottom && r.y1 == 0.3 && r.x2 == 272.5;
    EXPECT_EQ(fromBottom, 1);
}

TEST(NoteListReport, PrintedTextsLeaveTheConfirmationEmptyAndUnknownCodesNameless)
{
    Tables t = reportfixtures::noteRegister(2);
    t.notes[0].Settled = 1;
    fixtures::put(t.notes[1].PartnerCode, u"999"_s);
    fixtures::put(t.notes[1].BankCode, u"B99"_s);
    Session s { systemFileSystem() };
    s.Data.setTables(std::move(t));
    auto report = noteListReport(s.Data.tables(), { 1, 0, 7 }, u"t"_s, QString());
    const LineSource &lines = report->lines();
    const QStringList first = lines.texts(BandKind::Detail, 1);
    ASSERT_EQ(first.size(), 10);
    EXPECT_EQ(first[CodeField], u"001"_s);
    EXPECT_EQ(first[PartnerNameField], reportfixtures::PartnerName);
    EXPECT_EQ(first[NoteNumberField], u"N0000"_s);
    EXPECT_EQ(first[BankNameField], u"みずほ銀行"_s);
    EXPECT_EQ(first[IssueDateField], u"01/05"_s);
    EXPECT_EQ(first[DueDateField], u"04/30"_s);
    EXPECT_EQ(first[AmountField], u"     1,000"_s);
    EXPECT_TRUE(first[ConfirmationField].isEmpty());
    EXPECT_EQ(first[RemarksField], u"売掛金回収"_s);

    const QStringList unknown = lines.texts(BandKind::Detail, 0);
    EXPECT_EQ(unknown[CodeField], u"999"_s);
    EXPECT_TRUE(unknown[PartnerNameField].isEmpty());
    EXPECT_EQ(unknown[BankCodeField], u"B99"_s);
    EXPECT_TRUE(unknown[BankNameField].isEmpty());
    // A row naming no note prints an empty line rather than reading past the table.
    EXPECT_TRUE(lines.texts(BandKind::Detail, 2).isEmpty());
    EXPECT_EQ(report->layout().placementCount(), 3U);
}
