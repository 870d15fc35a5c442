#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "exchange/csv_reader.h"
#include "exchange/field_parsers.h"
#include "store/sjis.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;
using exchange::Encoding;

TEST(ExchangeFields, DatesInEveryWrittenFormNeverMoved)
{
    const QDate jan5(2026, 1, 5);
    const struct
    {
        QString cell;
        QDate expected; // invalid: cannot be read
    } cases[] = {
        { u"2026/1/5"_s, jan5 },
        { u"2026-01-05"_s, jan5 },
        { u"2026.1.5"_s, jan5 },
        { u"20260105"_s, jan5 },
        { u"2026年1月5日"_s, jan5 },
        { u"令和8年1月5日"_s, jan5 },
        { u"令和元年5月1日"_s, QDate(2019, 5, 1) },
        { u"R8.1.5"_s, jan5 },
        { u"R8/1/5"_s, jan5 },
        { u"２０２６／１／５"_s, jan5 },
        { u" 2026/1/5　"_s, jan5 },
        // Spreadsheet serials, from the first day after the invented 1900-02-29 to the last.
        { u"46027"_s, jan5 },
        { u"４６０２７"_s, jan5 },
        { u"61"_s, QDate(1900, 3, 1) },
        { u"60"_s, QDate() },
        { u"2958465"_s, QDate(9999, 12, 31) },
        { u"2958466"_s, QDate() },
        { u"46027.5"_s, QDate() },
        { u"2023/2/29"_s, QDate() },
        { u"20230229"_s, QDate() },
        { u"2026/13/1"_s, QDate() },
        { u""_s, QDate() },
        { u"1/5"_s, QDate() },
    };
    const auto iso = [](std::optional<QDate> date) {
        return date && date->isValid() ? date->toString(Qt::ISODate) : u"none"_s;
    };
    for (const auto &c : cases)
        EXPECT_EQ(iso(exchange::parseDate(c.cell)), iso(c.expected)) << c.cell.toStdString();
}

TEST(ExchangeFields, AmountsExactFromTheDigits)
{
    const struct
    {
        QString cell;
        std::optional<std::int64_t> stored;
    } cases[] = {
        { u"1234"_s, 12'340'000 },
        { u"1,234,567"_s, 12'345'670'000 },
        { u"１，２３４"_s, 12'340'000 },
        { u"1,234円"_s, 12'340'000 },
        { u"￥1,234"_s, 12'340'000 },
        { u"¥1,234"_s, 12'340'000 },
        { u"\\1,234"_s, 12'340'000 },
        { u"　1,234 円 "_s, 12'340'000 },
        { u"0.1"_s, 1'000 },
        { u"１２．５"_s, 125'000 },
        { u"1234567.8901"_s, 12'345'678'901 },
        { u"-1,000"_s, -10'000'000 },
        { u"－1,000"_s, -10'000'000 },
        { u"−1,000"_s, -10'000'000 },
        { u"△1,000"_s, -10'000'000 },
        { u"-￥1,000"_s, -10'000'000 },
        { u"￥-1,000"_s, -10'000'000 },
        { u"-0"_s, 0 },
        // The ends of the stored range, which a double cannot carry.
        { u"922337203685477.5807"_s, INT64_MAX },
        { u"-922337203685477.5808"_s, INT64_MIN },
        { u"922337203685477.5808"_s, std::nullopt },
        { u"99999999999999999999"_s, std::nullopt },
        { u""_s, std::nullopt },
        { u"円"_s, std::nullopt },
        { u"-"_s, std::nullopt },
        { u"12a"_s, std::nullopt },
        { u"1e5"_s, std::nullopt },
        { u"1.23456"_s, std::nullopt },
        { u"1.2.3"_s, std::nullopt },
        { u"1 000"_s, std::nullopt },
        { u"--5"_s, std::nullopt },
        { u"-△5"_s, std::nullopt },
        { u"￥￥5"_s, std::nullopt },
    };
    for (const auto &c : cases) {
        const std::optional<Money> amount = exchange::parseAmount(c.cell);
        EXPECT_EQ(amount ? std::optional(amount->stored()) : std::nullopt, c.stored)
            << c.cell.toStdString();
    }
}

TEST(ExchangeFields, KindsAndApprovals)
{
    const struct
    {
        QString cell;
        std::optional<int> kind;
    } kinds[] = {
        { u"支払手形"_s, 0 },
        { u" 受取手形 "_s, 1 },
        { u"裏書手形"_s, 2 },
        { u"割引手形"_s, 3 },
        { u"小切手"_s, 4 },
        { u"0"_s, 0 },
        { u"４"_s, 4 },
        { u"5"_s, std::nullopt },
        { u"-1"_s, std::nullopt },
        { u"手形"_s, std::nullopt },
        { u""_s, std::nullopt },
    };
    for (const auto &c : kinds)
        EXPECT_EQ(exchange::parseKind(c.cell), c.kind) << c.cell.toStdString();

    const struct
    {
        QString cell;
        std::optional<bool> approved;
    } approvals[] = {
        { u"〇"_s, true },
        { u"○"_s, true },
        { u"済"_s, true },
        { u"1"_s, true },
        { u"×"_s, false },
        { u"0"_s, false },
        { u""_s, false },
        { u"　"_s, false },
        { u"未"_s, std::nullopt },
        { u"〇〇"_s, std::nullopt },
        { u"2"_s, std::nullopt },
    };
    for (const auto &c : approvals)
        EXPECT_EQ(exchange::parseApproval(c.cell), c.approved) << c.cell.toStdString();
}

TEST(ExchangeCsv, EncodingFoundFromTheBytes)
{
    // NEC (①, ㈱) and IBM (髙) extension characters, which plain Shift_JIS lacks.
    const QString text = u"受取手形,①,㈱山田商事,髙橋"_s;
    bool encoded = false;
    const QByteArray cp932 = sjis::encode(text, &encoded);
    ASSERT_TRUE(encoded);
    bool katakanaEncoded = false;
    // C3 BD is UTF-8 on its own; the C4 after it is not.
    const QByteArray halfWidthKana = sjis::encode(u"ﾃｽﾄ"_s, &katakanaEncoded);
    ASSERT_TRUE(katakanaEncoded);

    const struct
    {
        QByteArray bytes;
        QString text;
        Encoding encoding;
    } cases[] = {
        { "\xEF\xBB\xBF" + text.toUtf8(), text, Encoding::Utf8 },
        { QByteArray("\xEF\xBB\xBF"
                     "a,b"),
            u"a,b"_s, Encoding::Utf8 },
        { text.toUtf8(), text, Encoding::Utf8 },
        { cp932, text, Encoding::Cp932 },
        { halfWidthKana, u"ﾃｽﾄ"_s, Encoding::Cp932 },
        { QByteArray("a,b\r\n"), u"a,b\r\n"_s, Encoding::Cp932 },
    };
    for (const auto &c : cases) {
        const exchange::DecodedText decoded = exchange::decodeFile(c.bytes);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.encoding, c.encoding) << c.text.toStdString();
    }
}

TEST(ExchangeCsv, RecordsAndTheLinesTheyBeginOn)
{
    using Records = std::vector<QStringList>;
    const struct
    {
        QString text;
        Records records;
        std::vector<int> lines;
        QString error;
    } cases[] = {
        { u"a,b\r\nc,d\r\n"_s, { { u"a"_s, u"b"_s }, { u"c"_s, u"d"_s } }, { 1, 2 }, {} },
        { u"a,b\nc,d"_s, { { u"a"_s, u"b"_s }, { u"c"_s, u"d"_s } }, { 1, 2 }, {} },
        { u"\"x,y\",\"say \"\"hi\"\"\",\"\"\n"_s, { { u"x,y"_s, u"say \"hi\""_s, u""_s } }, { 1 },
            {} },
        { u"1,\"two\r\nlines\",3\r\n4,5,6\r\n"_s,
            { { u"1"_s, u"two\r\nlines"_s, u"3"_s }, { u"4"_s, u"5"_s, u"6"_s } }, { 1, 3 }, {} },
        { u"a,\"b\rc\"\n"_s, { { u"a"_s, u"b\rc"_s } }, { 1 }, {} },
        // A CR alone is text; one that ends the file is what is left of a CR LF.
        { u"a\rb,c\r"_s, { { u"a\rb"_s, u"c"_s } }, { 1 }, {} },
        { u"a,\n\nb\n"_s, { { u"a"_s, u""_s }, { u""_s }, { u"b"_s } }, { 1, 2, 3 }, {} },
        { u""_s, {}, {}, {} },
        // The error names the line the open field began on, not the record's or the last.
        { u"ok\n\"x\ny\",\"z\nmore\n"_s, { { u"ok"_s } }, { 1 },
            u"3行目の引用符（\"）が閉じられていません。"_s },
    };
    for (const auto &c : cases) {
        const exchange::CsvRecords parsed = exchange::parseCsv(c.text);
        EXPECT_EQ(parsed.records, c.records) << c.text.toStdString();
        EXPECT_EQ(parsed.lines, c.lines) << c.text.toStdString();
        EXPECT_EQ(parsed.error, c.error);
    }
}
