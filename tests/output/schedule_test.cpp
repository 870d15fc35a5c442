#include <random>

#include <gtest/gtest.h>

#include "output/bank_list_report.h"
#include "output/csv_file.h"
#include "output/report_layout.h"
#include "output/schedule_csv.h"
#include "output/schedule_report.h"
#include "output/schedule_rows.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using fixtures::put;

namespace {

const QDate June1(2026, 6, 1);

double day(int offsetFromJune1)
{
    return daydate::fromDate(June1.addDays(offsetFromJune1));
}

NoteRecord due(int offsetFromJune1, const QString &code, std::int64_t yen, const QString &number,
    int kind = PayableNote, int settled = 0)
{
    NoteRecord n;
    n.DueDate = day(offsetFromJune1);
    n.IssueDate = day(offsetFromJune1 - 60);
    put(n.PartnerCode, code);
    put(n.NoteNumber, number);
    n.Amount = Money::fromStored(yen * Money::Scale);
    n.Kind = static_cast<std::uint8_t>(kind);
    n.Settled = static_cast<std::uint8_t>(settled);
    return n;
}

std::vector<std::int32_t> everyIndex(const Notes &notes)
{
    std::vector<std::int32_t> all(notes.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int32_t>(i);
    return all;
}

// "n3" for a note line of note 3, "s2:500" for a subtotal of two notes worth 500 yen.
QStringList describe(const std::vector<schedule::Line> &lines)
{
    QStringList out;
    for (const schedule::Line &l : lines)
        out << (l.subtotal() ? u"s%1:%2"_s.arg(l.count).arg(l.amount.stored() / Money::Scale)
                             : u"n%1"_s.arg(l.note));
    return out;
}

// The printed run as the banded report produces it: a detail offered per day, stepped back to
// the same day after every printed note, the day's subtotal offered after every offer.
QStringList steppedRun(
    const Notes &notes, double startDay, int days, const std::vector<std::int32_t> &sorted)
{
    QStringList out;
    int rowCounter = -1;
    std::size_t listCursor = 0;
    int dayCount = 0;
    std::int64_t dayAmount = 0;
    bool breakPending = false;
    while (++rowCounter < days) {
        const double d = startDay + rowCounter;
        if (listCursor >= sorted.size()
            || notes[static_cast<std::size_t>(sorted[listCursor])].DueDate != d) {
            if (dayCount > 0)
                breakPending = true;
        } else {
            const NoteRecord &n = notes[static_cast<std::size_t>(sorted[listCursor])];
            out << u"n%1"_s.arg(sorted[listCursor]);
            ++dayCount;
            dayAmount += n.Amount.stored();
            ++listCursor;
            --rowCounter;
        }
        if (breakPending) {
            out << u"s%1:%2"_s.arg(dayCount).arg(dayAmount / Money::Scale);
            dayCount = 0;
            dayAmount = 0;
            breakPending = false;
        }
    }
    return out;
}

QByteArray sjisBytes(const QString &text)
{
    return sjis::encode(text);
}

QByteArray csvLine(const schedule::Table &table, const schedule::Row &row)
{
    QByteArray out;
    csv::LineWriter line(out);
    output::writeLine(line, table.columns(row), row);
    return out;
}

} // namespace

TEST(ScheduleOrder, SelectionTakesUnsettledNotesOfTheKindDueInThePeriodBothEndsIncluded)
{
    const Notes notes {
        due(0, u"001"_s, 1, u"start"_s), // 0
        due(-1, u"001"_s, 1, u"before"_s), // 1
        due(29, u"001"_s, 1, u"end"_s), // 2
        due(30, u"001"_s, 1, u"after"_s), // 3
        due(5, u"001"_s, 1, u"settled"_s, PayableNote, 1), // 4
        due(5, u"001"_s, 1, u"receivable"_s, ReceivableNote), // 5
        due(5, u"001"_s, 1, u"endorsed"_s, EndorsedNote), // 6
    };
    const std::vector<std::int32_t> order { 6, 5, 4, 3, 2, 1, 0 };
    EXPECT_EQ(schedule::selection(notes, order, 0, day(0), day(29)),
        (std::vector<std::int32_t> { 2, 0 }));
    EXPECT_EQ(
        schedule::selection(notes, order, 1, day(0), day(29)), std::vector<std::int32_t> { 5 });
    EXPECT_TRUE(schedule::selection(notes, order, 0, day(29), day(0)).empty());

    // A time of day on a due date counts as its day, at either end.
    Notes timed { due(29, u"001"_s, 1, u"x"_s) };
    timed[0].DueDate += 0.75;
    EXPECT_EQ(schedule::selection(timed, { 0 }, 0, day(0), day(29)).size(), 1u);
    EXPECT_EQ(schedule::lines(timed, day(0), 30, { 0 }).size(), 2u);
}

TEST(ScheduleOrder, SetArr3SortsByDueDayCodeAndIssueDateKeepingTiesInTheOrderGiven)
{
    Notes notes {
        due(2, u"001"_s, 1, u"a"_s), // 0
        due(1, u"0010"_s, 1, u"b"_s), // 1
        due(1, u"001"_s, 1, u"c"_s), // 2: issued later than 3
        due(1, u"001"_s, 1, u"d"_s), // 3
        due(1, u"002"_s, 1, u"e"_s), // 4
        due(1, u"001"_s, 1, u"f"_s), // 5: ties with 3
        due(0, u"999"_s, 1, u"g"_s), // 6
    };
    notes[2].IssueDate += 5;
    EXPECT_EQ(schedule::setArr3(notes, { 0, 1, 2, 3, 4, 5, 6 }),
        (std::vector<std::int32_t> { 6, 3, 5, 2, 1, 4, 0 }));
    EXPECT_EQ(schedule::setArr3(notes, { 5, 3 }), (std::vector<std::int32_t> { 5, 3 }));
}

TEST(ScheduleLines, EachDayWithNotesListsThemThenItsSubtotal)
{
    const Notes notes {
        due(3, u"001"_s, 100, u"a"_s), // 0
        due(3, u"002"_s, 250, u"b"_s), // 1
        due(4, u"001"_s, 7, u"c"_s), // 2
        due(0, u"003"_s, 1, u"start"_s), // 3
        due(9, u"003"_s, 2, u"end"_s), // 4
    };
    const auto sorted = schedule::setArr3(notes, everyIndex(notes));
    const auto lines = schedule::lines(notes, day(0), 10, sorted);
    EXPECT_EQ(describe(lines),
        (QStringList { u"n3"_s, u"s1:1"_s, u"n0"_s, u"n1"_s, u"s2:350"_s, u"n2"_s, u"s1:7"_s,
            u"n4"_s, u"s1:2"_s }));
    EXPECT_EQ(lines[4].day, day(3));
    EXPECT_EQ(lines[8].day, day(9));

    // The period cut short before the last note's day: it is never reached.
    EXPECT_EQ(describe(schedule::lines(notes, day(0), 9, sorted)).last(), u"s1:7"_s);
    EXPECT_TRUE(schedule::lines(notes, day(0), 0, sorted).empty());
    EXPECT_TRUE(schedule::lines(notes, day(0), 10, {}).empty());
}

TEST(ScheduleLines, EqualTheReportRunThatStepsBackOverADay)
{
    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        Notes notes;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i)
            notes.push_back(due(static_cast<int>(random() % 25) - 3,
                u"%1"_s.arg(random() % 4, 3, 10, QLatin1Char('0')),
                static_cast<std::int64_t>(random() % 1000), u"x"_s, static_cast<int>(random() % 2),
                static_cast<int>(random() % 3 == 0)));
        const int days = static_cast<int>(random() % 20);
        const auto sorted = schedule::setArr3(
            notes, schedule::selection(notes, everyIndex(notes), 0, day(0), day(days - 1)));
        EXPECT_EQ(describe(schedule::lines(notes, day(0), days, sorted)),
            steppedRun(notes, day(0), days, sorted))
            << "round " << round;
    }
}

TEST(ScheduleTexts, PrintedAndCsvFormsOfALine)
{
    const Notes notes { due(4, u"001"_s, 1234567, u"A-1"_s), due(4, u"002"_s, 1, u"B-1"_s) };
    const Partners partners { fixtures::partner(u"001"_s, u"Belmora"_s) };
    schedule::Line subtotal { -1, 2, day(4), Money::fromStored(-12'345'678 * Money::Scale) };
    const std::vector<schedule::Line> lines { { 0, 0, day(4), notes[0].Amount },
        { 1, 0, day(4), notes[1].Amount }, subtotal };
    const schedule::Table table(notes, partners, lines);
    const struct
    {
        QStringList printed;
        QString csv;
    } expected[] = {
        { { u"26年6月5日"_s, u"001"_s, u"Belmora"_s, u"A-1"_s, u" 1,234,567円"_s },
            u"26年06月05日,'001,Belmora,A-1,   1234567円"_s },
        // No partner bears the code: the date alone on paper, all but the name in the file.
        { { u"26年6月5日"_s, QString(), QString(), QString(), QString() },
            u"26年06月05日,'002,,B-1,         1円"_s },
        { { u"2件"_s, u"-12,345,678円"_s }, u",,2件, -12345678円"_s },
    };
    for (int i = 0; i < 3; ++i) {
        const std::optional<schedule::Row> row = table.row(i);
        ASSERT_TRUE(row);
        EXPECT_EQ(table.pageTexts(*row), expected[i].printed) << i;
        EXPECT_EQ(csvLine(table, *row), sjisBytes(expected[i].csv + u"\r\n"_s)) << i;
    }

    EXPECT_EQ(schedule::periodCaption(QDate(2026, 6, 1), QDate(2026, 6, 30)),
        u"2026/06/01～2026/06/30"_s);
    EXPECT_EQ(schedule::dayCount(QDate(2026, 6, 1), QDate(2026, 6, 30)), 30);
    EXPECT_EQ(schedule::dayCount(QDate(2026, 6, 1), QDate(2026, 6, 1)), 1);
    EXPECT_EQ(schedule::dayCount(QDate(2026, 6, 2), QDate(2026, 6, 1)), 0);
}

// The stored texts go out as they are: worked out by hand.
TEST(ScheduleTexts, CsvLinesQuoteStoredTextsWhereTheyMust)
{
    const struct
    {
        std::int64_t amount;
        QString code, number;
        std::string_view name;
        QString line;
    } cases[] = {
        { 0, QString(), u"A-1"_s, "", uR"(26年06月05日,',,A-1,         0円)"_s },
        { 5'000, u"0,1"_s, u"No,5"_s, "Belmora, Ltd.",
            uR"(26年06月05日,"'0,1","Belmora, Ltd.","No,5",         1円)"_s },
        { -99'999'999'999'999, u"\"q"_s, u"手形１"_s, "\x93\x8c\x8b\x9e",
            uR"(26年06月05日,"'""q",東京,手形１,-10000000000円)"_s },
        { 123'456'789'012'345'678, u"001"_s, u"=1"_s, "-",
            uR"(26年06月05日,'001,'-,'=1,12345678901235円)"_s },
    };
    for (const auto &c : cases) {
        NoteRecord n = due(4, c.code, 0, c.number);
        n.Amount = Money::fromStored(c.amount);
        const Notes notes { n };
        const Partners none;
        const std::vector<schedule::Line> lines { { 0, 0, n.DueDate, n.Amount } };
        const schedule::Table table(notes, none, lines);
        schedule::Row row = *table.row(0);
        row.partnerName = c.name;
        EXPECT_EQ(csvLine(table, row), sjisBytes(c.line + u"\r\n"_s)) << c.amount;
    }
}

namespace {

class ScheduleFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Tables t;
        t.partners = { fixtures::partner(u"001"_s, u"ベルモラ,商事"_s),
            fixtures::partner(u"002"_s, u"山田工業"_s),
            fixtures::partner(u"001"_s, u"二番目の名前"_s) };
        t.notes = {
            due(4, u"002"_s, 500, u"B-1"_s), // 0
            due(4, u"001"_s, 1'234'567, u"A-1"_s), // 1
            due(5, u"777"_s, 30, u"Z-9"_s), // 2: no such partner
            due(4, u"001"_s, 9, u"paid"_s, PayableNote, 1), // 3
        };
        state.Data.setTables(std::move(t));
    }

    std::vector<schedule::Line> linesOf(int kind, int days) const
    {
        const auto all = everyIndex(state.NoteTable);
        return schedule::lines(state.NoteTable, day(0), days,
            schedule::setArr3(state.NoteTable,
                schedule::selection(state.NoteTable, all, kind, day(0), day(days - 1))));
    }

    QString path() const { return dir.file(u"schedule.csv"_s); }

    TestDir dir;
    Session state { systemFileSystem() };
    QString error;
};

} // namespace

TEST_F(ScheduleFiles, Csv3IsWrittenByteForByte)
{
    ASSERT_TRUE(CSV3(path(), state.Data.tables(), linesOf(PayableNote, 30), u"出　金　予　定　表"_s,
        u"2026/06/01～2026/06/30"_s, &error, nullptr, systemFileSystem()))
        << error.toStdString();
    EXPECT_EQ(dir.read(u"schedule.csv"_s),
        sjisBytes(u"出　金　予　定　表,2026/06/01～2026/06/30\r\n"
                  u"日付,,取引先名,手形番号,金額\r\n"
                  u"26年06月05日,'001,\"ベルモラ,商事\",A-1,   1234567円\r\n"
                  u"26年06月05日,'002,山田工業,B-1,       500円\r\n"
                  u",,2件,   1235067円\r\n"
                  u"26年06月06日,'777,,Z-9,        30円\r\n"
                  u",,1件,        30円\r\n"_s));
}

TEST_F(ScheduleFiles, APeriodWithoutDueNotesGivesTheTwoHeaderLines)
{
    ASSERT_TRUE(CSV3(path(), state.Data.tables(), linesOf(ReceivableNote, 30),
        u"入　金　予　定　表"_s, u"2026/06/01～2026/06/30"_s, &error, nullptr, systemFileSystem()));
    EXPECT_EQ(dir.read(u"schedule.csv"_s),
        sjisBytes(
            u"入　金　予　定　表,2026/06/01～2026/06/30\r\n日付,,取引先名,手形番号,金額\r\n"_s));
}

TEST_F(ScheduleFiles, TheReportPrintsNotesAsDetailsAndSubtotalsAsChildBands)
{
    auto report = output::scheduleReport(state.Data.tables(), linesOf(PayableNote, 30),
        u"出　金　予　定　表"_s, u"2026/06/01～2026/06/30"_s);
    EXPECT_EQ(report->headerTexts(),
        (QStringList { u"出　金　予　定　表"_s, u"2026/06/01～2026/06/30"_s }));
    const output::Layout &layout = report->layout();
    ASSERT_EQ(layout.pageCount(), 1);
    const auto page = layout.page(0);
    ASSERT_EQ(page.size(), 5u);
    const output::BandKind kinds[] = { output::BandKind::Detail, output::BandKind::Detail,
        output::BandKind::Child, output::BandKind::Detail, output::BandKind::Child };
    for (std::size_t i = 0; i < page.size(); ++i) {
        EXPECT_EQ(page[i].band, kinds[i]) << i;
        EXPECT_EQ(
            page[i].height, output::micrometres(kinds[i] == output::BandKind::Child ? 5.6 : 5.3))
            << i;
    }
    const auto &lines = report->lines();
    EXPECT_EQ(lines.texts(output::BandKind::Child, page[2].line),
        (QStringList { u"2件"_s, u" 1,235,067円"_s }));
    // The partner no record bears: the date alone, still counted in its day.
    EXPECT_EQ(lines.texts(output::BandKind::Detail, page[3].line),
        (QStringList { u"26年6月6日"_s, QString(), QString(), QString(), QString() }));
    EXPECT_EQ(lines.texts(output::BandKind::Child, page[4].line),
        (QStringList { u"1件"_s, u"        30円"_s }));
    // First match of a code registered twice.
    EXPECT_EQ(lines.texts(output::BandKind::Detail, page[0].line).value(2), u"ベルモラ,商事"_s);

    // 5.3 and 5.6 mm lines over a 277 mm body less the header: a long schedule breaks into pages
    // with every band whole.
    Notes many;
    for (int i = 0; i < 200; ++i)
        many.push_back(due(i / 3, u"002"_s, 1, u"m"_s));
    fixtures::reload(state, [&](Tables &t) { t.notes = many; });
    auto longer = output::scheduleReport(state.Data.tables(), linesOf(PayableNote, 80), {}, {});
    const output::Layout &pages = longer->layout();
    const std::int32_t bottom = output::micrometres(297 - 10);
    std::size_t placed = 0;
    for (int p = 0; p < pages.pageCount(); ++p)
        for (const output::Placement &band : pages.page(p)) {
            EXPECT_LE(band.top + band.height, bottom);
            ++placed;
        }
    EXPECT_EQ(placed, 200u + 67u);
    EXPECT_GT(pages.pageCount(), 1);
}

namespace {

class BankListFiles : public ScheduleFiles
{
};

} // namespace

TEST_F(BankListFiles, Csv4ListsEveryBankInTableOrderQuotingCommas)
{
    fixtures::reload(state, [](Tables &t) {
        t.banks = { fixtures::bank(u"0009"_s, u"みずほ銀行"_s),
            fixtures::bank(u"0001"_s, u"Belmora Bank, Tokyo"_s),
            fixtures::bank(u"0005"_s, u"三井住友銀行　本店"_s) };
    });
    ASSERT_TRUE(CSV4(path(), state.Data.tables(), &error, nullptr, systemFileSystem()))
        << error.toStdString();
    EXPECT_EQ(dir.read(u"schedule.csv"_s),
        sjisBytes(u"登録銀行一覧表\r\nコード,登録銀行名\r\n"
                  u"0009,みずほ銀行\r\n"
                  u"0001,\"Belmora Bank, Tokyo\"\r\n"
                  u"0005,三井住友銀行　本店\r\n"_s));

    fixtures::reload(state, [](Tables &t) { t.banks.clear(); });
    ASSERT_TRUE(CSV4(path(), state.Data.tables(), &error, nullptr, systemFileSystem()));
    EXPECT_EQ(dir.read(u"schedule.csv"_s), sjisBytes(u"登録銀行一覧表\r\nコード,登録銀行名\r\n"_s));

    // Names go out as stored: an NEC character (87 90), an IBM one (ED 40) and a byte that
    // decodes to nothing keep their bytes, as in the other three files.
    fixtures::reload(state, [](Tables &t) {
        BankRecord b;
        b.Code.assign("B1");
        b.Name.assign("\x87\x90\xed\x40\x80");
        t.banks = { b };
    });
    ASSERT_TRUE(CSV4(path(), state.Data.tables(), &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(dir.read(u"schedule.csv"_s).endsWith("B1,\x87\x90\xed\x40\x80\r\n"));
}

TEST_F(BankListFiles, TheReportHasOneRowPerBankOfOneHeightWhateverTheNameLength)
{
    // 32 full-width characters, the 64 bytes a name can hold, beside a short name and ones of
    // 48 and 49 bytes.
    const QString longest(32, QChar(u'銀'));
    const QString bytes48(24, QChar(u'行'));
    const QString bytes49 = bytes48 + u'A';
    fixtures::reload(state, [&](Tables &t) {
        t.banks = { fixtures::bank(u"0009"_s, u"みずほ銀行"_s), fixtures::bank(u"0001"_s, longest),
            fixtures::bank(u"0002"_s, bytes48), fixtures::bank(u"0003"_s, bytes49) };
    });
    ASSERT_EQ(state.BankTable[1].Name.view().size(), 64u);
    auto report = output::bankListReport(state.Data.tables(), u"2026年06月05日現在"_s);
    EXPECT_EQ(report->headerTexts(),
        (QStringList { u"登　録　銀　行　一　覧　表"_s, u"2026年06月05日現在"_s }));
    const auto page = report->layout().page(0);
    ASSERT_EQ(page.size(), 4u);
    for (const output::Placement &row : page) {
        EXPECT_EQ(row.height, output::micrometres(5.6));
        EXPECT_EQ(row.band, output::BandKind::Detail);
    }
    EXPECT_EQ(report->lines().texts(output::BandKind::Detail, 0),
        (QStringList { u"0009"_s, u"みずほ銀行"_s }));
    EXPECT_EQ(report->lines().texts(output::BandKind::Detail, 1).value(1), longest);
    EXPECT_EQ(report->lines().texts(output::BandKind::Detail, 3).value(0), u"0003"_s);

    fixtures::reload(state, [](Tables &t) { t.banks.clear(); });
    auto empty = output::bankListReport(state.Data.tables(), u"2026年06月05日現在"_s);
    EXPECT_EQ(empty->layout().pageCount(), 1);
    EXPECT_TRUE(empty->layout().page(0).empty());
}

// A day's subtotal past the 64-bit range says it goes further, printed and in CSV alike.
TEST(Schedule, ASubtotalPastTheRangeSaysItGoesFurther)
{
    const std::int64_t most = INT64_MAX / Money::Scale;
    Notes notes(3);
    for (NoteRecord &n : notes) {
        n.Kind = PayableNote;
        n.DueDate = 45000;
        n.IssueDate = 44990;
        n.Amount = Money::fromStored(most * Money::Scale);
    }
    const std::vector<schedule::Line> lines = schedule::lines(notes, 45000, 1, { 0, 1, 2 });
    ASSERT_EQ(lines.size(), 4u);
    ASSERT_TRUE(lines[3].subtotal());
    const Partners partners { fixtures::partner({}, u"A"_s) };
    const schedule::Table table(notes, partners, lines);
    EXPECT_TRUE(table.pageTexts(*table.row(3)).last().endsWith(u"円以上"_s));
    EXPECT_TRUE(csvLine(table, *table.row(3)).endsWith(sjisBytes(u"円以上\r\n"_s)));
    const QString one = table.pageTexts(*table.row(0)).last();
    EXPECT_TRUE(one.endsWith(u"円"_s) && !one.endsWith(u"以上"_s)) << "each note is in range";
}
