#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include <QDir>

#include "output/csv_file.h"
#include "output/partner_summary.h"
#include "output/partner_summary_report.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using fixtures::put;

namespace {

const double Day0 = daydate::fromDate(QDate(2024, 1, 1));

NoteRecord noteOf(const QString &code, int kind, double issueDay, int term, std::int64_t units = 0)
{
    NoteRecord n;
    put(n.PartnerCode, code);
    n.Kind = static_cast<std::uint8_t>(kind);
    n.IssueDate = Day0 + issueDay;
    n.DueDate = n.IssueDate + term;
    n.Amount = Money::fromStored(units * Money::Scale);
    return n;
}

// Receivable notes of one partner with the given terms, issued a day apart in table order.
Notes terms(std::initializer_list<int> days)
{
    Notes notes;
    int issued = 0;
    for (int t : days)
        notes.push_back(noteOf(u"001"_s, ReceivableNote, issued++, t));
    return notes;
}

PartnerStatistics of(const Notes &notes)
{
    return partnerStatistics("001", notes);
}

PartnerRecord partnerOf(const QString &code, const QString &name, const QString &bankCode = {})
{
    PartnerRecord p = fixtures::partner(code, name);
    put(p.BankCode, bankCode);
    return p;
}

// The printed texts of a partner's line, in the order of the columns.
QStringList printed(const PartnerRecord &partner, const PartnerStatistics &s)
{
    return output::pageTexts(partnerSummaryColumns(), PartnerLine { &partner, &s, {} });
}

template <typename Row>
QByteArray csvLine(std::span<const output::Column<Row>> columns, const Row &row)
{
    QByteArray out;
    csv::LineWriter line(out);
    output::writeLine(line, columns, row);
    return out;
}

std::vector<std::int32_t> everyRow(std::size_t n)
{
    std::vector<std::int32_t> rows(n);
    for (std::size_t i = 0; i < n; ++i)
        rows[i] = static_cast<std::int32_t>(i);
    return rows;
}

// The mean term of the latest five receivable notes straight from its meaning: the notes with
// the latest issue days, the earlier in the table first among equal days.
double latestFiveByDefinition(std::string_view code, const Notes &notes)
{
    std::vector<std::size_t> picked;
    for (std::size_t i = 0; i < notes.size(); ++i)
        if (notes[i].PartnerCode.view() == code && notes[i].Kind == ReceivableNote)
            picked.push_back(i);
    std::stable_sort(picked.begin(), picked.end(),
        [&](std::size_t a, std::size_t b) { return notes[a].IssueDate > notes[b].IssueDate; });
    picked.resize(std::min<std::size_t>(picked.size(), 5));
    if (picked.empty())
        return 0;
    double sum = 0;
    for (std::size_t i : picked)
        sum += termDays(notes[i]);
    return sum / static_cast<double>(picked.size());
}

} // namespace

TEST(PartnerSummary, SetArr2OrdersByCodeAsShortStringsKeepingEqualCodesInTheOrderGiven)
{
    const Partners partners { partnerOf(u"002"_s, u"A"_s), partnerOf(u"0010"_s, u"B"_s),
        partnerOf(u"001"_s, u"C"_s), partnerOf(u"ｱ"_s, u"D"_s), partnerOf(u"00"_s, u"E"_s),
        partnerOf(u"001"_s, u"F"_s), partnerOf(u"Z"_s, u"G"_s) };
    EXPECT_EQ(setArr2(partners, { 0, 1, 2, 3, 4, 5, 6 }),
        (std::vector<std::int32_t> { 4, 2, 5, 1, 0, 6, 3 }));
    EXPECT_EQ(setArr2(partners, { 5, 2 }), (std::vector<std::int32_t> { 5, 2 }));
    EXPECT_TRUE(setArr2(partners, {}).empty());
}

TEST(PartnerSummary, APartnerWithoutNotesShowsZerosEverywhere)
{
    const PartnerStatistics s = of({});
    EXPECT_EQ(s, PartnerStatistics {});
    const PartnerRecord partner = partnerOf(u"001"_s, u"山田"_s);
    EXPECT_EQ(printed(partner, s),
        (QStringList { u"001"_s, u"山田"_s, u"0件"_s, u"         0円"_s, u"0件"_s,
            u"         0円"_s, u"0日"_s, u"0日"_s, u"0.0日"_s, u"0.0日"_s, QString() }));
}

TEST(PartnerSummary, CountsOnlyPayableAndReceivableNotesOfExactlyThisCodeSettledOrNot)
{
    Notes notes;
    for (int kind = PayableNote; kind <= Cheque; ++kind)
        notes.push_back(noteOf(u"001"_s, kind, 0, 10, 1000 + kind));
    notes.push_back(noteOf(u"001"_s, PayableNote, 0, 10, 20000));
    notes.back().Settled = 1;
    notes.push_back(noteOf(u"001"_s, ReceivableNote, 0, 30, 300));
    notes.back().Settled = 1;
    // Not this partner: a longer code, a trailing blank, a shorter code.
    for (const QString &other : { u"0010"_s, u"001 "_s, u"00"_s })
        notes.push_back(noteOf(other, ReceivableNote, 0, 99, 5));

    const PartnerStatistics s = of(notes);
    EXPECT_EQ(s.PayableCount, 2);
    EXPECT_EQ(s.PayableAmount, Money::fromStored(21000 * Money::Scale));
    EXPECT_EQ(s.ReceivableCount, 2);
    EXPECT_EQ(s.ReceivableAmount, Money::fromStored(1301 * Money::Scale));
    EXPECT_EQ(s.Shortest, 10);
    EXPECT_EQ(s.Longest, 30);
    EXPECT_DOUBLE_EQ(s.Average, 20.0);
}

TEST(PartnerSummary, TermStatisticsOfThreeAndOfEightNotes)
{
    PartnerStatistics s = of(terms({ 30, 45, 60 }));
    EXPECT_EQ(s.Shortest, 30);
    EXPECT_EQ(s.Longest, 60);
    EXPECT_DOUBLE_EQ(s.Average, 45.0);
    EXPECT_DOUBLE_EQ(s.LatestAverage, 45.0);
    EXPECT_EQ(printed(partnerOf(u"001"_s, u"X"_s), s).mid(output::ShortestField, 4),
        QStringList({ u"30日"_s, u"60日"_s, u"45.0日"_s, u"45.0日"_s }));

    // The same terms in another table order give the same figures.
    EXPECT_EQ(of(terms({ 60, 30, 45 })).Shortest, 30);

    s = of(terms({ 10, 20, 30, 40, 50, 60, 70, 80 }));
    EXPECT_DOUBLE_EQ(s.Average, 45.0);
    EXPECT_DOUBLE_EQ(s.LatestAverage, 60.0); // 40 to 80
    EXPECT_EQ(s.Shortest, 10);
    EXPECT_EQ(s.Longest, 80);

    // Entered latest first, the latest five are still the ones counted.
    Notes backwards;
    for (int i = 0; i < 8; ++i)
        backwards.push_back(noteOf(u"001"_s, ReceivableNote, 8 - i, 80 - 10 * i));
    EXPECT_DOUBLE_EQ(of(backwards).LatestAverage, 60.0);
}

TEST(PartnerSummary, OfNotesIssuedTheSameDayAtTheBoundaryTheEarlierInTheTableStays)
{
    // Five notes on one day: the sixth of that day does not enter.
    Notes sameDay;
    for (int t = 1; t <= 6; ++t)
        sameDay.push_back(noteOf(u"001"_s, ReceivableNote, 0, t));
    EXPECT_DOUBLE_EQ(of(sameDay).LatestAverage, 3.0);

    // Two notes of an earlier day, then four of a later day: one of the two must go, and the
    // later in the table goes (terms 100 stays, 200 goes).
    Notes boundary { noteOf(u"001"_s, ReceivableNote, 0, 100),
        noteOf(u"001"_s, ReceivableNote, 0, 200) };
    for (int i = 0; i < 4; ++i)
        boundary.push_back(noteOf(u"001"_s, ReceivableNote, 5, 1));
    EXPECT_DOUBLE_EQ(of(boundary).LatestAverage, 20.8);
    EXPECT_DOUBLE_EQ(latestFiveByDefinition("001", boundary), 20.8);
}

TEST(PartnerSummary, NegativeAndZeroTerms)
{
    // A note due before its issue day may be the shortest; the longest stays at 0 or above.
    PartnerStatistics s = of(terms({ 30, -5, 10 }));
    EXPECT_EQ(s.Shortest, -5);
    EXPECT_EQ(s.Longest, 30);
    s = of(terms({ -5, -3 }));
    EXPECT_EQ(s.Shortest, -5);
    EXPECT_EQ(s.Longest, 0);
    EXPECT_EQ(printed(partnerOf(u"001"_s, u"X"_s), s).at(output::AverageField), u"-4.0日"_s);

    // A real term of 0 days stays the shortest, whatever follows it.
    EXPECT_EQ(of(terms({ 0, 30 })).Shortest, 0);
    EXPECT_EQ(of(terms({ 30, 0, 45 })).Shortest, 0);
    EXPECT_EQ(of(terms({ 0, 30 })).Longest, 30);
    EXPECT_EQ(of(terms({ 0 })).Shortest, 0);
}

TEST(PartnerSummary, OnePassOverAllNotesEqualsEachPartnersOwnPass)
{
    // Few codes and few days: many partners share notes' issue days, many five-note boundaries
    // fall on ties, and some codes differ only by length or a trailing blank.
    const QStringList codes { u"001"_s, u"0010"_s, u"001 "_s, u"00"_s, u"ｱ1"_s, u"X"_s, u""_s,
        u"999"_s };
    Partners partners;
    for (const QString &code : codes.mid(0, 7))
        partners.push_back(partnerOf(code, u"名"_s));
    partners.push_back(partnerOf(u"001"_s, u"二度目"_s)); // one code registered twice
    Notes notes;
    std::mt19937 random(7);
    for (int i = 0; i < 4000; ++i) {
        const QString &code = codes[static_cast<qsizetype>(random() % codes.size())];
        notes.push_back(noteOf(code, static_cast<int>(random() % 5),
            static_cast<double>(random() % 12), static_cast<int>(random() % 61) - 10,
            static_cast<std::int64_t>(random() % 100000) - 20000));
    }
    const std::vector<std::int32_t> rows = setArr2(partners, everyRow(partners.size()));
    const std::vector<PartnerStatistics> all = partnerStatisticsOfRows(partners, notes, rows);
    ASSERT_EQ(all.size(), partners.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string_view code = partners[static_cast<std::size_t>(rows[r])].Code.view();
        SCOPED_TRACE(std::string(code));
        EXPECT_EQ(all[r], partnerStatistics(code, notes));
        EXPECT_DOUBLE_EQ(all[r].LatestAverage, latestFiveByDefinition(code, notes));
        EXPECT_GT(all[r].ReceivableCount, 5);
    }
    // Rows naming no partner get nothing and break nothing.
    const std::vector<PartnerStatistics> odd = partnerStatisticsOfRows(partners, notes, { -1, 99 });
    EXPECT_EQ(odd, std::vector<PartnerStatistics>(2));
}

TEST(PartnerSummary, TheTotalsLineIsTheSumOfThePartnerLines)
{
    Session s { systemFileSystem() };
    s.Data.setTables(
        { { noteOf(u"001"_s, PayableNote, 0, 0, 1'234'567),
              noteOf(u"002"_s, PayableNote, 0, 0, 1000), noteOf(u"001"_s, ReceivableNote, 0, 30, 7),
              noteOf(u"002"_s, ReceivableNote, 0, 30, -50),
              noteOf(u"002"_s, ReceivableNote, 0, 30, 3),
              noteOf(u"004"_s, PayableNote, 0, 0, 999) },
            { partnerOf(u"002"_s, u"乙"_s), partnerOf(u"001"_s, u"甲"_s),
                partnerOf(u"003"_s, u"丙"_s) },
            {} });
    const auto report = output::partnerSummaryReport(
        s.Data.tables(), setArr2(s.PartnerTable, { 0, 1, 2 }), u"2024年06月30日現在"_s);
    const output::LineSource &lines = report->lines();
    ASSERT_EQ(lines.count(), 3);
    EXPECT_EQ(lines.texts(output::BandKind::Detail, 0).at(output::PartnerCodeField), u"001"_s);
    EXPECT_EQ(lines.texts(output::BandKind::Totals, 3),
        QStringList({ u"2件"_s, u" 1,235,567円"_s, u"3件"_s, u"       -40円"_s }));
    EXPECT_EQ(report->headerTexts(), QStringList { u"2024年06月30日現在"_s });

    PartnerTotals totals;
    for (const auto &partner : s.PartnerTable)
        totals.add(partnerStatistics(partner.Code.view(), s.NoteTable));
    EXPECT_EQ(csvLine(partnerTotalsColumns(), totals),
        sjis::encode(u",合計,2件,   1235567円,3件,       -40円,\r\n"_s));
}

TEST(PartnerSummary, ANameOver22BytesOrABankNameOver48BytesTakesTheTallRow)
{
    Tables t;
    t.banks = { fixtures::bank(u"B48"_s, QString(24, u'銀')),
        fixtures::bank(u"B49"_s, QString(24, u'銀') + u"A"_s) };
    t.partners = { partnerOf(u"1"_s, QString(11, u'商')), // 22 bytes
        partnerOf(u"2"_s, QString(11, u'商') + u"A"_s), // 23 bytes
        partnerOf(u"3"_s, u"短"_s, u"B48"_s), partnerOf(u"4"_s, u"短"_s, u"B49"_s) };
    Session s { systemFileSystem() };
    s.Data.setTables(std::move(t));
    const auto report = output::partnerSummaryReport(s.Data.tables(), { 0, 1, 2, 3 }, {});
    const output::LineSource &lines = report->lines();
    struct Expected
    {
        double row;
        float name;
        float bank;
    };
    const Expected expected[] = { { 5.3, 4.5f, 4.5f }, { 9.0, 9.0f, 4.5f }, { 5.3, 4.5f, 4.5f },
        { 9.0, 4.5f, 9.0f } };
    for (int line = 0; line < 4; ++line) {
        SCOPED_TRACE(line);
        const output::LineShape shape = lines.shape(line);
        EXPECT_DOUBLE_EQ(shape.height, expected[line].row);
        EXPECT_FLOAT_EQ(shape.grown[0], expected[line].name);
        EXPECT_FLOAT_EQ(shape.grown[1], expected[line].bank);
    }
    // The design's name boxes are the ones that grow.
    const output::ReportDesign d = output::partnerSummaryDesign();
    std::vector<int> nameSlots, bankSlots, otherSlots;
    for (const output::Box &b : d.detail.boxes) {
        if (b.field == output::PartnerNameTextField)
            nameSlots.push_back(b.growSlot);
        else if (b.field == output::PartnerBankNameField)
            bankSlots.push_back(b.growSlot);
        else if (b.growSlot != -1)
            otherSlots.push_back(b.field);
    }
    EXPECT_EQ(nameSlots, std::vector<int> { 0 });
    EXPECT_EQ(bankSlots, std::vector<int> { 1 });
    EXPECT_EQ(otherSlots, std::vector<int> {}) << "fields of boxes that grow but should not";
}

TEST(PartnerSummary, Csv2WritesTheHeadOneLinePerPartnerAndTheTotals)
{
    TestDir dir;
    Tables t;
    t.banks = { fixtures::bank(u"B01"_s, u"みずほ銀行"_s) };
    t.partners = { partnerOf(u"002"_s, u"山田,工業"_s), partnerOf(u"001"_s, u"甲商事"_s, u"B01"_s),
        partnerOf(u"003"_s, u"\"丙\""_s, u"B99"_s) };
    t.notes = { noteOf(u"001"_s, PayableNote, 0, 0, 1'234'567),
        noteOf(u"001"_s, ReceivableNote, 0, 1200, 5), noteOf(u"001"_s, ReceivableNote, 1, 1269, 5),
        noteOf(u"002"_s, ReceivableNote, 0, -3, -12) };
    Session s { systemFileSystem() };
    s.Data.setTables(std::move(t));
    const QString path = dir.file(u"partners.csv"_s);
    QString error;
    ASSERT_TRUE(CSV2(path, s.Data.tables(), setArr2(s.PartnerTable, { 0, 1, 2 }), &error, nullptr,
        systemFileSystem()))
        << error.toStdString();
    const QString expected = u"登録取引先一覧表\r\n"
                             u"コード,取引先名,支払手形,,受取手形,,受取手形期日,,,,振出銀行名\r\n"
                             u",,件数,残高,件数,残高,最短,最長,平均,最近5回平均\r\n"
                             u"'001,甲商事,1件,   1234567円,2件,        10円,1200日,1269日,"
                             u"\"1,234.5日\",\"1,234.5日\",みずほ銀行\r\n"
                             u"'002,\"山田,工業\",0件,         0円,1件,       -12円,-3日,0日,"
                             u"-3.0日,-3.0日,\r\n"
                             u"'003,\"\"\"丙\"\"\",0件,         0円,0件,         0円,0日,0日,"
                             u"0.0日,0.0日,\r\n"
                             u",合計,1件,   1234567円,3件,        -2円,\r\n"_s;
    EXPECT_EQ(dir.read(u"partners.csv"_s), sjis::encode(expected));

    // No partners: the head and a totals line of zeros.
    const Session empty { systemFileSystem() };
    ASSERT_TRUE(CSV2(path, empty.Data.tables(), {}, &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(dir.read(u"partners.csv"_s)
                    .endsWith(sjis::encode(
                        u"最近5回平均\r\n,合計,0件,         0円,0件,         0円,\r\n"_s)));

    // A folder in the way: nothing written, and the reason names the file.
    const QString blocked = dir.file(u"taken"_s);
    QDir(dir.path()).mkdir(u"taken"_s);
    EXPECT_FALSE(CSV2(blocked, s.Data.tables(), { 0 }, &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(error.contains(blocked));
}

// Worked out by hand: stored texts as they are, quoted where they must be; figures rounded half
// away from zero.
TEST(PartnerSummary, TheCsvLineOfAPartner)
{
    const PartnerRecord partners[] = { partnerOf(u"001"_s, u"山田,工業"_s),
        partnerOf(u"0,1"_s, u"\"引用\"名"_s), partnerOf(u""_s, u"改\r\n行"_s),
        partnerOf(u"ｱｲ"_s, u"=名"_s) };
    std::vector<PartnerStatistics> stats(4);
    stats[0].Average = -0.04; // no sign on a figure that rounds to zero
    stats[1].PayableAmount = Money::fromStored(-5000); // -0.5 rounds away from zero
    stats[1].ReceivableAmount = Money::fromStored(-4999); // -0.4999 is no negative figure
    stats[1].Shortest = -2'000'000;
    stats[1].Average = 123456.75;
    stats[1].LatestAverage = -1234.56;
    stats[2].PayableAmount = Money::fromStored(9'999'999'999'995'000); // 999,999,999,999.5
    stats[2].PayableCount = 2'000'000'000;
    stats[3].Average = 0.05;
    stats[3].LatestAverage = 999.96;
    stats[3].ReceivableAmount = Money::fromStored(INT64_MIN); // a sum that stopped at the end
    const std::string_view banks[] = { "", "Bank,One", "\x82\xa0\"" };
    const QString lines[] = {
        uR"('001,"山田,工業",0件,         0円,0件,         0円,0日,0日,0.0日,0.0日,)"_s,
        uR"("'0,1","""引用""名",0件,        -1円,0件,         0円,-2000000日,0日,"123,456.8日","-1,234.6日","Bank,One")"_s,
        u"',\"改\r\n行\",2000000000件,1000000000000円,0件,         0円,0日,0日,0.0日,0.0日,\"あ\"\"\""_s,
        uR"('ｱｲ,'=名,0件,         0円,0件,-922337203685478円以下,0日,0日,0.1日,"1,000.0日",)"_s,
    };
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const PartnerLine line { &partners[i], &stats[i], banks[i % 3] };
        EXPECT_EQ(csvLine(partnerSummaryColumns(), line), sjis::encode(lines[i] + u"\r\n"_s));
    }
}

// Balances past the 64-bit range stop at its end and say so: the figure is not the true one.
TEST(PartnerSummary, ABalancePastTheRangeSaysItGoesFurther)
{
    const std::int64_t most = INT64_MAX / Money::Scale;
    const Notes notes = { noteOf(u"001"_s, PayableNote, 0, 10, most),
        noteOf(u"001"_s, PayableNote, 0, 10, most), noteOf(u"001"_s, ReceivableNote, 0, 10, -most),
        noteOf(u"001"_s, ReceivableNote, 0, 10, -most),
        noteOf(u"001"_s, ReceivableNote, 0, 10, 5) };
    const PartnerStatistics s = of(notes);
    EXPECT_TRUE(s.PayableAmount.atUpperLimit());
    EXPECT_TRUE(s.ReceivableAmount.atLowerLimit()) << "never wrapped round by the 5 after it";
    const PartnerRecord partner = partnerOf(u"001"_s, u"X"_s);
    const QStringList t = printed(partner, s);
    EXPECT_TRUE(t[output::PayableBalanceField].endsWith(u"円以上"_s));
    EXPECT_TRUE(t[output::ReceivableBalanceField].endsWith(u"円以下"_s));
    const QStringList csvFields =
        sjis::decode(csvLine(partnerSummaryColumns(), PartnerLine { &partner, &s, {} }))
            .split(u',');
    EXPECT_TRUE(csvFields[3].endsWith(u"円以上"_s));
    EXPECT_TRUE(csvFields[5].endsWith(u"円以下"_s));
    const PartnerStatistics plain = of({ noteOf(u"001"_s, PayableNote, 0, 10, 1000) });
    EXPECT_TRUE(printed(partner, plain)[output::PayableBalanceField].endsWith(u"0円"_s));
}
