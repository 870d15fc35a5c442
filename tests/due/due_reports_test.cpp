#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "due/due_reports.h"
#include "due/due_texts.h"
#include "output/csv_file.h"
#include "output/report_layout.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using output::BandKind;

namespace {

const QDate Today(2026, 12, 7);

std::string bytes(const QString &text)
{
    return sjis::encode(text).toStdString();
}

NoteRecord noteOf(const fixtures::NoteFields &f, QDate issued, QDate due)
{
    NoteRecord n = fixtures::note(f);
    n.IssueDate = daydate::fromDate(issued);
    n.DueDate = daydate::fromDate(due);
    return n;
}

// A payable note on a long term that also falls due after paper clearing ends, a receivable
// note in the same way, and a receivable note past due that the cash plan shows first. Code 001 is
// registered twice and its partner's own bank differs from the note's, so a report that takes the
// last record or the partner's bank prints another name.
class DueReports : public ::testing::Test
{
protected:
    DueReports()
    {
        Tables t;
        PartnerRecord first = fixtures::partner(u"001"_s, u"=丸和商事"_s);
        fixtures::put(first.BankCode, u"B02"_s);
        t.partners = { first, fixtures::partner(u"002"_s, u"山田工業"_s),
            fixtures::partner(u"001"_s, u"丸和物産"_s) };
        t.banks = { fixtures::bank(u"B01"_s, u"みずほ銀行"_s),
            fixtures::bank(u"B02"_s, u"三井住友銀行"_s),
            fixtures::bank(u"B01"_s, u"りそな銀行"_s) };
        t.notes = {
            noteOf({ u"001"_s, u"B01"_s, PayableNote, 0, 12'000'000'000, u"+100"_s },
                QDate(2026, 11, 1), QDate(2027, 4, 5)),
            noteOf({ u"002"_s, u"B02"_s, ReceivableNote, 0, 5'000'000'000, u"-12"_s },
                QDate(2026, 12, 1), QDate(2027, 5, 10)),
            noteOf({ u"002"_s, u"B02"_s, ReceivableNote, 0, 3'000'000, u"-13"_s },
                QDate(2026, 10, 1), QDate(2026, 11, 30)),
        };
        state.Data.setTables(std::move(t));
        o = due::overview(state.NoteTable, Today, 14);
    }

    const NoteRecord &payable() const { return state.NoteTable[0]; }
    const NoteRecord &receivable() const { return state.NoteTable[1]; }

    Session state { systemFileSystem() };
    due::Overview o;
    const QString asOf = due::asOfText(Today);
};

TEST_F(DueReports, EachReportPrintsTheCellsOfItsListAndItsTotals)
{
    ASSERT_EQ(o.longTerms.rows.size(), 1u);
    ASSERT_EQ(o.afterClearing.rows.size(), 2u);
    EXPECT_EQ(asOf, u"2026年12月07日現在"_s);
    const due::DueNote &longTerm = o.longTerms.rows[0];
    const due::DueNote &clearing = o.afterClearing.rows[1];
    const struct
    {
        const char *name;
        std::function<std::unique_ptr<output::Report>()> make;
        bool landscape;
        QString title;
        int line;
        QStringList cells;
        QStringList totals;
    } cases[] = {
        // April 2027 is the fifth month from December, after the overdue row; the one month
        // with a payment in it.
        { "cash plan", [&] { return due::cashPlanReport(o, asOf); }, false, u"資金繰り予定"_s, 5,
            due::planCells(o.months[4]), due::planTotalCells(o.total) },
        { "cash plan's overdue row", [&] { return due::cashPlanReport(o, asOf); }, false,
            u"資金繰り予定"_s, 0, { u"期日経過"_s, u"0"_s, u"300"_s, u"300"_s },
            due::planTotalCells(o.total) },
        { "long terms", [&] { return due::longTermReport(state.Data.tables(), o, asOf); }, true,
            u"支払サイト点検"_s, 0, due::longTermCells(longTerm, payable(), bytes(u"=丸和商事"_s)),
            { due::longTermCountLine(o.longTerms), due::longTermExplanation() } },
        { "after clearing", [&] { return due::clearingReport(state.Data.tables(), o, asOf); }, true,
            u"2027年4月以降に期日の手形"_s, 1,
            due::clearingCells(
                clearing, receivable(), bytes(u"山田工業"_s), bytes(u"三井住友銀行"_s)),
            { due::clearingCountLine(o), due::clearingExplanation() } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<output::Report> report = c.make();
        EXPECT_GE(report->layout().pageCount(), 1);
        EXPECT_EQ(report->design().page.landscape(), c.landscape);
        EXPECT_EQ(report->headerTexts(), (QStringList { c.title, asOf }));
        EXPECT_EQ(report->lines().texts(BandKind::Detail, c.line), c.cells);
        EXPECT_EQ(report->lines().texts(BandKind::Totals, report->lines().count()), c.totals);
    }
    // The first payable note's own bank, not its partner's and not a later record of its code.
    EXPECT_EQ(due::clearingReport(state.Data.tables(), o, asOf)
                  ->lines()
                  .texts(BandKind::Detail, 0)
                  .last(),
        u"みずほ銀行"_s);
}

TEST_F(DueReports, EachCsvFileHoldsTheTitleTheHeadsTheRowsAndTheTotals)
{
    TestDir dir;
    // Worked out by hand: a text from the register that looks like a formula gets an apostrophe,
    // a negative figure does not; a figure with a separator is quoted.
    const QStringList plan { u"資金繰り予定,2026年12月07日現在"_s, u"年月,支払手形,受取手形,差引"_s,
        u"期日経過,0,300,300"_s, u"2026年12月,0,0,0"_s, u"2027年01月,0,0,0"_s,
        u"2027年02月,0,0,0"_s, u"2027年03月,0,0,0"_s,
        u"2027年04月,\"1,200,000\",0,\"-1,200,000\""_s, u"2027年05月,0,\"500,000\",\"500,000\""_s,
        u"2027年06月,0,0,0"_s, u"2027年07月,0,0,0"_s, u"2027年08月,0,0,0"_s, u"2027年09月,0,0,0"_s,
        u"2027年10月,0,0,0"_s, u"2027年11月,0,0,0"_s,
        u"合計,\"1,200,000\",\"500,300\",\"-699,700\""_s };
    const QStringList longTerm { u"支払サイト点検,2026年12月07日現在"_s,
        u"取引先名,手形番号,振出日,支払日,サイト,金額"_s,
        u"'=丸和商事,'+100,2026/11/01,2027/04/05,155日,\"1,200,000\""_s,
        due::longTermCountLine(o.longTerms), due::longTermExplanation() };
    const QStringList clearing { u"2027年4月以降に期日の手形,2026年12月07日現在"_s,
        u"種類,取引先名,手形番号,支払日,金額,振出銀行"_s,
        u"支払手形,'=丸和商事,'+100,2027/04/05,\"1,200,000\",みずほ銀行"_s,
        u"受取手形,山田工業,'-12,2027/05/10,\"500,000\",三井住友銀行"_s,
        u"\""_s + due::clearingCountLine(o) + u"\""_s, due::clearingExplanation() };
    ASSERT_TRUE(due::clearingCountLine(o).contains(u','));
    ASSERT_FALSE(due::longTermCountLine(o.longTerms).contains(u','));
    for (const QString &explanation : { due::longTermExplanation(), due::clearingExplanation() })
        ASSERT_FALSE(explanation.contains(u',') || explanation.contains(u'"'));

    const struct
    {
        const char *file;
        std::function<bool(const QString &, QString *)> write;
        QStringList lines;
    } cases[] = {
        { "plan.csv",
            [&](const QString &p, QString *e) {
                return due::cashPlanCsv(p, o, asOf, e, nullptr, systemFileSystem());
            },
            plan },
        { "long.csv",
            [&](const QString &p, QString *e) {
                return due::longTermCsv(
                    p, state.Data.tables(), o, asOf, e, nullptr, systemFileSystem());
            },
            longTerm },
        { "clearing.csv",
            [&](const QString &p, QString *e) {
                return due::clearingCsv(
                    p, state.Data.tables(), o, asOf, e, nullptr, systemFileSystem());
            },
            clearing },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        QString error;
        ASSERT_TRUE(c.write(dir.file(QString::fromLatin1(c.file)), &error)) << error.toStdString();
        const QString text = sjis::decode(dir.read(QString::fromLatin1(c.file)));
        EXPECT_EQ(text, c.lines.join(u"\r\n"_s) + u"\r\n"_s);
    }
}

TEST(DueReportsOfNothing, AnEmptyListStillPrintsItsCountAndExplanation)
{
    const Session state { systemFileSystem() };
    const due::Overview o = due::overview(state.NoteTable, Today, 14);
    const QString asOf = due::asOfText(Today);
    using Make =
        std::unique_ptr<output::Report> (*)(const Tables &, const due::Overview &, const QString &);
    for (Make make : { &due::longTermReport, &due::clearingReport }) {
        const std::unique_ptr<output::Report> report = make(state.Data.tables(), o, asOf);
        const std::span<const output::Placement> page = report->layout().page(0);
        ASSERT_FALSE(page.empty());
        EXPECT_EQ(page.back().band, BandKind::Totals);
        EXPECT_EQ(report->lines().texts(BandKind::Detail, 0), QStringList());
    }
}

} // namespace
