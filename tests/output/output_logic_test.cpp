#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "output/csv_file.h"
#include "output/csv_line.h"
#include "output/note_list_csv.h"
#include "output/output_choices.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/full_disk.h"
#include "tests/support/other_user.h"
#include "tests/support/scripted_progress.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using fixtures::put;

namespace {

NoteRecord issued(QDate day, const QString &code, std::int64_t units, int kind = PayableNote)
{
    NoteRecord n;
    n.IssueDate = daydate::fromDate(day);
    put(n.PartnerCode, code);
    n.Amount = Money::fromStored(units * Money::Scale);
    n.Kind = static_cast<std::uint8_t>(kind);
    return n;
}

QByteArray sjisBytes(const QString &text)
{
    return sjis::encode(text);
}

// Everything in a folder, hidden files included.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(OutputChoices, OpeningPeriodIsAMonthBackClampedToTheShorterMonth)
{
    EXPECT_EQ(
        openingPeriod(QDate(2024, 3, 31)), std::make_pair(QDate(2024, 2, 29), QDate(2024, 3, 31)));
    EXPECT_EQ(
        openingPeriod(QDate(2023, 3, 31)), std::make_pair(QDate(2023, 2, 28), QDate(2023, 3, 31)));
    EXPECT_EQ(
        openingPeriod(QDate(2024, 1, 15)), std::make_pair(QDate(2023, 12, 15), QDate(2024, 1, 15)));
}

TEST(OutputChoices, SetArrOrdersByIssueDateCodeAndAmountKeepingTiesInTheOrderGiven)
{
    const QDate d1(2024, 5, 1);
    const QDate d2(2024, 5, 2);
    Notes notes {
        issued(d2, u"001"_s, 10), // 0
        issued(d1, u"0010"_s, 1), // 1
        issued(d1, u"001"_s, 500), // 2
        issued(d1, u"001"_s, -3), // 3
        issued(d1, u"001"_s, 500), // 4: same keys as 2
        issued(d1, u"ｱ"_s, 1), // 5: a half-width kana byte is above every ASCII byte
        issued(d1, u"Z"_s, 9), // 6
        issued(d1, u"00"_s, 7), // 7
    };
    ReportState report;
    report.setArr(notes, { 0, 1, 2, 3, 4, 5, 6, 7 });
    EXPECT_EQ(report.SourceOrder, (std::vector<std::int32_t> { 7, 3, 2, 4, 1, 6, 5, 0 }));

    // Ties keep the order they were handed over in, not table order.
    report.setArr(notes, { 4, 2, 0 });
    EXPECT_EQ(report.SourceOrder, (std::vector<std::int32_t> { 4, 2, 0 }));

    report.setArr(notes, {});
    EXPECT_TRUE(report.SourceOrder.empty());
}

TEST(OutputChoices, JournalRowsTakeOneKindIssuedInThePeriodWithBothEndsIncluded)
{
    const QDate start(2024, 4, 1);
    const QDate end(2024, 4, 30);
    Notes notes {
        issued(start.addDays(-1), u"1"_s, 1), // 0: the day before
        issued(start, u"2"_s, 1), // 1: first day
        issued(end, u"1"_s, 1), // 2: last day
        issued(end.addDays(1), u"1"_s, 1), // 3: the day after
        issued(start.addDays(3), u"1"_s, 1, ReceivableNote), // 4: another kind
        issued(start.addDays(3), u"1"_s, 1, Cheque), // 5
    };
    const std::vector<std::int32_t> order { 2, 5, 4, 3, 1, 0 };
    const double s = daydate::fromDate(start);
    const double e = daydate::fromDate(end);
    EXPECT_EQ(journalRows(notes, order, PayableNote, s, e), (std::vector<std::int32_t> { 2, 1 }));
    EXPECT_EQ(journalRows(notes, order, Cheque, s, e), (std::vector<std::int32_t> { 5 }));
    EXPECT_EQ(journalRows(notes, order, DiscountedNote, s, e), std::vector<std::int32_t> {});
    EXPECT_EQ(journalRows(notes, order, PayableNote, s, s), (std::vector<std::int32_t> { 1 }));
    // A start after the end selects nothing.
    EXPECT_TRUE(journalRows(notes, order, PayableNote, e, s).empty());
}

TEST(OutputChoices, TitlesAndCaptions)
{
    const QStringList journals { u"支払手形記入帳"_s, u"受取手形記入帳"_s, u"裏書手形記入帳"_s,
        u"割引手形記入帳"_s, u"小切手記入帳"_s };
    for (int choice = 0; choice < 5; ++choice)
        EXPECT_EQ(choiceTitle(choice), journals[choice]);
    EXPECT_EQ(choiceTitle(outputchoice::PaymentSchedule), u"出　金　予　定　表"_s);
    EXPECT_EQ(choiceTitle(outputchoice::CollectionSchedule), u"入　金　予　定　表"_s);
    EXPECT_EQ(choiceTitle(outputchoice::DataSheetRows), u"条件抽出一覧表"_s);

    EXPECT_EQ(periodCaption(QDate(2001, 6, 1), QDate(2001, 6, 30)),
        u"2001/06/01\u3000\uFF5E\u30002001/06/30"_s);
    EXPECT_EQ(asOfCaption(QDate(2001, 6, 30)), u"2001年06月30日現在"_s);
    EXPECT_EQ(asOfCaption(QDate(2024, 12, 5)), u"2024年12月05日現在"_s);
}

TEST(CsvLines, FieldsAreQuotedOnlyWhenTheyWouldBreakTheLine)
{
    const struct
    {
        QStringList fields;
        QString line;
    } cases[] = {
        { { u"'001"_s, u"   1234567"_s }, u"'001,   1234567"_s }, { { QString() }, QString() },
        { {}, QString() }, { { QString(), QString() }, u","_s }, { { u"a,b"_s }, u"\"a,b\""_s },
        { { u"6\"ねじ"_s }, u"\"6\"\"ねじ\""_s },
        { { u"1行目\r\n2行目"_s }, u"\"1行目\r\n2行目\""_s }, { { u"a\nb"_s }, u"\"a\nb\""_s },
        { { u"a\rb"_s }, u"\"a\rb\""_s }, // a lone CR breaks a line too
    };
    for (const auto &c : cases)
        EXPECT_EQ(csv::line(c.fields), sjisBytes(c.line + u"\r\n"_s)) << c.line.toStdString();

    // Code page 932 bytes and CR LF.
    EXPECT_EQ(
        csv::line({ u"〇"_s, u"×"_s, u"ｱ"_s, u"A"_s }), QByteArray("\x81\x5A,\x81\x7E,\xB1,A\r\n"));
    // A character without a code page 932 form costs itself, not the line.
    EXPECT_EQ(csv::line({ u"a\U0001F600b"_s, u"手"_s }), QByteArray("a?b,\x8E\xE8\r\n"));
}

// Stored bytes go out as they are, quoted by the same rule as texts; a field or a line longer
// than the writer's own buffer still arrives whole.
TEST(CsvLines, TheWriterQuotesStoredBytesAndTakesLinesOfAnyLength)
{
    const std::string longField(700, 'x');
    const std::string longQuoted(400, '"');
    struct Case
    {
        std::string_view bytes, prefix, suffix;
        std::string expected;
    };
    const Case cases[] = {
        { "plain", {}, {}, "plain" },
        { {}, {}, {}, "" },
        { "a\rb", {}, {}, "\"a\rb\"" },
        { "a\nb", {}, {}, "\"a\nb\"" },
        { "\r", {}, {}, "\"\r\"" },
        { "1,2", "'", {}, "\"'1,2\"" },
        { "12", "'", {}, "'12" },
        { "3.5", "  ", "\"", "\"  3.5\"\"\"" },
        { "\x81\x5A\x93\xFA", {}, {}, "\x81\x5A\x93\xFA" },
        { longField, {}, {}, longField },
        { longQuoted, {}, {}, '"' + std::string(800, '"') + '"' },
    };
    for (const Case &c : cases) {
        QByteArray out("head,");
        {
            csv::LineWriter line(out);
            line.field(c.bytes, c.prefix, c.suffix);
            line.endLine();
        }
        EXPECT_EQ(out.toStdString(), "head," + c.expected + "\r\n") << c.bytes.substr(0, 20);
    }

    // Many fields past the buffer, and a line never ended still reaches the output.
    QByteArray out;
    {
        csv::LineWriter line(out);
        for (int i = 0; i < 2000; ++i) {
            line.field("a,b");
            line.put(',');
        }
    }
    EXPECT_EQ(out, QByteArray("\"a,b\",").repeated(2000));
}

// The search for what needs quotes takes several bytes at a step: a comma, a quote, CR or LF is
// found at every place of a field of every length, and double-byte characters (whose second
// bytes run from 0x40 up) never pass for one.
TEST(CsvLines, EveryPlaceOfAFieldIsSearchedForWhatNeedsQuotes)
{
    const std::string kanji = "\x8e\xe8\x8c\x60\x94\xd4\x8d\x86"; // 手形番号
    for (std::size_t size = 1; size <= 40; ++size) {
        std::string plain;
        while (plain.size() < size)
            plain += kanji;
        plain.resize(size);
        const auto written = [](std::string_view field) {
            QByteArray out;
            {
                csv::LineWriter line(out);
                line.field(field);
            }
            return out.toStdString();
        };
        EXPECT_EQ(written(plain), plain) << size;
        for (std::size_t at = 0; at < size; ++at)
            for (char c : { ',', '"', '\r', '\n' }) {
                std::string field = plain;
                field[at] = c;
                const std::string doubled =
                    c == '"' ? field.substr(0, at) + '"' + field.substr(at) : field;
                EXPECT_EQ(written(field), '"' + doubled + '"')
                    << size << " " << at << " " << int(c);
            }
    }
}

// A note's line, its stored texts written as they are: worked out by hand.
TEST(NoteListCsvLines, StoredTextsGoOutQuotedWhereTheyMustBe)
{
    const auto note = [](const QString &code, const QString &bank, const QString &number,
                          double issued, double due, std::uint8_t settled, const QString &remarks) {
        NoteRecord n;
        put(n.PartnerCode, code);
        put(n.BankCode, bank);
        put(n.NoteNumber, number);
        n.IssueDate = issued;
        n.DueDate = due;
        n.Settled = settled;
        put(n.Remarks, remarks);
        return n;
    };
    const double jan5 = daydate::fromDate(QDate(2024, 1, 5));
    const double dec31 = daydate::fromDate(QDate(2024, 12, 31));
    const double noDay = 1e12; // no calendar date: an empty field
    const struct
    {
        NoteRecord note;
        QString partner, bank, line;
    } cases[] = {
        { note(u"1,2"_s, u"1,2"_s, u"手形,1"_s, jan5, noDay, 0, u"a,b"_s), u"A,\"B\""_s,
            u"みずほ銀行"_s,
            uR"("'1,2","A,""B""","手形,1","1,2",みずほ銀行,01/05,,         0,×,"a,b")"_s },
        { note(u"ｺｰﾄﾞ"_s, {}, u"A-1"_s, dec31, jan5, 1, u"売掛金回収"_s), u"ベルモラ商事"_s, {},
            uR"('ｺｰﾄﾞ,ベルモラ商事,A-1,,,12/31,01/05,         0,〇,売掛金回収)"_s },
        { note({}, u"001"_s, u"A-1"_s, jan5, dec31, 0, u"行1\r\n行2"_s), {}, {},
            u"',,A-1,001,,01/05,12/31,         0,×,\"行1\r\n行2\""_s },
        { note(u"001"_s, {}, u"\"\""_s, jan5, jan5, 1, u"6\"ねじ"_s), {}, {},
            uR"('001,,"""""",,,01/05,01/05,         0,〇,"6""ねじ")"_s },
    };
    for (const auto &c : cases) {
        const QByteArray partner = sjisBytes(c.partner);
        const QByteArray bank = sjisBytes(c.bank);
        QByteArray line;
        appendNoteListCsvLine(line, c.note, std::string_view(partner.constData(), partner.size()),
            std::string_view(bank.constData(), bank.size()));
        EXPECT_EQ(line, sjisBytes(c.line + u"\r\n"_s)) << c.line.toStdString();
    }
}

// The amount in whole units rounded half away from zero, without separators, but with as many
// blanks before it as the text with separators would leave in ten places.
TEST(NoteListCsvLines, TheAmountStandsWhereItsGroupedTextWould)
{
    const struct
    {
        std::int64_t stored;
        const char *field;
    } cases[] = {
        { 0, "         0" },
        { 4999, "         0" },
        { 5000, "         1" },
        { -4999, "         0" }, // no sign on a figure that rounds to zero
        { -5000, "        -1" },
        { 15000, "         2" },
        { -15000, "        -2" },
        { 999 * Money::Scale, "       999" },
        { 1000 * Money::Scale, "     1000" }, // "1,000" leaves five blanks
        { -1000 * Money::Scale, "    -1000" },
        { 1234567 * Money::Scale, " 1234567" },
        { -1234567 * Money::Scale, "-1234567" },
        { 999999999 * Money::Scale, "999999999" },
        { 9999999999 * Money::Scale, "9999999999" },
        { INT64_MAX, "922337203685478" },
        { INT64_MIN, "-922337203685478" },
        { INT64_MIN + 1, "-922337203685478" },
    };
    for (const auto &c : cases) {
        NoteRecord n;
        n.Amount = Money::fromStored(c.stored);
        QByteArray line;
        appendNoteListCsvLine(line, n, {}, {});
        // Day 0 is 1899/12/30.
        EXPECT_EQ(line, QByteArray("',,,,,12/30,12/30,") + c.field + ",\x81\x7E,\r\n") << c.stored;
    }
}

// A name, number or remark a spreadsheet would run as a formula goes out with "'" before it;
// figures, negative amounts among them, are never touched.
TEST(NoteListCsvLines, TextsThatLookLikeFormulasGoOutAsText)
{
    for (const QString &text :
        { u"=1+1"_s, u"+81-3"_s, u"-5"_s, u"@SUM(A1)"_s, u"\tx"_s, u"\rx"_s, u"a=1"_s }) {
        SCOPED_TRACE(text.toStdString());
        const bool formula = !text.startsWith(u'a');
        EXPECT_EQ(csv::plainText(text), formula ? u"'"_s + text : text);
        NoteRecord n;
        n.Amount = Money::fromStored(-1234567 * Money::Scale);
        put(n.Remarks, text);
        put(n.NoteNumber, text);
        QByteArray fast;
        appendNoteListCsvLine(fast, n, {}, {});
        const QString line = sjis::decode(fast);
        const QString shown = formula ? u"'"_s + text : text;
        const QString field = shown.contains(u'\r') ? u'"' + shown + u'"' : shown;
        EXPECT_TRUE(line.startsWith(u"',,"_s + field + u","_s)) << line.toStdString();
        EXPECT_TRUE(line.endsWith(u","_s + field + u"\r\n"_s)) << line.toStdString();
        EXPECT_TRUE(line.contains(u",-1234567,"_s));
    }
}

class NoteListCsv : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Tables t;
        t.partners = { fixtures::partner(u"001"_s, u"ベルモラ商事"_s),
            fixtures::partner(u"001"_s, u"二番目の名前"_s) };
        t.banks = { fixtures::bank(u"B01"_s, u"みずほ銀行"_s) };
        NoteRecord zero = issued(QDate(2024, 1, 5), u"001"_s, 0);
        zero.DueDate = daydate::fromDate(QDate(2024, 12, 31));
        put(zero.NoteNumber, u"A-1"_s);
        put(zero.BankCode, u"B01"_s);
        put(zero.Remarks, u"売掛金,回収"_s);
        NoteRecord negative = issued(QDate(2024, 2, 29), u"999"_s, -1234567);
        negative.DueDate = daydate::fromDate(QDate(2024, 3, 1));
        negative.Settled = 1;
        put(negative.NoteNumber, u"B-2"_s);
        put(negative.BankCode, u"X"_s);
        put(negative.Remarks, u"6\"ねじ"_s);
        t.notes = { zero, negative };
        state.Data.setTables(std::move(t));
    }

    QString path() const { return dir.file(u"list.csv"_s); }

    TestDir dir;
    Session state { systemFileSystem() };
    QString error;
};

TEST_F(NoteListCsv, LinesAreWrittenByteForByte)
{
    ASSERT_TRUE(CSV1(path(), state.Data.tables(), { 1, 0 }, u"支払手形記入帳"_s, &error, nullptr,
        systemFileSystem()))
        << error.toStdString();
    const QByteArray expected =
        sjisBytes(u"支払手形記入帳\r\n"
                  u",取引先,手形番号,,振出銀行,振出日,支払日,金額,確認,備考\r\n"
                  u"'999,,B-2,X,,02/29,03/01,-1234567,〇,\"6\"\"ねじ\"\r\n"
                  u"'001,ベルモラ商事,A-1,B01,みずほ銀行,01/05,12/31,         0,×,"
                  u"\"売掛金,回収\"\r\n"_s);
    EXPECT_EQ(dir.read(u"list.csv"_s), expected);
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(NoteListCsv, AnEmptySelectionGivesTheTitleAndHeaderLines)
{
    dir.write(u"list.csv"_s, QByteArray(5000, 'x')); // replaced, not partly overwritten
    ASSERT_TRUE(CSV1(
        path(), state.Data.tables(), {}, u"小切手記入帳"_s, &error, nullptr, systemFileSystem()));
    EXPECT_EQ(dir.read(u"list.csv"_s),
        sjisBytes(
            u"小切手記入帳\r\n,取引先,手形番号,,振出銀行,振出日,支払日,金額,確認,備考\r\n"_s));
    EXPECT_EQ(entries(dir.path()), QStringList { u"list.csv"_s });
}

TEST_F(NoteListCsv, AFailedWriteLeavesTheOldFileAndNothingElse)
{
    const QByteArray old("old content\r\n");
    dir.write(u"list.csv"_s, old);
    // Enough rows for several pieces, so the failure strikes after a part was written.
    std::vector<std::int32_t> many(40000, 0);
    for (int failing : { 0, 1 }) {
        FullDisk disk(failing);
        error.clear();
        EXPECT_FALSE(
            CSV1(path(), state.Data.tables(), many, u"支払手形記入帳"_s, &error, nullptr, disk));
        EXPECT_EQ(disk.writes(), failing + 1);
        EXPECT_EQ(dir.read(u"list.csv"_s), old);
        EXPECT_EQ(entries(dir.path()), QStringList { u"list.csv"_s });
        EXPECT_TRUE(error.contains(path())) << error.toStdString();
        EXPECT_TRUE(error.contains(u"ディスクの空き容量が不足しています。"_s));
        EXPECT_TRUE(error.contains(u"元のファイルはそのまま残っています。"_s));
    }
}

// A long file counts its lines out of all it will hold, and one cancelled at any step leaves the
// old file as it was (or none) and nothing else, without an error to show.
TEST_F(NoteListCsv, ACancelledFileLeavesTheOldOneAndNothingElse)
{
    const std::vector<std::int32_t> many(40000, 0);
    for (const bool old : { false, true }) {
        for (const int cancelAt : { 1, 2, 30 }) {
            SCOPED_TRACE(testing::Message() << "old file " << old << ", cancel at " << cancelAt);
            if (old)
                dir.write(u"list.csv"_s, "old content\r\n");
            ScriptedProgress progress(cancelAt);
            EXPECT_FALSE(CSV1(path(), state.Data.tables(), many, u"支払手形記入帳"_s, &error,
                &progress, systemFileSystem()));
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            ASSERT_EQ(progress.steps.size(), static_cast<std::size_t>(cancelAt));
            EXPECT_EQ(progress.steps.back().second, 40002);
            EXPECT_EQ(entries(dir.path()), old ? QStringList { u"list.csv"_s } : QStringList {});
            if (old) {
                EXPECT_EQ(dir.read(u"list.csv"_s), "old content\r\n");
            }
        }
    }
    ScriptedProgress watching;
    ASSERT_TRUE(CSV1(path(), state.Data.tables(), many, u"支払手形記入帳"_s, &error, &watching,
        systemFileSystem()));
    ASSERT_FALSE(watching.steps.empty());
    EXPECT_EQ(watching.steps.front(), std::make_pair(qint64(0), qint64(40002)));
    EXPECT_EQ(watching.steps.back(), std::make_pair(qint64(39936), qint64(40002)));
}

// In a shared folder the chosen name may be another user's link: it is never followed, and the
// file it leads to is left alone. The user's own link is written through.
TEST_F(NoteListCsv, AnotherUsersLinkIsNeverFollowed)
{
    other_user::LinksSeenAsTheirs shared;
    TestDir theirs;
    theirs.write(u"their.txt"_s, "theirs");
    ASSERT_TRUE(QFile::link(theirs.file(u"their.txt"_s), path()));
    std::vector<std::int32_t> rows { 0 };
    EXPECT_FALSE(
        CSV1(path(), state.Data.tables(), rows, u"支払手形記入帳"_s, &error, nullptr, shared));
    EXPECT_EQ(theirs.read(u"their.txt"_s), "theirs");
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_TRUE(error.contains(path())) << error.toStdString();

    EXPECT_TRUE(CSV1(path(), state.Data.tables(), rows, u"支払手形記入帳"_s, &error, nullptr,
        systemFileSystem()));
    EXPECT_TRUE(theirs.read(u"their.txt"_s).startsWith(sjis::encode(u"支払手形記入帳"_s)))
        << "one's own link is written through";
}

TEST_F(NoteListCsv, ATargetThatCannotBeWrittenIsReportedAndLeftAlone)
{
    // A folder where the file should be.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"list.csv"_s));
    dir.write(u"list.csv/inside"_s, "kept");
    EXPECT_FALSE(
        CSV1(path(), state.Data.tables(), { 0 }, u"t"_s, &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(error.contains(path()));
    EXPECT_TRUE(error.contains(u"フォルダーです"_s)) << error.toStdString();
    EXPECT_FALSE(error.contains(u"元のファイル"_s));
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_EQ(dir.read(u"list.csv/inside"_s), QByteArray("kept"));
    EXPECT_EQ(entries(dir.path()), QStringList { u"list.csv"_s });

    // A folder that does not exist cannot take the file.
    const QString missing = dir.file(u"gone/list.csv"_s);
    error.clear();
    EXPECT_FALSE(
        CSV1(missing, state.Data.tables(), { 0 }, u"t"_s, &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(error.contains(missing));
    EXPECT_TRUE(error.contains(u"見つかりません"_s)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file(u"gone"_s)));
}
