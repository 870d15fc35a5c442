#include <gtest/gtest.h>

#include <QDateEdit>
#include <QFileDialog>
#include <QRadioButton>
#include <QToolButton>

#include "output/output_sheet.h"
#include "output/report_preview.h"
#include "tests/output/output_sheet_fixture.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/pdf_reading.h"

using namespace Qt::StringLiterals;

namespace {

// The output sheet over the small register, whose notes all fall due on 30 April 2024, with one
// more receivable note that no partner's code matches.
class ScheduleSheetTest : public OutputSheetFixture
{
protected:
    void SetUp() override
    {
        NoteRecord stranger = fixtures::note({ u"777"_s, u"B01"_s, ReceivableNote, 0, 300'000 });
        fixtures::put(stranger.NoteNumber, u"Z-9"_s);
        stranger.DueDate = daydate::fromDate(QDate(2024, 5, 1));
        fixtures::reload(state, [&](Tables &t) {
            t.notes.push_back(stranger);
            t.banks.push_back(fixtures::bank(u"A00"_s, u"Belmora Bank, Tokyo"_s));
        });
        openSheet({ 0, 1, 2, 3, 4, 5, 6 }, &data);
    }

    void run(int choice, QDate start, QDate end, QToolButton *button)
    {
        sheet->RB[static_cast<std::size_t>(choice)]->click();
        sheet->DP1->setDate(start);
        sheet->DP2->setDate(end);
        button->click();
    }

    // Previews the choice and saves the preview as a PDF; its text.
    QString previewedText(int choice, QDate start, QDate end)
    {
        const QString pdf = dir.file(u"preview.pdf"_s);
        prompter.onDialog = [&](QDialog &d) {
            if (d.objectName() == u"PdfFileDialog"_s) {
                static_cast<QFileDialog &>(d).selectFile(pdf);
                return int(QDialog::Accepted);
            }
            static_cast<output::ReportPreview &>(d).savePdfClick();
            return int(QDialog::Accepted);
        };
        run(choice, start, end, sheet->SB1);
        return pdfreading::text(pdf);
    }
};

} // namespace

TEST_F(ScheduleSheetTest, SchedulesWriteTheirCsvFilesAndClose)
{
    chosenFile = dir.file(u"pay.csv"_s);
    run(outputchoice::PaymentSchedule, QDate(2024, 4, 1), QDate(2024, 4, 30), sheet->SB4);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(sheet->report().ReportRows.size(), 30u);
    EXPECT_EQ(sheet->report().ReportRows.back(), 29);
    EXPECT_EQ(dir.read(u"pay.csv"_s),
        sjis::encode(u"出　金　予　定　表,2024/04/01～2024/04/30\r\n"
                     u"日付,,取引先名,手形番号,金額\r\n"
                     u"24年04月30日,'001,株式会社ベルモラ商事,A-1,   1234567円\r\n"
                     u",,1件,   1234567円\r\n"_s));
    // Issue-date order stays for the journals.
    EXPECT_EQ(sheet->report().SourceOrder.size(), 7u);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(ScheduleSheetTest, TheCollectionScheduleKeepsAnUnknownPartnersCodeNumberAndAmount)
{
    chosenFile = dir.file(u"collect.csv"_s);
    run(outputchoice::CollectionSchedule, QDate(2024, 4, 30), QDate(2024, 5, 1), sheet->SB4);
    // The settled receivable note is left out.
    EXPECT_EQ(dir.read(u"collect.csv"_s),
        sjis::encode(u"入　金　予　定　表,2024/04/30～2024/05/01\r\n"
                     u"日付,,取引先名,手形番号,金額\r\n"
                     u"24年04月30日,'002,山田工業,A-1,      5000円\r\n"
                     u",,1件,      5000円\r\n"
                     u"24年05月01日,'777,,Z-9,        30円\r\n"
                     u",,1件,        30円\r\n"_s));
}

TEST_F(ScheduleSheetTest, AStartAfterTheEndGivesNoDays)
{
    chosenFile = dir.file(u"none.csv"_s);
    run(outputchoice::PaymentSchedule, QDate(2024, 5, 1), QDate(2024, 4, 1), sheet->SB4);
    EXPECT_TRUE(sheet->report().ReportRows.empty());
    EXPECT_EQ(dir.read(u"none.csv"_s),
        sjis::encode(u"出　金　予　定　表,2024/05/01～2024/04/01\r\n"
                     u"日付,,取引先名,手形番号,金額\r\n"_s));
}

TEST_F(ScheduleSheetTest, TheBankListWritesEveryBankInTableOrder)
{
    chosenFile = dir.file(u"banks.csv"_s);
    run(outputchoice::BankList, QDate(2024, 1, 1), QDate(2030, 1, 1), sheet->SB4);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->report().ReportRows, (std::vector<std::int32_t> { 0, 1, 2 }));
    EXPECT_EQ(dir.read(u"banks.csv"_s),
        sjis::encode(u"登録銀行一覧表\r\nコード,登録銀行名\r\n"
                     u"B01,みずほ銀行\r\nB02,三井住友銀行　本店\r\n"
                     u"A00,\"Belmora Bank, Tokyo\"\r\n"_s));
}

TEST_F(ScheduleSheetTest, PreviewedPagesShowWhatTheFilesHold)
{
    const QString banks =
        previewedText(outputchoice::BankList, QDate(2024, 1, 1), QDate(2030, 1, 1));
    // Dated today, not by the picker.
    EXPECT_TRUE(banks.contains(u"2024年03月31日現在"_s)) << banks.toStdString();
    EXPECT_FALSE(banks.contains(u"2030"_s));
    EXPECT_TRUE(banks.contains(u"Belmora Bank, Tokyo"_s));
    EXPECT_LT(banks.indexOf(u"みずほ銀行"_s), banks.indexOf(u"Belmora"_s));

    sheet->show();
    const QString collection =
        previewedText(outputchoice::CollectionSchedule, QDate(2024, 4, 30), QDate(2024, 5, 1));
    // A text extractor may give the wave dash back as either of its two code points.
    EXPECT_TRUE(collection.contains(u"2024/04/30"_s) && collection.contains(u"2024/05/01"_s))
        << collection.toStdString();
    EXPECT_TRUE(collection.contains(u"山田工業"_s));
    EXPECT_TRUE(collection.contains(u"5,000円"_s));
    // The unknown partner's line shows its date alone; its subtotal still counts it.
    EXPECT_TRUE(collection.contains(u"24年5月1日"_s));
    EXPECT_FALSE(collection.contains(u"Z-9"_s));
    EXPECT_FALSE(collection.contains(u"777"_s));
    EXPECT_TRUE(collection.contains(u"30円"_s));
    EXPECT_EQ(collection.count(u"1件"_s), 2);
}
