#include <gtest/gtest.h>

#include <functional>

#include <QDate>

#include "core/day_date.h"
#include "output/bank_list_report.h"
#include "output/partner_summary_report.h"
#include "output/report_layout.h"
#include "output/report_run.h"
#include "output/schedule_report.h"
#include "output/schedule_rows.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/pdf_reading.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using namespace output;

namespace {

constexpr std::int64_t Yen = 10'000; // stored amounts are in ten-thousandths

// Widest codes of every length the tables hold, ten-digit amounts of both signs, and a term of
// 1,096 days: each is wider than its printed box at the design's point size.
Tables wideFigures()
{
    Tables t;
    t.partners = { fixtures::partner(u"WWWWW"_s, u"株式会社ベルモラ商事"_s),
        fixtures::partner(u"MMMMM"_s, u"ベルモラ工業"_s),
        fixtures::partner(u"L"_s, u"株式会社ベルモラ総合商事東京本社営業本部"_s) };
    fixtures::put(t.partners[0].BankCode, u"WWWWWWWW"_s);
    t.banks = { fixtures::bank(u"WWWWWWWW"_s, u"みずほ銀行"_s) };
    const auto note = [](const QString &partner, std::uint8_t kind, std::int64_t yen,
                          const QString &number, QDate issue, QDate due) {
        NoteRecord n = fixtures::note({ partner, u"WWWWWWWW"_s, kind, 0, yen * Yen, number });
        n.IssueDate = daydate::fromDate(issue);
        n.DueDate = daydate::fromDate(due);
        return n;
    };
    t.notes = {
        note(u"WWWWW"_s, PayableNote, 9'999'999'999, u"WWWWWWWWWW"_s, QDate(2024, 1, 5),
            QDate(2024, 4, 30)),
        note(u"MMMMM"_s, PayableNote, -9'999'999'999, u"MMMMMMMMMM"_s, QDate(2024, 1, 5),
            QDate(2024, 5, 1)),
        note(u"WWWWW"_s, ReceivableNote, 5'000'000'000, u"R1"_s, QDate(2021, 1, 1),
            QDate(2024, 1, 2)),
        note(u"WWWWW"_s, ReceivableNote, 4'999'999'999, u"R2"_s, QDate(2021, 1, 1),
            QDate(2024, 1, 2)),
        note(u"L"_s, PayableNote, 1, u"L1"_s, QDate(2024, 1, 5), QDate(2024, 4, 30)),
    };
    return t;
}

std::unique_ptr<Report> scheduleOfPayables(const Session &s)
{
    const double start = daydate::fromDate(QDate(2024, 4, 1));
    const std::vector<std::int32_t> sorted = schedule::setArr3(s.NoteTable, { 0, 1 });
    return scheduleReport(s.Data.tables(), schedule::lines(s.NoteTable, start, 61, sorted),
        u"支払手形期日予定表"_s, u"2024/04/01～2024/05/31"_s);
}

struct PrintedReport
{
    const char *name;
    std::function<std::unique_ptr<Report>(const Session &)> make;
    QStringList whole; // texts that must come back from the PDF uncut
};

} // namespace

// A figure wider than its box is printed smaller, never cut into another figure, and a name too
// long for its box ends in "…"; read back from the PDF of each report.
TEST(PrintedFigures, WideFiguresPrintWholeAndLongNamesEndInAnEllipsis)
{
    const PrintedReport reports[] = {
        { "note list",
            [](const Session &s) {
                return noteListReport(
                    s.Data.tables(), { 0, 1, 2, 3, 4 }, u"支払手形記入帳"_s, u"期間"_s);
            },
            { u"株式会社ベルモラ総合商事東京本社"_s, u"…"_s, u"WWWWW"_s, u"WWWWWWWWWW"_s,
                u"WWWWWWWW"_s, u"9,999,999,999"_s, u"-9,999,999,999"_s, u"5,000,000,000"_s,
                u"4,999,999,999"_s } },
        { "schedule", scheduleOfPayables,
            { u"WWWWW"_s, u"WWWWWWWWWW"_s, u"MMMMMMMMMM"_s, u"9,999,999,999円"_s,
                u"-9,999,999,999円"_s, u"1件"_s } },
        { "partner summary with ten-digit totals",
            [](const Session &s) {
                return partnerSummaryReport(s.Data.tables(), { 0 }, u"2024年06月30日現在"_s);
            },
            { u"WWWWW"_s, u"9,999,999,999円"_s, u"1096日"_s, u"1,096.0日"_s, u"2件"_s } },
        { "partner summary of a negative balance",
            [](const Session &s) {
                return partnerSummaryReport(s.Data.tables(), { 1 }, u"2024年06月30日現在"_s);
            },
            { u"MMMMM"_s, u"-9,999,999,999円"_s } },
        { "bank list",
            [](const Session &s) {
                return bankListReport(s.Data.tables(), u"2024年06月30日現在"_s);
            },
            { u"WWWWWWWW"_s } },
    };
    Session state { systemFileSystem() };
    state.Data.setTables(wideFigures());
    TestDir dir;
    for (const PrintedReport &r : reports) {
        SCOPED_TRACE(r.name);
        const QString pdf = dir.file(u"report.pdf"_s);
        auto report = r.make(state);
        QString error;
        ASSERT_TRUE(writeReportPdf(*report, pdf, &error, nullptr, systemFileSystem()))
            << error.toStdString();
        const QString text = pdfreading::run(u"pdftotext"_s, { u"-raw"_s, pdf, u"-"_s });
        for (const QString &figure : r.whole)
            EXPECT_TRUE(text.contains(figure))
                << figure.toStdString() << " in " << text.toStdString();
    }
}
