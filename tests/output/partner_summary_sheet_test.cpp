#include <gtest/gtest.h>

#include <QDateEdit>
#include <QDir>
#include <QRadioButton>
#include <QToolButton>

#include "output/output_sheet.h"
#include "output/partner_summary_report.h"
#include "output/report_run.h"
#include "tests/output/output_sheet_fixture.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/pdf_reading.h"

using namespace Qt::StringLiterals;

namespace {

// The small register: partners 001 (twice), 002; notes of every kind, one of them settled.
class PartnerSummarySheetTest : public OutputSheetFixture
{
protected:
    void SetUp() override
    {
        openSheet({ 0, 1, 2, 3, 4, 5 }, nullptr);
        sheet->RB[outputchoice::PartnerList]->click();
        sheet->DP2->setDate(QDate(2024, 6, 30));
    }
};

} // namespace

TEST_F(PartnerSummarySheetTest, CsvListsEveryPartnerInCodeOrderWithTotalsAndCloses)
{
    chosenFile = dir.file(u"partners.csv"_s);
    const std::vector<std::int32_t> notesByIssue = sheet->report().SourceOrder;
    sheet->SB4->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(sheet->report().ReportRows, (std::vector<std::int32_t> { 0, 2, 1 }));
    EXPECT_EQ(sheet->report().SourceOrder, notesByIssue);
    // 002 has a receivable note of 5,000 issued 5 January, due 30 April (116 days), and a
    // settled one of -987,654 with the same days.
    const QString expected =
        u"登録取引先一覧表\r\n"
        u"コード,取引先名,支払手形,,受取手形,,受取手形期日,,,,振出銀行名\r\n"
        u",,件数,残高,件数,残高,最短,最長,平均,最近5回平均\r\n"
        u"'001,株式会社ベルモラ商事,1件,   1234567円,0件,         0円,0日,0日,0.0日,0.0日,\r\n"
        u"'001,ベルモラ物産,1件,   1234567円,0件,         0円,0日,0日,0.0日,0.0日,\r\n"
        u"'002,山田工業,0件,         0円,2件,   -982654円,116日,116日,116.0日,116.0日,\r\n"
        u",合計,2件,   2469134円,2件,   -982654円,\r\n"_s;
    EXPECT_EQ(dir.read(u"partners.csv"_s), sjis::encode(expected));
}

TEST_F(PartnerSummarySheetTest, AFailedExportKeepsTheSheetOpenAndTheJournalsStillWork)
{
    chosenFile = dir.file(u"taken"_s);
    QDir(dir.path()).mkdir(u"taken"_s);
    sheet->SB4->click();
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains(chosenFile));

    // The partner order went into the rows only: a journal still lists notes.
    chosenFile = dir.file(u"payable.csv"_s);
    sheet->RB[0]->click();
    sheet->DP1->setDate(QDate(2024, 1, 1));
    sheet->SB4->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->report().ReportRows, std::vector<std::int32_t> { 0 });
}

TEST_F(PartnerSummarySheetTest, PdfPagesCarryTheAsOfDateOnEveryPageAndTheTotalsOnceAtTheEnd)
{
    // Enough partners for three pages; every fifth has a name over 22 bytes.
    fixtures::reload(state, [](Tables &t) {
        for (int i = 0; i < 80; ++i)
            t.partners.push_back(fixtures::partner(u"P%1"_s.arg(i, 3, 10, QLatin1Char('0')),
                i % 5 == 0 ? u"株式会社ベルモラ総合商事東日本"_s : u"山田工業"_s));
    });
    std::vector<std::int32_t> rows;
    for (std::size_t i = 0; i < state.PartnerTable.size(); ++i)
        rows.push_back(static_cast<std::int32_t>(i));
    auto report = output::partnerSummaryReport(state.Data.tables(), rows, u"2024年06月30日現在"_s);
    const QString pdf = dir.file(u"partners.pdf"_s);
    QString error;
    ASSERT_TRUE(output::writeReportPdf(*report, pdf, &error, nullptr, systemFileSystem()))
        << error.toStdString();
    // Every page, a page of the totals alone included, carries the header.
    const int pages = pdfreading::pages(pdf);
    ASSERT_GE(pages, 2);
    for (int page = 1; page <= pages; ++page) {
        const QString text = pdfreading::pageText(pdf, page);
        EXPECT_TRUE(text.contains(u"2024年06月30日現在"_s)) << page << text.toStdString();
        EXPECT_TRUE(text.contains(u"登録取引先一覧表"_s)) << page;
    }
    // The totals follow the last partner, on its page or on a page of their own.
    const QString all = pdfreading::text(pdf);
    EXPECT_EQ(all.count(u"合計"_s), 1);
    EXPECT_TRUE(pdfreading::pageText(pdf, pages).contains(u"合計"_s));
    EXPECT_LT(all.indexOf(u"P079"_s), all.indexOf(u"合計"_s));
}
